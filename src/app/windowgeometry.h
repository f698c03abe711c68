// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QSettings;
class QWidget;

// The window's size, place and full-screen state between runs, in a group of their own in the settings
// file, apart from the preferences.
class WindowGeometry
{
public:
    static constexpr const char* group = "window";
    static constexpr const char* geometryKey = "geometry";
    static constexpr const char* fullScreenKey = "fullScreen";

    WindowGeometry() = delete;

    static void save(const QWidget& window, QSettings& settings);
    // Before the window is first shown; without a stored geometry the window keeps the form's size, made
    // no larger than the screen. On Wayland only the size and the maximized state come back: the compositor
    // places the window.
    // True when the window is to open full screen.
    static bool restore(QWidget& window, QSettings& settings);
};
