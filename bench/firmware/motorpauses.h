// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwarepacing.h"

#include <QList>
#include <QString>

// The fixed pauses that one motor-driver upgrade of one DSP must spend, taken from the pacing so that the
// sum stays true when the pacing changes. Waits "up to" a bound are not pauses and are left out.
namespace motorPauses {

struct Item
{
    QString what;
    double ms = 0;
};

// Receive passes of one setup-menu dialogue with the module: the banner, the menu, the baud-rate question,
// the five further questions of the serial channel (each answered by Enter) and the menu back. The pass
// after "9" ends when the module drops the connection to restart, so it is no pause.
inline constexpr int menuPasses = 9;
// Texts sent in that dialogue, each after its pause: Enter, "1", the rate, five Enters, "9".
inline constexpr int menuTexts = 9;

QList<Item> items(const FirmwarePacing& pacing, int imageBytes);
double sum(const QList<Item>& items);

} // namespace motorPauses
