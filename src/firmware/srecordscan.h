// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

class QIODevice;

// The first pass over a Motorola S-record image before a beamline flash is reprogrammed: how many
// lines it has (for the progress step) and which 64 KiB flash sectors its data records touch, in
// order of first appearance. The image is read in lines of at most 99 bytes; a longer line is
// counted as several.
class SRecordScan
{
public:
    static constexpr int maxPieceBytes = 99;
    static constexpr int progressSteps = 70;
    static constexpr int sectorBytes = 65536;

    // Reads the device from its present position to its end.
    static SRecordScan scan(QIODevice& image);
    // The records of a checked image, one line each.
    static SRecordScan scanRecords(const QList<QByteArray>& records);

    int lineCount() const { return m_lineCount; }
    // Lines per progress step; 0 for an image of fewer than progressSteps lines.
    int linesPerStep() const { return m_lineCount / progressSteps; }
    // A sector is the load address divided by 65536, kept as the instrument's signed byte.
    QList<qint8> sectors() const { return m_sectors; }

    // Hexadecimal digits of the load address of a record type ('1', '2', '3'); 0 for any other type.
    static int addressDigits(char recordType);
    // Sectors of the first and of the last data byte of one record line (one entry when they are the
    // same); empty for records without a load address or with an address that is not hexadecimal.
    static QList<qint8> recordSectors(const QByteArray& line);

private:
    void addSector(qint8 sector);

    int m_lineCount = 0;
    QList<qint8> m_sectors;
};
