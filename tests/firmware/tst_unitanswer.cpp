// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What counts as a unit's confirmation, how an answer is quoted, and that reading one stays within its
// bounds whatever the peer sends; the peers listen on 127.0.0.1.
#include "firmware/unitanswer.h"
#include "firmware/upgradeselection.h"
#include "firmware/upgradeverification.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

Q_DECLARE_METATYPE(UnitAnswer::Expect)
Q_DECLARE_METATYPE(UnitAnswer::Verdict)

namespace {
// A peer that sends `chunk` every `everyMs` once the connection is up, until it is closed.
class TalkingPeer
{
public:
    TalkingPeer(const QByteArray& chunk, int everyMs)
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this, chunk, everyMs] {
            m_peer = m_server.nextPendingConnection();
            QObject::connect(&m_timer, &QTimer::timeout, m_peer, [this, chunk] { m_peer->write(chunk); });
            m_peer->write(chunk);
            m_timer.start(everyMs);
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    QTcpServer m_server;
    QTcpSocket* m_peer = nullptr;
    QTimer m_timer;
};

Device_t unit(const QString& mac, const QString& version)
{
    Device_t device;
    device.moduleId = QStringLiteral("BL30");
    device.group = QStringLiteral("Lumen");
    device.mac = mac;
    device.firmwareVersion = version;
    return device;
}
} // namespace

class TestUnitAnswer : public QObject
{
    Q_OBJECT

private slots:
    void verdicts_data()
    {
        using E = UnitAnswer::Expect;
        using V = UnitAnswer::Verdict;
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<UnitAnswer::Expect>("expect");
        QTest::addColumn<UnitAnswer::Verdict>("verdict");
        QTest::newRow("acknowledged") << QByteArray("#AK\r\n") << E::Acknowledge << V::Confirmed;
        QTest::newRow("acknowledged without line end") << QByteArray("#AK") << E::Acknowledge << V::Confirmed;
        QTest::newRow("a bare line end confirms no erase") << QByteArray("\r") << E::Acknowledge << V::Unexpected;
        QTest::newRow("a bare line end takes a line") << QByteArray("\r") << E::LineTaken << V::Confirmed;
        QTest::newRow("a bare CR LF takes a line") << QByteArray("\r\n") << E::LineTaken << V::Confirmed;
        QTest::newRow("acknowledged line") << QByteArray("#AK\r\n") << E::LineTaken << V::Confirmed;
        QTest::newRow("refusal") << QByteArray("#NAK:checksum\r") << E::LineTaken << V::Refused;
        QTest::newRow("refusal is no acknowledgement") << QByteArray("#NAK\r\n") << E::Acknowledge << V::Refused;
        QTest::newRow("chatter") << QByteArray("#INFO:busy\r") << E::Acknowledge << V::Unexpected;
        QTest::newRow("chatter for a line") << QByteArray("OK\r\n") << E::LineTaken << V::Unexpected;
        QTest::newRow("random bytes") << QByteArray("\x01\xfe\x7f", 3) << E::LineTaken << V::Unexpected;
        QTest::newRow("silence") << QByteArray() << E::Acknowledge << V::Silent;
    }
    void verdicts()
    {
        QFETCH(QByteArray, answer);
        QFETCH(UnitAnswer::Expect, expect);
        QFETCH(UnitAnswer::Verdict, verdict);
        QCOMPARE(UnitAnswer(answer).verdict(expect), verdict);
    }

    void quotedAnswersAreShortAndPrintable()
    {
        QCOMPARE(UnitAnswer("#NAK:write failed\r\n").quoted(), QStringLiteral("#NAK:write failed\\r\\n"));
        QCOMPARE(UnitAnswer(QByteArray("\x00\x1b\"\\", 4)).quoted(), QStringLiteral("\\x00\\x1b\\\"\\\\"));
        const QString flood = UnitAnswer(QByteArray(10000, 'x')).quoted();
        QCOMPARE(flood.size(), UnitAnswer::quoteChars + 3);
        QVERIFY(flood.endsWith(QStringLiteral("...")));
    }

