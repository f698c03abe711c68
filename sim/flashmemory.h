// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>

// A unit's flash, in 64 KiB sectors. A sector never erased holds the old firmware and takes no writes; an
// erased one reads 0xFF and takes each byte once, as NOR flash does. Remembers what one programming run wrote.
class FlashMemory
{
public:
    static constexpr quint32 kSectorSize = 0x10000;
    static constexpr int kSectors = 256;

    struct Region
    {
        quint32 start = 0;
        quint64 length = 0;
        QByteArray sha256;
    };

    bool erase(int sector);
    // Writes all of data or, when a target byte is not erased, nothing.
    bool write(quint32 address, const QByteArray& data);
    QByteArray read(quint32 address, quint64 length) const;

    void startRun() { m_written.clear(); }
    // The contiguous stretches written since startRun(), in address order, with their content's SHA-256.
    QList<Region> writtenRegions() const;

private:
    bool isErased(quint32 address, quint64 length) const;
    void remember(quint64 start, quint64 end);

    QHash<quint32, QByteArray> m_sectors;
    QMap<quint64, quint64> m_written;
};
