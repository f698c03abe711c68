// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/firmwareimages.h"
#include "common/simlog.h"
#include "common/testhome.h"
#include "firmwarepagelab.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
constexpr int runBoundMs = 120000;
const QString banner = QStringLiteral(" ===  U P D A T E   T H E   D E V I C E  ===");
const QString failureText = QStringLiteral("ERROR: Updating failed!");
const QString successText = QStringLiteral("Device succesfuly updated!");
const QString writing = QStringLiteral("Programming Device memory...");
const QString written = QStringLiteral("Device succesfuly updated!\n");
} // namespace

// Beamline instruments and a Vesk supply upgraded through the real firmware page against the simulated
// lab of tests/labs/firmware-page-beamline.json: the sectors erased, the image written line by line.
class TestFirmwarePageBeamline : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void upgradeWithRealPacing();
    void veskSupplyTakesTheBeamlineProcedure();
    void answersWithoutTerminator();
    void silenceAtALine();
    void windowTurnsWhileALongImageIsWritten();

private:
    QString image(const QString& name, const FirmwareImages::Flash& spec);
    // The unit programmed exactly the image, rebooted into its version, and the rescan shows it.
    void expectFlashed(const QString& unit, const QString& ip, const QByteArray& image, const QString& version);
    void upgradeOne(const QString& ip, const QString& path);

    QTemporaryDir m_home;
    QTemporaryDir m_images;
    std::unique_ptr<FirmwarePageLab> m_lab;
    QByteArray m_image;
};

void TestFirmwarePageBeamline::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(m_images.isValid());
    useTestHome(m_home);
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS") || !SimLog::available())
        QSKIP("runs only inside the namespace harness");
}

void TestFirmwarePageBeamline::init()
{
    FirmwarePacing::setCurrent(quickPacing());
    m_lab = std::make_unique<FirmwarePageLab>();
    m_lab->scan();
    QVERIFY(m_lab->rowOf(QStringLiteral("10.77.3.30")) >= 0);
    m_lab->markSimLog();
}

void TestFirmwarePageBeamline::cleanup()
{
    m_lab.reset();
    FirmwarePacing::setCurrent(FirmwarePacing());
}

QString TestFirmwarePageBeamline::image(const QString& name, const FirmwareImages::Flash& spec)
{
    m_image = FirmwareImages::flash(spec);
    const QString path = m_images.filePath(name + QStringLiteral(".flash"));
    return FirmwareImages::write(path, m_image) ? path : QString();
}

void TestFirmwarePageBeamline::expectFlashed(const QString& unit, const QString& ip, const QByteArray& image,
                                             const QString& version)
{
    const SimLog::Lines lines = m_lab->simLog();
    const SimLog::Lines flashes = SimLog::events(lines, QStringLiteral("flash"), unit);
    QCOMPARE(flashes.size(), 1);
    QCOMPARE(flashes.first().value(QLatin1String("regions")).toArray(), FirmwareImages::flashRegions(image));
    QCOMPARE(flashes.first().value(QLatin1String("refused")).toInt(), 0);
    QCOMPARE(flashes.first().value(QLatin1String("lines")).toInt(), image.count('\n'));
    const SimLog::Lines reboots = SimLog::events(lines, QStringLiteral("reboot"), unit);
    QCOMPARE(reboots.size(), 1);
    QCOMPARE(reboots.first().value(QLatin1String("fw")).toString(), version);
    QCOMPARE(m_lab->firmwareShown(ip), version);
}

void TestFirmwarePageBeamline::upgradeOne(const QString& ip, const QString& path)
{
    QVERIFY(m_lab->tick({ip}));
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    QCOMPARE(m_lab->prompts->boxes.size(), 1);
    QVERIFY(m_lab->windowEnabled());
}

void TestFirmwarePageBeamline::upgradeWithRealPacing()
{
    FirmwarePacing::setCurrent(FirmwarePacing());
    const QString ip = QStringLiteral("10.77.3.30");
    QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("1.0.00"));
    FirmwareImages::Flash spec;
    spec.version = QStringLiteral("2.1.07");
    // Across the boundary of sectors 0 and 1.
    spec.type = '2';
    spec.start = 0xFC00;
    spec.lines = 200;
    const QString path = image(QStringLiteral("lumen"), spec);
    upgradeOne(ip, path);
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("information"));
    QCOMPARE(m_lab->lastBox().title, QStringLiteral("Firmware Upgrade"));
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.completions, 1);
    QCOMPARE(run.errors, 0);

    const QStringList expected = {banner,
                                  QStringLiteral("Device IP: ") + ip,
                                  QStringLiteral("Firmware : ") + path,
                                  QStringLiteral("Try to connect..."),
                                  QStringLiteral("Device Connected!"),
                                  QStringLiteral("Check version..."),
                                  QStringLiteral("Socket closed, continue..."),
                                  QStringLiteral("Device name: #VER:LUMEN:1.0.00\r\n"),
                                  QStringLiteral("Device connected, continue..."),
                                  QStringLiteral("Reading file..."),
                                  QStringLiteral("Done!\n"),
                                  QStringLiteral("Erasing Lumeno memory..."),
                                  QStringLiteral("Erased!\n"),
                                  writing,
                                  written,
                                  QStringLiteral("Wait restart..."),
                                  QStringLiteral("Remote update succesful!"),
                                  QStringLiteral("Kestrion has finished to update the device with success.")};
    QCOMPARE(run.logs, expected);
    QCOMPARE(m_lab->log(), asLogText(run.logs) + QStringLiteral("\nAH50 (00:A0:3B:00:03:30): 1.0.00 \u2192 2.1.07"));

    // 1 for the reading, 1 per sector, 1 per step of lines, then 100.
    const int lines = m_image.count('\n');
    QCOMPARE(run.progress.last(), 100);
    QCOMPARE(run.progress.count(1), run.progress.size() - 1);
    QCOMPARE(run.progress.size() - 1, 1 + 2 + lines / (lines / 70));
    QCOMPARE(m_lab->bar()->value(), 100);

    const SimLog::Lines erased = SimLog::events(m_lab->simLog(), QStringLiteral("erase"), QStringLiteral("bl1"));
    QCOMPARE(erased.size(), 2);
    QCOMPARE(erased.at(0).value(QLatin1String("sector")).toInt(), 0);
    QCOMPARE(erased.at(1).value(QLatin1String("sector")).toInt(), 1);
    expectFlashed(QStringLiteral("bl1"), ip, m_image, QStringLiteral("2.1.07"));
}

