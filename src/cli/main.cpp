// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliapplication.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The same names as the window's: they place the settings file both read.
    QCoreApplication::setOrganizationName(QStringLiteral("Ostravi"));
    QCoreApplication::setApplicationName(QStringLiteral("Kestrion"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTRION_VERSION));
    CliApplication cli;
    return cli.run(QCoreApplication::arguments());
}
