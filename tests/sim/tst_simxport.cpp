// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/simlog.h"
#include "xportwire.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace xportwire;

// Checks the simulated XPort modules of tests/labs/sim-xport.json and the two DSPs behind them from the
// tool namespace, byte by byte, with clients and expectations written here by hand.
class TestSimXport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void pinSequences_data();
    void pinSequences();
    void pinReadBackAndActiveLow();
    void pinCommandsInPieces();
    void pinFaults();
    void driverAnswersOnlyAtNormalSpeed();
    void autobaud_data();
    void autobaud();
    void loaderLayout_data();
    void loaderLayout();
    void flashWriteAndVerify();
    void bootloaderRefuses_data();
    void bootloaderRefuses();
    void eraseSelection_data();
    void eraseSelection();
    void controlDspFlash();
    void bootloaderFaults();
    void menuBannerWindow();
    void menuExitWithoutSave();
    void menuAsksAgainForUnknownSpeed();
    void menuFaults();
    void menuSaveRestartsAtNewSpeed();
    void upgradeReportsImageVersion();
    void imageWithoutVersionLeavesDriverMute();
    void unreachableServices();
    void labFileChecks_data();
    void labFileChecks();
};

namespace {
constexpr quint16 kSetupPort = 9999;
constexpr quint16 kPinPort = 30704;
constexpr quint16 kTunnelPort = 10001;
constexpr int kConnectMs = 2000;
constexpr int kReplyMs = 2000;
constexpr int kSilenceMs = 250;
constexpr int kLoaderVerdictMs = 3000;
constexpr int kEraseDelayMs = 300;
constexpr int kRestartMs = 1500;
constexpr int kBackWithinMs = 10000;
constexpr int kLoaderResourceSize = 30836;
constexpr quint32 kFlashStart = 0x3E8000;
const QString kMot = QStringLiteral("10.77.5.10");
const QString kFast = QStringLiteral("10.77.5.11");
const QString kProg = QStringLiteral("10.77.5.12");
const QString kWrong = QStringLiteral("10.77.5.13");
const QString kDeaf = QStringLiteral("10.77.5.14");
const QString kStubborn = QStringLiteral("10.77.5.15");
const QString kOneSpeed = QStringLiteral("10.77.5.16");
const QByteArray kAck = QByteArrayLiteral("ACK\n");
const QByteArray kNak = QByteArrayLiteral("NAK\n");
const QByteArray kBannerPrompt = QByteArrayLiteral("Press Enter for Setup Mode");
const QByteArray kMenuPrompt = QByteArrayLiteral("Your choice ?");
const QByteArray kQuestionEnd = QByteArrayLiteral(") ? ");
const QByteArray kEnter = QByteArrayLiteral("\r\n");
const QString kCommunication = QStringLiteral("communication");
const QString kControl = QStringLiteral("control");

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

QByteArray readBytes(QTcpSocket& socket, int count, int ms = kReplyMs)
{
    return readUntil(socket, ms, [count](const QByteArray& bytes) { return bytes.size() >= count; });
}

QByteArray readText(QTcpSocket& socket, const QByteArray& text, int ms = kReplyMs)
{
    return readUntil(socket, ms, [text](const QByteArray& bytes) { return bytes.contains(text); });
}

QByteArray readFor(QTcpSocket& socket, int ms = kSilenceMs)
{
    return readUntil(socket, ms, [](const QByteArray&) { return false; });
}

bool connectTo(QTcpSocket& socket, const QString& ip, quint16 port)
{
    socket.connectToHost(ip, port);
    return socket.waitForConnected(kConnectMs);
}

bool refuses(const QString& ip, quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(ip, port);
    return !socket.waitForConnected(kConnectMs) && socket.error() == QAbstractSocket::ConnectionRefusedError;
}

QList<QByteArray> pinReplies(const QString& ip, const QList<QByteArray>& commands)
{
    QTcpSocket socket;
    if (!connectTo(socket, ip, kPinPort))
        return {};
    QList<QByteArray> replies;
    for (const QByteArray& command : commands) {
        socket.write(command);
        replies.append(readBytes(socket, 5));
    }
    return replies;
}

bool setMode(const QString& ip, Mode mode)
{
    return pinReplies(ip, modeCommands(mode)) == modeReplies(mode);
}

QByteArray commandReply(const QString& ip, const QByteArray& line, int ms = 1000)
{
    QTcpSocket socket;
    if (!connectTo(socket, ip, kTunnelPort))
        return QByteArrayLiteral("(no connection)");
    socket.write(line);
    return readText(socket, "\n", ms);
}

int logMark()
{
    return SimLog::lines().size();
}

SimLog::Lines events(int mark, const QString& unit, const QString& event, const QString& dsp = QString())
{
    return SimLog::filter(SimLog::lines().mid(mark), [&](const QJsonObject& line) {
        return line.value("unit").toString() == unit && line.value("event").toString() == event &&
               (dsp.isEmpty() || line.value("dsp").toString() == dsp);
    });
}

QJsonObject lastEvent(int mark, const QString& unit, const QString& event, const QString& dsp = QString())
{
    const SimLog::Lines found = events(mark, unit, event, dsp);
    return found.isEmpty() ? QJsonObject() : found.last();
}

bool hasError(int mark, const QString& unit, const QString& text)
{
    for (const QJsonObject& line : events(mark, unit, QStringLiteral("error"))) {
        if (line.value("text").toString().contains(text))
            return true;
    }
    return false;
}

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QByteArray smallLoader()
{
    return loaderStream(0x08AA, 8, 0x8000, {{0x8000, {0x7622, 0x761F, 0x0000, 0x0006}}, {0x9000, {0x1234, 0x5678}}});
}

QString dspOf(Mode mode)
{
    return mode == Mode::ProgramControl ? kControl : kCommunication;
}

// Rows that leave the bootloader running spare the next row a reset and a loader.
bool bootloaderRuns(const QString& unit, Mode mode)
{
    const int pattern = mode == Mode::ProgramControl ? 0x06 : 0x05;
    return lastEvent(0, unit, QStringLiteral("pins")).value("levels").toInt() == pattern &&
           lastEvent(0, unit, QStringLiteral("dsp"), dspOf(mode)).value("state").toString() ==
               QLatin1String("bootloader");
}

// Resets one DSP into its boot ROM, passes the autobaud and loads a loader: the bootloader then runs.
bool startBootloader(const QString& ip, const QString& unit, Mode mode, const QByteArray& loader = smallLoader())
{
    const int mark = logMark();
    QTcpSocket socket;
    if (!setMode(ip, mode) || !connectTo(socket, ip, kTunnelPort))
        return false;
    socket.write("a");
    if (readBytes(socket, 1) != "a")
        return false;
    socket.write(loader);
    if (readBytes(socket, loader.size()) != loader)
        return false;
    const QString dsp = dspOf(mode);
    return QTest::qWaitFor([&] { return !lastEvent(mark, unit, QStringLiteral("loader"), dsp).isEmpty(); },
                           kLoaderVerdictMs) &&
           lastEvent(mark, unit, QStringLiteral("loader"), dsp).value("ok").toBool();
}

QByteArray imageBytes(int size, const QByteArray& marker = QByteArray())
{
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(char((i * 7 + 3) & 0xFF));
    // The NUL ends the version: the filler bytes after it could be read as more of it.
    if (!marker.isEmpty())
        bytes.replace(100, marker.size() + 1, marker + '\0');
    return bytes;
}

// Blocks of 256 words as the bootloader takes them, each followed by the write frame.
QByteArray writeFrames(quint32 address, const QByteArray& bytes)
{
    QByteArray frames;
    for (int at = 0; at < bytes.size(); at += 512, address += 256)
        frames += blockFrames(address, bytes.mid(at, 512)) + writeFrame();
    return frames;
}

QByteArray erase(QTcpSocket& socket, quint8 sectors)
{
    socket.write(eraseFrame(sectors));
    return readBytes(socket, kAck.size(), 5000);
}

// The menu dialogue as a person at a terminal would lead it, prompt by prompt; returns all it showed.
QByteArray setSpeedThroughMenu(const QString& ip, int baud, const QByteArray& choice = "9")
{
    QTcpSocket socket;
    if (!connectTo(socket, ip, kSetupPort))
        return {};
    QByteArray shown = readText(socket, kBannerPrompt);
    socket.write(kEnter);
    shown += readText(socket, kMenuPrompt);
    socket.write("1\r\n");
    shown += readText(socket, kQuestionEnd);
    socket.write(QByteArray::number(baud) + kEnter);
    for (int i = 0; i < 10 && !shown.endsWith(kMenuPrompt + ' '); ++i) {
        const QByteArray part = readUntil(
            socket, kReplyMs, [](const QByteArray& b) { return b.contains(kQuestionEnd) || b.contains(kMenuPrompt); });
        shown += part;
        if (part.contains(kMenuPrompt))
            break;
        socket.write(kEnter);
    }
    socket.write(choice + kEnter);
    return shown + readFor(socket, kReplyMs);
}

bool waitUntilReachable(const QString& ip)
{
    return QTest::qWaitFor([&] { return !refuses(ip, kSetupPort); }, kBackWithinMs);
}
} // namespace

