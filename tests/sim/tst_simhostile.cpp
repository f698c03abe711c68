// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/firmwareimages.h"
#include "common/simlog.h"
#include "xportwire.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace xportwire;

// Checks the hostile and refusing units of tests/labs/sim-hostile.json from the tool namespace, on the wire:
// command ports that never confirm, flash lines and status queries that fail, uploads without a verdict, and
// XPort boot ROMs, tunnels and setup menus that misbehave. Every wait is short and bounded.
class TestSimHostile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void chatterNeverFallsSilent();
    void chatterAfterNormalAnswers();
    void randomAnswersNeverAccept();
    void endlessLine();
    void dripOneByteASecond();
    void floodStopsAtItsTotal();
    void refusedFlashLine();
    void garbledStatus();
    void silentStatus();
    void uploadEndsWithBareHash();
    void uploadReportWithoutEnd();

    void loaderSilent();
    void loaderReset();
    void loaderRandom();
    void tunnelChatter();
    void menuChatter();
    void menuEndless();

    void labFileMistakes_data();
    void labFileMistakes();
    void noProblemsLogged();
};

namespace {
constexpr quint16 kCommandPort = 10001;
constexpr quint16 kUploadPort = 13192;
constexpr quint16 kSetupPort = 9999;
constexpr quint16 kTunnelPort = 10001;
constexpr int kConnectMs = 2000;
constexpr int kAnswerMs = 2000;
constexpr int kSilenceMs = 400;
// Past the boot ROM's 500 ms verdict on a stream.
constexpr int kLoaderVerdictMs = 800;
constexpr int kFloodBytes = 3000000;
const QByteArray kBusy = QByteArrayLiteral("#INFO:busy\r\n");
const QByteArray kAck = QByteArrayLiteral("#AK\r\n");
const QByteArray kBannerPrompt = QByteArrayLiteral("Press Enter for Setup Mode \r\n\r\n");
const QByteArray kMenuPrompt = QByteArrayLiteral("Your choice ?");

QString address(int last)
{
    return QStringLiteral("10.77.7.%1").arg(last);
}

using Done = std::function<bool(const QByteArray&)>;

// Everything that arrives until `done` is satisfied, the peer closes, or `ms` pass.
QByteArray readUntil(QTcpSocket& socket, int ms, const Done& done)
{
    QByteArray received = socket.readAll();
    QElapsedTimer clock;
    clock.start();
    while (!done(received) && clock.elapsed() < ms && socket.state() == QAbstractSocket::ConnectedState) {
        if (socket.waitForReadyRead(int(qMax<qint64>(1, ms - clock.elapsed()))))
            received += socket.readAll();
    }
    return received + socket.readAll();
}

QByteArray readFor(QTcpSocket& socket, int ms = kSilenceMs)
{
    return readUntil(socket, ms, [](const QByteArray&) { return false; });
}

QByteArray readBytes(QTcpSocket& socket, int count, int ms = kAnswerMs)
{
    return readUntil(socket, ms, [count](const QByteArray& bytes) { return bytes.size() >= count; });
}

QByteArray readText(QTcpSocket& socket, const QByteArray& text, int ms = kAnswerMs)
{
    return readUntil(socket, ms, [text](const QByteArray& bytes) { return bytes.contains(text); });
}

QByteArray ask(QTcpSocket& socket, const QByteArray& command)
{
    socket.write(command);
    return readText(socket, "\n");
}

bool connectTo(QTcpSocket& socket, const QString& ip, quint16 port)
{
    socket.connectToHost(ip, port);
    return socket.waitForConnected(kConnectMs);
}

bool hasLineEnd(const QByteArray& bytes)
{
    return bytes.contains('\r') || bytes.contains('\n');
}

int logMark()
{
    return SimLog::lines().size();
}

SimLog::Lines eventsSince(int mark, const QString& event, const QString& unit)
{
    return SimLog::events(SimLog::lines().mid(mark), event, unit);
}

// The lines of a chattering unit, nothing else, and at least `least` of them.
bool onlyBusyLines(const QByteArray& bytes, int least)
{
    return bytes.size() >= least * kBusy.size() && bytes.size() % kBusy.size() == 0 &&
           bytes.count(kBusy) == bytes.size() / kBusy.size();
}

bool setProgrammingMode(const QString& ip)
{
    QTcpSocket socket;
    if (!connectTo(socket, ip, 30704))
        return false;
    QList<QByteArray> replies;
    for (const QByteArray& command : modeCommands(Mode::ProgramCommunication)) {
        socket.write(command);
        replies.append(readBytes(socket, 5));
    }
    return replies == modeReplies(Mode::ProgramCommunication);
}

QByteArray smallLoader()
{
    return loaderStream(0x08AA, 8, 0x8000, {{0x8000, {0x7622, 0x761F, 0x0000, 0x0006}}});
}

// A tunnel to the communication DSP's boot ROM, past the autobaud character.
bool openBootRom(QTcpSocket& socket, const QString& ip)
{
    if (!setProgrammingMode(ip) || !connectTo(socket, ip, kTunnelPort))
        return false;
    socket.write("a");
    return readBytes(socket, 1) == "a";
}
} // namespace

