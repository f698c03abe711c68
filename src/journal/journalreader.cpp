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
#include <QVarLengthArray>
#include <QtConcurrent>

#include <algorithm>
#include <vector>

namespace {
// How a completion line is written; inside a string value the quotes would be escaped.
const QByteArray completedMarker = QByteArrayLiteral("\"record\":\"completed\"");
// The last key of a begun line as written (keys are written in order): a line without it was cut off.
const QByteArray lastBegunKey = QByteArrayLiteral("\"user\":\"");
// Fewer bytes than any begun line takes (its keys alone do), and a bound on what one file reserves.
constexpr qint64 shortestBegunLineBytes = 100;
constexpr qint64 maxReservedChanges = 1 << 20;

// A view into the bytes: most lines are looked at, not kept.
QByteArray view(const QByteArray& bytes, int start, int end)
{
    return QByteArray::fromRawData(bytes.constData() + start, end - start);
}

// A line that is one object of plain strings, {"key":"value",...}, each of printable ASCII without escapes
// and no key twice: its pairs as views into the line. Anything else gives nothing, and is left to the
// general parser; what this reads is a part of JSON, so both read such a line alike.
using FlatPairs = QVarLengthArray<QPair<QByteArray, QByteArray>, 8>;

int plainStringEnd(const QByteArray& line, int opening)
{
    if (opening >= line.size() || line.at(opening) != '"')
        return -1;
    for (int i = opening + 1; i < line.size(); ++i) {
        const char c = line.at(i);
        if (c == '"')
            return i;
        if (c < 0x20 || c > 0x7e || c == '\\')
            return -1;
    }
    return -1;
}

bool readFlatPairs(const QByteArray& line, FlatPairs& pairs)
{
    if (!line.startsWith('{') || !line.endsWith('}'))
        return false;
    int at = 1;
    while (true) {
        const int keyEnd = plainStringEnd(line, at);
        if (keyEnd < 0 || keyEnd + 1 >= line.size() || line.at(keyEnd + 1) != ':')
            return false;
        const int valueEnd = plainStringEnd(line, keyEnd + 2);
        if (valueEnd < 0 || valueEnd + 1 >= line.size())
            return false;
        const QByteArray key = view(line, at + 1, keyEnd);
        for (const auto& pair : pairs) {
            if (pair.first == key)
                return false;
        }
        pairs.append({key, view(line, keyEnd + 3, valueEnd)});
        const char next = line.at(valueEnd + 1);
        if (next == '}')
            return valueEnd + 2 == line.size();
        if (next != ',')
            return false;
        at = valueEnd + 2;
    }
}

// Calls take(line, lowerLine, lineNumber) for every line of the bytes that is not empty; returns where the
// unfinished last line starts (the end of the bytes when the last line is finished, or at the end).
template <typename Take>
int forEachLine(const QByteArray& content, const QByteArray& lower, bool atEnd, int& lineNumber, Take take)
{
    int start = 0;
    while (start < content.size()) {
        int end = content.indexOf('\n', start);
        if (end < 0 && !atEnd)
            return start;
        if (end < 0)
            end = content.size();
        ++lineNumber;
        if (end > start)
            take(view(content, start, end), view(lower, start, end), lineNumber);
        start = end + 1;
    }
    return content.size();
}

// Reads the file a block at a time and calls take(line, lowerLine, lineNumber) for every line that is not
// empty. The lines are views into one block that is reused: a journal of many megabytes is never held
// whole, and its memory is never touched for the first time twice. Returns an error text, or nothing.
template <typename Take> QString forEachLineOf(const QString& path, bool lowerCase, Take take)
{
    constexpr qint64 blockBytes = 1 << 20;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return JournalReader::tr("%1: cannot be read: %2").arg(path, file.errorString());
    QByteArray block;
    QByteArray lower;
    int lineNumber = 0;
    bool atEnd = false;
    while (!atEnd) {
        const int kept = block.size();
        block.resize(kept + int(blockBytes));
        const qint64 got = file.read(block.data() + kept, blockBytes);
        if (got < 0)
            return JournalReader::tr("%1: cannot be read: %2").arg(path, file.errorString());
        block.resize(kept + int(got));
        atEnd = got == 0;
        if (lowerCase)
            lower = block.toLower();
        const int unfinished = forEachLine(block, lowerCase ? lower : block, atEnd, lineNumber, take);
        block.remove(0, unfinished);
    }
    return QString();
}
} // namespace

