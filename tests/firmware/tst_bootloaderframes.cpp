// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/heximages.h"
#include "fakexport.h"
#include "firmware/firmwarepacing.h"
#include "firmware/sendfirmware.h"
#include "motorpacing.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr char loopback[] = "127.0.0.1";
const QString rangeError = QStringLiteral("ERROR: address are outside the programmable address range");

// Everything a transfer object says, in order; errors marked so that they stand out.
struct Transcript
{
    explicit Transcript(SendFirmware& transfer)
    {
        QObject::connect(&transfer, &SendFirmware::signalErrorDetected, [this](const QString& text) {
            lines << QStringLiteral("error: ") + text;
            errors << text;
        });
        QObject::connect(&transfer, &SendFirmware::signalPrintMessage, [this](const QString& text) { lines << text; });
        QObject::connect(&transfer, &SendFirmware::signalIncreaseProgressBar, [this] { ++progress; });
    }
    QStringList lines;
    QStringList errors;
    int progress = 0;
};

bool connectTunnel(QTcpSocket& socket, const FakeXport& fake)
{
    socket.connectToHost(QString::fromLatin1(loopback), fake.ports().command);
    return socket.waitForConnected(5000);
}

char frameCommand(const QByteArray& frame)
{
    return frame.size() > 2 ? frame.at(2) : '\0';
}

QList<QByteArray> ofCommand(const QList<QByteArray>& frames, char command)
{
    QList<QByteArray> selected;
    for (const QByteArray& frame : frames) {
        if (frameCommand(frame) == command)
            selected << frame;
    }
    return selected;
}

// The frames one block of the section is sent as, built independently of the class under test.
QList<QByteArray> expectedBlock(quint32 address, const QByteArray& data)
{
    QList<QByteArray> frames;
    frames << QByteArray::fromHex("0C0E0A04") +
                  QByteArray::fromHex(QByteArray::number(address, 16).rightJustified(8, '0')) + '\x0E';
    for (int at = 0; at < data.size(); at += 32)
        frames << QByteArray::fromHex("0C0E0C") + char(qMin(32, int(data.size()) - at)) + data.mid(at, 32) + '\x0E';
    // The write is confirmed by a verify of the same block.
    frames << QByteArray::fromHex("0C0E0B000E") << QByteArray::fromHex("0C0E0D000E");
    return frames;
}
} // namespace

class TestBootloaderFrames : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    QString imageFile(const QList<HexImages::Section>& sections)
    {
        const QString path = m_dir.filePath(QStringLiteral("Kolvex_Control_DSP_%1.hex").arg(++m_files));
        if (!HexImages::writeFile(path, HexImages::toHex(sections)))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void init() { FirmwarePacing::setCurrent(shortMotorPacing()); }

    void framesByteForByte_data();
    void framesByteForByte();
    void programmableRange_data();
    void programmableRange();
    void thousandBytesAtRangeStart();
    void sectionStartOutsideRange_data();
    void sectionStartOutsideRange();
    void blockStartingInRangeSentWhole();
    void dataFrameLengthByte();
    void progressPerSection_data();
    void progressPerSection();
    void verifyPassSendsVerifyFrames();
    void transferWritesImage();
    void eraseReplyMustBeExact_data();
    void eraseReplyMustBeExact();
    void earlyEraseReplyCounts();
    void parseFailureSendsNothing();
    void tunnelUnreachable();
    void imageOutsideRangeIsRefusedBeforeTheErase();
};

void TestBootloaderFrames::framesByteForByte_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("address") << SendFirmware::addressFrame(0x3E8100) << QByteArray::fromHex("0C0E0A04003E81000E");
    QTest::newRow("address high byte") << SendFirmware::addressFrame(0xA1B2C3D4)
                                       << QByteArray::fromHex("0C0E0A04A1B2C3D40E");
    QTest::newRow("data") << SendFirmware::dataFrame(QByteArray::fromHex("0102FF"))
                          << QByteArray::fromHex("0C0E0C030102FF0E");
    QTest::newRow("data full") << SendFirmware::dataFrame(QByteArray(32, '\x5A'))
                               << QByteArray::fromHex("0C0E0C20") + QByteArray(32, '\x5A') + '\x0E';
    QTest::newRow("write") << SendFirmware::writeFrame() << QByteArray::fromHex("0C0E0B000E");
    QTest::newRow("verify") << SendFirmware::verifyFrame() << QByteArray::fromHex("0C0E0D000E");
    QTest::newRow("erase") << SendFirmware::eraseFrame(SendFirmware::eraseSectors)
                           << QByteArray::fromHex("0C0E0E010B0E");
}

