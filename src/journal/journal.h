// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/datalocation.h"
#include "journal/journalfile.h"
#include "journal/journalrecord.h"

#include <QJsonObject>
#include <QString>

// The journal of every change sent to an instrument: network settings, firmware upgrades, undos.
// Each sending path records the change before it sends anything and completes it when the outcome is
// known:
//
//     Journal journal;
//     JournalRecord change;
//     change.kind = JournalRecord::Kind::NetworkSettings;
//     change.unit = JournalUnit::fromDevice(device);
//     change.before = JournalValues::network(device);
//     change.after = JournalValues::network(ip, mask, gateway, dhcp);
//     const QString id = journal.begin(change);   // empty: journal.lastError() says why
//     ... send ...
//     journal.complete(id, JournalRecord::Outcome::Succeeded, message);
//
// Whether a change that cannot be recorded is still sent is the sending path's decision; it should tell
// the user either way. Any number of processes may write the same journal at once.
class Journal
{
public:
    explicit Journal(const QString& directory = DataLocation::directory());

    // For tests and the benchmark: a smaller file size at which the journal starts a new file.
    void setRotationBytes(qint64 bytes) { m_file.setRotationBytes(bytes); }
    // How long an append waits for another process's append to end.
    void setLockTimeoutMs(int milliseconds) { m_file.setLockTimeoutMs(milliseconds); }
    QString directory() const { return m_file.directory(); }

    // Writes the "begun" line and returns the change's id. The id, time and user are filled in here
    // unless the record brings its own. Empty when nothing could be written.
    QString begin(JournalRecord record);
    // Writes the "completed" line of the change begun under id.
    bool complete(const QString& id, JournalRecord::Outcome outcome, const QString& message,
                  const QJsonObject& result = {});
    // Why the last begin() or complete() failed.
    QString lastError() const { return m_lastError; }

    // The account the program runs as, and under sudo the user who ran it ("root (sudo: alice)").
    static QString userName();

private:
    bool append(const QJsonObject& object);
    static QString lookUpUserName();

    JournalFile m_file;
    QString m_lastError;
};
