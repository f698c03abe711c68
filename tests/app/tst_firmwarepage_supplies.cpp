// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/firmwareimages.h"
#include "common/simlog.h"
#include "common/testhome.h"
#include "firmwarepagelab.h"
#include "journal/journalreader.h"
#include "journal/journalvalues.h"
#include "model/appsettings.h"

#include <QCryptographicHash>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {
constexpr int runBoundMs = 60000;
constexpr int watchdogMs = 1500;
constexpr qint64 smallImage = 64 * 1024;
// Far more than the sockets between tool and lab hold, so that the drop is met while uploading.
constexpr qint64 hugeImage = 32 * 1024 * 1024;
const QString banner = QStringLiteral(" ===  U P D A T E   T H E   D E V I C E  ===");
const QString failureText = QStringLiteral("ERROR: Updating failed!");
const QString successText = QStringLiteral("Device succesfuly updated!");
} // namespace

// Power supplies upgraded through the real firmware page against the simulated lab of
// tests/labs/firmware-page-supplies.json: ticked in the table, the file chosen, the button pressed.
class TestFirmwarePageSupplies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void upgradeWithRealPacing();
    void zarnWithDcLinkAtItsLimit();
    void recoveryModeSupplyIsNotIdentified();
    void manualAddressIsNotIdentified();
    void twoSuppliesInSequence();
    void failureStopsTheSequenceAndResumes();
    void misbehaviours_data();
    void misbehaviours();
    void watchdogEndsASilentSupply();

private:
    QString image(const QString& name, const QString& version, qint64 size = smallImage);
    void expectNewVersion(const QString& unit, const QString& ip, const QString& path, const QString& version);

    QTemporaryDir m_home;
    QTemporaryDir m_images;
    std::unique_ptr<FirmwarePageLab> m_lab;
};

void TestFirmwarePageSupplies::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(m_images.isValid());
    useTestHome(m_home);
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS") || !SimLog::available())
        QSKIP("runs only inside the namespace harness");
    AppSettings settings;
    settings.setFlagManualIP(true);
    // The sequences here are about one unit after another; units at once are tst_firmwarepage_fleet's.
    settings.setParallelUpgrades(1);
    settings.sync();
}

void TestFirmwarePageSupplies::init()
{
    FirmwarePacing::setCurrent(quickPacing());
    m_lab = std::make_unique<FirmwarePageLab>();
    m_lab->scan();
    QVERIFY(m_lab->rowOf(QStringLiteral("10.77.2.10")) >= 0);
    m_lab->markSimLog();
}

void TestFirmwarePageSupplies::cleanup()
{
    m_lab.reset();
    FirmwarePacing::setCurrent(FirmwarePacing());
}

QString TestFirmwarePageSupplies::image(const QString& name, const QString& version, qint64 size)
{
    const QString path = m_images.filePath(name + QStringLiteral(".updt"));
    if (!FirmwareImages::writeUpdt(path, size, version))
        return QString();
    return path;
}

// The unit took the whole image, rebooted into its version, and the page's rescan shows it.
void TestFirmwarePageSupplies::expectNewVersion(const QString& unit, const QString& ip, const QString& path,
                                                const QString& version)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    const SimLog::Lines uploads = SimLog::events(m_lab->simLog(), QStringLiteral("upload"), unit);
    QCOMPARE(uploads.size(), 1);
    QCOMPARE(qint64(uploads.first().value(QLatin1String("bytes")).toDouble()), qint64(content.size()));
    QCOMPARE(uploads.first().value(QLatin1String("sha256")).toString(), FirmwareImages::sha256Hex(content));
    const SimLog::Lines reboots = SimLog::events(m_lab->simLog(), QStringLiteral("reboot"), unit);
    QCOMPARE(reboots.size(), 1);
    QCOMPARE(reboots.first().value(QLatin1String("fw")).toString(), version);
    QCOMPARE(m_lab->firmwareShown(ip), version);
    // The journal holds the upgrade: the file's digest and the version the unit reports now.
    const JournalRecords records = JournalReader().read().records;
    const auto upgrade = std::find_if(records.crbegin(), records.crend(), [&ip](const JournalRecord& record) {
        return record.kind == JournalRecord::Kind::FirmwareUpgrade && record.unit.ip == ip;
    });
    QVERIFY(upgrade != records.crend());
    QCOMPARE(upgrade->outcome, JournalRecord::Outcome::Succeeded);
    QCOMPARE(upgrade->after.value(QLatin1String(JournalValues::sha256Key)).toString(),
             FirmwareImages::sha256Hex(content));
    // A unit upgraded at a typed address is known by nothing a rescan could match: no version after.
    const QString versionAfter = upgrade->unit.mac.isEmpty() ? QString() : version;
    QCOMPARE(upgrade->result.value(QLatin1String(JournalValues::firmwareVersionKey)).toString(), versionAfter);
}