void TestFirmwarePageBeamline::veskSupplyTakesTheBeamlineProcedure()
{
    const QString ip = QStringLiteral("10.77.3.31");
    QCOMPARE(m_lab->codeOf(ip), QStringLiteral("1600"));
    FirmwareImages::Flash spec;
    spec.version = QStringLiteral("1.6.10");
    spec.type = '2';
    spec.start = 0x20000;
    const QString path = image(QStringLiteral("vesk"), spec);
    upgradeOne(ip, path);
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.completions, 1);
    QVERIFY(run.logs.contains(QStringLiteral("Erasing Lumeno memory...")));
    QVERIFY(!run.logs.contains(QStringLiteral("\nFIRMWARE UPDATE...")));
    QVERIFY(SimLog::events(m_lab->simLog(), QStringLiteral("upload"), QStringLiteral("vesk")).isEmpty());
    expectFlashed(QStringLiteral("vesk"), ip, m_image, QStringLiteral("1.6.10"));
}

// An answer that never ends its line still counts: the procedure goes on after its waits.
void TestFirmwarePageBeamline::answersWithoutTerminator()
{
    FirmwarePacing pacing = quickPacing();
    pacing.answerWaitMs = 100;
    FirmwarePacing::setCurrent(pacing);
    const QString ip = QStringLiteral("10.77.3.33");
    FirmwareImages::Flash spec;
    spec.version = QStringLiteral("1.0.50");
    spec.lines = 8;
    const QString path = image(QStringLiteral("noend"), spec);
    upgradeOne(ip, path);
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.completions, 1);
    QCOMPARE(run.errors, 0);
    QCOMPARE(run.logs.last(), QStringLiteral("Kestrion has finished to update the device with success."));
    expectFlashed(QStringLiteral("blnoend"), ip, m_image, QStringLiteral("1.0.50"));
}

void TestFirmwarePageBeamline::silenceAtALine()
{
    const QString ip = QStringLiteral("10.77.3.32");
    FirmwareImages::Flash spec;
    spec.version = QStringLiteral("1.0.60");
    spec.lines = 20;
    const QString path = image(QStringLiteral("mute"), spec);
    upgradeOne(ip, path);
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("critical"));
    QVERIFY2(m_lab->lastBox().text.startsWith(failureText), qPrintable(m_lab->lastBox().text));
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.errors, 1);
    QCOMPARE(run.completions, 0);
    QCOMPARE(run.logs.mid(run.logs.size() - 3),
             (QStringList{writing, QStringLiteral("ERROR: No response from the device!"),
                          QStringLiteral("ERROR: The unit's flash is incomplete: the restart was not sent. Upgrade it "
                                         "again with a good image before it is restarted.")}));
    QCOMPARE(m_lab->log(), asLogText(run.logs));
    // The unit took two lines after the write mode, then fell silent; it was never told to restart.
    const SimLog::Lines lines = m_lab->simLog();
    QVERIFY(SimLog::events(lines, QStringLiteral("flash"), QStringLiteral("blmute")).isEmpty());
    QVERIFY(SimLog::events(lines, QStringLiteral("reboot"), QStringLiteral("blmute")).isEmpty());
    QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("1.0.00"));
}

void TestFirmwarePageBeamline::windowTurnsWhileALongImageIsWritten()
{
    const QString ip = QStringLiteral("10.77.3.34");
    FirmwareImages::Flash spec;
    spec.version = QStringLiteral("3.0.00");
    spec.lines = 20000;
    spec.bytesPerRecord = 16;
    spec.type = '2';
    const QString path = image(QStringLiteral("long"), spec);
    // Counts the timer's turns that fall while the page shows the writing under way.
    int turnsWhileWriting = 0;
    int barWhileWriting = -1;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&]() {
        const QString log = m_lab->log();
        if (log.contains(writing) && !log.contains(QStringLiteral("Device succesfuly updated!\n"))) {
            ++turnsWhileWriting;
            barWhileWriting = qMax(barWhileWriting, m_lab->bar()->value());
        }
    });
    ticker.start(20);
    upgradeOne(ip, path);
    ticker.stop();
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    QVERIFY2(turnsWhileWriting > 0, qPrintable(QString::number(turnsWhileWriting)));
    QVERIFY(barWhileWriting > 0);
    const SimLog::Lines erased = SimLog::events(m_lab->simLog(), QStringLiteral("erase"), QStringLiteral("blbig"));
    QCOMPARE(erased.size(), 5);
    expectFlashed(QStringLiteral("blbig"), ip, m_image, QStringLiteral("3.0.00"));
}

QTEST_MAIN(TestFirmwarePageBeamline)
#include "tst_firmwarepage_beamline.moc"
