// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/srecordscan.h"

#include <QIODevice>

namespace {
constexpr int typeIndex = 1;
constexpr int countIndex = 2;
constexpr int countDigits = 2;
constexpr int addressIndex = 4;
constexpr int checksumBytes = 1;

int nibble(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

bool readHex(const QByteArray& digits, int expectedDigits, quint64& value)
{
    if (digits.size() != expectedDigits)
        return false;
    value = 0;
    for (const char digit : digits) {
        if (nibble(digit) < 0)
            return false;
        value = value * 16 + quint64(nibble(digit));
    }
    return true;
}

qint8 sectorOf(quint64 address)
{
    return static_cast<qint8>(address / SRecordScan::sectorBytes);
}
} // namespace

int SRecordScan::addressDigits(char recordType)
{
    switch (recordType) {
    case '1':
        return 4;
    case '2':
        return 6;
    case '3':
        return 8;
    default:
        return 0;
    }
}

QList<qint8> SRecordScan::recordSectors(const QByteArray& line)
{
    if (line.size() <= typeIndex)
        return {};
    const int digits = addressDigits(line.at(typeIndex));
    quint64 address = 0;
    if (digits == 0 || !readHex(line.mid(addressIndex, digits), digits, address))
        return {};
    QList<qint8> sectors{sectorOf(address)};
    // A record that runs over a sector boundary writes into the next sector too.
    quint64 count = 0;
    const qint64 dataBytes =
        readHex(line.mid(countIndex, countDigits), countDigits, count) ? qint64(count) - digits / 2 - checksumBytes : 0;
    if (dataBytes > 0) {
        const qint8 last = sectorOf(address + quint64(dataBytes) - 1);
        if (last != sectors.first())
            sectors << last;
    }
    return sectors;
}

SRecordScan SRecordScan::scan(QIODevice& image)
{
    SRecordScan result;
    bool atLineStart = true;
    while (!image.atEnd()) {
        const QByteArray piece = image.readLine(maxPieceBytes + 1);
        if (piece.isEmpty())
            break;
        ++result.m_lineCount;
        // The rest of an over-long line is data, not a record of its own.
        if (atLineStart) {
            for (const qint8 sector : recordSectors(piece))
                result.addSector(sector);
        }
        atLineStart = piece.endsWith('\n');
    }
    return result;
}

SRecordScan SRecordScan::scanRecords(const QList<QByteArray>& records)
{
    SRecordScan result;
    result.m_lineCount = records.size();
    for (const QByteArray& record : records) {
        for (const qint8 sector : recordSectors(record))
            result.addSector(sector);
    }
    return result;
}

void SRecordScan::addSector(qint8 sector)
{
    if (!m_sectors.contains(sector))
        m_sectors << sector;
}
