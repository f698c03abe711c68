// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journalreader.h"

#include "journal/journalfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

// The changes read so far, and where each id's record sits among them.
struct JournalReader::Lines
{
    QList<JournalRecord> records;
    QHash<QString, int> indexOfId;
};

JournalReader::JournalReader(const QString& directory) : m_directory(directory) {}

JournalReader::Result JournalReader::read(const JournalFilter& filter) const
{
    Lines lines;
    Result result;
    for (const QString& path : JournalFile::files(m_directory))
        readFile(path, lines, result.warnings);
    // The filter looks at the outcome too, so it is applied once every completion is in.
    for (const JournalRecord& record : qAsConst(lines.records)) {
        if (filter.matches(record))
            result.records.append(record);
    }
    return result;
}

void JournalReader::readFile(const QString& path, Lines& lines, QStringList& warnings) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        warnings.append(tr("%1: cannot be read: %2").arg(path, file.errorString()));
        return;
    }
    const QByteArray content = file.readAll();
    const QString name = QFileInfo(path).fileName();
    int lineNumber = 0;
    int start = 0;
    while (start < content.size()) {
        int end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        ++lineNumber;
        if (end > start)
            takeLine(content.mid(start, end - start), QStringLiteral("%1:%2").arg(name).arg(lineNumber), lines,
                     warnings);
        start = end + 1;
    }
}

void JournalReader::takeLine(const QByteArray& line, const QString& where, Lines& lines, QStringList& warnings) const
{
    QJsonParseError error{};
    const QJsonObject object = QJsonDocument::fromJson(line, &error).object();
    const QString type = error.error == QJsonParseError::NoError ? JournalRecord::lineType(object) : QString();
    if (type.isEmpty()) {
        warnings.append(tr("%1: an incomplete record was skipped (a write was cut off)").arg(where));
        return;
    }
    if (type == QLatin1String(JournalRecord::completedLine)) {
        const int index = lines.indexOfId.value(JournalRecord::idOf(object), -1);
        if (index < 0)
            warnings.append(tr("%1: the completion of a change that was never begun was skipped").arg(where));
        else
            lines.records[index].complete(object);
        return;
    }
    const std::optional<JournalRecord> record = JournalRecord::fromBegunJson(object);
    if (!record) {
        warnings.append(tr("%1: a record without id, time or kind was skipped").arg(where));
        return;
    }
    lines.indexOfId.insert(record->id, lines.records.size());
    lines.records.append(*record);
}
