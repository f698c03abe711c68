// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/simlog.h"
#include "common/testhome.h"
#include "motorpagelab.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace motorpage;

// Every fault of the XPort module met through the real firmware page (tests/labs/firmware-page-motorfaults.json):
// the failure's own message, one error signal, the module restored and the window free again.
class TestFirmwarePageMotorFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void misbehaviours_data();
    void misbehaviours();

private:
    QTemporaryDir m_home;
    std::unique_ptr<MotorPageLab> m_lab;
};

void TestFirmwarePageMotorFaults::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS") || !SimLog::available())
        QSKIP("runs only inside the namespace harness");
}

void TestFirmwarePageMotorFaults::init()
{
    FirmwarePacing::setCurrent(quickPacing());
    m_lab = std::make_unique<MotorPageLab>();
    m_lab->scan();
    QVERIFY(m_lab->rowOf(QStringLiteral("10.77.6.11")) >= 0);
    m_lab->markSimLog();
}

void TestFirmwarePageMotorFaults::cleanup()
{
    m_lab.reset();
    FirmwarePacing::setCurrent(FirmwarePacing());
}

void TestFirmwarePageMotorFaults::misbehaviours_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("failure");
    QTest::addColumn<QString>("lastLine");
    QTest::addColumn<bool>("pinsReachable");
    // What the unit itself logged of the fault, where it logs one: the event that failed.
    QTest::addColumn<QString>("refusal");
    QTest::newRow("pin service unreachable")
        << "pinsdead"
        << "10.77.6.11"
        << "4200" << QStringList{"Set GPIO...", "ERROR: Connection to port 30704 failed!"} << notRestored << false
        << "";
    // The pins follow the commands; only the replies are wrong, so the restore cannot be confirmed.
    QTest::newRow("pin service with wrong replies")
        << "pinswrong"
        << "10.77.6.12"
        << "4200" << QStringList{"Set GPIO...", "ERROR: GPIO not configured correctly!"} << notRestored << true << "";
    QTest::newRow("no autobaud echo") << "noecho"
                                      << "10.77.6.13"
                                      << "4200" << QStringList{"Load Bootloader...", "ERROR: autobaud failed!"}
                                      << restored << true << "autobaud";
    // Nothing is changed before the menu's save: there is nothing to restore.
    QTest::newRow("menu without its prompt")
        << "noprompt"
        << "10.77.6.14"
        << "4200" << QStringList{"Set Baudrate to 38400...", "ERROR: XPort setup menu did not show \"Your choice ?\"!"}
        << "ERROR: XPort setup menu did not show \"Your choice ?\"!" << false << "";
    // Without its tunnel the scan cannot ask the driver: it is listed as the module alone.
    QTest::newRow("tunnel unreachable") << "notunnel"
                                        << "10.77.6.15"
                                        << "4100" << QStringList{"Load Bootloader...", "ERROR: Connection Failed!!"}
                                        << restored << true << "";
    QTest::newRow("erase refused") << "noerase"
                                   << "10.77.6.16"
                                   << "4200" << QStringList{"Erase Timeout 20s", "ERROR: Flash Erase failed!"}
                                   << restored << true << "erase";
    // A menu that never stops talking is cut off at its bound; nothing was saved, nothing to restore.
    const QString chatter =
        QStringLiteral("ERROR: The XPort setup menu never fell silent within 2000 ms: there was no menu to answer.");
    QTest::newRow("menu that never falls silent")
        << "menuchat"
        << "10.77.6.17"
        << "4200" << QStringList{"Set Baudrate to 38400...", chatter} << chatter << false << "";
    // A menu that floods is cut off at the read's size, long before its time bound: the reason says which.
    const QString flood = QStringLiteral("ERROR: The XPort setup menu sent 65536 bytes without falling silent, the "
                                         "most one read takes: there was no menu to answer.");
    QTest::newRow("menu that floods") << "menuflood"
                                      << "10.77.6.21"
                                      << "4200" << QStringList{"Set Baudrate to 38400...", flood} << flood << false
                                      << "";
    // Only the loader's own echo shows that the boot ROM took it: anything else ends the run before the erase.
    QTest::newRow("loader not echoed")
        << "loadersilent"
        << "10.77.6.18"
        << "4200"
        << QStringList{"Load Bootloader...",
                       "ERROR: The boot ROM did not echo the bootloader (30836 bytes sent, none came back)."}
        << restored << true << "";
    QTest::newRow("loader echoed as other bytes")
        << "loaderrandom"
        << "10.77.6.19"
        << "4200"
        << QStringList{"Load Bootloader...", "ERROR: The boot ROM's echo of the bootloader differs from what was "
                                             "sent: 30836 bytes sent, 30836 came back, the first 0 of them as sent."}
        << restored << true << "";
    // The echo runs on with bytes of its own: it is cut off once it is longer than the loader.
    QTest::newRow("tunnel that never falls silent")
        << "tunnelchat"
        << "10.77.6.20"
        << "4200" << QStringList{"Load Bootloader..."} << restored << true << "";
}

