// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/firmwareimages.h"
#include "common/simlog.h"
#include "rawudp.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

// Checks the firmware services of the lab in tests/labs/sim-firmware.json from the tool namespace, byte by
// byte, with hand-written clients: text commands, uploads, flash programming, misbehaviour and the version
// a unit reports after its reboot. The slots run in order; the upgrades change the units they use.
class TestSimInstruments : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void commands_data();
    void commands();
    void closedPorts_data();
    void closedPorts();

    void uploadThenRebootShowsNewVersion();
    void uploadOfDeclaredLength();
    void uploadRefusedWithReason();
    void uploadOfNothingIsRefused();
    void uploadIntoSilence();
    void uploadDroppedMidway();
    void uploadClosedByPeer();
    void largeUploadKeepsOnlyADigest();
    void jsonUnitReportsNewVersion();
    void rebootRefused();
    void silentRebootKeepsUnitAway();

    void flashProgrammingShowsImageAndVersion();
    void flashRefusals();
    void flashSilentAtLine();
    void flashAnswersWithoutTerminator();
    void flashImageOfManyLines();

    void labFileMistakes_data();
    void labFileMistakes();
    void noProblemsLogged();
};

namespace {
constexpr quint16 kCommandPort = 10001;
constexpr quint16 kUploadPort = 13192;
constexpr quint16 kDiscoveryPort = 30719;
constexpr int kAnswerMs = 3000;
constexpr int kSilenceMs = 400;
const QByteArray kAck = QByteArrayLiteral("#AK\r\n");
const QByteArray kQuery = QByteArrayLiteral("Ostravi Dev?");
const QString kPs1 = QStringLiteral("10.77.1.10");
const QString kBl1 = QStringLiteral("10.77.1.30");

int logMark()
{
    return SimLog::lines().size();
}

SimLog::Lines logSince(int mark)
{
    return SimLog::lines().mid(mark);
}

SimLog::Lines eventsSince(int mark, const QString& event, const QString& unit)
{
    return SimLog::events(logSince(mark), event, unit);
}

// Reads until `until` bytes have arrived, the peer closes or `ms` pass.
QByteArray readUntil(QTcpSocket& socket, int until, int ms)
{
    QByteArray received;
    QElapsedTimer clock;
    clock.start();
    while (received.size() < until && clock.elapsed() < ms && socket.state() == QAbstractSocket::ConnectedState) {
        if (socket.waitForReadyRead(int(qMax<qint64>(1, ms - clock.elapsed()))))
            received += socket.readAll();
    }
    return received + socket.readAll();
}

QByteArray readFor(QTcpSocket& socket, int ms)
{
    return readUntil(socket, std::numeric_limits<int>::max(), ms);
}

// One command and its one-line answer, complete at its first LF (or the peer's silence).
QByteArray ask(QTcpSocket& socket, const QByteArray& command)
{
    socket.write(command);
    socket.waitForBytesWritten(kAnswerMs);
    QByteArray received;
    QElapsedTimer clock;
    clock.start();
    while (!received.contains('\n') && clock.elapsed() < kAnswerMs &&
           socket.state() == QAbstractSocket::ConnectedState) {
        if (socket.waitForReadyRead(int(qMax<qint64>(1, kAnswerMs - clock.elapsed()))))
            received += socket.readAll();
    }
    return received;
}

bool connectTo(QTcpSocket& socket, const QString& address, quint16 port)
{
    socket.connectToHost(address, port);
    return socket.waitForConnected(2000);
}

QByteArray askOnce(const QString& address, const QByteArray& command)
{
    QTcpSocket socket;
    if (!connectTo(socket, address, kCommandPort))
        return "not connected: " + socket.errorString().toLatin1();
    return ask(socket, command);
}

QByteArray discoveryAnswer(const QString& address)
{
    RawUdp socket;
    if (!socket.bind(QStringLiteral("0.0.0.0"), 0) || !socket.sendTo(address, kDiscoveryPort, kQuery))
        return QByteArray();
    const QList<RawUdp::Datagram> answers = socket.receiveFor(300);
    return answers.isEmpty() ? QByteArray() : answers.first().data;
}

QByteArray powerSupplyFirmware(const QByteArray& answer)
{
    return answer.mid(44).split('\r').value(0);
}

// Sends the image in pieces as the tool does and gives the connection back for the installation report.
bool sendImage(QTcpSocket& socket, const QByteArray& image)
{
    constexpr int kChunk = 16384;
    for (int at = 0; at < image.size(); at += kChunk) {
        if (socket.write(image.mid(at, kChunk)) < 0)
            return false;
        socket.waitForBytesWritten(500);
    }
    return socket.state() == QAbstractSocket::ConnectedState;
}

QStringList imageLines(const QByteArray& image)
{
    QStringList lines;
    for (const QByteArray& line : image.split('\n')) {
        if (!line.isEmpty())
            lines.append(QString::fromLatin1(line + '\n'));
    }
    return lines;
}

// A whole programming run on one connection; every answer must be an acceptance.
bool programFlash(QTcpSocket& socket, const QList<int>& sectors, const QByteArray& image, QString* why)
{
    for (int sector : sectors) {
        const QByteArray answer = ask(socket, "EPCSER:" + QByteArray::number(sector) + '\r');
        if (answer != kAck)
            return *why = QStringLiteral("erase %1: %2").arg(sector).arg(QString::fromLatin1(answer)), false;
    }
    if (ask(socket, "EPCSWR\r") != kAck)
        return *why = QStringLiteral("EPCSWR not accepted"), false;
    for (const QString& line : imageLines(image)) {
        const QByteArray answer = ask(socket, line.toLatin1());
        if (answer != kAck)
            return *why = QStringLiteral("%1: %2").arg(line.trimmed(), QString::fromLatin1(answer)), false;
    }
    if (ask(socket, "E\r\n") != kAck)
        return *why = QStringLiteral("E not accepted"), false;
    return true;
}
} // namespace

