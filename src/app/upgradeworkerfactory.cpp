// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/upgradeworkerfactory.h"

#include "firmware/firmwareupgrade.h"

UpgradeWorkerFactory realUpgradeWorkers()
{
    return [](QObject* parent, const QString& firmwarePath, int deviceCount, const QList<bool>& selected,
              const QList<Device_t>& devices, const QString& manualIp) {
        return new firmwareUpgrade(parent, firmwarePath, deviceCount, selected, devices, manualIp);
    };
}
