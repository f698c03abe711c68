// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/scansnapshot.h"
#include "model/device_t.h"

#include <QDateTime>
#include <QList>
#include <QString>

// What a scan found that the one before it did not, and the other way round. Units are matched by
// MAC, by serial number when they report no MAC, and by IP when they report neither; the twelve record
// fields are compared as people see them (printable, DHCP as one word), the extra pairs are not, as
// some of them (temperatures, counters) change from one answer to the next.
class ScanDifference
{
public:
    struct FieldChange
    {
        // The record keyword: "IP", "FW", "DHCP"...
        QString field;
        QString before;
        QString after;
    };
    struct Changed
    {
        Device_t device;
        QList<FieldChange> fields;
    };
    struct Removed
    {
        Device_t device;
        QDateTime lastSeen;
    };

    static ScanDifference between(const ScanSnapshot::Scan& previous, const QList<Device_t>& current);

    bool isEmpty() const { return added.isEmpty() && removed.isEmpty() && changed.isEmpty(); }

    // When the scan compared with was taken.
    QDateTime previousScan;
    QList<Device_t> added;
    QList<Removed> removed;
    QList<Changed> changed;

    // What a unit is matched by: "MAC:…", "SN:…" or "IP:…".
    static QString matchKey(const Device_t& device);
    static QList<FieldChange> fieldChanges(const Device_t& before, const Device_t& after);
};