// What one file holds: its changes in order, already joined with the completions the file brings for
// them; the completions of changes begun in an earlier file; and the ids of the changes the filter left
// out unparsed. Each file is joined in its own thread, so that only what crosses files is left to the end.
struct JournalReader::Completion
{
    QString id;
    JournalRecord::Outcome outcome = JournalRecord::Outcome::Unfinished;
    QDateTime time;
    QString message;
    QJsonObject result;
    int lineNumber = 0;
    // How many changes of the file came before it: its own is nearly always among the last few of them.
    int changesBefore = 0;
};

struct JournalReader::FileLines
{
    QString name;
    JournalRecords records;
    QList<Completion> earlierCompletions;
    QSet<QByteArray> leftOut;
    QString readError;
    QStringList warnings;
};

JournalReader::JournalReader(const QString& directory) : m_directory(directory) {}

JournalReader::Result JournalReader::read(const JournalFilter& filter) const
{
    const JournalLineScreen screen(filter);
    const QStringList paths = JournalFile::files(m_directory);
    // A completion may bring the text for a change begun in an earlier file: every file is looked at first.
    const QSet<QByteArray> textIds = screen.screensText() ? idsWithText(paths, screen) : QSet<QByteArray>();
    std::vector<FileLines> parsed(size_t(paths.size()));
    QList<QFuture<void>> work;
    for (int i = 0; i < paths.size(); ++i) {
        FileLines& lines = parsed[size_t(i)];
        const QString path = paths.at(i);
        work.append(QtConcurrent::run([path, &lines, &screen, &textIds] { lines = parse(path, screen, textIds); }));
    }

    int total = 0;
    for (size_t i = 0; i < parsed.size(); ++i) {
        work[int(i)].waitForFinished();
        total += parsed[i].records.size();
    }
    Result result;
    // Grown once: each growth of a hundred thousand changes would be memory touched for the first time.
    result.records.reserve(total);
    QSet<QByteArray> leftOut;
    for (FileLines& lines : parsed) {
        if (!lines.readError.isEmpty())
            result.warnings.append(lines.readError);
        result.warnings.append(lines.warnings);
        completeEarlierChanges(lines, leftOut, result);
        leftOut.unite(lines.leftOut);
        for (JournalRecord& record : lines.records)
            result.records.append(std::move(record));
        lines = FileLines();
    }
    if (filter.isEmpty())
        return result;
    // The filter looks at the outcome too, so it is applied once every completion is in.
    const auto passed = std::remove_if(result.records.begin(), result.records.end(),
                                       [&filter](const JournalRecord& record) { return !filter.matches(record); });
    result.records.erase(passed, result.records.end());
    return result;
}

QSet<QByteArray> JournalReader::idsWithText(const QStringList& paths, const JournalLineScreen& screen)
{
    std::vector<QSet<QByteArray>> perFile(size_t(paths.size()));
    QList<QFuture<void>> work;
    for (int i = 0; i < paths.size(); ++i) {
        QSet<QByteArray>& found = perFile[size_t(i)];
        const QString path = paths.at(i);
        work.append(QtConcurrent::run([path, &screen, &found] { found = screenText(path, screen); }));
    }
    QSet<QByteArray> ids;
    for (size_t i = 0; i < perFile.size(); ++i) {
        work[int(i)].waitForFinished();
        ids.unite(perFile[i]);
    }
    return ids;
}

// Completions of changes begun in an earlier file are rare (a change that ended after the file rotated):
// the changes read so far are searched for them, newest first, as a later change of the same id wins.
void JournalReader::completeEarlierChanges(const FileLines& lines, const QSet<QByteArray>& leftOut, Result& result)
{
    for (const Completion& completion : lines.earlierCompletions) {
        const auto found =
            std::find_if(result.records.rbegin(), result.records.rend(),
                         [&completion](const JournalRecord& record) { return record.id == completion.id; });
        if (found != result.records.rend())
            found->complete(completion.outcome, completion.time, completion.message, completion.result);
        else if (!leftOut.contains(completion.id.toUtf8()))
            result.warnings.append(tr("%1: the completion of a change that was never begun was skipped")
                                       .arg(QStringLiteral("%1:%2").arg(lines.name).arg(completion.lineNumber)));
    }
}

// The ids of the file's lines in which the filter's text was found. A file that cannot be read here is
// reported by its parse.
QSet<QByteArray> JournalReader::screenText(const QString& path, const JournalLineScreen& screen)
{
    QSet<QByteArray> ids;
    forEachLineOf(path, true, [&](const QByteArray& line, const QByteArray& lower, int) {
        if (screen.containsText(lower))
            ids.insert(JournalFilter::rawValue(line, "id"));
    });
    return ids;
}

