// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwareimage.h"
#include "firmware/imagefault.h"
#include "firmware/imagerangeset.h"

class ImageTextLines;

// Reads a motor-driver DSP image in Intel HEX form whole into the data records the bootloader is sent.
// Addresses count 16-bit words: a record of n bytes covers (n + 1) / 2 words from its address. Only data,
// end-of-file and extended linear address records are taken; every word must lie in the DSP's flash, no
// word may be written twice, the end-of-file record must be there and only blank lines may follow it.
class HexImageReader
{
public:
    // ':', then count, address, type, 255 data bytes and the checksum as hexadecimal digit pairs.
    static constexpr int maxRecordChars = 1 + 2 * (1 + 2 + 1 + 255 + 1);

    // The bootloader writes blocks of `blockWords` from each section's start; no block may start past
    // `lastBlockStart`, whose block ends the flash.
    HexImageReader(quint64 firstWord, quint64 lastBlockStart, quint64 blockWords)
        : m_firstWord(firstWord), m_lastWord(lastBlockStart + blockWords - 1), m_lastBlockStart(lastBlockStart),
          m_blockWords(blockWords)
    {}

    ImageFault read(const QByteArray& content, FirmwareImage& image);

private:
    ImageFault readRecord(const ImageTextLines& line, FirmwareImage& image);
    ImageFault readFields(const ImageTextLines& line, const QByteArray& bytes, FirmwareImage& image);
    ImageFault readData(const ImageTextLines& line, quint32 address, const QByteArray& data, FirmwareImage& image);
    ImageFault blockFault(const FirmwareImage& image) const;

    quint64 m_firstWord;
    quint64 m_lastWord;
    quint64 m_lastBlockStart;
    quint64 m_blockWords;
    quint32 m_upperAddress = 0;
    int m_endLine = 0;
    ImageRangeSet m_ranges;
};
