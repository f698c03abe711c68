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
    // Before the window is first shown; a file without the group leaves the window as the form made it.
    // True when the window is to open full screen.
    static bool restore(QWidget& window, QSettings& settings);
};
