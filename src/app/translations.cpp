// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"

#include "model/qtcompat.h"
#include "resources/appresources.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>

namespace {
constexpr auto programFolder = ":/i18n";
constexpr auto programName = "kestrion";
constexpr auto qtName = "qtbase";
} // namespace

QStringList Translations::install(QCoreApplication& app, const QLocale& locale)
{
    initAppResources();
    // The user's languages in order of preference: the first one shipped wins, and English, the
    // language of the source texts, wins as soon as it comes.
    for (const QString& name : locale.uiLanguages()) {
        const QLocale language(name);
        if (language.language() == QLocale::English || language.language() == QLocale::C)
            return {};
        // Parented to the application: a translator must live as long as the texts it gives.
        auto* program = new QTranslator(&app);
        if (!program->load(language, QLatin1String(programName), QStringLiteral("_"), QLatin1String(programFolder))) {
            delete program;
            continue;
        }
        QStringList loaded;
        auto* qt = new QTranslator(&app);
        if (qt->load(language, QLatin1String(qtName), QStringLiteral("_"), qtcompat::qtTranslationsPath()) &&
            QCoreApplication::installTranslator(qt))
            loaded << qt->filePath();
        else
            delete qt;
        if (QCoreApplication::installTranslator(program))
            loaded << program->filePath();
        return loaded;
    }
    return {};
}

QStringList Translations::available()
{
    initAppResources();
    QStringList languages;
    const QString prefix = QLatin1String(programName) + QLatin1Char('_');
    for (const QString& file : QDir(QLatin1String(programFolder)).entryList({prefix + QLatin1String("*.qm")}))
        languages << file.mid(prefix.size()).chopped(3);
    return languages;
}
