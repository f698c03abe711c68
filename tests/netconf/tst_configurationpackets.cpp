// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netconf/changedeviceconfigurations.h"

#include <QHostAddress>
#include <QtTest>

namespace {

uint ipv4(const char* text)
{
    return QHostAddress(QLatin1String(text)).toIPv4Address();
}

QByteArray exampleMac()
{
    return QByteArray::fromHex("001A2B3C4D5E");
}

} // namespace

// Packet layout and the refusals that happen before anything is sent. The
// sends themselves are exercised in the namespace test.
class TestConfigurationPackets : public QObject
{
    Q_OBJECT

private slots:
    void devicePacket_data();
    void devicePacket();
    void xportPacket_data();
    void xportPacket();
    void shortMacBuildsNothing_data();
    void shortMacBuildsNothing();
    void parseMac_data();
    void parseMac();
    void refusals_data();
    void refusals();
    void uploadRefusals_data();
    void uploadRefusals();
};

void TestConfigurationPackets::devicePacket_data()
{
    QTest::addColumn<QByteArray>("mac");
    QTest::addColumn<uint>("port");
    QTest::addColumn<uint>("ip");
    QTest::addColumn<uint>("mask");
    QTest::addColumn<uint>("gateway");
    QTest::addColumn<uint>("dhcp");
    QTest::addColumn<QByteArray>("expectedHex");

    const QByteArray tag = QByteArray("Ostravi Set:").toHex();
    QTest::newRow("example, DHCP off") << exampleMac() << 10001u << ipv4("192.168.0.10") << ipv4("255.255.255.0")
                                       << ipv4("192.168.0.1") << 0u
                                       << tag + "001a2b3c4d5e" + "2711" + "c0a8000a" + "ffffff00" + "c0a80001" +
                                              "00000000";
    QTest::newRow("example, DHCP on") << exampleMac() << 10001u << ipv4("192.168.0.10") << ipv4("255.255.255.0")
                                      << ipv4("192.168.0.1") << 1u
                                      << tag + "001a2b3c4d5e" + "2711" + "c0a8000a" + "ffffff00" + "c0a80001" +
                                             "01000000";
    QTest::newRow("high bytes, only first six MAC bytes")
        << QByteArray::fromHex("fffefdfcfbfaf9") << 65535u << ipv4("10.200.3.254") << ipv4("255.255.128.0")
        << ipv4("10.200.0.1") << 0x01020304u
        << tag + "fffefdfcfbfa" + "ffff" + "0ac803fe" + "ffff8000" + "0ac80001" + "04030201";
}

void TestConfigurationPackets::devicePacket()
{
    QFETCH(QByteArray, mac);
    QFETCH(uint, port);
    QFETCH(uint, ip);
    QFETCH(uint, mask);
    QFETCH(uint, gateway);
    QFETCH(uint, dhcp);
    QFETCH(QByteArray, expectedHex);
    const QByteArray packet =
        changeNetworkConfiguration::buildConfigurationPacket(mac, static_cast<ushort>(port), ip, mask, gateway, dhcp);
    QCOMPARE(packet.size(), changeNetworkConfiguration::configurationPacketLength);
    QCOMPARE(packet.toHex(), expectedHex);
}

void TestConfigurationPackets::xportPacket_data()
{
    QTest::addColumn<QByteArray>("mac");
    QTest::addColumn<uint>("ip");
    QTest::addColumn<QByteArray>("expectedHex");
    QTest::newRow("example") << exampleMac() << ipv4("192.168.0.10")
                             << QByteArray("000000fc"
                                           "49502d5345545550"
                                           "0000"
                                           "4d5e"
                                           "c0a8000a");
    QTest::newRow("last MAC bytes ff") << QByteArray::fromHex("00204affffff") << ipv4("10.77.2.40")
                                       << QByteArray("000000fc"
                                                     "49502d5345545550"
                                                     "0000"
                                                     "ffff"
                                                     "0a4d0228");
}

