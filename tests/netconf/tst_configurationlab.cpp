// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/privatenetwork.h"
#include "discovery/client.h"
#include "netconf/changedeviceconfigurations.h"
#include "simulatedlink.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int linkCount = 3;
constexpr int settleMs = 150;
// How long a datagram may take to reach the link's thread on a loaded machine.
constexpr int heardBoundMs = 5000;
// As long as the window listens by default: on a loaded machine the link's thread answers late, and an
// answer that comes after a shorter scan has ended is a unit "not found".
constexpr int scanListenMs = 2000;
constexpr char exampleMac[] = "00:1A:2B:3C:4D:5E";

uint ipv4(const QString& text)
{
    return QHostAddress(text).toIPv4Address();
}

// The datagrams of the example settings, written out by hand from the wire layout.
QByteArray expectedSet(const char* dhcpHex)
{
    return QByteArray("Ostravi Set:") +
           QByteArray::fromHex("001A2B3C4D5E"
                               "2711"
                               "c0a8000a"
                               "ffffff00"
                               "c0a80001") +
           QByteArray::fromHex(dhcpHex);
}

const QByteArray expectedIpSetup = QByteArray::fromHex("000000fc"
                                                       "49502d5345545550"
                                                       "0000"
                                                       "4d5e"
                                                       "c0a8000a");

} // namespace

// Configuration sends into simulated links, each link's far end in a network
// namespace of its own: what arrives where, in which order, and whether the
// units take it and show it on the next scan.
class TestConfigurationLab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void broadcastOrderPerSelectedInterface();
    void noSelectedInterfaceSendsOnlyTheUnicast();
    void refusedValuesSendNothing_data();
    void refusedValuesSendNothing();
    void unitTakesSettingsAndRescanShowsIt_data();
    void unitTakesSettingsAndRescanShowsIt();
    void xportModuleTakesIpSetup();
    void uploadWithARefusedRow();
    void exportEditImport_data();
    void exportEditImport();

private:
    QList<interfaces_t> interfaces(QList<bool> selected) const;
    QList<HeardDatagram> allHeard() const;
    void clearHeard();
    QList<Device_t> scan(QList<interfaces_t> list);
    SimulatedUnit unitByMac(const QString& mac) const;
    void addUnit(int link, const SimulatedUnit& unit);

    std::vector<std::unique_ptr<SimulatedLink>> m_links;
    int m_nextUnit = 0;
};

void TestConfigurationLab::initTestCase()
{
    for (int i = 0; i < linkCount; ++i) {
        const QString net = QStringLiteral("10.77.%1.").arg(i + 1);
        m_links.push_back(std::make_unique<SimulatedLink>(QStringLiteral("kn%1").arg(i), net + "1/24", net + "254/24"));
        QVERIFY2(m_links.back()->bringUp(), "cannot bring up a simulated link");
    }
}

void TestConfigurationLab::init()
{
    clearHeard();
}

QList<interfaces_t> TestConfigurationLab::interfaces(QList<bool> selected) const
{
    QList<interfaces_t> list;
    for (int i = 0; i < selected.size(); ++i)
        list.append({m_links.at(i)->name(), m_links.at(i)->toolIp(), QStringLiteral("255.255.255.0"), selected.at(i)});
    return list;
}

QList<HeardDatagram> TestConfigurationLab::allHeard() const
{
    QList<HeardDatagram> all;
    for (const auto& link : m_links)
        all += link->heard();
    std::sort(all.begin(), all.end(),
              [](const HeardDatagram& a, const HeardDatagram& b) { return a.sequence < b.sequence; });
    return all;
}

void TestConfigurationLab::clearHeard()
{
    for (const auto& link : m_links)
        link->clearHeard();
}

QList<Device_t> TestConfigurationLab::scan(QList<interfaces_t> list)
{
    // The window always runs its event loop (a message box) between a send and the
    // rescan; a scan started without it hears no answers.
    QCoreApplication::processEvents();
    Client client;
    client.scanTime = scanListenMs;
    QObject::connect(&client, &Client::signalUpdateProgressBar, [](int) { QCoreApplication::processEvents(); });
    return client.startScan(list);
}

SimulatedUnit TestConfigurationLab::unitByMac(const QString& mac) const
{
    for (const auto& link : m_links) {
        for (const SimulatedUnit& unit : link->units()) {
            if (unit.mac == mac)
                return unit;
        }
    }
    return {};
}

void TestConfigurationLab::addUnit(int link, const SimulatedUnit& unit)
{
    m_links.at(link)->addUnit(unit);
}

