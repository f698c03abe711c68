// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/datalocation.h"
#include "journal/journalfilter.h"
#include "journal/journalrecord.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

// Reads the journal's files, oldest first, and joins each change's begun and completed lines.
// A line that is no record (cut off by a power failure mid-write) is skipped and reported, and left in
// the file as it is.
class JournalReader
{
    Q_DECLARE_TR_FUNCTIONS(JournalReader)

public:
    struct Result
    {
        // Oldest first, by the order in which they were begun.
        QList<JournalRecord> records;
        // One line per line skipped: file, line number and why.
        QStringList warnings;
    };

    explicit JournalReader(const QString& directory = DataLocation::directory());

    Result read(const JournalFilter& filter = {}) const;

private:
    struct Lines;
    void readFile(const QString& path, const JournalFilter& filter, Lines& lines, QStringList& warnings) const;
    // Whether a line belongs to a change the filter has left out, judged from its bytes alone.
    static bool leftOut(const QByteArray& line, const JournalFilter& filter, Lines& lines);
    void takeLine(const QByteArray& line, const QString& where, Lines& lines, QStringList& warnings) const;

    QString m_directory;
};