void TestSimXport::initTestCase()
{
    QVERIFY2(SimLog::available(), "run this test through scripts/netns-lab.sh");
}

void TestSimXport::pinSequences_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("communication");
    QTest::addColumn<QString>("control");

    QTest::newRow("normal 111") << int(Mode::Normal) << "application"
                                << "application";
    QTest::newRow("program communication 101") << int(Mode::ProgramCommunication) << "bootRom"
                                               << "application";
    QTest::newRow("program control 110") << int(Mode::ProgramControl) << "application"
                                         << "bootRom";
}

void TestSimXport::pinSequences()
{
    QFETCH(int, mode);
    QFETCH(QString, communication);
    QFETCH(QString, control);

    const int mark = logMark();
    const QList<QByteArray> replies = pinReplies(kProg, modeCommands(Mode(mode)));
    QCOMPARE(replies, modeReplies(Mode(mode)));
    // Step three holds both DSPs in reset; the pattern then releases them into their modes.
    QTRY_COMPARE(events(mark, "prog", "pins").size(), 4);
    QCOMPARE(events(mark, "prog", "dsp", kCommunication).first().value("state").toString(), QStringLiteral("reset"));
    QCOMPARE(lastEvent(mark, "prog", "dsp", kCommunication).value("state").toString(), communication);
    QCOMPARE(lastEvent(mark, "prog", "dsp", kControl).value("state").toString(), control);
    QCOMPARE(SimLog::tcpReceived(SimLog::lines().mid(mark), "prog"), modeCommands(Mode(mode)).join());
    QCOMPARE(SimLog::tcp(SimLog::lines().mid(mark), "prog", "connect").first().value("port").toInt(), int(kPinPort));
}

