// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journalrecord.h"

#include <ctime>

namespace {
constexpr auto lineKey = "record";
constexpr auto idKey = "id";
constexpr auto timeUtcKey = "timeUtc";
constexpr auto timeLocalKey = "timeLocal";
constexpr auto userKey = "user";
constexpr auto kindKey = "kind";
constexpr auto undoesKey = "undoes";
constexpr auto unitKey = "unit";
constexpr auto oldKey = "old";
constexpr auto newKey = "new";
constexpr auto outcomeKey = "outcome";
constexpr auto messageKey = "message";
constexpr auto resultKey = "result";
constexpr auto completedUtcKey = "completedUtc";
constexpr auto completedLocalKey = "completedLocal";

QLatin1String key(const char* name)
{
    return QLatin1String(name);
}

QString utcText(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

// With the offset written out, so that the line tells the wall-clock time the user saw. The offset comes
// from one localtime_r call: the library's own local-time conversions consult the time zone file many
// times over, which would cost each append milliseconds.
QString localText(const QDateTime& time)
{
    const time_t seconds = static_cast<time_t>(time.toSecsSinceEpoch());
    tm local{};
    const int offset = ::localtime_r(&seconds, &local) ? static_cast<int>(local.tm_gmtoff) : 0;
    return time.toOffsetFromUtc(offset).toString(Qt::ISODateWithMs);
}

// The digits of text[at, at + count), or -1 where one is no digit.
int digits(const QString& text, int at, int count)
{
    int value = 0;
    for (int i = at; i < at + count; ++i) {
        const int digit = text.at(i).unicode() - '0';
        if (digit < 0 || digit > 9)
            return -1;
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

// The journal writes its times as yyyy-MM-ddTHH:mm:ss.zzzZ; a long journal holds two per change, and the
// general parser of dates takes a good share of the time it takes to read one. Any other form goes to it.
QDateTime JournalRecord::utcFromText(const QString& text)
{
    static const QString layout = QStringLiteral("0000-00-00T00:00:00.000Z");
    bool asWritten = text.size() == layout.size();
    for (int i = 0; asWritten && i < layout.size(); ++i)
        asWritten = layout.at(i) == QLatin1Char('0') ? text.at(i).isDigit() : text.at(i) == layout.at(i);
    if (!asWritten)
        return QDateTime::fromString(text, Qt::ISODateWithMs).toUTC();
    const QDate date(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
    const QTime time(digits(text, 11, 2), digits(text, 14, 2), digits(text, 17, 2), digits(text, 20, 3));
    if (!date.isValid() || !time.isValid())
        return QDateTime::fromString(text, Qt::ISODateWithMs).toUTC();
    return QDateTime(date, time, Qt::UTC);
}

namespace {
QDateTime timeFrom(const QJsonObject& object, const char* name)
{
    return JournalRecord::utcFromText(object.value(key(name)).toString());
}

void insertTimes(QJsonObject& object, const char* utcKey, const char* localKey, const QDateTime& time)
{
    object.insert(key(utcKey), utcText(time));
    object.insert(key(localKey), localText(time));
}
} // namespace

QJsonObject JournalRecord::begunJson() const
{
    QJsonObject object{{key(lineKey), key(begunLine)}, {key(idKey), id}};
    insertTimes(object, timeUtcKey, timeLocalKey, begun);
    object.insert(key(userKey), user);
    object.insert(key(kindKey), kindName(kind));
    if (!undoes.isEmpty())
        object.insert(key(undoesKey), undoes);
    object.insert(key(unitKey), unit.toJson());
    object.insert(key(oldKey), before);
    object.insert(key(newKey), after);
    return object;
}

QJsonObject JournalRecord::completionJson(const QString& id, const QDateTime& time, Outcome outcome,
                                          const QString& message, const QJsonObject& result)
{
    QJsonObject object{{key(lineKey), key(completedLine)}, {key(idKey), id}};
    insertTimes(object, timeUtcKey, timeLocalKey, time);
    object.insert(key(outcomeKey), outcomeName(outcome));
    object.insert(key(messageKey), message);
    if (!result.isEmpty())
        object.insert(key(resultKey), result);
    return object;
}

QJsonObject JournalRecord::toJson() const
{
    QJsonObject object = begunJson();
    object.remove(key(lineKey));
    object.insert(key(outcomeKey), outcomeName(outcome));
    object.insert(key(messageKey), message);
    object.insert(key(resultKey), result);
    if (completed.isValid())
        insertTimes(object, completedUtcKey, completedLocalKey, completed);
    return object;
}

QString JournalRecord::lineType(const QJsonObject& object)
{
    const QString type = object.value(key(lineKey)).toString();
    return type == key(begunLine) || type == key(completedLine) ? type : QString();
}

QString JournalRecord::idOf(const QJsonObject& line)
{
    return line.value(key(idKey)).toString();
}

std::optional<JournalRecord> JournalRecord::fromBegunJson(const QJsonObject& object)
{
    const std::optional<Kind> kind = kindFromName(object.value(key(kindKey)).toString());
    JournalRecord record;
    record.id = object.value(key(idKey)).toString();
    record.begun = timeFrom(object, timeUtcKey);
    if (!kind || record.id.isEmpty() || !record.begun.isValid())
        return std::nullopt;
    record.kind = *kind;
    record.user = object.value(key(userKey)).toString();
    record.undoes = object.value(key(undoesKey)).toString();
    record.unit = JournalUnit::fromJson(object.value(key(unitKey)).toObject());
    record.before = object.value(key(oldKey)).toObject();
    record.after = object.value(key(newKey)).toObject();
    return record;
}

void JournalRecord::complete(const QJsonObject& completion)
{
    complete(outcomeFromName(completion.value(key(outcomeKey)).toString()), timeFrom(completion, timeUtcKey),
             completion.value(key(messageKey)).toString(), completion.value(key(resultKey)).toObject());
}

void JournalRecord::complete(Outcome ended, const QDateTime& time, const QString& text, const QJsonObject& endResult)
{
    outcome = ended;
    completed = time;
    message = text;
    result = endResult;
}

QString JournalRecord::kindName(Kind kind)
{
    switch (kind) {
    case Kind::NetworkSettings:
        return QStringLiteral("network");
    case Kind::FirmwareUpgrade:
        return QStringLiteral("firmware");
    case Kind::Undo:
        return QStringLiteral("undo");
    }
    return QString();
}

std::optional<JournalRecord::Kind> JournalRecord::kindFromName(const QString& name)
{
    for (Kind kind : {Kind::NetworkSettings, Kind::FirmwareUpgrade, Kind::Undo}) {
        if (kindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

QString JournalRecord::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Unfinished:
        return QStringLiteral("unfinished");
    case Outcome::Succeeded:
        return QStringLiteral("succeeded");
    case Outcome::Failed:
        return QStringLiteral("failed");
    case Outcome::Cancelled:
        return QStringLiteral("cancelled");
    case Outcome::NotConfirmed:
        return QStringLiteral("not confirmed");
    case Outcome::Sent:
        return QStringLiteral("sent");
    }
    return QString();
}

JournalRecord::Outcome JournalRecord::outcomeFromName(const QString& name)
{
    for (Outcome outcome :
         {Outcome::Succeeded, Outcome::Failed, Outcome::Cancelled, Outcome::NotConfirmed, Outcome::Sent}) {
        if (outcomeName(outcome) == name)
            return outcome;
    }
    return Outcome::Unfinished;
}