void TestSimInstruments::initTestCase()
{
    QVERIFY2(SimLog::available(), "run this test through scripts/netns-lab.sh");
}

void TestSimInstruments::commands_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("expected");

    const QString zarn = QStringLiteral("10.77.1.13");
    const QString bad = QStringLiteral("10.77.1.15");
    QTest::newRow("VER of a supply") << "ps1" << kPs1 << QByteArray("VER\r\n") << QByteArray("#VER:ps1:1.0.00\r\n");
    QTest::newRow("VER with model") << "pslen"
                                    << "10.77.1.11" << QByteArray("VER\r\n") << QByteArray("#VER:SP-100:1.0.00\r\n");
    QTest::newRow("VER of a beamline unit")
        << "bl1" << kBl1 << QByteArray("VER\r\n") << QByteArray("#VER:bl1:1.0.00\r\n");
    QTest::newRow("VER of a json unit") << "js1"
                                        << "10.77.1.40" << QByteArray("VER\r\n") << QByteArray("#VER:js1:3.0.01\r\n");
    QTest::newRow("VER refused") << "psbad" << bad << QByteArray("VER\r\n") << QByteArray("#NAK:not ready\r\n");
    QTest::newRow("MST output off") << "ps1" << kPs1 << QByteArray("MST\r\n") << QByteArray("#MST:0000\r\n");
    QTest::newRow("MST output on") << "pson"
                                   << "10.77.1.12" << QByteArray("MST\r\n") << QByteArray("#MST:0A31\r\n");
    QTest::newRow("MRP above limit") << "zarnhigh" << zarn << QByteArray("MRP\r\n")
                                     << QByteArray("#MRP:610.5:0.00\r\n");
    QTest::newRow("MRG:83 limit") << "zarnhigh" << zarn << QByteArray("MRG:83\r\n") << QByteArray("#MRG:83:600\r\n");
    QTest::newRow("MRP at limit") << "zarneq"
                                  << "10.77.1.14" << QByteArray("MRP\r\n") << QByteArray("#MRP:600:0.00\r\n");
    QTest::newRow("MRP unreadable") << "psbad" << bad << QByteArray("MRP\r\n") << QByteArray("#MRP:ERR\r\n");
    QTest::newRow("MRG:83 unreadable") << "psbad" << bad << QByteArray("MRG:83\r\n") << QByteArray("#MRG:83:ERR\r\n");
    QTest::newRow("unknown command") << "ps1" << kPs1 << QByteArray("MVER\r\n")
                                     << QByteArray("#NAK:unknown command\r\n");
    QTest::newRow("CR alone ends a command") << "ps1" << kPs1 << QByteArray("MST\r") << QByteArray("#MST:0000\r\n");
    QTest::newRow("two in one write") << "zarnhigh" << zarn << QByteArray("MRP\r\nMRG:83\r\n")
                                      << QByteArray("#MRP:610.5:0.00\r\n#MRG:83:600\r\n");
    QTest::newRow("a command in two writes") << "ps1" << kPs1 << QByteArray("VE") << QByteArray("#VER:ps1:1.0.00\r\n");
}