void TestConfigurationPackets::xportPacket()
{
    QFETCH(QByteArray, mac);
    QFETCH(uint, ip);
    QFETCH(QByteArray, expectedHex);
    const QByteArray packet = changeNetworkConfiguration::buildXportConfigurationPacket(mac, ip);
    QCOMPARE(packet.size(), changeNetworkConfiguration::xportConfigurationPacketLength);
    QCOMPARE(packet.toHex(), expectedHex);
    QCOMPARE(packet.mid(4, 8), QByteArray("IP-SETUP"));
}

void TestConfigurationPackets::shortMacBuildsNothing_data()
{
    QTest::addColumn<QByteArray>("mac");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("five bytes") << QByteArray::fromHex("001a2b3c4d");
}

void TestConfigurationPackets::shortMacBuildsNothing()
{
    QFETCH(QByteArray, mac);
    QVERIFY(changeNetworkConfiguration::buildConfigurationPacket(mac, 10001, 1, 1, 1, 0).isEmpty());
    QVERIFY(changeNetworkConfiguration::buildXportConfigurationPacket(mac, 1).isEmpty());
}

void TestConfigurationPackets::parseMac_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expectedHex");
    QTest::newRow("upper case colons") << "00:1A:2B:3C:4D:5E" << QByteArray("001a2b3c4d5e");
    QTest::newRow("lower case dashes") << "00-1a-2b-3c-4d-5e" << QByteArray("001a2b3c4d5e");
    QTest::newRow("separator not examined") << "00x1Ay2Bz3C.4D 5E" << QByteArray("001a2b3c4d5e");
    QTest::newRow("16 chars, one-digit last group") << "00:1A:2B:3C:4D:5" << QByteArray("001a2b3c4d05");
    QTest::newRow("trailing text ignored") << "00:1A:2B:3C:4D:5E:77" << QByteArray("001a2b3c4d5e");
    QTest::newRow("15 chars, sixth group empty") << "00:1A:2B:3C:4D:" << QByteArray();
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("not hex") << "00:1G:2B:3C:4D:5E" << QByteArray();
    QTest::newRow("no separators") << "001A2B3C4D5E" << QByteArray();
    QTest::newRow("sign is not a digit") << "+1:1A:2B:3C:4D:5E" << QByteArray();
    QTest::newRow("blank is not a digit") << " 1:1A:2B:3C:4D:5E" << QByteArray();
}

void TestConfigurationPackets::parseMac()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expectedHex);
    QCOMPARE(changeNetworkConfiguration::parseMac(text).toHex(), expectedHex);
}

void TestConfigurationPackets::refusals_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<uint>("port");
    QTest::addColumn<uint>("ip");
    QTest::addColumn<uint>("mask");
    QTest::addColumn<uint>("gateway");
    QTest::addColumn<QStringList>("named");

    const QString mac = QStringLiteral("00:1A:2B:3C:4D:5E");
    const uint ip = ipv4("192.168.0.10");
    const uint mask = ipv4("255.255.255.0");
    const uint gw = ipv4("192.168.0.1");
    QTest::newRow("ip 0.0.0.0") << mac << 10001u << 0u << mask << gw << QStringList{"IP address 0.0.0.0"};
    QTest::newRow("ip all ones") << mac << 10001u << 0xFFFFFFFFu << mask << gw
                                 << QStringList{"IP address 255.255.255.255"};
    QTest::newRow("mask 0.0.0.0") << mac << 10001u << ip << 0u << gw << QStringList{"subnet mask 0.0.0.0"};
    QTest::newRow("mask all ones") << mac << 10001u << ip << 0xFFFFFFFFu << gw
                                   << QStringList{"subnet mask 255.255.255.255"};
    QTest::newRow("gateway 0.0.0.0") << mac << 10001u << ip << mask << 0u << QStringList{"gateway 0.0.0.0"};
    QTest::newRow("gateway all ones") << mac << 10001u << ip << mask << 0xFFFFFFFFu
                                      << QStringList{"gateway 255.255.255.255"};
    QTest::newRow("port 0") << mac << 0u << ip << mask << gw << QStringList{"port 0"};
    QTest::newRow("MAC of 15 chars") << "00:1A:2B:3C:4D:" << 10001u << ip << mask << gw
                                     << QStringList{"MAC address \"00:1A:2B:3C:4D:\""};
    QTest::newRow("everything") << "zz" << 10001u << 0u << 0u << 0u
                                << QStringList{"MAC address", "IP address", "subnet mask", "gateway"};
}

