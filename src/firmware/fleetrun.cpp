// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/fleetrun.h"

#include "firmware/firmwarerun.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/fleetversioncheck.h"

#include <QElapsedTimer>
#include <QTimer>

#include <climits>

struct FleetRun::Slot
{
    std::unique_ptr<FirmwareRun> run;
    QElapsedTimer clock;
    QStringList pendingLines;
    bool progressPending = false;
};

FleetRun::FleetRun(const QList<Device_t>& units, WorkerFactory factory, const Options& options, QObject* parent)
    : QObject(parent), m_factory(std::move(factory)), m_options(options), m_flushTimer(new QTimer(this))
{
    qRegisterMetaType<UpgradeOutcome>();
    qRegisterMetaType<UpgradeVerification>();
    qRegisterMetaType<FleetRun::Step>();
    m_options.parallel = boundedParallel(m_options.parallel);
    for (const Device_t& device : units) {
        Unit unit;
        unit.device = device;
        unit.versionBefore = device.firmwareVersion;
        m_units << unit;
        m_slots.push_back(std::make_unique<Slot>());
    }
    m_flushTimer->setInterval(flushIntervalMs);
    connect(m_flushTimer, &QTimer::timeout, this, &FleetRun::flush);
}

FleetRun::~FleetRun()
{
    for (const auto& slot : m_slots)
        if (slot->run)
            slot->run->stopAndWait(ULONG_MAX);
}

void FleetRun::setVersionCheck(FleetVersionCheck* check)
{
    m_versionCheck = check;
}

int FleetRun::unitCount() const
{
    return m_units.size();
}

const FleetRun::Unit& FleetRun::unitResult(int index) const
{
    return m_units.at(index);
}

int FleetRun::runningCount() const
{
    int running = 0;
    for (const Unit& unit : m_units)
        running += unit.step != Step::Waiting && !isFinal(unit.step) ? 1 : 0;
    return running;
}

int FleetRun::boundedParallel(int parallel)
{
    return qBound(1, parallel, maxParallel);
}

bool FleetRun::isFinal(Step step)
{
    return step == Step::Done || step == Step::Failed || step == Step::Cancelled;
}

QStringList FleetRun::exclusivityKeys(const Device_t& unit)
{
    // Motor drivers are reached at their XPort module's address, so the address stands for the module.
    QStringList keys;
    if (!unit.mac.isEmpty())
        keys << QStringLiteral("mac:") + unit.mac.toUpper();
    if (!unit.ip.isEmpty())
        keys << QStringLiteral("ip:") + unit.ip;
    return keys;
}

void FleetRun::start()
{
    if (m_started)
        return;
    m_started = true;
    m_canaryPending = m_options.canary && m_units.size() > 1;
    m_flushTimer->start();
    startWaitingUnits();
    finishWhenDone();
}

void FleetRun::cancel(UpgradeOutcome::StopReason by)
{
    if (m_finished || m_cancelled)
        return;
    m_cancelled = true;
    halt(tr("the upgrade was cancelled"));
    for (const auto& slot : m_slots)
        if (slot->run)
            slot->run->cancel(by);
    finishWhenDone();
}

bool FleetRun::mayStartMore() const
{
    return m_started && !m_halted && !m_cancelled;
}

bool FleetRun::isFree(int index) const
{
    const QStringList keys = exclusivityKeys(m_units.at(index).device);
    for (const QString& key : keys)
        if (m_busyKeys.contains(key))
            return false;
    return true;
}

// One unit per turn of the event loop: a start writes the unit's journal record to disk first, and many
// starts in one go would hold the window up for as long as all their writes take.
void FleetRun::startWaitingUnits()
{
    m_startScheduled = false;
    for (int i = 0; i < m_units.size() && mayStartMore(); ++i) {
        // The canary runs alone: nobody else starts until it has passed its gate.
        if (m_canaryPending && i > 0)
            return;
        if (runningCount() >= m_options.parallel)
            return;
        if (m_units.at(i).step == Step::Waiting && !m_slots.at(size_t(i))->run && isFree(i)) {
            startUnit(i);
            scheduleStarts();
            return;
        }
    }
}

void FleetRun::scheduleStarts()
{
    if (m_startScheduled)
        return;
    m_startScheduled = true;
    QTimer::singleShot(0, this, [this] {
        startWaitingUnits();
        finishWhenDone();
    });
}

// A unit that the closing check or the canary gate rescans gets the version it reports in its record.
bool FleetRun::completesAfterRescan(int index) const
{
    return m_versionCheck && (m_options.verifyAtEnd || (index == 0 && m_canaryPending));
}