void TestSimXport::pinReadBackAndActiveLow()
{
    QVERIFY(setMode(kProg, Mode::ProgramCommunication));
    const QList<QByteArray> readBack = pinReplies(
        kProg, {pinCommand(0x10, 0, 0), pinCommand(0x11, 0, 0), pinCommand(0x12, 0, 0), pinCommand(0x13, 0, 0)});
    QCOMPARE(readBack, (QList<QByteArray>{QByteArray::fromHex("1007000000"), QByteArray::fromHex("1107000000"),
                                          QByteArray::fromHex("1200000000"), QByteArray::fromHex("1305000000")}));

    // Only the masked pins change, and pins beyond the three do not exist.
    const int mark = logMark();
    QCOMPARE(pinReplies(kProg, {pinCommand(0x1B, 0x01, 0x00), pinCommand(0x1B, 0xF0, 0xFF)}),
             (QList<QByteArray>{QByteArray::fromHex("1b04000000"), QByteArray::fromHex("1b04000000")}));
    // Active low inverts every driven level: the reset line goes low and holds both DSPs.
    QCOMPARE(pinReplies(kProg, {pinCommand(0x1A, 0x07, 0x07)}), QList<QByteArray>{QByteArray::fromHex("1a07000000")});
    QTRY_COMPARE(lastEvent(mark, "prog", "pins").value("levels").toInt(), 0x03);
    QCOMPARE(lastEvent(mark, "prog", "dsp", kCommunication).value("state").toString(), QStringLiteral("reset"));
    QVERIFY(setMode(kProg, Mode::Normal));
}

void TestSimXport::pinCommandsInPieces()
{
    QTcpSocket socket;
    QVERIFY(connectTo(socket, kProg, kPinPort));
    const QByteArray command = pinCommand(0x19, 0x07, 0x07);
    socket.write(command.left(4));
    QCOMPARE(readFor(socket, 200), QByteArray());
    socket.write(command.mid(4));
    QCOMPARE(readBytes(socket, 5), QByteArray::fromHex("1907000000"));
    socket.write(pinCommand(0x11, 0, 0) + pinCommand(0x12, 0, 0));
    QCOMPARE(readBytes(socket, 10), QByteArray::fromHex("1107000000 1200000000"));
    // An unknown code is not answered and is logged.
    const int mark = logMark();
    socket.write(pinCommand(0x42, 0, 0));
    QCOMPARE(readFor(socket, 300), QByteArray());
    QTRY_VERIFY(hasError(mark, "prog", "unknown pin command code 42"));
}

void TestSimXport::pinFaults()
{
    // Replies carry the three pin bits inverted.
    QCOMPARE(pinReplies(kWrong, modeCommands(Mode::Normal)),
             (QList<QByteArray>{QByteArray::fromHex("1900000000"), QByteArray::fromHex("1a07000000"),
                                QByteArray::fromHex("1b07000000"), QByteArray::fromHex("1b00000000")}));
    QVERIFY(refuses(kDeaf, kPinPort));
}

void TestSimXport::driverAnswersOnlyAtNormalSpeed()
{
    QCOMPARE(commandReply(kFast, "MVER\r\n"), QByteArray("#MVER:KOLVEX:C:1.00\r\n"));
    QCOMPARE(commandReply(kFast, "MRG:22\r\n"), QByteArray("KV0511\r\n"));
    QVERIFY(setMode(kProg, Mode::Normal));
    const int mark = logMark();
    QCOMPARE(commandReply(kProg, "MVER\r\n", kSilenceMs), QByteArray());
    QTRY_VERIFY(!lastEvent(mark, "prog", "garbled").isEmpty());
    const QJsonObject garbled = lastEvent(mark, "prog", "garbled");
    QCOMPARE(garbled.value("baud").toInt(), 38400);
    QCOMPARE(garbled.value("expected").toInt(), 921600);
}

