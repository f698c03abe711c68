// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "xportwire.h"

#include <QtEndian>

namespace xportwire {
namespace {
constexpr quint32 kThreePins = 0x07;
constexpr int kHeaderBytes = 2 + 8 * 2 + 4;
constexpr int kBlockOverhead = 2 + 4;
constexpr int kClosingBytes = 2;
constexpr int kMaxDataFrame = 32;
constexpr quint32 kLoaderDestination = 0x008000;

quint32 pattern(Mode mode)
{
    switch (mode) {
    case Mode::Normal:
        return 0x07;
    case Mode::ProgramCommunication:
        return 0x05;
    case Mode::ProgramControl:
        return 0x06;
    }
    return 0;
}

QByteArray reply(quint8 code, quint32 value)
{
    QByteArray bytes(5, '\0');
    bytes[0] = char(code);
    qToLittleEndian(value, bytes.data() + 1);
    return bytes;
}

QByteArray frame(quint8 command, const QByteArray& payload)
{
    return QByteArray::fromHex("0c0e") + char(command) + char(payload.size()) + payload + char(0x0E);
}
} // namespace

QByteArray pinCommand(quint8 code, quint32 mask, quint32 value)
{
    QByteArray bytes(9, '\0');
    bytes[0] = char(code);
    qToLittleEndian(mask, bytes.data() + 1);
    qToLittleEndian(value, bytes.data() + 5);
    return bytes;
}

QList<QByteArray> modeCommands(Mode mode)
{
    return {pinCommand(0x19, kThreePins, kThreePins), pinCommand(0x1A, kThreePins, 0), pinCommand(0x1B, kThreePins, 0),
            pinCommand(0x1B, kThreePins, pattern(mode))};
}

QList<QByteArray> modeReplies(Mode mode)
{
    return {reply(0x19, kThreePins), reply(0x1A, 0), reply(0x1B, 0), reply(0x1B, pattern(mode))};
}

QByteArray word(quint16 value)
{
    return QByteArray(1, char(value & 0xFF)) + char(value >> 8);
}

QByteArray longWord(quint32 value)
{
    return word(quint16(value >> 16)) + word(quint16(value & 0xFFFF));
}

QByteArray loaderStream(quint16 key, int reservedWords, quint32 entry, const QList<LoaderBlock>& blocks,
                        bool closingBlock)
{
    QByteArray stream = word(key);
    for (int i = 0; i < reservedWords; ++i)
        stream += word(0);
    stream += longWord(entry);
    for (const LoaderBlock& block : blocks) {
        stream += word(quint16(block.words.size())) + longWord(block.destination);
        for (quint16 value : block.words)
            stream += word(value);
    }
    if (closingBlock)
        stream += word(0);
    return stream;
}

QByteArray loaderStreamOfSize(int size)
{
    LoaderBlock block{kLoaderDestination, {}};
    const int words = (size - kHeaderBytes - kBlockOverhead - kClosingBytes) / 2;
    for (int i = 0; i < words; ++i)
        block.words.append(quint16(0x7600 + i));
    return loaderStream(0x08AA, 8, kLoaderDestination, {block});
}

QByteArray addressFrame(quint32 wordAddress)
{
    QByteArray address(4, '\0');
    qToBigEndian(wordAddress, address.data());
    return frame(0x0A, address);
}

QByteArray dataFrame(const QByteArray& bytes)
{
    return frame(0x0C, bytes);
}

QByteArray writeFrame()
{
    return frame(0x0B, {});
}

QByteArray verifyFrame()
{
    return frame(0x0D, {});
}

QByteArray eraseFrame(quint8 sectors)
{
    return frame(0x0E, QByteArray(1, char(sectors)));
}

QByteArray blockFrames(quint32 wordAddress, const QByteArray& bytes)
{
    QByteArray frames = addressFrame(wordAddress);
    for (int at = 0; at < bytes.size(); at += kMaxDataFrame)
        frames += dataFrame(bytes.mid(at, kMaxDataFrame));
    return frames;
}

} // namespace xportwire