void TestFirmwarePageSupplies::upgradeWithRealPacing()
{
    FirmwarePacing::setCurrent(FirmwarePacing());
    const QString ip = QStringLiteral("10.77.2.10");
    // Large enough for one progress step of the upload itself.
    const QString path = image(QStringLiteral("sp100"), QStringLiteral("2.0.1"), 4 * 1024 * 1024);
    QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("1.0.00"));
    QVERIFY(m_lab->tick({ip}));
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));

    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("information"));
    QCOMPARE(m_lab->lastBox().title, QStringLiteral("Firmware Upgrade"));
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    QVERIFY(m_lab->windowEnabled());
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.completions, 1);
    QCOMPARE(run.errors, 0);

    // Identification, then the power-supply procedure to its reboot.
    const QStringList before = {banner,
                                QStringLiteral("Device IP: ") + ip,
                                QStringLiteral("Firmware : ") + path,
                                QStringLiteral("Try to connect..."),
                                QStringLiteral("Device Connected!"),
                                QStringLiteral("Check version..."),
                                QStringLiteral("Socket closed, continue..."),
                                QStringLiteral("Device name: #VER:SP-100:1.0.00\r\n"),
                                QStringLiteral("\nFIRMWARE UPDATE..."),
                                QStringLiteral("Selected Firmware File:"),
                                path,
                                QStringLiteral("\nFirmware File Opening..."),
                                QStringLiteral("Firmware Opened!"),
                                QStringLiteral("\nCreate socket to update firmware..."),
                                QStringLiteral("Socket Connection to ") + ip,
                                QStringLiteral("Socket Opened!"),
                                QStringLiteral("\nFirmware upload in progress..."),
                                QStringLiteral("Fiwmware uploaded!"),
                                QStringLiteral("\nInstall new firmware:")};
    const QStringList after = {QStringLiteral("Update Socket Closed!"), QStringLiteral("Firmware Updated!"),
                               QStringLiteral("\nFIRMWARE SUCCESSFULLY UPDATED!")};
    QCOMPARE(run.logs.mid(0, before.size()), before);
    QCOMPARE(run.logs.mid(run.logs.size() - after.size()), after);
    // The installation report's progress lines are taken out of what is logged; nothing else came.
    for (const QString& line : run.logs.mid(before.size(), run.logs.size() - before.size() - after.size()))
        QCOMPARE(line, QString());
    // After the worker's lines, what the rescan says of the version.
    QCOMPARE(m_lab->log(), asLogText(run.logs) + QStringLiteral("\nSP-100 (00:A0:3B:00:02:10): 1.0.00 \u2192 2.0.1"));

    // 0, then 1 and 2 after the file and the socket, one step for 200 chunks, the creep to the report, 100.
    QVERIFY(run.progress.size() >= 5);
    QCOMPARE(run.progress.mid(0, 4), (QList<int>{0, 1, 2, 1}));
    QCOMPARE(run.progress.last(), 100);
    for (int value : run.progress.mid(4, run.progress.size() - 5))
        QCOMPARE(value, 1);
    // While the supply installs the bar is busy: its creep is not shown, only the steps of the upload and the end.
    QList<int> shown;
    int bar = 0;
    for (int value : run.progress.mid(0, 4)) {
        bar = value == 0 || value == 100 ? value : (bar + value) % 101;
        if (shown.isEmpty() ? bar != 0 : bar != shown.last())
            shown << bar;
    }
    shown << 100;
    QCOMPARE(m_lab->barValues, shown);
    QCOMPARE(m_lab->bar()->maximum(), 100);

    const QByteArray commands = SimLog::tcpReceived(m_lab->simLog(), QStringLiteral("ps1"), 10001);
    QCOMPARE(commands, QByteArrayLiteral("VER\r\nMST\r\nMREBOOT\r\n"));
    expectNewVersion(QStringLiteral("ps1"), ip, path, QStringLiteral("2.0.1"));
}

