// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/heximagereader.h"

#include "firmware/firmwareimagecheck.h"
#include "firmware/imagetextlines.h"

namespace {
constexpr int headerBytes = 4;
constexpr int checksumBytes = 1;
constexpr int countColumn = 2;
constexpr int addressColumn = 4;
constexpr int typeColumn = 8;

constexpr quint8 dataRecord = 0x00;
constexpr quint8 endOfFileRecord = 0x01;
constexpr quint8 extendedLinearAddressRecord = 0x04;

QString upperHex(quint64 value, int width = 0)
{
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

quint8 byteSum(const QByteArray& bytes)
{
    quint8 sum = 0;
    for (const char b : bytes)
        sum = quint8(sum + quint8(b));
    return sum;
}
} // namespace

ImageFault HexImageReader::read(const QByteArray& content, FirmwareImage& image)
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
                              FirmwareImageCheck::tr("writes word address %1 (hexadecimal), which line %2 writes too")
                                  .arg(upperHex(overlap.address))
                                  .arg(overlap.earlierLine));
    if (m_ranges.isEmpty())
        return ImageFault::ofFile(FirmwareImageCheck::tr("no data records"));
    // Without it a file cut short at a record boundary would look whole.
    if (m_endLine == 0)
        return ImageFault::ofFile(
            FirmwareImageCheck::tr("no end-of-file record (:00000001FF): the file may be cut short"));
    image.ranges = m_ranges.merged();
    return blockFault(image);
}

// A section that starts late in the flash may put its last block's start beyond the last one the
// bootloader takes, though every word of it lies in the flash.
ImageFault HexImageReader::blockFault(const FirmwareImage& image) const
{
    const DataStruct sections = image.sections();
    for (int i = 0; i < sections.data.size(); ++i) {
        const quint64 start = quint32(sections.startAddresses.at(i));
        const quint64 blockBytes = 2 * m_blockWords;
        const quint64 lastBlock = start + m_blockWords * ((quint64(sections.data.at(i).size()) - 1) / blockBytes);
        if (lastBlock > m_lastBlockStart)
            return ImageFault::ofFile(
                FirmwareImageCheck::tr("the data from word address %1 (hexadecimal) is written in "
                                       "blocks of %2 words, the last from %3, beyond %4, the "
                                       "last block the DSP's flash takes")
                    .arg(upperHex(start))
                    .arg(m_blockWords)
                    .arg(upperHex(lastBlock), upperHex(m_lastBlockStart)));
    }
    return {};
}

ImageFault HexImageReader::readRecord(const ImageTextLines& line, FirmwareImage& image)
{
    const QByteArray& text = line.text();
    if (text.at(0) != ':')
        return ImageFault::at(line.number(), 1,
                              FirmwareImageCheck::tr("the line does not start with ':' but with %1")
                                  .arg(ImageTextLines::shown(text.at(0))));
    const ImageFault digits = line.hexDigitsFault(1);
    if (digits.isFault())
        return digits;
    const QByteArray bytes = QByteArray::fromHex(text.mid(1));
    if (bytes.size() < headerBytes + checksumBytes)
        return ImageFault::at(
            line.number(), text.size(),
            FirmwareImageCheck::tr("too short for a record (%1 bytes, at least 5)").arg(bytes.size()));
    const int count = quint8(bytes.at(0));
    const int dataBytes = bytes.size() - headerBytes - checksumBytes;
    if (count != dataBytes)
        return ImageFault::at(line.number(), countColumn,
                              FirmwareImageCheck::tr("count 0x%1 does not match the %2 data bytes of the line")
                                  .arg(upperHex(quint64(count), 2))
                                  .arg(dataBytes));
    const quint8 sum = byteSum(bytes);
    if (sum != 0) {
        const quint8 found = quint8(bytes.at(bytes.size() - 1));
        return ImageFault::at(line.number(), text.size() - 1,
                              FirmwareImageCheck::tr("bad checksum (is %1, should be %2)")
                                  .arg(upperHex(found, 2), upperHex(quint8(found - sum), 2)));
    }
    return readFields(line, bytes, image);
}

ImageFault HexImageReader::readFields(const ImageTextLines& line, const QByteArray& bytes, FirmwareImage& image)
{
    const quint32 addressField = quint32(quint8(bytes.at(1))) << 8 | quint8(bytes.at(2));
    const quint8 type = quint8(bytes.at(3));
    const QByteArray data = bytes.mid(headerBytes, bytes.size() - headerBytes - checksumBytes);
    switch (type) {
    case dataRecord:
        return readData(line, m_upperAddress + addressField, data, image);
    case endOfFileRecord:
        // Its bytes would be dropped without a word: the file is not what its writer meant.
        if (!data.isEmpty())
            return ImageFault::at(
                line.number(), countColumn,
                FirmwareImageCheck::tr("an end-of-file record holds no data (has %1 bytes)").arg(data.size()));
        m_endLine = line.number();
        return {};
    case extendedLinearAddressRecord:
        if (addressField != 0 || data.size() != 2)
            return ImageFault::at(line.number(), addressColumn,
                                  FirmwareImageCheck::tr("an extended address record needs address 0000 and two data "
                                                         "bytes (has address %1 and %2 bytes)")
                                      .arg(upperHex(addressField, 4))
                                      .arg(data.size()));
        m_upperAddress = quint32(quint8(data.at(0))) << 24 | quint32(quint8(data.at(1))) << 16;
        return {};
    default:
        return ImageFault::at(line.number(), typeColumn,
                              FirmwareImageCheck::tr("record type %1 is not taken by the motor driver (00, 01 and 04 "
                                                     "are)")
                                  .arg(upperHex(type, 2)));
    }
}

ImageFault HexImageReader::readData(const ImageTextLines& line, quint32 address, const QByteArray& data,
                                    FirmwareImage& image)
{
    if (data.isEmpty())
        return {};
    const quint64 last = quint64(address) + quint64(data.size() - 1) / 2;
    if (address < m_firstWord || last > m_lastWord)
        return ImageFault::at(line.number(), addressColumn,
                              FirmwareImageCheck::tr("writes word addresses %1 to %2 (hexadecimal), outside the "
                                                     "DSP's flash (%3 to %4)")
                                  .arg(upperHex(address), upperHex(last), upperHex(m_firstWord), upperHex(m_lastWord)));
    m_ranges.add(address, last, line.number());
    image.recordAddresses.append(address);
    image.recordData.append(data);
    image.dataBytes += quint64(data.size());
    return {};
}
