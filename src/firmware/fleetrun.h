// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/upgradeoutcome.h"
#include "firmware/upgradeverification.h"
#include "model/device_t.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class FirmwareRun;
class FleetVersionCheck;
class QTimer;
class firmwareUpgrade;

// The upgrade of many units, up to `parallel` at once, each by its own worker under its own watchdog (a
// FirmwareRun). Two upgrades never reach one unit (its MAC) or one address (a motor driver's XPort module)
// at the same time: such a unit waits its turn. A failure stops only its own unit, until maxFailures units
// have failed; then no new unit starts and those in flight finish. With the canary on, the first unit runs
// alone and the others start only when it succeeded and a rescan shows it reporting another version.
// Log lines and progress reach the receivers batched per unit, every flushIntervalMs, so that a window with
// many units in flight is never flooded.
class FleetRun : public QObject
{
    Q_OBJECT

public:
    enum class Step {
        Waiting,
        Identifying,
        Uploading,
        Installing,
        Erasing,
        Writing,
        Restoring,
        Done,
        Failed,
        Cancelled
    };
    Q_ENUM(Step)

    struct Options
    {
        int parallel = 4;        // 1..maxParallel; 1 upgrades one unit after another
        bool canary = false;     // "Upgrade one unit first"
        int maxFailures = 3;     // no new unit starts once this many have failed; 0 or less: no limit
        int timeoutMs = 600000;  // each unit's watchdog
        bool verifyAtEnd = true; // rescan the upgraded units once all have ended (needs a version check)
        QString logFile;         // the run's log file, named in each unit's journal record
    };

    // Everything known about one unit of the run.
    struct Unit
    {
        Device_t device;
        Step step = Step::Waiting;
        int progress = 0;     // the bar position, by firmwareUpgrade::nextProgress()
        qint64 elapsedMs = 0; // since its start; frozen when it ended
        QString lastMessage;
        QString versionBefore;  // as the scan before the run found it
        QString versionAfter;   // as the rescan found it; empty when not rescanned or unanswered
        bool verified = false;  // the rescan found it reporting another version
        bool timedOut = false;  // its watchdog fired
        UpgradeOutcome outcome; // no result while waiting or running, and for a unit that never started
    };

    // Makes the worker of one unit, not yet started, with everything the caller sets on it (the other image
    // kind accepted, the motor-driver DSP, the pacing, the ports). The run takes ownership.
    using WorkerFactory = std::function<firmwareUpgrade*(const Device_t& unit)>;

    static constexpr int maxParallel = 32;
    static constexpr int flushIntervalMs = 50;

    FleetRun(const QList<Device_t>& units, WorkerFactory factory, const Options& options, QObject* parent = nullptr);
    // Workers still running are asked to stop and waited for.
    ~FleetRun() override;

    // Asks the rescans of the canary gate and of the closing check. Not owned; set before start(). Without
    // one the canary gate goes by the canary's outcome alone and there is no closing check.
    void setVersionCheck(FleetVersionCheck* check);

    void start();
    // Every unit in flight is asked to stop at its next safe point; no other starts. `by` is named in the
    // outcomes of the units it stopped.
    void cancel(UpgradeOutcome::StopReason by = UpgradeOutcome::StopReason::User);

    bool isRunning() const { return m_started && !m_finished; }
    bool isFinished() const { return m_finished; }
    bool wasCancelled() const { return m_cancelled; }
    // Why units were left waiting (the failure limit, the canary, cancel); empty when none was.
    QString haltReason() const { return m_haltReason; }
    const Options& options() const { return m_options; }

    int unitCount() const;
    const Unit& unitResult(int index) const;
    int finishedCount() const { return m_finishedCount; }
    int failedCount() const { return m_failedCount; }
    int runningCount() const;

    // What a unit is doing, judged from a line its worker logged; `current` when the line says nothing new.
    static Step stepForMessage(Step current, const QString& message);
    static QString stepText(Step step);
    static bool isFinal(Step step);
    // The keys two upgrades at once must not share: the unit's MAC and the address it is reached at.
    static QStringList exclusivityKeys(const Device_t& unit);
    // Clamped to 1..maxParallel.
    static int boundedParallel(int parallel);

signals:
    void unitStarted(int index);
    void unitStepChanged(int index, FleetRun::Step step);
    void unitProgress(int index, int value);
    void unitMessages(int index, const QStringList& lines);
    void unitFinished(int index, const UpgradeOutcome& outcome);
    void unitVerified(int index, const UpgradeVerification& verification);
    // No further unit will start; `reason` says why.
    void halted(const QString& reason);
    // Every unit has ended or will never start, and the closing check (if any) is done.
    void finished();

private:
    struct Slot;

    void startWaitingUnits();
    void scheduleStarts();
    bool completesAfterRescan(int index) const;
    bool mayStartMore() const;
    bool isFree(int index) const;
    void startUnit(int index);
    void onUnitMessage(int index, const QString& text);
    void onUnitProgress(int index, int value);
    void onUnitFinished(int index, const UpgradeOutcome& outcome);
    void setStep(int index, Step step);
    void flush();
    void flushUnit(int index);
    void halt(const QString& reason);
    void checkCanary(int index);
    void onCanaryChecked(const QList<UpgradeVerification>& verifications);
    void onClosingChecked(const QList<UpgradeVerification>& verifications);
    void applyVerification(const UpgradeVerification& verification);
    void finishWhenDone();
    void finishNow();
    bool hasWaitingUnits() const;

    QList<Unit> m_units;
    std::vector<std::unique_ptr<Slot>> m_slots;
    WorkerFactory m_factory;
    Options m_options;
    FleetVersionCheck* m_versionCheck = nullptr;
    QTimer* m_flushTimer;
    QSet<QString> m_busyKeys;
    int m_finishedCount = 0;
    int m_failedCount = 0;
    bool m_started = false;
    bool m_finished = false;
    bool m_cancelled = false;
    bool m_halted = false;
    bool m_canaryPending = false;
    bool m_checking = false;
    bool m_closingCheckDone = false;
    bool m_startScheduled = false;
    QMetaObject::Connection m_checkConnection;
    QString m_haltReason;
};