void TestFirmwarePageSupplies::zarnWithDcLinkAtItsLimit()
{
    const QString ip = QStringLiteral("10.77.2.11");
    const QString path = image(QStringLiteral("zarn"), QStringLiteral("1.4.10"));
    QVERIFY(m_lab->tick({ip}));
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    QCOMPARE(m_lab->recorder.last().completions, 1);
    const QByteArray commands = SimLog::tcpReceived(m_lab->simLog(), QStringLiteral("zarneq"), 10001);
    QCOMPARE(commands, QByteArrayLiteral("VER\r\nMST\r\nMRP\r\nMRG:83\r\nMREBOOT\r\n"));
    expectNewVersion(QStringLiteral("zarneq"), ip, path, QStringLiteral("1.4.10"));
}

void TestFirmwarePageSupplies::recoveryModeSupplyIsNotIdentified()
{
    const QString ip = QStringLiteral("10.77.2.21");
    QCOMPARE(m_lab->codeOf(ip), QStringLiteral("1F80"));
    const QString path = image(QStringLiteral("recovered"), QStringLiteral("1.0.07"));
    QVERIFY(m_lab->tick({ip}));
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.completions, 1);
    QCOMPARE(run.logs.mid(3, 1), QStringList{QStringLiteral("\nFIRMWARE UPDATE...")});
    const QByteArray commands = SimLog::tcpReceived(m_lab->simLog(), QStringLiteral("recovery"), 10001);
    QCOMPARE(commands, QByteArrayLiteral("MST\r\nMREBOOT\r\n"));
    expectNewVersion(QStringLiteral("recovery"), ip, path, QStringLiteral("1.0.07"));
}

void TestFirmwarePageSupplies::manualAddressIsNotIdentified()
{
    const QString ip = QStringLiteral("10.77.2.22");
    const QString path = image(QStringLiteral("manual"), QStringLiteral("3.1.00"));
    QTest::mouseClick(m_lab->child<QPushButton>("updateBtn"), Qt::LeftButton);
    auto* manual = m_lab->child<QCheckBox>("checkBoxManualIP");
    QVERIFY(manual->isVisible());
    QTest::mouseClick(manual, Qt::LeftButton);
    QVERIFY(manual->isChecked());
    auto* address = m_lab->child<QLineEdit>("lineEditSetManualIP");
    address->clear();
    QTest::keyClicks(address, ip);
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    QVERIFY(!manual->isChecked());
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.logs.mid(0, 4),
             (QStringList{banner, QStringLiteral("Device IP: ") + ip, QStringLiteral("Firmware : ") + path,
                          QStringLiteral("\nFIRMWARE UPDATE...")}));
    const QByteArray commands = SimLog::tcpReceived(m_lab->simLog(), QStringLiteral("psman"), 10001);
    QCOMPARE(commands, QByteArrayLiteral("MST\r\nMREBOOT\r\n"));
    expectNewVersion(QStringLiteral("psman"), ip, path, QStringLiteral("3.1.00"));
}

