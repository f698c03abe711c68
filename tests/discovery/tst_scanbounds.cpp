// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The bounds of one scan that need no network: the caps on records and candidates, the duplicate
// removal that keeps the first record of each MAC, and the time bound of the motor-driver phase.
#include "discovery/addresshealth.h"
#include "discovery/client.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QtTest>

namespace {
QString macOf(int index)
{
    return QStringLiteral("02:00:%1:%2:%3:%4")
        .arg((index >> 24) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((index >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((index >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg(index & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

Device_t record(const QString& mac, int serial)
{
    Device_t device;
    device.mac = mac;
    device.serialNumber = QString::number(serial);
    return device;
}

QNetworkDatagram lantronixAnswer(int index)
{
    QByteArray data(30, '\0');
    data[3] = '\xF7';
    data.replace(24, 6, QByteArray::fromHex(macOf(index).remove(QLatin1Char(':')).toLatin1()));
    QNetworkDatagram datagram(data);
    datagram.setSender(QHostAddress(QStringLiteral("127.0.0.66")), 30718);
    return datagram;
}
} // namespace

class TestScanBounds : public QObject
{
    Q_OBJECT

private slots:
    void keepFirstOfEachMac_data();
    void keepFirstOfEachMac();
    void sharedMacNamesEveryAddress();
    void duplicateRemovalIsLinear();
    void recordsAreCapped();
    void candidatesAreCapped();
    void motorQueryBound_data();
    void motorQueryBound();
    void expiredPhaseAddsPlainRecord();
};

void TestScanBounds::keepFirstOfEachMac_data()
{
    QTest::addColumn<QStringList>("macs");
    QTest::addColumn<QList<int>>("survivors");
    QTest::newRow("none") << QStringList() << QList<int>();
    QTest::newRow("first of each MAC survives, order kept")
        << QStringList{"A", "B", "A", "C", "B", "A"} << QList<int>{0, 1, 3};
    QTest::newRow("empty MACs are equal") << QStringList{"", "A", "", ""} << QList<int>{0, 1};
    QTest::newRow("comparison is exact") << QStringList{"0A:01", "0a:01", "0A:01 "} << QList<int>{0, 1, 2};
    QTest::newRow("one MAC many times") << QStringList(QVector<QString>(500, QStringLiteral("X")).toList())
                                        << QList<int>{0};
}

void TestScanBounds::keepFirstOfEachMac()
{
    QFETCH(QStringList, macs);
    QFETCH(QList<int>, survivors);
    QList<Device_t> devices;
    for (int i = 0; i < macs.size(); ++i)
        devices << record(macs.at(i), i);
    Client::keepFirstOfEachMac(devices);
    QList<int> actual;
    for (const Device_t& device : qAsConst(devices))
        actual << device.serialNumber.toInt();
    QCOMPARE(actual, survivors);
}

// Two units at two addresses under one MAC stay one record that names both addresses; a unit that
// answered twice from its own address is no second unit.
void TestScanBounds::sharedMacNamesEveryAddress()
{
    QList<Device_t> devices;
    for (const char* ip : {"10.99.0.11", "10.99.0.11", "10.99.0.15", "10.99.0.20"}) {
        Device_t unit;
        unit.mac = QStringLiteral("02:00:00:00:00:01");
        unit.ip = QString::fromLatin1(ip);
        devices << unit;
    }
    devices[3].mac = QStringLiteral("02:00:00:00:00:02");
    Client::keepFirstOfEachMac(devices);
    QCOMPARE(devices.size(), 2);
    QCOMPARE(devices.first().sharedMacAddresses, (QStringList{"10.99.0.11", "10.99.0.15"}));
    QVERIFY(devices.last().sharedMacAddresses.isEmpty());
    const AddressHealth health(devices, {});
    QVERIFY2(health.description(0).contains(QStringLiteral("2 units answer with this MAC: 10.99.0.11, 10.99.0.15")),
             qPrintable(health.description(0)));
    QVERIFY(!health.description(1).contains(QStringLiteral("this MAC")));
}

// 200,000 records, half of them repeats: quadratic removal would take minutes.
void TestScanBounds::duplicateRemovalIsLinear()
{
    QList<Device_t> devices;
    for (int i = 0; i < 200000; ++i)
        devices << record(macOf(i % 100000), i);
    QElapsedTimer timer;
    timer.start();
    Client::keepFirstOfEachMac(devices);
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(devices.size(), 100000);
    QCOMPARE(devices.last().serialNumber, QStringLiteral("99999"));
}

void TestScanBounds::recordsAreCapped()
{
    Client client;
    QCOMPARE(client.scanWarning(), QString());
    for (int i = 0; i < Client::maxScanRecords; ++i)
        client.addDevice(record(macOf(i), i));
    QVERIFY(!client.answersIgnored());
    client.addDevice(record(macOf(Client::maxScanRecords), Client::maxScanRecords));
    QCOMPARE(client.devices().size(), Client::maxScanRecords);
    QVERIFY(client.answersIgnored());
    QCOMPARE(client.scanWarning(), QStringLiteral("more than %1 answers; the rest were ignored").arg(10000));
}

void TestScanBounds::candidatesAreCapped()
{
    Client client;
    for (int i = 0; i < Client::maxScanRecords; ++i)
        client.parseKolvexResponse(lantronixAnswer(i));
    // A repeat of a known module is no new candidate, so it is not counted as ignored.
    client.parseKolvexResponse(lantronixAnswer(0));
    QVERIFY(!client.answersIgnored());
    client.parseKolvexResponse(lantronixAnswer(Client::maxScanRecords));
    QCOMPARE(client.lantronixCandidates().size(), Client::maxScanRecords);
    QVERIFY(client.answersIgnored());
}

void TestScanBounds::motorQueryBound_data()
{
    QTest::addColumn<int>("connected");
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("read");
    QTest::addColumn<int>("explicitBound");
    QTest::addColumn<int>("bound");
    // Connect, two writes and two answer lines of at most two read time-outs each.
    QTest::newRow("settings' defaults") << 1000 << 1000 << 1000 << 0 << 7000;
    QTest::newRow("engine's defaults") << 3000 << 1000 << 2000 << 0 << 13000;
    QTest::newRow("set explicitly") << 3000 << 1000 << 2000 << 2500 << 2500;
    QTest::newRow("negative waits count as none") << -5 << -5 << -5 << 0 << 0;
}

void TestScanBounds::motorQueryBound()
{
    QFETCH(int, connected);
    QFETCH(int, written);
    QFETCH(int, read);
    QFETCH(int, explicitBound);
    QFETCH(int, bound);
    Client client;
    client.waitConnected = connected;
    client.waitWritten = written;
    client.waitRead = read;
    client.motorQueryTime = explicitBound;
    QCOMPARE(client.motorQueryBound(), bound);
}

// Once the phase is over a candidate is not even connected to, but it still yields its record.
void TestScanBounds::expiredPhaseAddsPlainRecord()
{
    Client client;
    QElapsedTimer timer;
    timer.start();
    client.readXportInfo(QStringLiteral("127.0.0.66"), QStringLiteral("00:20:4a:00:00:01"), QDeadlineTimer(0));
    QVERIFY(timer.elapsed() < 100);
    const QList<Device_t> devices = client.devices();
    QCOMPARE(devices.size(), 1);
    QCOMPARE(devices.first().code, QStringLiteral("4100"));
    QCOMPARE(devices.first().mac, QStringLiteral("00:20:4A:00:00:01"));
    QCOMPARE(devices.first().group, QString());
}

QTEST_GUILESS_MAIN(TestScanBounds)
#include "tst_scanbounds.moc"
