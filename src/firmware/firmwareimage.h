// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwareimagekind.h"
#include "firmware/parsehex.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// A firmware file as the check read it: exactly what goes to the unit, so that a procedure never reads
// the file a second time and sends something that was not checked.
class FirmwareImage
{
public:
    // Addresses the data covers, first to last inclusive: bytes for S-records, 16-bit words for Intel HEX.
    struct Range
    {
        quint64 first = 0;
        quint64 last = 0;
    };

    FirmwareImageKind kind = FirmwareImageKind::PowerSupplyImage;
    QString path;
    qint64 fileBytes = 0;
    QByteArray sha256; // of the file's bytes as read

    // S-records: one entry per record in file order, with its line end; blank lines are no records.
    QList<QByteArray> records;
    // Intel HEX: the data records in file order, at their word addresses.
    QList<quint32> recordAddresses;
    QList<QByteArray> recordData;

    // The data's addresses, sorted, adjacent ranges joined.
    QList<Range> ranges;
    quint64 dataBytes = 0;

    // The Intel HEX data merged into contiguous sections, as the bootloader takes them.
    DataStruct sections() const;
    // "3E8000-3E80FF, 3F0000-3F001F": the ranges in hexadecimal, in the unit of their kind.
    QString rangesText() const;
    QString sha256Hex() const { return QString::fromLatin1(sha256.toHex()); }
};
