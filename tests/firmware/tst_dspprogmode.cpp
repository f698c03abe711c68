// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakexport.h"
#include "firmware/dspprogmode.h"
#include "firmware/firmwarepacing.h"
#include "motorpacing.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

static void registerFirmwareResource()
{
    Q_INIT_RESOURCE(firmware);
}

namespace {
constexpr char loopback[] = "127.0.0.1";
const QString gpioError = QStringLiteral("ERROR: GPIO not configured correctly!");

struct Transcript
{
    explicit Transcript(dspProgMode& pins)
    {
        QObject::connect(&pins, &dspProgMode::signalError, [this](const QString& text) { errors << text; });
        QObject::connect(&pins, &dspProgMode::signalIncreaseProgressBar, [this] { ++progress; });
    }
    QStringList errors;
    int progress = 0;
};

QList<QByteArray> hexList(const QStringList& texts)
{
    QList<QByteArray> list;
    for (const QString& text : texts)
        list << QByteArray::fromHex(text.toLatin1());
    return list;
}

QByteArray bootloader()
{
    registerFirmwareResource();
    QFile file(QString::fromLatin1(dspProgMode::bootloaderResource));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint16 wordAt(const QByteArray& stream, int at)
{
    return qFromLittleEndian<quint16>(stream.constData() + at);
}
} // namespace

class TestDspProgMode : public QObject
{
    Q_OBJECT

private slots:
    void init() { FirmwarePacing::setCurrent(shortMotorPacing()); }

    // First: the tables before any mode has been set.
    void stepThreeBeforeAnyMode();
    void pinCommandsPerMode_data();
    void pinCommandsPerMode();
    void otherModeKeepsLastPattern();
    void commandsArePaced();
    void replyMismatch_data();
    void replyMismatch();
    void replyInTwoPiecesAtFirstStep();
    void pinServiceUnreachable();
    void bootloaderSentUnchanged();
    void autobaudFailure_data();
    void autobaudFailure();
    void tunnelConnectionBounded();
    void bootloaderLayout();
    void bootloaderMadeByScript();
};

void TestDspProgMode::stepThreeBeforeAnyMode()
{
    const dspProgMode programMode;
    QCOMPARE(programMode.commands().at(3), QByteArray(9, '\0'));
    QCOMPARE(programMode.responses().at(3), QByteArray(5, '\0'));
    QVERIFY(programMode.descriptions().at(3).isEmpty());
    QCOMPARE(programMode.descriptions().mid(0, 3),
             (QStringList{"Set directions: Output", "Set active levels: Active High", "Set current states: Reset"}));
}

void TestDspProgMode::pinCommandsPerMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("patternCommand");
    QTest::addColumn<QString>("patternReply");
    QTest::addColumn<QString>("description");
    QTest::addColumn<quint32>("pins");
    QTest::newRow("normal") << 0 << "1B0700000007000000"
                            << "1B07000000"
                            << "Set current states: NORMAL" << 0x07u;
    QTest::newRow("communication") << 1 << "1B0700000005000000"
                                   << "1B05000000"
                                   << "Set current states: Prog. Communication" << 0x05u;
    QTest::newRow("control") << 2 << "1B0700000006000000"
                             << "1B06000000"
                             << "Set current states: Prog. Control" << 0x06u;
}

void TestDspProgMode::pinCommandsPerMode()
{
    QFETCH(int, mode);
    QFETCH(QString, patternCommand);
    QFETCH(QString, patternReply);
    QFETCH(QString, description);
    QFETCH(quint32, pins);
    FakeXport fake;
    QVERIFY(fake.listening());
    dspProgMode programMode(FirmwarePacing::current(), fake.ports());
    Transcript transcript(programMode);

    programMode.setProgMode(mode, QString::fromLatin1(loopback));
    QVERIFY2(transcript.errors.isEmpty(), qPrintable(transcript.errors.join('\n')));
    QCOMPARE(transcript.progress, 5);
    const QList<QByteArray> expected =
        hexList({"190700000007000000", "1A0700000000000000", "1B0700000000000000", patternCommand});
    QCOMPARE(fake.record().pinCommands, expected);
    QCOMPARE(fake.record().pinStates, pins);
    QCOMPARE(fake.record().pinDirections, 0x07u);
    QCOMPARE(programMode.responses(), hexList({"1907000000", "1A00000000", "1B00000000", patternReply}));
    QCOMPARE(programMode.descriptions().at(3), description);
}

