// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/privatenetwork.h"
#include "discovery/client.h"
#include "fakedriver.h"
#include "model/wellknownports.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QThreadPool>
#include <QTimer>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QHostAddress)

namespace {
using AddressList = QList<QHostAddress>;

AddressList addresses(const QStringList& texts)
{
    AddressList list;
    for (const QString& text : texts)
        list << QHostAddress(text);
    return list;
}

// Drives a scan the way the main window does: events are processed on every progress step.
struct ScanDriver
{
    explicit ScanDriver(Client& client)
    {
        QObject::connect(&client, &Client::signalUpdateProgressBar, [this](int value) {
            progress << value;
            QCoreApplication::processEvents();
        });
    }
    QList<int> progress;
};

QList<int> expectedProgress()
{
    QList<int> sequence{0};
    for (int i = 0; i < 80; ++i)
        sequence << 1;
    sequence << 100;
    return sequence;
}

// A unit on a loopback address that answers the unicast query with a list of datagrams.
class LoopbackUnit : public QObject
{
public:
    LoopbackUnit(const QString& address, QList<QByteArray> answers, int delayMs = 0)
        : m_answers(std::move(answers)), m_delayMs(delayMs)
    {
        m_socket.bind(QHostAddress(address), port::discovery, QUdpSocket::ShareAddress);
        QObject::connect(&m_socket, &QUdpSocket::readyRead, this, &LoopbackUnit::onQuery);
    }
    int queries = 0;

private:
    void onQuery()
    {
        while (m_socket.hasPendingDatagrams()) {
            const QNetworkDatagram query = m_socket.receiveDatagram();
            if (query.data() != "Ostravi Dev?")
                continue;
            ++queries;
            QTimer::singleShot(m_delayMs, this, [this, query] {
                for (const QByteArray& answer : qAsConst(m_answers))
                    m_socket.writeDatagram(answer, query.senderAddress(), quint16(query.senderPort()));
            });
        }
    }
    QUdpSocket m_socket;
    QList<QByteArray> m_answers;
    int m_delayMs;
};

QByteArray legacyPowerSupply(const QByteArray& macHex, const QByteArray& ipHex)
{
    QByteArray datagram(248, '\0');
    datagram.replace(0, 12, "Ostravi Dev:");
    const QByteArray fixed = QByteArray::fromHex("1100" + macHex + ipHex +
                                                 "ffffff00"
                                                 "7f000001");
    datagram.replace(12, fixed.size(), fixed);
    const QByteArray text = "3.01\r\nPS77\r\nMX\r\n-\r\n1\r\n";
    datagram.replace(44, text.size(), text);
    return datagram;
}
} // namespace

class TestScanEngine : public QObject
{
    Q_OBJECT

private slots:
    void generateIpList_data();
    void generateIpList();
    void hugeRangeIsBounded();
    void discardDevice_data();
    void discardDevice();
    void progressWithoutInterfaces_data();
    void progressWithoutInterfaces();
    void threadCountReachesThePool_data();
    void threadCountReachesThePool();
    void unicastAnswers();
    void motorDriverQueries();
};

void TestScanEngine::generateIpList_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("count");
    QTest::addColumn<AddressList>("first");
    QTest::addColumn<AddressList>("last");

    QTest::newRow("default range") << "192.168.0.1"
                                   << "192.168.0.254" << 254 << addresses({"192.168.0.1", "192.168.0.2"})
                                   << addresses({"192.168.0.253", "192.168.0.254"});
    QTest::newRow("crossing a /24 keeps the next block's .0 and .255")
        << "192.168.0.250"
        << "192.168.1.2" << 8
        << addresses({"192.168.0.250", "192.168.0.251", "192.168.0.252", "192.168.0.253", "192.168.0.254"})
        << addresses({"192.168.1.0", "192.168.1.1", "192.168.1.2"});
    QTest::newRow("start's own .0 and .255 are left out")
        << "10.0.0.0"
        << "10.0.0.255" << 254 << addresses({"10.0.0.1"}) << addresses({"10.0.0.254"});
    QTest::newRow("next block's .255 kept")
        << "10.0.0.254"
        << "10.0.1.255" << 257 << addresses({"10.0.0.254", "10.0.1.0"}) << addresses({"10.0.1.254", "10.0.1.255"});
    QTest::newRow("one address") << "10.0.0.5"
                                 << "10.0.0.5" << 1 << addresses({"10.0.0.5"}) << addresses({"10.0.0.5"});
    QTest::newRow("only the network address") << "10.0.0.0"
                                              << "10.0.0.0" << 0 << AddressList() << AddressList();
    QTest::newRow("end below start") << "10.0.0.9"
                                     << "10.0.0.8" << 0 << AddressList() << AddressList();
    QTest::newRow("top of the space does not wrap")
        << "255.255.255.250"
        << "255.255.255.255" << 5 << addresses({"255.255.255.250"}) << addresses({"255.255.255.254"});
    QTest::newRow("ipv6 start") << "::1"
                                << "10.0.0.8" << 0 << AddressList() << AddressList();
    QTest::newRow("null end") << "10.0.0.1" << QString() << 0 << AddressList() << AddressList();
}

