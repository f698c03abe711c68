// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The beamline procedure of the upgrade worker (also used for Vesk supplies).
#include "firmware/firmwareupgrade.h"

void firmwareUpgrade::firmwareUpdateBeamline()
{
    emit signalPrintMessage(QStringLiteral("ERROR: beamline upgrades are not part of this build"), true);
    emit signalErrorDetected();
}
