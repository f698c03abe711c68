// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/datalocation.h"
#include "journal/journalrecord.h"
#include "model/device_t.h"
#include "model/interfaces_t.h"
#include "netconf/addressconflicts.h"
#include "netconf/networkchangejournal.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

// Takes a network change of the journal back, for the command line and the history window alike: the
// unit is sent the settings it had before, by MAC through the same sender as every other change, and
// the undo is journalled as a change of its own (which can be undone in turn). A firmware upgrade is not
// undone here: only the old image, upgraded again, brings the old firmware back.
//
//     NetworkUndo undo;
//     if (!undo.load(id)) ... undo.error()
//     ... show undo.changeText(), ask, scan, check undo.conflicts(devices, hosts) ...
//     undo.send(devices, interfaces);
//     ... rescan ...
//     undo.complete(undo.answers(devices));
class NetworkUndo
{
    Q_DECLARE_TR_FUNCTIONS(NetworkUndo)

public:
    enum class Refusal { None, NoId, NotFound, Ambiguous, Firmware, NoOldSettings, NotSent };

    explicit NetworkUndo(const QString& directory = DataLocation::directory());

    // Finds the change `id`; false, with refusal() and error(), when it cannot be undone.
    bool load(const QString& id);
    const JournalRecord& record() const { return m_record; }
    Refusal refusal() const { return m_refusal; }
    QString error() const { return m_error; }

    // Empty, or the later change of the same unit that the undo would take back as well, named by its id,
    // time and values; to be asked about before sending.
    QString laterChangeText() const;
    // What the undo changes, old and new the way round it sends them: "IP 10.0.0.9 → 10.0.0.5".
    QString changeText() const;
    // The address the unit goes back to (empty when it goes back to DHCP).
    QString restoredAddress() const;
    // Who else answers at the restored address now.
    QList<AddressConflicts::Conflict> conflicts(const QList<Device_t>& devices,
                                                const QList<interfaces_t>& hostAddresses) const;

    // Journals the undo and sends the old settings; false when nothing was sent (error()).
    bool send(const QList<Device_t>& devices, const QList<interfaces_t>& interfaces);
    // Whether the unit answers with its old settings among `devices` (a rescan after send()).
    bool answers(const QList<Device_t>& devices) const;
    // Completes the undo's journal entry with what the rescans showed.
    void complete(bool answered);
    // Id of the undo's own journal entry; empty before send() or when it could not be recorded.
    QString undoId() const { return m_undoId; }
    QStringList takeJournalWarnings() { return m_journal.takeWarnings(); }

private:
    bool refuse(Refusal refusal, const QString& error);
    bool restoresDhcp() const;
    void findLaterChange(const JournalRecords& records);
    static int indexOfMac(const QList<Device_t>& devices, const QString& mac);

    QString m_directory;
    NetworkChangeJournal m_journal;
    JournalRecord m_record;
    JournalRecord m_laterChange;
    Refusal m_refusal = Refusal::None;
    QString m_error;
    QString m_undoId;
};
