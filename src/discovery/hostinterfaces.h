// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/interfaces_t.h"

#include <QList>
#include <QNetworkInterface>

// The host's IPv4 addresses offered for scanning, without a window: the interface
// holder and the command-line companion enumerate through here.
namespace hostInterfaces {
// One record per IPv4 address other than loopback; each takes the selected flag of the
// first record of its name in previous, and a name not seen before starts selected.
QList<interfaces_t> enumerate(const QList<QNetworkInterface>& systemInterfaces,
                              const QList<interfaces_t>& previous = {});
// The same, from the system's present interfaces.
QList<interfaces_t> enumerate(const QList<interfaces_t>& previous = {});
} // namespace hostInterfaces