void TestConfigurationPackets::refusals()
{
    QFETCH(QString, mac);
    QFETCH(uint, port);
    QFETCH(uint, ip);
    QFETCH(uint, mask);
    QFETCH(uint, gateway);
    QFETCH(QStringList, named);
    changeNetworkConfiguration sender;
    // Loopback target and no interfaces: even a wrongly accepted row stays on this host.
    QVERIFY(!sender.sendNewConfig({}, mac, static_cast<ushort>(port), ip, mask, gateway, 0,
                                  QHostAddress(QHostAddress::LocalHost)));
    QVERIFY(sender.lastError().startsWith(QLatin1String("Nothing was sent")));
    for (const QString& part : qAsConst(named))
        QVERIFY2(sender.lastError().contains(part), qPrintable(sender.lastError()));
}

void TestConfigurationPackets::uploadRefusals_data()
{
    QTest::addColumn<QList<QList<QString>>>("rows");
    QTest::addColumn<QStringList>("named");
    const QList<QString> badAddress{"Beamline",      "B1",         "00:1A:2B:3C:4D:5E", "192.168.0.300",
                                    "255.255.255.0", "192.168.0.1"};
    const QList<QString> badGateway{"Beamline", "B2", "00:1A:2B:3C:4D:5F", "192.168.0.11", "255.255.255.0", "gw"};
    QTest::newRow("no rows") << QList<QList<QString>>() << QStringList{"no device rows"};
    QTest::newRow("short first row") << QList<QList<QString>>{{"Beamline", "B1", "00:1A:2B:3C:4D:5E"}}
                                     << QStringList{"row 1 has 3 of 6 entries"};
    QTest::newRow("two refused rows, numbered with their MAC")
        << QList<QList<QString>>{badAddress, badGateway}
        << QStringList{"row 1 (00:1A:2B:3C:4D:5E)", "IP address \"192.168.0.300\"", "row 2 (00:1A:2B:3C:4D:5F)",
                       "gateway \"gw\""};
    QTest::newRow("short and padded forms are not addresses")
        << QList<QList<QString>>{{"Beamline", "B1", "00:1A:2B:3C:4D:5E", "10.77.1", "255.255.255.0", "10.1.1.1"},
                                 {"Beamline", "B2", "00:1A:2B:3C:4D:5F", "10.77.1.2", "255.255.255.0.", "10.1.1.256"}}
        << QStringList{"row 1 (00:1A:2B:3C:4D:5E)", "IP address \"10.77.1\"", "subnet mask \"255.255.255.0.\"",
                       "gateway \"10.1.1.256\""};
    QTest::newRow("refused row before a short row")
        << QList<QList<QString>>{badAddress, {"x"}} << QStringList{"row 1 (00:1A:2B:3C:4D:5E)", "row 2 has 1 of 6"};
}

void TestConfigurationPackets::uploadRefusals()
{
    QFETCH(QList<QList<QString>>, rows);
    QFETCH(QStringList, named);
    changeNetworkConfiguration sender;
    QVERIFY(!sender.uploadNetwConf({}, rows));
    for (const QString& part : qAsConst(named))
        QVERIFY2(sender.lastError().contains(part), qPrintable(sender.lastError()));
}

QTEST_GUILESS_MAIN(TestConfigurationPackets)
#include "tst_configurationpackets.moc"