void TestDspProgMode::otherModeKeepsLastPattern()
{
    FakeXport fake;
    dspProgMode programMode(FirmwarePacing::current(), fake.ports());
    Transcript transcript(programMode);
    programMode.setProgMode(2, QString::fromLatin1(loopback));
    programMode.setProgMode(7, QString::fromLatin1(loopback));
    QVERIFY(transcript.errors.isEmpty());
    const QList<QByteArray> commands = fake.record().pinCommands;
    QCOMPARE(commands.size(), 8);
    QCOMPARE(commands.at(7), QByteArray::fromHex("1B0700000006000000"));
}

void TestDspProgMode::commandsArePaced()
{
    FirmwarePacing pacing = shortMotorPacing();
    pacing.pinCommandPauseMs = 80;
    FirmwarePacing::setCurrent(pacing);
    FakeXport fake;
    dspProgMode programMode(FirmwarePacing::current(), fake.ports());
    QElapsedTimer clock;
    clock.start();
    programMode.setProgMode(1, QString::fromLatin1(loopback));
    QVERIFY(clock.elapsed() >= 4 * pacing.pinCommandPauseMs);
}

void TestDspProgMode::replyMismatch_data()
{
    QTest::addColumn<int>("splitCommand");
    QTest::addColumn<int>("silentCommand");
    QTest::newRow("last reply in two pieces") << 3 << -1;
    QTest::newRow("no reply to the second command") << -1 << 1;
}

void TestDspProgMode::replyMismatch()
{
    QFETCH(int, splitCommand);
    QFETCH(int, silentCommand);
    FakeXport::Options options;
    options.splitReplyCommand = splitCommand;
    options.splitDelayMs = 600;
    options.silentCommand = silentCommand;
    FakeXport fake(options);
    dspProgMode programMode(FirmwarePacing::current(), fake.ports());
    Transcript transcript(programMode);

    programMode.setProgMode(1, QString::fromLatin1(loopback));
    QCOMPARE(transcript.errors, QStringList{gpioError});
    QCOMPARE(fake.record().pinCommands.size(), 4);
    QCOMPARE(transcript.progress, 5);
}

void TestDspProgMode::replyInTwoPiecesAtFirstStep()
{
    FakeXport::Options options;
    options.splitReplyCommand = 0;
    options.splitDelayMs = 150;
    FakeXport fake(options);
    dspProgMode programMode(FirmwarePacing::current(), fake.ports());
    Transcript transcript(programMode);

    // The late piece spoils a later reply too; the sequence is still sent to its end.
    programMode.setProgMode(1, QString::fromLatin1(loopback));
    QVERIFY(!transcript.errors.isEmpty());
    QCOMPARE(transcript.errors.first(), gpioError);
    QCOMPARE(fake.record().pinCommands.size(), 4);
}

void TestDspProgMode::pinServiceUnreachable()
{
    FakeXport::Options options;
    options.pinService = false;
    FakeXport fake(options);
    dspProgMode programMode(FirmwarePacing::current(), fake.ports());
    Transcript transcript(programMode);

    programMode.setProgMode(1, QString::fromLatin1(loopback));
    QCOMPARE(transcript.errors, QStringList{QStringLiteral("ERROR: Connection to port 30704 failed!")});
    QCOMPARE(transcript.progress, FirmwarePacing::current().pinConnectAttempts);
}