void TestSimXport::autobaud_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("echo");

    QTest::newRow("communication DSP boot ROM")
        << kProg << "prog" << int(Mode::ProgramCommunication) << QByteArray("a") << QByteArray("a");
    QTest::newRow("control DSP boot ROM")
        << kProg << "prog" << int(Mode::ProgramControl) << QByteArray("a") << QByteArray("a");
    QTest::newRow("not the autobaud character")
        << kProg << "prog" << int(Mode::ProgramCommunication) << QByteArray("x") << QByteArray();
    QTest::newRow("normal operation") << kProg << "prog" << int(Mode::Normal) << QByteArray("a") << QByteArray();
    QTest::newRow("boot ROM at 921600") << kFast << "fast" << int(Mode::ProgramCommunication) << QByteArray("a")
                                        << QByteArray();
    QTest::newRow("fault: no echo") << kWrong << "wrong" << int(Mode::ProgramCommunication) << QByteArray("a")
                                    << QByteArray();
}

void TestSimXport::autobaud()
{
    QFETCH(QString, ip);
    QFETCH(QString, unit);
    QFETCH(int, mode);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, echo);

    if (unit != QLatin1String("wrong"))
        QVERIFY(setMode(ip, Mode(mode)));
    else
        pinReplies(ip, modeCommands(Mode(mode)));
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(connectTo(socket, ip, kTunnelPort));
    socket.write(sent);
    QCOMPARE(echo.isEmpty() ? readFor(socket) : readBytes(socket, 1), echo);
    if (Mode(mode) != Mode::Normal && unit != QLatin1String("fast"))
        QTRY_COMPARE(lastEvent(mark, unit, "autobaud").value("ok").toBool(), !echo.isEmpty());
    QVERIFY(setMode(ip, Mode::Normal) || unit == QLatin1String("wrong"));
}

void TestSimXport::loaderLayout_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("problem");

    const LoaderBlock code{0x8000, {0x7622, 0x761F, 0x0000, 0x0006}};
    QTest::newRow("two blocks") << smallLoader() << true << "";
    QTest::newRow("size of the shipped loader") << loaderStreamOfSize(kLoaderResourceSize) << true << "";
    QTest::newRow("wrong key") << loaderStream(0x08AB, 8, 0x8000, {code}) << false << "key 08AB, not 08AA";
    QTest::newRow("seven reserved words")
        << loaderStream(0x08AA, 7, 0x8000, {code}) << false << "bytes after the closing block";
    QTest::newRow("nine reserved words") << loaderStream(0x08AA, 9, 0x8000, {code}) << false << "stream stops";
    QTest::newRow("trailing byte") << smallLoader() + '\0' << false << "1 bytes after the closing block";
    QTest::newRow("no closing block") << loaderStream(0x08AA, 8, 0x8000, {code}, false) << false
                                      << "inside the word count of block 2";
    QTest::newRow("cut inside a block") << smallLoader().left(30) << false << "inside block 1 of 4 words";
    QTest::newRow("no block") << loaderStream(0x08AA, 8, 0x8000, {}) << false << "no block";
    QTest::newRow("entry outside the blocks")
        << loaderStream(0x08AA, 8, 0x8004, {code}) << false << "entry point 008004 lies in no loaded block";
}

void TestSimXport::loaderLayout()
{
    QFETCH(QByteArray, stream);
    QFETCH(bool, ok);
    QFETCH(QString, problem);

    QVERIFY(setMode(kProg, Mode::ProgramCommunication));
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(connectTo(socket, kProg, kTunnelPort));
    socket.write("a");
    QCOMPARE(readBytes(socket, 1), QByteArray("a"));
    socket.write(stream);
    // The boot ROM echoes the stream.
    QCOMPARE(readBytes(socket, stream.size()).toHex(), stream.toHex());
    QTRY_VERIFY_WITH_TIMEOUT(!lastEvent(mark, "prog", "loader").isEmpty(), kLoaderVerdictMs);
    const QJsonObject loader = lastEvent(mark, "prog", "loader", kCommunication);
    QCOMPARE(loader.value("ok").toBool(), ok);
    QCOMPARE(loader.value("bytes").toInt(), stream.size());
    QVERIFY2(loader.value("problem").toString().contains(problem), qPrintable(loader.value("problem").toString()));
    QCOMPARE(lastEvent(mark, "prog", "dsp", kCommunication).value("state").toString(),
             ok ? QStringLiteral("bootloader") : QStringLiteral("failed"));
    // Refused, the DSP runs nothing: even a verify goes unanswered.
    socket.write(verifyFrame());
    QCOMPARE(readFor(socket), ok ? kNak : QByteArray());
}