void TestFirmwarePageSupplies::twoSuppliesInSequence()
{
    const QString path = image(QStringLiteral("pair"), QStringLiteral("2.2.02"));
    QVERIFY(m_lab->tick({QStringLiteral("10.77.2.26"), QStringLiteral("10.77.2.27")}));
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    QCOMPARE(m_lab->prompts->boxes.size(), 1);
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    const QList<WorkerRecorder::Run> runs = m_lab->recorder.runs();
    QCOMPARE(runs.size(), 2);
    QCOMPARE(runs.at(0).logs.value(1), QStringLiteral("Device IP: 10.77.2.26"));
    QCOMPARE(runs.at(1).logs.value(1), QStringLiteral("Device IP: 10.77.2.27"));
    for (const WorkerRecorder::Run& run : runs)
        QCOMPARE(run.completions, 1);
    // The second upload began only after the first supply had been told to reboot.
    const SimLog::Lines lines = m_lab->simLog();
    const SimLog::Lines reboots = SimLog::events(lines, QStringLiteral("reboot"), QStringLiteral("pair1"));
    const SimLog::Lines uploads = SimLog::events(lines, QStringLiteral("upload"), QStringLiteral("pair2"));
    QCOMPARE(reboots.size(), 1);
    QCOMPARE(uploads.size(), 1);
    QVERIFY(reboots.first().value(QLatin1String("t")).toDouble() <
            uploads.first().value(QLatin1String("t")).toDouble());
    expectNewVersion(QStringLiteral("pair1"), QStringLiteral("10.77.2.26"), path, QStringLiteral("2.2.02"));
    expectNewVersion(QStringLiteral("pair2"), QStringLiteral("10.77.2.27"), path, QStringLiteral("2.2.02"));
}

void TestFirmwarePageSupplies::failureStopsTheSequenceAndResumes()
{
    const QString a = QStringLiteral("10.77.2.23");
    const QString b = QStringLiteral("10.77.2.24");
    const QString c = QStringLiteral("10.77.2.25");
    const QString path = image(QStringLiteral("sequence"), QStringLiteral("2.3.00"));
    QVERIFY(m_lab->tick({a, b, c}));
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("critical"));
    QCOMPARE(m_lab->lastBox().title, QStringLiteral("Firmware Upgrade"));
    const QString box = m_lab->lastBox().text;
    QVERIFY2(box.startsWith(failureText), qPrintable(box));
    // The end box names every unit of the run with its outcome, the failure with the unit's first error.
    QVERIFY2(box.contains(QStringLiteral(" 10.77.2.23: upgraded\n")), qPrintable(box));
    QVERIFY2(box.contains(QStringLiteral(" 10.77.2.24: failed (CRITICAL: module is in ON mode!")), qPrintable(box));
    QVERIFY2(box.contains(QStringLiteral(" 10.77.2.25: not started\n")), qPrintable(box));
    // The failure's rescan already shows the unit upgraded before it with its new version.
    QCOMPARE(m_lab->firmwareShown(a), QStringLiteral("2.3.00"));
    QVERIFY(m_lab->windowEnabled());
    QCOMPARE(m_lab->recorder.runs().size(), 2);
    QCOMPARE(m_lab->recorder.runs().at(1).errors, 1);
    QCOMPARE(m_lab->recorder.runs().at(1).completions, 0);
    // The first is done, the second failed and is off the selection, the third waits, still ticked.
    DeviceTable& table = m_lab->window->deviceTable();
    QVERIFY(!table.selectionBox(m_lab->rowOf(a))->isChecked());
    QVERIFY(!table.selectionBox(m_lab->rowOf(b))->isChecked());
    QVERIFY(table.selectionBox(m_lab->rowOf(c))->isChecked());
    QVERIFY(SimLog::events(m_lab->simLog(), QStringLiteral("upload"), QStringLiteral("seqc")).isEmpty());

    QVERIFY(m_lab->upgrade(1, runBoundMs));
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    QCOMPARE(m_lab->recorder.runs().size(), 3);
    QCOMPARE(m_lab->recorder.last().logs.value(1), QStringLiteral("Device IP: ") + c);
    expectNewVersion(QStringLiteral("seqa"), a, path, QStringLiteral("2.3.00"));
    expectNewVersion(QStringLiteral("seqc"), c, path, QStringLiteral("2.3.00"));
    QCOMPARE(m_lab->firmwareShown(b), QStringLiteral("1.0.00"));
}