void TestSimInstruments::commands()
{
    QFETCH(QString, unit);
    QFETCH(QString, address);
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, expected);

    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY2(connectTo(socket, address, kCommandPort), qPrintable(socket.errorString()));
    socket.write(command);
    if (command == "VE") {
        QVERIFY(socket.waitForBytesWritten(1000));
        QCOMPARE(readFor(socket, 100), QByteArray());
        socket.write("R\r\n");
        command += "R\r\n";
    }
    QCOMPARE(readUntil(socket, expected.size(), kAnswerMs), expected);
    QTRY_COMPARE(SimLog::tcpReceived(logSince(mark), unit, kCommandPort), command);
    QCOMPARE(SimLog::tcp(logSince(mark), unit, QStringLiteral("connect")).size(), 1);
}

void TestSimInstruments::closedPorts_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");

    QTest::newRow("command port off") << "10.77.1.16" << int(kCommandPort);
    QTest::newRow("upload refused") << "10.77.1.17" << int(kUploadPort);
    QTest::newRow("no firmware services: commands") << "10.77.1.50" << int(kCommandPort);
    QTest::newRow("no firmware services: upload") << "10.77.1.50" << int(kUploadPort);
}

void TestSimInstruments::closedPorts()
{
    QFETCH(QString, address);
    QFETCH(int, port);

    QTcpSocket socket;
    QVERIFY(!connectTo(socket, address, quint16(port)));
    QCOMPARE(socket.error(), QAbstractSocket::ConnectionRefusedError);
}

void TestSimInstruments::uploadThenRebootShowsNewVersion()
{
    const int mark = logMark();
    const QByteArray image = FirmwareImages::updt(300000, QStringLiteral("2.1.07"));
    QTcpSocket upload;
    QVERIFY(connectTo(upload, kPs1, kUploadPort));
    QElapsedTimer clock;
    QVERIFY(sendImage(upload, image));
    clock.start();
    // Four progress lines spread over the report time (200 ms), then the acceptance.
    const QByteArray expected = "$:25\n$:50\n$:75\n$:100\n#ACK\r\n";
    const QByteArray report = readUntil(upload, expected.size(), 5000);
    QCOMPARE(report, expected);
    QVERIFY2(clock.elapsed() >= 150 + 200, qPrintable(QString::number(clock.elapsed())));

    const SimLog::Lines uploads = eventsSince(mark, QStringLiteral("upload"), QStringLiteral("ps1"));
    QCOMPARE(uploads.size(), 1);
    QCOMPARE(uploads.first().value("bytes").toInt(), image.size());
    QCOMPARE(uploads.first().value("sha256").toString(), FirmwareImages::sha256Hex(image));
    QCOMPARE(uploads.first().value("end").toString(), QStringLiteral("quiet"));
    QCOMPARE(uploads.first().value("fw").toString(), QStringLiteral("2.1.07"));
    // The unit still runs its old firmware until it reboots.
    QCOMPARE(askOnce(kPs1, "VER\r\n"), QByteArray("#VER:ps1:1.0.00\r\n"));

    QTcpSocket command;
    QVERIFY(connectTo(command, kPs1, kCommandPort));
    QCOMPARE(ask(command, "MREBOOT\r\n"), kAck);
    QTRY_COMPARE(command.state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("ps1")).size(), 1);
    QCOMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("ps1")).first().value("fw").toString(),
             QStringLiteral("2.1.07"));
    QCOMPARE(powerSupplyFirmware(discoveryAnswer(kPs1)), QByteArray("2.1.07"));
    QCOMPARE(discoveryAnswer(kPs1).mid(44).split('\r').value(1), QByteArray("\nPS0110"));
    QCOMPARE(askOnce(kPs1, "VER\r\n"), QByteArray("#VER:ps1:2.1.07\r\n"));
}

