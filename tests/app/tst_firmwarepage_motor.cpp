// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/heximages.h"
#include "common/simlog.h"
#include "common/testhome.h"
#include "firmwarepagelab.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int realRunBoundMs = 240000;
constexpr int runBoundMs = 60000;
constexpr int normalBaud = 921600;
constexpr int normalPins = 7;
const QString failureText = QStringLiteral("ERROR: Updating failed!");
const QString successText = QStringLiteral("Device succesfuly updated!");
const QString restored =
    QStringLiteral("Restoring the module: done, pins at normal operation and the serial speed at 921600.");
const QString notRestored = QStringLiteral(
    "WARNING: The module could not be restored: check its pins and serial speed before using the motor driver!");

// The procedure's own steps, in the order they must appear among the programming objects' lines.
QStringList procedureSteps(const QString& dspLine)
{
    return {QStringLiteral("Update Kolvex Firmware:"),
            dspLine,
            QStringLiteral("Set Baudrate to 38400..."),
            QStringLiteral("Done!"),
            QStringLiteral("Set GPIO..."),
            QStringLiteral("Done!"),
            QStringLiteral("Load Bootloader..."),
            QStringLiteral("Done!"),
            QStringLiteral("Program..."),
            QStringLiteral("Memory erased!"),
            QStringLiteral("Writing completed!"),
            QStringLiteral("Done!"),
            QStringLiteral("Set Baudrate to 921600..."),
            QStringLiteral("Done!"),
            QStringLiteral("Lantronix Ready!"),
            QStringLiteral("Reset DSP..."),
            QStringLiteral("Process completed! wait for restart...")};
}

// The speeds the setup menu was given, in order.
QStringList menuSpeeds(const SimLog::Lines& lines, const QString& unit)
{
    QStringList speeds;
    for (const QJsonObject& line : SimLog::events(lines, QStringLiteral("menu"), unit)) {
        if (line.value(QLatin1String("question")).toString() == QLatin1String("Baudrate"))
            speeds << line.value(QLatin1String("answer")).toString();
    }
    return speeds;
}

bool isSubsequence(const QStringList& wanted, const QStringList& lines)
{
    int next = 0;
    for (const QString& line : lines) {
        if (next < wanted.size() && line == wanted.at(next))
            ++next;
    }
    return next == wanted.size();
}

// Where the unit stands now, from everything the simulator logged of it.
struct ModuleState
{
    int baud = normalBaud;
    int pinLevels = -1;
    QMap<QString, QString> dsps;
};

ModuleState moduleState(const QString& unit)
{
    ModuleState state;
    for (const QJsonObject& line : SimLog::lines()) {
        if (line.value(QLatin1String("unit")).toString() != unit)
            continue;
        const QString event = line.value(QLatin1String("event")).toString();
        if (event == QLatin1String("restart") && line.value(QLatin1String("phase")).toString() == QLatin1String("up"))
            state.baud = line.value(QLatin1String("baud")).toInt();
        else if (event == QLatin1String("pins"))
            state.pinLevels = line.value(QLatin1String("levels")).toInt();
        else if (event == QLatin1String("dsp"))
            state.dsps[line.value(QLatin1String("dsp")).toString()] = line.value(QLatin1String("state")).toString();
    }
    return state;
}
} // namespace

// Motor drivers upgraded through the real firmware page against the simulated XPort modules and DSPs of
// tests/labs/firmware-page-motor.json: both DSPs of one driver, then every fault of the module.
class TestFirmwarePageMotor : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void bothDspsOneAfterTheOther();
    void misbehaviours_data();
    void misbehaviours();
    void verifyMismatchIsNeverMet();

private:
    QString image(const QString& name, const QString& version);
    // The run of one DSP from its row of the page; the driver must be current for the second row.
    void upgradeDsp(const QString& ip, int firmwareRow, const QString& path, int boundMs);
    void expectFlashed(const QString& unit, const QString& dsp, const QString& version);

    QTemporaryDir m_home;
    QTemporaryDir m_images;
    std::unique_ptr<FirmwarePageLab> m_lab;
    QMap<QString, QByteArray> m_sections;
};

void TestFirmwarePageMotor::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(m_images.isValid());
    useTestHome(m_home);
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS") || !SimLog::available())
        QSKIP("runs only inside the namespace harness");
}

void TestFirmwarePageMotor::init()
{
    FirmwarePacing::setCurrent(quickPacing());
    m_lab = std::make_unique<FirmwarePageLab>();
    m_lab->scan();
    QVERIFY(m_lab->rowOf(QStringLiteral("10.77.4.10")) >= 0);
    m_lab->markSimLog();
}

