// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The power-supply upgrade against a scripted supply on 127.0.0.1, on ports that the system picks. As root
// the test runs in a network namespace of its own, whose TCP buffers it may shrink for the stalled upload.
#include "common/privatenetwork.h"
#include "fakecommandport.h"
#include "fakeuploadport.h"
#include "firmware/firmwareupgrade.h"
#include "workerevents.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using upgradetest::device;

namespace {
const QString supplyAddress = QStringLiteral("127.0.0.1");
// Set by main() before the tests run.
bool inPrivateNetwork = false;

// A port of 127.0.0.1 where nothing listens.
quint16 unusedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}
constexpr int chunkBytes = 16384;

QStringList logEvents(const QStringList& lines)
{
    QStringList events;
    for (const QString& line : lines)
        events << QStringLiteral("log:") + line;
    return events;
}

// A supply whose output is off and that acknowledges the reboot.
struct Supply
{
    Supply() : command(supplyAddress, 0), upload(supplyAddress, 0)
    {
        command.answer("VER\r\n", "#VER:Aurel 2.1\r\n");
        command.answer("MST\r\n", "#MST:0\r\n");
        command.answer("MREBOOT\r\n", "#AK\r\n");
    }
    UpgradePorts ports() const
    {
        UpgradePorts ports;
        ports.command = command.listeningPort();
        ports.upload = upload.listeningPort();
        return ports;
    }
    FakeCommandPort command;
    FakeUploadPort upload;
};
} // namespace