void TestConfigurationLab::broadcastOrderPerSelectedInterface()
{
    changeNetworkConfiguration sender;
    // Which pause the sender asks for after how many datagrams: the program's own pacing, whatever the
    // load on the machine does to the moments the datagrams are heard.
    QList<QPair<int, unsigned long>> pauses;
    sender.setPause([&](unsigned long milliseconds) {
        pauses.append({sender.sentDatagrams(), milliseconds});
        QThread::msleep(milliseconds);
    });
    const QHostAddress present(m_links.at(0)->labIp());
    QVERIFY(sender.sendNewConfig(interfaces({true, true, false}), exampleMac, 10001, ipv4("192.168.0.10"),
                                 ipv4("255.255.255.0"), ipv4("192.168.0.1"), 1, present));
    QVERIFY(sender.lastError().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(allHeard().size() >= 5, heardBoundMs);
    QTest::qWait(settleMs);
    const QList<HeardDatagram> heard = allHeard();
    QCOMPARE(heard.size(), 5);

    struct Expected
    {
        QString link;
        quint16 port;
        QByteArray bytes;
        bool broadcast;
    };
    const QList<Expected> expected{{"kn0", 30719, expectedSet("01000000"), false},
                                   {"kn0", 30719, expectedSet("01000000"), true},
                                   {"kn0", 30718, expectedIpSetup, true},
                                   {"kn1", 30719, expectedSet("01000000"), true},
                                   {"kn1", 30718, expectedIpSetup, true}};
    for (int i = 0; i < expected.size(); ++i) {
        const HeardDatagram& got = heard.at(i);
        QCOMPARE(got.link, expected.at(i).link);
        QCOMPARE(got.port, expected.at(i).port);
        QCOMPARE(got.bytes.toHex(), expected.at(i).bytes.toHex());
        if (expected.at(i).broadcast) {
            QCOMPARE(got.destination, QHostAddress(QHostAddress::Broadcast));
            // Each interface's pair leaves from that interface's own address and the instrument port.
            QCOMPARE(got.source, QHostAddress(m_links.at(got.link.right(1).toInt())->toolIp()));
            QCOMPARE(got.sourcePort, quint16(30719));
        } else {
            QCOMPARE(got.destination, present);
        }
    }
    // The XPort datagram follows its set packet after the pause, not with it, and each interface's pair
    // after the last: a pause after each interface's set packet and after its XPort one (the unicast is the
    // first datagram sent).
    const unsigned long pauseMs = changeNetworkConfiguration::broadcastPauseMs;
    const QList<QPair<int, unsigned long>> expectedPauses{{2, pauseMs}, {3, pauseMs}, {4, pauseMs}, {5, pauseMs}};
    QCOMPARE(pauses, expectedPauses);
}

void TestConfigurationLab::noSelectedInterfaceSendsOnlyTheUnicast()
{
    changeNetworkConfiguration sender;
    const QHostAddress present(m_links.at(2)->labIp());
    QVERIFY(sender.sendNewConfig(interfaces({false, false, false}), exampleMac, 10001, ipv4("192.168.0.10"),
                                 ipv4("255.255.255.0"), ipv4("192.168.0.1"), 0, present));
    QTRY_COMPARE(allHeard().size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(allHeard().size() >= 1, heardBoundMs);
    QTest::qWait(settleMs);
    const QList<HeardDatagram> heard = allHeard();
    QCOMPARE(heard.size(), 1);
    QCOMPARE(heard.at(0).link, QStringLiteral("kn2"));
    QCOMPARE(heard.at(0).port, quint16(30719));
    QCOMPARE(heard.at(0).destination, present);
    QCOMPARE(heard.at(0).bytes.toHex(), expectedSet("00000000").toHex());
}

void TestConfigurationLab::refusedValuesSendNothing_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QString>("named");
    QTest::newRow("mask all ones") << exampleMac << "10.77.1.20"
                                   << "255.255.255.255"
                                   << "10.77.1.1"
                                   << "subnet mask";
    QTest::newRow("mask 0.0.0.0") << exampleMac << "10.77.1.20"
                                  << "0.0.0.0"
                                  << "10.77.1.1"
                                  << "subnet mask";
    QTest::newRow("address not an address") << exampleMac << "not an address"
                                            << "255.255.255.0"
                                            << "10.77.1.1"
                                            << "IP address";
    QTest::newRow("gateway all ones") << exampleMac << "10.77.1.20"
                                      << "255.255.255.0"
                                      << "255.255.255.255"
                                      << "gateway";
    QTest::newRow("MAC of 15 characters") << "00:1A:2B:3C:4D:"
                                          << "10.77.1.20"
                                          << "255.255.255.0"
                                          << "10.77.1.1"
                                          << "MAC address";
}

void TestConfigurationLab::refusedValuesSendNothing()
{
    QFETCH(QString, mac);
    QFETCH(QString, ip);
    QFETCH(QString, mask);
    QFETCH(QString, gateway);
    QFETCH(QString, named);
    changeNetworkConfiguration sender;
    QVERIFY(!sender.sendNewConfig(interfaces({true, true, true}), mac, 10001, ipv4(ip), ipv4(mask), ipv4(gateway), 0,
                                  QHostAddress(m_links.at(0)->labIp())));
    QVERIFY2(sender.lastError().contains(named), qPrintable(sender.lastError()));
    QTest::qWait(settleMs);
    QCOMPARE(allHeard().size(), 0);
}

void TestConfigurationLab::unitTakesSettingsAndRescanShowsIt_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("dhcpBefore");
    QTest::addColumn<uint>("dhcpSent");
    QTest::newRow("power supply, DHCP on, turned off") << "1100"
                                                       << "1" << 0u;
    QTest::newRow("power supply, DHCP turned on") << "1100"
                                                  << "0" << 1u;
    QTest::newRow("power supply in recovery mode") << "1F80"
                                                   << "0" << 0u;
    QTest::newRow("beamline instrument") << "2100"
                                         << "" << 0u;
}

