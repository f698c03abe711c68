// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// A claim on one unit, by its MAC, that every Kestrion process on this computer sees, the window's and the
// command line's, whoever runs them. Everything that sends to a unit (a firmware upgrade, new network
// settings) holds it while it sends, so that no process configures or upgrades a unit another one is
// upgrading or configuring.
//
// The claim is flock() on one file per MAC in a folder every user may write (see directory()). The kernel
// drops it when the process ends, however it ends, so a crash leaves no stale claim behind; the file is
// never removed (removing it would let two processes lock two different files). While held, the file names
// the holder (program, process, since when, upgrading or configuring), for the refusal that others show.
//
// Within one process, claims on one unit are counted rather than refused: the window keeps its own
// paths apart itself, and the command line claims its units before a run that claims each one again.
class UnitLock
{
    Q_DECLARE_TR_FUNCTIONS(UnitLock)

public:
    enum class Purpose { Upgrade, Configuration };
    using Held = std::vector<std::unique_ptr<UnitLock>>;

    // Tries once and does not wait: a unit another process holds is refused at once.
    UnitLock(const QString& mac, Purpose purpose);
    ~UnitLock();
    UnitLock(const UnitLock&) = delete;
    UnitLock& operator=(const UnitLock&) = delete;

    bool isHeld() const { return m_held; }
    // Why the unit was not claimed, naming it and its holder: "02:BB:00:00:00:11 is being upgraded by
    // kestrion, process 1234, since 22:44".
    QString refusal() const { return m_refusal; }
    // The claim outlives this object and ends with the process: for a worker that was let go while it
    // may still send.
    void keepUntilExit() { m_keep = true; }

    // Claims every unit or none; the first refusal (empty when all are held).
    static QString claimAll(const QStringList& macs, Purpose purpose, Held& held);
    static QString claimAll(const QList<Device_t>& units, Purpose purpose, Held& held);
    // KESTRION_LOCK_DIR when set, else /tmp/kestrion-locks: one folder for every user of the computer.
    static QString directory();

private:
    void claim(Purpose purpose);
    QString holderText(int handle) const;

    QString m_mac;
    QString m_key;
    bool m_held = false;
    bool m_keep = false;
    QString m_refusal;
};
