// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/sampledevices.h"
#include "discovery/addresshealth.h"

#include <QtTest>

namespace {
Device_t device(const QString& code, const QString& ip, const QString& gateway = QStringLiteral("10.77.1.254"))
{
    Device_t record = makeDevice(code, ip);
    record.gateway = gateway;
    return record;
}

const interfaces_t lab1{QStringLiteral("kq0"), QStringLiteral("10.77.1.1"), QStringLiteral("255.255.255.0"), true};
const interfaces_t lab2{QStringLiteral("kq1"), QStringLiteral("192.168.7.5"), QStringLiteral("255.255.255.0"), true};
} // namespace

Q_DECLARE_METATYPE(QList<Device_t>)

// Which devices lie outside every selected subnet or share an address, and where one outside would move.
class TestAddressHealth : public QObject
{
    Q_OBJECT

private slots:
    void outsideSubnets_data();
    void outsideSubnets();
    void sharedAddresses();
    void descriptions();
    void proposedMove_data();
    void proposedMove();
};

void TestAddressHealth::outsideSubnets_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QList<interfaces_t>>("interfaces");
    QTest::addColumn<bool>("outside");
    interfaces_t unselected = lab2;
    unselected.selected = false;
    QTest::newRow("inside the first") << "10.77.1.20" << QList<interfaces_t>{lab1, lab2} << false;
    QTest::newRow("inside the second") << "192.168.7.200" << QList<interfaces_t>{lab1, lab2} << false;
    QTest::newRow("outside both") << "10.77.9.50" << QList<interfaces_t>{lab1, lab2} << true;
    QTest::newRow("only an unselected one holds it")
        << "192.168.7.200" << QList<interfaces_t>{lab1, unselected} << true;
    QTest::newRow("no interface selected") << "10.77.9.50" << QList<interfaces_t>{unselected} << false;
    QTest::newRow("no address") << "not-an-address" << QList<interfaces_t>{lab1} << false;
    QTest::newRow("wide subnet holds it")
        << "10.77.9.50" << QList<interfaces_t>{{"kw", "10.77.1.1", "255.255.0.0", true}} << false;
}

void TestAddressHealth::outsideSubnets()
{
    QFETCH(QString, ip);
    QFETCH(QList<interfaces_t>, interfaces);
    QFETCH(bool, outside);
    const AddressHealth health({device("2100", ip)}, interfaces);
    QCOMPARE(health.isOutsideSubnets(0), outside);
    QCOMPARE(health.hasProblem(0), outside);
    QCOMPARE(health.description(0).isEmpty(), !outside);
    QCOMPARE(health.proposedMove(0).has_value(), outside);
}

void TestAddressHealth::sharedAddresses()
{
    const QList<Device_t> devices = {device("2100", "10.77.1.20"), device("3100", "10.77.1.21"),
                                     device("1100", "10.77.1.20"), device("2101", "10.77.1.20")};
    const AddressHealth health(devices, {lab1});
    QCOMPARE(health.sharingAddressWith(0), (QList<int>{2, 3}));
    QCOMPARE(health.sharingAddressWith(2), (QList<int>{0, 3}));
    QVERIFY(health.sharingAddressWith(1).isEmpty());
    QVERIFY(health.hasProblem(3));
    QVERIFY(!health.hasProblem(1));
    // Sharing an address is no reason to move a device that is in reach.
    QVERIFY(!health.proposedMove(0).has_value());
    QVERIFY(!AddressHealth().hasProblem(0));
}

void TestAddressHealth::descriptions()
{
    const QList<Device_t> devices = {device("1100", "10.77.9.50"), device("2100", "10.77.1.20"),
                                     device("3100", "10.77.1.20")};
    const AddressHealth health(devices, {lab1, lab2});
    QCOMPARE(health.description(0),
             QStringLiteral("10.77.9.50 lies outside the subnets of the selected interfaces (kq0 10.77.1.0/24, kq1 "
                            "192.168.7.0/24): it is reached by broadcast only."));
    QCOMPARE(health.description(1),
             QStringLiteral("10.77.1.20 is also the address of 02:00:00:00:31:00: neither can be reached at it for "
                            "sure."));
    QCOMPARE(health.description(5), QString());
    QCOMPARE(health.summary(0), QStringLiteral("Outside the selected subnets"));
    QCOMPARE(health.summary(2), QStringLiteral("Address shared with 02:00:00:00:21:00"));
    QCOMPARE(health.summary(5), QString());
    const AddressHealth both({device("1100", "10.77.9.50"), device("2100", "10.77.9.50")}, {lab1});
    QCOMPARE(both.summary(1), QStringLiteral("Outside the selected subnets; Address shared with 02:00:00:00:11:00"));
}

