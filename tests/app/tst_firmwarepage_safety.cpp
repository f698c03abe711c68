// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/firmwareimages.h"
#include "common/simlog.h"
#include "common/testhome.h"
#include "common/widgetanimations.h"
#include "firmwarepagelab.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int runBoundMs = 60000;
const QString failureText = QStringLiteral("ERROR: Updating failed!");
const QString successText = QStringLiteral("Device succesfuly updated!");
const QString good = QStringLiteral("10.77.9.30");
const QString supply = QStringLiteral("10.77.9.10");
} // namespace

// What the firmware page lets through to a unit, against the simulated lab of
// tests/labs/firmware-page-safety.json: a damaged or mistaken file reaches no unit, a refusal or an
// answer that confirms nothing ends the run in error, and a good run shows each unit's version before
// and after.
class TestFirmwarePageSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void damagedImageReachesNoUnit_data();
    void damagedImageReachesNoUnit();
    void wrongFamilyIsAskedFirst();
    void wrongFamilySentAnyway();
    void refusedLineEndsTheRunWithoutRestart();
    void unconfirmedAnswersEndInError_data();
    void unconfirmedAnswersEndInError();
    void unreadableSupplyAnswersEndInError_data();
    void unreadableSupplyAnswersEndInError();
    void versionsBeforeAndAfter();
    void unchangedVersionIsAWarning();
    void fileOfAnotherFamilyIsCleared();

private:
    QString flashImage(const QString& name, const QString& version, int lines = 16);
    QString writeFile(const QString& name, const QByteArray& content);
    void upgradeWith(const QString& ip, const QString& path);
    void expectNoConnectionTo(const QString& unit);
    void expectFailureWithoutSuccess();

    QTemporaryDir m_home;
    QTemporaryDir m_images;
    std::unique_ptr<FirmwarePageLab> m_lab;
};

void TestFirmwarePageSafety::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(m_images.isValid());
    useTestHome(m_home);
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS") || !SimLog::available())
        QSKIP("runs only inside the namespace harness");
}

void TestFirmwarePageSafety::init()
{
    FirmwarePacing::setCurrent(quickPacing());
    m_lab = std::make_unique<FirmwarePageLab>();
    m_lab->scan();
    QVERIFY(m_lab->rowOf(good) >= 0);
    m_lab->markSimLog();
}

void TestFirmwarePageSafety::cleanup()
{
    m_lab.reset();
    FirmwarePacing::setCurrent(FirmwarePacing());
}

// The last test clears a file field mid-fade of its clear button.
void TestFirmwarePageSafety::cleanupTestCase()
{
    letWidgetAnimationsEnd();
}

QString TestFirmwarePageSafety::flashImage(const QString& name, const QString& version, int lines)
{
    FirmwareImages::Flash spec;
    spec.version = version;
    spec.lines = lines;
    return writeFile(name + QStringLiteral(".flash"), FirmwareImages::flash(spec));
}

QString TestFirmwarePageSafety::writeFile(const QString& name, const QByteArray& content)
{
    const QString path = m_images.filePath(name);
    return FirmwareImages::write(path, content) ? path : QString();
}

void TestFirmwarePageSafety::upgradeWith(const QString& ip, const QString& path)
{
    QVERIFY(m_lab->tick({ip}));
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    QVERIFY(m_lab->windowEnabled());
}

// Not even the identification: the unit's ports heard nothing after the scan.
void TestFirmwarePageSafety::expectNoConnectionTo(const QString& unit)
{
    QVERIFY2(SimLog::tcp(m_lab->simLog(), unit).isEmpty(), qPrintable(unit + QStringLiteral(" was contacted")));
}

void TestFirmwarePageSafety::expectFailureWithoutSuccess()
{
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("critical"));
    QVERIFY(m_lab->lastBox().text.startsWith(failureText));
    QVERIFY2(!m_lab->log().contains(QStringLiteral("success"), Qt::CaseInsensitive), qPrintable(m_lab->log()));
    QVERIFY(!m_lab->log().contains(QStringLiteral("succesful"), Qt::CaseInsensitive));
    QCOMPARE(m_lab->recorder.last().completions, 0);
    QCOMPARE(m_lab->recorder.last().errors, 1);
}

void TestFirmwarePageSafety::damagedImageReachesNoUnit_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("fault");

    FirmwareImages::Flash spec;
    spec.lines = 8;
    QList<QByteArray> lines = FirmwareImages::flash(spec).split('\n');
    QList<QByteArray> badSum = lines;
    badSum[3] = FirmwareImages::badChecksum(badSum.at(3).trimmed()) + "\r";
    QTest::newRow("bad checksum on line 4") << good << "blgood" << badSum.join('\n') << "line 4, column ";
    QList<QByteArray> notARecord = lines;
    notARecord.insert(5, "this is no S-record\r");
    QTest::newRow("a line that is no S-record") << good << "blgood" << notARecord.join('\n') << "line 6, column 1: ";
    spec.start = 0x7FFFF0;
    spec.type = '3';
    QTest::newRow("beyond the erasable flash") << good << "blgood" << FirmwareImages::flash(spec) << "800000";
    QTest::newRow("empty supply image") << supply << "ps1" << QByteArray() << "empty";
}

