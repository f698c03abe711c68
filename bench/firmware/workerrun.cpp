// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "workerrun.h"

#include "firmware/firmwareupgrade.h"

#include <QEventLoop>
#include <QTimer>

WorkerRun::WorkerRun(const Device_t& device, const QString& firmwarePath)
    : m_device(device), m_firmwarePath(firmwarePath)
{}

bool WorkerRun::run(int timeoutMs)
{
    firmwareUpgrade worker(nullptr, m_firmwarePath, 1, {true}, {m_device}, QString());
    connect(&worker, &firmwareUpgrade::signalPrintMessage, this, [this](const QString& message) {
        m_logs << message;
        m_logTimes << m_clock.elapsed();
    });
    connect(&worker, &firmwareUpgrade::signalProcedureCompleted, this, [this] { m_completed = true; });
    connect(&worker, &firmwareUpgrade::signalErrorDetected, this, [this] { m_failed = true; });
    bool finished = false;
    QEventLoop loop;
    // Arrives after every signal the worker sent before it ended.
    connect(&worker, &QThread::finished, &loop, [&] {
        m_elapsedMs = m_clock.elapsed();
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    m_clock.start();
    worker.start();
    loop.exec();
    if (!finished)
        worker.requestInterruption();
    return finished;
}

qint64 WorkerRun::msAtLog(const QString& line) const
{
    const int index = m_logs.indexOf(line);
    return index < 0 ? -1 : m_logTimes.at(index);
}
