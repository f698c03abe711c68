// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliinterfacescommand.h"

#include "cli/cliarguments.h"
#include "cli/clicontext.h"
#include "cli/cliexit.h"
#include "cli/clioutput.h"
#include "cli/cliscanner.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

QString CliInterfacesCommand::name() const
{
    return QStringLiteral("interfaces");
}

QString CliInterfacesCommand::synopsis() const
{
    return QStringLiteral("[options]");
}

QString CliInterfacesCommand::summary() const
{
    return tr("List the host interfaces (name, address, mask), marking those a scan uses");
}

QString CliInterfacesCommand::description() const
{
    return tr("Lists the host's IPv4 interfaces with name, address and mask. The Scan column says \"yes\" for the "
              "interfaces a scan queries: the selected ones, less docker bridges and interfaces without an address.");
}

CliCommand::ScanOptions CliInterfacesCommand::scanOptions() const
{
    return ScanOptions::InterfacesOnly;
}

void CliInterfacesCommand::addOptions(QCommandLineParser&) {}

QString CliInterfacesCommand::takeArguments(const QCommandLineParser& parser)
{
    return cliArguments::checkPositionals(parser.positionalArguments(), {});
}

int CliInterfacesCommand::run(CliContext& context)
{
    const QList<interfaces_t> interfaces = context.scanner().interfaces();
    if (interfaces.isEmpty()) {
        context.error(tr("the host has no IPv4 interface besides loopback"));
        return cliExit::nothingFound;
    }
    context.out() << CliOutput::interfacesTable(interfaces);
    return cliExit::success;
}
