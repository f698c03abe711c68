// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The firmware page's run of many units at once: the results table, the canary box and the FleetRun.
#include "app/firmwarepage.h"

#include "app/devicetable.h"
#include "app/fleetrescan.h"
#include "app/fleetresultstable.h"
#include "dialogs/userprompts.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/fleetrun.h"
#include "firmware/upgradeoutcome.h"
#include "firmware/upgradeselection.h"
#include "firmware/upgradeverification.h"

#include "model/appsettings.h"
#include "ui_mainwindow.h"
#include <algorithm>

#include <QBoxLayout>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QProgressBar>

#include <algorithm>

namespace {
constexpr int percent = 100;
} // namespace

void FirmwarePage::createFleetControls()
{
    QProgressBar* bar = ui().progressBarFirmware;
    m_canaryBox = new QCheckBox(tr("Upgrade one unit first"), bar->parentWidget());
    m_canaryBox->setObjectName(QStringLiteral("checkBoxCanary"));
    m_canaryBox->setToolTip(tr("The other units start only when the first one was upgraded and reports its new "
                               "version."));
    m_results = new FleetResultsTable(bar->parentWidget());
    m_results->hide();
    m_rescan = new FleetRescan([this](const QList<Device_t>& units) { return rescanForFleet(units); }, this);
    // The form's column: canary box above the bar, the results between the bar and the log.
    if (auto* column = qobject_cast<QBoxLayout*>(bar->parentWidget()->layout())) {
        const int barAt = column->indexOf(bar);
        if (barAt >= 0) {
            column->insertWidget(barAt, m_canaryBox);
            column->insertWidget(barAt + 2, m_results, 2);
            column->setStretchFactor(ui().plainTextEditFirmware, 1);
        }
    }
}

// In the order the table shows them, however it is sorted: the first is the canary, and the run goes down.
QList<Device_t> FirmwarePage::selectedUnits() const
{
    const QList<bool>& selected = context().selected;
    const int count = qMin(context().table.rowCount(), selected.size());
    QList<int> indexes;
    for (int i = 0; i < count && i < context().devices.size(); ++i) {
        if (selected.at(i))
            indexes << i;
    }
    std::stable_sort(indexes.begin(), indexes.end(),
                     [this](int a, int b) { return context().table.rowOfDevice(a) < context().table.rowOfDevice(b); });
    QList<Device_t> units;
    for (int i : qAsConst(indexes))
        units << context().devices.at(i);
    return units;
}

// One rule with the command line: with units at once, motor drivers may go together, each behind its own module.
QString FirmwarePage::selectionProblem(const QList<Device_t>& units) const
{
    return UpgradeSelection::selectionProblem(units, m_settings.getParallelUpgrades());
}

bool FirmwarePage::runsAsFleet(int unitCount) const
{
    return unitCount > 1 && m_settings.getParallelUpgrades() > 1;
}

void FirmwarePage::updateCanaryDefault()
{
    m_canaryBox->setChecked(selectedCount() >= canaryFromUnits);
}

void FirmwarePage::startFleet(const QList<Device_t>& units)
{
    FleetRun::Options options;
    options.parallel = FleetRun::boundedParallel(m_settings.getParallelUpgrades());
    options.maxFailures = m_settings.getMaxFailures();
    options.canary = m_canaryBox->isChecked();
    options.timeoutMs = m_updateTimeout;
    options.verifyAtEnd = true;
    options.logFile = logFilePath();

    m_fleetNames.clear();
    for (const Device_t& unit : units)
        m_fleetNames << unitName(unit);
    m_currentDevice = tr("%n unit(s)", nullptr, units.size());
    m_currentUnit = Device_t();
    m_results->setUnits(units);
    m_results->show();
    ui().progressBarFirmware->setValue(0);

    // The window's child, as a single run's is: the window outlives the page's part in a run.
    auto* fleet = new FleetRun(
        units, [this](const Device_t& unit) { return makeFleetWorker(unit); }, options, context().window);
    fleet->setVersionCheck(m_rescan);
    m_fleet = fleet;
    connectFleet(fleet);
    emit signalEnableUI(false);
    setCancelEnabled(true);
    appendLog(tr("Upgrading %1 units, up to %2 at once%3.")
                  .arg(units.size())
                  .arg(options.parallel)
                  .arg(options.canary ? tr(", one unit first") : QString()));
    emit signalStatus(tr("Upgrading %1 units, up to %2 at once").arg(units.size()).arg(options.parallel));
    fleet->start();
}

// A worker sees the whole list of units with only its own ticked, as the single run's worker does.
firmwareUpgrade* FirmwarePage::makeFleetWorker(const Device_t& unit)
{
    QList<Device_t> devices = context().devices;
    auto found =
        std::find_if(devices.cbegin(), devices.cend(), [&unit](const Device_t& each) { return each.mac == unit.mac; });
    int index = int(found - devices.cbegin());
    if (found == devices.cend()) {
        devices << unit;
        index = devices.size() - 1;
    }
    QList<bool> selected;
    for (int i = 0; i < devices.size(); ++i)
        selected << (i == index);
    firmwareUpgrade* worker = m_workers(nullptr, m_sequencePath, devices.size(), selected, devices, QString());
    worker->setAcceptOtherImageKind(m_acceptOtherImageKind);
    worker->setMotorDriverDsp(m_sequenceDsp);
    return worker;
}

