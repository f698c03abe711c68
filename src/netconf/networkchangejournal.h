// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/datalocation.h"
#include "journal/journal.h"
#include "journal/journalrecord.h"
#include "model/device_t.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// The journal entries of the network settings the program sends, for every path that sends them (the
// configuration page, the multi-device dialog, the file import, the command line, the undo): a change is
// begun with the unit and its old and new values before its datagrams go out, and completed once it is
// known whether the unit took them.
//
// A journal that cannot be written does not hold the change back: the user asked for the instrument to
// move, and a missing record is no reason to leave it where it is. warnings() says what was not recorded,
// for the caller to show (status bar, standard error).
class NetworkChangeJournal
{
    Q_DECLARE_TR_FUNCTIONS(NetworkChangeJournal)

public:
    explicit NetworkChangeJournal(const QString& directory = DataLocation::directory());

    // Begins the change of `device` from its present settings to `after` (JournalValues::network);
    // empty when it could not be recorded. `undoes`: the change an undo takes back.
    QString begin(const Device_t& device, const QJsonObject& after, const QString& undoes = {});
    QString begin(const JournalUnit& unit, const QJsonObject& before, const QJsonObject& after,
                  const QString& undoes = {});
    // Nothing may be sent without a known outcome: the sender refused, or the unit did not take it.
    void failed(const QString& id, const QString& reason);
    void succeeded(const QString& id, const QString& message);
    // Sent, and not checked: no rescan was asked for, or the unit moves only when it restarts.
    void sentUnchecked(const QString& id, const QString& message);
    // After the rescan: whether the unit answers where it was sent; "not confirmed" when it does not.
    void completeAfterRescan(const QString& id, bool answers, const QString& address);
    // After the rescan: succeeded only when `seen` (nullptr: not found) shows every field of `sent`
    // (JournalValues::network), else "not confirmed" with the fields that differ, which are returned.
    QStringList completeAfterRescan(const QString& id, const QJsonObject& sent, const Device_t* seen);

    // One line per entry that could not be written since the last call; empty when all were.
    QStringList takeWarnings();

private:
    void complete(const QString& id, JournalRecord::Outcome outcome, const QString& message);

    Journal m_journal;
    QStringList m_warnings;
};
