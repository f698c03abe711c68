// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/sampledevices.h"
#include "netconf/addressconflicts.h"

#include <QtTest>

namespace {
using Batch = QList<AddressConflicts::Change>;

// MACs 02:00:00:00:21:00, :11:00 and :31:00 at 10.0.0.2, 10.0.0.10 and 10.0.0.30.
QList<Device_t> threeDevices()
{
    return {makeDevice("2100", "10.0.0.2"), makeDevice("1100", "10.0.0.10"), makeDevice("3100", "10.0.0.30")};
}

const QString beamline = QStringLiteral("02:00:00:00:21:00");
const QString supply = QStringLiteral("02:00:00:00:11:00");
const QString transducer = QStringLiteral("02:00:00:00:31:00");

QList<interfaces_t> host()
{
    return {{QStringLiteral("eth0"), QStringLiteral("10.0.0.100"), QStringLiteral("255.255.255.0"), true},
            {QStringLiteral("wlan0"), QStringLiteral("192.168.1.7"), QStringLiteral("255.255.255.0"), false}};
}

// "kind:mac-of-the-other" per conflict, "host:" for this computer, in the order found.
QStringList summary(const QList<AddressConflicts::Conflict>& conflicts)
{
    QStringList lines;
    for (const AddressConflicts::Conflict& conflict : conflicts) {
        const char* kind = conflict.kind == AddressConflicts::Kind::Unit   ? "unit"
                           : conflict.kind == AddressConflicts::Kind::Host ? "host"
                                                                           : "batch";
        lines << QStringLiteral("%1>%2:%3").arg(conflict.mac, QLatin1String(kind), conflict.otherMac);
    }
    return lines;
}
} // namespace

Q_DECLARE_METATYPE(Batch)

// Which new addresses of a batch someone else would answer at, before anything is sent.
class TestAddressConflicts : public QObject
{
    Q_OBJECT

private slots:
    void conflicts_data();
    void conflicts();
    void conflictNamesTheOtherUnit();
    void conflictsOfOneUnit();
};

void TestAddressConflicts::conflicts_data()
{
    QTest::addColumn<Batch>("batch");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("free address") << Batch{{supply, "10.0.0.50"}} << QStringList();
    QTest::newRow("keeps its own address") << Batch{{supply, "10.0.0.10"}} << QStringList();
    QTest::newRow("own address typed with spaces") << Batch{{supply, " 10.0.0.10 "}} << QStringList();
    QTest::newRow("address of another unit")
        << Batch{{supply, "10.0.0.2"}} << QStringList{supply + ">unit:" + beamline};
    QTest::newRow("address of another unit, MAC in lower case")
        << Batch{{supply.toLower(), "10.0.0.30"}} << QStringList{supply.toLower() + ">unit:" + transducer};
    QTest::newRow("address of this computer") << Batch{{supply, "10.0.0.100"}} << QStringList{supply + ">host:"};
    QTest::newRow("address of an interface not scanned")
        << Batch{{supply, "192.168.1.7"}} << QStringList{supply + ">host:"};
    QTest::newRow("same address twice in the batch")
        << Batch{{supply, "10.0.0.60"}, {transducer, "10.0.0.60"}}
        << QStringList{supply + ">batch:" + transducer, transducer + ">batch:" + supply};
    QTest::newRow("address the other unit leaves in the batch")
        << Batch{{supply, "10.0.0.2"}, {beamline, "10.0.0.70"}} << QStringList();
    QTest::newRow("swap within the batch") << Batch{{supply, "10.0.0.2"}, {beamline, "10.0.0.10"}} << QStringList();
    QTest::newRow("the other unit keeps the address in the batch")
        << Batch{{supply, "10.0.0.2"}, {beamline, "10.0.0.2"}} << QStringList{supply + ">unit:" + beamline};
    QTest::newRow("unit not found takes a found unit's address")
        << Batch{{"02:AA:00:00:00:01", "10.0.0.30"}} << QStringList{"02:AA:00:00:00:01>unit:" + transducer};
    QTest::newRow("text that is no address") << Batch{{supply, "10.0.0"}} << QStringList();
}

void TestAddressConflicts::conflicts()
{
    QFETCH(Batch, batch);
    QFETCH(QStringList, expected);
    QCOMPARE(summary(AddressConflicts::find(threeDevices(), host(), batch)), expected);
}

void TestAddressConflicts::conflictNamesTheOtherUnit()
{
    const auto unit = AddressConflicts::find(threeDevices(), host(), {{supply, "10.0.0.2"}});
    QCOMPARE(unit.size(), 1);
    QCOMPARE(unit.first().text(),
             QStringLiteral("10.0.0.2 is already used by Group 2100 SN2100 (%1) at 10.0.0.2").arg(beamline));
    const auto computer = AddressConflicts::find(threeDevices(), host(), {{supply, "10.0.0.100"}});
    QCOMPARE(computer.first().text(), QStringLiteral("10.0.0.100 is already used by this computer (eth0)"));
    const auto twice = AddressConflicts::find(threeDevices(), host(), {{supply, "10.0.0.60"}, {beamline, "10.0.0.60"}});
    QVERIFY2(twice.first().text().contains(QStringLiteral("Group 2100 SN2100 (%1)").arg(beamline)),
             qPrintable(twice.first().text()));
}

void TestAddressConflicts::conflictsOfOneUnit()
{
    const auto all = AddressConflicts::find(threeDevices(), host(), {{supply, "10.0.0.2"}, {transducer, "10.0.0.100"}});
    QCOMPARE(all.size(), 2);
    QCOMPARE(AddressConflicts::ofUnit(all, transducer.toLower()).size(), 1);
    QCOMPARE(AddressConflicts::ofUnit(all, transducer).first().kind, AddressConflicts::Kind::Host);
    QCOMPARE(AddressConflicts::texts(all).size(), 2);
}

QTEST_GUILESS_MAIN(TestAddressConflicts)
#include "tst_addressconflicts.moc"
