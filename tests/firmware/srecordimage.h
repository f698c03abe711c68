// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

// Builds Motorola S-record images for the tests, with valid counts and checksums so that srecord's tools
// read them too.
namespace srecordimage {

struct Record
{
    char type;
    quint32 address;
    QByteArray data;
};

inline int addressBytes(char type)
{
    return type == '3' || type == '7' ? 4 : (type == '2' || type == '6' || type == '8' ? 3 : 2);
}

inline QByteArray line(char type, quint32 address, const QByteArray& data, const QByteArray& end = "\n")
{
    QByteArray bytes;
    bytes.append(char(addressBytes(type) + data.size() + 1));
    for (int i = addressBytes(type) - 1; i >= 0; --i)
        bytes.append(char((address >> (8 * i)) & 0xFF));
    bytes.append(data);
    quint8 sum = 0;
    for (const char byte : bytes)
        sum = quint8(sum + quint8(byte));
    bytes.append(char(~sum));
    return QByteArray("S") + type + bytes.toHex().toUpper() + end;
}

inline QByteArray line(const Record& record)
{
    return line(record.type, record.address, record.data);
}

inline QByteArray header()
{
    return line('0', 0, "HDR");
}

// The end record that matches the widest data record type.
inline QByteArray trailer(char dataType, int recordCount)
{
    const char end = dataType == '3' ? '7' : (dataType == '2' ? '8' : '9');
    return line('5', quint32(recordCount), {}) + line(end, 0, {});
}

inline QByteArray image(const QList<Record>& records, char dataType = '1')
{
    QByteArray text = header();
    for (const Record& record : records)
        text += line(record);
    return text + trailer(dataType, records.size());
}

inline QByteArray filler(int bytes, quint8 seed = 0)
{
    QByteArray data;
    for (int i = 0; i < bytes; ++i)
        data.append(char(quint8(seed + i)));
    return data;
}

// The sectors that the data of the records touch, in order of first appearance, as unsigned bytes.
inline QList<quint8> sectorsInOrder(const QList<Record>& records)
{
    QList<quint8> sectors;
    for (const Record& record : records) {
        const quint64 first = record.address;
        const quint64 last = first + quint64(qMax(1, record.data.size())) - 1;
        for (const quint64 address : {first, last}) {
            const quint8 sector = quint8(address / 65536);
            if (!sectors.contains(sector))
                sectors << sector;
        }
    }
    return sectors;
}

inline quint64 below(QRandomGenerator& random, quint64 bound)
{
    return random.generate64() % bound;
}

// Random records of the given types that never overlap, in random order, some across sector boundaries.
inline QList<Record> randomRecords(QRandomGenerator& random, const QByteArray& types, quint64 addressSpace, int count,
                                   bool acrossBoundaries)
{
    QList<Record> records;
    while (records.size() < count) {
        const char type = types.at(random.bounded(types.size()));
        const quint64 space =
            qMin<quint64>(addressSpace, type == '1' ? 0x10000 : (type == '2' ? 0x1000000 : addressSpace));
        const int length = 1 + random.bounded(32);
        quint64 address = below(random, space - quint64(length));
        if (acrossBoundaries && random.bounded(3) == 0 && space > 0x20000) {
            const quint64 boundary = (1 + below(random, space / 65536 - 1)) * 65536;
            address = boundary - quint64(1 + random.bounded(length));
        }
        bool overlaps = false;
        for (const Record& other : qAsConst(records))
            overlaps = overlaps || (address < other.address + quint64(other.data.size()) &&
                                    other.address < address + quint64(length));
        if (!overlaps)
            records << Record{type, quint32(address), filler(length, quint8(records.size()))};
    }
    return records;
}

} // namespace srecordimage
