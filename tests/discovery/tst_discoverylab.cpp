// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Runs on the tool side of the lab tests/labs/discovery-full.json; the expected
// records below are written by hand from that file.
#include "dialogs/networkinterfaces.h"
#include "discovery/client.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {
using Fields = QStringList; // code, id, group, description, brand, sn, fw, mac, ip, mask, gateway, dhcp

Fields fieldsOf(const Device_t& d)
{
    return {d.code, d.moduleId, d.group,   d.description, d.brand, d.serialNumber, d.firmwareVersion,
            d.mac,  d.ip,       d.netmask, d.gateway,     d.dhcp};
}

QString describe(const Device_t& d)
{
    QStringList info;
    for (const auto& entry : d.additionalInfo)
        info << entry.firstKey() + QLatin1Char('=') + entry.first();
    return fieldsOf(d).join(QLatin1Char('|')) + QStringLiteral(" +") + info.join(QLatin1Char(','));
}

const QString mask24 = QStringLiteral("255.255.255.0");
const QString lumenDesc = QStringLiteral("Beam position monitor electronics");

// The answers of the broadcast and unicast queries, in the order their delays make them arrive.
QStringList expectedAnswers()
{
    return {
        "1100|MOD-A|Aurel|Bipolar precision power supply, 20 A||PS1001|2.15|02:00:00:01:00:10|10.77.1.10|255.255.255.0|"
        "10.77.1.1|1 +",
        "2101|BL01|Lumen|Beam position monitor electronics, variant 1||12Y34W567|1.2.03|02:00:00:01:00:11|10.77.1.11|"
        "255.255.255.0|10.77.1.1| +",
        "2100|BX02|Lumen|Beam position monitor electronics||12345|2.0.00|02:00:00:01:00:12|10.77.1.12|255.255.255.0|"
        "10.77.1.1| +",
        "1600|VK01|Vesk|Compact digital power supply||12Y34W56|1.2.03|02:00:00:01:00:13|10.77.1.13|255.255.255.0|"
        "10.77.1.1|Unknown +",
        "3100|CTX-9|Corvix|Zero-flux DC current transducer||51Y32W5476|3.1.04|02:00:00:01:00:14|10.77.1.14|"
        "255.255.255.0|10.77.1.1| +",
        "3100|Unknown|Corvix|Zero-flux DC current transducer||10A32X547|3.1.05|02:00:00:01:00:15|10.77.1.15|"
        "255.255.255.0|10.77.1.1| +",
        "6100|DRV|Dravo|Network and firmware test tool||f7Y55Wc010|6.1.00|02:00:00:01:00:16|10.77.1.16|255.255.255.0|"
        "10.77.1.1| +",
        "1700|J1|Sorin|Sorin unit|VALDIS|J0001|4.0.1|02:00:00:01:00:20|10.77.1.20|255.255.255.0|10.77.1.1|0 +XTRA=yes",
        "1200|MOD-B|Brisk|Fast-ramping magnet power supply||PS2002|1.07|02:00:00:02:00:10|10.77.2.10|255.255.255.0|"
        "10.77.2.1|0 +",
        "|||||||02:00:00:02:00:20|10.77.2.20||| +AA=first",
        "2100|UN01|Lumen|Beam position monitor electronics||7|3.0.00|02:00:00:01:00:30|10.77.1.30|255.255.255.0|"
        "10.77.1.1| +",
        "2100|DK01|Lumen|Beam position monitor electronics||8|3.0.00|02:00:00:05:00:10|10.77.5.10|255.255.255.0|"
        "10.77.5.1| +",
    };
}

// Motor drivers and plain modules, in no particular order (their queries run in parallel).
QStringList expectedModules()
{
    QStringList modules{
        "4100|||||||00:20:4A:01:00:40|10.77.1.40|255.255.255.0|192.168.0.1|NA +",
        "4200|KV0042|Kolvex|Two-axis motor driver||KV0042|2.10|00:20:4A:01:00:41|10.77.1.41|255.255.255.0|"
        "192.168.0.1|NA +",
        "4100|||||||00:20:4A:01:00:42|10.77.1.42|255.255.255.0|192.168.0.1|NA +",
        "4200|KV0044|Kolvex|Two-axis motor driver||KV0044|3.01|00:20:4A:01:00:43|10.77.1.43|255.255.255.0|"
        "192.168.0.1|NA +",
        "4100|||||||00:20:4A:02:00:44|10.77.2.44|255.255.255.0|192.168.0.1|NA +",
        "4100||XPort Module|Serial-to-Ethernet module of a motor driver||||00:20:4A:02:00:45|10.77.2.45|"
        "255.255.255.0|192.168.0.1|NA +",
        "4200|KV0046|Kolvex|Two-axis motor driver||KV0046|4.20|00:20:4A:02:00:46|10.77.2.46|255.255.255.0|"
        "192.168.0.1|NA +",
    };
    std::sort(modules.begin(), modules.end());
    return modules;
}

struct LogEntry
{
    QString link;
    int port = 0;
    QString src;
    QString dst;
    int length = 0;
};

QList<LogEntry> udpLog()
{
    QList<LogEntry> entries;
    QFile file(qEnvironmentVariable("KESTRION_SIM_LOG"));
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    while (!file.atEnd()) {
        const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
        if (line.value(QStringLiteral("proto")).toString() != QLatin1String("udp"))
            continue;
        entries.append({line.value(QStringLiteral("link")).toString(), line.value(QStringLiteral("port")).toInt(),
                        line.value(QStringLiteral("src")).toString(), line.value(QStringLiteral("dst")).toString(),
                        line.value(QStringLiteral("len")).toInt()});
    }
    return entries;
}

