// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Cuts the bootloader's serial input into frames: 0C 0E, a command byte, a length byte, that many payload
// bytes, and the closing 0E. Bytes outside a frame and frames without their closing byte are reported.
class BootloaderFrameReader
{
public:
    // Stray: bytes skipped while looking for a frame start; Unclosed: a frame whose last byte is not 0E.
    enum class Kind { Command, Unclosed, Stray };
    struct Frame
    {
        Kind kind = Kind::Command;
        quint8 command = 0;
        QByteArray payload;
        QString problem;
    };

    QList<Frame> feed(const QByteArray& bytes);
    void clear() { m_pending.clear(); }

private:
    bool takeOne(QList<Frame>& frames);
    int skipToStart(QList<Frame>& frames);

    QByteArray m_pending;
};