void TestSimXport::flashWriteAndVerify()
{
    QVERIFY(startBootloader(kProg, "prog", Mode::ProgramCommunication));
    const int mark = logMark();
    // A new connection, as the transfer makes after the loader: the bootloader keeps running.
    QTcpSocket socket;
    QVERIFY(connectTo(socket, kProg, kTunnelPort));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(erase(socket, 0x0B), kAck);
    QVERIFY2(clock.elapsed() >= kEraseDelayMs - 50, qPrintable(QString::number(clock.elapsed())));

    const QByteArray section = imageBytes(1000, "KVXVER=4.56");
    socket.write(writeFrames(kFlashStart, section));
    QCOMPARE(readFor(socket), QByteArray());
    QTRY_COMPARE(events(mark, "prog", "write").size(), 2);
    QCOMPARE(events(mark, "prog", "write").at(1).value("address").toInt(), int(kFlashStart + 0x100));
    QCOMPARE(events(mark, "prog", "write").at(1).value("bytes").toInt(), 488);
    QCOMPARE(events(mark, "prog", "write").at(1).value("sha256").toString(), sha256(section.mid(512)));

    socket.write(blockFrames(kFlashStart, section.left(512)) + verifyFrame());
    QCOMPARE(readBytes(socket, kAck.size()), kAck);
    QByteArray tampered = section.mid(512);
    tampered[7] = char(tampered.at(7) ^ 0x01);
    socket.write(blockFrames(kFlashStart + 0x100, tampered) + verifyFrame());
    QCOMPARE(readBytes(socket, kNak.size()), kNak);

    QVERIFY(setMode(kProg, Mode::Normal));
    QTRY_VERIFY(!lastEvent(mark, "prog", "flash", kCommunication).isEmpty());
    const QJsonObject flash = lastEvent(mark, "prog", "flash", kCommunication);
    QCOMPARE(flash.value("factory").toBool(), false);
    QCOMPARE(flash.value("sha256").toString(), sha256(section));
    QCOMPARE(flash.value("version").toString(), QStringLiteral("4.56"));
    const QJsonArray ranges = flash.value("ranges").toArray();
    QCOMPARE(ranges.size(), 1);
    QCOMPARE(ranges.at(0).toObject().value("start").toInt(), int(kFlashStart));
    QCOMPARE(ranges.at(0).toObject().value("words").toInt(), 500);
}

void TestSimXport::bootloaderRefuses_data()
{
    QTest::addColumn<QByteArray>("frames");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("freshBoot");

    const QByteArray block = imageBytes(64);
    QTest::newRow("data frame of 33 bytes") << addressFrame(0x3E9000) + dataFrame(QByteArray(33, 'x')) << kNak
                                            << "command 0c with 33 payload bytes" << false;
    QTest::newRow("block beyond 512 bytes")
        << blockFrames(0x3E9000, QByteArray(544, 'x')) << kNak << "grows beyond 512 bytes" << false;
    QTest::newRow("data before any address") << dataFrame(block.left(8)) << kNak << "before any address frame" << true;
    QTest::newRow("write without data") << addressFrame(0x3E9000) + writeFrame() << kNak
                                        << "write frame without an address and data" << false;
    QTest::newRow("write outside the flash")
        << blockFrames(0x3F9000, block) + writeFrame() << kNak << "outside the flash" << false;
    QTest::newRow("write over written flash")
        << blockFrames(0x3EA000, block) + writeFrame() + blockFrames(0x3EA000, block) + writeFrame() << kNak
        << "write at 3EA000 over flash not erased" << false;
    QTest::newRow("verify without data") << verifyFrame() << kNak << "" << true;
    QTest::newRow("unknown command") << QByteArray::fromHex("0c0e0f000e") << kNak << "command 0f with 0" << false;
    QTest::newRow("frame not closed") << QByteArray::fromHex("0c0e0a04003e90000f") << kNak << "not closed by 0E"
                                      << false;
    QTest::newRow("bytes outside a frame") << QByteArray("xyz") << QByteArray() << "3 bytes outside a frame" << false;
}

void TestSimXport::bootloaderRefuses()
{
    QFETCH(QByteArray, frames);
    QFETCH(QByteArray, reply);
    QFETCH(QString, error);
    QFETCH(bool, freshBoot);

    QVERIFY((!freshBoot && bootloaderRuns("prog", Mode::ProgramCommunication)) ||
            startBootloader(kProg, "prog", Mode::ProgramCommunication));
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(connectTo(socket, kProg, kTunnelPort));
    socket.write(frames);
    QCOMPARE(readFor(socket), reply);
    if (!error.isEmpty())
        QTRY_VERIFY(hasError(mark, "prog", error));
}

void TestSimXport::eraseSelection_data()
{
    QTest::addColumn<int>("sectors");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QList<int>>("erased");

    QTest::newRow("0B: the programmable range")
        << 0x0B << kAck << QList<int>{0x3E8000, 0x8000, 0x3F0000, 0x8000, 0x3F8000, 0x1000};
    QTest::newRow("04: the parameter sector") << 0x04 << kAck << QList<int>{0x3D8000, 0x10000};
    QTest::newRow("0F: everything") << 0x0F << kAck << QList<int>{0x3E8000, 0x8000,  0x3F0000, 0x8000,
                                                                  0x3D8000, 0x10000, 0x3F8000, 0x1000};
    QTest::newRow("00: nothing selected") << 0x00 << kNak << QList<int>{};
    QTest::newRow("10: no such sector") << 0x10 << kNak << QList<int>{};
}