JournalReader::FileLines JournalReader::parse(const QString& path, const JournalLineScreen& screen,
                                              const QSet<QByteArray>& textIds)
{
    FileLines lines;
    const QFileInfo file(path);
    lines.name = file.fileName();
    // Room for as many changes as the file could hold: what is never written to costs no memory.
    lines.records.reserve(int(qMin<qint64>(file.size() / shortestBegunLineBytes, maxReservedChanges)));
    QList<Completion> completions;
    const auto take = [&](const QByteArray& line, const QByteArray& lower, int lineNumber) {
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
        takeLine(line, lineNumber, lines.name, lines, completions);
    };
    lines.readError = forEachLineOf(path, screen.looksIntoLines(), take);
    joinCompletions(completions, lines);
    return lines;
}

// Half a journal's lines are completions without a result, written as flat objects of plain strings: they
// are read here without the general parser, which builds an object for each. Any other line is left to it.
bool JournalReader::takeFlatCompletion(const QByteArray& line, int lineNumber, int changesBefore,
                                       QList<Completion>& completions)
{
    static const QSet<QByteArray> known{"id", "record", "outcome", "message", "timeUtc", "timeLocal"};
    FlatPairs pairs;
    if (!line.contains(completedMarker) || !readFlatPairs(line, pairs))
        return false;
    Completion completion;
    QByteArray record;
    for (const auto& pair : pairs) {
        if (!known.contains(pair.first))
            return false;
        const QString value = QString::fromLatin1(pair.second);
        if (pair.first == "id")
            completion.id = value;
        else if (pair.first == "record")
            record = pair.second;
        else if (pair.first == "outcome")
            completion.outcome = JournalRecord::outcomeFromName(value);
        else if (pair.first == "message")
            completion.message = value;
        else if (pair.first == "timeUtc")
            completion.time = JournalRecord::utcFromText(value);
    }
    if (record != JournalRecord::completedLine)
        return false;
    completion.lineNumber = lineNumber;
    completion.changesBefore = changesBefore;
    completions.append(completion);
    return true;
}

// A completion is nearly always written soon after its change, so the few changes before it are looked at
// first; the rest of the file (where a completion came first, or long after) only when that fails.
void JournalReader::joinCompletions(const QList<Completion>& completions, FileLines& lines)
{
    constexpr int nearby = 64;
    QHash<QString, int> indexOfId;
    for (const Completion& completion : completions) {
        int index = -1;
        for (int i = completion.changesBefore - 1; i >= qMax(0, completion.changesBefore - nearby) && index < 0; --i) {
            if (lines.records.at(i).id == completion.id)
                index = i;
        }
        if (index < 0) {
            if (indexOfId.isEmpty()) {
                for (int i = 0; i < lines.records.size(); ++i)
                    indexOfId.insert(lines.records.at(i).id, i);
            }
            index = indexOfId.value(completion.id, -1);
        }
        if (index >= 0)
            lines.records[index].complete(completion.outcome, completion.time, completion.message, completion.result);
        else
            lines.earlierCompletions.append(completion);
    }
}

void JournalReader::takeLine(const QByteArray& line, int lineNumber, const QString& name, FileLines& lines,
                             QList<Completion>& completions)
{
    const auto where = [&] { return QStringLiteral("%1:%2").arg(name).arg(lineNumber); };
    if (takeFlatCompletion(line, lineNumber, int(lines.records.size()), completions))
        return;
    QJsonParseError error{};
    const QJsonObject object = QJsonDocument::fromJson(line, &error).object();
    const QString type = error.error == QJsonParseError::NoError ? JournalRecord::lineType(object) : QString();
    if (type.isEmpty()) {
        lines.warnings.append(tr("%1: an incomplete record was skipped (a write was cut off)").arg(where()));
        return;
    }
    if (type == QLatin1String(JournalRecord::completedLine)) {
        JournalRecord ended;
        ended.complete(object);
        completions.append({JournalRecord::idOf(object), ended.outcome, ended.completed, ended.message, ended.result,
                            lineNumber, int(lines.records.size())});
        return;
    }
    std::optional<JournalRecord> record = JournalRecord::fromBegunJson(object);
    if (!record) {
        lines.warnings.append(tr("%1: a record without id, time or kind was skipped").arg(where()));
        return;
    }
    lines.records.append(std::move(*record));
}
