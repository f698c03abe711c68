// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QList>
#include <QString>

#include <functional>

class QObject;
class firmwareUpgrade;

// Makes the worker that upgrades one device. The window hands one to its firmware page, so that
// tests can run a scripted worker (a firmwareUpgrade whose run() plays a story) instead of the real one.
using UpgradeWorkerFactory = std::function<firmwareUpgrade*(QObject* parent, const QString& firmwarePath,
                                                            int deviceCount, const QList<bool>& selected,
                                                            const QList<Device_t>& devices, const QString& manualIp)>;

// The factory of the program: the real upgrade worker.
UpgradeWorkerFactory realUpgradeWorkers();