void TestConfigurationLab::unitTakesSettingsAndRescanShowsIt()
{
    QFETCH(QString, code);
    QFETCH(QString, dhcpBefore);
    QFETCH(uint, dhcpSent);
    const int n = ++m_nextUnit;
    SimulatedUnit unit;
    unit.code = code;
    unit.mac = QStringLiteral("02:00:00:00:01:%1").arg(n, 2, 16, QLatin1Char('0')).toUpper();
    unit.ip = QStringLiteral("10.77.2.%1").arg(100 + n);
    unit.mask = QStringLiteral("255.255.255.0");
    unit.gateway = QStringLiteral("10.77.2.1");
    unit.dhcp = dhcpBefore;
    addUnit(1, unit);
    const QList<interfaces_t> list = interfaces({true, true, true});

    auto findUnit = [&unit](const QList<Device_t>& devices) {
        const auto it =
            std::find_if(devices.cbegin(), devices.cend(), [&unit](const Device_t& d) { return d.mac == unit.mac; });
        return it == devices.cend() ? Device_t() : *it;
    };
    QCOMPARE(findUnit(scan(list)).ip, unit.ip);

    const QString newIp = QStringLiteral("10.77.2.%1").arg(200 + n);
    changeNetworkConfiguration sender;
    QVERIFY(sender.sendNewConfig(list, unit.mac, 10001, ipv4(newIp), ipv4("255.255.0.0"), ipv4("10.77.0.1"), dhcpSent,
                                 QHostAddress(m_links.at(1)->labIp())));
    // Unicast plus the broadcast on the unit's own link.
    QTRY_COMPARE(unitByMac(unit.mac).setsTaken, 2);

    const Device_t after = findUnit(scan(list));
    QCOMPARE(after.ip, newIp);
    QCOMPARE(after.netmask, QStringLiteral("255.255.0.0"));
    QCOMPARE(after.gateway, QStringLiteral("10.77.0.1"));
    QCOMPARE(after.dhcp, QString::number(dhcpSent));
}

void TestConfigurationLab::xportModuleTakesIpSetup()
{
    SimulatedUnit module;
    module.code = QStringLiteral("4100");
    module.mac = QStringLiteral("00:20:4A:11:22:33");
    module.ip = QStringLiteral("10.77.3.50");
    module.xport = true;
    addUnit(2, module);
    SimulatedUnit sameTailElsewhere = module;
    sameTailElsewhere.mac = QStringLiteral("00:20:4A:99:22:34");
    sameTailElsewhere.ip = QStringLiteral("10.77.3.51");
    addUnit(2, sameTailElsewhere);

    changeNetworkConfiguration sender;
    QVERIFY(sender.sendNewConfig(interfaces({false, false, true}), module.mac, 10001, ipv4("10.77.3.60"),
                                 ipv4("255.255.255.0"), ipv4("192.168.0.1"), 0, QHostAddress(module.ip)));
    QTRY_COMPARE(unitByMac(module.mac).ip, QStringLiteral("10.77.3.60"));
    QCOMPARE(unitByMac(module.mac).setsTaken, 1);
    QTest::qWait(settleMs);
    QCOMPARE(unitByMac(sameTailElsewhere.mac).ip, sameTailElsewhere.ip);
}