void TestFirmwarePageMotor::cleanup()
{
    m_lab.reset();
    FirmwarePacing::setCurrent(FirmwarePacing());
}

// The marker names the DSP the file is for.
QString TestFirmwarePageMotor::image(const QString& name, const QString& version)
{
    const QList<HexImages::Section> sections = HexImages::versionedImage(version, 1024);
    m_sections[version] = sections.first().data;
    const QString path = m_images.filePath(name + QLatin1Char('_') + version + QStringLiteral(".hex"));
    return HexImages::writeFile(path, HexImages::toHex(sections)) ? path : QString();
}

void TestFirmwarePageMotor::upgradeDsp(const QString& ip, int firmwareRow, const QString& path, int boundMs)
{
    QVERIFY(m_lab->tick({ip}));
    QCOMPARE(m_lab->child<QWidget>("widgetFirmware2")->isVisible(), true);
    m_lab->choose(firmwareRow, path);
    QCOMPARE(m_lab->child<QLineEdit>(firmwareRow == 1 ? "lineEditFirmware1" : "lineEditFirmware2")->text(), path);
    m_lab->markSimLog();
    QVERIFY(m_lab->upgrade(firmwareRow, boundMs));
    QVERIFY(m_lab->windowEnabled());
}

// The DSP left reset running what was written: exactly the image, with the image's version.
void TestFirmwarePageMotor::expectFlashed(const QString& unit, const QString& dsp, const QString& version)
{
    SimLog::Lines flashes =
        SimLog::filter(SimLog::events(m_lab->simLog(), QStringLiteral("flash"), unit), [&dsp](const QJsonObject& line) {
            return line.value(QLatin1String("dsp")).toString() == dsp && !line.value(QLatin1String("factory")).toBool();
        });
    QVERIFY(!flashes.isEmpty());
    const QJsonObject flash = flashes.last();
    QCOMPARE(
        flash.value(QLatin1String("sha256")).toString(),
        QString::fromLatin1(QCryptographicHash::hash(m_sections.value(version), QCryptographicHash::Sha256).toHex()));
    QCOMPARE(flash.value(QLatin1String("version")).toString(), version);
}

void TestFirmwarePageMotor::bothDspsOneAfterTheOther()
{
    const QString ip = QStringLiteral("10.77.4.10");
    QCOMPARE(m_lab->codeOf(ip), QStringLiteral("4200"));
    QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("2.10"));
    const QString communication = image(QStringLiteral("Kolvex_Communication_DSP"), QStringLiteral("2.31"));
    const QString control = image(QStringLiteral("Kolvex_Control_DSP"), QStringLiteral("1.07"));

    // The communication DSP with the real pauses, from the first row.
    FirmwarePacing::setCurrent(FirmwarePacing());
    QElapsedTimer clock;
    clock.start();
    upgradeDsp(ip, 1, communication, realRunBoundMs);
    qInfo("communication DSP with the real pacing: %lld ms", clock.elapsed());
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("information"));
    QCOMPARE(m_lab->lastBox().text, successText);
    WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.completions, 1);
    QCOMPARE(run.errors, 0);
    QCOMPARE(run.logs.mid(3, 5),
             (QStringList{QStringLiteral("Try to connect..."), QStringLiteral("Device Connected!"),
                          QStringLiteral("Check version..."), QStringLiteral("Socket closed, continue..."),
                          QStringLiteral("Device name: #MVER:KOLVEX:B:2.10\r\n")}));
    QVERIFY2(isSubsequence(procedureSteps(QStringLiteral("The 'Communication DSP' will be programmed...")), run.logs),
             qPrintable(run.logs.join(QLatin1Char('|'))));
    QCOMPARE(m_lab->log(), asLogText(run.logs));
    // 0 at the start, 70 after the transfer, 100 at the end; single steps between.
    QCOMPARE(run.progress.first(), 0);
    QCOMPARE(run.progress.last(), 100);
    QCOMPARE(run.progress.count(70), 1);
    QCOMPARE(run.progress.count(1), run.progress.size() - 3);
    QCOMPARE(m_lab->bar()->value(), 100);
    expectFlashed(QStringLiteral("mot"), QStringLiteral("communication"), QStringLiteral("2.31"));
    QCOMPARE(menuSpeeds(m_lab->simLog(), QStringLiteral("mot")), (QStringList{"38400", "921600"}));
    // The rescan asks the driver at its normal speed: it answers with the new version.
    QCOMPARE(m_lab->codeOf(ip), QStringLiteral("4200"));
    QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("2.31"));

    // The control DSP from the second row, with the pauses cut down but for the module's restart.
    FirmwarePacing pacing = quickPacing();
    pacing.restartSteps = 4;
    pacing.restartStepMs = 1000;
    FirmwarePacing::setCurrent(pacing);
    upgradeDsp(ip, 2, control, runBoundMs);
    QCOMPARE(m_lab->lastBox().text, successText);
    run = m_lab->recorder.last();
    QCOMPARE(run.completions, 1);
    QCOMPARE(run.errors, 0);
    QVERIFY(isSubsequence(procedureSteps(QStringLiteral("The 'Control DSP' will be programmed...")), run.logs));
    expectFlashed(QStringLiteral("mot"), QStringLiteral("control"), QStringLiteral("1.07"));
    QCOMPARE(menuSpeeds(m_lab->simLog(), QStringLiteral("mot")), (QStringList{"38400", "921600"}));
    // The line reaches the communication DSP in normal operation: the table keeps showing its version.
    QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("2.31"));

    const ModuleState state = moduleState(QStringLiteral("mot"));
    QCOMPARE(state.baud, normalBaud);
    QCOMPARE(state.pinLevels, normalPins);
    QCOMPARE(state.dsps.value(QStringLiteral("communication")), QStringLiteral("application"));
    QCOMPARE(state.dsps.value(QStringLiteral("control")), QStringLiteral("application"));
}

