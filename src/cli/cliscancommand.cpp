// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliscancommand.h"

#include "cli/cliarguments.h"
#include "cli/clicontext.h"
#include "cli/clidifferenceoutput.h"
#include "cli/cliexit.h"
#include "cli/clioutput.h"
#include "cli/cliscanner.h"
#include "journal/scansnapshot.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {
constexpr auto jsonOption = "json";
constexpr auto csvOption = "csv";
constexpr auto diffOption = "diff";
constexpr auto devicesKey = "devices";
constexpr auto differenceKey = "difference";

QByteArray devicesWithDifference(const QList<Device_t>& devices, const std::optional<ScanDifference>& difference)
{
    QJsonArray units;
    for (const Device_t& device : devices)
        units.append(CliOutput::deviceObject(device));
    const QJsonObject root{{QLatin1String(devicesKey), units},
                           {QLatin1String(differenceKey), CliDifferenceOutput::json(difference)}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
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
    parser.addOption({QString::fromLatin1(diffOption),
                      tr("Also print what has changed since the last scan: units added, removed (with when they "
                         "were last seen) and changed (field by field). With --json the output becomes an object "
                         "with the \"devices\" array and the \"difference\".")});
}

QString CliScanCommand::takeArguments(const QCommandLineParser& parser)
{
    const bool json = parser.isSet(QString::fromLatin1(jsonOption));
    const bool csv = parser.isSet(QString::fromLatin1(csvOption));
    if (json && csv)
        return tr("--json and --csv exclude each other");
    m_diff = parser.isSet(QString::fromLatin1(diffOption));
    if (m_diff && csv)
        return tr("--diff and --csv exclude each other");
    m_format = json ? Format::Json : csv ? Format::Csv : Format::Table;
    return cliArguments::checkPositionals(parser.positionalArguments(), {});
}

int CliScanCommand::run(CliContext& context)
{
    const QList<Device_t> devices = context.scanner().scan();
    const QString warning = context.scanner().scanWarning();
    if (!warning.isEmpty())
        context.error(warning);
    const std::optional<ScanDifference> difference =
        m_diff ? differenceFromLast(context, devices) : std::optional<ScanDifference>();
    // A scan that found nothing (a cable out, the wrong interface) keeps the last one that did, so that
    // the next scan still tells what went missing.
    if (!devices.isEmpty()) {
        const QString problem = ScanSnapshot().save(devices);
        if (!problem.isEmpty())
            context.error(problem);
    }
    printDevices(context, devices, difference);
    if (devices.isEmpty()) {
        context.error(tr("no instrument answered"));
        return cliExit::nothingFound;
    }
    return cliExit::success;
}

void CliScanCommand::printDevices(CliContext& context, const QList<Device_t>& devices,
                                  const std::optional<ScanDifference>& difference) const
{
    switch (m_format) {
    case Format::Json:
        context.out() << QString::fromUtf8(m_diff ? devicesWithDifference(devices, difference)
                                                  : CliOutput::devicesJson(devices));
        break;
    case Format::Csv:
        context.out() << CliOutput::devicesCsv(devices);
        break;
    case Format::Table:
        if (!devices.isEmpty())
            context.out() << CliOutput::devicesTable(devices);
        if (m_diff)
            context.out() << CliDifferenceOutput::text(difference);
        break;
    }
}

std::optional<ScanDifference> CliScanCommand::differenceFromLast(CliContext& context, const QList<Device_t>& devices)
{
    QString problem;
    const std::optional<ScanSnapshot::Scan> last = ScanSnapshot().load(&problem);
    if (!problem.isEmpty())
        context.error(problem);
    if (!last)
        return std::nullopt;
    return ScanDifference::between(*last, devices);
}
