// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/firmwarerun.h"

#include "firmware/firmwareupgrade.h"

#include <QThread>
#include <QTimer>

#include <climits>

FirmwareRun::FirmwareRun(firmwareUpgrade* worker, int timeoutMs, QObject* parent)
    : QObject(parent), m_worker(worker), m_watchdog(new QTimer(this)), m_timeoutMs(timeoutMs),
      m_journal(std::make_unique<UpgradeJournal>())
{
    qRegisterMetaType<UpgradeOutcome>();
    m_worker->setParent(this);
    m_watchdog->setSingleShot(true);
    connect(m_watchdog, &QTimer::timeout, this, &FirmwareRun::onWatchdog);
    connectWorker();
}

FirmwareRun::~FirmwareRun()
{
    waitForJournalThread();
    stopAndWait(ULONG_MAX);
    // A caller that meant to rescan first and never did still leaves a complete record.
    if (m_finished)
        completeJournal({});
}

void FirmwareRun::setJournalDirectory(const QString& directory)
{
    m_journal = directory.isEmpty() ? nullptr : std::make_unique<UpgradeJournal>(directory);
}

void FirmwareRun::connectWorker()
{
    connect(m_worker, &firmwareUpgrade::signalPrintMessage, this, &FirmwareRun::onMessage);
    connect(m_worker, &firmwareUpgrade::signalProgressBarUpdate, this, &FirmwareRun::progress);
    connect(m_worker, &firmwareUpgrade::signalErrorDetected, this, [this] { m_errorSeen = true; });
    connect(m_worker, &firmwareUpgrade::signalProcedureCompleted, this, [this] { m_completionSeen = true; });
    // Queued behind everything the worker sent before its thread ended.
    connect(m_worker, &QThread::finished, this, &FirmwareRun::onWorkerFinished, Qt::QueuedConnection);
}

// The watchdog bounds the unit's whole turn, the wait for the journal included.
void FirmwareRun::start()
{
    if (!claimUnit())
        return;
    m_watchdog->start(m_timeoutMs);
    if (!m_journal) {
        m_worker->start();
        return;
    }
    beginJournal();
}

// A manual address names no MAC and is not claimed.
bool FirmwareRun::claimUnit()
{
    const QString mac = m_worker->unitToUpgrade().mac;
    if (mac.isEmpty())
        return true;
    m_unitLock = std::make_unique<UnitLock>(mac, UnitLock::Purpose::Upgrade);
    if (m_unitLock->isHeld())
        return true;
    m_finished = true;
    m_journalCompleted = true;
    m_outcome = UpgradeOutcome::failure(m_unitLock->refusal());
    // Finished after start() returns, as a run that went to its worker.
    QTimer::singleShot(0, this, [this] { emit finished(m_outcome); });
    return false;
}

void FirmwareRun::cancel(UpgradeOutcome::StopReason by)
{
    // The first to ask is the one who stopped it.
    if (m_stopReason == UpgradeOutcome::StopReason::None)
        m_stopReason = by;
    // A worker not started yet would not see the request: it is then not started at all.
    if (m_journalThread)
        m_cancelledBeforeStart = true;
    if (m_worker)
        m_worker->requestInterruption();
}

bool FirmwareRun::isRunning() const
{
    return m_journalThread || (m_worker && m_worker->isRunning());
}

// Stopping while the "begun" line is being written: waits for it (bounded by the journal's lock time-out)
// and ends the run there, with the record completed but without finished(), as a stopped worker has none.
void FirmwareRun::waitForJournalThread()
{
    if (!m_journalThread)
        return;
    m_journalThread->wait();
    delete m_journalThread;
    m_journalThread = nullptr;
    endBeforeStart();
}

