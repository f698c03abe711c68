// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/clidifferenceoutput.h"

#include "cli/clioutput.h"
#include "journal/journaltext.h"

#include <QJsonArray>
#include <QStringList>

namespace {
constexpr auto previousScanKey = "previousScan";
constexpr auto addedKey = "added";
constexpr auto removedKey = "removed";
constexpr auto changedKey = "changed";
constexpr auto lastSeenKey = "lastSeen";
constexpr auto changesKey = "changes";
constexpr auto fieldKey = "field";
constexpr auto oldKey = "old";
constexpr auto newKey = "new";

QLatin1String key(const char* name)
{
    return QLatin1String(name);
}

QString shown(const QString& value)
{
    return value.isEmpty() ? QStringLiteral("-") : value;
}

QStringList unitColumns(const QString& what, const Device_t& device, const QString& details)
{
    return {what, device.mac, device.serialNumber, device.ip, details};
}
} // namespace

QString CliDifferenceOutput::text(const std::optional<ScanDifference>& difference)
{
    if (!difference)
        return tr("\nNo earlier scan to compare with.\n");
    const QString when = JournalText::time(difference->previousScan);
    if (difference->isEmpty())
        return tr("\nNothing changed since the last scan (%1).\n").arg(when);
    QList<QStringList> rows;
    for (const Device_t& device : difference->added)
        rows.append(unitColumns(tr("added"), device, device.description));
    for (const ScanDifference::Removed& removed : difference->removed)
        rows.append(
            unitColumns(tr("removed"), removed.device, tr("last seen %1").arg(JournalText::time(removed.lastSeen))));
    for (const ScanDifference::Changed& changed : difference->changed)
        rows.append(unitColumns(tr("changed"), changed.device, fieldsText(changed.fields)));
    return tr("\nSince the last scan (%1): %2 added, %3 removed, %4 changed\n")
               .arg(when)
               .arg(difference->added.size())
               .arg(difference->removed.size())
               .arg(difference->changed.size()) +
           CliOutput::table({tr("Difference"), tr("MAC"), tr("SN"), tr("IP"), tr("Details")}, rows);
}

QJsonObject CliDifferenceOutput::json(const std::optional<ScanDifference>& difference)
{
    QJsonObject object{{key(previousScanKey), QJsonValue()}};
    QJsonArray added;
    QJsonArray removed;
    QJsonArray changed;
    if (difference) {
        object.insert(key(previousScanKey), difference->previousScan.toUTC().toString(Qt::ISODateWithMs));
        for (const Device_t& device : difference->added)
            added.append(CliOutput::deviceObject(device));
        for (const ScanDifference::Removed& unit : difference->removed) {
            QJsonObject device = CliOutput::deviceObject(unit.device);
            device.insert(key(lastSeenKey), unit.lastSeen.toUTC().toString(Qt::ISODateWithMs));
            removed.append(device);
        }
        for (const ScanDifference::Changed& unit : difference->changed) {
            QJsonArray changes;
            for (const ScanDifference::FieldChange& field : unit.fields)
                changes.append(
                    QJsonObject{{key(fieldKey), field.field}, {key(oldKey), field.before}, {key(newKey), field.after}});
            QJsonObject device = CliOutput::deviceObject(unit.device);
            device.insert(key(changesKey), changes);
            changed.append(device);
        }
    }
    object.insert(key(addedKey), added);
    object.insert(key(removedKey), removed);
    object.insert(key(changedKey), changed);
    return object;
}

QString CliDifferenceOutput::fieldsText(const QList<ScanDifference::FieldChange>& fields)
{
    QStringList parts;
    for (const ScanDifference::FieldChange& field : fields)
        parts.append(field.field + QLatin1Char(' ') + CliOutput::change(shown(field.before), shown(field.after)));
    return parts.join(QStringLiteral(", "));
}