void TestFirmwarePageSupplies::misbehaviours_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QStringList>("lastLines");
    QTest::addColumn<int>("errors");
    QTest::addColumn<int>("completions");
    QTest::newRow("output on") << "pson"
                               << "10.77.2.15" << smallImage
                               << QStringList{"CRITICAL: module is in ON mode! PLEASE PUT IT IN OFF BEFORE TO "
                                              "PERFORM A FIRMWARE UPDATE"}
                               << 1 << 0;
    QTest::newRow("DC link above its limit")
        << "zarnhigh"
        << "10.77.2.12" << smallImage << QStringList{"CRITICAL: the DC link voltage 610.5V should be less than 600V"}
        << 1 << 0;
    QTest::newRow("unreadable readings")
        << "zarnbad"
        << "10.77.2.13" << smallImage << QStringList{"WARNING: there are some errors reading DC link voltage. ERR, ERR"}
        << 1 << 0;
    // A refused identification ends the run with the unit's own words.
    QTest::newRow("NAK to identification")
        << "psnak"
        << "10.77.2.14" << smallImage
        << QStringList{"Socket closed, continue...", "ERROR: the unit refused identification: \"#NAK:not ready\\r\\n\""}
        << 1 << 0;
    QTest::newRow("refused upload port") << "psrefuse"
                                         << "10.77.2.16" << smallImage
                                         << QStringList{"CRITICAL: socket error, Connection refused",
                                                        "Please check that your device is connected and try again..."}
                                         << 1 << 0;
    QTest::newRow("connection dropped mid-upload")
        << "psdrop"
        << "10.77.2.17" << hugeImage << QStringList{"CRITICAL: Packet transmitted with erros"} << 1 << 0;
    QTest::newRow("NAK with a reason") << "psreason"
                                       << "10.77.2.19" << smallImage
                                       << QStringList{"Update Socket Closed!",
                                                      "CRITICAL: update error: wrong model\r\n",
                                                      "\nERROR: Unexpected Error"}
                                       << 1 << 0;
    QTest::newRow("unacknowledged reboot")
        << "psnoboot"
        << "10.77.2.20" << smallImage
        << QStringList{"\nFIRMWARE SUCCESSFULLY UPDATED!", "\nWARNING: CANNOT REBOOT! PLEASE REBOOT MANUALLY",
                       "WARNING: The supply answered the reboot request with \"#NAK:reboot refused\\r\\n\"."}
        << 0 << 1;
}