class TestPowerSupplyUpgrade : public QObject
{
    Q_OBJECT

private:
    QString writeFirmware(const QByteArray& content)
    {
        const QString path = m_dir.filePath(QStringLiteral("firmware-%1.updt").arg(++m_files));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return path;
    }
    QString writeSparseFirmware(qint64 size)
    {
        const QString path = m_dir.filePath(QStringLiteral("firmware-%1.updt").arg(++m_files));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.resize(size);
        return path;
    }
    static QByteArray randomBytes(int size)
    {
        QByteArray bytes(size, '\0');
        QRandomGenerator random(size);
        for (char& byte : bytes)
            byte = char(random.bounded(256));
        return bytes;
    }
    // Waits for the worker's next log line and tells whether it is the expected one.
    static bool nextLogIs(const WorkerEvents& events, int& seen, const QString& line)
    {
        QElapsedTimer elapsed;
        elapsed.start();
        while (events.logs.size() <= seen && elapsed.elapsed() < 20000)
            QTest::qWait(5);
        return events.logs.size() > seen && events.logs.at(seen++) == line;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init() { FirmwarePacing::setCurrent(upgradetest::shortPacing()); }
    void cleanupTestCase() { FirmwarePacing::setCurrent(FirmwarePacing()); }

    // With the supply's own pacing, every step in the order the user sees it.
    void upgradeFollowsTheSupplysReport()
    {
        FirmwarePacing::setCurrent(FirmwarePacing());
        Supply supply;
        const QByteArray content = randomBytes(3 * chunkBytes + 123);
        const QString path = writeFirmware(content);
        supply.upload.expectBytes(content.size());

        UpgradeRun run({device("1100", supplyAddress)}, {true}, path);

        run.worker.setPorts(supply.ports());
        run.worker.start();
        QTRY_COMPARE_WITH_TIMEOUT(supply.upload.received().size(), content.size(), 20000);
        QTRY_VERIFY(run.events.logged("\nInstall new firmware:"));
        int seen = run.events.logs.size();
        // One message at a time, each read before the next is sent.
        supply.upload.send("$:20\n");
        QVERIFY(nextLogIs(run.events, seen, QString()));
        supply.upload.send("Checking image\n");
        QVERIFY(nextLogIs(run.events, seen, "Checking image\n"));
        supply.upload.send("$:60\n");
        QVERIFY(nextLogIs(run.events, seen, QString()));
        supply.upload.send("#ACK\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(run.events.finished, 20000);

        QStringList expected = logEvents(
            {" ===  U P D A T E   T H E   D E V I C E  ===", "Device IP: " + supplyAddress, "Firmware : " + path});
        expected << "remove:0";
        expected << logEvents({"Try to connect...", "Device Connected!", "Check version...",
                               "Socket closed, continue...", "Device name: #VER:Aurel 2.1\r\n", "\nFIRMWARE UPDATE...",
                               "Selected Firmware File:", path})
                 << "progress:0" << logEvents({"\nFirmware File Opening...", "Firmware Opened!"}) << "progress:1"
                 << logEvents({"\nCreate socket to update firmware...", "Socket Connection to " + supplyAddress,
                               "Socket Opened!"})
                 << "progress:2"
                 << logEvents({"\nFirmware upload in progress...", "Fiwmware uploaded!", "\nInstall new firmware:", ""})
                 << "progress:1" << logEvents({"Checking image\n"}) << "progress:1" << logEvents({""}) << "progress:1"
                 << logEvents({"Update Socket Closed!", "Firmware Updated!"}) << "progress:100"
                 << logEvents({"\nFIRMWARE SUCCESSFULLY UPDATED!"}) << "completed";
        QCOMPARE(run.events.events, expected);
        QCOMPARE(supply.upload.received(), content);
        QCOMPARE(supply.command.commands(), QList<QByteArray>({"VER\r\n", "MST\r\n", "MREBOOT\r\n"}));
        QCOMPARE(supply.command.connections(), 3);
        QCOMPARE(supply.upload.connections(), 1);
    }

    void preChecks_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QByteArray>("voltage");
        QTest::addColumn<QByteArray>("limit");
        QTest::addColumn<QString>("refusal"); // empty: the upgrade goes on
        const QString on =
            QStringLiteral("CRITICAL: module is in ON mode! PLEASE PUT IT IN OFF BEFORE TO PERFORM A FIRMWARE UPDATE");
        const QString unreadable = QStringLiteral("WARNING: there are some errors reading DC link voltage. ");
        QTest::newRow("output on") << "1100" << QByteArray("#MST:1\r\n") << QByteArray() << QByteArray() << on;
        QTest::newRow("output on among other bits")
            << "1100" << QByteArray("#MST:0003\r\n") << QByteArray() << QByteArray() << on;
        QTest::newRow("output off, other bits set")
            << "1100" << QByteArray("#MST:FFFE\r\n") << QByteArray() << QByteArray() << QString();
        // A status that cannot be read may hide an output that is on.
        QTest::newRow("status not hexadecimal")
            << "1100" << QByteArray("#MST:zz\r\n") << QByteArray() << QByteArray()
            << "ERROR: The supply's status answer cannot be read: \"#MST:zz\\r\\n\"; its output may be on. Nothing was "
               "sent.";
        QTest::newRow("status unanswered") << "1100" << QByteArray() << QByteArray() << QByteArray()
                                           << "ERROR: The supply did not answer its status request (MST): its output "
                                              "may be on. Nothing was sent.";
        QTest::newRow("Zarn, DC link equal to the limit")
            << "1400" << QByteArray("#MST:0\r\n") << QByteArray("#MRP:600.5\r\n") << QByteArray("#MRG:83:600.5\r\n")
            << QString();
        QTest::newRow("Zarn, DC link above the limit")
            << "1400" << QByteArray("#MST:0\r\n") << QByteArray("#MRP:600.51\r\n") << QByteArray("#MRG:83:600.5\r\n")
            << "CRITICAL: the DC link voltage 600.51V should be less than 600.5V";
        QTest::newRow("Zarn, voltage unreadable") << "1400" << QByteArray("#MST:0\r\n") << QByteArray("#MRP:---\r\n")
                                                  << QByteArray("#MRG:83:600.5\r\n") << unreadable + "---, 600.5";
        QTest::newRow("Zarn, limit field missing") << "1400" << QByteArray("#MST:0\r\n") << QByteArray("#MRP:540\r\n")
                                                   << QByteArray("#MRG:83\r\n") << unreadable + "540, ";
        QTest::newRow("Zarn, DC link unanswered")
            << "1400" << QByteArray("#MST:0\r\n") << QByteArray() << QByteArray() << unreadable + ", ";
        QTest::newRow("Zarn, output on goes first")
            << "1400" << QByteArray("#MST:1\r\n") << QByteArray("#MRP:540\r\n") << QByteArray("#MRG:83:600\r\n") << on;
        QTest::newRow("other supplies are not asked for the DC link")
            << "1100" << QByteArray("#MST:0\r\n") << QByteArray("#MRP:900\r\n") << QByteArray("#MRG:83:600\r\n")
            << QString();
    }
    void preChecks()
    {
        QFETCH(QString, code);
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, voltage);
        QFETCH(QByteArray, limit);
        QFETCH(QString, refusal);
        Supply supply;
        supply.command.answer("MST\r\n", status);
        supply.command.answer("MRP\r\n", voltage);
        supply.command.answer("MRG:83\r\n", limit);
        const QString path = writeFirmware("image");
        supply.upload.expectBytes(5);
        supply.upload.replyWith({"#ACK\r\n"});

        UpgradeRun run({device(code, supplyAddress)}, {true}, path);

        run.worker.setPorts(supply.ports());
        QVERIFY(run.runToEnd());
        QCOMPARE(run.events.finalSignals(), 1);
        const bool dcLink = code == "1400" && !status.startsWith("#MST:1");
        QList<QByteArray> expectedCommands{"VER\r\n", "MST\r\n"};
        if (dcLink)
            expectedCommands << "MRP\r\n"
                             << "MRG:83\r\n";
        if (refusal.isEmpty()) {
            expectedCommands << "MREBOOT\r\n";
            QCOMPARE(run.events.completions, 1);
            QCOMPARE(supply.upload.received(), QByteArray("image"));
        } else {
            QCOMPARE(run.events.logs.last(), refusal);
            QCOMPARE(run.events.logsAfter("Device name: #VER:Aurel 2.1\r\n"), QStringList{refusal});
            QCOMPARE(run.events.events.last(), QStringLiteral("error"));
            QCOMPARE(supply.upload.connections(), 0);
        }
        QCOMPARE(supply.command.commands(), expectedCommands);
    }

