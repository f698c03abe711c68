// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QStringList>
#include <QThread>

class QProcess;

// Runs the maintenance tool once, off the main thread, and reports its error code and output.
class CheckUpdatesThread : public QThread
{
    Q_OBJECT

public:
    static constexpr int defaultFinishTimeoutMs = 30000;

    CheckUpdatesThread(QObject* parent, QString program, QStringList arguments,
                       int finishTimeoutMs = defaultFinishTimeoutMs);

signals:
    void signalResultReady(int error, QByteArray data);

protected:
    void run() override;

private:
    // A tool that outlived the bound is killed; it has this long to go before the thread moves on.
    static constexpr int killWaitMs = 3000;
    static void stopIfStillRunning(QProcess& process);

    QString m_program;
    QStringList m_arguments;
    int m_finishTimeoutMs;
};
