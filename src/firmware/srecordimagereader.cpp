// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/srecordimagereader.h"

#include "firmware/firmwareimagecheck.h"
#include "firmware/imagetextlines.h"

namespace {
constexpr int typeIndex = 1;
constexpr int digitsIndex = 2;
constexpr int addressColumn = 5;
const QByteArray defaultLineEnd = QByteArrayLiteral("\n");

int addressBytesOf(char type)
{
    switch (type) {
    case '0':
    case '1':
    case '5':
    case '9':
        return 2;
    case '2':
    case '6':
    case '8':
        return 3;
    case '3':
    case '7':
        return 4;
    default:
        return 0;
    }
}

bool isData(char type)
{
    return type == '1' || type == '2' || type == '3';
}

bool isCount(char type)
{
    return type == '5' || type == '6';
}

bool isEnd(char type)
{
    return type == '7' || type == '8' || type == '9';
}

QString upperHex(quint64 value, int width = 0)
{
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

quint8 checksumOf(const QByteArray& countedBytes)
{
    quint8 sum = 0;
    for (const char byte : countedBytes)
        sum = quint8(sum + quint8(byte));
    return quint8(~sum);
}

quint64 bigEndian(const QByteArray& bytes)
{
    quint64 value = 0;
    for (const char byte : bytes)
        value = value << 8 | quint8(byte);
    return value;
}
} // namespace

ImageFault SRecordImageReader::read(const QByteArray& content, FirmwareImage& image)
{
    const ImageFault fault =
        ImageTextLines::readRecords(content, maxRecordChars, m_endLine,
                                    [this, &image](const ImageTextLines& line) { return readRecord(line, image); });
    if (fault.isFault())
        return fault;
    m_ranges.finish();
    const ImageRangeSet::Overlap overlap = m_ranges.overlap();
    if (overlap.line > 0)
        return ImageFault::at(overlap.line, addressColumn,
                              FirmwareImageCheck::tr("writes address %1 (hexadecimal), which line %2 writes too")
                                  .arg(upperHex(overlap.address))
                                  .arg(overlap.earlierLine));
    if (m_ranges.isEmpty())
        return ImageFault::ofFile(FirmwareImageCheck::tr("no S1, S2 or S3 data record"));
    image.ranges = m_ranges.merged();
    return {};
}

ImageFault SRecordImageReader::readRecord(const ImageTextLines& line, FirmwareImage& image)
{
    const QByteArray& text = line.text();
    const int number = line.number();
    if (text.at(0) != 'S')
        return ImageFault::at(number, 1,
                              FirmwareImageCheck::tr("the line does not start with 'S' but with %1")
                                  .arg(ImageTextLines::shown(text.at(0))));
    if (text.size() <= typeIndex)
        return ImageFault::at(number, 2, FirmwareImageCheck::tr("the line ends after 'S', without a record type"));
    const char type = text.at(typeIndex);
    if (addressBytesOf(type) == 0)
        return ImageFault::at(
            number, 2,
            FirmwareImageCheck::tr("unknown record type S%1 (expected S0 to S3 or S5 to S9)")
                .arg(type > ' ' && type < 0x7F ? QString(QLatin1Char(type)) : ImageTextLines::shown(type)));
    const ImageFault digits = line.hexDigitsFault(digitsIndex);
    if (digits.isFault())
        return digits;
    const ImageFault fields = readFields(line, type, QByteArray::fromHex(text.mid(digitsIndex)), image);
    if (fields.isFault())
        return fields;
    // A last record without a line end goes with the line end its neighbours have.
    if (!line.end().isEmpty())
        m_lineEnd = line.end();
    image.records.append(text +
                         (line.end().isEmpty() ? (m_lineEnd.isEmpty() ? defaultLineEnd : m_lineEnd) : line.end()));
    return {};
}

ImageFault SRecordImageReader::readFields(const ImageTextLines& line, char type, const QByteArray& bytes,
                                          FirmwareImage& image)
{
    const int number = line.number();
    const int addressBytes = addressBytesOf(type);
    if (bytes.isEmpty())
        return ImageFault::at(number, 3, FirmwareImageCheck::tr("too short for an S%1 record").arg(QLatin1Char(type)));
    const int count = quint8(bytes.at(0));
    const int following = bytes.size() - 1;
    if (count != following)
        return ImageFault::at(number, 3,
                              FirmwareImageCheck::tr("count 0x%1 does not match the %2 bytes that follow")
                                  .arg(upperHex(quint64(count), 2))
                                  .arg(following));
    if (count < addressBytes + 1)
        return ImageFault::at(number, 3, FirmwareImageCheck::tr("too short for an S%1 record").arg(QLatin1Char(type)));
    const quint8 expected = checksumOf(bytes.left(following));
    const quint8 found = quint8(bytes.at(following));
    if (found != expected)
        return ImageFault::at(number, line.text().size() - 1,
                              FirmwareImageCheck::tr("bad checksum (is %1, should be %2)")
                                  .arg(upperHex(found, 2), upperHex(expected, 2)));

    const quint64 address = bigEndian(bytes.mid(1, addressBytes));
    const quint64 dataBytes = quint64(count - addressBytes - 1);
    if (isCount(type))
        return countFault(line, address);
    if (isEnd(type))
        m_endLine = number;
    if (!isData(type))
        return {};
    ++m_dataRecords;
    // An empty data record still names a sector, which the instrument would be asked to erase.
    if (address + qMax<quint64>(dataBytes, 1) > m_addressLimit)
        return ImageFault::at(number, addressColumn,
                              FirmwareImageCheck::tr("writes at address %1 (hexadecimal), beyond the flash sectors "
                                                     "that can be erased (below %2)")
                                  .arg(upperHex(qMax(address, m_addressLimit)), upperHex(m_addressLimit)));
    if (dataBytes > 0) {
        m_ranges.add(address, address + dataBytes - 1, number);
        image.dataBytes += dataBytes;
    }
    return {};
}

ImageFault SRecordImageReader::countFault(const ImageTextLines& line, quint64 counted) const
{
    if (counted == quint64(m_dataRecords))
        return {};
    return ImageFault::at(line.number(), addressColumn,
                          FirmwareImageCheck::tr("the count record says %1 data records, the file has %2 before it")
                              .arg(counted)
                              .arg(m_dataRecords));
}
