// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// One real upgrade worker (not the page) for one device, run to its end on this thread's event loop,
// with the time at which each of its log lines arrived.
class WorkerRun : public QObject
{
public:
    WorkerRun(const Device_t& device, const QString& firmwarePath);

    // False when the worker had not ended within the bound.
    bool run(int timeoutMs);

    bool completed() const { return m_completed; }
    bool failed() const { return m_failed; }
    qint64 elapsedMs() const { return m_elapsedMs; }
    const QStringList& logs() const { return m_logs; }
    // Milliseconds from the start to the arrival of the first log line that equals `line`; -1 if none.
    qint64 msAtLog(const QString& line) const;

private:
    Device_t m_device;
    QString m_firmwarePath;
    QElapsedTimer m_clock;
    QStringList m_logs;
    QList<qint64> m_logTimes;
    bool m_completed = false;
    bool m_failed = false;
    qint64 m_elapsedMs = -1;
};
