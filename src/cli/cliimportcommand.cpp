// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliimportcommand.h"

#include "cli/cliarguments.h"
#include "cli/clicontext.h"
#include "cli/cliexit.h"
#include "cli/clioutput.h"
#include "cli/cliscanner.h"
#include "journal/journalvalues.h"
#include "model/unitlock.h"
#include "model/unittext.h"
#include "netconf/addressconflicts.h"
#include "netconf/changedeviceconfigurations.h"
#include "netconf/networkchangejournal.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

namespace {
constexpr auto dryRunOption = "dry-run";
constexpr auto allowDuplicateOption = "allow-duplicate";
constexpr auto dhcpOnText = "1";
// Entries of a row, as the file reader hands them out.
constexpr int macEntry = 2;
constexpr int ipEntry = 3;
constexpr int maskEntry = 4;
constexpr int gatewayEntry = 5;
} // namespace

QString CliImportCommand::name() const
{
    return QStringLiteral("import");
}

QString CliImportCommand::synopsis() const
{
    return QStringLiteral("[options] FILE");
}

QString CliImportCommand::summary() const
{
    return tr("Send the settings of a network configuration file that differ from the instruments'");
}

QString CliImportCommand::description() const
{
    return tr("Reads FILE (power-supply, beamline and current-transducer rows, as the window reads it), scans, and "
              "prints for every row what it would change (\"MAC: IP old \u2192 new\"), \"unchanged\" or \"not "
              "found\". Only the rows that change something are sent, as the window's import sends them (by "
              "broadcast, DHCP off). A file with a bad row sends nothing.");
}

CliCommand::ScanOptions CliImportCommand::scanOptions() const
{
    return ScanOptions::All;
}

void CliImportCommand::addOptions(QCommandLineParser& parser)
{
    parser.addPositionalArgument(QStringLiteral("FILE"), tr("The network configuration file to read."));
    parser.addOption({QString::fromLatin1(dryRunOption), tr("Print what would change and send nothing.")});
    parser.addOption({QString::fromLatin1(allowDuplicateOption),
                      tr("Send even addresses another instrument, this computer or another row already uses.")});
}

QString CliImportCommand::takeArguments(const QCommandLineParser& parser)
{
    m_dryRun = parser.isSet(QString::fromLatin1(dryRunOption));
    m_allowDuplicate = parser.isSet(QString::fromLatin1(allowDuplicateOption));
    const QStringList positionals = parser.positionalArguments();
    const QString problem = cliArguments::checkPositionals(positionals, {QStringLiteral("FILE")});
    return problem.isEmpty() ? takeRows(positionals.first()) : problem;
}

