// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliupgraderun.h"

#include "cli/clistopsignal.h"
#include "cli/cliupgradereport.h"
#include "firmware/firmwarerun.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/upgradeoutcome.h"

#include <QEventLoop>
#include <QRegularExpression>

#include <csignal>

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
    auto* worker =
        new firmwareUpgrade(nullptr, m_firmwarePath, manual ? 0 : 1, manual ? QList<bool>() : QList<bool>{true},
                            manual ? QList<Device_t>() : QList<Device_t>{m_device}, m_manualIp);
    worker->setAcceptOtherImageKind(m_acceptOtherImageKind);
    worker->setMotorDriverDsp(m_dsp);
    FirmwareRun upgrade(worker, m_timeoutMs);
    const QString device = name();
    connect(&upgrade, &FirmwareRun::message, this, [&](const QString& message) { report.log(device, message); });
    connect(&upgrade, &FirmwareRun::progress, this, [&](int value) { report.progress(device, value); });
    UpgradeOutcome outcome;
    QEventLoop loop;
    connect(&upgrade, &FirmwareRun::finished, &loop, [&](const UpgradeOutcome& ended) {
        outcome = ended;
        loop.quit();
    });
    // SIGTERM or SIGINT stops the unit at its next safe point, as in a fleet, and the outcome names it.
    CliStopSignal stop;
    connect(&stop, &CliStopSignal::received, &upgrade,
            [&upgrade](int signalNumber) { upgrade.cancel(stopReasonOf(signalNumber)); });
    upgrade.start();
    loop.exec();

    if (outcome.succeeded())
        return true;
    reason = reasonFor(outcome, upgrade.timedOut(), m_timeoutMs);
    return false;
}

UpgradeOutcome::StopReason CliUpgradeRun::stopReasonOf(int signalNumber)
{
    return signalNumber == SIGINT ? UpgradeOutcome::StopReason::Interrupt : UpgradeOutcome::StopReason::Terminate;
}

QString CliUpgradeRun::reasonFor(const UpgradeOutcome& outcome, bool timedOut, int timeoutMs)
{
    // Stopped: said as the journal records it, who stopped it and the step it stopped in.
    if (outcome.failed() && outcome.stoppedOnRequest())
        return timedOut && outcome.stopReason() == UpgradeOutcome::StopReason::None
                   ? outcome.stoppedBy(UpgradeOutcome::StopReason::Watchdog, timeoutMs).summary()
                   : outcome.summary();
    if (outcome.failed())
        return ownWords(outcome.reason());
    if (timedOut)
        return tr("no result within %1 ms: stopped by the watchdog").arg(timeoutMs);
    return tr("the upgrade ended without a result (see the log)");
}

// The unit's or the run's own words, as the window names them, without the log's level ("CRITICAL: ").
QString CliUpgradeRun::ownWords(const QString& reason)
{
    static const QRegularExpression level(QStringLiteral("^(?:[A-Z]+: )+"));
    const QString words = QString(reason).remove(level).trimmed();
    return words.isEmpty() ? tr("the upgrade failed (see the log)") : words;
}
