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
    lines << unitLines(unit) << tr("Change: %1").arg(JournalText::change(record))
          << tr("Before: %1").arg(values(record.before)) << tr("After: %1").arg(values(record.after))
          << tr("Outcome: %1").arg(JournalText::outcome(record));
    // The run's log is what a failed upgrade is looked into with, so it gets a line of its own.
    const QString logFile = record.result.value(QStringLiteral("logFile")).toString();
    if (!logFile.isEmpty())
        lines << tr("Log file: %1").arg(logFile);
    if (!record.result.isEmpty())
        lines << tr("Result: %1").arg(values(record.result));
    return lines.join(QLatin1Char('\n'));
}

QStringList HistoryDetails::unitLines(const JournalUnit& unit)
{
    const auto known = [](const QList<QPair<QString, QString>>& parts) {
        QStringList kept;
        for (const auto& part : parts) {
            if (!part.second.trimmed().isEmpty())
                kept << part.first.arg(part.second);
        }
        return kept.join(QStringLiteral(", "));
    };
    const QString where = known({{tr("MAC %1"), unit.mac}, {tr("serial %1"), unit.serial}, {tr("IP %1"), unit.ip}});
    QStringList lines{tr("Unit: %1").arg(where.isEmpty() ? tr("not known") : where)};
    const QString catalog = known({{tr("code %1"), unit.code}, {tr("family %1"), unit.family}});
    if (!unit.device.isEmpty() || !catalog.isEmpty())
        lines << (catalog.isEmpty() ? tr("Device: %1").arg(unit.device)
                                    : tr("Device: %1 (%2)").arg(unit.device, catalog).trimmed());
    return lines;
}

QString HistoryDetails::values(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}