void TestScanEngine::generateIpList()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, count);
    QFETCH(AddressList, first);
    QFETCH(AddressList, last);
    const AddressList list = Client::generateIpList(QHostAddress(start), QHostAddress(end));
    QCOMPARE(list.size(), count);
    QCOMPARE(list.mid(0, first.size()), first);
    QCOMPARE(list.mid(list.size() - last.size()), last);
}

void TestScanEngine::hugeRangeIsBounded()
{
    QElapsedTimer timer;
    timer.start();
    const AddressList list = Client::generateIpList(QHostAddress("0.0.0.1"), QHostAddress("255.255.255.254"));
    QCOMPARE(list.size(), Client::maxSweepAddresses);
    QCOMPARE(list.first(), QHostAddress("0.0.0.1"));
    QCOMPARE(list.at(253), QHostAddress("0.0.0.254"));
    QCOMPARE(list.at(254), QHostAddress("0.0.1.0"));
    QCOMPARE(list.last(), QHostAddress("0.1.0.1"));
    QVERIFY(timer.elapsed() < 2000);
}

void TestScanEngine::discardDevice_data()
{
    QTest::addColumn<QStringList>("macs");
    QTest::addColumn<QList<int>>("survivors");
    QTest::newRow("none") << QStringList() << QList<int>();
    QTest::newRow("first of each MAC survives, order kept")
        << QStringList{"A", "B", "A", "C", "B", "A"} << QList<int>{0, 1, 3};
    QTest::newRow("empty MACs are equal") << QStringList{"", "A", "", ""} << QList<int>{0, 1};
    QTest::newRow("comparison is exact") << QStringList{"0A:01", "0a:01", "0A:01 "} << QList<int>{0, 1, 2};
}

void TestScanEngine::discardDevice()
{
    QFETCH(QStringList, macs);
    QFETCH(QList<int>, survivors);
    Client client;
    for (int i = 0; i < macs.size(); ++i) {
        Device_t record;
        record.mac = macs.at(i);
        record.serialNumber = QString::number(i);
        client.addDevice(record);
    }
    client.discardDevice();
    QList<int> actual;
    for (const Device_t& record : client.devices())
        actual << record.serialNumber.toInt();
    QCOMPARE(actual, survivors);
}

void TestScanEngine::progressWithoutInterfaces_data()
{
    QTest::addColumn<int>("scanTime");
    QTest::addColumn<int>("minimumMs");
    QTest::addColumn<int>("maximumMs");
    QTest::newRow("default") << 200 << 160 << 800;
    QTest::newRow("below 80 ms: no waiting") << 79 << 0 << 150;
}

void TestScanEngine::progressWithoutInterfaces()
{
    QFETCH(int, scanTime);
    QFETCH(int, minimumMs);
    QFETCH(int, maximumMs);
    Client client;
    client.scanTime = scanTime;
    ScanDriver driver(client);
    QList<interfaces_t> interfaces{
        {QStringLiteral("lo"), QStringLiteral("127.0.0.1"), QStringLiteral("255.0.0.0"), false}};
    QElapsedTimer timer;
    timer.start();
    const QList<Device_t> found = client.startScan(interfaces);
    const qint64 elapsed = timer.elapsed();
    QVERIFY(found.isEmpty());
    QCOMPARE(driver.progress, expectedProgress());
    QVERIFY2(elapsed >= minimumMs && elapsed <= maximumMs, qPrintable(QString::number(elapsed)));
}