void TestSimXport::eraseSelection()
{
    QFETCH(int, sectors);
    QFETCH(QByteArray, reply);
    QFETCH(QList<int>, erased);

    QVERIFY(bootloaderRuns("prog", Mode::ProgramCommunication) ||
            startBootloader(kProg, "prog", Mode::ProgramCommunication));
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(connectTo(socket, kProg, kTunnelPort));
    QCOMPARE(erase(socket, quint8(sectors)), reply);
    QTRY_VERIFY(!lastEvent(mark, "prog", "erase").isEmpty());
    const QJsonObject event = lastEvent(mark, "prog", "erase");
    QCOMPARE(event.value("sectors").toInt(), sectors);
    QCOMPARE(event.value("ok").toBool(), reply == kAck);
    QList<int> spans;
    for (const QJsonValue& span : event.value("erased").toArray())
        spans << span.toObject().value("start").toInt() << span.toObject().value("words").toInt();
    QCOMPARE(spans, erased);
}

void TestSimXport::controlDspFlash()
{
    QVERIFY(startBootloader(kProg, "prog", Mode::ProgramControl));
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(connectTo(socket, kProg, kTunnelPort));
    QCOMPARE(erase(socket, 0x0B), kAck);
    const QByteArray first = imageBytes(64);
    const QByteArray second = imageBytes(100).mid(36);
    socket.write(writeFrames(0x3F0000, first) + writeFrames(0x3F0020, second) + writeFrames(0x3F8F00, first));
    QCOMPARE(readFor(socket), QByteArray());
    QTRY_COMPARE(events(mark, "prog", "write", kControl).size(), 3);
    QCOMPARE(events(mark, "prog", "write", kCommunication).size(), 0);

    QVERIFY(setMode(kProg, Mode::Normal));
    QTRY_VERIFY(!lastEvent(mark, "prog", "flash", kControl).isEmpty());
    const QJsonObject flash = lastEvent(mark, "prog", "flash", kControl);
    // Adjacent blocks form one run; the digest covers the runs in address order.
    QCOMPARE(flash.value("sha256").toString(), sha256(first + second + first));
    const QJsonArray ranges = flash.value("ranges").toArray();
    QCOMPARE(ranges.size(), 2);
    QCOMPARE(ranges.at(0).toObject().value("start").toInt(), 0x3F0000);
    QCOMPARE(ranges.at(0).toObject().value("words").toInt(), 64);
    QCOMPARE(ranges.at(0).toObject().value("sha256").toString(), sha256(first + second));
    QCOMPARE(ranges.at(1).toObject().value("start").toInt(), 0x3F8F00);
    QCOMPARE(flash.value("version").toString(), QString());
    for (const QJsonValue& range : lastEvent(mark, "prog", "flash", kCommunication).value("ranges").toArray())
        QVERIFY(range.toObject().value("start").toInt() != 0x3F0000);
}

void TestSimXport::bootloaderFaults()
{
    QVERIFY(startBootloader(kStubborn, "stubborn", Mode::ProgramCommunication));
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(connectTo(socket, kStubborn, kTunnelPort));
    QCOMPARE(erase(socket, 0x0B), kNak);
    const QByteArray block = imageBytes(512);
    socket.write(writeFrames(kFlashStart, block));
    QCOMPARE(readFor(socket), QByteArray());
    socket.write(verifyFrame());
    QCOMPARE(readBytes(socket, kNak.size()), kNak);
    QTRY_VERIFY(!lastEvent(mark, "stubborn", "verify").isEmpty());
    QCOMPARE(lastEvent(mark, "stubborn", "erase").value("ok").toBool(), false);
    QCOMPARE(lastEvent(mark, "stubborn", "write").value("ok").toBool(), true);
    QCOMPARE(lastEvent(mark, "stubborn", "verify").value("ok").toBool(), false);
}