QString CliImportCommand::takeRows(const QString& path)
{
    const QFileInfo file(path);
    if (!file.exists())
        return tr("%1 does not exist").arg(path);
    if (!file.isFile() || !file.isReadable())
        return tr("%1 is not a readable file").arg(path);
    changeNetworkConfiguration reader;
    m_rows = reader.readNewNetwConfFile(path);
    if (m_rows.isEmpty())
        return reader.lastError();
    for (int i = 0; i < m_rows.size(); ++i) {
        const QString problem = checkRow(path, i + 1, m_rows.at(i));
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

// Every row is checked before anything is sent, so a typo in one row loses no other.
QString CliImportCommand::checkRow(const QString& path, int number, const QList<QString>& row) const
{
    const QString where = tr("%1, device row %2").arg(path).arg(number);
    QString normalised;
    quint32 value = 0;
    QString problem = cliArguments::checkMac(where + tr(", MAC address"), row.at(macEntry), normalised);
    if (problem.isEmpty())
        problem = cliArguments::checkAddress(where + tr(", IP address"), row.at(ipEntry), value);
    if (problem.isEmpty())
        problem = cliArguments::checkMask(where + tr(", subnet mask"), row.at(maskEntry), value);
    if (problem.isEmpty())
        problem = cliArguments::checkAddress(where + tr(", gateway"), row.at(gatewayEntry), value);
    return problem;
}

QStringList CliImportCommand::differences(const Device_t& device, const QList<QString>& row)
{
    const struct
    {
        QString label;
        QString present;
        QString wanted;
    } fields[] = {{tr("IP"), device.ip, row.at(ipEntry)},
                  {tr("mask"), device.netmask, row.at(maskEntry)},
                  {tr("gateway"), device.gateway, row.at(gatewayEntry)}};
    QStringList changes;
    for (const auto& field : fields) {
        if (changeNetworkConfiguration::parseAddress(field.present) !=
            changeNetworkConfiguration::parseAddress(field.wanted))
            changes << field.label + QLatin1Char(' ') + CliOutput::change(field.present, field.wanted.trimmed());
    }
    // The file carries no DHCP column: a row that is sent switches DHCP off.
    if (!changes.isEmpty() && device.dhcp == QLatin1String(dhcpOnText))
        changes << tr("DHCP %1").arg(CliOutput::change(tr("on"), tr("off")));
    return changes;
}

int CliImportCommand::run(CliContext& context)
{
    const QList<Device_t> devices = context.scanner().scan();
    QList<QList<QString>> changing;
    QList<Device_t> changingDevices;
    int found = 0;
    for (const QList<QString>& row : qAsConst(m_rows)) {
        const QString& mac = row.at(macEntry);
        const int index = CliScanner::indexOfMac(devices, mac);
        if (index < 0) {
            context.out() << tr("%1: not found, not sent").arg(mac) << '\n';
            continue;
        }
        ++found;
        const QStringList changes = differences(devices.at(index), row);
        context.out() << mac << ": " << (changes.isEmpty() ? tr("unchanged") : changes.join(QStringLiteral(", ")))
                      << '\n';
        if (!changes.isEmpty()) {
            changing.append(row);
            changingDevices.append(devices.at(index));
        }
    }
    if (found == 0) {
        context.error(tr("no instrument of the file answered; nothing was sent"));
        return cliExit::nothingFound;
    }
    // Checked on a dry run too: it tells what the real run would refuse.
    if (!m_allowDuplicate && refusedAsDuplicate(context, devices, changing))
        return cliExit::badUsage;
    if (m_dryRun) {
        context.out() << tr("Dry run: %n row(s) would be sent; nothing was sent.", nullptr, changing.size()) << '\n';
        return cliExit::success;
    }
    return send(context, changing, changingDevices);
}

bool CliImportCommand::refusedAsDuplicate(CliContext& context, const QList<Device_t>& devices,
                                          const QList<QList<QString>>& rows)
{
    QList<AddressConflicts::Change> batch;
    for (const QList<QString>& row : rows)
        batch.append({row.at(macEntry), row.at(ipEntry)});
    const QList<AddressConflicts::Conflict> conflicts =
        AddressConflicts::find(devices, context.scanner().interfaces(), batch);
    if (conflicts.isEmpty())
        return false;
    for (const AddressConflicts::Conflict& conflict : conflicts)
        context.error(tr("%1: %2").arg(conflict.mac.trimmed(), conflict.text()));
    context.error(
        tr("%n address conflict(s); nothing was sent (--allow-duplicate sends it anyway)", nullptr, conflicts.size()));
    return true;
}

int CliImportCommand::send(CliContext& context, const QList<QList<QString>>& rows, const QList<Device_t>& devices) const
{
    if (rows.isEmpty()) {
        context.out() << tr("Nothing to send.") << '\n';
        return cliExit::success;
    }
    UnitLock::Held claims;
    const QString refusal = UnitLock::claimAll(devices, UnitLock::Purpose::Configuration, claims);
    if (!refusal.isEmpty()) {
        context.error(refusal + tr("; nothing was sent"));
        return cliExit::badUsage;
    }
    NetworkChangeJournal journal;
    const QStringList ids = beginJournal(journal, rows, devices);
    reportJournal(context, journal);
    changeNetworkConfiguration sender;
    const bool sent = sender.uploadNetwConf(context.scanner().interfaces(), rows);
    // The rows were checked before: a refusal names its row, and the journal keeps it for every row.
    for (const QString& id : ids) {
        if (sent)
            journal.sentUnchecked(id, tr("not checked by a rescan"));
        else
            journal.failed(id, sender.lastError());
    }
    reportJournal(context, journal);
    if (!sent) {
        context.error(sender.lastError());
        return cliExit::failed;
    }
    context.out() << tr("Sent %n row(s).", nullptr, rows.size()) << '\n';
    return cliExit::success;
}

// A file row carries no DHCP column: what it sends switches DHCP off.
QStringList CliImportCommand::beginJournal(NetworkChangeJournal& journal, const QList<QList<QString>>& rows,
                                           const QList<Device_t>& devices)
{
    QStringList ids;
    for (int i = 0; i < rows.size(); ++i) {
        const QList<QString>& row = rows.at(i);
        ids << journal.begin(devices.at(i),
                             JournalValues::network(row.at(ipEntry).trimmed(), row.at(maskEntry).trimmed(),
                                                    row.at(gatewayEntry).trimmed(), QLatin1String(UnitText::dhcpOff)));
    }
    return ids;
}

// The rows are sent whether or not the journal takes them; the user hears of what it missed.
void CliImportCommand::reportJournal(CliContext& context, NetworkChangeJournal& journal)
{
    for (const QString& warning : journal.takeWarnings())
        context.error(tr("warning: %1").arg(warning));
}
