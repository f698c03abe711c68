// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/heximages.h"
#include "fakexport.h"
#include "firmware/dspprogmode.h"
#include "firmware/firmwarepacing.h"
#include "firmware/firmwareupgrade.h"
#include "motorpacing.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

static void registerFirmwareResource()
{
    Q_INIT_RESOURCE(firmware);
}

namespace {
constexpr char loopback[] = "127.0.0.1";
constexpr int runBoundMs = 240000;
const QString restored =
    QStringLiteral("Restoring the module: done, pins at normal operation and the serial speed at 921600.");
const QString notRestored = QStringLiteral(
    "WARNING: The module could not be restored: check its pins and serial speed before using the motor driver!");

// Runs only the motor-driver procedure, on the worker's own thread, for a device at a given address.
class KolvexWorker : public firmwareUpgrade
{
public:
    KolvexWorker(const QString& firmwarePath, const QString& ip, const UpgradePorts& ports)
        : firmwareUpgrade(nullptr, firmwarePath, 0, {}, {}, QString())
    {
        m_deviceIp = ip;
        setPorts(ports);
    }

protected:
    // Ends as the worker's own run() does: with the one final signal of the outcome.
    void run() override
    {
        firmwareKolvexUpdate();
        announceOutcome();
    }
};

// What the worker emitted, in order: "log: ...", "progress: n", "error", "completed".
struct Run
{
    QStringList events;
    QStringList logs() const
    {
        QStringList lines;
        for (const QString& event : events) {
            if (event.startsWith(QLatin1String("log: ")))
                lines << event.mid(5);
        }
        return lines;
    }
    QList<int> progressValues() const
    {
        QList<int> values;
        for (const QString& event : events) {
            if (event.startsWith(QLatin1String("progress: ")))
                values << event.mid(10).toInt();
        }
        return values;
    }
    int count(const QString& event) const { return events.count(event); }
    int indexOf(const QString& event, int from = 0) const { return events.indexOf(event, from); }
};

// `dsp`: the DSP of the page's row the file was chosen in; normalMode leaves it to the file's name.
Run runProcedure(const FakeXport& fake, const QString& firmwarePath, int dsp = dspProgMode::normalMode)
{
    Run run;
    KolvexWorker worker(firmwarePath, QString::fromLatin1(loopback), fake.ports());
    worker.setMotorDriverDsp(dsp);
    QObject context;
    // Recorded on the worker's thread as they are emitted; read only after the thread has ended.
    QObject::connect(
        &worker, &firmwareUpgrade::signalPrintMessage, &context,
        [&run](const QString& message) { run.events << QStringLiteral("log: ") + message; }, Qt::DirectConnection);
    QObject::connect(
        &worker, &firmwareUpgrade::signalProgressBarUpdate, &context,
        [&run](int value) { run.events << QStringLiteral("progress: %1").arg(value); }, Qt::DirectConnection);
    QObject::connect(
        &worker, &firmwareUpgrade::signalErrorDetected, &context, [&run] { run.events << QStringLiteral("error"); },
        Qt::DirectConnection);
    QObject::connect(
        &worker, &firmwareUpgrade::signalProcedureCompleted, &context,
        [&run] { run.events << QStringLiteral("completed"); }, Qt::DirectConnection);
    worker.start();
    if (!worker.wait(runBoundMs))
        qFatal("the motor-driver procedure did not end");
    return run;
}

QByteArray bootloader()
{
    registerFirmwareResource();
    QFile file(QString::fromLatin1(dspProgMode::bootloaderResource));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray flashAt(const FakeXport::Record& seen, quint32 address)
{
    QByteArray bytes;
    for (const FakeXport::Block& block : seen.blocks) {
        if (block.address == address + quint32(bytes.size() / 2))
            bytes += block.data;
    }
    return bytes;
}

const QStringList successLog{
    "Update Kolvex Firmware:",
    "The 'Communication DSP' will be programmed...",
    "Set Baudrate to 38400...",
    "Done!",
    "Set GPIO...",
    "Done!",
    "Load Bootloader...",
    "Done!",
    "Program...",
    "Send Erase Packet...",
    "Erase Timeout 20s",
    "Memory erased!",
    "Write memory...",
    "Writing completed!",
    "Done!",
    "Set Baudrate to 921600...",
    "Done!",
    "Lantronix Ready!",
    "Reset DSP...",
    "Process completed! wait for restart...",
};
} // namespace

class TestKolvexProcedure : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QList<HexImages::Section> m_image = HexImages::versionedImage(QStringLiteral("2.31"), 1500);

