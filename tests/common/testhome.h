// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

// Gives the test a home of its own: the settings file, the journal, the firmware and log directories and the
// previous-installation check then see nothing of the real user's. Names the application as main()
// does, which places the settings file under the home's configuration directory.
//
//     QTemporaryDir m_home;          // a member, alive for the whole test
//     QVERIFY(m_home.isValid());     // in initTestCase()
//     useTestHome(m_home);
inline void useTestHome(const QTemporaryDir& home)
{
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path() + QStringLiteral("/.local/share")));
    QCoreApplication::setOrganizationName(QStringLiteral("Ostravi"));
    QCoreApplication::setApplicationName(QStringLiteral("Kestrion"));
}