void TestBootloaderFrames::framesByteForByte()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, bytes);
    QCOMPARE(frame.toHex(' '), bytes.toHex(' '));
}

void TestBootloaderFrames::programmableRange_data()
{
    QTest::addColumn<unsigned>("address");
    QTest::addColumn<bool>("outside");
    QTest::newRow("below") << 0x3E7FFFu << true;
    QTest::newRow("first") << 0x3E8000u << false;
    QTest::newRow("last") << 0x3F8F00u << false;
    QTest::newRow("above") << 0x3F8F01u << true;
    QTest::newRow("zero") << 0u << true;
}

void TestBootloaderFrames::programmableRange()
{
    QFETCH(unsigned, address);
    QFETCH(bool, outside);
    QCOMPARE(SendFirmware::checkAddressRange(address), outside);
}

void TestBootloaderFrames::thousandBytesAtRangeStart()
{
    FakeXport fake;
    QVERIFY(fake.listening());
    FirmwarePacing pacing = shortMotorPacing();
    pacing.blockPauseMs = 150;
    FirmwarePacing::setCurrent(pacing);
    QTcpSocket socket;
    QVERIFY(connectTunnel(socket, fake));
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());
    Transcript transcript(transfer);
    const QByteArray data = HexImages::pattern(1000, 7);

    QElapsedTimer clock;
    clock.start();
    transfer.writeSection(SendFirmware::rangeStart, data, true, &socket);
    QVERIFY(clock.elapsed() >= 2 * pacing.blockPauseMs);

    const QList<QByteArray> expected = expectedBlock(0x3E8000, data.left(512)) + expectedBlock(0x3E8100, data.mid(512));
    QCOMPARE(expected.size(), 1 + 16 + 2 + 1 + 16 + 2);
    QTRY_COMPARE(fake.record().frames.size(), expected.size());
    QCOMPARE(fake.record().frames, expected);
    QCOMPARE(ofCommand(fake.record().frames, '\x0C').last().size(), 8 + 5);
    QVERIFY(transcript.errors.isEmpty());
}

void TestBootloaderFrames::sectionStartOutsideRange_data()
{
    QTest::addColumn<unsigned>("address");
    QTest::addColumn<bool>("sent");
    QTest::newRow("last address") << 0x3F8F00u << true;
    QTest::newRow("one above") << 0x3F8F01u << false;
    QTest::newRow("one below the start") << 0x3E7FFFu << false;
}

void TestBootloaderFrames::sectionStartOutsideRange()
{
    QFETCH(unsigned, address);
    QFETCH(bool, sent);
    FakeXport fake;
    QTcpSocket socket;
    QVERIFY(connectTunnel(socket, fake));
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());
    Transcript transcript(transfer);

    transfer.writeSection(address, HexImages::pattern(64, 3), true, &socket);
    if (sent) {
        QVERIFY(transcript.errors.isEmpty());
        QTRY_COMPARE(fake.record().frames.size(), 5);
        QCOMPARE(fake.record().frames.first(), SendFirmware::addressFrame(address));
    } else {
        QCOMPARE(transcript.errors, QStringList{rangeError});
        socket.write(SendFirmware::writeFrame());
        QTRY_COMPARE(fake.record().frames.size(), 1);
        QCOMPARE(fake.record().frames.first(), SendFirmware::writeFrame());
    }
}

void TestBootloaderFrames::blockStartingInRangeSentWhole()
{
    FakeXport fake;
    QTcpSocket socket;
    QVERIFY(connectTunnel(socket, fake));
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());
    Transcript transcript(transfer);
    const QByteArray data = HexImages::pattern(1024, 5);

    // The first block starts at 3F8E80 and runs past 3F8F00; the second would start at 3F8F80.
    transfer.writeSection(0x3F8E80, data, true, &socket);
    QCOMPARE(transcript.errors, QStringList{rangeError});
    const QList<QByteArray> expected = expectedBlock(0x3F8E80, data.left(512));
    QTRY_COMPARE(fake.record().frames.size(), expected.size());
    QCOMPARE(fake.record().frames, expected);
}