void TestConfigurationLab::uploadWithARefusedRow()
{
    QList<SimulatedUnit> units;
    for (int i = 0; i < 3; ++i) {
        SimulatedUnit unit;
        unit.code = QStringLiteral("2100");
        unit.mac = QStringLiteral("02:00:00:00:02:%1").arg(i, 2, 10, QLatin1Char('0'));
        unit.ip = QStringLiteral("10.77.1.%1").arg(30 + i);
        unit.mask = QStringLiteral("255.255.255.0");
        unit.gateway = QStringLiteral("10.77.1.1");
        addUnit(0, unit);
        units.append(unit);
    }
    const QList<QList<QString>> rows{
        {"Beamline", "B0", units.at(0).mac, "10.77.1.130", "255.255.255.0", "10.77.1.1"},
        {"Beamline", "B1", units.at(1).mac, "10.77.1.131", "255.255.255.255", "10.77.1.1"},
        {"Beamline", "B2", units.at(2).mac, "10.77.1.132", "255.255.255.0", "10.77.1.1"},
    };
    changeNetworkConfiguration sender;
    QVERIFY(!sender.uploadNetwConf(interfaces({true, false, false}), rows));
    QVERIFY2(sender.lastError().contains("row 2 (" + units.at(1).mac + ")"), qPrintable(sender.lastError()));
    QVERIFY(!sender.lastError().contains(QLatin1String("row 1")));
    QVERIFY(!sender.lastError().contains(QLatin1String("row 3")));
    QTRY_COMPARE(unitByMac(units.at(2).mac).ip, QStringLiteral("10.77.1.132"));
    QCOMPARE(unitByMac(units.at(0).mac).ip, QStringLiteral("10.77.1.130"));
    QCOMPARE(unitByMac(units.at(1).mac).ip, units.at(1).ip);
    QTRY_VERIFY_WITH_TIMEOUT(allHeard().size() >= 4, heardBoundMs);
    QTest::qWait(settleMs);
    // Two rows, each one set packet and one IP-SETUP on the single selected link.
    const QList<HeardDatagram> heard = allHeard();
    QCOMPARE(heard.size(), 4);
    for (const HeardDatagram& datagram : heard)
        QVERIFY(!datagram.bytes.contains(QByteArray::fromHex("020000000201")));

    const QList<Device_t> found = scan(interfaces({true, false, false}));
    QStringList addresses;
    for (const Device_t& d : found) {
        if (d.mac.startsWith(QLatin1String("02:00:00:00:02")))
            addresses << d.ip;
    }
    addresses.sort();
    QCOMPARE(addresses, (QStringList{"10.77.1.130", "10.77.1.132", "10.77.1.31"}));
}

void TestConfigurationLab::exportEditImport_data()
{
    QTest::addColumn<bool>("windowsLineEnds");
    QTest::newRow("LF") << false;
    QTest::newRow("CR LF") << true;
}

void TestConfigurationLab::exportEditImport()
{
    QFETCH(bool, windowsLineEnds);
    const int base = windowsLineEnds ? 60 : 40;
    QStringList macs;
    for (int i = 0; i < 2; ++i) {
        SimulatedUnit unit;
        unit.code = i == 0 ? QStringLiteral("1100") : QStringLiteral("3100");
        unit.mac = QStringLiteral("02:00:00:00:%1:%2").arg(base).arg(i, 2, 10, QLatin1Char('0'));
        unit.ip = QStringLiteral("10.77.3.%1").arg(base + i);
        unit.mask = QStringLiteral("255.255.255.0");
        unit.gateway = QStringLiteral("10.77.3.1");
        addUnit(2, unit);
        macs << unit.mac;
    }
    const QList<interfaces_t> list = interfaces({false, false, true});
    QList<Device_t> ours;
    for (const Device_t& d : scan(list)) {
        if (macs.contains(d.mac))
            ours.append(d);
    }
    QCOMPARE(ours.size(), 2);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("conf.csv"));
    changeNetworkConfiguration conf;
    conf.downloadNetwConf(ours, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    // Move both units by 100 and change their gateway, as a user would in an editor.
    for (const Device_t& d : qAsConst(ours)) {
        const QString moved = QStringLiteral("10.77.3.%1").arg(d.ip.section('.', 3).toInt() + 100);
        text.replace(QString(d.ip + ",").toLatin1(), QString(moved + ",").toLatin1());
    }
    text.replace(",10.77.3.1\n", ",10.77.3.2\n");
    if (windowsLineEnds)
        text.replace("\n", "\r\n");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();

    const QList<QList<QString>> rows = conf.readNewNetwConfFile(path);
    QCOMPARE(rows.size(), 2);
    QVERIFY(conf.uploadNetwConf(list, rows));
    QVERIFY(conf.lastError().isEmpty());

    QStringList seen;
    for (const Device_t& d : scan(list)) {
        if (macs.contains(d.mac))
            seen << d.ip + " " + d.gateway;
    }
    seen.sort();
    QCOMPARE(seen, (QStringList{QStringLiteral("10.77.3.%1 10.77.3.2").arg(base + 100),
                                QStringLiteral("10.77.3.%1 10.77.3.2").arg(base + 101)}));
}

int main(int argc, char** argv)
{
    // Every link of this test lives in namespaces of this process only.
    if (!enterPrivateNetwork())
        return exitCodeWithoutNamespace();
    QApplication app(argc, argv);
    TestConfigurationLab test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_configurationlab.moc"