int countHeard(const QList<LogEntry>& log, const QString& link, int port, const QString& src, const QString& dst,
               int length)
{
    return int(std::count_if(log.cbegin(), log.cend(), [&](const LogEntry& e) {
        return e.link == link && e.port == port && (src.isEmpty() || e.src == src) && e.dst == dst &&
               e.length == length;
    }));
}
} // namespace

class TestDiscoveryLab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void scanFindsTheLab();
    void queriesLeaveOnlySelectedInterfaces();

private:
    QList<interfaces_t> labInterfaces();
    QList<Device_t> scan(QList<int>* progress, qint64* elapsedMs);
};

void TestDiscoveryLab::initTestCase()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("KESTRION_SIM_LOG"), "run this test through the namespace harness");
}

QList<interfaces_t> TestDiscoveryLab::labInterfaces()
{
    NetworkInterfaces holder;
    holder.scanInterfaces();
    QList<interfaces_t> list = holder.interfaces();
    for (interfaces_t& record : list)
        record.selected = record.name != QLatin1String("kl3");
    return list;
}

QList<Device_t> TestDiscoveryLab::scan(QList<int>* progress, qint64* elapsedMs)
{
    Client client;
    client.scanTime = 800;
    client.flagSendUnicast = true;
    client.startIp = QHostAddress(QStringLiteral("10.77.1.25"));
    client.endIp = QHostAddress(QStringLiteral("10.77.1.35"));
    client.waitConnected = 1000;
    client.waitWritten = 500;
    client.waitRead = 500;
    connect(&client, &Client::signalUpdateProgressBar, this, [progress](int value) {
        progress->append(value);
        QCoreApplication::processEvents();
    });
    QList<interfaces_t> interfaces = labInterfaces();
    QElapsedTimer timer;
    timer.start();
    const QList<Device_t> found = client.startScan(interfaces);
    *elapsedMs = timer.elapsed();
    return found;
}

void TestDiscoveryLab::scanFindsTheLab()
{
    QStringList names;
    for (const interfaces_t& record : labInterfaces())
        names << record.name + QLatin1Char(' ') + record.ip + QLatin1Char(' ') + record.mask;
    names.sort();
    QCOMPARE(names, (QStringList{"Docker0 10.77.5.1 255.255.255.0", "docker0 10.77.3.1 255.255.255.0",
                                 "kl0 10.77.1.1 255.255.255.0", "kl1 10.77.2.1 255.255.255.0",
                                 "kl3 10.77.4.1 255.255.255.0"}));

    // Twice: the second scan must work on the sockets the first one replaced.
    for (int round = 0; round < 2; ++round) {
        QList<int> progress;
        qint64 elapsed = 0;
        const QList<Device_t> found = scan(&progress, &elapsed);
        QStringList lines;
        for (const Device_t& record : found)
            lines << describe(record);
        const QStringList answers = expectedAnswers();
        if (lines.mid(0, answers.size()) != answers)
            qWarning().noquote() << "found:\n" << lines.join(QLatin1Char('\n'));
        QCOMPARE(lines.mid(0, answers.size()), answers);
        QStringList modules = lines.mid(answers.size());
        std::sort(modules.begin(), modules.end());
        QCOMPARE(modules, expectedModules());

        QList<int> expectedProgress{0};
        for (int i = 0; i < 80; ++i)
            expectedProgress << 1;
        expectedProgress << 100;
        QCOMPARE(progress, expectedProgress);
        // 800 ms of listening, then the slowest module query: two lines without CR, each ended by
        // a read time-out of 500 ms, or a stream cut by the line bounds.
        QVERIFY2(elapsed < 800 + 2500, qPrintable(QString::number(elapsed)));
    }
}

void TestDiscoveryLab::queriesLeaveOnlySelectedInterfaces()
{
    const QList<LogEntry> log = udpLog();
    QVERIFY(!log.isEmpty());
    const QString broadcast = QStringLiteral("255.255.255.255");
    QCOMPARE(countHeard(log, "kl0", 30719, "10.77.1.1:30719", broadcast, 12), 2);
    QCOMPARE(countHeard(log, "kl1", 30719, "10.77.2.1:30719", broadcast, 12), 2);
    QCOMPARE(countHeard(log, "Docker0", 30719, "10.77.5.1:30719", broadcast, 12), 2);
    QCOMPARE(countHeard(log, "kl0", 30718, "10.77.1.1:30718", "10.77.1.255", 4), 2);
    QCOMPARE(countHeard(log, "kl1", 30718, "10.77.2.1:30718", "10.77.2.255", 4), 2);
    QCOMPARE(countHeard(log, "Docker0", 30718, "10.77.5.1:30718", "10.77.5.255", 4), 2);
    QCOMPARE(countHeard(log, "kl0", 30719, QString(), "10.77.1.30", 12), 2);
    for (const LogEntry& entry : log) {
        QVERIFY2(entry.link != QLatin1String("docker0"), qPrintable(entry.src + " -> " + entry.dst));
        QVERIFY2(entry.link != QLatin1String("kl3"), qPrintable(entry.src + " -> " + entry.dst));
        // Every query came from the interface's own discovery or Lantronix port, or from the sweep socket.
        if (entry.dst == broadcast)
            QVERIFY2(entry.src.endsWith(QLatin1String(":30719")), qPrintable(entry.src));
    }
}

QTEST_MAIN(TestDiscoveryLab)
#include "tst_discoverylab.moc"
