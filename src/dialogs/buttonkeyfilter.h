// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QEvent;
class QObject;
class QWidget;

// The keyboard rule of every push button in the program's windows: Return and Enter click the
// button that has the keyboard, and Space, which would press it by accident, does nothing.
// A window installs itself on its buttons and passes their events here from its own eventFilter().
// Check boxes keep Space, the key that ticks them.
class ButtonKeyFilter
{
public:
    ButtonKeyFilter() = delete;

    // Makes `window` the event filter of every push button it holds at this moment.
    static void watchButtons(QWidget* window);
    // True when `event` was a key of the rule and is consumed; everything else takes its normal course.
    static bool filter(QObject* watched, QEvent* event);
    // A window whose shortcut is Space passes its own events here: while a check box has the keyboard,
    // Space ticks that box instead of triggering the shortcut. True when the event was taken.
    static bool letSpaceTickCheckBox(QEvent* event);
};