void TestBootloaderFrames::dataFrameLengthByte()
{
    FakeXport fake;
    QTcpSocket socket;
    QVERIFY(connectTunnel(socket, fake));
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());
    const QByteArray data = HexImages::pattern(1337, 9);

    transfer.writeSection(SendFirmware::rangeStart, data, true, &socket);
    QTRY_COMPARE(fake.record().blocks.size(), 3);
    QByteArray carried;
    for (const QByteArray& frame : ofCommand(fake.record().frames, '\x0C')) {
        const int length = quint8(frame.at(3));
        QVERIFY(length <= SendFirmware::maxFrameDataBytes);
        QCOMPARE(frame.size(), length + 5);
        carried += frame.mid(4, length);
    }
    QCOMPARE(carried, data);
    QCOMPARE(fake.record().blocks.at(2).address, quint32(0x3E8200));
    QCOMPARE(fake.record().blocks.at(2).data.size(), 1337 - 1024);
}

void TestBootloaderFrames::progressPerSection_data()
{
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("steps");
    QTest::newRow("one frame") << 1 << 0;
    QTest::newRow("51 frames") << 51 << 0;
    QTest::newRow("52 frames") << 52 << 1;
    QTest::newRow("102 frames") << 102 << 1;
    QTest::newRow("103 frames") << 103 << 2;
    QTest::newRow("154 frames") << 154 << 3;
}

void TestBootloaderFrames::progressPerSection()
{
    QFETCH(int, frames);
    QFETCH(int, steps);
    FakeXport fake;
    QTcpSocket socket;
    QVERIFY(connectTunnel(socket, fake));
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());
    Transcript transcript(transfer);

    transfer.writeSection(SendFirmware::rangeStart, HexImages::pattern(32 * frames, 1), true, &socket);
    QCOMPARE(transcript.progress, steps);
    QTRY_COMPARE(ofCommand(fake.record().frames, '\x0C').size(), frames);
}

void TestBootloaderFrames::verifyPassSendsVerifyFrames()
{
    FakeXport fake;
    QTcpSocket socket;
    QVERIFY(connectTunnel(socket, fake));
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());
    Transcript transcript(transfer);

    transfer.writeSection(SendFirmware::rangeStart, HexImages::pattern(600, 1), false, &socket);
    QVERIFY(transcript.errors.isEmpty());
    QTRY_COMPARE(ofCommand(fake.record().frames, '\x0D').size(), 2);
    QVERIFY(ofCommand(fake.record().frames, '\x0B').isEmpty());
}

void TestBootloaderFrames::transferWritesImage()
{
    FakeXport fake;
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());
    Transcript transcript(transfer);
    const QList<HexImages::Section> image{{0x3E8000, HexImages::pattern(700, 1)},
                                          {0x3F0000, HexImages::pattern(90, 2)}};

    transfer.readAndSendFirmware(imageFile(image), QString::fromLatin1(loopback));
    QVERIFY2(transcript.errors.isEmpty(), qPrintable(transcript.lines.join('\n')));
    QCOMPARE(transcript.lines, (QStringList{"Send Erase Packet...", "Erase Timeout 20s", "Memory erased!",
                                            "Write memory...", "Writing completed!"}));
    QCOMPARE(transcript.progress, 3);
    QTRY_COMPARE(fake.record().blocks.size(), 3);
    const FakeXport::Record seen = fake.record();
    QCOMPARE(seen.erases, 1);
    QCOMPARE(seen.frames.first(), SendFirmware::eraseFrame(0x0B));
    QCOMPARE(seen.blocks.at(0).address, quint32(0x3E8000));
    QCOMPARE(seen.blocks.at(0).data, image.at(0).data.left(512));
    QCOMPARE(seen.blocks.at(1).address, quint32(0x3E8100));
    QCOMPARE(seen.blocks.at(1).data, image.at(0).data.mid(512));
    QCOMPARE(seen.blocks.at(2).address, quint32(0x3F0000));
    QCOMPARE(seen.blocks.at(2).data, image.at(1).data);
    QCOMPARE(seen.garbageBytes, 0);
}