void TestSimInstruments::uploadOfDeclaredLength()
{
    const int mark = logMark();
    const QByteArray image = FirmwareImages::updt(100000, QStringLiteral("1.1.00"), 7);
    QTcpSocket upload;
    QVERIFY(connectTo(upload, QStringLiteral("10.77.1.11"), kUploadPort));
    QVERIFY(sendImage(upload, image));
    // The quiet time is a minute: only the declared length can end this image.
    const QByteArray expected = "$:50\n$:100\n#ACK\r\n";
    QCOMPARE(readUntil(upload, expected.size(), 5000), expected);
    const SimLog::Lines uploads = eventsSince(mark, QStringLiteral("upload"), QStringLiteral("pslen"));
    QCOMPARE(uploads.size(), 1);
    QCOMPARE(uploads.first().value("end").toString(), QStringLiteral("length"));
    QCOMPARE(uploads.first().value("bytes").toInt(), image.size());
    QCOMPARE(uploads.first().value("sha256").toString(), FirmwareImages::sha256Hex(image));
}

void TestSimInstruments::uploadRefusedWithReason()
{
    const int mark = logMark();
    QTcpSocket upload;
    QVERIFY(connectTo(upload, QStringLiteral("10.77.1.20"), kUploadPort));
    QVERIFY(sendImage(upload, FirmwareImages::updt(40000, QStringLiteral("9.9.99"))));
    const QByteArray expected = "$:100\n#NAK:wrong model\r\n";
    QCOMPARE(readUntil(upload, expected.size(), 5000), expected);
    // A refused image never comes into service.
    QCOMPARE(askOnce(QStringLiteral("10.77.1.20"), "MREBOOT\r\n"), kAck);
    QTRY_COMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("psnak")).size(), 1);
    QCOMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("psnak")).first().value("fw").toString(),
             QStringLiteral("1.0.00"));
    QTRY_COMPARE(askOnce(QStringLiteral("10.77.1.20"), "VER\r\n"), QByteArray("#VER:psnak:1.0.00\r\n"));
}

void TestSimInstruments::uploadOfNothingIsRefused()
{
    const int mark = logMark();
    QTcpSocket upload;
    QVERIFY(connectTo(upload, QStringLiteral("10.77.1.40"), kUploadPort));
    const QByteArray expected = "#NAK:empty image\r\n";
    QCOMPARE(readUntil(upload, expected.size(), 5000), expected);
    const SimLog::Lines uploads = eventsSince(mark, QStringLiteral("upload"), QStringLiteral("js1"));
    QCOMPARE(uploads.size(), 1);
    QCOMPARE(uploads.first().value("bytes").toInt(), 0);
    QCOMPARE(uploads.first().value("sha256").toString(), FirmwareImages::sha256Hex(QByteArray()));
}

void TestSimInstruments::uploadIntoSilence()
{
    const int mark = logMark();
    const QByteArray image = FirmwareImages::updt(50000, QStringLiteral("2.0.00"));
    QTcpSocket upload;
    QVERIFY(connectTo(upload, QStringLiteral("10.77.1.19"), kUploadPort));
    QVERIFY(sendImage(upload, image));
    QTRY_COMPARE(eventsSince(mark, QStringLiteral("upload"), QStringLiteral("pssilent")).size(), 1);
    // Well past the quiet time and any report: nothing ever comes, and the unit keeps the line open.
    QCOMPARE(readFor(upload, 2 * kSilenceMs), QByteArray());
    QCOMPARE(upload.state(), QAbstractSocket::ConnectedState);
}