void TestSimHostile::initTestCase()
{
    QVERIFY2(SimLog::available(), "run this test through scripts/netns-lab.sh");
}

void TestSimHostile::chatterNeverFallsSilent()
{
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(10), kCommandPort));
    QVERIFY(onlyBusyLines(readFor(socket, 350), 2));
    socket.write("EPCSER:0\r");
    QVERIFY(readBytes(socket, kBusy.size()).startsWith(kBusy));
    // No command after the first, and the lines keep coming.
    const QByteArray more = readFor(socket, 550);
    QVERIFY2(onlyBusyLines(more, 4), more.constData());
    socket.write("EPCSWR\rMREBOOT\r\nE\r\n");
    QVERIFY(onlyBusyLines(readFor(socket, 300), 3));
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    QVERIFY(eventsSince(mark, QStringLiteral("erase"), QStringLiteral("chatter")).isEmpty());
    QVERIFY(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("chatter")).isEmpty());
}

void TestSimHostile::chatterAfterNormalAnswers()
{
    const int mark = logMark();
    for (int connection = 0; connection < 2; ++connection) {
        QTcpSocket socket;
        QVERIFY(connectTo(socket, address(11), kCommandPort));
        QCOMPARE(readFor(socket, 250), QByteArray());
        QCOMPARE(ask(socket, "VER\r\n"), QByteArray("#VER:lateChatter:1.0.00\r\n"));
        QCOMPARE(ask(socket, "MST\r\n"), QByteArray("#MST:0000\r\n"));
        QCOMPARE(readFor(socket, 250), QByteArray());
        socket.write("EPCSER:3\r");
        QVERIFY(readBytes(socket, kBusy.size()).startsWith(kBusy));
        QVERIFY(onlyBusyLines(readFor(socket, 350), 2));
    }
    QVERIFY(eventsSince(mark, QStringLiteral("erase"), QStringLiteral("lateChatter")).isEmpty());
}

void TestSimHostile::randomAnswersNeverAccept()
{
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(12), kCommandPort));
    const QList<QByteArray> commands = {"VER\r\n",        "MST\r\n", "EPCSER:0\r",  "EPCSWR\r",
                                        "S9030000FC\r\n", "E\r\n",   "MREBOOT\r\n", "MRP\r\n"};
    QByteArray all;
    QSet<QByteArray> distinct;
    for (int round = 0; round < 2; ++round) {
        for (const QByteArray& command : commands) {
            socket.write(command);
            QVERIFY(socket.waitForReadyRead(kAnswerMs));
            // One answer is one write: what follows within a short while belongs to it.
            const QByteArray answer = readFor(socket, 60);
            QVERIFY2(answer.size() >= 1 && answer.size() <= 64, QByteArray::number(answer.size()).constData());
            all += answer;
            distinct.insert(answer);
        }
    }
    QVERIFY(!all.contains("#AK"));
    QVERIFY(distinct.size() > 1);
    QCOMPARE(readFor(socket, 200), QByteArray());
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    QVERIFY(eventsSince(mark, QStringLiteral("erase"), QStringLiteral("random")).isEmpty());
    QVERIFY(eventsSince(mark, QStringLiteral("flash"), QStringLiteral("random")).isEmpty());
    QVERIFY(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("random")).isEmpty());
}

