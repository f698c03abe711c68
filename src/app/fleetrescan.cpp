// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/fleetrescan.h"

#include <QTimer>

FleetRescan::FleetRescan(Rescan rescan, QObject* parent) : FleetVersionCheck(parent), m_rescan(std::move(rescan)) {}

void FleetRescan::start(const QList<Device_t>& units)
{
    // The run expects start() to return at once: the scan runs from the event loop.
    QTimer::singleShot(0, this, [this, units] { check(units); });
}

void FleetRescan::check(const QList<Device_t>& units)
{
    const QList<Device_t> found = m_rescan ? m_rescan(units) : QList<Device_t>();
    QList<UpgradeVerification> verifications;
    for (const Device_t& unit : units)
        verifications << UpgradeVerification(unit, found);
    emit finished(verifications);
}
