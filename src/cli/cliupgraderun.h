// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/upgradeoutcome.h"
#include "model/device_t.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>

class CliUpgradeReport;

// The upgrade of one device as the window runs it (a FirmwareRun: the worker under its watchdog), on this
// thread's event loop, where the worker's signals arrive queued and in order.
class CliUpgradeRun : public QObject
{
    Q_DECLARE_TR_FUNCTIONS(CliUpgradeRun)

public:
    // The device found by a scan; or, with an empty record, the manual address `manualIp`.
    CliUpgradeRun(const Device_t& device, const QString& manualIp, const QString& firmwarePath, int timeoutMs);

    // As on the firmware page: a file of another kind sent anyway, and the motor-driver DSP it is for.
    void setAcceptOtherImageKind(bool accept) { m_acceptOtherImageKind = accept; }
    void setMotorDriverDsp(int dsp) { m_dsp = dsp; }

    // True when the worker reported success. `reason` tells why not.
    bool run(CliUpgradeReport& report, QString& reason);

    // Who stopped the run, by the signal kestrion-cli received.
    static UpgradeOutcome::StopReason stopReasonOf(int signalNumber);
    // Why a run that did not succeed failed. Its own failure comes first, even when the watchdog fired too;
    // the time-out is the reason only of a run that ended without a failure of its own after it.
    static QString reasonFor(const UpgradeOutcome& outcome, bool timedOut, int timeoutMs);
    static QString ownWords(const QString& reason);

    // How the device is named in the output: its MAC, or the manual address.
    QString name() const;
    QString address() const;
    const Device_t& device() const { return m_device; }

private:
    Device_t m_device;
    QString m_manualIp;
    QString m_firmwarePath;
    int m_timeoutMs;
    bool m_acceptOtherImageKind = false;
    int m_dsp = 0;
};
