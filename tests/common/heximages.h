// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QSet>
#include <QString>
#include <QtGlobal>

// Motor-driver DSP images in Intel HEX form, in word addressing: a record of n data bytes covers n / 2
// addresses, and an extended linear address record sets the upper 16 bits of the word address.
//
// Version marker: a test image carries the ASCII text "KVXVER=" followed by its version ("2.31") and a
// NUL byte at the very start of its data, that is the first bytes written to the flash at the image's
// start address (0x3E8000 for versionedImage()). Whoever reads a written image back finds the
// version there.
namespace HexImages {

struct Section
{
    quint32 address = 0; // word address
    QByteArray data;
};

inline bool operator==(const Section& a, const Section& b)
{
    return a.address == b.address && a.data == b.data;
}

struct Layout
{
    int recordBytes = 32;           // even; the last record of a section may be shorter
    bool crlf = true;               // CR LF line ends, else LF only
    bool lowercase = false;         // hexadecimal digits in lower case
    bool finalNewline = true;       // the end-of-file record ends with a line end
    bool addressRecordFirst = true; // an extended address record before the first data record, even for 0
    QSet<int> repeatedRecords;      // data records (numbered from 0 in file order) written a second time
};

constexpr char versionTag[] = "KVXVER=";
constexpr quint32 imageStart = 0x3E8000;

inline QByteArray record(quint8 type, quint16 address, const QByteArray& data, bool lowercase = false)
{
    QByteArray bytes;
    bytes.append(char(data.size()));
    bytes.append(char(address >> 8));
    bytes.append(char(address & 0xFF));
    bytes.append(char(type));
    bytes.append(data);
    quint8 sum = 0;
    for (const char b : bytes)
        sum = quint8(sum + quint8(b));
    bytes.append(char(quint8(0x100 - sum)));
    const QByteArray digits = bytes.toHex();
    return ':' + (lowercase ? digits : digits.toUpper());
}

inline QByteArray extendedAddressRecord(quint16 upper, bool lowercase = false)
{
    QByteArray data;
    data.append(char(upper >> 8));
    data.append(char(upper & 0xFF));
    return record(0x04, 0, data, lowercase);
}

inline QByteArray endOfFileRecord()
{
    return QByteArrayLiteral(":00000001FF");
}

inline QByteArray toHex(const QList<Section>& sections, const Layout& layout = {})
{
    const QByteArray lineEnd = layout.crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    QByteArray text;
    int upper = layout.addressRecordFirst ? -1 : 0;
    int dataRecords = 0;
    for (const Section& section : sections) {
        int offset = 0;
        while (offset < section.data.size()) {
            const quint32 address = section.address + quint32(offset / 2);
            if (int(address >> 16) != upper) {
                upper = int(address >> 16);
                text += extendedAddressRecord(quint16(upper), layout.lowercase) + lineEnd;
            }
            const int toBoundary = int(2 * (0x10000 - (address & 0xFFFF)));
            const int take = qMin(qMin(layout.recordBytes, int(section.data.size()) - offset), toBoundary);
            const QByteArray data = section.data.mid(offset, take);
            text += record(0x00, quint16(address & 0xFFFF), data, layout.lowercase) + lineEnd;
            if (layout.repeatedRecords.contains(dataRecords)) {
                // A repeat with other bytes: the first record at an address must win.
                QByteArray other = data;
                for (char& b : other)
                    b = char(~b);
                text += record(0x00, quint16(address & 0xFFFF), other, layout.lowercase) + lineEnd;
            }
            ++dataRecords;
            offset += take;
        }
    }
    text += endOfFileRecord();
    if (layout.finalNewline)
        text += lineEnd;
    return text;
}

// Deterministic filler, different for every seed.
inline QByteArray pattern(int bytes, quint32 seed)
{
    QByteArray data(bytes, '\0');
    quint32 state = seed * 2654435761u + 1;
    for (char& b : data) {
        state = state * 1103515245u + 12345u;
        b = char(state >> 16);
    }
    return data;
}

inline QByteArray versionMarker(const QString& version)
{
    return QByteArray(versionTag) + version.toLatin1() + '\0';
}

// An image of the given size at the start of the programmable range, opening with its version marker.
inline QList<Section> versionedImage(const QString& version, int bytes = 1024, quint32 address = imageStart)
{
    QByteArray data = versionMarker(version);
    data += pattern(qMax(0, bytes - int(data.size())), quint32(bytes));
    return {Section{address, data.left(bytes)}};
}

inline bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace HexImages
