// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What changed between two scans: units added, removed with when they were last seen, and changed field
// by field, matched by MAC (or serial without one); and the last scan kept on disk as it was.
#include "journal/scandifference.h"
#include "journal/scansnapshot.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
Device_t unit(const QString& mac, const QString& serial, const QString& ip)
{
    Device_t device;
    device.code = "1100";
    device.group = "Power supplies";
    device.description = "Bipolar supply";
    device.serialNumber = serial;
    device.firmwareVersion = "2.15";
    device.mac = mac;
    device.ip = ip;
    device.netmask = "255.255.255.0";
    device.gateway = "10.0.0.1";
    device.dhcp = "0";
    device.additionalInfo = {{{"temperature", "41"}}};
    return device;
}
} // namespace

class TestScanDifference : public QObject
{
    Q_OBJECT

private slots:
    void addedRemovedAndChangedByMac();
    void sameUnitsMeanNoDifference();
    void unitWithoutMacIsMatchedBySerial();
    void snapshotRoundTrip();
    void missingOrDamagedSnapshot();
};

void TestScanDifference::addedRemovedAndChangedByMac()
{
    const QDateTime taken = QDateTime::currentDateTimeUtc().addSecs(-3600);
    const ScanSnapshot::Scan previous{taken,
                                      {unit("02:C1:00:00:00:01", "PS1", "10.0.0.11"),
                                       unit("02:C1:00:00:00:02", "PS2", "10.0.0.12"),
                                       unit("02:C1:00:00:00:03", "PS3", "10.0.0.13")}};
    Device_t moved = unit("02:c1:00:00:00:01", "PS1", "10.0.0.51");
    moved.dhcp = "1";
    moved.firmwareVersion = "2.16";
    // Extra pairs such as a temperature differ from answer to answer and are no change.
    Device_t warmer = unit("02:C1:00:00:00:03", "PS3", "10.0.0.13");
    warmer.additionalInfo = {{{"temperature", "45"}}};
    const QList<Device_t> now{moved, warmer, unit("02:C1:00:00:00:04", "PS4", "10.0.0.14")};

    const ScanDifference difference = ScanDifference::between(previous, now);
    QCOMPARE(difference.previousScan, taken);
    QCOMPARE(difference.added.size(), 1);
    QCOMPARE(difference.added.first().mac, QStringLiteral("02:C1:00:00:00:04"));
    QCOMPARE(difference.removed.size(), 1);
    QCOMPARE(difference.removed.first().device.mac, QStringLiteral("02:C1:00:00:00:02"));
    QCOMPARE(difference.removed.first().lastSeen, taken);
    QCOMPARE(difference.changed.size(), 1);
    const ScanDifference::Changed& changed = difference.changed.first();
    QCOMPARE(changed.device.ip, QStringLiteral("10.0.0.51"));
    QStringList fields;
    for (const ScanDifference::FieldChange& field : changed.fields)
        fields.append(field.field + ':' + field.before + '>' + field.after);
    // Firmware, address and DHCP changed; the MAC's letter case is no change.
    QCOMPARE(fields, QStringList({"FW:2.15>2.16", "IP:10.0.0.11>10.0.0.51", "DHCP:off>on"}));
}

void TestScanDifference::sameUnitsMeanNoDifference()
{
    const QList<Device_t> units{unit("02:C1:00:00:00:01", "PS1", "10.0.0.11"),
                                unit("02:C1:00:00:00:02", "PS2", "10.0.0.12")};
    QVERIFY(ScanDifference::between({QDateTime::currentDateTimeUtc(), units}, units).isEmpty());
    // DHCP "NA" and "Unknown" both read as unknown.
    QList<Device_t> unknown = units;
    unknown[0].dhcp = "NA";
    QList<Device_t> unknownToo = units;
    unknownToo[0].dhcp = "Unknown";
    QVERIFY(ScanDifference::between({QDateTime::currentDateTimeUtc(), unknown}, unknownToo).isEmpty());
}

void TestScanDifference::unitWithoutMacIsMatchedBySerial()
{
    const ScanSnapshot::Scan previous{QDateTime::currentDateTimeUtc(), {unit("", "CT-77", "10.0.0.30")}};
    const ScanDifference difference = ScanDifference::between(previous, {unit("", "CT-77", "10.0.0.31")});
    QVERIFY(difference.added.isEmpty());
    QVERIFY(difference.removed.isEmpty());
    QCOMPARE(difference.changed.size(), 1);
    QCOMPARE(difference.changed.first().fields.size(), 1);
    QCOMPARE(difference.changed.first().fields.first().field, QStringLiteral("IP"));
}

void TestScanDifference::snapshotRoundTrip()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const ScanSnapshot snapshot(directory.path() + "/data");
    const QDateTime taken = QDateTime::currentDateTimeUtc().addSecs(-60);
    const QList<Device_t> units{unit("02:C1:00:00:00:01", "PS1", "10.0.0.11"),
                                unit("02:C1:00:00:00:02", "PS2", "10.0.0.12")};
    QCOMPARE(snapshot.save(units, taken), QString());
    QString error;
    const std::optional<ScanSnapshot::Scan> loaded = snapshot.load(&error);
    QVERIFY(loaded);
    QVERIFY(error.isEmpty());
    QCOMPARE(loaded->taken, taken);
    QCOMPARE(loaded->devices.size(), 2);
    QCOMPARE(loaded->devices.at(1).mac, units.at(1).mac);
    QCOMPARE(loaded->devices.at(1).additionalInfo, units.at(1).additionalInfo);
    QVERIFY(ScanDifference::between(*loaded, units).isEmpty());
}

void TestScanDifference::missingOrDamagedSnapshot()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const ScanSnapshot snapshot(directory.path());
    QString error;
    QVERIFY(!snapshot.load(&error));
    QVERIFY(error.isEmpty());
    QFile file(snapshot.path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{\"taken\": ");
    file.close();
    QVERIFY(!snapshot.load(&error));
    QVERIFY(error.contains(snapshot.path()));
}

QTEST_GUILESS_MAIN(TestScanDifference)
#include "tst_scandifference.moc"
