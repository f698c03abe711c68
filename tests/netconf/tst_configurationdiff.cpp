// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/sampledevices.h"
#include "netconf/addresstext.h"
#include "netconf/configurationdiff.h"

#include <QtTest>

namespace {
using Rows = QList<QList<QString>>;

QList<QString> rowOf(const Device_t& device)
{
    return {device.group, device.serialNumber, device.mac, device.ip, device.netmask, device.gateway};
}

Rows rowsOf(const QList<Device_t>& devices)
{
    Rows rows;
    for (const Device_t& device : devices)
        rows << rowOf(device);
    return rows;
}

// A beamline instrument, a power supply on DHCP and a current transducer.
QList<Device_t> threeDevices()
{
    return {makeDevice("2100", "10.0.0.2"), makeDevice("1100", "10.0.0.10", "1"), makeDevice("3100", "10.0.0.30")};
}
} // namespace

// Which rows of the multi-device dialog or of a configuration file would change a device found,
// and what the user is asked before anything is sent.
class TestConfigurationDiff : public QObject
{
    Q_OBJECT

private slots:
    void unchangedRowsAreNotSent();
    void onlyTheChangedRowIsSent_data();
    void onlyTheChangedRowIsSent();
    void dhcpDeviceIsToldWhenItsRowChanges();
    void rowsOfNoDeviceFoundAreListedNotSent();
    void macsMatchWhateverTheirCase();
    void wrongValuesAreNamedAsTyped_data();
    void wrongValuesAreNamedAsTyped();
    void malformedRows();
    void addressText_data();
    void addressText();
};

void TestConfigurationDiff::unchangedRowsAreNotSent()
{
    const ConfigurationDiff diff(threeDevices(), rowsOf(threeDevices()));
    QVERIFY(!diff.hasChanges());
    QCOMPARE(diff.unchangedCount(), 3);
    QVERIFY(diff.problems().isEmpty());
    QCOMPARE(diff.nothingToSendText(), QStringLiteral("No device's settings would change, so nothing was sent."));
    // Spaces around a value are no change.
    Rows padded = rowsOf(threeDevices());
    padded[0][3] = QStringLiteral(" 10.0.0.2 ");
    QVERIFY(!ConfigurationDiff(threeDevices(), padded).hasChanges());
}

void TestConfigurationDiff::onlyTheChangedRowIsSent_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("described");
    QTest::newRow("address") << 3 << "10.0.0.20"
                             << "Group 2100 SN2100 (02:00:00:00:21:00): 10.0.0.2 \u2192 10.0.0.20";
    QTest::newRow("mask only") << 4 << "255.255.0.0"
                               << "Group 2100 SN2100 (02:00:00:00:21:00): 10.0.0.2 \u2192 10.0.0.2, "
                                  "mask 255.255.255.0 \u2192 255.255.0.0";
    QTest::newRow("gateway only") << 5 << "10.0.0.254"
                                  << "Group 2100 SN2100 (02:00:00:00:21:00): 10.0.0.2 \u2192 10.0.0.2, "
                                     "gateway 10.0.0.1 \u2192 10.0.0.254";
}

void TestConfigurationDiff::onlyTheChangedRowIsSent()
{
    QFETCH(int, entry);
    QFETCH(QString, value);
    QFETCH(QString, described);
    Rows rows = rowsOf(threeDevices());
    rows[0][entry] = value;
    const ConfigurationDiff diff(threeDevices(), rows);
    QCOMPARE(diff.changes().size(), 1);
    QCOMPARE(diff.changes().first().mac, rows.at(0).at(2));
    QCOMPARE(diff.changes().first().after, rows.at(0).mid(3));
    QCOMPARE(diff.unchangedCount(), 2);
    const QStringList lines = diff.confirmationText().split('\n');
    QCOMPARE(lines.value(0), QStringLiteral("Send new network settings to 1 device(s)?"));
    QCOMPARE(lines.value(2), described);
    QCOMPARE(lines.last(), QStringLiteral("2 device(s) keep their settings and are sent nothing."));
    // Nothing in the question speaks of the supply on DHCP, which is left alone.
    QVERIFY(!diff.confirmationText().contains("02:00:00:00:11:00"));
}

void TestConfigurationDiff::dhcpDeviceIsToldWhenItsRowChanges()
{
    Rows rows = rowsOf(threeDevices());
    rows[1][3] = QStringLiteral("10.0.0.11");
    const ConfigurationDiff diff(threeDevices(), rows);
    QCOMPARE(diff.changes().size(), 1);
    QVERIFY(diff.changes().first().dhcpOn);
    QVERIFY2(diff.confirmationText().contains(
                 "Group 1100 SN1100 (02:00:00:00:11:00): 10.0.0.10 \u2192 10.0.0.11; DHCP will be turned off"),
             qPrintable(diff.confirmationText()));
}

