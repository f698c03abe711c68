// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLibraryInfo>
#include <QString>
#include <QTextStream>
#include <QtGlobal>

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QSharedPointer>
QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED
#include <QNetworkSession>
QT_WARNING_POP
#endif

// The few calls whose spelling differs between Qt 5.15 and Qt 6: the program builds with both, and
// every version test lives here rather than in the classes that use them.
namespace qtcompat {

// Text written to the stream is UTF-8 whatever the locale says.
inline void writeUtf8(QTextStream& stream)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    stream.setEncoding(QStringConverter::Utf8);
#else
    stream.setCodec("UTF-8");
#endif
}

// Where Qt's own translations (qtbase_de.qm, ...) are installed.
inline QString qtTranslationsPath()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
}

// Qt 5's sockets ask the meta-type system for their network session when they connect, and the first
// asks from several threads at once race; Qt 6 has no network sessions and no such race.
inline void registerNetworkSessionType()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qMetaTypeId<QSharedPointer<QNetworkSession>>();
    QT_WARNING_POP
#endif
}

} // namespace qtcompat