void TestSimInstruments::uploadDroppedMidway()
{
    const int mark = logMark();
    const QByteArray image = FirmwareImages::updt(400000, QStringLiteral("2.0.00"));
    QTcpSocket upload;
    QVERIFY(connectTo(upload, QStringLiteral("10.77.1.18"), kUploadPort));
    sendImage(upload, image);
    QTRY_COMPARE(upload.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(upload.readAll().isEmpty());
    const SimLog::Lines uploads = eventsSince(mark, QStringLiteral("upload"), QStringLiteral("psdrop"));
    QCOMPARE(uploads.size(), 1);
    QCOMPARE(uploads.first().value("end").toString(), QStringLiteral("dropped"));
    QCOMPARE(uploads.first().value("bytes").toInt(), 50000);
    QCOMPARE(uploads.first().value("sha256").toString(), FirmwareImages::sha256Hex(image.left(50000)));
}

void TestSimInstruments::uploadClosedByPeer()
{
    const int mark = logMark();
    const QByteArray image = FirmwareImages::updt(20000, QString());
    QTcpSocket upload;
    QVERIFY(connectTo(upload, QStringLiteral("10.77.1.11"), kUploadPort));
    QVERIFY(sendImage(upload, image));
    upload.disconnectFromHost();
    QTRY_COMPARE(eventsSince(mark, QStringLiteral("upload"), QStringLiteral("pslen")).size(), 1);
    const QJsonObject line = eventsSince(mark, QStringLiteral("upload"), QStringLiteral("pslen")).first();
    QCOMPARE(line.value("end").toString(), QStringLiteral("closed"));
    QCOMPARE(line.value("bytes").toInt(), image.size());
    QVERIFY(!line.contains("fw"));
}

void TestSimInstruments::largeUploadKeepsOnlyADigest()
{
    const int mark = logMark();
    constexpr int kSize = 16 * 1024 * 1024;
    const QByteArray image = FirmwareImages::updt(kSize, QStringLiteral("3.0.00"), 11);
    QTcpSocket upload;
    QVERIFY(connectTo(upload, QStringLiteral("10.77.1.23"), kUploadPort));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(sendImage(upload, image));
    QCOMPARE(readUntil(upload, 6, 10000), QByteArray("#ACK\r\n"));
    qInfo("16 MiB upload answered after %lld ms", clock.elapsed());
    const SimLog::Lines uploads = eventsSince(mark, QStringLiteral("upload"), QStringLiteral("psbig"));
    QCOMPARE(uploads.size(), 1);
    QCOMPARE(uploads.first().value("sha256").toString(), FirmwareImages::sha256Hex(image));
    QCOMPARE(uploads.first().value("fw").toString(), QStringLiteral("3.0.00"));
    // Chunks are logged with their length and a bounded head of their bytes.
    qint64 logged = 0;
    for (const QJsonObject& line : SimLog::tcp(logSince(mark), QStringLiteral("psbig"), QStringLiteral("data"))) {
        QCOMPARE(line.value("port").toInt(), int(kUploadPort));
        QVERIFY(line.value("hex").toString().size() <= 64);
        logged += line.value("len").toInt();
    }
    QCOMPARE(logged, qint64(kSize));
}

void TestSimInstruments::jsonUnitReportsNewVersion()
{
    const int mark = logMark();
    QTcpSocket upload;
    QVERIFY(connectTo(upload, QStringLiteral("10.77.1.40"), kUploadPort));
    QVERIFY(sendImage(upload, FirmwareImages::updt(30000, QStringLiteral("3.1.02"))));
    // A report time of 0 sends the whole report at once.
    const QByteArray expected = "$:25\n$:50\n$:75\n$:100\n#ACK\r\n";
    QCOMPARE(readUntil(upload, expected.size(), 3000), expected);
    QCOMPARE(askOnce(QStringLiteral("10.77.1.40"), "MREBOOT\r\n"), kAck);
    QTRY_COMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("js1")).size(), 1);
    QCOMPARE(discoveryAnswer(QStringLiteral("10.77.1.40")),
             QByteArray(R"(Ostravi QV3:{"CODE":"2301","FW":"3.1.02","IP":"10.77.1.40","MAC":"00:A0:3B:00:01:40"})"));
}

void TestSimInstruments::rebootRefused()
{
    const int mark = logMark();
    QTcpSocket command;
    QVERIFY(connectTo(command, QStringLiteral("10.77.1.21"), kCommandPort));
    QCOMPARE(ask(command, "MREBOOT\r\n"), QByteArray("#NAK:reboot refused\r\n"));
    QCOMPARE(ask(command, "VER\r\n"), QByteArray("#VER:psnoboot:1.0.00\r\n"));
    QCOMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("psnoboot")).size(), 0);
    const SimLog::Lines refused = eventsSince(mark, QStringLiteral("refused"), QStringLiteral("psnoboot"));
    QCOMPARE(refused.size(), 1);
    QCOMPARE(refused.first().value("command").toString(), QStringLiteral("MREBOOT"));
}