void TestScanEngine::threadCountReachesThePool_data()
{
    QTest::addColumn<int>("setting");
    QTest::addColumn<int>("poolSize");
    QTest::newRow("three") << 3 << 3;
    QTest::newRow("zero is clamped to one") << 0 << 1;
    QTest::newRow("negative is clamped to one") << -4 << 1;
    QTest::newRow("ten") << 10 << 10;
}

void TestScanEngine::threadCountReachesThePool()
{
    QFETCH(int, setting);
    QFETCH(int, poolSize);
    Client client;
    client.scanTime = 0;
    client.nThreads = setting;
    QList<interfaces_t> none;
    client.startScan(none);
    QCOMPARE(QThreadPool::globalInstance()->maxThreadCount(), poolSize);
}

// Each sender is handled once per scan; an empty datagram does not count.
void TestScanEngine::unicastAnswers()
{
    const QByteArray json = "Ostravi QV3:{\"MAC\":\"02:00:00:00:00:02\",\"IP\":\"127.0.0.2\",\"CODE\":\"1700\"}";
    LoopbackUnit first("127.0.0.1", {QByteArray(), legacyPowerSupply("02000000000a", "7f000001"), json});
    LoopbackUnit second("127.0.0.2", {json, json});
    LoopbackUnit sameMac("127.0.0.3", {legacyPowerSupply("02000000000a", "7f000003")}, 60);
    LoopbackUnit unknownFirst("127.0.0.4", {"Hello there", json});

    Client client;
    client.scanTime = 400;
    client.flagSendUnicast = true;
    client.startIp = QHostAddress("127.0.0.1");
    client.endIp = QHostAddress("127.0.0.4");
    ScanDriver driver(client);
    QList<interfaces_t> none;
    const QList<Device_t> found = client.startScan(none);

    QCOMPARE(first.queries, 1);
    QCOMPARE(sameMac.queries, 1);
    QCOMPARE(driver.progress, expectedProgress());
    QCOMPARE(found.size(), 2);
    const Device_t ps = found.at(0).ip == QLatin1String("127.0.0.1") ? found.at(0) : found.at(1);
    const Device_t qv3 = found.at(0).ip == QLatin1String("127.0.0.1") ? found.at(1) : found.at(0);
    QCOMPARE(ps.code, QStringLiteral("1100"));
    QCOMPARE(ps.mac, QStringLiteral("02:00:00:00:00:0A"));
    QCOMPARE(ps.serialNumber, QStringLiteral("PS77"));
    QCOMPARE(ps.firmwareVersion, QStringLiteral("3.01"));
    QCOMPARE(ps.moduleId, QStringLiteral("MX"));
    QCOMPARE(ps.dhcp, QStringLiteral("1"));
    QCOMPARE(ps.gateway, QStringLiteral("127.0.0.1"));
    QCOMPARE(qv3.code, QStringLiteral("1700"));
    QCOMPARE(qv3.ip, QStringLiteral("127.0.0.2"));
    QCOMPARE(qv3.mac, QStringLiteral("02:00:00:00:00:02"));
}