void TestBootloaderFrames::eraseReplyMustBeExact_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("without line feed") << QByteArray("ACK");
    QTest::newRow("lower case") << QByteArray("ack\n");
    QTest::newRow("carriage return too") << QByteArray("ACK\r\n");
    QTest::newRow("refusal") << QByteArray("NAK\n");
    QTest::newRow("silence") << QByteArray();
}

void TestBootloaderFrames::eraseReplyMustBeExact()
{
    QFETCH(QByteArray, reply);
    FakeXport::Options options;
    options.eraseReply = reply;
    FakeXport fake(options);
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());
    Transcript transcript(transfer);

    transfer.readAndSendFirmware(imageFile(HexImages::versionedImage(QStringLiteral("1.00"))),
                                 QString::fromLatin1(loopback));
    QCOMPARE(transcript.errors, QStringList{QStringLiteral("ERROR: Flash Erase failed!")});
    QVERIFY(!transcript.lines.contains(QStringLiteral("Write memory...")));
    QTRY_COMPARE(fake.record().erases, 1);
    QCOMPARE(fake.record().frames.size(), 1);
}

void TestBootloaderFrames::earlyEraseReplyCounts()
{
    FakeXport::Options options;
    options.eraseReplyDelayMs = 0;
    FakeXport fake(options);
    FirmwarePacing pacing = shortMotorPacing();
    pacing.firstReplyWaitMs = 400;
    FirmwarePacing::setCurrent(pacing);
    QTcpSocket socket;
    QVERIFY(connectTunnel(socket, fake));
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());

    // The bootloader may answer before the collector's first wait is over; that answer still counts.
    QCOMPARE(transfer.sendErasePacket(0x0B, &socket), QStringLiteral("ACK\n"));
}

void TestBootloaderFrames::parseFailureSendsNothing()
{
    FakeXport fake;
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());
    Transcript transcript(transfer);
    QByteArray text = HexImages::toHex(HexImages::versionedImage(QStringLiteral("1.00")));
    text.replace(":00000001FF", ":0000000100");
    const QString path = m_dir.filePath(QStringLiteral("broken.hex"));
    QVERIFY(HexImages::writeFile(path, text));

    transfer.readAndSendFirmware(path, QString::fromLatin1(loopback));
    QCOMPARE(transcript.errors, QStringList{QStringLiteral("ERROR: Parsing Failed!")});
    QCOMPARE(transcript.lines.size(), 2);
    QVERIFY2(transcript.lines.at(1).contains(QStringLiteral("bad checksum")), qPrintable(transcript.lines.at(1)));
    QCOMPARE(transcript.progress, 2);
    QTest::qWait(100);
    QCOMPARE(fake.record().tunnelConnections, 0);
}

void TestBootloaderFrames::tunnelUnreachable()
{
    FakeXport::Options options;
    options.tunnelService = false;
    FakeXport fake(options);
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());
    Transcript transcript(transfer);

    transfer.readAndSendFirmware(imageFile(HexImages::versionedImage(QStringLiteral("1.00"))),
                                 QString::fromLatin1(loopback));
    QCOMPARE(transcript.errors, QStringList{QStringLiteral("ERROR: Connection Failed!!")});
}

// An image the DSP's flash cannot hold is refused whole, before the erase: the unit keeps its firmware.
void TestBootloaderFrames::imageOutsideRangeIsRefusedBeforeTheErase()
{
    FakeXport fake;
    SendFirmware transfer(FirmwarePacing::current(), fake.ports());
    Transcript transcript(transfer);
    const QList<HexImages::Section> image{{0x3E8000, HexImages::pattern(64, 1)}, {0x3F9000, HexImages::pattern(64, 2)}};

    transfer.readAndSendFirmware(imageFile(image), QString::fromLatin1(loopback));
    QCOMPARE(transcript.errors, QStringList{QStringLiteral("ERROR: Parsing Failed!")});
    QVERIFY2(transcript.lines.last().contains(QStringLiteral("outside the DSP's flash")),
             qPrintable(transcript.lines.last()));
    QTest::qWait(100);
    QCOMPARE(fake.record().tunnelConnections, 0);
}

QTEST_GUILESS_MAIN(TestBootloaderFrames)

#include "tst_bootloaderframes.moc"
