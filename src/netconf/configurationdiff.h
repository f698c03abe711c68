// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"
#include "model/interfaces_t.h"

#include <QCoreApplication>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What a list of configuration rows (family, serial number, MAC, IP, mask, gateway: the rows of the
// multi-device dialog and of the configuration file) would change on the devices found: each row is
// matched to the device of the same MAC, and only the rows that differ from that device's present
// settings are to be sent. Rows of no device found are listed but never sent.
class ConfigurationDiff
{
    Q_DECLARE_TR_FUNCTIONS(ConfigurationDiff)

public:
    static constexpr int rowEntries = 6;
    static constexpr int macEntry = 2;
    static constexpr int ipEntry = 3;
    static constexpr int maskEntry = 4;
    static constexpr int gatewayEntry = 5;

    // One device whose settings a row changes.
    struct Change
    {
        QString device; // "Lumen 210021 (02:0D:00:00:02:21)"
        QString mac;
        QStringList before; // IP, mask and gateway as the device has them
        QStringList after;  // as the row asks
        bool dhcpOn = false;
        // Refusals of the row's values; a change with any is not sent.
        QStringList problems;
        // Who else would answer at the new address; sent only once the user has seen them.
        QStringList conflicts;
    };

    ConfigurationDiff(const QList<Device_t>& devices, const QList<QList<QString>>& rows);

    const QList<Change>& changes() const { return m_changes; }
    const QList<QList<QString>>& unmatched() const { return m_unmatched; }
    int unchangedCount() const { return m_unchanged; }
    // Rows that cannot be read as a configuration row (too short, or a MAC given twice).
    const QStringList& malformed() const { return m_malformed; }

    bool hasChanges() const { return !m_changes.isEmpty(); }
    // Marks every change whose new address another unit would still have afterwards, another change
    // of the batch gives too, or this computer uses.
    void flagConflicts(const QList<Device_t>& devices, const QList<interfaces_t>& hostAddresses);
    bool hasConflicts() const;
    // Every problem of the rows, one a line; empty when all can be sent.
    QStringList problems() const;

    // The question put to the user before anything is sent.
    QString confirmationText() const;
    // Why nothing is sent when no row changes anything.
    QString nothingToSendText() const;
    // For the status bar once the rows are sent: "New settings sent to 2 devices: ...".
    QString sentSummary() const;

    static QString deviceLabel(const Device_t& device);
    // "10.77.5.21 → 10.77.5.121, mask 255.255.255.0 → 255.255.0.0".
    static QString describeChange(const QStringList& before, const QStringList& after);

private:
    void takeRow(const QList<Device_t>& devices, const QList<QString>& row, int number);
    QString unmatchedText() const;
    QString conflictText() const;

    QList<Change> m_changes;
    QList<QList<QString>> m_unmatched;
    QStringList m_malformed;
    QStringList m_seenMacs;
    int m_unchanged = 0;
};