void TestScanEngine::motorDriverQueries()
{
    using B = FakeDriver::Behaviour;
    std::vector<std::unique_ptr<FakeDriver>> drivers;
    const QList<QPair<QString, B>> lab{{"127.0.0.11", B::Normal},        {"127.0.0.12", B::NoCr},
                                       {"127.0.0.13", B::TrickleSerial}, {"127.0.0.14", B::OtherModel},
                                       {"127.0.0.15", B::ThreeFields},   {"127.0.0.16", B::Garbage},
                                       {"127.0.0.17", B::Silent},        {"127.0.0.18", B::Stream}};
    QVector<Device_t> candidates;
    for (const auto& unit : lab) {
        drivers.push_back(std::make_unique<FakeDriver>(unit.first, unit.second));
        QVERIFY(drivers.back()->listening());
    }
    for (int last = 11; last <= 19; ++last) {
        Device_t candidate;
        candidate.code = QStringLiteral("4100");
        candidate.ip = QStringLiteral("127.0.0.%1").arg(last);
        candidate.mac = QStringLiteral("00:20:a4:00:00:%1").arg(last);
        candidates << candidate;
    }
    // A module that never completes the connection: nobody on the link answers ARP.
    QVERIFY(QProcess::execute("ip", {"link", "add", "kb0", "type", "veth", "peer", "name", "kb0p"}) == 0);
    QVERIFY(QProcess::execute("ip", {"addr", "add", "10.99.0.1/24", "dev", "kb0"}) == 0);
    QVERIFY(QProcess::execute("ip", {"link", "set", "kb0", "up"}) == 0);
    QVERIFY(QProcess::execute("ip", {"link", "set", "kb0p", "up"}) == 0);
    Device_t unreachable;
    unreachable.ip = QStringLiteral("10.99.0.2");
    unreachable.mac = QStringLiteral("00:20:a4:00:00:2");
    candidates << unreachable;
    Client client;
    client.waitConnected = 500;
    client.waitWritten = 300;
    client.waitRead = 300;
    QElapsedTimer timer;
    timer.start();
    client.processKolvexDevices(candidates);
    const qint64 elapsed = timer.elapsed();
    QVERIFY2(elapsed < 2500, qPrintable(QString::number(elapsed)));

    QMap<QString, Device_t> byIp;
    for (const Device_t& record : client.devices())
        byIp.insert(record.ip, record);
    QCOMPARE(byIp.size(), 10);
    QVERIFY2(elapsed >= client.waitConnected, "the unreachable module ends with the connect time-out");
    for (const Device_t& record : qAsConst(byIp)) {
        QCOMPARE(record.mac, QStringLiteral("00:20:A4:00:00:") + record.ip.section(QLatin1Char('.'), 3));
        QCOMPARE(record.netmask, QStringLiteral("255.255.255.0"));
        QCOMPARE(record.gateway, QStringLiteral("192.168.0.1"));
        QCOMPARE(record.dhcp, QStringLiteral("NA"));
        QCOMPARE(record.brand, QString());
    }
    const auto check = [&](const char* ip, const char* code, const char* group, const char* serial, const char* fw) {
        const Device_t record = byIp.value(QString::fromLatin1(ip));
        QCOMPARE(record.code, QString::fromLatin1(code));
        QCOMPARE(record.group, QString::fromLatin1(group));
        QCOMPARE(record.serialNumber, QString::fromLatin1(serial));
        QCOMPARE(record.moduleId, QString::fromLatin1(serial));
        QCOMPARE(record.firmwareVersion, QString::fromLatin1(fw));
    };
    check("127.0.0.11", "4200", "Kolvex", "KV0042", "2.10");
    QCOMPARE(byIp.value("127.0.0.11").description, QStringLiteral("Two-axis motor driver"));
    check("127.0.0.12", "4200", "Kolvex", "KV0043", "2.11");
    check("127.0.0.14", "4100", "XPort Module", "", "");
    QCOMPARE(byIp.value("127.0.0.14").description, QStringLiteral("Serial-to-Ethernet module of a motor driver"));
    check("127.0.0.15", "4100", "XPort Module", "", "");
    check("127.0.0.16", "4100", "", "", "");
    QCOMPARE(byIp.value("127.0.0.16").description, QString());
    check("127.0.0.17", "4100", "", "", "");
    check("127.0.0.18", "4100", "", "", "");
    check("127.0.0.19", "4100", "", "", "");
    check("10.99.0.2", "4100", "", "", "");
    // A serial that trickles in without CR is cut at the line's total time limit.
    const Device_t trickle = byIp.value("127.0.0.13");
    QCOMPARE(trickle.code, QStringLiteral("4200"));
    QCOMPARE(trickle.firmwareVersion, QStringLiteral("2.12"));
    QVERIFY(!trickle.serialNumber.isEmpty());
    QCOMPARE(trickle.serialNumber, QString(trickle.serialNumber.size(), QLatin1Char('7')));
}

int main(int argc, char** argv)
{
    // Before any thread exists: the namespace is per thread and inherited by new ones.
    if (!enterPrivateNetwork())
        return exitCodeWithoutNamespace();
    QCoreApplication app(argc, argv);
    TestScanEngine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_scanengine.moc"