void TestFirmwarePageMotorFaults::misbehaviours()
{
    QFETCH(QString, unit);
    QFETCH(QString, ip);
    QFETCH(QString, code);
    QFETCH(QStringList, failure);
    QFETCH(QString, lastLine);
    QFETCH(bool, pinsReachable);
    QFETCH(QString, refusal);
    QCOMPARE(m_lab->codeOf(ip), code);
    const QString path = m_lab->image(QStringLiteral("Kolvex_Communication_DSP"), QStringLiteral("9.99"));
    m_lab->upgradeDsp(ip, 1, path, runBoundMs);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(m_lab->prompts->boxes.size(), 1);
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("critical"));
    QVERIFY2(m_lab->lastBox().text.startsWith(failureText), qPrintable(m_lab->lastBox().text));
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.errors, 1);
    QCOMPARE(run.completions, 0);
    const int at = run.logs.indexOf(failure.first());
    QVERIFY2(at >= 0 && run.logs.mid(at, failure.size()) == failure, qPrintable(run.logs.join(QLatin1Char('|'))));
    QCOMPARE(run.logs.last(), lastLine);
    QCOMPARE(m_lab->log(), asLogText(run.logs));

    // The speed was changed and set back, or (menu without prompt) never saved at all.
    if (lastLine == restored || lastLine == notRestored)
        QCOMPARE(menuSpeeds(m_lab->simLog(), unit), (QStringList{"38400", "921600"}));
    else
        QVERIFY(SimLog::events(m_lab->simLog(), QStringLiteral("restart"), unit).isEmpty());
    // Back at its normal speed and, where the pins answer, in normal operation with both DSPs running.
    const ModuleState state = moduleState(unit);
    QCOMPARE(state.baud, normalBaud);
    if (pinsReachable) {
        QCOMPARE(state.pinLevels, normalPins);
        QCOMPARE(state.dsps.value(QStringLiteral("communication")), QStringLiteral("application"));
        QCOMPARE(state.dsps.value(QStringLiteral("control")), QStringLiteral("application"));
    }
    QVERIFY(SimLog::events(m_lab->simLog(), QStringLiteral("write"), unit).isEmpty());
    if (!refusal.isEmpty()) {
        const SimLog::Lines events = SimLog::events(m_lab->simLog(), refusal, unit);
        QCOMPARE(events.size(), 1);
        QCOMPARE(events.first().value(QLatin1String("ok")).toBool(), false);
    }
    // Every loader stream that reached a DSP was taken whole.
    for (const QJsonObject& loader : SimLog::events(m_lab->simLog(), QStringLiteral("loader"), unit))
        QVERIFY(loader.value(QLatin1String("ok")).toBool());
}

QTEST_MAIN(TestFirmwarePageMotorFaults)
#include "tst_firmwarepage_motorfaults.moc"
