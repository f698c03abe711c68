// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/checkupdatesthread.h"

#include <QProcess>

CheckUpdatesThread::CheckUpdatesThread(QObject* parent, QString program, QStringList arguments, int finishTimeoutMs)
    : QThread(parent), m_program(std::move(program)), m_arguments(std::move(arguments)),
      m_finishTimeoutMs(finishTimeoutMs)
{}

void CheckUpdatesThread::stopIfStillRunning(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(killWaitMs);
}

void CheckUpdatesThread::run()
{
    QProcess process;
    process.start(m_program, m_arguments, QIODevice::ReadWrite);
    process.waitForFinished(m_finishTimeoutMs);
    const int error = process.error();
    const QByteArray output = process.readAllStandardOutput();
    stopIfStillRunning(process);
    emit signalResultReady(error, output);
}
