// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bootloaderframereader.h"

namespace {
const QByteArray kStart = QByteArray::fromHex("0c0e");
constexpr char kEnd = 0x0E;
constexpr int kHeader = 4;
constexpr int kCommandAt = 2;
constexpr int kLengthAt = 3;
} // namespace

QList<BootloaderFrameReader::Frame> BootloaderFrameReader::feed(const QByteArray& bytes)
{
    m_pending += bytes;
    QList<Frame> frames;
    while (takeOne(frames)) {
    }
    return frames;
}

bool BootloaderFrameReader::takeOne(QList<Frame>& frames)
{
    if (skipToStart(frames) < 0 || m_pending.size() < kHeader)
        return false;
    const int length = quint8(m_pending.at(kLengthAt));
    const int total = kHeader + length + 1;
    if (m_pending.size() < total)
        return false;
    Frame frame;
    frame.command = quint8(m_pending.at(kCommandAt));
    frame.payload = m_pending.mid(kHeader, length);
    if (m_pending.at(total - 1) != kEnd) {
        frame.kind = Kind::Unclosed;
        frame.problem = QStringLiteral("frame %1 not closed by 0E (byte %2 is %3)")
                            .arg(QString::fromLatin1(m_pending.left(kHeader).toHex(' ')))
                            .arg(total - 1)
                            .arg(QString::fromLatin1(m_pending.mid(total - 1, 1).toHex()));
    }
    m_pending.remove(0, total);
    frames.append(frame);
    return true;
}

// Returns the position of the frame start (0), or -1 while none has arrived.
int BootloaderFrameReader::skipToStart(QList<Frame>& frames)
{
    int start = m_pending.indexOf(kStart);
    // A lone 0C at the end may be the first half of the next start.
    const int keep = start < 0 ? (m_pending.endsWith(kStart.left(1)) ? 1 : 0) : 0;
    const int skip = start < 0 ? m_pending.size() - keep : start;
    if (skip > 0) {
        Frame skipped;
        skipped.kind = Kind::Stray;
        skipped.problem = QStringLiteral("%1 bytes outside a frame: %2")
                              .arg(skip)
                              .arg(QString::fromLatin1(m_pending.left(qMin(skip, 16)).toHex(' ')));
        frames.append(skipped);
        m_pending.remove(0, skip);
    }
    return start < 0 ? -1 : 0;
}
