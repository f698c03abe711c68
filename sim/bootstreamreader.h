// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Follows the DSP boot ROM's serial loader stream as it arrives and checks its layout: key AA 08, eight
// reserved words, the entry point, blocks (word count, destination, words) and a closing empty block.
// Words are sent least significant byte first; 32-bit values as two words, the high word first.
class BootStreamReader
{
public:
    enum class Status { Reading, Complete, Bad };
    struct Block
    {
        quint32 destination = 0;
        int words = 0;
    };

    static constexpr quint16 kKey = 0x08AA;
    static constexpr int kReservedWords = 8;

    void clear();
    Status feed(const QByteArray& bytes);

    Status status() const { return m_status; }
    // What is wrong (Bad) or still missing (Reading).
    QString problem() const { return m_problem; }
    int size() const { return m_bytes.size(); }
    quint32 entryPoint() const { return m_entry; }
    const QList<Block>& blocks() const { return m_blocks; }

private:
    Status parse();
    bool need(int at, int count, const QString& what);
    Status bad(const QString& problem);
    quint16 wordAt(int at) const;
    quint32 longAt(int at) const;
    bool entryIsLoaded() const;

    QByteArray m_bytes;
    Status m_status = Status::Reading;
    QString m_problem;
    quint32 m_entry = 0;
    QList<Block> m_blocks;
};
