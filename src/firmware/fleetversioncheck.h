// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/upgradeverification.h"
#include "model/device_t.h"

#include <QList>
#include <QObject>

// Asks units which firmware version they report now, after their upgrade: the fleet run's canary gate and
// its closing check. start() returns at once; finished() follows exactly once per start(), within a bounded
// time, with one verification per unit asked about (a unit that did not answer is in it as unanswered).
class FleetVersionCheck : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void start(const QList<Device_t>& units) = 0;

signals:
    void finished(const QList<UpgradeVerification>& verifications);
};
