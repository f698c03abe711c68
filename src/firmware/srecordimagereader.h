// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwareimage.h"
#include "firmware/imagefault.h"
#include "firmware/imagerangeset.h"

class ImageTextLines;

// Reads a Motorola S-record image whole into the records a beamline instrument is sent, one line each.
// Every record must be whole and sound, write below the address limit and no address twice; count records
// must count the data records before them; after an end record (S7, S8, S9) only blank lines may follow.
class SRecordImageReader
{
public:
    // 'S', the type digit, then at most 255 counted bytes and the count itself, as hexadecimal digit pairs.
    static constexpr int maxRecordChars = 2 + 2 + 255 * 2;

    explicit SRecordImageReader(quint64 addressLimit) : m_addressLimit(addressLimit) {}

    // Fills the image's records and ranges; the first fault found ends the reading.
    ImageFault read(const QByteArray& content, FirmwareImage& image);

private:
    ImageFault readRecord(const ImageTextLines& line, FirmwareImage& image);
    ImageFault readFields(const ImageTextLines& line, char type, const QByteArray& bytes, FirmwareImage& image);
    ImageFault countFault(const ImageTextLines& line, quint64 counted) const;

    quint64 m_addressLimit;
    int m_dataRecords = 0;
    int m_endLine = 0;
    QByteArray m_lineEnd;
    ImageRangeSet m_ranges;
};
