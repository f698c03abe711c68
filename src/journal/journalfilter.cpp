// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journalfilter.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
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
