// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journalfilter.h"

#include <QJsonArray>
#include <QString>

#include <QJsonObject>
#include <algorithm>
#include <cctype>

namespace {
bool containsIgnoringCase(const QByteArray& haystack, const QByteArray& needle)
{
    const auto found = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
    return found != haystack.end();
}

QByteArray utcText(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs).toLatin1();
}

bool contains(const QString& haystack, const QString& needle)
{
    return haystack.contains(needle, Qt::CaseInsensitive);
}

bool valueContains(const QJsonValue& value, const QString& needle)
{
    if (value.isString())
        return contains(value.toString(), needle);
    if (value.isDouble())
        return contains(QString::number(value.toDouble(), 'f', 0), needle);
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (valueContains(it.value(), needle))
                return true;
        }
    }
    if (value.isArray()) {
        for (const QJsonValue& item : value.toArray()) {
            if (valueContains(item, needle))
                return true;
        }
    }
    return false;
}
} // namespace

bool JournalFilter::matches(const JournalRecord& record) const
{
    if (since.isValid() && record.begun < since)
        return false;
    if (until.isValid() && record.begun >= until)
        return false;
    if (!mac.isEmpty() && normalisedMac(record.unit.mac) != normalisedMac(mac))
        return false;
    return text.isEmpty() || matchesText(record);
}

bool JournalFilter::mayMatchLine(const QByteArray& line) const
{
    if (since.isValid() || until.isValid()) {
        // Times are written in UTC with milliseconds, so their texts sort as the times do.
        const QByteArray time = rawValue(line, "timeUtc");
        if (since.isValid() && !time.isEmpty() && time < utcText(since))
            return false;
        if (until.isValid() && !time.isEmpty() && time >= utcText(until))
            return false;
    }
    if (mac.isEmpty())
        return true;
    const QByteArray colons = normalisedMac(mac).toLatin1();
    return containsIgnoringCase(line, colons) || containsIgnoringCase(line, QByteArray(colons).replace(':', '-'));
}

QByteArray JournalFilter::rawValue(const QByteArray& line, const char* key)
{
    const QByteArray opening = QByteArray("\"") + key + "\":\"";
    const int start = line.indexOf(opening);
    if (start < 0)
        return QByteArray();
    const int valueStart = start + opening.size();
    const int end = line.indexOf('"', valueStart);
    return end < 0 ? QByteArray() : line.mid(valueStart, end - valueStart);
}

bool JournalFilter::matchesText(const JournalRecord& record) const
{
    const JournalUnit& unit = record.unit;
    for (const QString* field : {&unit.mac, &unit.serial, &unit.ip, &unit.code, &unit.family, &unit.device,
                                 &record.user, &record.message, &record.id}) {
        if (contains(*field, text))
            return true;
    }
    return valueContains(record.before, text) || valueContains(record.after, text) ||
           valueContains(record.result, text);
}

QString JournalFilter::normalisedMac(const QString& mac)
{
    return mac.trimmed().toUpper().replace(QLatin1Char('-'), QLatin1Char(':'));
}