    QString imageFile(const QString& relativePath, const QByteArray& content = QByteArray())
    {
        const QString path = m_dir.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!HexImages::writeFile(path, content.isEmpty() ? HexImages::toHex(m_image) : content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    static FakeXport::Options realistic()
    {
        FakeXport::Options options;
        options.autobaudNeedsBootMode = true;
        return options;
    }

    void verifyUpgraded(const FakeXport::Record& seen, quint32 bootPattern)
    {
        QCOMPARE(seen.storedBaudRates, (QList<int>{38400, 921600}));
        QCOMPARE(seen.pinCommands.size(), 8);
        QCOMPARE(quint8(seen.pinCommands.at(3).at(5)), quint8(bootPattern));
        QCOMPARE(seen.pinCommands.at(7), QByteArray::fromHex("1B0700000007000000"));
        QCOMPARE(seen.pinStates, 0x07u);
        QVERIFY(seen.loaderReceived == bootloader());
        QCOMPARE(seen.erases, 1);
        QCOMPARE(flashAt(seen, m_image.first().address), m_image.first().data);
        QVERIFY(flashAt(seen, HexImages::imageStart).startsWith(HexImages::versionMarker(QStringLiteral("2.31"))));
    }

    static void verifyRestoredAfterFailure(const Run& run, const FakeXport::Record& seen)
    {
        QCOMPARE(run.count(QStringLiteral("error")), 1);
        QCOMPARE(run.count(QStringLiteral("completed")), 0);
        QCOMPARE(run.events.last(), QStringLiteral("error"));
        QVERIFY2(run.logs().contains(restored), qPrintable(run.logs().join('\n')));
        QCOMPARE(seen.baudRate, 921600);
        QCOMPARE(seen.pinStates, 0x07u);
    }

private slots:
    void init() { FirmwarePacing::setCurrent(shortMotorPacing()); }

    void successfulRun();
    void fileNameMarkers_data();
    void fileNameMarkers();
    void wrongFirmwareTouchesNothing();
    void rowDecidesTheDsp_data();
    void rowDecidesTheDsp();
    void bootloaderErrorStopsBeforeErase();
    void failuresRestoreTheModule_data();
    void failuresRestoreTheModule();
    void firstSpeedChangeFails();
    void secondSpeedChangeFailsAndRestoreCannot();
    void finalResetFails();
};

void TestKolvexProcedure::successfulRun()
{
    FakeXport fake(realistic());
    QVERIFY(fake.listening());
    const Run run = runProcedure(fake, imageFile(QStringLiteral("Kolvex_Communication_DSP_2.31.hex")));

    QCOMPARE(run.logs(), successLog);
    QCOMPARE(run.count(QStringLiteral("completed")), 1);
    QCOMPARE(run.count(QStringLiteral("error")), 0);
    QCOMPARE(run.events.first(), QStringLiteral("progress: 0"));
    QCOMPARE(run.events.last(), QStringLiteral("completed"));
    // 70 once the flash is written, 100 just before completion; everything else is a step of 1.
    const int transferred = run.indexOf(QStringLiteral("progress: 70"));
    QVERIFY(transferred > run.indexOf(QStringLiteral("log: Writing completed!")));
    QVERIFY(transferred < run.indexOf(QStringLiteral("log: Set Baudrate to 921600...")));
    QCOMPARE(run.events.at(run.events.size() - 3), QStringLiteral("progress: 100"));
    QList<int> steps = run.progressValues();
    QCOMPARE(steps.count(0), 1);
    QCOMPARE(steps.count(70), 1);
    QCOMPARE(steps.count(100), 1);
    steps.removeAll(0);
    steps.removeAll(70);
    steps.removeAll(100);
    QCOMPARE(steps.count(1), steps.size());
    verifyUpgraded(fake.record(), 0x05);
}

void TestKolvexProcedure::fileNameMarkers_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("announced");
    QTest::addColumn<int>("bootPattern");
    QTest::newRow("control marker in the directory") << "Kolvex_Control_DSP/release/image.hex"
                                                     << "The 'Control DSP' will be programmed..." << 0x06;
    QTest::newRow("both markers") << "Kolvex_Control_DSP/Kolvex_Communication_DSP.hex"
                                  << "The 'Communication DSP' will be programmed..." << 0x05;
}

void TestKolvexProcedure::fileNameMarkers()
{
    QFETCH(QString, path);
    QFETCH(QString, announced);
    QFETCH(int, bootPattern);
    FakeXport fake(realistic());
    const Run run = runProcedure(fake, imageFile(path));

    QCOMPARE(run.logs().value(1), announced);
    QCOMPARE(run.events.last(), QStringLiteral("completed"));
    verifyUpgraded(fake.record(), quint32(bootPattern));
}

void TestKolvexProcedure::wrongFirmwareTouchesNothing()
{
    FakeXport fake(realistic());
    // The markers are case-sensitive.
    const Run run = runProcedure(fake, imageFile(QStringLiteral("kolvex_control_dsp.hex")));

    QCOMPARE(run.events.mid(0, 3),
             (QStringList{"progress: 0", "log: Update Kolvex Firmware:", "log: ERROR: wrong Firmware!"}));
    // The log says how the file is told apart.
    QVERIFY2(
        run.events.at(3).contains(QStringLiteral("neither \"Kolvex_Communication_DSP\" nor \"Kolvex_Control_DSP\"")),
        qPrintable(run.events.at(3)));
    QCOMPARE(run.events.mid(4), QStringList{"error"});
    const FakeXport::Record seen = fake.record();
    QCOMPARE(seen.menuConnections + seen.pinConnections + seen.tunnelConnections, 0);
}

// The row decides the DSP; a file named for the other DSP was chosen in the wrong row and touches nothing.
void TestKolvexProcedure::rowDecidesTheDsp_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("announced");
    QTest::newRow("neutral name, control row")
        << "driver-1.07.hex" << int(dspProgMode::programControl) << "log: The 'Control DSP' will be programmed...";
    QTest::newRow("neutral name, communication row") << "driver-2.31.hex" << int(dspProgMode::programCommunication)
                                                     << "log: The 'Communication DSP' will be programmed...";
    QTest::newRow("control file in the communication row")
        << "Kolvex_Control_DSP_1.07.hex" << int(dspProgMode::programCommunication)
        << "log: ERROR: Kolvex_Control_DSP_1.07.hex is named for the control DSP: choose it in the \"Control "
           "Firmware\" row.";
    QTest::newRow("communication file in the control row")
        << "Kolvex_Communication_DSP_2.31.hex" << int(dspProgMode::programControl)
        << "log: ERROR: Kolvex_Communication_DSP_2.31.hex is named for the communication DSP: choose it in the "
           "\"Communication Firmware\" row.";
}

