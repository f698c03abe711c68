// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QCoreApplication>
#include <QList>
#include <QMetaType>
#include <QString>

// What a rescan after an upgrade says about one unit: the firmware version it reported before and the one
// it reports now. Only a changed version shows that the unit took the new firmware.
class UpgradeVerification
{
    Q_DECLARE_TR_FUNCTIONS(UpgradeVerification)

public:
    UpgradeVerification() = default;
    // `found` is the rescan's result; the unit is found in it by its MAC address.
    UpgradeVerification(const Device_t& before, const QList<Device_t>& found);

    QString unit() const { return m_unit; }
    QString mac() const { return m_mac; }
    QString versionBefore() const { return m_before; }
    QString versionAfter() const { return m_after; }
    bool answered() const { return m_answered; }
    bool verified() const { return m_answered && m_after != m_before; }
    // The unit answered but reports no version before or after ("Unknown", dots only): whether it took the
    // firmware cannot be told from a scan, only from its own confirmation during the upgrade.
    bool versionUncheckable() const;
    // Whether a version text names a version: it holds a digit ("Unknown", "..", "" do not).
    static bool isVersion(const QString& version);

    // How many of the upgraded units the scan's result lacks.
    static int unanswered(const QList<Device_t>& upgraded, const QList<Device_t>& found);

    // "SP-100 (02:00:00:00:00:01): 1.0.00 → 1.2.03", or a WARNING line when the version did not change, the
    // unit reports none, or it did not answer the rescan.
    QString logLine() const;

private:
    QString m_unit;
    QString m_mac;
    QString m_before;
    QString m_after;
    bool m_answered = false;
};

Q_DECLARE_METATYPE(UpgradeVerification)
