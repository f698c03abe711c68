// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliupgradefleet.h"

#include "cli/clicontext.h"
#include "cli/cliexit.h"
#include "cli/cliscanner.h"
#include "cli/clistopsignal.h"
#include "cli/cliupgradereport.h"
#include "cli/cliupgraderun.h"
#include "firmware/firmwarepacing.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/scanversioncheck.h"

#include <QEventLoop>
#include <QStringList>

CliUpgradeFleet::CliUpgradeFleet(CliContext& context, CliUpgradeReport& report, const Settings& settings)
    : m_context(context), m_report(report), m_settings(settings)
{}

int CliUpgradeFleet::run(const QList<Device_t>& units)
{
    // Lines of units running side by side would be told apart by nothing else.
    m_prefixLines = m_settings.options.parallel > 1 && units.size() > 1;
    const Settings settings = m_settings;
    FleetRun fleet(
        units,
        [settings](const Device_t& unit) {
            // As the page hands a unit over: the device selected in a list of one.
            auto* worker = new firmwareUpgrade(nullptr, settings.file, 1, {true}, {unit}, QString());
            worker->setAcceptOtherImageKind(settings.acceptOtherImageKind);
            worker->setMotorDriverDsp(settings.dsp);
            return worker;
        },
        m_settings.options);
    const FirmwarePacing& pacing = FirmwarePacing::current();
    ScanVersionCheck check([this] { return m_context.scanner().scan(); }, pacing.verifyScanAttempts,
                           pacing.verifyScanPauseMs);
    fleet.setVersionCheck(&check);
    connectReport(fleet);

    CliStopSignal stop;
    QObject::connect(&stop, &CliStopSignal::received, &fleet, [this, &fleet](int signalNumber) {
        m_context.error(tr("stopping: the units in flight are asked to stop at their next safe point"));
        fleet.cancel(CliUpgradeRun::stopReasonOf(signalNumber));
    });
    QEventLoop loop;
    QObject::connect(&fleet, &FleetRun::finished, &loop, &QEventLoop::quit);
    fleet.start();
    if (!fleet.isFinished())
        loop.exec();
    return reportEnd(fleet);
}

void CliUpgradeFleet::connectReport(FleetRun& fleet)
{
    const int count = fleet.unitCount();
    QObject::connect(&fleet, &FleetRun::unitStarted, &fleet, [this, &fleet, count](int index) {
        const Device_t& unit = fleet.unitResult(index).device;
        m_report.start(unit.mac, unit.ip, index + 1, count, m_settings.file);
    });
    QObject::connect(&fleet, &FleetRun::unitMessages, &fleet, [this, &fleet](int index, const QStringList& lines) {
        const QString device = fleet.unitResult(index).device.mac;
        for (const QString& line : lines)
            m_report.log(device, prefixed(device, line));
    });
    QObject::connect(&fleet, &FleetRun::unitProgress, &fleet, [this, &fleet](int index, int value) {
        m_report.progressAt(fleet.unitResult(index).device.mac, value);
    });
    QObject::connect(&fleet, &FleetRun::unitFinished, &fleet, [this, &fleet](int index, const UpgradeOutcome& outcome) {
        onFinished(outcome, fleet.unitResult(index), fleet.unitResult(index).timedOut);
    });
    QObject::connect(
        &fleet, &FleetRun::unitVerified, &fleet,
        [this](int index, const UpgradeVerification& verification) { m_verifications.insert(index, verification); });
    QObject::connect(&fleet, &FleetRun::halted, &fleet, [this, &fleet](const QString& reason) {
        if (!fleet.wasCancelled())
            m_context.error(reason);
    });
}

void CliUpgradeFleet::onFinished(const UpgradeOutcome& outcome, const FleetRun::Unit& unit, bool timedOut)
{
    if (outcome.succeeded())
        m_report.done(unit.device.mac);
    else
        m_report.failed(unit.device.mac, CliUpgradeRun::reasonFor(outcome, timedOut, m_settings.timeoutMs));
}

int CliUpgradeFleet::reportEnd(const FleetRun& fleet)
{
    QStringList left;
    bool allUpgraded = true;
    for (int i = 0; i < fleet.unitCount(); ++i) {
        const FleetRun::Unit& unit = fleet.unitResult(i);
        allUpgraded = allUpgraded && unit.outcome.succeeded();
        if (m_verifications.contains(i))
            m_report.verified(m_verifications.value(i));
        if (!unit.outcome.hasResult()) {
            m_report.skipped(unit.device.mac, fleet.haltReason());
            left << unit.device.mac;
        }
    }
    if (!left.isEmpty())
        m_context.error(tr("not upgraded: %1").arg(left.join(QStringLiteral(", "))));
    return allUpgraded ? cliExit::success : cliExit::failed;
}

// A message may hold several lines: each gets the unit's name.
QString CliUpgradeFleet::prefixed(const QString& device, const QString& text) const
{
    if (!m_prefixLines)
        return text;
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = device + QStringLiteral(": ") + line;
    return lines.join(QLatin1Char('\n'));
}
