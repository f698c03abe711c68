// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The power-supply procedure of the upgrade worker.
#include "firmware/firmwareupgrade.h"

void firmwareUpgrade::firmwareUpdatePowerSupplies(bool checkDcLink)
{
    Q_UNUSED(checkDcLink)
    emit signalPrintMessage(QStringLiteral("ERROR: power-supply upgrades are not part of this build"), true);
    emit signalErrorDetected();
}
