// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliupgraderun.h"

#include "cli/cliupgradereport.h"
#include "firmware/firmwareupgrade.h"

#include <QEventLoop>
#include <QTimer>

CliUpgradeRun::CliUpgradeRun(const Device_t& device, const QString& manualIp, const QString& firmwarePath,
                             int timeoutMs)
    : m_device(device), m_manualIp(manualIp), m_firmwarePath(firmwarePath), m_timeoutMs(timeoutMs)
{}

QString CliUpgradeRun::name() const
{
    return m_manualIp.isEmpty() ? m_device.mac : m_manualIp;
}

QString CliUpgradeRun::address() const
{
    return m_manualIp.isEmpty() ? m_device.ip : m_manualIp;
}

bool CliUpgradeRun::run(CliUpgradeReport& report, QString& reason)
{
    const bool manual = !m_manualIp.isEmpty();
    // As the page hands it over: the device selected in a list of one, or no device and the manual address.
    firmwareUpgrade worker(nullptr, m_firmwarePath, manual ? 0 : 1, manual ? QList<bool>() : QList<bool>{true},
                           manual ? QList<Device_t>() : QList<Device_t>{m_device}, m_manualIp);
    worker.setAcceptOtherImageKind(m_acceptOtherImageKind);
    worker.setMotorDriverDsp(m_dsp);
    const QString device = name();
    bool completed = false;
    bool failed = false;
    bool timedOut = false;
    connect(&worker, &firmwareUpgrade::signalPrintMessage, this,
            [&](const QString& message) { report.log(device, message); });
    connect(&worker, &firmwareUpgrade::signalProgressBarUpdate, this,
            [&](int value) { report.progress(device, value); });
    connect(&worker, &firmwareUpgrade::signalProcedureCompleted, this, [&] { completed = !failed; });
    connect(&worker, &firmwareUpgrade::signalErrorDetected, this, [&] { failed = !completed; });

    QEventLoop loop;
    // Queued behind every signal the worker sent before its thread ended.
    connect(&worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, this, [&] {
        if (worker.isRunning()) {
            timedOut = true;
            worker.requestInterruption();
        }
    });
    worker.start();
    watchdog.start(m_timeoutMs);
    loop.exec();
    watchdog.stop();

    if (completed)
        return true;
    if (timedOut)
        reason = tr("no result within %1 ms: the upgrade was asked to stop").arg(m_timeoutMs);
    else if (failed)
        reason = tr("the upgrade failed (see the log)");
    else
        reason = tr("the upgrade ended without a result (see the log)");
    return false;
}
