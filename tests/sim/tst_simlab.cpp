// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/simlog.h"
#include "rawudp.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QtTest>

// Checks the simulated lab of tests/labs/sim-basic.json from the tool namespace, byte by byte, with
// datagrams and expectations written here by hand.
class TestSimLab : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void broadcastAnswer_data();
    void broadcastAnswer();
    void broadcastAnswerers_data();
    void broadcastAnswerers();
    void unicastAnswer_data();
    void unicastAnswer();
    void unicastOnWrongLinkIsNotHeard();
    void lantronixAnswers();
    void serialTunnel_data();
    void serialTunnel();
    void logLines();
    void settingsIgnored_data();
    void settingsIgnored();
    void settingsMoveUnit_data();
    void settingsMoveUnit();
    void ipSetupMovesXport();
    void noProblemsLogged();

private:
    enum class Reply { Exact, Nothing, Stream, Closed, Refused };
};

namespace {
constexpr quint16 kDiscoveryPort = 30719;
constexpr quint16 kLantronixPort = 30718;
constexpr quint16 kSerialPort = 10001;
constexpr int kListenMs = 150;
constexpr int kSilenceMs = 300;
const QString kToolA = QStringLiteral("10.77.1.1");
const QString kToolB = QStringLiteral("10.77.2.1");
const QString kBroadcast = QStringLiteral("255.255.255.255");
const QByteArray kQuery = QByteArrayLiteral("Ostravi Dev?");

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

QByteArray padded(QByteArray bytes, int length)
{
    bytes.append(QByteArray(length - bytes.size(), '\0'));
    return bytes;
}

QByteArray legacyHead(const char* codeMacIpMaskGateway)
{
    return QByteArrayLiteral("Ostravi Dev:") + hex(codeMacIpMaskGateway);
}

QByteArray ps1Answer()
{
    return padded(padded(legacyHead("1105 00a03b000001 0a4d010a ffffff00 0a4d0101"), 44) +
                      "1.2.03\r\nPS0001\r\nSP-100\r\n\r\n0\r\n",
                  248);
}

QByteArray bl1Answer()
{
    return padded(padded(legacyHead("2105 00a03b000002 0a4d010b ffffff00 0a4d0101"), 36) + "AH50", 60) +
           hex("deadbeef");
}

QByteArray lantronixAnswer(const char* mac)
{
    return padded(hex("000000f7"), 24) + hex(mac);
}

QByteArray settingsDatagram(const char* mac, const char* ipMaskGateway, quint8 dhcp)
{
    return QByteArrayLiteral("Ostravi Set:") + hex(mac) + hex("2711") + hex(ipMaskGateway) + char(dhcp) +
           QByteArray(3, '\0');
}

// One broadcast query from a tool interface; the answers arrive on a socket bound like the tool's.
QList<RawUdp::Datagram> broadcastQuery(const QString& toolIp, int listenMs)
{
    RawUdp answers;
    RawUdp query;
    if (!answers.bind(kBroadcast, kDiscoveryPort) || !query.bind(toolIp, kDiscoveryPort) ||
        !query.sendTo(kBroadcast, kDiscoveryPort, kQuery))
        return {};
    QList<RawUdp::Datagram> received = answers.receiveFor(listenMs);
    // Linux hands our own broadcast back to us as well, and the other link's delayed answers to earlier
    // queries may still drop in: leave out both.
    const QString subnet = toolIp.section(QLatin1Char('.'), 0, 2) + QLatin1Char('.');
    const auto foreign = [&](const RawUdp::Datagram& d) {
        return d.src == toolIp || (d.src.startsWith(QLatin1String("10.77.")) && !d.src.startsWith(subnet));
    };
    received.erase(std::remove_if(received.begin(), received.end(), foreign), received.end());
    return received;
}

QList<RawUdp::Datagram> unicastQuery(const QString& target, int listenMs)
{
    RawUdp socket;
    if (!socket.bind(QStringLiteral("0.0.0.0"), 0) || !socket.sendTo(target, kDiscoveryPort, kQuery))
        return {};
    return socket.receiveFor(listenMs);
}

QStringList sources(const QList<RawUdp::Datagram>& datagrams)
{
    QStringList result;
    for (const RawUdp::Datagram& datagram : datagrams)
        result.append(datagram.src);
    result.sort();
    return result;
}

bool sendFrom(const QString& source, quint16 sourcePort, const QString& target, quint16 port, const QByteArray& data)
{
    RawUdp socket;
    return socket.bind(source, sourcePort) && socket.sendTo(target, port, data);
}

int logMark()
{
    return SimLog::lines().size();
}

SimLog::Lines logSince(int mark)
{
    return SimLog::lines().mid(mark);
}
} // namespace

