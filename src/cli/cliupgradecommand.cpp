// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliupgradecommand.h"

#include "cli/clicontext.h"
#include "cli/cliexit.h"

#include <QCommandLineParser>

QString CliUpgradeCommand::name() const
{
    return QStringLiteral("upgrade");
}

QString CliUpgradeCommand::synopsis() const
{
    return QStringLiteral("[options]");
}

QString CliUpgradeCommand::summary() const
{
    return tr("Upgrade the firmware of one instrument (not available in this build)");
}

QString CliUpgradeCommand::description() const
{
    return tr("Firmware upgrades from the command line are not available in this build: the command ends with "
              "exit code 1 and sends nothing. Use the window's firmware page.");
}

CliCommand::ScanOptions CliUpgradeCommand::scanOptions() const
{
    return ScanOptions::None;
}

void CliUpgradeCommand::addOptions(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("mac"), tr("The MAC address of the instrument."), QStringLiteral("MAC")});
    parser.addOption({QStringLiteral("ip"), tr("The IP address of the instrument."), QStringLiteral("IP")});
    parser.addOption({QStringLiteral("file"), tr("The firmware file."), QStringLiteral("FILE")});
    parser.addOption(
        {QStringLiteral("timeout"), tr("The time-out of the upgrade in milliseconds."), QStringLiteral("MS")});
}

QString CliUpgradeCommand::takeArguments(const QCommandLineParser&)
{
    return {};
}

int CliUpgradeCommand::run(CliContext& context)
{
    context.error(tr("not available in this build"));
    return cliExit::failed;
}
