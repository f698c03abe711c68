// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/historydetails.h"

#include "journal/journaltext.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

QString HistoryDetails::text(const JournalRecord& record)
{
    const JournalUnit& unit = record.unit;
    QStringList lines{
        tr("Id: %1").arg(record.id), tr("Begun: %1").arg(JournalText::time(record.begun)),
        tr("Completed: %1").arg(record.completed.isValid() ? JournalText::time(record.completed) : tr("never")),
        tr("User: %1").arg(record.user), tr("Kind: %1").arg(JournalText::kind(record.kind))};
    if (!record.undoes.isEmpty())
        lines << tr("Undoes: %1").arg(record.undoes);
    lines << tr("Unit: MAC %1, serial %2, IP %3").arg(unit.mac, unit.serial, unit.ip)
          << tr("Device: %1 (code %2, family %3)").arg(unit.device, unit.code, unit.family)
          << tr("Change: %1").arg(JournalText::change(record)) << tr("Before: %1").arg(values(record.before))
          << tr("After: %1").arg(values(record.after)) << tr("Outcome: %1").arg(JournalText::outcome(record));
    // The run's log is what a failed upgrade is looked into with, so it gets a line of its own.
    const QString logFile = record.result.value(QStringLiteral("logFile")).toString();
    if (!logFile.isEmpty())
        lines << tr("Log file: %1").arg(logFile);
    if (!record.result.isEmpty())
        lines << tr("Result: %1").arg(values(record.result));
    return lines.join(QLatin1Char('\n'));
}

QString HistoryDetails::values(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}