void TestSimInstruments::silentRebootKeepsUnitAway()
{
    constexpr int kRebootMs = 800;
    const int mark = logMark();
    const QString address = QStringLiteral("10.77.1.22");
    QVERIFY(!discoveryAnswer(address).isEmpty());
    QTcpSocket command;
    QVERIFY(connectTo(command, address, kCommandPort));
    QElapsedTimer clock;
    clock.start();
    command.write("MREBOOT\r\n");
    // No acknowledgement: the unit just goes, and stays away for its reboot time.
    QCOMPARE(readFor(command, 2000), QByteArray());
    QCOMPARE(command.state(), QAbstractSocket::UnconnectedState);
    QTcpSocket early;
    const bool accepted = connectTo(early, address, kCommandPort);
    QVERIFY2(!accepted || clock.elapsed() >= kRebootMs, qPrintable(QString::number(clock.elapsed())));
    const bool answered = !discoveryAnswer(address).isEmpty();
    QVERIFY2(!answered || clock.elapsed() >= kRebootMs, qPrintable(QString::number(clock.elapsed())));

    QTRY_COMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("psquiet")).size(), 1);
    QVERIFY(clock.elapsed() >= kRebootMs);
    QVERIFY(!discoveryAnswer(address).isEmpty());
    QCOMPARE(askOnce(address, "MST\r\n"), QByteArray("#MST:0000\r\n"));
}

void TestSimInstruments::flashProgrammingShowsImageAndVersion()
{
    const int mark = logMark();
    FirmwareImages::Flash spec;
    // Across the border of sectors 0 and 1, with 24-bit addresses.
    spec.start = 0xFF00;
    spec.lines = 16;
    spec.type = '2';
    spec.version = QStringLiteral("2.1.07");
    spec.countRecord = true;
    const QByteArray image = FirmwareImages::flash(spec);

    QTcpSocket socket;
    QVERIFY(connectTo(socket, kBl1, kCommandPort));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(ask(socket, "EPCSER:0\r"), kAck);
    // The erase takes the unit's erase time (100 ms).
    QVERIFY2(clock.elapsed() >= 90, qPrintable(QString::number(clock.elapsed())));
    QString why;
    QVERIFY2(programFlash(socket, {1}, image, &why), qPrintable(why));
    QTRY_COMPARE(socket.state(), QAbstractSocket::UnconnectedState);

    const SimLog::Lines erases = eventsSince(mark, QStringLiteral("erase"), QStringLiteral("bl1"));
    QCOMPARE(erases.size(), 2);
    QCOMPARE(erases.at(0).value("sector").toInt(), 0);
    QCOMPARE(erases.at(1).value("sector").toInt(), 1);
    const SimLog::Lines flashes = eventsSince(mark, QStringLiteral("flash"), QStringLiteral("bl1"));
    QCOMPARE(flashes.size(), 1);
    QCOMPARE(flashes.first().value("regions").toArray(), FirmwareImages::flashRegions(image));
    QCOMPARE(flashes.first().value("regions").toArray().size(), 1);
    QCOMPARE(flashes.first().value("lines").toInt(), imageLines(image).size());
    QCOMPARE(flashes.first().value("refused").toInt(), 0);

    QTRY_COMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("bl1")).size(), 1);
    QCOMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("bl1")).first().value("fw").toString(),
             QStringLiteral("2.1.07"));
    // A beamline answer carries its version as four characters at byte 44.
    const QByteArray answer = discoveryAnswer(kBl1);
    QCOMPARE(answer.mid(36, 4), QByteArray("AH50"));
    QCOMPARE(answer.mid(44, 4), QByteArray("2107"));
    QCOMPARE(askOnce(kBl1, "VER\r\n"), QByteArray("#VER:bl1:2.1.07\r\n"));
}