void TestSimHostile::endlessLine()
{
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(13), kCommandPort));
    QCOMPARE(ask(socket, "VER\r\n"), QByteArray("#VER:endless:1.0.00\r\n"));
    socket.write("MST\r\n");
    const QByteArray line = readFor(socket, 500);
    QVERIFY2(line.size() >= 10 * 36, QByteArray::number(line.size()).constData());
    QCOMPARE(line.size() % 36, 0);
    QVERIFY(!hasLineEnd(line));
    QVERIFY(!line.contains("#AK"));
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
}

void TestSimHostile::dripOneByteASecond()
{
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(14), kCommandPort));
    QElapsedTimer clock;
    clock.start();
    socket.write("VER\r\n");
    QCOMPARE(readBytes(socket, 1, 500).size(), 1);
    const qint64 first = clock.elapsed();
    const QByteArray second = readBytes(socket, 1, 1500);
    QCOMPARE(second.size(), 1);
    QVERIFY2(clock.elapsed() - first >= 800, QByteArray::number(clock.elapsed() - first).constData());
    QVERIFY(!hasLineEnd(second));
}

void TestSimHostile::floodStopsAtItsTotal()
{
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(15), kCommandPort));
    socket.write("VER\r\n");
    qint64 total = 0;
    bool lineEnd = false;
    QElapsedTimer clock;
    clock.start();
    // Counted as it comes, so the test holds no more than one read at a time.
    while (total < kFloodBytes && clock.elapsed() < 10000 && socket.state() == QAbstractSocket::ConnectedState) {
        if (!socket.waitForReadyRead(1000))
            break;
        const QByteArray chunk = socket.readAll();
        lineEnd = lineEnd || hasLineEnd(chunk);
        total += chunk.size();
    }
    QCOMPARE(total, qint64(kFloodBytes));
    QVERIFY(!lineEnd);
    QCOMPARE(readFor(socket, 300), QByteArray());
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
}

void TestSimHostile::refusedFlashLine()
{
    const int mark = logMark();
    QList<QByteArray> records;
    for (quint32 at = 0x0100; at < 0x0140; at += 0x10)
        records.append(FirmwareImages::record('1', at, QByteArray(16, char('k' + at / 0x10))));
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(16), kCommandPort));
    QCOMPARE(ask(socket, "EPCSER:0\r"), kAck);
    QCOMPARE(ask(socket, "EPCSWR\r"), kAck);
    QCOMPARE(ask(socket, records.at(0) + "\r\n"), kAck);
    QCOMPARE(ask(socket, records.at(1) + "\r\n"), kAck);
    QCOMPARE(ask(socket, records.at(2) + "\r\n"), QByteArray("#NAK:write failed\r\n"));
    QCOMPARE(ask(socket, records.at(3) + "\r\n"), kAck);
    QCOMPARE(ask(socket, "E\r\n"), kAck);

    const SimLog::Lines flashes = eventsSince(mark, QStringLiteral("flash"), QStringLiteral("badLine"));
    QCOMPARE(flashes.size(), 1);
    QCOMPARE(flashes.first().value("lines").toInt(), 4);
    QCOMPARE(flashes.first().value("refused").toInt(), 1);
    // Nothing of the refused line was written.
    QCOMPARE(flashes.first().value("regions").toArray(),
             FirmwareImages::flashRegions(records.at(0) + "\n" + records.at(1) + "\n" + records.at(3) + "\n"));
    const SimLog::Lines refusals = eventsSince(mark, QStringLiteral("refused"), QStringLiteral("badLine"));
    QCOMPARE(refusals.size(), 1);
    QCOMPARE(refusals.first().value("reason").toString(), QStringLiteral("write failed"));
    QCOMPARE(refusals.first().value("command").toString(), QString::fromLatin1(records.at(2)));
    QTRY_COMPARE(eventsSince(mark, QStringLiteral("reboot"), QStringLiteral("badLine")).size(), 1);
}

void TestSimHostile::garbledStatus()
{
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(17), kCommandPort));
    QCOMPARE(ask(socket, "VER\r\n"), QByteArray("#VER:mstGarbage:1.0.00\r\n"));
    QCOMPARE(ask(socket, "MST\r\n"), QByteArray("#MST:ZZ?Q\r\n"));
    QCOMPARE(ask(socket, "MRP\r\n"), QByteArray("#MRP:540:0.00\r\n"));
}

