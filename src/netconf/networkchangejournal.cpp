// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netconf/networkchangejournal.h"

#include "journal/journalunit.h"
#include "journal/journalvalues.h"
#include "netconf/sentsettingscheck.h"

NetworkChangeJournal::NetworkChangeJournal(const QString& directory) : m_journal(directory) {}

QString NetworkChangeJournal::begin(const Device_t& device, const QJsonObject& after, const QString& undoes)
{
    return begin(JournalUnit::fromDevice(device), JournalValues::network(device), after, undoes);
}

QString NetworkChangeJournal::begin(const JournalUnit& unit, const QJsonObject& before, const QJsonObject& after,
                                    const QString& undoes)
{
    JournalRecord change;
    change.kind = undoes.isEmpty() ? JournalRecord::Kind::NetworkSettings : JournalRecord::Kind::Undo;
    change.undoes = undoes;
    change.unit = unit;
    change.before = before;
    change.after = after;
    const QString id = m_journal.begin(change);
    if (id.isEmpty())
        m_warnings
            << tr("The change of %1 is sent but not recorded in the journal: %2").arg(unit.mac, m_journal.lastError());
    return id;
}

void NetworkChangeJournal::failed(const QString& id, const QString& reason)
{
    complete(id, JournalRecord::Outcome::Failed, reason);
}

void NetworkChangeJournal::succeeded(const QString& id, const QString& message)
{
    complete(id, JournalRecord::Outcome::Succeeded, message);
}

void NetworkChangeJournal::sentUnchecked(const QString& id, const QString& message)
{
    complete(id, JournalRecord::Outcome::Sent, message);
}

void NetworkChangeJournal::completeAfterRescan(const QString& id, bool answers, const QString& address)
{
    if (answers)
        succeeded(id, tr("sent; the unit answers at %1").arg(address));
    else
        complete(id, JournalRecord::Outcome::NotConfirmed,
                 tr("sent, but the rescan did not find the unit at %1").arg(address));
}

QStringList NetworkChangeJournal::completeAfterRescan(const QString& id, const QJsonObject& sent, const Device_t* seen)
{
    const QStringList differences = SentSettingsCheck::differences(sent, seen);
    if (differences.isEmpty())
        succeeded(id, tr("sent; the unit answers at %1 and shows every field sent").arg(seen->ip));
    else
        complete(id, JournalRecord::Outcome::NotConfirmed,
                 seen ? tr("the rescan shows %1").arg(differences.join(QStringLiteral("; "))) : differences.first());
    return differences;
}

void NetworkChangeJournal::complete(const QString& id, JournalRecord::Outcome outcome, const QString& message)
{
    // A change whose beginning could not be written has been warned about already.
    if (id.isEmpty())
        return;
    if (!m_journal.complete(id, outcome, message))
        m_warnings << tr("The outcome of change %1 is not recorded in the journal: %2").arg(id, m_journal.lastError());
}

QStringList NetworkChangeJournal::takeWarnings()
{
    QStringList warnings;
    warnings.swap(m_warnings);
    return warnings;
}
