// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/datalocation.h"
#include "journal/journalfilter.h"
#include "journal/journallinescreen.h"
#include "journal/journalrecord.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Reads the journal's files, oldest first, and joins each change's begun and completed lines.
// A line that is no record (cut off by a power failure mid-write) is skipped and reported, and left in
// the file as it is. The files are read and parsed side by side, one per thread, and joined in order.
class JournalReader
{
    Q_DECLARE_TR_FUNCTIONS(JournalReader)

public:
    struct Result
    {
        // Oldest first, by the order in which they were begun.
        JournalRecords records;
        // One line per line skipped: file, line number and why.
        QStringList warnings;
    };

    explicit JournalReader(const QString& directory = DataLocation::directory());

    Result read(const JournalFilter& filter = {}) const;

private:
    struct Completion;
    struct FileLines;
    static QSet<QByteArray> idsWithText(const QStringList& paths, const JournalLineScreen& screen);
    static QSet<QByteArray> screenText(const QString& path, const JournalLineScreen& screen);
    static FileLines parse(const QString& path, const JournalLineScreen& screen, const QSet<QByteArray>& textIds);
    static void joinCompletions(const QList<Completion>& completions, FileLines& lines);
    static void completeEarlierChanges(const FileLines& lines, const QSet<QByteArray>& leftOut, Result& result);
    static bool takeFlatCompletion(const QByteArray& line, int lineNumber, int changesBefore,
                                   QList<Completion>& completions);
    static void takeLine(const QByteArray& line, int lineNumber, const QString& name, FileLines& lines,
                         QList<Completion>& completions);

    QString m_directory;
};