void TestDspProgMode::bootloaderSentUnchanged()
{
    FakeXport fake;
    dspProgMode programMode(FirmwarePacing::current(), fake.ports());
    Transcript transcript(programMode);
    programMode.setProgMode(1, QString::fromLatin1(loopback));
    transcript.progress = 0;

    programMode.loadBootloader();
    QVERIFY2(transcript.errors.isEmpty(), qPrintable(transcript.errors.join('\n')));
    const QByteArray expected = bootloader();
    QCOMPARE(expected.size(), 30836);
    QTRY_COMPARE(fake.record().loaderReceived.size(), expected.size());
    QCOMPARE(fake.record().autobaudReceived, QByteArray("a"));
    QVERIFY(fake.record().loaderReceived == expected);
    // Two around the pause, one before and one after reading the resource, then the drain's (1 to 5).
    QVERIFY2(transcript.progress >= 5 && transcript.progress <= 9, qPrintable(QString::number(transcript.progress)));
}

void TestDspProgMode::autobaudFailure_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("upper case") << QByteArray("A");
    QTest::newRow("silence") << QByteArray();
    QTest::newRow("more than the echo") << QByteArray("a\r\n");
}

void TestDspProgMode::autobaudFailure()
{
    QFETCH(QByteArray, reply);
    FakeXport::Options options;
    options.autobaudReply = reply;
    FakeXport fake(options);
    dspProgMode programMode(FirmwarePacing::current(), fake.ports());
    Transcript transcript(programMode);
    programMode.setProgMode(2, QString::fromLatin1(loopback));

    programMode.loadBootloader();
    QCOMPARE(transcript.errors, QStringList{QStringLiteral("ERROR: autobaud failed!")});
    QTRY_COMPARE(fake.record().autobaudReceived, QByteArray("a"));
    QTest::qWait(100);
    QVERIFY(fake.record().loaderReceived.isEmpty());
}

void TestDspProgMode::tunnelConnectionBounded()
{
    FakeXport::Options options;
    options.tunnelService = false;
    FakeXport fake(options);
    dspProgMode programMode(FirmwarePacing::current(), fake.ports());
    Transcript transcript(programMode);
    programMode.setProgMode(2, QString::fromLatin1(loopback));
    transcript.progress = 0;

    programMode.loadBootloader();
    QCOMPARE(transcript.errors, QStringList{QStringLiteral("ERROR: Connection Failed!!")});
    QCOMPARE(transcript.progress, FirmwarePacing::current().tunnelConnectAttempts - 1);
}

void TestDspProgMode::bootloaderLayout()
{
    const QByteArray stream = bootloader();
    QCOMPARE(stream.size(), 30836);
    QCOMPARE(stream.left(2), QByteArray::fromHex("AA08"));
    for (int word = 1; word <= 8; ++word)
        QCOMPARE(wordAt(stream, 2 * word), quint16(0));
    int at = 22; // key, reserved words, entry point
    int blocks = 0;
    for (;;) {
        QVERIFY(at + 2 <= stream.size());
        const int words = wordAt(stream, at);
        at += 2;
        if (words == 0)
            break;
        at += 4 + 2 * words;
        ++blocks;
    }
    QCOMPARE(at, int(stream.size()));
    QVERIFY(blocks >= 1);
}

void TestDspProgMode::bootloaderMadeByScript()
{
    if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
        QSKIP("/usr/bin/python3 is missing");
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("loader.bin"));
    QCOMPARE(QProcess::execute(QStringLiteral("/usr/bin/python3"),
                               {QStringLiteral(KESTRION_SOURCE_DIR "/scripts/make-bootloader.py"), output}),
             0);
    QFile made(output);
    QVERIFY(made.open(QIODevice::ReadOnly));
    QVERIFY(made.readAll() == bootloader());
}

QTEST_GUILESS_MAIN(TestDspProgMode)

#include "tst_dspprogmode.moc"
