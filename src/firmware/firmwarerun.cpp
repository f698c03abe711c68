// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/firmwarerun.h"

#include "firmware/firmwareupgrade.h"

#include <QTimer>

#include <climits>

FirmwareRun::FirmwareRun(firmwareUpgrade* worker, int timeoutMs, QObject* parent)
    : QObject(parent), m_worker(worker), m_watchdog(new QTimer(this)), m_timeoutMs(timeoutMs)
{
    qRegisterMetaType<UpgradeOutcome>();
    m_worker->setParent(this);
    m_watchdog->setSingleShot(true);
    connect(m_watchdog, &QTimer::timeout, this, &FirmwareRun::onWatchdog);
    connectWorker();
}

FirmwareRun::~FirmwareRun()
{
    stopAndWait(ULONG_MAX);
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

void FirmwareRun::start()
{
    m_worker->start();
    m_watchdog->start(m_timeoutMs);
}

void FirmwareRun::cancel()
{
    if (m_worker)
        m_worker->requestInterruption();
}

bool FirmwareRun::isRunning() const
{
    return m_worker && m_worker->isRunning();
}

bool FirmwareRun::stopAndWait(unsigned long waitMs)
{
    if (!m_worker || !m_worker->isRunning())
        return true;
    m_worker->requestInterruption();
    if (m_worker->wait(waitMs))
        return true;
    disconnect(m_worker, nullptr, this, nullptr);
    m_worker->setParent(nullptr);
    m_worker = nullptr;
    return false;
}

void FirmwareRun::onWatchdog()
{
    if (!isRunning())
        return;
    m_timedOut = true;
    emit watchdogExpired(m_timeoutMs);
    m_worker->requestInterruption();
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
    const UpgradeOutcome reported = m_worker->outcome();
    emit finished(reported.hasResult() ? reported
                                       : outcomeFromSignals(m_errorSeen, m_completionSeen, m_firstErrorLine));
}

UpgradeOutcome FirmwareRun::outcomeFromSignals(bool errorSeen, bool completionSeen, const QString& firstErrorLine)
{
    if (errorSeen)
        return UpgradeOutcome::failure(firstErrorLine.isEmpty() ? UpgradeOutcome::tr("the upgrade failed")
                                                                : firstErrorLine);
    return completionSeen ? UpgradeOutcome::upgraded() : UpgradeOutcome();
}