void FirmwarePage::connectFleet(FleetRun* fleet)
{
    connect(fleet, &FleetRun::unitStarted, this, [this](int index) { m_report.startedAt(index); });
    connect(fleet, &FleetRun::unitStepChanged, m_results, &FleetResultsTable::setStep);
    connect(fleet, &FleetRun::unitProgress, m_results, &FleetResultsTable::setProgress);
    connect(fleet, &FleetRun::unitMessages, this, &FirmwarePage::onFleetMessages);
    connect(fleet, &FleetRun::unitFinished, this, &FirmwarePage::onFleetUnitFinished);
    connect(fleet, &FleetRun::unitVerified, this,
            [this](int, const UpgradeVerification& verification) { appendLog(verification.logLine()); });
    connect(fleet, &FleetRun::halted, this,
            [this](const QString& reason) { appendLog(tr("No further unit is started: %1").arg(reason)); });
    connect(fleet, &FleetRun::finished, this, [this, fleet] {
        if (fleet == m_fleet)
            onFleetFinished();
    });
}

// Every line of the shared log names its unit, so that the lines of units upgraded together stay apart.
// The blank lines a worker puts between its messages stay out: a name before nothing only adds noise.
void FirmwarePage::onFleetMessages(int index, const QStringList& lines)
{
    const QString name = m_fleetNames.value(index);
    QStringList prefixed;
    for (const QString& line : lines) {
        m_report.noteLogLineAt(index, line);
        for (QString part : line.split(QLatin1Char('\n'))) {
            part.remove(QLatin1Char('\r'));
            if (!part.trimmed().isEmpty())
                prefixed << QStringLiteral("[%1] %2").arg(name, part);
        }
    }
    m_results->appendMessages(index, lines);
    if (!prefixed.isEmpty())
        appendLog(prefixed.join(QLatin1Char('\n')));
}

void FirmwarePage::onFleetUnitFinished(int index, const UpgradeOutcome& outcome)
{
    if (!outcome.hasResult())
        appendLog(tr("[%1] ERROR: The upgrade ended without a result.").arg(m_fleetNames.value(index)));
    showFleetProgress();
}

// The bar is the share of units that have ended.
void FirmwarePage::showFleetProgress()
{
    if (!m_fleet || m_fleet->unitCount() == 0)
        return;
    ui().progressBarFirmware->setValue(m_fleet->finishedCount() * percent / m_fleet->unitCount());
}

QList<Device_t> FirmwarePage::rescanForFleet(const QList<Device_t>& units)
{
    m_fleetRescanning = true;
    rescanUntilAnswered(units);
    m_fleetRescanning = false;
    // The scan gives its own controls back at its end; the run still holds them.
    if (m_fleet && m_fleet->isRunning())
        emit signalEnableUI(false);
    return context().devices;
}

void FirmwarePage::onFleetFinished()
{
    FleetRun* fleet = m_fleet;
    int upgraded = 0;
    bool allUpgraded = true;
    for (int i = 0; i < fleet->unitCount(); ++i) {
        const FleetRun::Unit& unit = fleet->unitResult(i);
        m_results->setStep(i, unit.step);
        switch (unit.step) {
        case FleetRun::Step::Done:
            ++upgraded;
            m_report.endedAt(i, UpgradeRunReport::Outcome::Upgraded);
            m_report.setVersionsAt(i, unit.versionBefore.isEmpty() ? unit.device.firmwareVersion : unit.versionBefore,
                                   unit.versionAfter);
            break;
        case FleetRun::Step::Cancelled:
            allUpgraded = false;
            // The run marks the units it never started as cancelled; the box says they were not started.
            m_report.endedAt(i, unit.outcome.hasResult() ? UpgradeRunReport::Outcome::Cancelled
                                                         : UpgradeRunReport::Outcome::NotStarted);
            break;
        case FleetRun::Step::Waiting:
            allUpgraded = false;
            m_report.endedAt(i, UpgradeRunReport::Outcome::NotStarted);
            break;
        default:
            allUpgraded = false;
            m_report.endedAt(i, UpgradeRunReport::Outcome::Failed);
            break;
        }
    }
    const int total = fleet->unitCount();
    const int finished = fleet->finishedCount();
    const bool cancelled = fleet->wasCancelled() || m_cancelRequested;
    const QString halt = fleet->haltReason();
    fleet->deleteLater();
    m_fleet = nullptr;
    setCancelEnabled(false);
    // The share of units that ended, as during the run: full once every unit has ended, however.
    ui().progressBarFirmware->setValue(total > 0 ? finished * percent / total : 0);
    m_sequenceTotal = 0;
    m_sequencePath.clear();
    flushLog();
    if (m_closeRequested) {
        appendLog(tr("The upgrade was stopped for quitting; the log is in %1.").arg(logFilePath()));
        flushLog();
        emit signalCloseWindow();
        return;
    }
    emit signalStatus(tr("Upgrade complete: %1 of %2 updated; log: %3").arg(upgraded).arg(total).arg(logFilePath()));
    emit signalEnableUI(true);
    QString headline = cancelled     ? tr("WARNING: The upgrade was cancelled.")
                       : allUpgraded ? tr("Device succesfuly updated!")
                                     : tr("ERROR: Updating failed!");
    if (!halt.isEmpty() && !cancelled)
        headline += QLatin1Char('\n') + tr("No further unit was started: %1").arg(halt);
    const QString text = runEndText(headline, {});
    if (cancelled)
        context().prompts.warning(context().window, tr("Firmware Upgrade"), text);
    else if (allUpgraded)
        context().prompts.information(context().window, tr("Firmware Upgrade"), text);
    else
        context().prompts.critical(context().window, tr("Firmware Upgrade"), text);
}