void TestSimInstruments::flashRefusals()
{
    const int mark = logMark();
    const QString vesk = QStringLiteral("10.77.1.31");
    const QByteArray good = FirmwareImages::record('1', 0x0100, QByteArray(16, 'k'));
    QTcpSocket socket;
    QVERIFY(connectTo(socket, vesk, kCommandPort));
    QCOMPARE(ask(socket, good + "\r\n"), QByteArray("#NAK:not in write mode\r\n"));
    QCOMPARE(ask(socket, "EPCSER:300\r"), QByteArray("#NAK:bad sector\r\n"));
    QCOMPARE(ask(socket, "EPCSER:x\r"), QByteArray("#NAK:bad sector\r\n"));
    QCOMPARE(ask(socket, "EPCSWR\r"), kAck);
    QCOMPARE(ask(socket, good + "\r\n"), QByteArray("#NAK:not erased\r\n"));
    QCOMPARE(ask(socket, "EPCSER:0\r"), kAck);
    QCOMPARE(ask(socket, FirmwareImages::badChecksum(good) + "\r\n"), QByteArray("#NAK:checksum\r\n"));
    QCOMPARE(ask(socket, "S1050100\r\n"), QByteArray("#NAK:format\r\n"));
    QCOMPARE(ask(socket, "SX\r\n"), QByteArray("#NAK:format\r\n"));
    QCOMPARE(ask(socket, good + "\r\n"), kAck);
    // Flash takes each byte once between erases.
    QCOMPARE(ask(socket, good + "\r\n"), QByteArray("#NAK:not erased\r\n"));
    const QByteArray marker = FirmwareImages::record('1', 0x0200, "KESTRION-FW-VERSION=7.7.77");
    QCOMPARE(ask(socket, marker + "\n"), kAck);
    QCOMPARE(ask(socket, "E\r\n"), kAck);

    const SimLog::Lines flashes = eventsSince(mark, QStringLiteral("flash"), QStringLiteral("vesk"));
    QCOMPARE(flashes.size(), 1);
    QCOMPARE(flashes.first().value("refused").toInt(), 5);
    QCOMPARE(flashes.first().value("lines").toInt(), 7);
    QCOMPARE(flashes.first().value("regions").toArray(), FirmwareImages::flashRegions(good + "\n" + marker + "\n"));
    QStringList reasons;
    for (const QJsonObject& line : eventsSince(mark, QStringLiteral("refused"), QStringLiteral("vesk")))
        reasons.append(line.value("reason").toString());
    QCOMPARE(reasons, QStringList({"not in write mode", "bad sector", "bad sector", "not erased", "checksum", "format",
                                   "format", "not erased"}));
    // An image with refused lines is broken: the unit keeps its version.
    QTRY_COMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("vesk")).size(), 1);
    QCOMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("vesk")).first().value("fw").toString(),
             QStringLiteral("1.6.00"));
    QCOMPARE(discoveryAnswer(vesk).mid(44, 4), QByteArray("1600"));
}

void TestSimInstruments::flashSilentAtLine()
{
    const int mark = logMark();
    FirmwareImages::Flash spec;
    spec.lines = 6;
    const QStringList lines = imageLines(FirmwareImages::flash(spec));
    QTcpSocket socket;
    QVERIFY(connectTo(socket, QStringLiteral("10.77.1.32"), kCommandPort));
    QCOMPARE(ask(socket, "EPCSER:0\r"), kAck);
    QCOMPARE(ask(socket, "EPCSWR\r"), kAck);
    QCOMPARE(ask(socket, lines.at(0).toLatin1()), kAck);
    QCOMPARE(ask(socket, lines.at(1).toLatin1()), kAck);
    socket.write(lines.at(2).toLatin1());
    QCOMPARE(readFor(socket, kSilenceMs), QByteArray());
    socket.write(lines.at(3).toLatin1() + "E\r\nVER\r\n");
    QCOMPARE(readFor(socket, kSilenceMs), QByteArray());
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    // Heard all the same.
    QTRY_VERIFY(SimLog::tcpReceived(logSince(mark), QStringLiteral("blmute"), kCommandPort).endsWith("E\r\nVER\r\n"));
    QCOMPARE(eventsSince(mark, QStringLiteral("flash"), QStringLiteral("blmute")).size(), 0);
}

void TestSimInstruments::flashAnswersWithoutTerminator()
{
    QTcpSocket socket;
    QVERIFY(connectTo(socket, QStringLiteral("10.77.1.33"), kCommandPort));
    socket.write("EPCSER:0\r");
    QCOMPARE(readFor(socket, kSilenceMs), QByteArray("#AK"));
    socket.write("EPCSWR\r");
    QCOMPARE(readFor(socket, kSilenceMs), QByteArray("#AK"));
    // Only the flash exchanges lose their line end: identification stays usable.
    QCOMPARE(ask(socket, "VER\r\n"), QByteArray("#VER:blnoend:\r\n"));
}

