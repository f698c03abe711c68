// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windowgeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace {
// Wayland leaves a window's place to the compositor: a client can neither read nor set it.
bool platformPlacesWindows()
{
    return QGuiApplication::platformName() != QLatin1String("wayland");
}

// The size and the maximized state of a stored geometry, without the place: read back through a window that is
// never shown, so nothing is asked of the compositor.
bool restoreSizeOnly(QWidget& window, const QByteArray& geometry)
{
    QWidget probe;
    if (!probe.restoreGeometry(geometry))
        return false;
    window.resize(probe.normalGeometry().size());
    if (probe.windowState() & Qt::WindowMaximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    return true;
}
} // namespace

void WindowGeometry::save(const QWidget& window, QSettings& settings)
{
    settings.beginGroup(QLatin1String(group));
    settings.setValue(QLatin1String(geometryKey), window.saveGeometry());
    settings.setValue(QLatin1String(fullScreenKey), window.isFullScreen());
    settings.endGroup();
    settings.sync();
}

bool WindowGeometry::restore(QWidget& window, QSettings& settings)
{
    settings.beginGroup(QLatin1String(group));
    const QByteArray geometry = settings.value(QLatin1String(geometryKey)).toByteArray();
    const bool fullScreen = settings.value(QLatin1String(fullScreenKey), false).toBool();
    settings.endGroup();
    // A damaged value is refused by restoreGeometry and leaves the form's size, as a first start does;
    // that size is kept within the screen, which may be smaller than the form.
    const bool restored = !geometry.isEmpty() && (platformPlacesWindows() ? window.restoreGeometry(geometry)
                                                                          : restoreSizeOnly(window, geometry));
    if (!restored) {
        if (const QScreen* screen = window.screen())
            window.resize(window.size().boundedTo(screen->availableGeometry().size()));
    }
    if (fullScreen)
        window.setWindowState(window.windowState() | Qt::WindowFullScreen);
    else
        window.setWindowState(window.windowState() & ~Qt::WindowFullScreen);
    return fullScreen;
}
