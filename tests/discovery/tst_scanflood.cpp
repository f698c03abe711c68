// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Runs on the tool side of the lab tests/labs/discovery-flood.json: one hostile host per link floods
// every scan with forged answers. Each scan selects one link, so only that link's flooder fires.
#include "app/statusreporter.h"
#include "common/simlog.h"
#include "discovery/client.h"
#include "discovery/hostinterfaces.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QStatusBar>
#include <QtTest>

namespace {
// Room for a loaded CI machine; the bounds themselves are far tighter than an unbounded scan.
constexpr qint64 toleranceMs = 1500;
constexpr qint64 peakMemoryLimitKiB = 100 * 1024;
// AddressSanitizer's shadow memory and quarantine make a process's peak say nothing about the program.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool addressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool addressSanitizer = true;
#else
constexpr bool addressSanitizer = false;
#endif
#else
constexpr bool addressSanitizer = false;
#endif
constexpr int floodEndWaitMs = 20000;
const QString expectedWarning = QStringLiteral("more than 10000 answers; the rest were ignored");

QList<interfaces_t> onlyLink(const QString& name)
{
    QList<interfaces_t> interfaces = hostInterfaces::enumerate();
    for (interfaces_t& entry : interfaces)
        entry.selected = entry.name == name;
    return interfaces;
}

qint64 peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

QSet<QString> macsOf(const QList<Device_t>& devices)
{
    QSet<QString> macs;
    for (const Device_t& device : devices)
        macs.insert(device.mac);
    return macs;
}

bool floodEnded(const QString& unit)
{
    const SimLog::Lines floods = SimLog::events(SimLog::lines(), QStringLiteral("flood"), unit);
    return !SimLog::filter(floods, [](const QJsonObject& line) {
                return line.value(QLatin1String("phase")).toString() == QLatin1String("end");
            }).isEmpty();
}
} // namespace

class TestScanFlood : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void forgedAnswersUnderManyMacs();
    void forgedAnswersUnderOneMac();
    void forgedModulesThatNeverAnswer();
    void garbageOnTheModulePort();
    void peakMemory();

private:
    QList<Device_t> scan(Client& client, const QString& link, qint64& elapsed);
};

void TestScanFlood::initTestCase()
{
    QVERIFY2(SimLog::available(), "run this test through the namespace harness");
}

QList<Device_t> TestScanFlood::scan(Client& client, const QString& link, qint64& elapsed)
{
    connect(&client, &Client::signalUpdateProgressBar, this, [] { QCoreApplication::processEvents(); });
    QList<interfaces_t> interfaces = onlyLink(link);
    QElapsedTimer timer;
    timer.start();
    const QList<Device_t> found = client.startScan(interfaces);
    elapsed = timer.elapsed();
    client.clearDevicesList();
    qInfo().noquote() << QStringLiteral("%1: %2 records in %3 ms, peak memory %4 KiB")
                             .arg(link)
                             .arg(found.size())
                             .arg(elapsed)
                             .arg(peakMemoryKiB());
    return found;
}

// A flood still going would reach the next case's scan, which listens on the same port: each case ends
// only when the flood it started has, also when it failed.
void TestScanFlood::cleanup()
{
    for (const QString& flooder : {QStringLiteral("floodRandom"), QStringLiteral("floodOneMac"),
                                   QStringLiteral("floodModules"), QStringLiteral("garbageModules")}) {
        const bool started = !SimLog::events(SimLog::lines(), QStringLiteral("flood"), flooder).isEmpty();
        if (started)
            QTRY_VERIFY_WITH_TIMEOUT(floodEnded(flooder), floodEndWaitMs);
    }
}

void TestScanFlood::forgedAnswersUnderManyMacs()
{
    Client client;
    // Under AddressSanitizer the simulator and the decoding run several times slower: the scan listens
    // long enough for the cap to be reached all the same.
    client.scanTime = addressSanitizer ? 8000 : 2000;
    qint64 elapsed = 0;
    const QList<Device_t> found = scan(client, QStringLiteral("kf0"), elapsed);
    QVERIFY2(elapsed <= client.scanTime + toleranceMs, qPrintable(QString::number(elapsed)));
    QVERIFY(found.size() <= Client::maxScanRecords);
    QCOMPARE(macsOf(found).size(), found.size());
    QCOMPARE(client.scanWarning(), expectedWarning);
    // The window says it too, after its usual summary.
    QStatusBar bar;
    StatusReporter reporter(&bar);
    reporter.scanFinished(found.size(), onlyLink(QStringLiteral("kf0")), client);
    QVERIFY2(reporter.summary().contains(expectedWarning), qPrintable(reporter.summary()));
    QTRY_VERIFY_WITH_TIMEOUT(floodEnded(QStringLiteral("floodRandom")), floodEndWaitMs);
}