void TestSimLab::initTestCase()
{
    QVERIFY2(SimLog::available(), "run this test through scripts/netns-lab.sh");
}

void TestSimLab::broadcastAnswer_data()
{
    QTest::addColumn<QString>("toolIp");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("listenMs");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("earliestMs");

    QTest::newRow("legacy power supply") << kToolA << "10.77.1.10" << kListenMs << ps1Answer() << 0;
    QTest::newRow("legacy short with raw bytes") << kToolA << "10.77.1.11" << kListenMs << bl1Answer() << 0;
    QTest::newRow("json") << kToolA << "10.77.1.12" << kListenMs
                          << QByteArray(R"(Ostravi QV3:{"CODE":"3101","DHCP":"0","IP":"10.77.1.12",)"
                                        R"("MAC":"00:A0:3B:00:00:03"})")
                          << 0;
    QTest::newRow("delayed 300 ms") << kToolB << "10.77.2.14" << 600
                                    << padded(legacyHead("3100 00a03b000005 0a4d020e ffffff00 0a4d0201"), 248) << 280;
}

void TestSimLab::broadcastAnswer()
{
    QFETCH(QString, toolIp);
    QFETCH(QString, unit);
    QFETCH(int, listenMs);
    QFETCH(QByteArray, expected);
    QFETCH(int, earliestMs);

    const QList<RawUdp::Datagram> answers = broadcastQuery(toolIp, listenMs);
    const auto answer =
        std::find_if(answers.begin(), answers.end(), [&unit](const RawUdp::Datagram& d) { return d.src == unit; });
    QVERIFY2(answer != answers.end(), qPrintable(QStringLiteral("no answer from ") + unit));
    QCOMPARE(answer->srcPort, kDiscoveryPort);
    QCOMPARE(answer->data.toHex(), expected.toHex());
    QVERIFY2(answer->elapsedMs >= earliestMs, qPrintable(QString::number(answer->elapsedMs)));
}

void TestSimLab::broadcastAnswerers_data()
{
    QTest::addColumn<QString>("toolIp");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("listenMs");

    // Not answering: unicast-only, "none" units, XPort modules, and every unit of the other link.
    // A unit outside the link's subnet still answers by broadcast.
    QTest::newRow("link kl0") << kToolA << QStringList{"10.77.1.10", "10.77.1.11", "10.77.1.12",  "10.77.1.30",
                                                       "10.77.1.31", "10.77.1.32", "192.168.0.50"}
                              << kListenMs;
    QTest::newRow("link kl1") << kToolB << QStringList{"10.77.2.10", "10.77.2.14"} << 500;
}

void TestSimLab::broadcastAnswerers()
{
    QFETCH(QString, toolIp);
    QFETCH(QStringList, expected);
    QFETCH(int, listenMs);

    QCOMPARE(sources(broadcastQuery(toolIp, listenMs)), expected);
}

void TestSimLab::unicastAnswer_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("legacy") << "10.77.1.10" << ps1Answer();
    QTest::newRow("unicast-only raw json") << "10.77.1.13" << QByteArray("Ostravi QV3:{not json");
    QTest::newRow("other link") << "10.77.2.10"
                                << padded(legacyHead("4301 00a03b000007 0a4d020a ffffff00 0a4d0201"), 248);
    QTest::newRow("broadcast-only stays silent") << "10.77.2.14" << QByteArray();
    QTest::newRow("none stays silent") << "10.77.1.15" << QByteArray();
    QTest::newRow("xport stays silent") << "10.77.1.20" << QByteArray();
}