void TestKolvexProcedure::rowDecidesTheDsp()
{
    QFETCH(QString, name);
    QFETCH(int, row);
    QFETCH(QString, announced);
    FakeXport::Options options = realistic();
    // Stops right after the announcement: the module's setup menu is not there.
    options.menuService = false;
    FakeXport fake(options);
    const Run run = runProcedure(fake, imageFile(name), row);
    QCOMPARE(run.events.value(2), announced);
    QCOMPARE(run.events.last(), QStringLiteral("error"));
    if (announced.startsWith(QStringLiteral("log: ERROR:")))
        QCOMPARE(fake.record().menuConnections + fake.record().pinConnections + fake.record().tunnelConnections, 0);
}

void TestKolvexProcedure::bootloaderErrorStopsBeforeErase()
{
    FakeXport::Options options = realistic();
    options.autobaudReply = "A";
    FakeXport fake(options);
    const Run run = runProcedure(fake, imageFile(QStringLiteral("Kolvex_Control_DSP.hex")));

    const QStringList logs = run.logs();
    QVERIFY(logs.contains(QStringLiteral("ERROR: autobaud failed!")));
    QVERIFY(!logs.contains(QStringLiteral("Program...")));
    QCOMPARE(fake.record().erases, 0);
    QCOMPARE(fake.record().loaderReceived.size(), 0);
    verifyRestoredAfterFailure(run, fake.record());
    // The restore: back to 921600 first, then the pins.
    QCOMPARE(fake.record().storedBaudRates, (QList<int>{38400, 921600}));
    const int failure = logs.indexOf(QStringLiteral("ERROR: autobaud failed!"));
    QCOMPARE(logs.mid(failure + 1), (QStringList{"Restoring the module: serial speed back to 921600...",
                                                 "Restoring the module: waiting for the XPort to restart...",
                                                 "Restoring the module: pins back to normal operation...", restored}));
}