    // Files that cannot be an image are refused before the supply hears anything, not even its status request.
    void unusableFileSendsNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << "empty.updt" << QByteArray() << "the file is empty";
        QTest::newRow("missing") << "" << QByteArray() << "missing.updt";
        QTest::newRow("an S-record image")
            << "lumen.updt" << QByteArray("S00600004844521B\r\nS9030000FC\r\n") << "looks like an S-record image";
    }
    void unusableFileSendsNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        Supply supply;
        QString path = m_dir.filePath(QStringLiteral("missing.updt"));
        if (!name.isEmpty()) {
            path = m_dir.filePath(name);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        UpgradeRun run({device("1F80", supplyAddress)}, {true}, path);
        run.worker.setPorts(supply.ports());
        QVERIFY(run.runToEnd());
        const QStringList logs = run.events.logs;
        QCOMPARE(logs.size(), 5);
        QVERIFY2(logs.at(3).startsWith(QStringLiteral("ERROR: ") + path) && logs.at(3).contains(reason),
                 qPrintable(logs.at(3)));
        QCOMPARE(run.events.events.last(), QStringLiteral("error"));
        QCOMPARE(run.events.finalSignals(), 1);
        QCOMPARE(supply.command.connections(), 0);
        QCOMPARE(supply.upload.connections(), 0);
    }

    void finalAnswer_data()
    {
        QTest::addColumn<QList<QByteArray>>("report");
        QTest::addColumn<QStringList>("ending");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("acknowledged") << QList<QByteArray>{"$:50\n", "#ACK\r\n"}
                                      << QStringList({"Update Socket Closed!", "Firmware Updated!",
                                                      "\nFIRMWARE SUCCESSFULLY UPDATED!"})
                                      << true;
        QTest::newRow("acknowledged among other text")
            << QList<QByteArray>{"install done #ACK ok\n"}
            << QStringList({"Update Socket Closed!", "Firmware Updated!", "\nFIRMWARE SUCCESSFULLY UPDATED!"}) << true;
        QTest::newRow("refused with a reason")
            << QList<QByteArray>{"$:10\n", "#NAK:bad checksum\r\n"}
            << QStringList(
                   {"Update Socket Closed!", "CRITICAL: update error: bad checksum\r\n", "\nERROR: Unexpected Error"})
            << false;
        QTest::newRow("any other final text is a refusal")
            << QList<QByteArray>{"#what"}
            << QStringList({"Update Socket Closed!",
                            "CRITICAL: update error: the supply's report ended neither with #ACK nor with #NAK: "
                            "\"#what\"",
                            "\nERROR: Unexpected Error"})
            << false;
        // A bare mark is no answer: only "#ACK" or "#NAK:" ends the report.
        QTest::newRow("a bare mark") << QList<QByteArray>{"$:40\n", "#\r\n"}
                                     << QStringList({"Update Socket Closed!",
                                                     "CRITICAL: update error: the supply's report ended neither with "
                                                     "#ACK nor with #NAK: \"#\\r\\n\"",
                                                     "\nERROR: Unexpected Error"})
                                     << false;
    }
    void finalAnswer()
    {
        QFETCH(QList<QByteArray>, report);
        QFETCH(QStringList, ending);
        QFETCH(bool, accepted);
        Supply supply;
        const QString path = writeFirmware(randomBytes(1000));
        supply.upload.expectBytes(1000);
        supply.upload.replyWith(report);
        UpgradeRun run({device("1F80", supplyAddress)}, {true}, path);
        run.worker.setPorts(supply.ports());
        QVERIFY(run.runToEnd());
        QCOMPARE(run.events.logs.mid(run.events.logs.size() - ending.size()), ending);
        QCOMPARE(run.events.completions, accepted ? 1 : 0);
        QCOMPARE(run.events.finalSignals(), 1);
        QCOMPARE(supply.command.commands().contains("MREBOOT\r\n"), accepted);
        if (accepted)
            QCOMPARE(run.events.progress.last(), 100);
    }

    void uploadPortRefused()
    {
        FakeCommandPort command(supplyAddress, 0);
        command.answer("MST\r\n", "#MST:0\r\n");
        UpgradeRun run({device("1F80", supplyAddress)}, {true}, writeFirmware("image"));
        UpgradePorts ports;
        ports.command = command.listeningPort();
        ports.upload = unusedPort();
        run.worker.setPorts(ports);
        QVERIFY(run.runToEnd());
        const QStringList after = run.events.logsAfter("\nCreate socket to update firmware...");
        QCOMPARE(after.size(), 2);
        QCOMPARE(after.at(0), QStringLiteral("CRITICAL: socket error, Connection refused"));
        QCOMPARE(after.at(1), QStringLiteral("Please check that your device is connected and try again..."));
        QCOMPARE(run.events.events.last(), QStringLiteral("error"));
        QCOMPARE(run.events.finalSignals(), 1);
    }

    void droppedConnectionIsASocketError()
    {
        Supply supply;
        const QString path = writeFirmware(randomBytes(5000));
        supply.upload.expectBytes(5000);
        supply.upload.dropWhenReceived();
        UpgradeRun run({device("1F80", supplyAddress)}, {true}, path);
        run.worker.setPorts(supply.ports());
        QVERIFY(run.runToEnd());
        QCOMPARE(run.events.logs.last(),
                 QStringLiteral("CRITICAL: socket error, The remote host closed the connection"));
        QVERIFY(!run.events.logged("Update Socket Closed!"));
        QCOMPARE(run.events.events.last(), QStringLiteral("error"));
        QCOMPARE(run.events.finalSignals(), 1);
    }

    void connectionDroppedDuringTheUpload()
    {
        Supply supply;
        const QString path = writeSparseFirmware(4 * 1024 * 1024);
        supply.upload.expectBytes(0);
        supply.upload.dropWhenReceived();
        UpgradeRun run({device("1F80", supplyAddress)}, {true}, path);
        run.worker.setPorts(supply.ports());
        QVERIFY(run.runToEnd());
        const QString last = run.events.logs.last();
        QVERIFY2(last == "CRITICAL: Packet transmitted with erros" || last.startsWith("CRITICAL: socket error, "),
                 qPrintable(last));
        QCOMPARE(run.events.errors, 1);
        QCOMPARE(run.events.finalSignals(), 1);
    }

    void rebootNotAcknowledged_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("portGone");
        QTest::newRow("refused") << QByteArray("#NAK\r\n") << false;
        QTest::newRow("unanswered") << QByteArray() << false;
        QTest::newRow("command port gone") << QByteArray("#AK\r\n") << true;
    }
    void rebootNotAcknowledged()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, portGone);
        Supply supply;
        supply.command.answer("MREBOOT\r\n", answer);
        if (portGone)
            supply.command.acceptOnly(1);
        supply.upload.expectBytes(5);
        supply.upload.replyWith({"#ACK"});
        UpgradeRun run({device("1F80", supplyAddress)}, {true}, writeFirmware("image"));
        run.worker.setPorts(supply.ports());
        QVERIFY(run.runToEnd());
        QStringList expected{"\nFIRMWARE SUCCESSFULLY UPDATED!", "\nWARNING: CANNOT REBOOT! PLEASE REBOOT MANUALLY"};
        // The supply's own words, when it had any.
        if (!answer.isEmpty() && !portGone)
            expected << QStringLiteral("WARNING: The supply answered the reboot request with \"#NAK\\r\\n\".");
        QCOMPARE(run.events.logsAfter("Firmware Updated!"), expected);
        QCOMPARE(run.events.events.last(), QStringLiteral("completed"));
        QCOMPARE(run.events.finalSignals(), 1);
    }

    void watchdogEndsASilentSupply()
    {
        FirmwarePacing pacing = upgradetest::shortPacing();
        pacing.installWaitMs = 10;
        FirmwarePacing::setCurrent(pacing);
        Supply supply;
        const QString path = writeFirmware(randomBytes(2000));
        supply.upload.expectBytes(2000);
        UpgradeRun run({device("1F80", supplyAddress)}, {true}, path);
        run.worker.setPorts(supply.ports());
        run.worker.start();
        QTRY_VERIFY(run.events.logged("\nInstall new firmware:"));
        // The bar creeps on while the supply says nothing, up to where it may go without a report.
        QTRY_COMPARE_WITH_TIMEOUT(run.events.bar, 50, 20000);
        QTest::qWait(200);
        QCOMPARE(run.events.bar, 50);
        run.worker.requestInterruption();
        QTRY_VERIFY_WITH_TIMEOUT(run.events.finished, 20000);
        // The image was uploaded: the supply is installing it, which no stop can undo.
        QCOMPARE(run.events.logs.mid(run.events.logs.size() - 5),
                 QStringList({"Update Socket Closed!",
                              "WARNING: The upload had ended when the upgrade was stopped: the supply is installing "
                              "the image and cannot be stopped. Check it once it has restarted.",
                              "ERROR: The upgrade was stopped on request while the supply was installing the image; "
                              "its installation report was not followed to the end.",
                              "CRITICAL: update error: Timeout Error!", "\nERROR: Unexpected Error"}));
        QCOMPARE(run.events.events.last(), QStringLiteral("error"));
        QCOMPARE(run.events.finalSignals(), 1);
        QVERIFY(!supply.command.commands().contains("MREBOOT\r\n"));
    }

    // The rest of the file is not read while the supply takes nothing; the watchdog still ends the run.
    void stalledSupplyHoldsTheUploadBack()
    {
        // The TCP buffers are those of the whole network namespace: only the test's own may be shrunk.
        if (!inPrivateNetwork)
            QSKIP("the stalled upload needs a network namespace of the test's own, which needs root");
        if (!upgradetest::limitSendBuffers())
            QSKIP("the namespace's TCP send buffers cannot be made small");
        FirmwarePacing pacing = upgradetest::shortPacing();
        pacing.chunkWrittenWaitMs = 1;
        FirmwarePacing::setCurrent(pacing);
        Supply supply;
        supply.upload.stall();
        const QString path = writeSparseFirmware(qint64(400) * chunkBytes);
        UpgradeRun run({device("1F80", supplyAddress)}, {true}, path);
        run.worker.setPorts(supply.ports());
        run.worker.start();
        QTRY_VERIFY(run.events.logged("\nFirmware upload in progress..."));
        QTest::qWait(1500);
        QVERIFY(!run.events.logged("Fiwmware uploaded!"));
        QCOMPARE(run.events.eventsFrom("log:\nFirmware upload in progress...").size(), 1);
        run.worker.requestInterruption();
        QTRY_VERIFY_WITH_TIMEOUT(run.events.finished, 20000);
        QCOMPARE(run.events.logsAfter("\nFirmware upload in progress..."),
                 QStringList({"Fiwmware uploaded!", "\nInstall new firmware:", "Update Socket Closed!",
                              "ERROR: The upgrade was stopped on request during the upload of the image.",
                              "CRITICAL: update error: Timeout Error!", "\nERROR: Unexpected Error"}));
        QCOMPARE(run.events.finalSignals(), 1);
        QCOMPARE(run.events.errors, 1);
    }

    void uploadAdvancesTheBarEvery200Chunks()
    {
        Supply supply;
        const qint64 size = qint64(200) * chunkBytes + 1;
        const QString path = writeSparseFirmware(size);
        supply.upload.expectBytes(size);
        supply.upload.replyWith({"#ACK"});
        UpgradeRun run({device("1F80", supplyAddress)}, {true}, path);
        run.worker.setPorts(supply.ports());
        QVERIFY(run.runToEnd());
        QStringList upload = run.events.eventsFrom("log:\nFirmware upload in progress...");
        upload = upload.mid(0, upload.indexOf("log:Fiwmware uploaded!") + 1);
        QCOMPARE(upload, QStringList({"log:\nFirmware upload in progress...", "progress:1", "log:Fiwmware uploaded!"}));
        QCOMPARE(supply.upload.received().size(), size);
        QCOMPARE(run.events.completions, 1);
    }

    // Progress lines that arrive together count as the last of them, not as their digits run together.
    void progressLinesReadTogether()
    {
        FirmwarePacing pacing = upgradetest::shortPacing();
        pacing.installWaitMs = 10;
        FirmwarePacing::setCurrent(pacing);
        Supply supply;
        const QString path = writeFirmware(randomBytes(1000));
        supply.upload.expectBytes(1000);
        UpgradeRun run({device("1F80", supplyAddress)}, {true}, path);
        run.worker.setPorts(supply.ports());
        run.worker.start();
        QTRY_VERIFY(run.events.logged("\nInstall new firmware:"));
        supply.upload.send("$:60\n$:70\n");
        QTRY_COMPARE_WITH_TIMEOUT(run.events.bar, 70, 20000);
        QTest::qWait(200);
        QCOMPARE(run.events.bar, 70);
        // A read with other text besides its progress line leaves the target where it was.
        supply.upload.send("$:90\nVerifying\n");
        QTRY_VERIFY(run.events.logged("Verifying\n"));
        QTest::qWait(200);
        QCOMPARE(run.events.bar, 70);
        supply.upload.send("#ACK");
        QTRY_VERIFY_WITH_TIMEOUT(run.events.finished, 20000);
        QCOMPARE(run.events.highestBarBelowFull, 70);
        QCOMPARE(run.events.bar, 100);
        QCOMPARE(run.events.completions, 1);
    }

    void endlessStatusAnswerIsCutShort()
    {
        Supply supply;
        supply.command.streamOn("MST\r\n", QByteArray(512, 'x'), 1);
        supply.upload.expectBytes(5);
        supply.upload.replyWith({"#ACK"});
        UpgradeRun run({device("1F80", supplyAddress)}, {true}, writeFirmware("image"));
        run.worker.setPorts(supply.ports());
        QVERIFY(run.runToEnd());
        // The answer is cut at its bound, and what was read is no status: nothing is uploaded.
        QCOMPARE(run.events.completions, 0);
        QCOMPARE(run.events.finalSignals(), 1);
        QVERIFY(run.events.logs.last().startsWith(QStringLiteral("ERROR: The supply's status answer cannot be read")));
        QVERIFY(run.events.logs.last().size() < 400);
        QCOMPARE(supply.upload.connections(), 0);
    }

private:
    QTemporaryDir m_dir;
    int m_files = 0;
};

int main(int argc, char** argv)
{
    // Before any thread exists: the namespace is per thread and inherited by new ones.
    if (runningAsRoot()) {
        if (!upgradetest::enterTestNetwork())
            return 1;
        inPrivateNetwork = true;
    }
    QCoreApplication app(argc, argv);
    TestPowerSupplyUpgrade test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_powersupplyupgrade.moc"
