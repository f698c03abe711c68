// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/windowgeometry.h"

#include <QScreen>
#include <QSettings>
#include <QWidget>

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
    if (geometry.isEmpty() || !window.restoreGeometry(geometry)) {
        if (const QScreen* screen = window.screen())
            window.resize(window.size().boundedTo(screen->availableGeometry().size()));
    }
    if (fullScreen)
        window.setWindowState(window.windowState() | Qt::WindowFullScreen);
    else
        window.setWindowState(window.windowState() & ~Qt::WindowFullScreen);
    return fullScreen;
}