void FleetRun::startUnit(int index)
{
    Slot& slot = *m_slots.at(size_t(index));
    Unit& unit = m_units[index];
    for (const QString& key : exclusivityKeys(unit.device))
        m_busyKeys.insert(key);
    slot.run = std::make_unique<FirmwareRun>(m_factory(unit.device), m_options.timeoutMs);
    FirmwareRun* run = slot.run.get();
    run->setLogFile(m_options.logFile);
    run->setJournalCompletionDeferred(completesAfterRescan(index));
    connect(run, &FirmwareRun::message, this, [this, index](const QString& text) { onUnitMessage(index, text); });
    connect(run, &FirmwareRun::progress, this, [this, index](int value) { onUnitProgress(index, value); });
    connect(run, &FirmwareRun::finished, this,
            [this, index](const UpgradeOutcome& outcome) { onUnitFinished(index, outcome); });
    slot.clock.start();
    setStep(index, Step::Identifying);
    emit unitStarted(index);
    run->start();
}

void FleetRun::onUnitMessage(int index, const QString& text)
{
    Slot& slot = *m_slots.at(size_t(index));
    slot.pendingLines << text;
    m_units[index].lastMessage = text;
    const Step step = stepForMessage(m_units.at(index).step, text);
    if (step != m_units.at(index).step && !isFinal(step))
        setStep(index, step);
}

void FleetRun::onUnitProgress(int index, int value)
{
    Unit& unit = m_units[index];
    unit.progress = firmwareUpgrade::nextProgress(unit.progress, value);
    m_slots.at(size_t(index))->progressPending = true;
}

void FleetRun::onUnitFinished(int index, const UpgradeOutcome& outcome)
{
    Slot& slot = *m_slots.at(size_t(index));
    Unit& unit = m_units[index];
    unit.outcome = outcome;
    unit.timedOut = slot.run->timedOut();
    // Only an upgraded unit is rescanned.
    if (!outcome.succeeded())
        slot.run->completeJournal({});
    unit.elapsedMs = slot.clock.elapsed();
    for (const QString& key : exclusivityKeys(unit.device))
        m_busyKeys.remove(key);
    flushUnit(index);
    ++m_finishedCount;
    const bool stopped = outcome.failed() && outcome.stoppedOnRequest() && m_cancelled;
    if (!outcome.succeeded() && !stopped)
        ++m_failedCount;
    setStep(index, outcome.succeeded() ? Step::Done : stopped ? Step::Cancelled : Step::Failed);
    emit unitFinished(index, outcome);
    if (m_options.maxFailures > 0 && m_failedCount >= m_options.maxFailures && hasWaitingUnits())
        halt(tr("the failure limit (%1) was reached: no further unit was started").arg(m_options.maxFailures));
    if (m_canaryPending && index == 0) {
        checkCanary(index);
        return;
    }
    startWaitingUnits();
    finishWhenDone();
}

void FleetRun::checkCanary(int index)
{
    const Unit& canary = m_units.at(index);
    if (!canary.outcome.succeeded()) {
        halt(tr("the first unit, %1, was not upgraded: the others were left alone").arg(canary.device.mac));
        finishWhenDone();
        return;
    }
    if (!m_versionCheck) {
        m_canaryPending = false;
        startWaitingUnits();
        finishWhenDone();
        return;
    }
    m_checking = true;
    m_checkConnection = connect(m_versionCheck, &FleetVersionCheck::finished, this, &FleetRun::onCanaryChecked);
    m_versionCheck->start({canary.device});
}

void FleetRun::onCanaryChecked(const QList<UpgradeVerification>& verifications)
{
    disconnect(m_checkConnection);
    m_checking = false;
    // A unit that reports no version cannot pass a version check: its own confirmation lets the run go on.
    bool uncheckable = false;
    for (const UpgradeVerification& verification : verifications) {
        applyVerification(verification);
        uncheckable = uncheckable || verification.versionUncheckable();
    }
    const Unit& canary = m_units.at(0);
    m_canaryPending = false;
    if (!canary.verified && !uncheckable) {
        halt(canary.versionAfter.isEmpty()
                 ? tr("the first unit, %1, did not answer the rescan after its upgrade: the others were left alone")
                       .arg(canary.device.mac)
                 : tr("the first unit, %1, still reports version %2 after its upgrade: the others were left alone")
                       .arg(canary.device.mac, canary.versionAfter));
    }
    startWaitingUnits();
    finishWhenDone();
}

void FleetRun::applyVerification(const UpgradeVerification& verification)
{
    for (int i = 0; i < m_units.size(); ++i) {
        Unit& unit = m_units[i];
        if (unit.device.mac.compare(verification.mac(), Qt::CaseInsensitive) != 0)
            continue;
        unit.versionAfter = verification.answered() ? verification.versionAfter() : QString();
        unit.verified = verification.verified();
        if (const auto& run = m_slots.at(size_t(i))->run)
            run->completeJournal(unit.versionAfter);
        emit unitVerified(i, verification);
    }
}

bool FleetRun::hasWaitingUnits() const
{
    for (const Unit& unit : m_units)
        if (unit.step == Step::Waiting)
            return true;
    return false;
}

void FleetRun::halt(const QString& reason)
{
    if (m_halted)
        return;
    m_halted = true;
    m_haltReason = reason;
    emit halted(reason);
}