// Duplicates are removed after the last answer is decoded: one row for the flooder, one for the real unit.
void TestScanFlood::forgedAnswersUnderOneMac()
{
    Client client;
    client.scanTime = 1000;
    qint64 elapsed = 0;
    const QList<Device_t> found = scan(client, QStringLiteral("kf1"), elapsed);
    QVERIFY2(elapsed <= client.scanTime + toleranceMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(macsOf(found), (QSet<QString>{QStringLiteral("02:00:00:10:00:10"), QStringLiteral("02:00:00:66:00:02")}));
    QCOMPARE(found.size(), 2);
    QCOMPARE(found.first().mac, QStringLiteral("02:00:00:10:00:10"));
    QTRY_VERIFY_WITH_TIMEOUT(floodEnded(QStringLiteral("floodOneMac")), floodEndWaitMs);
}

// Unbounded, each of these queries would wait out its read time-out, ten at a time, for every forged module.
void TestScanFlood::forgedModulesThatNeverAnswer()
{
    Client client;
    client.scanTime = 500;
    client.waitConnected = 1000;
    client.waitWritten = 1000;
    client.waitRead = 2000;
    client.motorQueryTime = 3000;
    qint64 elapsed = 0;
    const QList<Device_t> found = scan(client, QStringLiteral("kf2"), elapsed);
    QVERIFY2(elapsed <= client.scanTime + client.motorQueryTime + toleranceMs, qPrintable(QString::number(elapsed)));
    QVERIFY2(found.size() > 2 * client.nThreads, "more forged modules than the phase could query one by one");
    QVERIFY(found.size() <= Client::maxScanRecords);
    QCOMPARE(macsOf(found).size(), found.size());
    for (const Device_t& device : found) {
        QCOMPARE(device.code, QStringLiteral("4100"));
        QCOMPARE(device.ip, QStringLiteral("10.81.3.66"));
    }
    const SimLog::Lines connects =
        SimLog::tcp(SimLog::lines(), QStringLiteral("floodModules"), QStringLiteral("connect"));
    QVERIFY(!connects.isEmpty());
    QVERIFY(connects.size() < found.size());
    QTRY_VERIFY_WITH_TIMEOUT(floodEnded(QStringLiteral("floodModules")), floodEndWaitMs);
}

// Datagrams of module size that are no module's answer give no row, and the scan says how many it dropped.
void TestScanFlood::garbageOnTheModulePort()
{
    Client client;
    client.scanTime = 1000;
    qint64 elapsed = 0;
    const QList<Device_t> found = scan(client, QStringLiteral("kf3"), elapsed);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().mac, QStringLiteral("00:20:4A:00:04:20"));
    QCOMPARE(found.first().code, QStringLiteral("4200"));
    QTRY_VERIFY_WITH_TIMEOUT(floodEnded(QStringLiteral("garbageModules")), floodEndWaitMs);
    const SimLog::Lines floods =
        SimLog::events(SimLog::lines(), QStringLiteral("flood"), QStringLiteral("garbageModules"));
    const int sent = floods.last().value(QLatin1String("sent")).toInt();
    // Datagrams beyond the socket's receive buffer are dropped by the system, not counted by anyone.
    const int dropped = client.foreignLantronixAnswers();
    QVERIFY2(dropped > 0 && dropped <= sent, qPrintable(QStringLiteral("%1 of %2").arg(dropped).arg(sent)));
    QCOMPARE(client.scanWarning(), QStringLiteral("%1 answers on 30718 were not XPort answers").arg(dropped));
    QStatusBar bar;
    StatusReporter reporter(&bar);
    reporter.scanFinished(found.size(), onlyLink(QStringLiteral("kf3")), client);
    QVERIFY2(reporter.summary().contains(client.scanWarning()), qPrintable(reporter.summary()));
}

void TestScanFlood::peakMemory()
{
    if (addressSanitizer)
        QSKIP("the peak of a process under AddressSanitizer is not the program's");
    const qint64 peak = peakMemoryKiB();
    QVERIFY(peak > 0);
    QVERIFY2(peak <= peakMemoryLimitKiB, qPrintable(QStringLiteral("%1 KiB").arg(peak)));
}

QTEST_MAIN(TestScanFlood)
#include "tst_scanflood.moc"
