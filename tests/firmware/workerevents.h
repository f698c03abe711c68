// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwarepacing.h"
#include "firmware/firmwareupgrade.h"
#include "model/device_t.h"

#include <QObject>
#include <QStringList>

// Everything an upgrade worker tells the page, in the order the page receives it (queued, on the test's
// thread), with the bar position worked out as the page does.
class WorkerEvents : public QObject
{
public:
    explicit WorkerEvents(firmwareUpgrade& worker);

    QStringList events; // "log:<text>", "progress:<n>", "remove:<index>", "error", "completed"
    QStringList logs;
    QList<int> progress;
    int errors = 0;
    int completions = 0;
    bool finished = false;
    int bar = 0;
    int highestBarBelowFull = 0;

    int finalSignals() const { return errors + completions; }
    bool logged(const QString& line) const { return logs.contains(line); }
    // The log lines after the first occurrence of the given one.
    QStringList logsAfter(const QString& line) const;
    // The events from the first that opens with the given text on.
    QStringList eventsFrom(const QString& event) const;

private:
    void onProgress(int value);
};

// One worker and what it says, for a run to its end.
class UpgradeRun
{
public:
    UpgradeRun(const QList<Device_t>& devices, const QList<bool>& selected, const QString& firmwarePath,
               const QString& manualIp = {});
    // A run that a failed check left behind is asked to stop, so that the test does not hang on it.
    ~UpgradeRun() { worker.requestInterruption(); }
    // Starts the worker and waits until its thread has finished and everything it sent has arrived.
    bool runToEnd(int timeoutMs = 30000);

    firmwareUpgrade worker;
    WorkerEvents events;
};

namespace upgradetest {
Device_t device(const QString& code, const QString& ip);
// Waits shortened so that variations of a procedure run in milliseconds.
FirmwarePacing shortPacing();
// Enters a network namespace of the test's own: loopback up, and an address whose connections never
// complete. False (with the reason printed) when the namespace cannot be made.
bool enterTestNetwork();
// Where a connection stays pending until the connection wait gives up.
inline constexpr char unansweredAddress[] = "10.9.0.2";
// Makes the sending side of a connection hold little, so that a supply that stops reading stalls the
// upload soon. False when the namespace does not allow it.
bool limitSendBuffers();
} // namespace upgradetest
