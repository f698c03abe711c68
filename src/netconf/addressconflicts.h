// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"
#include "model/interfaces_t.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

// Who else would answer at the new addresses of a batch of changes, judged before anything is sent:
// a unit found by the last scan that keeps the address, this computer, or another change of the same
// batch. A unit that leaves an address in the batch frees it; a unit keeping its own address changes
// nothing and conflicts with nobody.
class AddressConflicts
{
    Q_DECLARE_TR_FUNCTIONS(AddressConflicts)

public:
    enum class Kind {
        Unit,  // a found unit that keeps the address
        Host,  // one of this computer's own addresses
        Batch, // another unit given the same address in the batch
    };

    struct Change
    {
        QString mac;
        QString ip;
    };

    struct Conflict
    {
        QString mac;     // the unit that would get the address
        QString address; // as typed, trimmed
        Kind kind = Kind::Unit;
        QString other;    // "Lumen 210021 (02:0D:00:00:02:21) at 10.0.0.5", "this computer (eth0)"
        QString otherMac; // empty for this computer

        // "10.0.0.5 is already used by Lumen 210021 (02:0D:00:00:02:21) at 10.0.0.5"
        QString text() const;
    };

    static QList<Conflict> find(const QList<Device_t>& devices, const QList<interfaces_t>& hostAddresses,
                                const QList<Change>& batch);
    // Only the conflicts of one unit of the batch.
    static QList<Conflict> ofUnit(const QList<Conflict>& conflicts, const QString& mac);
    // One line per conflict, for a question or an error message.
    static QStringList texts(const QList<Conflict>& conflicts);

    // "Lumen 210021 (02:0D:00:00:02:21)", or the bare MAC of a unit without group and ID.
    static QString unitLabel(const Device_t& device);

private:
    static void addUnitConflicts(const QList<Device_t>& devices, const QList<Change>& batch, const Change& change,
                                 QList<Conflict>& conflicts);
    static void addBatchConflicts(const QList<Device_t>& devices, const QList<Change>& batch, const Change& change,
                                  QList<Conflict>& conflicts);
    static void addHostConflicts(const QList<interfaces_t>& hostAddresses, const Change& change,
                                 QList<Conflict>& conflicts);
};