void TestSimLab::unicastAnswer()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, expected);

    const QList<RawUdp::Datagram> answers = unicastQuery(target, expected.isEmpty() ? 450 : kListenMs);
    if (expected.isEmpty()) {
        QCOMPARE(answers.size(), 0);
        return;
    }
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers.first().src, target);
    QCOMPARE(answers.first().srcPort, kDiscoveryPort);
    QCOMPARE(answers.first().data.toHex(), expected.toHex());
}

void TestSimLab::unicastOnWrongLinkIsNotHeard()
{
    const int mark = logMark();
    RawUdp socket;
    QVERIFY2(socket.bind(QStringLiteral("0.0.0.0"), 0, QStringLiteral("kl0")), qPrintable(socket.errorString()));
    QVERIFY(socket.sendTo(QStringLiteral("10.77.2.10"), kDiscoveryPort, kQuery));
    QCOMPARE(socket.receiveFor(kSilenceMs).size(), 0);
    // It did reach the lab, on the wrong link: the unit of kl1 must not have answered it.
    const SimLog::Lines heard = SimLog::udpHeard(logSince(mark), kDiscoveryPort, QStringLiteral("kl0"));
    QCOMPARE(heard.size(), 1);
    QCOMPARE(heard.first().value("dst").toString(), QStringLiteral("10.77.2.10"));
}

void TestSimLab::lantronixAnswers()
{
    RawUdp socket;
    QVERIFY(socket.bind(kToolA, kLantronixPort));
    QVERIFY(socket.sendTo(QStringLiteral("10.77.1.255"), kLantronixPort, hex("000100f6")));
    const QList<RawUdp::Datagram> answers = socket.receiveFor(kListenMs);

    const QMap<QString, QByteArray> expected = {
        {"10.77.1.20", lantronixAnswer("00204a000020")}, {"10.77.1.21", lantronixAnswer("00204a000021")},
        {"10.77.1.23", lantronixAnswer("00204a000023")}, {"10.77.1.24", lantronixAnswer("00204a000024")},
        {"10.77.1.25", lantronixAnswer("00204a000025")}, {"10.77.1.26", lantronixAnswer("00204a000026")}};
    QMap<QString, QByteArray> received;
    for (const RawUdp::Datagram& answer : answers) {
        QCOMPARE(answer.srcPort, kLantronixPort);
        received.insert(answer.src, answer.data);
    }
    QCOMPARE(received.keys(), expected.keys());
    for (const QString& unit : expected.keys())
        QCOMPARE(received.value(unit).toHex(), expected.value(unit).toHex());
}

void TestSimLab::serialTunnel_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<int>("reply");
    QTest::addColumn<QByteArray>("expected");

    const auto exact = int(Reply::Exact);
    QTest::newRow("version") << "mot1"
                             << "10.77.1.20" << QByteArray("MVER\r\n") << exact
                             << QByteArray("#MVER:KOLVEX:B:2.10\r\n");
    QTest::newRow("serial") << "mot1"
                            << "10.77.1.20" << QByteArray("MRG:22\r\n") << exact << QByteArray("KV0042\r\n");
    QTest::newRow("unknown") << "mot1"
                             << "10.77.1.20" << QByteArray("MST\r\n") << exact << QByteArray("NAK\r\n");
    QTest::newRow("two in one write") << "mot1"
                                      << "10.77.1.20" << QByteArray("MRG:22\r\nMVER\r\n") << exact
                                      << QByteArray("KV0042\r\n#MVER:KOLVEX:B:2.10\r\n");
    QTest::newRow("nocr") << "nocr"
                          << "10.77.1.23" << QByteArray("MVER\r\n") << exact << QByteArray("#MVER:KOLVEX:B:3.01\n");
    QTest::newRow("silent") << "hush"
                            << "10.77.1.22" << QByteArray("MVER\r\n") << int(Reply::Nothing) << QByteArray();
    QTest::newRow("stream") << "chatty"
                            << "10.77.1.24" << QByteArray("MVER\r\n") << int(Reply::Stream) << QByteArray();
    QTest::newRow("drop") << "dropper"
                          << "10.77.1.25" << QByteArray("MVER\r\n") << int(Reply::Closed) << QByteArray();
    QTest::newRow("refuse") << "closed"
                            << "10.77.1.26" << QByteArray() << int(Reply::Refused) << QByteArray();
    QTest::newRow("plain module refuses") << "plain"
                                          << "10.77.1.21" << QByteArray() << int(Reply::Refused) << QByteArray();
}

