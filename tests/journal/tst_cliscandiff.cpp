// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// kestrion-cli scan --diff on the tool side of the lab tests/labs/scan-diff.json: the first scan has
// nothing to compare with and is kept; against a last scan the test rewrites (a unit that has gone, one
// at another address, one that was not there) it names each difference, as a table and as JSON.
#include "cli/clirunner.h"
#include "journal/scansnapshot.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString supplyMac = QStringLiteral("02:C1:00:06:00:10");
const QString beamlineMac = QStringLiteral("02:C1:00:06:00:11");
const QString goneMac = QStringLiteral("02:C1:00:06:0F:01");
const QStringList scanOptions{"--interface", "kd0", "--time", "1500"};
} // namespace

class TestCliScanDiff : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstScanHasNothingToCompareAndIsKept();
    void differencesAgainstAnEarlierScan();
    void plainScanIsUnchanged();

private:
    CliRunner::Result scan(const QStringList& arguments);
    void writeEarlierScan();

    QTemporaryDir m_home;
    QDateTime m_earlier;
};

void TestCliScanDiff::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS"))
        QSKIP("runs only inside the namespace harness");
    QVERIFY(m_home.isValid());
}

CliRunner::Result TestCliScanDiff::scan(const QStringList& arguments)
{
    return CliRunner::run(QStringList{"scan", "--diff"} + arguments + scanOptions, m_home.path());
}

void TestCliScanDiff::firstScanHasNothingToCompareAndIsKept()
{
    const CliRunner::Result result = scan({});
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    QVERIFY2(result.out.contains("No earlier scan to compare with."), result.out.constData());
    const std::optional<ScanSnapshot::Scan> kept = ScanSnapshot(CliRunner::dataDirectory(m_home.path())).load();
    QVERIFY(kept);
    QCOMPARE(kept->devices.size(), 2);
}

// The supply was at another address with older firmware, the beamline unit was not there, and a unit
// that answers no more was.
void TestCliScanDiff::writeEarlierScan()
{
    const ScanSnapshot snapshot(CliRunner::dataDirectory(m_home.path()));
    std::optional<ScanSnapshot::Scan> last = snapshot.load();
    QVERIFY(last);
    QList<Device_t> earlier;
    for (Device_t device : last->devices) {
        if (device.mac == beamlineMac)
            continue;
        if (device.mac == supplyMac) {
            device.ip = "10.79.6.99";
            device.firmwareVersion = "2.14";
        }
        earlier.append(device);
    }
    Device_t gone = earlier.first();
    gone.mac = goneMac;
    gone.serialNumber = "PS6099";
    gone.ip = "10.79.6.98";
    earlier.append(gone);
    m_earlier = QDateTime::currentDateTimeUtc().addSecs(-7200);
    QCOMPARE(snapshot.save(earlier, m_earlier), QString());
}

void TestCliScanDiff::differencesAgainstAnEarlierScan()
{
    writeEarlierScan();
    const CliRunner::Result json = scan({"--json"});
    QVERIFY(json.finished);
    QCOMPARE(json.exitCode, 0);
    const QJsonObject root = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(root.value("devices").toArray().size(), 2);
    const QJsonObject difference = root.value("difference").toObject();
    QCOMPARE(QDateTime::fromString(difference.value("previousScan").toString(), Qt::ISODateWithMs), m_earlier);
    const QJsonArray added = difference.value("added").toArray();
    QCOMPARE(added.size(), 1);
    QCOMPARE(added.at(0).toObject().value("MAC").toString(), beamlineMac);
    const QJsonArray removed = difference.value("removed").toArray();
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.at(0).toObject().value("MAC").toString(), goneMac);
    QCOMPARE(QDateTime::fromString(removed.at(0).toObject().value("lastSeen").toString(), Qt::ISODateWithMs),
             m_earlier);
    const QJsonArray changed = difference.value("changed").toArray();
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).toObject().value("MAC").toString(), supplyMac);
    const QJsonArray changes = changed.at(0).toObject().value("changes").toArray();
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.at(0).toObject(), QJsonObject({{"field", "FW"}, {"old", "2.14"}, {"new", "2.15"}}));
    QCOMPARE(changes.at(1).toObject(), QJsonObject({{"field", "IP"}, {"old", "10.79.6.99"}, {"new", "10.79.6.10"}}));

    // The scan above replaced the earlier one: against it, the same lab has not changed.
    const CliRunner::Result again = scan({});
    QCOMPARE(again.exitCode, 0);
    QVERIFY2(again.out.contains("Nothing changed since the last scan"), again.out.constData());

    writeEarlierScan();
    const CliRunner::Result table = scan({});
    QCOMPARE(table.exitCode, 0);
    const QString text = QString::fromUtf8(table.out);
    QVERIFY2(text.contains("1 added, 1 removed, 1 changed"), qPrintable(text));
    QVERIFY(text.contains(QRegularExpression("\nadded +" + beamlineMac)));
    QVERIFY(text.contains(QRegularExpression("\nremoved +" + goneMac + ".*last seen")));
    QVERIFY(text.contains(QString::fromUtf8("FW 2.14 \u2192 2.15, IP 10.79.6.99 \u2192 10.79.6.10")));
}

void TestCliScanDiff::plainScanIsUnchanged()
{
    const CliRunner::Result result = CliRunner::run(QStringList{"scan", "--json"} + scanOptions, m_home.path());
    QCOMPARE(result.exitCode, 0);
    QVERIFY(QJsonDocument::fromJson(result.out).isArray());
    const CliRunner::Result csv = CliRunner::run({"scan", "--diff", "--csv"}, m_home.path());
    QCOMPARE(csv.exitCode, 2);
    QVERIFY(csv.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliScanDiff)
#include "tst_cliscandiff.moc"