    // A line without end, or one byte at a time: the read ends at its tries, its total or its size.
    void readIsBounded_data()
    {
        QTest::addColumn<QByteArray>("chunk");
        QTest::addColumn<int>("everyMs");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("atMostBytes");
        QTest::newRow("endless line") << QByteArray(36, 'x') << 20 << 4096 << 4096;
        QTest::newRow("flood") << QByteArray(65536, 'y') << 1 << 1000 << 1000;
        QTest::newRow("drip") << QByteArray("z") << 150 << 4096 << 4096;
    }
    void readIsBounded()
    {
        QFETCH(QByteArray, chunk);
        QFETCH(int, everyMs);
        QFETCH(int, maxBytes);
        QFETCH(int, atMostBytes);
        TalkingPeer peer(chunk, everyMs);
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, peer.port());
        QVERIFY(socket.waitForConnected(2000));
        QTest::qWait(50);
        QElapsedTimer elapsed;
        elapsed.start();
        // Each wait is short but fed: only the bounds can end the read.
        const UnitAnswer answer = UnitAnswer::read(socket, 1000000, 400, 1500, maxBytes);
        QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));
        QVERIFY(!answer.isEmpty());
        QVERIFY(answer.bytes().size() <= atMostBytes);
        QCOMPARE(answer.verdict(UnitAnswer::Expect::LineTaken), UnitAnswer::Verdict::Unexpected);
    }

    void imageKindsOfTheFamilies()
    {
        QCOMPARE(UpgradeSelection::imageKindFor(QStringLiteral("1100")), FirmwareImageKind::PowerSupplyImage);
        QCOMPARE(UpgradeSelection::imageKindFor(QStringLiteral("1F80")), FirmwareImageKind::PowerSupplyImage);
        QCOMPARE(UpgradeSelection::imageKindFor(QStringLiteral("1600")), FirmwareImageKind::SRecord);
        QCOMPARE(UpgradeSelection::imageKindFor(QStringLiteral("2100")), FirmwareImageKind::SRecord);
        QCOMPARE(UpgradeSelection::imageKindFor(QStringLiteral("4100")), FirmwareImageKind::IntelHex);
        QCOMPARE(UpgradeSelection::imageKindFor(QStringLiteral("4200")), FirmwareImageKind::IntelHex);
        QVERIFY(!UpgradeSelection::imageKindFor(QStringLiteral("3100")));
        QVERIFY(UpgradeSelection::mismatch(QStringLiteral("/x/a.updt"), FirmwareImageKind::PowerSupplyImage,
                                           QStringLiteral("1100"))
                    .isEmpty());
        QCOMPARE(
            UpgradeSelection::mismatch(QStringLiteral("/x/a.hex"), FirmwareImageKind::IntelHex, QStringLiteral("1600")),
            QStringLiteral("a.hex looks like an Intel HEX image; the selected units are Vesk power supplies, "
                           "which take .flash images"));
        QCOMPARE(UpgradeSelection::mismatch(QStringLiteral("b.flash"), FirmwareImageKind::SRecord, QString()),
                 QStringLiteral("b.flash looks like an S-record image; the selected units are power supplies (a "
                                "manual address), which take .updt images"));
    }

    void versionsBeforeAndAfter()
    {
        const Device_t before = unit(QStringLiteral("00:A0:3B:00:09:30"), QStringLiteral("1.0.00"));
        const UpgradeVerification changed(before,
                                          {unit(QStringLiteral("00:a0:3b:00:09:30"), QStringLiteral("1.2.03"))});
        QVERIFY(changed.verified());
        QCOMPARE(changed.logLine(), QStringLiteral("BL30 (00:A0:3B:00:09:30): 1.0.00 \u2192 1.2.03"));
        const UpgradeVerification same(before, {before});
        QVERIFY(!same.verified());
        QVERIFY(same.logLine().startsWith(QStringLiteral("WARNING: BL30 (00:A0:3B:00:09:30): the unit still reports")));
        const UpgradeVerification gone(before, {});
        QVERIFY(!gone.answered());
        QVERIFY(!gone.verified());
        QVERIFY(gone.logLine().startsWith(QStringLiteral("WARNING: BL30 (00:A0:3B:00:09:30) did not answer")));
    }
};

QTEST_GUILESS_MAIN(TestUnitAnswer)
#include "tst_unitanswer.moc"