void TestSimLab::serialTunnel()
{
    QFETCH(QString, unit);
    QFETCH(QString, address);
    QFETCH(QByteArray, command);
    QFETCH(int, reply);
    QFETCH(QByteArray, expected);

    const int mark = logMark();
    QTcpSocket socket;
    socket.connectToHost(address, kSerialPort);
    const bool connected = socket.waitForConnected(2000);
    if (Reply(reply) == Reply::Refused) {
        QVERIFY(!connected);
        QCOMPARE(socket.error(), QAbstractSocket::ConnectionRefusedError);
        return;
    }
    QVERIFY2(connected, qPrintable(socket.errorString()));
    socket.write(command);
    QVERIFY(socket.waitForBytesWritten(1000));

    QByteArray received;
    QElapsedTimer clock;
    clock.start();
    const int listenMs = Reply(reply) == Reply::Exact ? 1000 : kSilenceMs;
    while (clock.elapsed() < listenMs && socket.state() == QAbstractSocket::ConnectedState) {
        if (socket.waitForReadyRead(int(qMax<qint64>(1, listenMs - clock.elapsed()))))
            received += socket.readAll();
        if (Reply(reply) == Reply::Exact && received.size() >= expected.size())
            break;
    }
    received += socket.readAll();
    switch (Reply(reply)) {
    case Reply::Exact:
        QCOMPARE(received, expected);
        break;
    case Reply::Nothing:
        QCOMPARE(received, QByteArray());
        QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
        break;
    case Reply::Stream:
        QVERIFY2(received.size() > 100, qPrintable(QString::number(received.size())));
        QVERIFY(!received.contains('\r'));
        QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
        break;
    case Reply::Closed:
        QCOMPARE(received, QByteArray());
        QCOMPARE(socket.state(), QAbstractSocket::UnconnectedState);
        break;
    case Reply::Refused:
        break;
    }
    QTRY_COMPARE(SimLog::tcpReceived(logSince(mark), unit), command);
    QCOMPARE(SimLog::tcp(logSince(mark), unit, QStringLiteral("connect")).size(), 1);
}

void TestSimLab::logLines()
{
    const int mark = logMark();
    RawUdp socket;
    QVERIFY(socket.bind(kToolA, 0));
    const QByteArray probe = QByteArrayLiteral("not a query \x01\x02");
    QVERIFY(socket.sendTo(QStringLiteral("10.77.1.10"), kDiscoveryPort, probe));
    QVERIFY(sendFrom(kToolB, kDiscoveryPort, kBroadcast, kDiscoveryPort, kQuery));

    QTRY_COMPARE(SimLog::udpHeard(logSince(mark), kDiscoveryPort).size(), 2);
    const SimLog::Lines heard = SimLog::udpHeard(logSince(mark), kDiscoveryPort);
    const QJsonObject unicast = heard.at(0);
    QCOMPARE(unicast.value("link").toString(), QStringLiteral("kl0"));
    QCOMPARE(unicast.value("src").toString(), QStringLiteral("10.77.1.1:%1").arg(socket.localPort()));
    QCOMPARE(unicast.value("dst").toString(), QStringLiteral("10.77.1.10"));
    QCOMPARE(unicast.value("len").toInt(), probe.size());
    QCOMPARE(unicast.value("hex").toString(), QString::fromLatin1(probe.toHex()));
    QVERIFY(unicast.value("t").isDouble());
    const QJsonObject broadcast = heard.at(1);
    QCOMPARE(broadcast.value("link").toString(), QStringLiteral("kl1"));
    QCOMPARE(broadcast.value("src").toString(), QStringLiteral("10.77.2.1:30719"));
    QCOMPARE(broadcast.value("dst").toString(), kBroadcast);
    QCOMPARE(SimLog::bytes(broadcast), kQuery);
    // The lab's own broadcast answers never show up as heard.
    QTest::qWait(100);
    QCOMPARE(SimLog::udpHeard(logSince(mark), kDiscoveryPort).size(), 2);
}