void TestSimInstruments::flashImageOfManyLines()
{
    const int mark = logMark();
    FirmwareImages::Flash spec;
    spec.start = 0x020000;
    spec.lines = 2000;
    spec.type = '3';
    spec.version = QStringLiteral("2.2.00");
    spec.versionInHeader = true;
    spec.lineEnd = "\n";
    const QByteArray image = FirmwareImages::flash(spec);
    QTcpSocket socket;
    QVERIFY(connectTo(socket, QStringLiteral("10.77.1.31"), kCommandPort));
    QElapsedTimer clock;
    clock.start();
    QString why;
    QVERIFY2(programFlash(socket, {2}, image, &why), qPrintable(why));
    qInfo("%d lines programmed in %lld ms", spec.lines, clock.elapsed());
    const SimLog::Lines flashes = eventsSince(mark, QStringLiteral("flash"), QStringLiteral("vesk"));
    QCOMPARE(flashes.size(), 1);
    QCOMPARE(flashes.first().value("regions").toArray(), FirmwareImages::flashRegions(image));
    QTRY_COMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("vesk")).size(), 1);
    QCOMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("vesk")).first().value("fw").toString(),
             QStringLiteral("2.2.00"));
    QCOMPARE(discoveryAnswer(QStringLiteral("10.77.1.31")).mid(44, 4), QByteArray("2200"));
}

void TestSimInstruments::labFileMistakes_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("expected");

    const QString ps = QStringLiteral(R"("kind": "legacy", "code": "1105", )");
    QTest::newRow("not an object") << ps + R"("firmware": true)"
                                   << R"("firmware" must be an object)";
    QTest::newRow("unknown key") << ps + R"("firmware": {"outputon": true})"
                                 << R"("firmware.outputon" is not a known key)";
    QTest::newRow("wrong type") << ps + R"("firmware": {"outputOn": "yes"})"
                                << R"("firmware.outputOn" must be true or false)";
    QTest::newRow("bad status") << ps + R"("firmware": {"status": "XYZ"})"
                                << R"("firmware.status" must be one to four hexadecimal digits)";
    QTest::newRow("unknown upload mode")
        << ps + R"("firmware": {"upload": {"mode": "maybe"}})"
        << R"("firmware.upload.mode" must be one of chatter, drop, flood, hash, nak, normal, refuse, silent)";
    QTest::newRow("negative erase time") << ps + R"("firmware": {"flash": {"eraseMs": -1}})"
                                         << R"("firmware.flash.eraseMs" must be a whole number from 0 to 600000)";
    QTest::newRow("fractional length") << ps + R"("firmware": {"upload": {"length": 1.5}})"
                                       << R"("firmware.upload.length" must be a whole number)";
    QTest::newRow("xport") << QStringLiteral(R"("kind": "xport", "firmware": {})")
                           << R"("firmware" is for legacy and json units only)";
}

void TestSimInstruments::labFileMistakes()
{
    QFETCH(QString, unit);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lab.json"));
    QVERIFY(FirmwareImages::write(
        path, QStringLiteral(R"({"links": [{"name": "kl0", "toolIp": "10.9.0.1", "labIp": "10.9.0.2"}],
                                 "units": [{"name": "u1", "link": "kl0", "ip": "10.9.0.5",
                                            "mac": "00:A0:3B:00:00:01", %1}]})")
                  .arg(unit)
                  .toUtf8()));
    QProcess sim;
    sim.start(QStringLiteral(KESTRION_SIM_BIN), {QStringLiteral("--lab"), path, QStringLiteral("--links")});
    QVERIFY(sim.waitForFinished(10000));
    QCOMPARE(sim.exitCode(), 2);
    const QString message = QString::fromLocal8Bit(sim.readAllStandardError());
    QVERIFY2(message.contains(QStringLiteral("unit \"u1\": ") + expected), qPrintable(message));
}

void TestSimInstruments::noProblemsLogged()
{
    const SimLog::Lines errors = SimLog::errors(SimLog::lines());
    QVERIFY2(errors.isEmpty(), errors.isEmpty() ? "" : QJsonDocument(errors.first()).toJson().constData());
}

QTEST_GUILESS_MAIN(TestSimInstruments)
#include "tst_siminstruments.moc"
