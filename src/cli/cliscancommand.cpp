// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliscancommand.h"

#include "cli/cliarguments.h"
#include "cli/clicontext.h"
#include "cli/cliexit.h"
#include "cli/clioutput.h"
#include "cli/cliscanner.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {
constexpr auto jsonOption = "json";
constexpr auto csvOption = "csv";

} // namespace

QString CliScanCommand::name() const
{
    return QStringLiteral("scan");
}

QString CliScanCommand::synopsis() const
{
    return QStringLiteral("[options]");
}

QString CliScanCommand::summary() const
{
    return tr("Find the instruments and print them as a table, --json or --csv");
}

QString CliScanCommand::description() const
{
    return tr("Scans the networks as the window does and prints the instruments found: a readable table, a JSON "
              "array of complete device records (--json) or the network configuration file (--csv).");
}

CliCommand::ScanOptions CliScanCommand::scanOptions() const
{
    return ScanOptions::All;
}

void CliScanCommand::addOptions(QCommandLineParser& parser)
{
    parser.addOption({QString::fromLatin1(jsonOption),
                      tr("Print a JSON array of device records: the twelve record keywords, catalogFamily, "
                         "catalogGroup, catalogDescription and the unit's extra pairs under \"extra\".")});
    parser.addOption({QString::fromLatin1(csvOption),
                      tr("Print the network configuration file (its header and columns), as export writes it, with a "
                         "last column DHCP of on, off or unknown.")});
}

QString CliScanCommand::takeArguments(const QCommandLineParser& parser)
{
    const bool json = parser.isSet(QString::fromLatin1(jsonOption));
    const bool csv = parser.isSet(QString::fromLatin1(csvOption));
    if (json && csv)
        return tr("--json and --csv exclude each other");
    m_format = json ? Format::Json : csv ? Format::Csv : Format::Table;
    return cliArguments::checkPositionals(parser.positionalArguments(), {});
}

int CliScanCommand::run(CliContext& context)
{
    const QList<Device_t> devices = context.scanner().scan();
    const QString warning = context.scanner().scanWarning();
    if (!warning.isEmpty())
        context.error(warning);
    switch (m_format) {
    case Format::Json:
        context.out() << QString::fromUtf8(CliOutput::devicesJson(devices));
        break;
    case Format::Csv:
        context.out() << CliOutput::devicesCsv(devices);
        break;
    case Format::Table:
        if (!devices.isEmpty())
            context.out() << CliOutput::devicesTable(devices);
        break;
    }
    if (devices.isEmpty()) {
        context.error(tr("no instrument answered"));
        return cliExit::nothingFound;
    }
    return cliExit::success;
}