void TestSimLab::settingsIgnored_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("unitAddress");

    QTest::newRow("other MAC") << kToolA << kBroadcast
                               << settingsDatagram("00a03b0000ff", "0a4d0150 ffffff00 0a4d0101", 0) << "10.77.1.32";
    QTest::newRow("acceptSet false") << kToolA << kBroadcast
                                     << settingsDatagram("00a03b000006", "0a4d0151 ffffff00 0a4d0101", 0)
                                     << "10.77.1.15";
    QTest::newRow("unicast to another unit")
        << kToolA << "10.77.1.10" << settingsDatagram("00a03b000032", "0a4d0152 ffffff00 0a4d0101", 0) << "10.77.1.32";
    QTest::newRow("broadcast on another link")
        << kToolB << kBroadcast << settingsDatagram("00a03b000032", "0a4d0153 ffffff00 0a4d0101", 0) << "10.77.1.32";
    QTest::newRow("too short") << kToolA << kBroadcast
                               << settingsDatagram("00a03b000032", "0a4d0154 ffffff00 0a4d0101", 0).left(35)
                               << "10.77.1.32";
    QTest::newRow("address 0.0.0.0") << kToolA << kBroadcast
                                     << settingsDatagram("00a03b000032", "00000000 ffffff00 0a4d0101", 0)
                                     << "10.77.1.32";
}

void TestSimLab::settingsIgnored()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QByteArray, datagram);
    QFETCH(QString, unitAddress);

    const int mark = logMark();
    QVERIFY(sendFrom(from, kDiscoveryPort, to, kDiscoveryPort, datagram));
    QTRY_COMPARE(SimLog::udpStartingWith(logSince(mark), kDiscoveryPort, "Ostravi Set:").size(), 1);
    QTest::qWait(50);
    QCOMPARE(SimLog::settings(logSince(mark)).size(), 0);
    if (unitAddress == QLatin1String("10.77.1.15"))
        return; // answers nothing by design
    QCOMPARE(sources(unicastQuery(unitAddress, kListenMs)), QStringList{unitAddress});
}

void TestSimLab::settingsMoveUnit_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("oldAddress");
    QTest::addColumn<QString>("sendTo");
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("newAddress");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QStringList>("logged");

    QTest::newRow("legacy by broadcast") << "setme"
                                         << "10.77.1.30" << kBroadcast
                                         << settingsDatagram("00a03b000030", "0a4d0164 ffff0000 0a4d01fe", 1)
                                         << "10.77.1.100"
                                         << padded(
                                                padded(legacyHead("1105 00a03b000030 0a4d0164 ffff0000 0a4d01fe"), 44) +
                                                    "2.0.01\r\nPS0030\r\nSP-200\r\nx\r\n1\r\n",
                                                248)
                                         << QStringList{"10.77.1.100", "255.255.0.0", "10.77.1.254", "1"};
    QTest::newRow("json by unicast")
        << "jsmove"
        << "10.77.1.31"
        << "10.77.1.31" << settingsDatagram("00a03b000031", "0a4d0165 ffffff00 0a4d0101", 0) << "10.77.1.101"
        << QByteArray(R"(Ostravi QV3:{"CODE":"3102","DHCP":"0","GATEWAY":"10.77.1.1","IP":"10.77.1.101",)"
                      R"("MAC":"00:a0:3b:00:00:31","NETMASK":"255.255.255.0"})")
        << QStringList{"10.77.1.101", "255.255.255.0", "10.77.1.1", "0"};
    QTest::newRow("stray unit into the subnet")
        << "stray"
        << "192.168.0.50" << kBroadcast << settingsDatagram("00a03b000050", "0a4d0166 ffffff00 0a4d0101", 0)
        << "10.77.1.102" << padded(legacyHead("3100 00a03b000050 0a4d0166 ffffff00 0a4d0101"), 248)
        << QStringList{"10.77.1.102", "255.255.255.0", "10.77.1.1", "0"};
}

