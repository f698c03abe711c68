// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The upgrade worker's choice of device, its identification, its family dispatch and its command
// exchange, against scripted instruments in a network namespace of the test's own.
#include "common/privatenetwork.h"
#include "fakecommandport.h"
#include "fakeuploadport.h"
#include "firmware/firmwareupgrade.h"
#include "model/wellknownports.h"
#include "workerevents.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QtConcurrent>
#include <QtTest>

using upgradetest::device;

namespace {
const QString deviceA = QStringLiteral("127.0.0.2");
const QString deviceB = QStringLiteral("127.0.0.3");
const QString deviceC = QStringLiteral("127.0.0.4");
const QString manualAddress = QStringLiteral("127.0.0.5");
const QString missingFile = QStringLiteral("/nonexistent/firmware.updt");
// Sound images of each kind: the worker reads a file whole before it sends anything.
QString imagesDir;

QString imageFor(const QString& code)
{
    if (code == QLatin1String("4100") || code == QLatin1String("4200"))
        return QStringLiteral(KESTRION_TEST_DATA "/firmware/motor-driver.hex");
    if (code.startsWith(QLatin1Char('2')) || code == QLatin1String("1600"))
        return imagesDir + QStringLiteral("/beamline.flash");
    return QStringLiteral(KESTRION_TEST_DATA "/firmware/power-supply.updt");
}

bool writeBeamlineImage()
{
    QFile file(imagesDir + QStringLiteral("/beamline.flash"));
    // A header, two data records and the end record.
    return file.open(QIODevice::WriteOnly) &&
           file.write("S00600004844521B\r\nS107000001020304EE\r\nS107000405060708DA\r\nS9030000FC\r\n") > 0;
}

QStringList banner(const QString& address, const QString& path)
{
    return {QStringLiteral(" ===  U P D A T E   T H E   D E V I C E  ==="), QStringLiteral("Device IP: ") + address,
            QStringLiteral("Firmware : ") + path};
}

// The command exchange alone, on a socket of a thread of its own as in a run.
class CommandExchange : public firmwareUpgrade
{
public:
    CommandExchange() : firmwareUpgrade(nullptr, {}, 0, {}, {}, {}) {}

    enum class Before { Nothing, GreetingBuffered, GreetingArrived, NoConnection };

    QString exchange(const QByteArray& command, Before before = Before::Nothing)
    {
        QFuture<QString> done = QtConcurrent::run([this, command, before] {
            QTcpSocket socket;
            if (before != Before::NoConnection) {
                socket.connectToHost(deviceA, port::command);
                socket.waitForConnected(2000);
            }
            if (before == Before::GreetingBuffered)
                socket.waitForReadyRead(2000);
            if (before == Before::GreetingArrived)
                QThread::msleep(200);
            QElapsedTimer elapsed;
            elapsed.start();
            const QString answer = sendCommand(&socket, QString::fromLatin1(command));
            elapsedMs = elapsed.elapsed();
            return answer;
        });
        while (!done.isFinished())
            QTest::qWait(5);
        return done.result();
    }

    qint64 elapsedMs = 0;
};
} // namespace

Q_DECLARE_METATYPE(CommandExchange::Before)

