// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/simlog.h"
#include "rawudp.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTcpSocket>
#include <QtTest>

#include <memory>
#include <thread>

// A lab of 200 units on one link (tests/labs/sim-scale.json): 100 legacy and 50 JSON units answer discovery,
// 50 XPort modules answer the Lantronix query, 40 of them with a driver. Every answer must arrive, scan after scan.
class TestSimScale : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyUnitAnswersEveryScan_data();
    void everyUnitAnswersEveryScan();
    void unicastSweepFindsEveryUnit();
    void everyModuleAnswersLantronix();
    void everyDriverAnswersInParallel();
    void noProblemsLogged();
};

namespace {
constexpr quint16 kDiscoveryPort = 30719;
constexpr quint16 kLantronixPort = 30718;
constexpr quint16 kSerialPort = 10001;
constexpr int kDiscoveryUnits = 150;
constexpr int kModules = 50;
constexpr int kDrivers = 40;
constexpr int kFirstUnit = 10;
constexpr int kScans = 5;
const QString kToolIp = QStringLiteral("10.78.1.1");
const QByteArray kQuery = QByteArrayLiteral("Ostravi Dev?");

QString unitAddress(int index)
{
    return QStringLiteral("10.78.1.%1").arg(kFirstUnit + index);
}

QSet<QString> sourcesExcept(const QList<RawUdp::Datagram>& datagrams, const QString& own)
{
    QSet<QString> result;
    for (const RawUdp::Datagram& datagram : datagrams) {
        if (datagram.src != own)
            result.insert(datagram.src);
    }
    return result;
}

QSet<QString> addresses(int first, int count)
{
    QSet<QString> result;
    for (int i = first; i < first + count; ++i)
        result.insert(unitAddress(i));
    return result;
}
} // namespace

void TestSimScale::initTestCase()
{
    QVERIFY2(SimLog::available(), "run this test through scripts/netns-lab.sh");
}

void TestSimScale::everyUnitAnswersEveryScan_data()
{
    QTest::addColumn<int>("readAfterMs");

    // Reading at once, and reading only after a pause as a busy tool would: the default receive
    // buffer must hold a whole burst of answers, so the simulator must not drop any on its side.
    QTest::newRow("reader waiting") << 0;
    QTest::newRow("reader busy for 100 ms") << 100;
}

void TestSimScale::everyUnitAnswersEveryScan()
{
    QFETCH(int, readAfterMs);

    const QSet<QString> expected = addresses(0, kDiscoveryUnits);
    for (int scan = 0; scan < kScans; ++scan) {
        RawUdp answers;
        RawUdp query;
        QVERIFY(answers.bind(QStringLiteral("255.255.255.255"), kDiscoveryPort));
        QVERIFY(query.bind(kToolIp, kDiscoveryPort));
        QVERIFY(query.sendTo(QStringLiteral("255.255.255.255"), kDiscoveryPort, kQuery));
        if (readAfterMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(readAfterMs));
        const QList<RawUdp::Datagram> received = answers.receiveFor(300);
        const QSet<QString> heard = sourcesExcept(received, kToolIp);
        QCOMPARE(heard.size(), kDiscoveryUnits);
        QCOMPARE(heard, expected);
        if (scan == 0 && readAfterMs == 0)
            qInfo("last of %d answers after %lld ms", int(received.size()), received.last().elapsedMs);
    }
}

void TestSimScale::unicastSweepFindsEveryUnit()
{
    RawUdp socket;
    QVERIFY(socket.bind(QStringLiteral("0.0.0.0"), 0));
    for (int host = 1; host < 255; ++host)
        QVERIFY(socket.sendTo(QStringLiteral("10.78.1.%1").arg(host), kDiscoveryPort, kQuery));
    QCOMPARE(sourcesExcept(socket.receiveFor(1500), kToolIp), addresses(0, kDiscoveryUnits));
}

void TestSimScale::everyModuleAnswersLantronix()
{
    for (int scan = 0; scan < kScans; ++scan) {
        RawUdp socket;
        QVERIFY(socket.bind(kToolIp, kLantronixPort));
        QVERIFY(socket.sendTo(QStringLiteral("10.78.1.255"), kLantronixPort, QByteArray::fromHex("000100f6")));
        QCOMPARE(sourcesExcept(socket.receiveFor(200), kToolIp), addresses(kDiscoveryUnits, kModules));
    }
}

void TestSimScale::everyDriverAnswersInParallel()
{
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < kDrivers; ++i) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        QTcpSocket* socket = sockets.back().get();
        connect(socket, &QTcpSocket::connected, socket, [socket] { socket->write("MVER\r\nMRG:22\r\n"); });
        socket->connectToHost(unitAddress(kDiscoveryUnits + i), kSerialPort);
    }
    for (int i = 0; i < kDrivers; ++i) {
        const QByteArray expected = "#MVER:KOLVEX:B:2.10\r\nKV" + QByteArray::number(i).rightJustified(4, '0') + "\r\n";
        QTRY_COMPARE_WITH_TIMEOUT(sockets[size_t(i)]->bytesAvailable(), qint64(expected.size()), 5000);
        QCOMPARE(sockets[size_t(i)]->readAll(), expected);
    }
}

void TestSimScale::noProblemsLogged()
{
    QCOMPARE(SimLog::errors(SimLog::lines()).size(), 0);
}

QTEST_GUILESS_MAIN(TestSimScale)
#include "tst_simscale.moc"