bool FirmwareRun::stopAndWait(unsigned long waitMs)
{
    waitForJournalThread();
    if (!m_worker || !m_worker->isRunning())
        return true;
    m_worker->requestInterruption();
    if (m_worker->wait(waitMs))
        return true;
    disconnect(m_worker, nullptr, this, nullptr);
    m_worker->setParent(nullptr);
    m_worker = nullptr;
    // It may still send: the unit stays claimed until the process ends.
    if (m_unitLock)
        m_unitLock->keepUntilExit();
    return false;
}

void FirmwareRun::onWatchdog()
{
    if (!isRunning())
        return;
    m_timedOut = true;
    emit watchdogExpired(m_timeoutMs);
    cancel(UpgradeOutcome::StopReason::Watchdog);
}

void FirmwareRun::onMessage(const QString& text)
{
    if (m_firstErrorLine.isEmpty())
        m_firstErrorLine = UpgradeOutcome::errorLineOf(text);
    emit message(text);
}

void FirmwareRun::onWorkerFinished()
{
    if (m_finished)
        return;
    m_finished = true;
    m_watchdog->stop();
    m_unitLock.reset();
    const UpgradeOutcome reported = m_worker->outcome();
    m_outcome = reported.hasResult() ? reported : outcomeFromSignals(m_errorSeen, m_completionSeen, m_firstErrorLine);
    nameWhoStopped();
    if (!m_journalDeferred)
        completeJournal({});
    emit finished(m_outcome);
}

// Before the worker's thread starts, so that the record is on disk before anything is sent.
void FirmwareRun::beginJournal()
{
    const Device_t unit = m_worker->unitToUpgrade();
    const QString path = m_worker->firmwarePath();
    UpgradeJournal* journal = m_journal.get();
    m_journalThread = QThread::create([this, journal, unit, path] { m_journalId = journal->begin(unit, path); });
    connect(m_journalThread, &QThread::finished, this, &FirmwareRun::onJournalBegun, Qt::QueuedConnection);
    m_journalThread->start();
}

void FirmwareRun::onJournalBegun()
{
    if (!m_journalThread)
        return;
    m_journalThread->wait();
    delete m_journalThread;
    m_journalThread = nullptr;
    passOnJournalWarnings();
    if (!m_cancelledBeforeStart) {
        m_worker->start();
        return;
    }
    m_watchdog->stop();
    endBeforeStart();
    emit finished(m_outcome);
}

// Stopped while the record was being written: nothing was sent to the unit.
void FirmwareRun::endBeforeStart()
{
    m_finished = true;
    m_outcome = UpgradeOutcome::failure(tr("the upgrade was stopped before anything was sent"), true);
    nameWhoStopped();
    if (!m_journalDeferred)
        completeJournal({});
}

// A stopped run says who stopped it, in the log as in the outcome that the journal and the callers report.
void FirmwareRun::nameWhoStopped()
{
    if (!m_outcome.failed() || !m_outcome.stoppedOnRequest() || m_stopReason == UpgradeOutcome::StopReason::None)
        return;
    m_outcome = m_outcome.stoppedBy(m_stopReason, m_timeoutMs);
    emit message(tr("The upgrade ended, %1").arg(m_outcome.summary()));
}

void FirmwareRun::completeJournal(const QString& versionAfter)
{
    if (!m_journal || !m_finished || m_journalCompleted)
        return;
    m_journalCompleted = true;
    // A watchdog stop is recorded as a failure: the outcome names who stopped the run.
    m_journal->complete(m_journalId, m_outcome, versionAfter, m_logFile);
    passOnJournalWarnings();
}

void FirmwareRun::passOnJournalWarnings()
{
    for (const QString& warning : m_journal->takeWarnings())
        emit message(warning);
}

UpgradeOutcome FirmwareRun::outcomeFromSignals(bool errorSeen, bool completionSeen, const QString& firstErrorLine)
{
    if (errorSeen)
        return UpgradeOutcome::failure(firstErrorLine.isEmpty() ? UpgradeOutcome::tr("the upgrade failed")
                                                                : firstErrorLine);
    return completionSeen ? UpgradeOutcome::upgraded() : UpgradeOutcome();
}