void TestFirmwarePageSupplies::misbehaviours()
{
    QFETCH(QString, unit);
    QFETCH(QString, ip);
    QFETCH(qint64, size);
    QFETCH(QStringList, lastLines);
    QFETCH(int, errors);
    QFETCH(int, completions);
    const QString path = image(unit, QStringLiteral("9.9.99"), size);
    QVERIFY(m_lab->tick({ip}));
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    QCOMPARE(m_lab->prompts->boxes.size(), 1);
    QVERIFY(m_lab->windowEnabled());
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(m_lab->recorder.runs().size(), 1);
    QCOMPARE(run.errors, errors);
    QCOMPARE(run.completions, completions);
    QCOMPARE(run.logs.mid(run.logs.size() - lastLines.size()), lastLines);
    const bool succeeded = completions == 1;
    QCOMPARE(m_lab->lastBox().kind, succeeded ? QStringLiteral("information") : QStringLiteral("critical"));
    QVERIFY2(m_lab->lastBox().text.startsWith(succeeded ? successText : failureText),
             qPrintable(m_lab->lastBox().text));
    QString expectedLog = asLogText(run.logs);
    if (run.finalSignals() == 0)
        expectedLog += QStringLiteral("\nERROR: The upgrade ended without a result: its last message was \"%1\".")
                           .arg(lastLines.last());
    // The rescan after a completed run finds the old version still running.
    if (succeeded)
        expectedLog += QStringLiteral("\nWARNING: SP-100 (00:A0:3B:00:02:20): the unit still reports version 1.0.00: "
                                      "the new firmware may not have been taken.");
    QCOMPARE(m_lab->log(), expectedLog);
    // None of them rebooted into the image: they refused it, or (the last) refused to reboot.
    QVERIFY(SimLog::events(m_lab->simLog(), QStringLiteral("reboot"), unit).isEmpty());
    if (succeeded)
        QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("1.0.00"));
}

void TestFirmwarePageSupplies::watchdogEndsASilentSupply()
{
    AppSettings settings;
    settings.setResponseTimeout(watchdogMs);
    settings.sync();
    m_lab = std::make_unique<FirmwarePageLab>();
    settings.setResponseTimeout(MainWindow::defaultUpdateTimeoutMs);
    settings.sync();
    QCOMPARE(m_lab->window->updateTimeout(), watchdogMs);
    m_lab->scan();
    m_lab->markSimLog();
    const QString path = image(QStringLiteral("silent"), QStringLiteral("9.9.99"));
    QVERIFY(m_lab->tick({QStringLiteral("10.77.2.18")}));
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    QVERIFY2(m_lab->lastBox().text.startsWith(failureText), qPrintable(m_lab->lastBox().text));
    QVERIFY(m_lab->windowEnabled());
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.errors, 1);
    QCOMPARE(run.completions, 0);
    // The upload had ended: the supply is said to be installing, beyond the stop's reach.
    const QStringList end = {QStringLiteral("Update Socket Closed!"),
                             QStringLiteral("WARNING: The upload had ended when the upgrade was stopped: the supply "
                                            "is installing the image and cannot be stopped. Check it once it has "
                                            "restarted."),
                             QStringLiteral("ERROR: The upgrade was stopped on request while the supply was "
                                            "installing the image; its installation report was not followed to "
                                            "the end."),
                             QStringLiteral("CRITICAL: update error: Timeout Error!"),
                             QStringLiteral("\nERROR: Unexpected Error")};
    QCOMPARE(run.logs.mid(run.logs.size() - end.size()), end);
    // The page says why the run was stopped, between the upload and the supply's end.
    const QString warning =
        QStringLiteral("WARNING: No result after %1 ms: the upgrade is asked to stop.").arg(watchdogMs);
    QVERIFY2(m_lab->log().contains(QStringLiteral("\nInstall new firmware:\n")), qPrintable(m_lab->log()));
    QVERIFY2(m_lab->log().indexOf(warning) > m_lab->log().indexOf(QStringLiteral("Install new firmware:")),
             qPrintable(m_lab->log()));
    // Then the run names who stopped it and the step it stopped in, as the journal records it.
    const QString stopped = QStringLiteral("The upgrade ended, no result within %1 ms: stopped by the watchdog: %2")
                                .arg(watchdogMs)
                                .arg(end.at(2));
    QVERIFY2(m_lab->log().endsWith(asLogText(end + QStringList{stopped})), qPrintable(m_lab->log()));
    const SimLog::Lines uploads = SimLog::events(m_lab->simLog(), QStringLiteral("upload"), QStringLiteral("pssilent"));
    QCOMPARE(uploads.size(), 1);
    QCOMPARE(qint64(uploads.first().value(QLatin1String("bytes")).toDouble()), smallImage);
}

QTEST_MAIN(TestFirmwarePageSupplies)
#include "tst_firmwarepage_supplies.moc"
