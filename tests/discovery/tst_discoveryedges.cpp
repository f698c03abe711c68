// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Runs on the tool side of the lab tests/labs/discovery-edges.json; the expected
// records below are written by hand from that file.
#include "common/simlog.h"
#include "dialogs/networkinterfaces.h"
#include "discovery/client.h"
#include "model/wellknownports.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QtTest>

namespace {
QString describe(const Device_t& d)
{
    const QStringList fields{d.code, d.moduleId, d.group,   d.description, d.brand, d.serialNumber, d.firmwareVersion,
                             d.mac,  d.ip,       d.netmask, d.gateway,     d.dhcp};
    return fields.join(QLatin1Char('|'));
}

QString nuls(int count)
{
    return QString(count, QChar(0));
}
} // namespace

class TestDiscoveryEdges : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void edgesOfTheLab();
};

void TestDiscoveryEdges::initTestCase()
{
    QVERIFY2(SimLog::available(), "run this test through the namespace harness");
}

void TestDiscoveryEdges::edgesOfTheLab()
{
    const int mark = SimLog::lines().size();
    NetworkInterfaces holder;
    holder.scanInterfaces();
    QCOMPARE(holder.interfaces().size(), 2);

    Client client;
    client.scanTime = 400;
    client.flagSendUnicast = true;
    client.startIp = QHostAddress(QStringLiteral("10.79.1.9"));
    client.endIp = QHostAddress(QStringLiteral("10.79.1.10"));
    client.waitConnected = 1000;
    client.waitWritten = 500;
    client.waitRead = 500;
    QList<int> progress;
    connect(&client, &Client::signalUpdateProgressBar, this, [&progress](int value) {
        progress << value;
        QCoreApplication::processEvents();
    });
    QElapsedTimer timer;
    timer.start();
    const QList<Device_t> found = client.startScan(holder.interfaces());
    const qint64 elapsed = timer.elapsed();

    QStringList lines;
    for (const Device_t& record : found)
        lines << describe(record);
    const QStringList answers{
        // Answered both the sweep and the broadcast: one record.
        "2100|BO01|Lumen|Beam position monitor electronics||1|1.0.00|02:00:00:0E:00:10|10.79.1.10|255.255.255.0|"
        "10.79.1.1|",
        // Twenty bytes long: everything after the MAC reads as zero.
        "2100|" + nuls(4) + "|Lumen|Beam position monitor electronics||0|" + nuls(1) + "." + nuls(1) + "." + nuls(2) +
            "|02:00:00:0E:00:11|0.0.0.0|0.0.0.0|0.0.0.0|",
        // Two JSON answers without an object: both empty, and equal by their empty MAC.
        "|||||||||||",
        "1100|OUT|Aurel|Bipolar precision power supply, 20 A||PS0007|0.9|02:00:00:0E:00:77|192.168.7.7|255.255.255.0|"
        "10.79.1.1|0",
        "3100|Unknown|Corvix|Zero-flux DC current transducer||51Y32W5476|3.1.04|02:00:00:0F:03:04|10.80.3.4|"
        "255.255.0.0|10.80.0.1|",
    };
    if (lines.mid(0, answers.size()) != answers)
        qWarning().noquote() << "found:\n" << lines.join(QLatin1Char('\n'));
    QCOMPARE(lines.mid(0, answers.size()), answers);
    QStringList modules = lines.mid(answers.size());
    modules.sort();
    QCOMPARE(modules, (QStringList{
                          "4100|||||||00:20:4A:0E:00:50|10.79.1.50|255.255.255.0|192.168.0.1|NA",
                          "4100|||||||00:20:4A:0E:00:78|192.168.7.8|255.255.255.0|192.168.0.1|NA",
                          "4200|KV0042|Kolvex|Two-axis motor driver||KV0042|2.10|00:20:4A:0F:09:09|10.80.9.9|"
                          "255.255.255.0|192.168.0.1|NA",
                      }));
    QCOMPARE(progress.size(), 82);
    QVERIFY2(elapsed < 400 + 1500, qPrintable(QString::number(elapsed)));

    const SimLog::Lines log = SimLog::lines().mid(mark);
    // The Lantronix query goes to each interface's directed broadcast, /16 included.
    const SimLog::Lines lantronix = SimLog::udpHeard(log, port::lantronix, QStringLiteral("ke1"));
    QCOMPARE(lantronix.size(), 1);
    QCOMPARE(lantronix.first().value(QLatin1String("dst")).toString(), QStringLiteral("10.80.255.255"));
    QCOMPARE(lantronix.first().value(QLatin1String("src")).toString(), QStringLiteral("10.80.0.1:30718"));
    QCOMPARE(lantronix.first().value(QLatin1String("hex")).toString(), QStringLiteral("000100f6"));
    // Byte for byte what a motor driver is asked, and a module that hangs up after the first command.
    QCOMPARE(SimLog::tcpReceived(log, QStringLiteral("xpWide")), QByteArray("MVER\r\nMRG:22\r\n"));
    QCOMPARE(SimLog::tcpReceived(log, QStringLiteral("xpDrop")), QByteArray("MVER\r\n"));
    // The sweep reached both addresses of its range, from a port of the system's choice.
    const SimLog::Lines sweep =
        SimLog::filter(SimLog::udpHeard(log, port::discovery, QStringLiteral("ke0")), [](const QJsonObject& l) {
            return l.value(QLatin1String("dst")).toString() != QLatin1String("255.255.255.255");
        });
    QCOMPARE(sweep.size(), 1); // 10.79.1.9 has no unit: nobody on the lab side hears it
    QCOMPARE(sweep.first().value(QLatin1String("dst")).toString(), QStringLiteral("10.79.1.10"));
    QCOMPARE(sweep.first().value(QLatin1String("hex")).toString(),
             QString::fromLatin1(QByteArray("Ostravi Dev?").toHex()));
    QVERIFY(!sweep.first().value(QLatin1String("src")).toString().endsWith(QLatin1String(":30719")));
}

QTEST_MAIN(TestDiscoveryEdges)
#include "tst_discoveryedges.moc"
