// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/fleetrun.h"
#include "model/device_t.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QString>

class CliContext;
class CliUpgradeReport;

// The upgrade of the units found by the scan as one fleet run, on this thread's event loop: each unit's log
// lines are printed as they arrive (opened by the unit's MAC when several run at once), failures on standard
// error as they happen, and once the run has ended the rescan's versions and the units never started.
class CliUpgradeFleet
{
    Q_DECLARE_TR_FUNCTIONS(CliUpgradeFleet)

public:
    struct Settings
    {
        QString file;
        int timeoutMs = 0;
        bool acceptOtherImageKind = false;
        int dsp = 0;
        FleetRun::Options options;
    };

    CliUpgradeFleet(CliContext& context, CliUpgradeReport& report, const Settings& settings);

    // The exit code: success only when every unit was upgraded. SIGTERM and SIGINT stop the units in flight.
    int run(const QList<Device_t>& units);

private:
    void connectReport(FleetRun& fleet);
    void onFinished(const UpgradeOutcome& outcome, const FleetRun::Unit& unit, bool timedOut);
    int reportEnd(const FleetRun& fleet);
    QString prefixed(const QString& device, const QString& text) const;

    CliContext& m_context;
    CliUpgradeReport& m_report;
    Settings m_settings;
    bool m_prefixLines = false;
    QHash<int, UpgradeVerification> m_verifications;
};
