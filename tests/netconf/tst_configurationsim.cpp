// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/simlog.h"
#include "dialogs/networkinterfaces.h"
#include "discovery/client.h"
#include "netconf/changedeviceconfigurations.h"

#include <QApplication>
#include <QtTest>

#include <algorithm>

namespace {

constexpr int settleMs = 150;
const QByteArray setTag = "Ostravi Set:";
const QByteArray ipSetupHead = QByteArray::fromHex("000000fc");

uint ipv4(const QString& text)
{
    return QHostAddress(text).toIPv4Address();
}

QString hexOf(const QByteArray& tagAndFields)
{
    return QString::fromLatin1(tagAndFields.toHex());
}

// Configuration datagrams (set packets and IP-SETUP) heard after `mark`, in log order.
SimLog::Lines configurationHeard(int mark)
{
    return SimLog::filter(SimLog::lines().mid(mark), [](const QJsonObject& line) {
        if (line.value("proto").toString() != QLatin1String("udp"))
            return false;
        const QByteArray bytes = SimLog::bytes(line);
        return bytes.startsWith(setTag) || bytes.startsWith(ipSetupHead);
    });
}

} // namespace

// Configuration sends into the simulated lab of tests/labs/netconf-lab.json, as
// the simulator heard and took them, and the rescans that show the moves.
class TestConfigurationSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void orderAndBytesAsTheLabHeardThem();
    void noSelectedInterfaceSendsOnlyTheUnicast();
    void refusedValueSendsNothing();
    void powerSupplyTurnsDhcpOff();
    void recoveryModeUnitTakesSettings();
    void xportModuleTakesIpSetup();
    void uploadWithARefusedRow();

private:
    QList<interfaces_t> interfaces(const QStringList& selected);
    QList<Device_t> scan();
    Device_t found(const QString& mac);
    int mark() const { return SimLog::lines().size(); }

    NetworkInterfaces m_holder;
};

void TestConfigurationSim::initTestCase()
{
    if (!SimLog::available())
        QSKIP("runs only inside the namespace harness");
    m_holder.scanInterfaces();
    QCOMPARE(m_holder.interfaces().size(), 3);
}

QList<interfaces_t> TestConfigurationSim::interfaces(const QStringList& selected)
{
    m_holder.scanInterfaces();
    QList<interfaces_t> list = m_holder.interfaces();
    for (interfaces_t& record : list)
        record.selected = selected.contains(record.name);
    return list;
}

QList<Device_t> TestConfigurationSim::scan()
{
    QList<interfaces_t> list = interfaces({"kc0", "kc1", "kc2"});
    Client client;
    QObject::connect(&client, &Client::signalUpdateProgressBar, [](int) { QCoreApplication::processEvents(); });
    return client.startScan(list);
}

Device_t TestConfigurationSim::found(const QString& mac)
{
    const QList<Device_t> devices = scan();
    const auto it = std::find_if(devices.cbegin(), devices.cend(), [&mac](const Device_t& d) { return d.mac == mac; });
    return it == devices.cend() ? Device_t() : *it;
}

void TestConfigurationSim::orderAndBytesAsTheLabHeardThem()
{
    QCOMPARE(found("02:BB:00:00:00:10").ip, QStringLiteral("10.77.1.10"));
    const int start = mark();
    changeNetworkConfiguration sender;
    QVERIFY(sender.sendNewConfig(interfaces({"kc0", "kc1"}), "02:BB:00:00:00:10", 10001, ipv4("10.77.1.110"),
                                 ipv4("255.255.255.0"), ipv4("10.77.1.1"), 0, QHostAddress("10.77.1.10")));
    QTRY_COMPARE(configurationHeard(start).size(), 5);
    QTest::qWait(settleMs);
    const SimLog::Lines heard = configurationHeard(start);
    QCOMPARE(heard.size(), 5);

    const QByteArray set = setTag + QByteArray::fromHex("02BB00000010"
                                                        "2711"
                                                        "0a4d016e"
                                                        "ffffff00"
                                                        "0a4d0101"
                                                        "00000000");
    const QByteArray ipSetup = QByteArray::fromHex("000000fc"
                                                   "49502d5345545550"
                                                   "0000"
                                                   "0010"
                                                   "0a4d016e");
    const QStringList expected{
        QStringLiteral("kc0 30719 10.77.1.10 ") + hexOf(set),
        QStringLiteral("kc0 30719 255.255.255.255 10.77.1.1:30719 ") + hexOf(set),
        QStringLiteral("kc0 30718 255.255.255.255 10.77.1.1:30719 ") + hexOf(ipSetup),
        QStringLiteral("kc1 30719 255.255.255.255 10.77.2.1:30719 ") + hexOf(set),
        QStringLiteral("kc1 30718 255.255.255.255 10.77.2.1:30719 ") + hexOf(ipSetup),
    };
    for (int i = 0; i < heard.size(); ++i) {
        const QJsonObject& line = heard.at(i);
        QStringList got{line.value("link").toString(), QString::number(line.value("port").toInt()),
                        line.value("dst").toString()};
        // The unicast leaves from whatever port the system picks.
        if (i > 0)
            got << line.value("src").toString();
        got << line.value("hex").toString().toLower();
        QCOMPARE(got.join(' '), expected.at(i));
    }
    QCOMPARE(SimLog::settings(SimLog::lines().mid(start), "bl1").value(0).value("ip").toString(),
             QStringLiteral("10.77.1.110"));
    QCOMPARE(found("02:BB:00:00:00:10").ip, QStringLiteral("10.77.1.110"));
}