void TestConfigurationDiff::rowsOfNoDeviceFoundAreListedNotSent()
{
    Rows rows = rowsOf(threeDevices());
    rows[2][3] = QStringLiteral("10.0.0.31");
    rows << QList<QString>{"Aurel", "77", "02:00:00:00:77:77", "10.0.0.77", "255.255.255.0", "10.0.0.1"};
    const ConfigurationDiff diff(threeDevices(), rows);
    QCOMPARE(diff.changes().size(), 1);
    QCOMPARE(diff.changes().first().mac, rows.at(2).at(2));
    QCOMPARE(diff.unmatched(), Rows{rows.at(3)});
    QVERIFY(diff.confirmationText().contains(
        "Not found by the last scan, so not sent (1 row(s)):\n  02:00:00:00:77:77 (10.0.0.77)"));
    // Before any scan every row is of no device found: nothing is sent, and the user is told why.
    const ConfigurationDiff beforeScan({}, rows);
    QVERIFY(!beforeScan.hasChanges());
    QVERIFY(beforeScan.nothingToSendText().contains("(4 row(s))"));
}

void TestConfigurationDiff::macsMatchWhateverTheirCase()
{
    Rows rows = {rowOf(threeDevices().at(0))};
    rows[0][2] = rows[0][2].toLower();
    QVERIFY(!ConfigurationDiff(threeDevices(), rows).hasChanges());
    rows[0][3] = QStringLiteral("10.0.0.3");
    const ConfigurationDiff diff(threeDevices(), rows);
    QCOMPARE(diff.changes().size(), 1);
    QCOMPARE(diff.changes().first().mac, QStringLiteral("02:00:00:00:21:00"));
}

void TestConfigurationDiff::wrongValuesAreNamedAsTyped_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("problem");
    QTest::newRow("octet too big") << 3 << "10.77.5.300"
                                   << "the IP address \"10.77.5.300\" is not valid";
    QTest::newRow("short form") << 3 << "10.77.1"
                                << "the IP address \"10.77.1\" is not valid";
    QTest::newRow("broadcast") << 3 << "255.255.255.255"
                               << "the IP address \"255.255.255.255\" is not valid";
    QTest::newRow("holes in mask") << 4 << "255.0.255.0"
                                   << "the subnet mask \"255.0.255.0\" is not valid";
    QTest::newRow("empty gateway") << 5 << ""
                                   << "the gateway \"\" is not valid";
}

void TestConfigurationDiff::wrongValuesAreNamedAsTyped()
{
    QFETCH(int, entry);
    QFETCH(QString, value);
    QFETCH(QString, problem);
    Rows rows = rowsOf(threeDevices());
    rows[0][entry] = value;
    const ConfigurationDiff diff(threeDevices(), rows);
    QCOMPARE(diff.problems(), QStringList{"Group 2100 SN2100 (02:00:00:00:21:00): " + problem});
}

void TestConfigurationDiff::malformedRows()
{
    Rows rows = rowsOf(threeDevices());
    rows << QList<QString>{"short", "row"};
    rows << rowOf(threeDevices().at(0));
    const ConfigurationDiff diff(threeDevices(), rows);
    QCOMPARE(diff.malformed(),
             (QStringList{"row 4 has 2 of 6 entries", "row 5 gives the MAC address 02:00:00:00:21:00 a second time"}));
    QCOMPARE(diff.problems(), diff.malformed());
}

void TestConfigurationDiff::addressText_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("acceptable");
    const int address = int(AddressText::Kind::Address);
    const int mask = int(AddressText::Kind::Mask);
    QTest::newRow("address") << address << "10.77.5.30" << true;
    QTest::newRow("spaces around") << address << " 10.77.5.30 " << true;
    QTest::newRow("zero") << address << "0.0.0.0" << false;
    QTest::newRow("three groups") << address << "10.77.5" << false;
    QTest::newRow("word") << address << "gateway" << false;
    QTest::newRow("mask /24") << mask << "255.255.255.0" << true;
    QTest::newRow("mask /17") << mask << "255.255.128.0" << true;
    QTest::newRow("mask all ones") << mask << "255.255.255.255" << false;
    QTest::newRow("mask with a hole") << mask << "255.255.0.255" << false;
}

void TestConfigurationDiff::addressText()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(bool, acceptable);
    QCOMPARE(AddressText::isAcceptable(AddressText::Kind(kind), text), acceptable);
    QCOMPARE(AddressText::refusal(AddressText::Kind(kind), text).isEmpty(), acceptable);
}

QTEST_GUILESS_MAIN(TestConfigurationDiff)
#include "tst_configurationdiff.moc"