void TestKolvexProcedure::failuresRestoreTheModule_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QByteArray>("eraseReply");
    QTest::addColumn<bool>("brokenFile");
    QTest::addColumn<int>("erases");
    QTest::newRow("erase refused") << "ERROR: Flash Erase failed!" << QByteArray("NAK\n") << false << 1;
    QTest::newRow("file refused") << "ERROR: Parsing Failed!" << QByteArray("ACK\n") << true << 0;
}

void TestKolvexProcedure::failuresRestoreTheModule()
{
    QFETCH(QString, failure);
    QFETCH(QByteArray, eraseReply);
    QFETCH(bool, brokenFile);
    QFETCH(int, erases);
    FakeXport::Options options = realistic();
    options.eraseReply = eraseReply;
    FakeXport fake(options);
    QByteArray content = HexImages::toHex(m_image);
    if (brokenFile)
        content.replace(":00000001FF", ":02000002FFFFFE");
    const Run run = runProcedure(fake, imageFile(QStringLiteral("Kolvex_Control_DSP.hex"), content));

    QVERIFY2(run.logs().contains(failure), qPrintable(run.logs().join('\n')));
    QCOMPARE(fake.record().erases, erases);
    QVERIFY(fake.record().blocks.isEmpty());
    verifyRestoredAfterFailure(run, fake.record());
}

void TestKolvexProcedure::firstSpeedChangeFails()
{
    FakeXport::Options options = realistic();
    options.menuService = false;
    FakeXport fake(options);
    const Run run = runProcedure(fake, imageFile(QStringLiteral("Kolvex_Control_DSP.hex")));

    // Nothing was changed yet: there is nothing to restore.
    QCOMPARE(run.logs(), (QStringList{"Update Kolvex Firmware:", "The 'Control DSP' will be programmed...",
                                      "Set Baudrate to 38400...", "ERROR: Connection to port 9999 failed!"}));
    QCOMPARE(run.events.last(), QStringLiteral("error"));
    QCOMPARE(run.count(QStringLiteral("error")), 1);
    QCOMPARE(fake.record().pinConnections, 0);
}

void TestKolvexProcedure::secondSpeedChangeFailsAndRestoreCannot()
{
    FakeXport::Options options = realistic();
    options.menuSessions = 1;
    FakeXport fake(options);
    const Run run = runProcedure(fake, imageFile(QStringLiteral("Kolvex_Control_DSP.hex")));

    const QStringList logs = run.logs();
    QVERIFY2(logs.contains(QStringLiteral("ERROR: Connection to port 9999 lost!")), qPrintable(logs.join('\n')));
    QCOMPARE(logs.last(), notRestored);
    QVERIFY(!logs.contains(QStringLiteral("Restoring the module: waiting for the XPort to restart...")));
    QCOMPARE(run.count(QStringLiteral("error")), 1);
    QCOMPARE(run.count(QStringLiteral("completed")), 0);
    // The speed could not be put back, the pins were.
    QCOMPARE(fake.record().baudRate, 38400);
    QCOMPARE(fake.record().pinStates, 0x07u);
    QCOMPARE(fake.record().blocks.size(), 3);
}

void TestKolvexProcedure::finalResetFails()
{
    FakeXport::Options options = realistic();
    options.pinSessions = 1;
    FakeXport fake(options);
    const Run run = runProcedure(fake, imageFile(QStringLiteral("Kolvex_Control_DSP.hex")));

    const QStringList logs = run.logs();
    QVERIFY(logs.contains(QStringLiteral("Reset DSP...")));
    QVERIFY(logs.contains(QStringLiteral("ERROR: GPIO not configured correctly!")));
    QVERIFY(!logs.contains(QStringLiteral("Process completed! wait for restart...")));
    QVERIFY(!logs.contains(QStringLiteral("Restoring the module: serial speed back to 921600...")));
    QVERIFY(logs.contains(QStringLiteral("Restoring the module: pins back to normal operation...")));
    QCOMPARE(logs.last(), notRestored);
    QCOMPARE(run.count(QStringLiteral("error")), 1);
    QCOMPARE(run.count(QStringLiteral("completed")), 0);
    QVERIFY(!run.progressValues().contains(100));
}

QTEST_GUILESS_MAIN(TestKolvexProcedure)

#include "tst_kolvexprocedure.moc"
