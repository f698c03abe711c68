// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>
#include <QStringList>

class QCoreApplication;

// The window's texts in the user's language: the program's own translation, built into the
// resources, and Qt's translation of its standard buttons and dialogs, from the system's Qt.
// A language without a translation leaves the English source texts.
class Translations
{
public:
    // Installs, on the application, the program's and Qt's translation for the first of the locale's
    // languages that the program has a translation for, and returns the files loaded. Call before the
    // first window is made; uic forms translate their texts when they are set up.
    static QStringList install(QCoreApplication& app, const QLocale& locale = QLocale::system());
    // The languages the program ships a translation for ("de", ...).
    static QStringList available();
};
