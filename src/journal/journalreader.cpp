// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journalreader.h"

#include "journal/journalfile.h"

#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QtConcurrent>

namespace {
// How a completion line is written; inside a string value the quotes would be escaped.
const QByteArray completedMarker = QByteArrayLiteral("\"record\":\"completed\"");
// The last key of a begun line as written (keys are written in order): a line without it was cut off.
const QByteArray lastBegunKey = QByteArrayLiteral("\"user\":\"");

// A view into the bytes: most lines are looked at, not kept.
QByteArray view(const QByteArray& bytes, int start, int end)
{
    return QByteArray::fromRawData(bytes.constData() + start, end - start);
}

// Calls take(line, lowerLine, lineNumber) for every line that is not empty.
template <typename Take> void forEachLine(const QByteArray& content, const QByteArray& lower, Take take)
{
    int lineNumber = 0;
    int start = 0;
    while (start < content.size()) {
        int end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        ++lineNumber;
        if (end > start)
            take(view(content, start, end), view(lower, start, end), lineNumber);
        start = end + 1;
    }
}
} // namespace

// One file's bytes, and the ids of the lines in which the filter's text was found.
struct JournalReader::FileContent
{
    QString name;
    QByteArray content;
    QByteArray lower;
    QString readError;
    QSet<QByteArray> textIds;
};

// What one file holds: its changes in order, the completions it brings (of its own changes or of an
// earlier file's) and the ids of the changes the filter left out unparsed.
struct JournalReader::FileLines
{
    struct Completion
    {
        QString id;
        QJsonObject line;
        int lineNumber = 0;
    };
    QString name;
    QList<JournalRecord> records;
    QList<Completion> completions;
    QSet<QByteArray> leftOut;
    QStringList warnings;
};

JournalReader::JournalReader(const QString& directory) : m_directory(directory) {}

JournalReader::Result JournalReader::read(const JournalFilter& filter) const
{
    const JournalLineScreen screen(filter);
    const QStringList paths = JournalFile::files(m_directory);
    QList<QFuture<FileContent>> loading;
    for (const QString& path : paths)
        loading.append(QtConcurrent::run([path, &screen] { return load(path, screen); }));
    QList<FileContent> files;
    // A completion may bring the text for a change begun in an earlier file: every file is looked at first.
    QSet<QByteArray> textIds;
    for (QFuture<FileContent>& file : loading) {
        files.append(file.result());
        textIds.unite(files.last().textIds);
    }
    QList<QFuture<FileLines>> parsing;
    for (const FileContent& file : qAsConst(files))
        parsing.append(QtConcurrent::run([&file, &screen, &textIds] { return parse(file, screen, textIds); }));

    Result result;
    QList<JournalRecord> records;
    QHash<QString, int> indexOfId;
    QSet<QByteArray> leftOut;
    for (int i = 0; i < parsing.size(); ++i) {
        FileLines lines = parsing[i].result();
        if (!files.at(i).readError.isEmpty())
            result.warnings.append(files.at(i).readError);
        result.warnings.append(lines.warnings);
        leftOut.unite(lines.leftOut);
        for (const JournalRecord& record : qAsConst(lines.records)) {
            indexOfId.insert(record.id, records.size());
            records.append(record);
        }
        for (const FileLines::Completion& completion : qAsConst(lines.completions)) {
            const int index = indexOfId.value(completion.id, -1);
            if (index >= 0)
                records[index].complete(completion.line);
            else if (!leftOut.contains(completion.id.toUtf8()))
                result.warnings.append(tr("%1: the completion of a change that was never begun was skipped")
                                           .arg(QStringLiteral("%1:%2").arg(lines.name).arg(completion.lineNumber)));
        }
    }
    // The filter looks at the outcome too, so it is applied once every completion is in.
    for (const JournalRecord& record : qAsConst(records)) {
        if (filter.matches(record))
            result.records.append(record);
    }
    return result;
}

JournalReader::FileContent JournalReader::load(const QString& path, const JournalLineScreen& screen)
{
    FileContent file;
    file.name = QFileInfo(path).fileName();
    QFile reading(path);
    if (!reading.open(QIODevice::ReadOnly)) {
        file.readError = tr("%1: cannot be read: %2").arg(path, reading.errorString());
        return file;
    }
    file.content = reading.readAll();
    file.lower = file.content.toLower();
    if (screen.screensText()) {
        forEachLine(file.content, file.lower, [&](const QByteArray& line, const QByteArray& lower, int) {
            if (screen.containsText(lower))
                file.textIds.insert(JournalFilter::rawValue(line, "id"));
        });
    }
    return file;
}

JournalReader::FileLines JournalReader::parse(const FileContent& file, const JournalLineScreen& screen,
                                              const QSet<QByteArray>& textIds)
{
    FileLines lines;
    lines.name = file.name;
    forEachLine(file.content, file.lower, [&](const QByteArray& line, const QByteArray& lower, int lineNumber) {
        // A line cut off is always parsed, so that it is reported whatever the filter.
        const QByteArray id = JournalFilter::rawValue(line, "id");
        const bool whole = !id.isEmpty() && line.endsWith('}');
        if (whole && line.contains(completedMarker)) {
            if (lines.leftOut.contains(id))
                return;
        } else if (whole && line.contains(lastBegunKey)) {
            const bool textFound = !screen.screensText() || textIds.contains(id);
            if (!textFound || !screen.beginMayMatch(line, lower)) {
                lines.leftOut.insert(QByteArray(id.constData(), id.size()));
                return;
            }
        }
        takeLine(line, lineNumber, file.name, lines);
    });
    return lines;
}

void JournalReader::takeLine(const QByteArray& line, int lineNumber, const QString& name, FileLines& lines)
{
    const auto where = [&] { return QStringLiteral("%1:%2").arg(name).arg(lineNumber); };
    QJsonParseError error{};
    const QJsonObject object = QJsonDocument::fromJson(line, &error).object();
    const QString type = error.error == QJsonParseError::NoError ? JournalRecord::lineType(object) : QString();
    if (type.isEmpty()) {
        lines.warnings.append(tr("%1: an incomplete record was skipped (a write was cut off)").arg(where()));
        return;
    }
    if (type == QLatin1String(JournalRecord::completedLine)) {
        lines.completions.append({JournalRecord::idOf(object), object, lineNumber});
        return;
    }
    const std::optional<JournalRecord> record = JournalRecord::fromBegunJson(object);
    if (!record) {
        lines.warnings.append(tr("%1: a record without id, time or kind was skipped").arg(where()));
        return;
    }
    lines.records.append(*record);
}
