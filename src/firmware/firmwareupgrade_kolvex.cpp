// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The motor-driver procedure of the upgrade worker.
#include "firmware/firmwareupgrade.h"

void firmwareUpgrade::firmwareKolvexUpdate()
{
    emit signalPrintMessage(QStringLiteral("ERROR: motor-driver upgrades are not part of this build"), true);
    emit signalErrorDetected();
}

void firmwareUpgrade::updateDspKolvex(QString ip, QString firmwarePath, int dsp)
{
    Q_UNUSED(ip)
    Q_UNUSED(firmwarePath)
    Q_UNUSED(dsp)
    firmwareKolvexUpdate();
}

void firmwareUpgrade::onLantronixTimeoutReset() {}
