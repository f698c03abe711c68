// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/simlog.h"
#include "common/testhome.h"
#include "motorpagelab.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace motorpage;

namespace {
constexpr int realRunBoundMs = 240000;
} // namespace

// A motor driver upgraded through the real firmware page against the simulated XPort module and DSPs of
// tests/labs/firmware-page-motor.json: both DSPs of one driver, one after the other.
class TestFirmwarePageMotor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void bothDspsOneAfterTheOther();
    void unconfirmedWriteFails_data();
    void unconfirmedWriteFails();

private:
    QTemporaryDir m_home;
    std::unique_ptr<MotorPageLab> m_lab;
};

void TestFirmwarePageMotor::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS") || !SimLog::available())
        QSKIP("runs only inside the namespace harness");
}

void TestFirmwarePageMotor::init()
{
    FirmwarePacing::setCurrent(quickPacing());
    m_lab = std::make_unique<MotorPageLab>();
    m_lab->scan();
    QVERIFY(m_lab->rowOf(QStringLiteral("10.77.4.10")) >= 0);
    m_lab->markSimLog();
}

void TestFirmwarePageMotor::cleanup()
{
    m_lab.reset();
    FirmwarePacing::setCurrent(FirmwarePacing());
}

void TestFirmwarePageMotor::bothDspsOneAfterTheOther()
{
    const QString ip = QStringLiteral("10.77.4.10");
    QCOMPARE(m_lab->codeOf(ip), QStringLiteral("4200"));
    QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("2.10"));
    const QString communication = m_lab->image(QStringLiteral("Kolvex_Communication_DSP"), QStringLiteral("2.31"));
    const QString control = m_lab->image(QStringLiteral("Kolvex_Control_DSP"), QStringLiteral("1.07"));

    // The communication DSP with the real pauses, from the first row.
    FirmwarePacing::setCurrent(FirmwarePacing());
    QElapsedTimer clock;
    clock.start();
    m_lab->upgradeDsp(ip, 1, communication, realRunBoundMs);
    if (QTest::currentTestFailed())
        return;
    qInfo("communication DSP with the real pacing: %lld ms", clock.elapsed());
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("information"));
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.completions, 1);
    QCOMPARE(run.errors, 0);
    QCOMPARE(run.logs.mid(3, 5),
             (QStringList{QStringLiteral("Try to connect..."), QStringLiteral("Device Connected!"),
                          QStringLiteral("Check version..."), QStringLiteral("Socket closed, continue..."),
                          QStringLiteral("Device name: #MVER:KOLVEX:B:2.10\r\n")}));
    QVERIFY2(isSubsequence(procedureSteps(QStringLiteral("The 'Communication DSP' will be programmed...")), run.logs),
             qPrintable(run.logs.join(QLatin1Char('|'))));
    // The worker's lines, then the page's own: what the rescan says of the version, and where the log is kept.
    QVERIFY2(m_lab->log().startsWith(asLogText(run.logs)), qPrintable(m_lab->log()));
    QVERIFY(m_lab->log().contains(QStringLiteral("(00:20:4A:00:04:10): 2.10 \u2192 ")));
    // 0 at the start, 70 after the transfer, 100 at the end; single steps between.
    QCOMPARE(run.progress.first(), 0);
    QCOMPARE(run.progress.last(), 100);
    QCOMPARE(run.progress.count(70), 1);
    QCOMPARE(run.progress.count(1), run.progress.size() - 3);
    QCOMPARE(m_lab->bar()->value(), 100);
    m_lab->expectFlashed(QStringLiteral("mot"), QStringLiteral("communication"), QStringLiteral("2.31"));
    QCOMPARE(menuSpeeds(m_lab->simLog(), QStringLiteral("mot")), (QStringList{"38400", "921600"}));
    // The rescan asks the driver at its normal speed: it answers with the new version.
    QCOMPARE(m_lab->codeOf(ip), QStringLiteral("4200"));
    QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("2.31"));

    // The control DSP from the second row, with the pauses cut down but for the module's restart.
    FirmwarePacing pacing = quickPacing();
    pacing.restartSteps = 4;
    pacing.restartStepMs = 1000;
    FirmwarePacing::setCurrent(pacing);
    m_lab->upgradeDsp(ip, 2, control, runBoundMs);
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    run = m_lab->recorder.last();
    QCOMPARE(run.completions, 1);
    QCOMPARE(run.errors, 0);
    QVERIFY(isSubsequence(procedureSteps(QStringLiteral("The 'Control DSP' will be programmed...")), run.logs));
    m_lab->expectFlashed(QStringLiteral("mot"), QStringLiteral("control"), QStringLiteral("1.07"));
    QCOMPARE(menuSpeeds(m_lab->simLog(), QStringLiteral("mot")), (QStringList{"38400", "921600"}));
    // The line reaches the communication DSP in normal operation: the table keeps showing its version.
    QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("2.31"));

    const ModuleState state = moduleState(QStringLiteral("mot"));
    QCOMPARE(state.baud, normalBaud);
    QCOMPARE(state.pinLevels, normalPins);
    QCOMPARE(state.dsps.value(QStringLiteral("communication")), QStringLiteral("application"));
    QCOMPARE(state.dsps.value(QStringLiteral("control")), QStringLiteral("application"));
}

void TestFirmwarePageMotor::unconfirmedWriteFails_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("error");
    // The verify that confirms each write finds another block: the write is not taken as done.
    QTest::newRow("verify mismatch") << "verifybad"
                                     << "10.77.4.17"
                                     << "ERROR: The bootloader refused write frame 1 of 2 (the block at word "
                                        "address 3E8000): \"NAK\\n\"";
    // From the first write frame on the tunnel passes nothing more and talks instead.
    QTest::newRow("tunnel chatters") << "writechat"
                                     << "10.77.4.18"
                                     << "ERROR: The bootloader did not confirm write frame 1 of 2 (the block at "
                                        "word address 3E8000); it answered \"#INFO:busy\\r\\n\"";
    QTest::newRow("tunnel floods") << "writeflood"
                                   << "10.77.4.19"
                                   << "ERROR: The bootloader did not confirm write frame 1 of 2 (the block at word "
                                      "address 3E8000); it answered \"~~~~";
}

void TestFirmwarePageMotor::unconfirmedWriteFails()
{
    QFETCH(QString, unit);
    QFETCH(QString, ip);
    QFETCH(QString, error);
    const QString path = m_lab->image(QStringLiteral("Kolvex_Communication_DSP"), QStringLiteral("3.00"));
    m_lab->upgradeDsp(ip, 1, path, runBoundMs);
    if (QTest::currentTestFailed())
        return;
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.completions, 0);
    QCOMPARE(run.errors, 1);
    QVERIFY2(std::any_of(run.logs.cbegin(), run.logs.cend(),
                         [&error](const QString& line) { return line.startsWith(error); }),
             qPrintable(run.logs.join(QLatin1Char('|'))));
    QVERIFY(!run.logs.contains(QStringLiteral("Writing completed!")));
    QVERIFY2(m_lab->lastBox().text.startsWith(failureText), qPrintable(m_lab->lastBox().text));
    QCOMPARE(SimLog::events(m_lab->simLog(), QStringLiteral("write"), unit).size(), 1);
    QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("2.10"));
}

QTEST_MAIN(TestFirmwarePageMotor)
#include "tst_firmwarepage_motor.moc"
