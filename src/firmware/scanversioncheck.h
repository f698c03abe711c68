// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/fleetversioncheck.h"

#include <functional>

// The version check by the discovery scan: scans, and while some of the units asked about have not answered
// (they restart into their new firmware and answer no scan meanwhile) scans again after a pause, at most
// `attempts` times. The pauses are timers, so the event loop runs on between the scans.
class ScanVersionCheck : public FleetVersionCheck
{
    Q_OBJECT

public:
    // One complete scan, as the caller's scanner makes it.
    using Scan = std::function<QList<Device_t>()>;

    ScanVersionCheck(Scan scan, int attempts, int pauseMs, QObject* parent = nullptr);

    void start(const QList<Device_t>& units) override;

private:
    void scanOnce();
    void report(const QList<Device_t>& found);

    Scan m_scan;
    int m_attempts;
    int m_pauseMs;
    int m_attemptsMade = 0;
    QList<Device_t> m_units;
};