void TestFirmwarePageSafety::damagedImageReachesNoUnit()
{
    QFETCH(QString, ip);
    QFETCH(QString, unit);
    QFETCH(QByteArray, content);
    QFETCH(QString, fault);
    const QString path = writeFile(QStringLiteral("damaged.") + (ip == supply ? "updt" : "flash"), content);
    QVERIFY(m_lab->tick({ip}));
    m_lab->choose(1, path);
    const int boxes = m_lab->prompts->boxes.size();
    QTest::mouseClick(m_lab->child<QPushButton>("updateFwBtn"), Qt::LeftButton);
    QCOMPARE(m_lab->prompts->boxes.size(), boxes + 1);
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("critical"));
    QVERIFY2(m_lab->lastBox().text.contains(path), qPrintable(m_lab->lastBox().text));
    QVERIFY2(m_lab->lastBox().text.contains(fault), qPrintable(m_lab->lastBox().text));
    QVERIFY(m_lab->log().contains(QStringLiteral("ERROR: ") + path));
    QVERIFY(m_lab->recorder.runs().isEmpty());
    QVERIFY(!m_lab->window->firmwarePage().upgradeRunning());
    QVERIFY(m_lab->windowEnabled());
    QTest::qWait(200);
    expectNoConnectionTo(unit);
}

void TestFirmwarePageSafety::wrongFamilyIsAskedFirst()
{
    const QString path = flashImage(QStringLiteral("lumen"), QStringLiteral("2.0.00"));
    QVERIFY(m_lab->tick({supply}));
    m_lab->choose(1, path);
    m_lab->prompts->answer = QMessageBox::No;
    QTest::mouseClick(m_lab->child<QPushButton>("updateFwBtn"), Qt::LeftButton);
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("question"));
    QCOMPARE(m_lab->lastBox().defaultButton, QMessageBox::No);
    QCOMPARE(m_lab->lastBox().text, QStringLiteral("lumen.flash looks like an S-record image; the selected units are "
                                                   "power supplies, which take .updt images. Upgrade anyway?"));
    QVERIFY(m_lab->recorder.runs().isEmpty());
    QVERIFY(m_lab->windowEnabled());
    QTest::qWait(200);
    expectNoConnectionTo(QStringLiteral("ps1"));
}

// Yes sends the file as it is, checked whole as what it is; the supply itself judges it.
void TestFirmwarePageSafety::wrongFamilySentAnyway()
{
    const QString path = flashImage(QStringLiteral("lumen"), QString());
    QVERIFY(m_lab->tick({supply}));
    m_lab->choose(1, path);
    m_lab->prompts->answer = QMessageBox::Yes;
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    QCOMPARE(m_lab->recorder.runs().size(), 1);
    const SimLog::Lines uploads = SimLog::events(m_lab->simLog(), QStringLiteral("upload"), QStringLiteral("ps1"));
    QCOMPARE(uploads.size(), 1);
    QCOMPARE(uploads.first().value(QLatin1String("bytes")).toInt(), int(QFileInfo(path).size()));
}

void TestFirmwarePageSafety::refusedLineEndsTheRunWithoutRestart()
{
    upgradeWith(QStringLiteral("10.77.9.31"), flashImage(QStringLiteral("good"), QStringLiteral("2.0.00")));
    expectFailureWithoutSuccess();
    const QStringList logs = m_lab->recorder.last().logs;
    QVERIFY2(logs.contains(QStringLiteral("ERROR: the unit refused image line 3: \"#NAK:write failed\\r\\n\"")),
             qPrintable(logs.join(QLatin1Char('\n'))));
    QVERIFY(logs.last().contains(QStringLiteral("flash is incomplete")));
    const QByteArray heard = SimLog::tcpReceived(m_lab->simLog(), QStringLiteral("blrefuse"), 10001);
    QVERIFY(heard.contains("EPCSWR\r"));
    QVERIFY2(!heard.contains("E\r\n"), "the restart was sent after a refusal");
    QVERIFY(SimLog::events(m_lab->simLog(), QStringLiteral("reboot"), QStringLiteral("blrefuse")).isEmpty());
    // The lines after the refused one were never sent.
    QCOMPARE(heard.count("\r\nS1"), 2);
}