void TestAddressHealth::proposedMove_data()
{
    QTest::addColumn<QList<Device_t>>("devices");
    QTest::addColumn<QList<interfaces_t>>("interfaces");
    QTest::addColumn<QString>("move");
    const Device_t far = device("1100", "10.77.9.50", "10.77.9.1");
    QTest::newRow("first free after the host, the devices and their gateways")
        << QList<Device_t>{far, device("2100", "10.77.1.2"), device("2101", "10.77.1.3", "10.77.1.4")}
        << QList<interfaces_t>{lab1} << "kq0 10.77.1.5 255.255.255.0 10.77.1.254";
    QTest::newRow("most used gateway") << QList<Device_t>{far, device("2100", "10.77.1.2", "10.77.1.9"),
                                                          device("2101", "10.77.1.3", "10.77.1.8"),
                                                          device("3100", "10.77.1.4", "10.77.1.8")}
                                       << QList<interfaces_t>{lab1} << "kq0 10.77.1.5 255.255.255.0 10.77.1.8";
    QTest::newRow("gateways outside the subnet do not count")
        << QList<Device_t>{far, device("2100", "10.77.1.2", "10.99.0.1")} << QList<interfaces_t>{lab1}
        << "kq0 10.77.1.3 255.255.255.0 10.77.1.1";
    QTest::newRow("no device in the subnet: its first host address as gateway")
        << QList<Device_t>{far} << QList<interfaces_t>{{"kq5", "10.77.5.9", "255.255.255.0", true}}
        << "kq5 10.77.5.2 255.255.255.0 10.77.5.1";
    QTest::newRow("nearest interface by address")
        << QList<Device_t>{device("1100", "192.168.9.7")} << QList<interfaces_t>{lab1, lab2}
        << "kq1 192.168.7.2 255.255.255.0 192.168.7.1";
    QTest::newRow("unselected interface is never proposed")
        << QList<Device_t>{device("1100", "192.168.9.7")}
        << QList<interfaces_t>{lab1, {"kq1", "192.168.7.5", "255.255.255.0", false}}
        << "kq0 10.77.1.2 255.255.255.0 10.77.1.1";
    QTest::newRow("host address on another interface is skipped")
        << QList<Device_t>{far} << QList<interfaces_t>{lab1, {"kx", "10.77.1.2", "255.255.255.255", false}}
        << "kq0 10.77.1.3 255.255.255.0 10.77.1.1";
    QTest::newRow("full subnet") << QList<Device_t>{far, device("2100", "10.77.1.2", "10.77.1.1")}
                                 << QList<interfaces_t>{{"kp", "10.77.1.1", "255.255.255.252", true}} << "";
    QTest::newRow("point to point") << QList<Device_t>{far}
                                    << QList<interfaces_t>{{"kp", "10.77.1.1", "255.255.255.254", true}} << "";
}

void TestAddressHealth::proposedMove()
{
    QFETCH(QList<Device_t>, devices);
    QFETCH(QList<interfaces_t>, interfaces);
    QFETCH(QString, move);
    const std::optional<AddressHealth::Move> proposed = AddressHealth(devices, interfaces).proposedMove(0);
    const QString shown =
        proposed ? QStringList{proposed->interfaceName, proposed->ip, proposed->mask, proposed->gateway}.join(
                       QLatin1Char(' '))
                 : QString();
    QCOMPARE(shown, move);
}

QTEST_GUILESS_MAIN(TestAddressHealth)
#include "tst_addresshealth.moc"
