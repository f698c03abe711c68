// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/upgradeoutcome.h"
#include "journal/datalocation.h"
#include "journal/journal.h"
#include "journal/journalrecord.h"
#include "model/device_t.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The journal entry of one unit's upgrade: begun with the unit, its version and the file to be sent
// (path, size, SHA-256) before the first byte goes out, completed with the outcome, the version the unit
// reports afterwards when it is known, and the run's log file.
//
// As with network changes, a journal that cannot be written does not hold the upgrade back; takeWarnings()
// says what was not recorded, for the log of the run.
class UpgradeJournal
{
    Q_DECLARE_TR_FUNCTIONS(UpgradeJournal)

public:
    explicit UpgradeJournal(const QString& directory = DataLocation::directory());

    // Empty when the upgrade could not be recorded.
    QString begin(const Device_t& unit, const QString& firmwarePath);
    void complete(const QString& id, const UpgradeOutcome& outcome, const QString& versionAfter,
                  const QString& logFile);

    static JournalRecord::Outcome recordOutcome(const UpgradeOutcome& outcome);
    // One line per entry that could not be written since the last call.
    QStringList takeWarnings();

private:
    static QString messageFor(const UpgradeOutcome& outcome);

    Journal m_journal;
    QStringList m_warnings;
};
