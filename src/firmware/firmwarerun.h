// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/upgradejournal.h"
#include "firmware/upgradeoutcome.h"
#include "model/unitlock.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QThread;
class QTimer;
class firmwareUpgrade;

// The upgrade of one unit by one worker thread, for the firmware page and the command line alike: it passes
// on what the worker says, asks it to stop when its time is up or when cancelled (the worker stops at its
// next safe point), and once the thread has ended emits finished() exactly once with the run's outcome.
// Every run is recorded in the journal: begun when it starts, completed when it ends, or, for a caller that
// rescans the unit first, once that caller hands over the version it found. The "begun" line is written on
// a thread of its own and the worker starts only once it is on disk: a journal locked by another program
// then holds up this unit alone, never the event loop nor the units of other runs.
class FirmwareRun : public QObject
{
    Q_OBJECT

public:
    // Takes the worker, not yet started; `timeoutMs` is the watchdog's time.
    FirmwareRun(firmwareUpgrade* worker, int timeoutMs, QObject* parent = nullptr);
    // A worker still running is asked to stop and waited for (see stopAndWait()).
    ~FirmwareRun() override;

    firmwareUpgrade* worker() const { return m_worker; }

    // Set before start(). The journal's folder (empty: the run is not recorded); the data location by default.
    void setJournalDirectory(const QString& directory);
    // The run's log file, named in the journal.
    void setLogFile(const QString& path) { m_logFile = path; }
    // The caller completes the journal entry itself, with the version a rescan found, by completeJournal().
    void setJournalCompletionDeferred(bool deferred) { m_journalDeferred = deferred; }
    // Completes the journal entry of a run that has finished; later calls do nothing.
    void completeJournal(const QString& versionAfter);
    const UpgradeOutcome& outcome() const { return m_outcome; }

    // Claims the unit first (UnitLock): a unit another process upgrades or configures is not touched, and
    // the run finishes at once as a failure that names the holder, with nothing recorded.
    void start();
    // Asks the worker to stop at its next safe point; `by` is named in the outcome.
    void cancel(UpgradeOutcome::StopReason by = UpgradeOutcome::StopReason::User);
    bool isRunning() const;
    // The watchdog fired while the worker ran.
    bool timedOut() const { return m_timedOut; }
    // Asks a running worker to stop and waits for it at most `waitMs`. False when it still runs: it is then
    // let go to end with the process, since destroying a running thread would abort the program.
    bool stopAndWait(unsigned long waitMs);

    // What a worker that never said how it ended is taken to have done: an error outweighs a completion.
    static UpgradeOutcome outcomeFromSignals(bool errorSeen, bool completionSeen, const QString& firstErrorLine);

signals:
    void message(const QString& text);
    void progress(int value);
    // The watchdog asked the worker to stop.
    void watchdogExpired(int timeoutMs);
    void finished(const UpgradeOutcome& outcome);

private:
    void connectWorker();
    void onWatchdog();
    void onWorkerFinished();
    void onMessage(const QString& text);
    void beginJournal();
    void onJournalBegun();
    void waitForJournalThread();
    void endBeforeStart();
    void nameWhoStopped();
    void passOnJournalWarnings();
    bool claimUnit();

    QPointer<firmwareUpgrade> m_worker;
    QTimer* m_watchdog;
    int m_timeoutMs;
    bool m_timedOut = false;
    UpgradeOutcome::StopReason m_stopReason = UpgradeOutcome::StopReason::None;
    bool m_errorSeen = false;
    bool m_completionSeen = false;
    bool m_finished = false;
    QString m_firstErrorLine;
    UpgradeOutcome m_outcome;
    std::unique_ptr<UpgradeJournal> m_journal;
    QString m_journalId;
    QThread* m_journalThread = nullptr;
    bool m_cancelledBeforeStart = false;
    QString m_logFile;
    bool m_journalDeferred = false;
    bool m_journalCompleted = false;
    std::unique_ptr<UnitLock> m_unitLock;
};
