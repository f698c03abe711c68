// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/fleetversioncheck.h"

#include <functional>

// The window's answer to a fleet run's version question: the firmware page rescans (repeating it while
// upgraded units are still restarting) and the units are looked up in what the scan found.
class FleetRescan : public FleetVersionCheck
{
    Q_OBJECT

public:
    // Rescans until the units answer or the attempts are spent; returns every unit the scan found.
    using Rescan = std::function<QList<Device_t>(const QList<Device_t>& units)>;

    explicit FleetRescan(Rescan rescan, QObject* parent = nullptr);

    void start(const QList<Device_t>& units) override;

private:
    void check(const QList<Device_t>& units);

    Rescan m_rescan;
};