class TestUpgradeWorker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_images.isValid());
        imagesDir = m_images.path();
        QVERIFY(writeBeamlineImage());
    }
    void init() { FirmwarePacing::setCurrent(upgradetest::shortPacing()); }
    void cleanupTestCase() { FirmwarePacing::setCurrent(FirmwarePacing()); }

    void identifiesAndDispatches_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("procedure");
        QTest::newRow("power supply") << "1100" << QByteArray("VER\r\n") << "power supply";
        QTest::newRow("Halvo supply") << "1900" << QByteArray("VER\r\n") << "power supply";
        QTest::newRow("Zarn supply, with its DC link") << "1400" << QByteArray("VER\r\n") << "DC link";
        QTest::newRow("Vesk supply, by the beamline procedure") << "1600" << QByteArray("VER\r\n") << "beamline";
        QTest::newRow("motor driver that identified itself") << "4200" << QByteArray("MVER\r\n") << "motor driver";
        QTest::newRow("beamline") << "2100" << QByteArray("VER\r\n") << "beamline";
        QTest::newRow("beamline variant") << "2302" << QByteArray("VER\r\n") << "beamline";
        QTest::newRow("beamline in recovery") << "2180" << QByteArray("VER\r\n") << "beamline";
    }
    void identifiesAndDispatches()
    {
        QFETCH(QString, code);
        QFETCH(QByteArray, command);
        QFETCH(QString, procedure);
        FakeCommandPort instrument(deviceA);
        QVERIFY(instrument.isListening());
        const QByteArray answer = "#" + command.trimmed() + ":model 1.0\r\n";
        instrument.answer(command, answer);
        instrument.answer("MST\r\n", "#MST:0000\r\n");

        // Whatever follows meets unanswered commands or closed ports and ends in an error.
        const QString image = imageFor(code);
        UpgradeRun run({device(code, deviceA)}, {true}, image);
        QVERIFY(run.runToEnd());

        QVERIFY(!instrument.commands().isEmpty());
        QCOMPARE(instrument.commands().first(), command);
        QStringList identification = banner(deviceA, image);
        identification << "Try to connect..."
                       << "Device Connected!"
                       << "Check version..."
                       << "Socket closed, continue..." << QStringLiteral("Device name: ") + QString::fromLatin1(answer);
        QCOMPARE(run.events.logs.mid(0, identification.size()), identification);
        QCOMPARE(run.events.events.at(3), QStringLiteral("remove:0"));

        const QStringList after = run.events.logs.mid(identification.size());
        const bool powerSupply = procedure == "power supply" || procedure == "DC link";
        QCOMPARE(after.contains("\nFIRMWARE UPDATE...") || !after.filter("DC link").isEmpty(), powerSupply);
        QCOMPARE(instrument.commands().contains("MRP\r\n"), procedure == "DC link");
        QCOMPARE(instrument.commands().contains("MRG:83\r\n"), procedure == "DC link");
        QCOMPARE(after.contains("Reading file..."), procedure == "beamline");
        QCOMPARE(run.events.finalSignals(), 1);
        QCOMPARE(run.events.errors, 1);
    }

    void identificationWithoutAnswerEndsTheRun_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("last");
        QTest::newRow("refusal") << QByteArray("#NAK\r\n") << "ERROR: the unit refused identification: \"#NAK\\r\\n\"";
        QTest::newRow("refusal inside other text")
            << QByteArray("ERR:NAK:1\r\n") << "ERROR: the unit refused identification: \"ERR:NAK:1\\r\\n\"";
        QTest::newRow("no answer") << QByteArray() << "No response from device";
    }
    // A refusal ends the run with the unit's words, silence with its own line; both are failures.
    void identificationWithoutAnswerEndsTheRun()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, last);
        FakeCommandPort instrument(deviceA);
        instrument.answer("VER\r\n", answer);
        UpgradeRun run({device("1100", deviceA)}, {true}, imageFor("1100"));
        QVERIFY(run.runToEnd());
        QCOMPARE(instrument.commands(), QList<QByteArray>{"VER\r\n"});
        QCOMPARE(run.events.logs.mid(3), QStringList({"Try to connect...", "Device Connected!", "Check version...",
                                                      "Socket closed, continue...", last}));
        QCOMPARE(run.events.finalSignals(), 1);
        QCOMPARE(run.events.errors, 1);
        QCOMPARE(instrument.connections(), 1);
        const UpgradeOutcome outcome = run.worker.outcome();
        QVERIFY(outcome.failed());
        QVERIFY(!outcome.stoppedOnRequest());
        QCOMPARE(outcome.reason(), last.startsWith("ERROR") ? last : QStringLiteral("the upgrade failed"));
    }

    void familiesWithoutProcedureAreRefused_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("current transducer") << "3100"
                                            << "ERROR: Current Transdurers are not supported!";
        QTest::newRow("MicroTCA board") << "5100"
                                        << "ERROR: Unrecognized device family!";
        QTest::newRow("test tool") << "6100"
                                   << "ERROR: Unrecognized device family!";
        QTest::newRow("code not in the catalog") << "9A00"
                                                 << "ERROR: Unrecognized device family!";
    }
    void familiesWithoutProcedureAreRefused()
    {
        QFETCH(QString, code);
        QFETCH(QString, message);
        FakeCommandPort instrument(deviceA);
        instrument.answerOthers("#VER:1.0\r\n");
        UpgradeRun run({device(code, deviceA)}, {true}, missingFile);
        QVERIFY(run.runToEnd());
        QCOMPARE(run.events.logs.mid(3),
                 QStringList({"Try to connect...", "Device Connected!", "Check version...", message}));
        QCOMPARE(run.events.events.last(), QStringLiteral("error"));
        QCOMPARE(run.events.finalSignals(), 1);
        QCOMPARE(run.worker.outcome().reason(), message);
        QCOMPARE(instrument.connections(), 1);
        QVERIFY(instrument.commands().isEmpty());
    }

    void xportAndRecoveryCodesSkipIdentification()
    {
        FakeCommandPort instrument(deviceA);
        instrument.answerOthers("#VER:1.0\r\n");
        instrument.answer("MST\r\n", "#MST:0000\r\n");
        {
            UpgradeRun run({device("1F80", deviceA)}, {true}, imageFor("1F80"));
            QVERIFY(run.runToEnd());
            QVERIFY(!run.events.logged("Try to connect..."));
            QVERIFY(!instrument.commands().isEmpty());
            QCOMPARE(instrument.commands().first(), QByteArray("MST\r\n"));
            QVERIFY(run.events.logged("\nFIRMWARE UPDATE..."));
            QCOMPARE(run.events.finalSignals(), 1);
        }
        {
            const int before = instrument.commands().size();
            UpgradeRun run({device("4100", deviceA)}, {true}, imageFor("4100"));
            QVERIFY(run.runToEnd());
            QVERIFY(!run.events.logged("Try to connect..."));
            const QList<QByteArray> sent = instrument.commands().mid(before);
            QVERIFY(!sent.contains("VER\r\n") && !sent.contains("MVER\r\n"));
            QVERIFY(!run.events.logged("\nFIRMWARE UPDATE...") && !run.events.logged("Reading file..."));
            QCOMPARE(run.events.finalSignals(), 1);
        }
    }

    void unreachableDeviceIsReported_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("nothing listens") << QStringLiteral("127.0.0.9");
        // The blocking wait abandons a connection that is still pending when it ends.
        QTest::newRow("connection never completes") << QString::fromLatin1(upgradetest::unansweredAddress);
    }
    void unreachableDeviceIsReported()
    {
        QFETCH(QString, address);
        UpgradeRun run({device("1100", address)}, {true}, imageFor("1100"));
        QVERIFY(run.runToEnd());
        QCOMPARE(run.events.logs.mid(3), QStringList({"Try to connect...", "Device Unconnected! exit..."}));
        QCOMPARE(run.events.events.last(), QStringLiteral("error"));
        QCOMPARE(run.events.finalSignals(), 1);
        QVERIFY(run.worker.outcome().failed());
    }

    void onlyTheFirstSelectedDeviceIsUpgraded()
    {
        FakeCommandPort first(deviceA);
        FakeCommandPort second(deviceB);
        FakeCommandPort third(deviceC);
        second.answer("VER\r\n", "#VER:1.0\r\n");
        UpgradeRun run({device("1100", deviceA), device("2100", deviceB), device("1100", deviceC)}, {false, true, true},
                       imageFor("2100"));
        QVERIFY(run.runToEnd());
        QStringList opening;
        for (const QString& line : banner(deviceB, imageFor("2100")))
            opening << QStringLiteral("log:") + line;
        opening << "remove:1"
                << "log:Try to connect...";
        QCOMPARE(run.events.events.mid(0, opening.size()), opening);
        QCOMPARE(run.events.events.filter(QRegularExpression("^remove:")).size(), 1);
        QCOMPARE(first.connections(), 0);
        QCOMPARE(third.connections(), 0);
        QVERIFY(run.events.logged("Reading file..."));
        QCOMPARE(run.events.finalSignals(), 1);
    }

    void devicesBeyondTheCountAreNotConsidered()
    {
        FakeCommandPort instrument(deviceA);
        QList<Device_t> devices{device("1100", deviceB), device("1100", deviceA)};
        firmwareUpgrade worker(nullptr, missingFile, 1, {false, true}, devices, {});
        WorkerEvents events(worker);
        worker.start();
        QTRY_VERIFY(events.finished);
        QCOMPARE(events.events, QStringList({"log:ERROR: No device to upgrade: none is selected and no address was "
                                             "given.",
                                             "error"}));
        QCOMPARE(instrument.connections(), 0);
    }

    void manualAddressTakesThePowerSupplyProcedure()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("firmware.updt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1000, 'f'));
        file.close();
        FakeCommandPort listed(deviceA);
        FakeCommandPort manual(manualAddress);
        manual.answer("MST\r\n", "#MST:0\r\n");
        manual.answer("MREBOOT\r\n", "#AK\r\n");
        FakeUploadPort upload(manualAddress);
        upload.expectBytes(1000);
        upload.replyWith({"#ACK\r\n"});

        UpgradeRun run({device("2100", deviceA)}, {false}, path, manualAddress);
        QVERIFY(run.runToEnd());
        QCOMPARE(run.events.logs.mid(0, 3), banner(manualAddress, path));
        QCOMPARE(run.events.logs.at(3), QStringLiteral("\nFIRMWARE UPDATE..."));
        QVERIFY(run.events.events.filter(QRegularExpression("^remove:")).isEmpty());
        QCOMPARE(manual.commands(), QList<QByteArray>({"MST\r\n", "MREBOOT\r\n"}));
        QCOMPARE(listed.connections(), 0);
        QCOMPARE(upload.received(), QByteArray(1000, 'f'));
        QCOMPARE(run.events.completions, 1);
        QCOMPARE(run.events.finalSignals(), 1);
    }

    void selectedDeviceGoesBeforeTheManualAddress()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("firmware.updt");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("image");
        file.close();
        FakeCommandPort listed(deviceA);
        FakeUploadPort listedUpload(deviceA);
        FakeCommandPort manual(manualAddress);
        FakeUploadPort manualUpload(manualAddress);
        for (FakeCommandPort* supply : {&listed, &manual}) {
            supply->answer("MST\r\n", "#MST:0\r\n");
            supply->answer("MREBOOT\r\n", "#AK\r\n");
        }
        for (FakeUploadPort* upload : {&listedUpload, &manualUpload}) {
            upload->expectBytes(5);
            upload->replyWith({"#ACK"});
        }

        UpgradeRun run({device("1F80", deviceA)}, {true}, path, manualAddress);
        QVERIFY(run.runToEnd());
        const QStringList banners = run.events.logs.filter("Device IP: ");
        QCOMPARE(banners, QStringList({"Device IP: " + deviceA, "Device IP: " + manualAddress}));
        // Both units upgraded, and the run still ends with one signal.
        QCOMPARE(run.events.completions, 1);
        QCOMPARE(run.events.finalSignals(), 1);
        QVERIFY(run.worker.outcome().succeeded());
        QCOMPARE(listedUpload.received(), QByteArray("image"));
        QCOMPARE(manualUpload.received(), QByteArray("image"));
    }

    void nothingSelectedAndNoManualAddressSendsNothing()
    {
        FakeCommandPort instrument(deviceA);
        UpgradeRun run({device("1100", deviceA)}, {false}, missingFile);
        QVERIFY(run.runToEnd());
        QCOMPARE(run.events.events,
                 QStringList({"log:ERROR: No device to upgrade: none is selected and no address was given.", "error"}));
        QCOMPARE(instrument.connections(), 0);
        QVERIFY(run.worker.outcome().failed());
    }

    void commandExchange_data()
    {
        QTest::addColumn<QList<QByteArray>>("parts");
        QTest::addColumn<QString>("answer");
        QTest::newRow("one read") << QList<QByteArray>{"#VER:1.0\r\n"} << "#VER:1.0\r\n";
        QTest::newRow("carriage return alone") << QList<QByteArray>{"#VER:1.0\r"} << "#VER:1.0\r";
        QTest::newRow("ends at the first carriage return, later packets stay out")
            << QList<QByteArray>{"#A:1\r", "\nlater\r\n"} << "#A:1\r";
        QTest::newRow("what came with the carriage return stays in")
            << QList<QByteArray>{"#A:1\r\nmore"} << "#A:1\r\nmore";
        QTest::newRow("gathered over several reads") << QList<QByteArray>{"#A", ":1", "\r\n"} << "#A:1\r\n";
        QTest::newRow("bytes after a NUL are dropped")
            << QList<QByteArray>{QByteArray("ab\0cd\r\n", 7), "\r\n"} << "ab\r\n";
    }
    void commandExchange()
    {
        QFETCH(QList<QByteArray>, parts);
        QFETCH(QString, answer);
        FakeCommandPort instrument(deviceA);
        instrument.answerInParts("CMD\r\n", parts, 50);
        FirmwarePacing pacing = upgradetest::shortPacing();
        pacing.commandTotalMs = 5000;
        FirmwarePacing::setCurrent(pacing);
        CommandExchange exchange;
        QCOMPARE(exchange.exchange("CMD\r\n"), answer);
        QCOMPARE(instrument.commands(), QList<QByteArray>{"CMD\r\n"});
    }

    void staleBytesAreNotTheAnswer_data()
    {
        QTest::addColumn<CommandExchange::Before>("before");
        QTest::newRow("already read by the socket") << CommandExchange::Before::GreetingBuffered;
        QTest::newRow("arrived but not yet read") << CommandExchange::Before::GreetingArrived;
    }
    void staleBytesAreNotTheAnswer()
    {
        QFETCH(CommandExchange::Before, before);
        FakeCommandPort instrument(deviceA);
        instrument.greetWith("#MST:1\r\n");
        instrument.answer("MST\r\n", "#MST:0\r\n");
        CommandExchange exchange;
        QCOMPARE(exchange.exchange("MST\r\n", before), QStringLiteral("#MST:0\r\n"));
    }

    void exchangeIsBoundedInBytes()
    {
        FakeCommandPort instrument(deviceA);
        instrument.streamOn("CMD\r\n", QByteArray(256, 'x'), 1);
        FirmwarePacing pacing = upgradetest::shortPacing();
        pacing.commandTotalMs = 20000;
        pacing.commandMaxBytes = 1000;
        FirmwarePacing::setCurrent(pacing);
        CommandExchange exchange;
        QCOMPARE(exchange.exchange("CMD\r\n"), QString(1000, 'x'));
        QVERIFY2(exchange.elapsedMs < 15000, qPrintable(QString::number(exchange.elapsedMs)));
    }

    void exchangeIsBoundedInTime()
    {
        FakeCommandPort instrument(deviceA);
        instrument.streamOn("CMD\r\n", "x", 20);
        FirmwarePacing pacing = upgradetest::shortPacing();
        pacing.commandWaitMs = 100;
        pacing.commandTotalMs = 500;
        FirmwarePacing::setCurrent(pacing);
        CommandExchange exchange;
        const QString answer = exchange.exchange("CMD\r\n");
        QVERIFY(!answer.isEmpty());
        QVERIFY(!answer.contains('\r'));
        QVERIFY(answer.size() < pacing.commandMaxBytes);
        QVERIFY2(exchange.elapsedMs >= 450 && exchange.elapsedMs < 5000,
                 qPrintable(QString::number(exchange.elapsedMs)));
    }

    void silentPeerGivesAnEmptyAnswer()
    {
        FakeCommandPort instrument(deviceA);
        CommandExchange exchange;
        QCOMPARE(exchange.exchange("CMD\r\n"), QString());
        QVERIFY(exchange.elapsedMs >= upgradetest::shortPacing().commandTotalMs - 50);
        QCOMPARE(instrument.commands(), QList<QByteArray>{"CMD\r\n"});
    }

    void unconnectedSocketAnswersAtOnce()
    {
        FirmwarePacing pacing = upgradetest::shortPacing();
        pacing.commandTotalMs = 20000;
        FirmwarePacing::setCurrent(pacing);
        CommandExchange exchange;
        QCOMPARE(exchange.exchange("CMD\r\n", CommandExchange::Before::NoConnection), QString());
        QVERIFY(exchange.elapsedMs < 1000);
    }

private:
    QTemporaryDir m_images;
};

int main(int argc, char** argv)
{
    // Before any thread exists: the namespace is per thread and inherited by new ones.
    if (!upgradetest::enterTestNetwork())
        return exitCodeWithoutNamespace();
    QCoreApplication app(argc, argv);
    TestUpgradeWorker test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_upgradeworker.moc"