void TestFirmwarePageMotor::misbehaviours_data()
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
        << "10.77.4.11"
        << "4200" << QStringList{"Set GPIO...", "ERROR: Connection to port 30704 failed!"} << notRestored << false
        << "";
    // The pins follow the commands; only the replies are wrong, so the restore cannot be confirmed.
    QTest::newRow("pin service with wrong replies")
        << "pinswrong"
        << "10.77.4.12"
        << "4200" << QStringList{"Set GPIO...", "ERROR: GPIO not configured correctly!"} << notRestored << true << "";
    QTest::newRow("no autobaud echo") << "noecho"
                                      << "10.77.4.13"
                                      << "4200" << QStringList{"Load Bootloader...", "ERROR: autobaud failed!"}
                                      << restored << true << "autobaud";
    // Nothing is changed before the menu's save: there is nothing to restore.
    QTest::newRow("menu without its prompt")
        << "noprompt"
        << "10.77.4.14"
        << "4200" << QStringList{"Set Baudrate to 38400...", "ERROR: XPort setup menu did not show \"Your choice ?\"!"}
        << "ERROR: XPort setup menu did not show \"Your choice ?\"!" << false << "";
    // Without its tunnel the scan cannot ask the driver: it is listed as the module alone.
    QTest::newRow("tunnel unreachable") << "notunnel"
                                        << "10.77.4.15"
                                        << "4100" << QStringList{"Load Bootloader...", "ERROR: Connection Failed!!"}
                                        << restored << true << "";
    QTest::newRow("erase refused") << "noerase"
                                   << "10.77.4.16"
                                   << "4200" << QStringList{"Erase Timeout 20s", "ERROR: Flash Erase failed!"}
                                   << restored << true << "erase";
}

void TestFirmwarePageMotor::misbehaviours()
{
    QFETCH(QString, unit);
    QFETCH(QString, ip);
    QFETCH(QString, code);
    QFETCH(QStringList, failure);
    QFETCH(QString, lastLine);
    QFETCH(bool, pinsReachable);
    QFETCH(QString, refusal);
    QCOMPARE(m_lab->codeOf(ip), code);
    const QString path = image(QStringLiteral("Kolvex_Communication_DSP"), QStringLiteral("9.99"));
    upgradeDsp(ip, 1, path, runBoundMs);
    QCOMPARE(m_lab->prompts->boxes.size(), 1);
    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("critical"));
    QCOMPARE(m_lab->lastBox().text, failureText);
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

// The tool writes without verify frames, so a DSP whose every verify fails is upgraded all the same.
void TestFirmwarePageMotor::verifyMismatchIsNeverMet()
{
    const QString ip = QStringLiteral("10.77.4.17");
    const QString path = image(QStringLiteral("Kolvex_Communication_DSP"), QStringLiteral("3.00"));
    upgradeDsp(ip, 1, path, runBoundMs);
    QVERIFY2(m_lab->recorder.last().completions == 1, qPrintable(m_lab->recorder.last().logs.join(QLatin1Char('|'))));
    QCOMPARE(m_lab->lastBox().text, successText);
    QVERIFY(SimLog::events(m_lab->simLog(), QStringLiteral("verify"), QStringLiteral("verifybad")).isEmpty());
    expectFlashed(QStringLiteral("verifybad"), QStringLiteral("communication"), QStringLiteral("3.00"));
    QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("3.00"));
}

QTEST_MAIN(TestFirmwarePageMotor)
#include "tst_firmwarepage_motor.moc"