void TestConfigurationSim::noSelectedInterfaceSendsOnlyTheUnicast()
{
    const int start = mark();
    changeNetworkConfiguration sender;
    QVERIFY(sender.sendNewConfig(interfaces({}), "02:BB:00:00:00:20", 10001, ipv4("10.77.2.20"), ipv4("255.255.255.0"),
                                 ipv4("10.77.2.1"), 1, QHostAddress("10.77.2.20")));
    QTRY_COMPARE(configurationHeard(start).size(), 1);
    QTest::qWait(settleMs);
    const SimLog::Lines heard = configurationHeard(start);
    QCOMPARE(heard.size(), 1);
    QCOMPARE(heard.at(0).value("dst").toString(), QStringLiteral("10.77.2.20"));
    QCOMPARE(heard.at(0).value("port").toInt(), 30719);
}

void TestConfigurationSim::refusedValueSendsNothing()
{
    const int start = mark();
    changeNetworkConfiguration sender;
    QVERIFY(!sender.sendNewConfig(interfaces({"kc0", "kc1", "kc2"}), "02:BB:00:00:00:20", 10001, ipv4("10.77.2.21"),
                                  ipv4("255.255.255.255"), ipv4("10.77.2.1"), 0, QHostAddress("10.77.2.20")));
    QVERIFY(sender.lastError().contains(QLatin1String("subnet mask")));
    QTest::qWait(settleMs);
    QCOMPARE(configurationHeard(start).size(), 0);
    QCOMPARE(SimLog::settings(SimLog::lines().mid(start)).size(), 0);
}

void TestConfigurationSim::powerSupplyTurnsDhcpOff()
{
    QCOMPARE(found("02:BB:00:00:00:20").dhcp, QStringLiteral("1"));
    changeNetworkConfiguration sender;
    QVERIFY(sender.sendNewConfig(interfaces({"kc0", "kc1", "kc2"}), "02:BB:00:00:00:20", 10001, ipv4("10.77.2.120"),
                                 ipv4("255.255.0.0"), ipv4("10.77.0.1"), 0, QHostAddress("10.77.2.20")));
    QTRY_COMPARE(SimLog::settings(SimLog::lines(), "ps1").size(), 1);
    const Device_t after = found("02:BB:00:00:00:20");
    QCOMPARE(QStringList({after.ip, after.netmask, after.gateway, after.dhcp}).join(' '),
             QStringLiteral("10.77.2.120 255.255.0.0 10.77.0.1 0"));
}

void TestConfigurationSim::recoveryModeUnitTakesSettings()
{
    QCOMPARE(found("02:BB:00:00:00:11").code, QStringLiteral("1F80"));
    changeNetworkConfiguration sender;
    QVERIFY(sender.sendNewConfig(interfaces({"kc0"}), "02:BB:00:00:00:11", 10001, ipv4("10.77.1.111"),
                                 ipv4("255.255.255.0"), ipv4("10.77.1.1"), 0, QHostAddress("10.77.1.11")));
    QTRY_COMPARE(SimLog::settings(SimLog::lines(), "rec1").size(), 1);
    QCOMPARE(found("02:BB:00:00:00:11").ip, QStringLiteral("10.77.1.111"));
}

void TestConfigurationSim::xportModuleTakesIpSetup()
{
    QCOMPARE(found("00:20:4A:00:00:30").ip, QStringLiteral("10.77.3.30"));
    changeNetworkConfiguration sender;
    // The page sends a motor driver the fixed mask and gateway.
    QVERIFY(sender.sendNewConfig(interfaces({"kc2"}), "00:20:4A:00:00:30", 10001, ipv4("10.77.3.130"),
                                 ipv4("255.255.255.0"), ipv4("192.168.0.1"), 0, QHostAddress("10.77.3.30")));
    QTRY_COMPARE(SimLog::settings(SimLog::lines(), "xp1").size(), 1);
    QCOMPARE(SimLog::settings(SimLog::lines(), "xp1").at(0).value("ip").toString(), QStringLiteral("10.77.3.130"));
    QCOMPARE(found("00:20:4A:00:00:30").ip, QStringLiteral("10.77.3.130"));
}

void TestConfigurationSim::uploadWithARefusedRow()
{
    const int start = mark();
    const QList<QList<QString>> rows{
        {"Beamline", "0040", "02:BB:00:00:00:40", "10.77.3.140", "255.255.255.0", "10.77.3.1"},
        {"Beamline", "0041", "02:BB:00:00:00:41", "10.77.3.141", "255.255.255.0", "0.0.0.0"},
        {"Beamline", "0042", "02:BB:00:00:00:42", "10.77.3.142", "255.255.255.0", "10.77.3.1"},
    };
    changeNetworkConfiguration sender;
    QVERIFY(!sender.uploadNetwConf(interfaces({"kc2"}), rows));
    QVERIFY2(sender.lastError().contains(QLatin1String("row 2 (02:BB:00:00:00:41)")), qPrintable(sender.lastError()));
    QTRY_COMPARE(SimLog::settings(SimLog::lines().mid(start)).size(), 2);
    QTest::qWait(settleMs);
    QStringList moved;
    for (const QJsonObject& line : SimLog::settings(SimLog::lines().mid(start)))
        moved << line.value("unit").toString() + " " + line.value("ip").toString();
    QCOMPARE(moved, (QStringList{"up1 10.77.3.140", "up3 10.77.3.142"}));
    // Per sent row one set packet and one IP-SETUP on the one selected link.
    QCOMPARE(configurationHeard(start).size(), 4);
    QCOMPARE(found("02:BB:00:00:00:41").ip, QStringLiteral("10.77.3.41"));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestConfigurationSim test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_configurationsim.moc"