void TestSimXport::menuBannerWindow()
{
    const int mark = logMark();
    QTcpSocket socket;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(connectTo(socket, kProg, kSetupPort));
    const QByteArray banner = readText(socket, kBannerPrompt);
    QVERIFY2(banner.contains("MAC address 00204A000512"), banner.constData());
    // Nobody pressed Enter: the module closes when the window is over.
    readUntil(socket, 5000, [](const QByteArray&) { return false; });
    QCOMPARE(socket.state(), QAbstractSocket::UnconnectedState);
    QVERIFY2(clock.elapsed() >= 550, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(lastEvent(mark, "prog", "menu").value("closed").toString(), QStringLiteral("timeout"));
}

void TestSimXport::menuExitWithoutSave()
{
    const int mark = logMark();
    const QByteArray shown = setSpeedThroughMenu(kProg, 115200, "8");
    QVERIFY2(shown.contains("Baudrate (38400) ? "), shown.constData());
    QVERIFY2(shown.contains("Baudrate 115200, I/F Mode 4C"), shown.constData());
    QVERIFY2(shown.contains("Exiting without save"), shown.constData());
    QVERIFY(!refuses(kProg, kSetupPort));
    QVERIFY(!refuses(kProg, kPinPort));
    QTRY_COMPARE(lastEvent(mark, "prog", "menu").value("closed").toString(), QStringLiteral("exit"));
    QCOMPARE(events(mark, "prog", "restart").size(), 0);
    QVERIFY(startBootloader(kProg, "prog", Mode::ProgramCommunication));
}

void TestSimXport::menuAsksAgainForUnknownSpeed()
{
    const int mark = logMark();
    QTcpSocket socket;
    QVERIFY(connectTo(socket, kProg, kSetupPort));
    readText(socket, kBannerPrompt);
    socket.write(kEnter);
    QVERIFY(readText(socket, kMenuPrompt).contains(kMenuPrompt));
    socket.write("1\r\n");
    QVERIFY(readText(socket, kQuestionEnd).contains("Baudrate (38400) ? "));
    socket.write("12345\r\n");
    QVERIFY(readText(socket, kQuestionEnd).contains("Baudrate (38400) ? "));
    socket.write(kEnter);
    QVERIFY(readText(socket, kQuestionEnd).contains("I/F Mode (4C) ? "));
    QTRY_VERIFY(!lastEvent(mark, "prog", "menu").isEmpty());
    const SimLog::Lines answers =
        SimLog::filter(events(mark, "prog", "menu"), [](const QJsonObject& l) { return l.contains("question"); });
    QCOMPARE(answers.size(), 2);
    QCOMPARE(answers.at(0).value("answer").toString(), QStringLiteral("12345"));
    QCOMPARE(answers.at(0).value("accepted").toBool(), false);
    QCOMPARE(answers.at(1).value("accepted").toBool(), true);
}

void TestSimXport::menuFaults()
{
    QTcpSocket noPrompt;
    QVERIFY(connectTo(noPrompt, kWrong, kSetupPort));
    QVERIFY(readText(noPrompt, kBannerPrompt).contains(kBannerPrompt));
    noPrompt.write(kEnter);
    const QByteArray menu = readFor(noPrompt, 600);
    QVERIFY2(menu.contains("9 Save and exit"), menu.constData());
    QVERIFY(!menu.contains(kMenuPrompt));

    const int mark = logMark();
    QTcpSocket silent;
    QVERIFY(connectTo(silent, kDeaf, kSetupPort));
    QCOMPARE(readFor(silent, 800), QByteArray());
    silent.write(kEnter);
    QCOMPARE(readFor(silent), QByteArray());
    QCOMPARE(silent.state(), QAbstractSocket::ConnectedState);
    QTRY_COMPARE(SimLog::tcpReceived(SimLog::lines().mid(mark), "deaf"), kEnter);
}

void TestSimXport::menuSaveRestartsAtNewSpeed()
{
    QCOMPARE(commandReply(kMot, "MVER\r\n"), QByteArray("#MVER:KOLVEX:B:2.10\r\n"));
    const int mark = logMark();
    const QByteArray shown = setSpeedThroughMenu(kMot, 38400);
    QVERIFY2(shown.contains("Baudrate 921600, I/F Mode 4C"), shown.constData());
    QVERIFY2(shown.contains("Baudrate (921600) ? "), shown.constData());
    QVERIFY2(shown.contains("Parameters stored"), shown.constData());
    // Restarting: every service refuses.
    QVERIFY(refuses(kMot, kSetupPort));
    QVERIFY(refuses(kMot, kPinPort));
    QVERIFY(refuses(kMot, kTunnelPort));
    QVERIFY(waitUntilReachable(kMot));

    const QJsonObject down = SimLog::filter(events(mark, "mot", "restart"), [](const QJsonObject& l) {
                                 return l.value("phase").toString() == QLatin1String("down");
                             }).value(0);
    const QJsonObject up = lastEvent(mark, "mot", "restart");
    QCOMPARE(down.value("baud").toInt(), 38400);
    QCOMPARE(up.value("phase").toString(), QStringLiteral("up"));
    QVERIFY(up.value("t").toDouble() - down.value("t").toDouble() >= kRestartMs - 50);

    QTcpSocket socket;
    QVERIFY(connectTo(socket, kMot, kSetupPort));
    readText(socket, kBannerPrompt);
    socket.write(kEnter);
    QVERIFY(readText(socket, kMenuPrompt).contains("Baudrate 38400, I/F Mode 4C"));
    QCOMPARE(commandReply(kMot, "MVER\r\n", kSilenceMs), QByteArray());
}

void TestSimXport::upgradeReportsImageVersion()
{
    setSpeedThroughMenu(kMot, 38400);
    QVERIFY(waitUntilReachable(kMot));
    QVERIFY(startBootloader(kMot, "mot", Mode::ProgramCommunication, loaderStreamOfSize(kLoaderResourceSize)));
    const int mark = logMark();
    {
        QTcpSocket socket;
        QVERIFY(connectTo(socket, kMot, kTunnelPort));
        QCOMPARE(erase(socket, 0x0B), kAck);
        socket.write(writeFrames(0x3F0000, imageBytes(700, "KVXVER=3.45")));
        QTRY_COMPARE(events(mark, "mot", "write").size(), 2);
    }
    setSpeedThroughMenu(kMot, 921600);
    QVERIFY(waitUntilReachable(kMot));
    QVERIFY(setMode(kMot, Mode::Normal));
    QCOMPARE(commandReply(kMot, "MVER\r\n"), QByteArray("#MVER:KOLVEX:B:3.45\r\n"));
    QCOMPARE(commandReply(kMot, "MRG:22\r\n"), QByteArray("KV0510\r\n"));
    QCOMPARE(lastEvent(mark, "mot", "flash", kCommunication).value("version").toString(), QStringLiteral("3.45"));
}

void TestSimXport::imageWithoutVersionLeavesDriverMute()
{
    const auto program = [](const QByteArray& image) {
        if (!startBootloader(kOneSpeed, "onespeed", Mode::ProgramCommunication))
            return false;
        QTcpSocket socket;
        if (!connectTo(socket, kOneSpeed, kTunnelPort) || erase(socket, 0x0B) != kAck)
            return false;
        socket.write(writeFrames(kFlashStart, image));
        return socket.waitForBytesWritten(kReplyMs) && readFor(socket).isEmpty() && setMode(kOneSpeed, Mode::Normal);
    };
    QCOMPARE(commandReply(kOneSpeed, "MVER\r\n"), QByteArray("#MVER:KOLVEX:D:0.90\r\n"));
    QVERIFY(program(imageBytes(600)));
    QCOMPARE(commandReply(kOneSpeed, "MVER\r\n", kSilenceMs), QByteArray());
    QVERIFY(program(imageBytes(600, "KVXVER=1.2.3-rc1 and more")));
    QCOMPARE(commandReply(kOneSpeed, "MVER\r\n"), QByteArray("#MVER:KOLVEX:D:1.2.3-rc1\r\n"));
}

void TestSimXport::unreachableServices()
{
    QVERIFY(refuses(kDeaf, kTunnelPort));
    QVERIFY(refuses(kDeaf, kPinPort));
    QVERIFY(!refuses(kDeaf, kSetupPort));
}

void TestSimXport::labFileChecks_data()
{
    QTest::addColumn<QByteArray>("module");
    QTest::addColumn<QString>("message");

    QTest::newRow("all keys") << QByteArray(R"({"restartMs": 0, "bannerWindowMs": 1, "eraseDelayMs": 600000,
        "initialBaud": 9600, "programmingBaud": 57600, "normalBaud": 460800, "faults": ["eraseRefused"]})")
                              << "";
    QTest::newRow("not an object") << QByteArray("[]") << "module must be an object";
    QTest::newRow("unknown key") << QByteArray(R"({"restartMS": 10})") << "module: unknown key \"restartMS\"";
    QTest::newRow("speed") << QByteArray(R"({"normalBaud": 921601})") << "module: normalBaud must be one of";
    QTest::newRow("text for a number") << QByteArray(R"({"restartMs": "10"})") << "module: restartMs must be a whole";
    QTest::newRow("negative delay") << QByteArray(R"({"eraseDelayMs": -1})") << "module: eraseDelayMs must be a whole";
    QTest::newRow("fraction") << QByteArray(R"({"restartMs": 1.5})") << "module: restartMs must be a whole";
    QTest::newRow("empty banner window") << QByteArray(R"({"bannerWindowMs": 0})") << "module: bannerWindowMs must be";
    QTest::newRow("unknown fault") << QByteArray(R"({"faults": ["eraseRefuse"]})")
                                   << "module: unknown fault \"eraseRefuse\"";
    QTest::newRow("faults not a list") << QByteArray(R"({"faults": "menuSilent"})") << "module: faults must be a list";
}

void TestSimXport::labFileChecks()
{
    QFETCH(QByteArray, module);
    QFETCH(QString, message);

    QTemporaryDir dir;
    QFile lab(dir.filePath(QStringLiteral("lab.json")));
    QVERIFY(lab.open(QIODevice::WriteOnly));
    lab.write(R"({"links": [{"name": "kx0", "toolIp": "10.77.5.1", "labIp": "10.77.5.254"}],
        "units": [{"name": "m", "link": "kx0", "kind": "xport", "ip": "10.77.5.9", "mac": "00:20:4A:00:00:09",
        "driver": {}, "module": )" +
              module + "}]}");
    lab.close();
    QProcess sim;
    sim.start(QStringLiteral(KESTRION_SIM_BIN), {"--lab", lab.fileName(), "--links"});
    QVERIFY(sim.waitForFinished(5000));
    const QString standardError = QString::fromLocal8Bit(sim.readAllStandardError());
    QCOMPARE(sim.exitCode(), message.isEmpty() ? 0 : 2);
    if (!message.isEmpty())
        QVERIFY2(standardError.contains(QStringLiteral("unit \"m\": ") + message), qPrintable(standardError));
}

QTEST_GUILESS_MAIN(TestSimXport)
#include "tst_simxport.moc"