void TestFirmwarePageSafety::unconfirmedAnswersEndInError_data()
{
    QTest::addColumn<QString>("ip");
    QTest::newRow("chatter") << "10.77.9.32";
    QTest::newRow("random bytes") << "10.77.9.33";
    QTest::newRow("a line without end") << "10.77.9.34";
}

void TestFirmwarePageSafety::unconfirmedAnswersEndInError()
{
    QFETCH(QString, ip);
    QElapsedTimer elapsed;
    elapsed.start();
    upgradeWith(ip, flashImage(QStringLiteral("good"), QStringLiteral("2.0.00")));
    expectFailureWithoutSuccess();
    const QStringList logs = m_lab->recorder.last().logs;
    QVERIFY2(logs.filter(QStringLiteral("ERROR: the unit did not confirm the erase of sector 0")).size() == 1,
             qPrintable(logs.join(QLatin1Char('\n'))));
    QVERIFY(elapsed.elapsed() < 20000);
}

void TestFirmwarePageSafety::unreadableSupplyAnswersEndInError_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("uploaded");
    QTest::newRow("status not hexadecimal")
        << "10.77.9.11"
        << "psgarbage"
        << "ERROR: The supply's status answer cannot be read: \"#MST:ZZ?Q\\r\\n\"" << false;
    QTest::newRow("status unanswered") << "10.77.9.12"
                                       << "psmute"
                                       << "ERROR: The supply did not answer its status request (MST)" << false;
    QTest::newRow("report of a bare #") << "10.77.9.13"
                                        << "pshash"
                                        << "CRITICAL: update error: the supply's report ended neither with #ACK nor "
                                           "with #NAK: \"#\\r\\n\""
                                        << true;
}

void TestFirmwarePageSafety::unreadableSupplyAnswersEndInError()
{
    QFETCH(QString, ip);
    QFETCH(QString, unit);
    QFETCH(QString, error);
    QFETCH(bool, uploaded);
    upgradeWith(ip, writeFile(QStringLiteral("sp.updt"), FirmwareImages::updt(4096, QStringLiteral("2.0.00"))));
    expectFailureWithoutSuccess();
    const QStringList logs = m_lab->recorder.last().logs;
    QVERIFY2(logs.filter(error).size() == 1, qPrintable(logs.join(QLatin1Char('\n'))));
    QCOMPARE(SimLog::events(m_lab->simLog(), QStringLiteral("upload"), unit).isEmpty(), !uploaded);
    QVERIFY(SimLog::events(m_lab->simLog(), QStringLiteral("reboot"), unit).isEmpty());
}

void TestFirmwarePageSafety::versionsBeforeAndAfter()
{
    const QString version = m_lab->firmwareShown(good);
    upgradeWith(good, flashImage(QStringLiteral("lumen"), QStringLiteral("1.2.03")));
    const QString change = QStringLiteral("BL30 (00:A0:3B:00:09:30): %1 \u2192 1.2.03").arg(version);
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("information"));
    // The run's units, then the versions the rescan found, then where the run's log is.
    QCOMPARE(m_lab->lastBox().text, successText + QStringLiteral("\n\nLumen 10.77.9.30: upgraded\n\n") + change +
                                        QStringLiteral("\n\nLog: ") + m_lab->window->firmwarePage().logFilePath());
    QVERIFY2(m_lab->log().endsWith(change), qPrintable(m_lab->log()));
    QCOMPARE(m_lab->firmwareShown(good), QStringLiteral("1.2.03"));
}

void TestFirmwarePageSafety::unchangedVersionIsAWarning()
{
    const QString version = m_lab->firmwareShown(good);
    upgradeWith(good, flashImage(QStringLiteral("unmarked"), QString()));
    const QString warning = QStringLiteral("WARNING: BL30 (00:A0:3B:00:09:30): the unit still reports version %1: "
                                           "the new firmware may not have been taken.")
                                .arg(version);
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("information"));
    QVERIFY2(m_lab->lastBox().text.contains(warning + QStringLiteral("\n\nLog: ")), qPrintable(m_lab->lastBox().text));
    QVERIFY(m_lab->log().endsWith(warning));
}

void TestFirmwarePageSafety::fileOfAnotherFamilyIsCleared()
{
    const QString path = flashImage(QStringLiteral("lumen"), QStringLiteral("2.0.00"));
    QVERIFY(m_lab->tick({good}));
    m_lab->choose(1, path);
    QCOMPARE(m_lab->child<QLineEdit>("lineEditFirmware1")->text(), path);
    QCheckBox* box = m_lab->window->deviceTable().selectionBox(m_lab->rowOf(good));
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!box->isChecked());
    QVERIFY(m_lab->tick({supply}));
    QVERIFY(m_lab->child<QLineEdit>("lineEditFirmware1")->text().isEmpty());
}

QTEST_MAIN(TestFirmwarePageSafety)
#include "tst_firmwarepage_safety.moc"
