// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTest>

// A line edit with a clear button fades the button in with a parentless animation that deletes itself
// once it stops. Destroy the widget mid-fade and the animation only notices at its next tick, so a
// test that sets a file name and exits at once leaves it behind, and the leak checker reports it.
// Call this from cleanupTestCase(), after the last window is gone: it gives the animations their tick
// and their deferred deletion.
inline void letWidgetAnimationsEnd()
{
    constexpr int longerThanAnyFadeMs = 250;
    QTest::qWait(longerThanAnyFadeMs);
}
