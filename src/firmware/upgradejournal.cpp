// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/upgradejournal.h"

#include "journal/journalunit.h"
#include "journal/journalvalues.h"

UpgradeJournal::UpgradeJournal(const QString& directory) : m_journal(directory) {}

QString UpgradeJournal::begin(const Device_t& unit, const QString& firmwarePath)
{
    JournalRecord upgrade;
    upgrade.kind = JournalRecord::Kind::FirmwareUpgrade;
    upgrade.unit = JournalUnit::fromDevice(unit);
    upgrade.before = JournalValues::firmwareVersion(unit.firmwareVersion);
    upgrade.after = JournalValues::firmwareFile(firmwarePath);
    const QString id = m_journal.begin(upgrade);
    if (id.isEmpty()) {
        const QString name = unit.mac.isEmpty() ? unit.ip : unit.mac;
        m_warnings
            << tr("WARNING: The upgrade of %1 is not recorded in the journal: %2").arg(name, m_journal.lastError());
    }
    return id;
}

void UpgradeJournal::complete(const QString& id, const UpgradeOutcome& outcome, const QString& versionAfter,
                              const QString& logFile)
{
    // An upgrade whose beginning could not be written has been warned about already.
    if (id.isEmpty())
        return;
    if (!m_journal.complete(id, recordOutcome(outcome), messageFor(outcome),
                            JournalValues::upgradeResult(versionAfter, logFile)))
        m_warnings << tr("WARNING: The outcome of upgrade %1 is not recorded in the journal: %2")
                          .arg(id, m_journal.lastError());
}

JournalRecord::Outcome UpgradeJournal::recordOutcome(const UpgradeOutcome& outcome)
{
    if (outcome.succeeded())
        return JournalRecord::Outcome::Succeeded;
    // A unit that gave no result in time failed; only a stop someone asked for is a cancel.
    if (outcome.failed() && outcome.stoppedOnRequest() && outcome.stopReason() != UpgradeOutcome::StopReason::Watchdog)
        return JournalRecord::Outcome::Cancelled;
    return JournalRecord::Outcome::Failed;
}

QString UpgradeJournal::messageFor(const UpgradeOutcome& outcome)
{
    if (outcome.succeeded())
        return tr("upgraded");
    if (outcome.failed())
        return outcome.summary();
    return tr("the upgrade ended without a result");
}

QStringList UpgradeJournal::takeWarnings()
{
    QStringList warnings;
    warnings.swap(m_warnings);
    return warnings;
}