void TestSimHostile::silentStatus()
{
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(18), kCommandPort));
    socket.write("MST\r\n");
    QCOMPARE(readFor(socket), QByteArray());
    QCOMPARE(ask(socket, "VER\r\n"), QByteArray("#VER:mstSilent:1.0.00\r\n"));
    QCOMPARE(ask(socket, "MRG:83\r\n"), QByteArray("#MRG:83:600\r\n"));
}

void TestSimHostile::uploadEndsWithBareHash()
{
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(19), kUploadPort));
    socket.write(FirmwareImages::updt(20000, QStringLiteral("3.0.00")));
    QCOMPARE(readText(socket, "#"), QByteArray("$:25\n$:50\n$:75\n$:100\n#\r\n"));
    QCOMPARE(readFor(socket), QByteArray());
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    const SimLog::Lines uploads = eventsSince(mark, QStringLiteral("upload"), QStringLiteral("hash"));
    QCOMPARE(uploads.size(), 1);
    QCOMPARE(uploads.first().value("bytes").toInt(), 20000);
}

void TestSimHostile::uploadReportWithoutEnd()
{
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(20), kUploadPort));
    socket.write(FirmwareImages::updt(20000, QStringLiteral("3.0.00")));
    QVERIFY(readText(socket, "$:").startsWith("$:"));
    const QByteArray report = readFor(socket, 650);
    QVERIFY2(report.count("$:") >= 4, report.constData());
    QVERIFY(!report.contains('#'));
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
}

void TestSimHostile::loaderSilent()
{
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(openBootRom(socket, address(30)));
    socket.write(smallLoader());
    QCOMPARE(readFor(socket, kLoaderVerdictMs), QByteArray());
    QVERIFY(eventsSince(mark, QStringLiteral("loader"), QStringLiteral("loaderSilent")).isEmpty());
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
}

void TestSimHostile::loaderReset()
{
    QTcpSocket socket;
    QVERIFY(openBootRom(socket, address(31)));
    socket.write(smallLoader().left(1));
    QVERIFY(QTest::qWaitFor(
        [&] {
            socket.waitForReadyRead(50);
            return socket.state() == QAbstractSocket::UnconnectedState;
        },
        kAnswerMs));
    QCOMPARE(socket.error(), QAbstractSocket::RemoteHostClosedError);
    QCOMPARE(socket.readAll(), QByteArray());
}

void TestSimHostile::loaderRandom()
{
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(openBootRom(socket, address(32)));
    const QByteArray loader = smallLoader();
    socket.write(loader);
    const QByteArray echo = readBytes(socket, loader.size());
    QCOMPARE(echo.size(), loader.size());
    for (int i = 0; i < loader.size(); ++i)
        QVERIFY(echo.at(i) != loader.at(i));
    QCOMPARE(readFor(socket, kLoaderVerdictMs), QByteArray());
    QVERIFY(eventsSince(mark, QStringLiteral("loader"), QStringLiteral("loaderRandom")).isEmpty());
}

void TestSimHostile::tunnelChatter()
{
    QTcpSocket socket;
    QVERIFY(setProgrammingMode(address(33)));
    QVERIFY(connectTo(socket, address(33), kTunnelPort));
    QCOMPARE(readFor(socket, 250), QByteArray());
    socket.write("a");
    QCOMPARE(readBytes(socket, 1), QByteArray("a"));
    const QByteArray chatter = readFor(socket, 550);
    QVERIFY2(chatter.size() >= 4, chatter.toHex().constData());
    QCOMPARE(chatter, QByteArray(chatter.size(), '\x55'));
    // Besides the chatter the boot ROM still echoes.
    const QByteArray loader = smallLoader();
    socket.write(loader);
    const QByteArray echo = readFor(socket, 300);
    QVERIFY(echo.contains(loader));
    QCOMPARE(QByteArray(echo).replace(loader, QByteArray()), QByteArray(echo.size() - loader.size(), '\x55'));
}

void TestSimHostile::menuChatter()
{
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(34), kSetupPort));
    QVERIFY(readText(socket, kBannerPrompt).contains(kBannerPrompt));
    socket.write("\r\n");
    // Longer than the banner window: the menu neither closes nor asks.
    const QByteArray shown = readFor(socket, 650);
    QVERIFY2(shown.count("\r\n") >= 4, shown.constData());
    QCOMPARE(shown.count("\r\n"), shown.count("Waiting for the serial channel ...\r\n"));
    QVERIFY(!shown.contains(kMenuPrompt));
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
    QVERIFY(eventsSince(mark, QStringLiteral("menu"), QStringLiteral("menuChatter")).isEmpty());
}