void FleetRun::setStep(int index, Step step)
{
    if (m_units.at(index).step == step)
        return;
    m_units[index].step = step;
    emit unitStepChanged(index, step);
}

void FleetRun::flush()
{
    for (int i = 0; i < m_units.size(); ++i)
        flushUnit(i);
}

void FleetRun::flushUnit(int index)
{
    Slot& slot = *m_slots.at(size_t(index));
    Unit& unit = m_units[index];
    if (slot.run && !isFinal(unit.step))
        unit.elapsedMs = slot.clock.elapsed();
    if (!slot.pendingLines.isEmpty()) {
        const QStringList lines = slot.pendingLines;
        slot.pendingLines.clear();
        emit unitMessages(index, lines);
    }
    if (slot.progressPending) {
        slot.progressPending = false;
        emit unitProgress(index, unit.progress);
    }
}

// Ends the run once nothing runs and nothing more will start; the closing check comes last.
void FleetRun::finishWhenDone()
{
    if (!m_started || m_finished || m_checking || runningCount() > 0)
        return;
    if (mayStartMore() && hasWaitingUnits())
        return;
    QList<Device_t> upgraded;
    for (const Unit& unit : m_units)
        if (unit.outcome.succeeded() && unit.versionAfter.isEmpty() && !unit.verified)
            upgraded << unit.device;
    if (m_options.verifyAtEnd && m_versionCheck && !upgraded.isEmpty() && !m_closingCheckDone) {
        m_checking = true;
        m_closingCheckDone = true;
        m_checkConnection = connect(m_versionCheck, &FleetVersionCheck::finished, this, &FleetRun::onClosingChecked);
        m_versionCheck->start(upgraded);
        return;
    }
    finishNow();
}

void FleetRun::onClosingChecked(const QList<UpgradeVerification>& verifications)
{
    disconnect(m_checkConnection);
    m_checking = false;
    for (const UpgradeVerification& verification : verifications)
        applyVerification(verification);
    finishNow();
}

void FleetRun::finishNow()
{
    m_finished = true;
    m_flushTimer->stop();
    // Records still waiting for a rescan that did not come (no check, or the unit was not in it).
    for (const auto& slot : m_slots)
        if (slot->run)
            slot->run->completeJournal({});
    flush();
    for (int i = 0; i < m_units.size(); ++i)
        if (m_units.at(i).step == Step::Waiting)
            setStep(i, Step::Cancelled);
    emit finished();
}

QString FleetRun::stepText(Step step)
{
    switch (step) {
    case Step::Waiting:
        return tr("waiting");
    case Step::Identifying:
        return tr("identifying");
    case Step::Uploading:
        return tr("uploading");
    case Step::Installing:
        return tr("installing");
    case Step::Erasing:
        return tr("erasing");
    case Step::Writing:
        return tr("writing");
    case Step::Restoring:
        return tr("restoring");
    case Step::Done:
        return tr("done");
    case Step::Failed:
        return tr("failed");
    case Step::Cancelled:
        break;
    }
    return tr("cancelled");
}

// The worker says where it is only in its log; these are the lines that open each step of the three
// procedures, compared as the worker wrote them, in the language it wrote them in.
FleetRun::Step FleetRun::stepForMessage(Step current, const QString& message)
{
    static const struct
    {
        const char* text;
        Step step;
    } openings[] = {
        {QT_TRANSLATE_NOOP("firmwareUpgrade", "Try to connect..."), Step::Identifying},
        {QT_TRANSLATE_NOOP("firmwareUpgrade", "\nFirmware upload in progress..."), Step::Uploading},
        {QT_TRANSLATE_NOOP("firmwareUpgrade", "\nInstall new firmware:"), Step::Installing},
        {QT_TRANSLATE_NOOP("firmwareUpgrade", "Erasing Lumeno memory..."), Step::Erasing},
        {QT_TRANSLATE_NOOP("firmwareUpgrade", "Programming Device memory..."), Step::Writing},
        {QT_TRANSLATE_NOOP("firmwareUpgrade", "Load Bootloader..."), Step::Erasing},
        {QT_TRANSLATE_NOOP("firmwareUpgrade", "Program..."), Step::Writing},
        {QT_TRANSLATE_NOOP("firmwareUpgrade", "Set Baudrate to 921600..."), Step::Restoring},
        {QT_TRANSLATE_NOOP("firmwareUpgrade", "Restoring the module: serial speed back to 921600..."), Step::Restoring},
        {QT_TRANSLATE_NOOP("firmwareUpgrade", "Restoring the module: pins back to normal operation..."),
         Step::Restoring},
        {QT_TRANSLATE_NOOP("firmwareUpgrade", "Wait restart..."), Step::Restoring},
    };
    for (const auto& opening : openings)
        if (message == QCoreApplication::translate("firmwareUpgrade", opening.text))
            return opening.step;
    return current;
}
