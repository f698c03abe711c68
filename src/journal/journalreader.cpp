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
#include <QSet>

namespace {
// How a completion line is written; inside a string value the quotes would be escaped.
const QByteArray completedMarker = QByteArrayLiteral("\"record\":\"completed\"");
// The last key of a begun line as written (keys are written in order): a line without it was cut off.
const QByteArray lastBegunKey = QByteArrayLiteral("\"user\":\"");
} // namespace

// The changes read so far, and where each id's record sits among them.
struct JournalReader::Lines
{
    QList<JournalRecord> records;
    QHash<QString, int> indexOfId;
    // Changes the filter left out unparsed: their completions are skipped without a word.
    QSet<QByteArray> leftOut;
};

JournalReader::JournalReader(const QString& directory) : m_directory(directory) {}

JournalReader::Result JournalReader::read(const JournalFilter& filter) const
{
    Lines lines;
    Result result;
    for (const QString& path : JournalFile::files(m_directory))
        readFile(path, filter, lines, result.warnings);
    // The filter looks at the outcome too, so it is applied once every completion is in.
    for (const JournalRecord& record : qAsConst(lines.records)) {
        if (filter.matches(record))
            result.records.append(record);
    }
    return result;
}

void JournalReader::readFile(const QString& path, const JournalFilter& filter, Lines& lines,
                             QStringList& warnings) const
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
        // A view into the content: most lines are looked at, not kept.
        const QByteArray line = QByteArray::fromRawData(content.constData() + start, end - start);
        if (end > start && !leftOut(line, filter, lines))
            takeLine(line, QStringLiteral("%1:%2").arg(name).arg(lineNumber), lines, warnings);
        start = end + 1;
    }
}

bool JournalReader::leftOut(const QByteArray& line, const JournalFilter& filter, Lines& lines)
{
    // A line cut off is always parsed, so that it is reported whatever the filter.
    const QByteArray id = JournalFilter::rawValue(line, "id");
    if (id.isEmpty() || !line.endsWith('}'))
        return false;
    if (line.contains(completedMarker))
        return lines.leftOut.contains(id);
    if (!line.contains(lastBegunKey) || filter.mayMatchLine(line))
        return false;
    lines.leftOut.insert(id);
    return true;
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