void TestSimHostile::menuEndless()
{
    QTcpSocket socket;
    QVERIFY(connectTo(socket, address(35), kSetupPort));
    const QByteArray banner = readText(socket, kBannerPrompt);
    QVERIFY(banner.contains(kBannerPrompt));
    const QByteArray endless = banner.mid(banner.indexOf(kBannerPrompt) + kBannerPrompt.size()) + readFor(socket, 500);
    QVERIFY2(endless.size() >= 10 * 20, QByteArray::number(endless.size()).constData());
    QVERIFY(!hasLineEnd(endless));
    QVERIFY(!endless.contains(kMenuPrompt));
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);
}

void TestSimHostile::labFileMistakes_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("expected");

    const QString ps = QStringLiteral(R"("kind": "legacy", "code": "1105", )");
    QTest::newRow("all new keys") << ps + R"("firmware": {"answers": "flood", "hostileAfter": 2, "floodBytes": 10,
                                             "statusAnswer": "silent", "upload": {"mode": "hash"},
                                             "flash": {"refuseLine": 4}})"
                                  << QString();
    QTest::newRow("unknown answers")
        << ps + R"("firmware": {"answers": "rude"})"
        << R"("firmware.answers" must be one of chatter, drip, endless, flood, normal, random)";
    QTest::newRow("negative hostileAfter") << ps + R"("firmware": {"hostileAfter": -1})"
                                           << R"("firmware.hostileAfter" must be a whole number from 0)";
    QTest::newRow("no flood") << ps + R"("firmware": {"floodBytes": 0})"
                              << R"("firmware.floodBytes" must be a whole number from 1)";
    QTest::newRow("unknown statusAnswer") << ps + R"("firmware": {"statusAnswer": "loud"})"
                                          << R"("firmware.statusAnswer" must be one of garbage, normal, silent)";
    QTest::newRow("fractional refuseLine") << ps + R"("firmware": {"flash": {"refuseLine": 2.5}})"
                                           << R"("firmware.flash.refuseLine" must be a whole number)";
    QTest::newRow("unknown upload mode")
        << ps + R"("firmware": {"upload": {"mode": "hashes"}})"
        << R"("firmware.upload.mode" must be one of chatter, drop, flood, hash, nak, normal, refuse, silent)";
    QTest::newRow("all new faults") << QStringLiteral(R"("kind": "xport", "driver": {}, "module": {"faults":
        ["loaderSilent", "loaderReset", "loaderRandom", "tunnelChatter", "menuChatter", "menuEndless"]})")
                                    << QString();
    QTest::newRow("unknown fault") << QStringLiteral(R"("kind": "xport", "module": {"faults": ["loaderLoud"]})")
                                   << R"(module: unknown fault "loaderLoud")";
}

void TestSimHostile::labFileMistakes()
{
    QFETCH(QString, unit);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lab.json"));
    QVERIFY(FirmwareImages::write(
        path, QStringLiteral(R"({"links": [{"name": "kh0", "toolIp": "10.9.0.1", "labIp": "10.9.0.2"}],
                                 "units": [{"name": "u1", "link": "kh0", "ip": "10.9.0.5",
                                            "mac": "00:A0:3B:00:00:01", %1}]})")
                  .arg(unit)
                  .toUtf8()));
    QProcess sim;
    sim.start(QStringLiteral(KESTRION_SIM_BIN), {QStringLiteral("--lab"), path, QStringLiteral("--links")});
    QVERIFY(sim.waitForFinished(10000));
    const QString message = QString::fromLocal8Bit(sim.readAllStandardError());
    QCOMPARE(sim.exitCode(), expected.isEmpty() ? 0 : 2);
    if (!expected.isEmpty())
        QVERIFY2(message.contains(QStringLiteral("unit \"u1\": ") + expected), qPrintable(message));
}

void TestSimHostile::noProblemsLogged()
{
    const SimLog::Lines errors = SimLog::errors(SimLog::lines());
    QVERIFY2(errors.isEmpty(), errors.isEmpty() ? "" : QJsonDocument(errors.first()).toJson().constData());
}

QTEST_GUILESS_MAIN(TestSimHostile)
#include "tst_simhostile.moc"