void TestSimLab::settingsMoveUnit()
{
    QFETCH(QString, unit);
    QFETCH(QString, oldAddress);
    QFETCH(QString, sendTo);
    QFETCH(QByteArray, datagram);
    QFETCH(QString, newAddress);
    QFETCH(QByteArray, expected);
    QFETCH(QStringList, logged);

    const int mark = logMark();
    // As the tool does: to the given destination, then once more by broadcast; one change only.
    QVERIFY(sendFrom(kToolA, kDiscoveryPort, sendTo, kDiscoveryPort, datagram));
    QVERIFY(sendFrom(kToolA, kDiscoveryPort, kBroadcast, kDiscoveryPort, datagram));
    QTRY_COMPARE(SimLog::udpStartingWith(logSince(mark), kDiscoveryPort, "Ostravi Set:").size(), 2);
    QCOMPARE(SimLog::settings(logSince(mark), unit).size(), 1);
    const QJsonObject set = SimLog::settings(logSince(mark), unit).first();
    QCOMPARE((QStringList{set.value("ip").toString(), set.value("mask").toString(), set.value("gateway").toString(),
                          set.value("dhcp").toString()}),
             logged);

    const QList<RawUdp::Datagram> unicast = unicastQuery(newAddress, kListenMs);
    QCOMPARE(sources(unicast), QStringList{newAddress});
    QCOMPARE(unicast.first().data.toHex(), expected.toHex());
    QCOMPARE(unicastQuery(oldAddress, kListenMs).size(), 0);
    // Still on its link, now speaking from the new address.
    const QList<RawUdp::Datagram> broadcast = broadcastQuery(kToolA, kListenMs);
    QVERIFY(sources(broadcast).contains(newAddress));
    QVERIFY(!sources(broadcast).contains(oldAddress));
}

void TestSimLab::ipSetupMovesXport()
{
    const QByteArray head = hex("000000fc49502d53455455500000");
    const int mark = logMark();
    // Wrong MAC bytes first: nothing may move.
    QVERIFY(sendFrom(kToolB, kDiscoveryPort, kBroadcast, kLantronixPort, head + hex("0131 0a4d024e")));
    QVERIFY(sendFrom(kToolB, kDiscoveryPort, kBroadcast, kLantronixPort, head + hex("0130 0a4d024d")));
    QTRY_COMPARE(SimLog::settings(logSince(mark)).size(), 1);
    const QJsonObject set = SimLog::settings(logSince(mark)).first();
    QCOMPARE(set.value("unit").toString(), QStringLiteral("mover"));
    QCOMPARE(set.value("ip").toString(), QStringLiteral("10.77.2.77"));

    RawUdp lantronix;
    QVERIFY(lantronix.bind(kToolB, kLantronixPort));
    QVERIFY(lantronix.sendTo(QStringLiteral("10.77.2.255"), kLantronixPort, hex("000100f6")));
    const QList<RawUdp::Datagram> answers = lantronix.receiveFor(kListenMs);
    QCOMPARE(sources(answers), QStringList{"10.77.2.77"});
    QCOMPARE(answers.first().data.toHex(), lantronixAnswer("00204a000130").toHex());

    QTcpSocket moved;
    moved.connectToHost(QStringLiteral("10.77.2.77"), kSerialPort);
    QVERIFY2(moved.waitForConnected(2000), qPrintable(moved.errorString()));
    moved.write("MRG:22\r\n");
    QTRY_VERIFY(moved.bytesAvailable() >= 8);
    QCOMPARE(moved.readAll(), QByteArray("KV0099\r\n"));
    QTcpSocket old;
    old.connectToHost(QStringLiteral("10.77.2.20"), kSerialPort);
    QVERIFY(!old.waitForConnected(1000));
}

void TestSimLab::noProblemsLogged()
{
    // Only the deliberately bad address above may have been refused.
    const SimLog::Lines errors = SimLog::errors(SimLog::lines());
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors.first().value("text").toString().contains(QLatin1String("0.0.0.0")));
}

QTEST_GUILESS_MAIN(TestSimLab)
#include "tst_simlab.moc"
