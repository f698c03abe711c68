// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/clisetcommand.h"

#include "cli/cliarguments.h"
#include "cli/clicontext.h"
#include "cli/cliexit.h"
#include "cli/clioutput.h"
#include "cli/cliscanner.h"
#include "discovery/addresshealth.h"
#include "journal/journalvalues.h"
#include "model/device.h"
#include "model/unitlock.h"
#include "model/wellknownports.h"
#include "netconf/addressconflicts.h"
#include "netconf/changedeviceconfigurations.h"
#include "netconf/networkchangejournal.h"
#include "netconf/sentsettingscheck.h"

#include <QCommandLineParser>
#include <QHostAddress>
#include <QTextStream>

namespace {
constexpr auto ipOption = "ip";
constexpr auto maskOption = "mask";
constexpr auto gatewayOption = "gateway";
constexpr auto dhcpOption = "dhcp";
constexpr auto noVerifyOption = "no-verify";
constexpr auto allowDuplicateOption = "allow-duplicate";
constexpr auto dhcpOnText = "1";
constexpr auto dravoRebootNotice = "IP changed! reboot device to apply.";

QString option(const char* name)
{
    return QString::fromLatin1(name);
}

QString dotted(quint32 value)
{
    return QHostAddress(value).toString();
}

// "IP 10.0.0.1 → 10.0.0.2" where the value changes, "IP 10.0.0.1" where it stays.
QString shown(const QString& label, const QString& present, quint32 value)
{
    const bool same = changeNetworkConfiguration::parseAddress(present) == value;
    return label + QLatin1Char(' ') + (same ? dotted(value) : CliOutput::change(present, dotted(value)));
}

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}
} // namespace

QString CliSetCommand::name() const
{
    return QStringLiteral("set");
}

QString CliSetCommand::synopsis() const
{
    return QStringLiteral("[options] MAC");
}

QString CliSetCommand::summary() const
{
    return tr("Give one instrument new network settings, then check that it answers from them");
}

QString CliSetCommand::description() const
{
    return tr("Scans for the instrument with the MAC address MAC, sends it the new settings as the window's "
              "configuration page does (motor drivers and Dravo test tools keep the mask 255.255.255.0 and the gateway "
              "192.168.0.1), then rescans until it answers from its new address. A mask or gateway not given stays "
              "as the instrument has it; DHCP can be switched on power supplies only.");
}

CliCommand::ScanOptions CliSetCommand::scanOptions() const
{
    return ScanOptions::All;
}

void CliSetCommand::addOptions(QCommandLineParser& parser)
{
    parser.addPositionalArgument(QStringLiteral("MAC"),
                                 tr("The MAC address of the instrument, e.g. 00:1A:2B:3C:4D:5E."));
    parser.addOption({option(ipOption), tr("The new IP address (needed unless --dhcp is given)."), tr("ADDRESS")});
    parser.addOption({option(maskOption), tr("The new subnet mask; default: the present one."), tr("MASK")});
    parser.addOption({option(gatewayOption), tr("The new gateway; default: the present one."), tr("ADDRESS")});
    parser.addOption({option(dhcpOption), tr("Switch DHCP on or off (power supplies); default: as it is."),
                      QStringLiteral("on|off")});
    parser.addOption({option(noVerifyOption), tr("Do not rescan to check that the instrument moved.")});
    parser.addOption({option(allowDuplicateOption),
                      tr("Send even an address another instrument or this computer already uses, or to a MAC several "
                         "units answer with.")});
}

QString CliSetCommand::takeArguments(const QCommandLineParser& parser)
{
    const QStringList positionals = parser.positionalArguments();
    QString problem = cliArguments::checkPositionals(positionals, {QStringLiteral("MAC")});
    if (problem.isEmpty())
        problem = cliArguments::checkMac(QStringLiteral("MAC"), positionals.first(), m_mac);
    if (problem.isEmpty())
        problem = takeAddresses(parser);
    m_dhcpGiven = parser.isSet(option(dhcpOption));
    if (problem.isEmpty() && m_dhcpGiven)
        problem = cliArguments::checkOnOff(QStringLiteral("--dhcp"), parser.value(option(dhcpOption)), m_dhcpOn);
    if (problem.isEmpty() && !m_ip.given && !m_dhcpGiven)
        problem = tr("--ip is missing (or give --dhcp on|off)");
    m_verify = !parser.isSet(option(noVerifyOption));
    m_allowDuplicate = parser.isSet(option(allowDuplicateOption));
    return problem;
}

QString CliSetCommand::takeAddresses(const QCommandLineParser& parser)
{
    const struct
    {
        const char* name;
        Typed& typed;
        bool isMask;
    } options[] = {{ipOption, m_ip, false}, {maskOption, m_mask, true}, {gatewayOption, m_gateway, false}};
    for (const auto& entry : options) {
        entry.typed.given = parser.isSet(option(entry.name));
        if (!entry.typed.given)
            continue;
        const QString what = QStringLiteral("--") + option(entry.name);
        const QString text = parser.value(option(entry.name));
        const QString problem = entry.isMask ? cliArguments::checkMask(what, text, entry.typed.value)
                                             : cliArguments::checkAddress(what, text, entry.typed.value);
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

int CliSetCommand::run(CliContext& context)
{
    const QList<Device_t> devices = context.scanner().scan();
    const int index = CliScanner::indexOfMac(devices, m_mac);
    if (index < 0) {
        context.error(tr("no instrument with the MAC address %1 answered; nothing was sent").arg(m_mac));
        return cliExit::nothingFound;
    }
    const Device_t device = devices.at(index);
    NetworkSettings settings;
    const QString problem = settingsFor(device, settings, context);
    if (!problem.isEmpty()) {
        context.error(problem + tr("; nothing was sent"));
        return cliExit::badUsage;
    }
    if (!m_allowDuplicate && refusedAsDuplicate(context, devices, device, settings))
        return cliExit::badUsage;
    // Sent by MAC, the change would reach every unit behind it.
    if (!m_allowDuplicate && device.sharedMacAddresses.size() > 1) {
        context.error(
            tr("%1; nothing was sent (--allow-duplicate sends it anyway)").arg(AddressHealth::sharedMacText(device)));
        return cliExit::badUsage;
    }
    // Held until the rescan has seen the unit: no other Kestrion process may send to it meanwhile.
    const UnitLock claim(device.mac, UnitLock::Purpose::Configuration);
    if (!claim.isHeld()) {
        context.error(claim.refusal() + tr("; nothing was sent"));
        return cliExit::badUsage;
    }
    NetworkChangeJournal journal;
    const QString id = journal.begin(device, journalValues(settings));
    reportJournal(context, journal);
    const int code = sendAndCheck(context, device, settings, journal, id);
    reportJournal(context, journal);
    return code;
}

int CliSetCommand::sendAndCheck(CliContext& context, const Device_t& device, const NetworkSettings& settings,
                                NetworkChangeJournal& journal, const QString& id) const
{
    QString refusal;
    if (!send(context, device, settings, refusal)) {
        journal.failed(id, refusal);
        return cliExit::failed;
    }
    // A Dravo test tool takes its new address only when it restarts: no rescan can see it yet.
    if (device::isDravoTester(device.code)) {
        context.out() << tr(dravoRebootNotice) << '\n';
        journal.sentUnchecked(id, tr("the unit takes the new address when it restarts"));
        return cliExit::success;
    }
    if (!m_verify) {
        journal.sentUnchecked(id, tr("not checked by a rescan"));
        return cliExit::success;
    }
    return verify(context, settings, journal, id);
}

QJsonObject CliSetCommand::journalValues(const NetworkSettings& settings)
{
    return JournalValues::network(dotted(settings.ip), dotted(settings.mask), dotted(settings.gateway),
                                  onOff(settings.dhcp));
}

// The change is sent whether or not the journal takes it; the user hears of what it missed.
void CliSetCommand::reportJournal(CliContext& context, NetworkChangeJournal& journal)
{
    for (const QString& warning : journal.takeWarnings())
        context.error(tr("warning: %1").arg(warning));
}

bool CliSetCommand::refusedAsDuplicate(CliContext& context, const QList<Device_t>& devices, const Device_t& device,
                                       const NetworkSettings& settings) const
{
    const QList<AddressConflicts::Conflict> conflicts =
        AddressConflicts::find(devices, context.scanner().interfaces(), {{device.mac, dotted(settings.ip)}});
    if (conflicts.isEmpty())
        return false;
    context.error(tr("%1; nothing was sent (--allow-duplicate sends it anyway)")
                      .arg(AddressConflicts::texts(conflicts).join(QStringLiteral("; "))));
    return true;
}

QString CliSetCommand::settingsFor(const Device_t& device, NetworkSettings& settings, CliContext& context) const
{
    if (device::isPsRecovery(device.code) || device::isBlRecovery(device.code))
        return tr("%1 is in recovery mode: its network settings cannot be changed").arg(m_mac);
    const bool fixedNetwork = device::isKolvex(device.code) || device::isDravoTester(device.code);
    const bool dhcpSwitchable = !fixedNetwork && device::isPowerSupply(device.code);
    if (m_dhcpGiven && m_dhcpOn && !dhcpSwitchable)
        return tr("%1 cannot use DHCP: only power supplies can").arg(m_mac);
    settings.dhcp = m_dhcpGiven ? m_dhcpOn : dhcpSwitchable && device.dhcp == QLatin1String(dhcpOnText);
    const bool addressesGiven = m_ip.given || m_mask.given || m_gateway.given;
    if (settings.dhcp && addressesGiven) {
        return m_dhcpGiven ? tr("--ip, --mask and --gateway do not go with --dhcp on")
                           : tr("%1 uses DHCP: add --dhcp off to give it fixed addresses").arg(m_mac);
    }
    QString problem = takeAddress(m_ip, device.ip, option(ipOption), settings.ip);
    if (problem.isEmpty() && fixedNetwork) {
        applyFixedNetwork(settings, context);
        return {};
    }
    if (problem.isEmpty())
        problem = takeAddress(m_mask, device.netmask, option(maskOption), settings.mask);
    if (problem.isEmpty())
        problem = takeAddress(m_gateway, device.gateway, option(gatewayOption), settings.gateway);
    return problem;
}

// Whatever was typed, as the configuration page sends it for these units.
void CliSetCommand::applyFixedNetwork(NetworkSettings& settings, CliContext& context) const
{
    const QString mask = QString::fromLatin1(kolvexNetwork::fixedMask);
    const QString gateway = QString::fromLatin1(kolvexNetwork::fixedGateway);
    settings.mask = changeNetworkConfiguration::parseAddress(mask);
    settings.gateway = changeNetworkConfiguration::parseAddress(gateway);
    if ((m_mask.given && m_mask.value != settings.mask) || (m_gateway.given && m_gateway.value != settings.gateway))
        context.error(tr("note: %1 keeps its fixed mask %2 and gateway %3").arg(m_mac, mask, gateway));
}

QString CliSetCommand::takeAddress(const Typed& typed, const QString& present, const QString& option,
                                   quint32& value) const
{
    if (typed.given) {
        value = typed.value;
        return {};
    }
    value = changeNetworkConfiguration::parseAddress(present);
    if (value == 0)
        return tr("the present %1 of %2, \"%3\", is not an address: give --%1").arg(option, m_mac, present);
    return {};
}

bool CliSetCommand::send(CliContext& context, const Device_t& device, const NetworkSettings& settings,
                         QString& refusal) const
{
    changeNetworkConfiguration sender;
    const bool sent =
        sender.sendNewConfig(context.scanner().interfaces(), device.mac, port::command, settings.ip, settings.mask,
                             settings.gateway, settings.dhcp ? 1 : 0, QHostAddress(device.ip));
    if (!sent) {
        refusal = sender.lastError();
        context.error(tr("nothing was sent: %1").arg(refusal));
        return false;
    }
    context.out() << tr("%1: sent %2, %3, %4, DHCP %5")
                         .arg(m_mac, shown(tr("IP"), device.ip, settings.ip),
                              shown(tr("mask"), device.netmask, settings.mask),
                              shown(tr("gateway"), device.gateway, settings.gateway), onOff(settings.dhcp))
                  << '\n';
    context.out().flush();
    return true;
}

// Rescans until the unit shows every field that was sent; the journal keeps the fields it never showed.
int CliSetCommand::verify(CliContext& context, const NetworkSettings& settings, NetworkChangeJournal& journal,
                          const QString& id) const
{
    const QJsonObject sent = journalValues(settings);
    Device_t seen;
    bool found = false;
    for (int scan = 0; scan < verifyScans; ++scan) {
        const QList<Device_t> devices = context.scanner().scan();
        const int index = CliScanner::indexOfMac(devices, m_mac);
        if (index < 0)
            continue;
        found = true;
        seen = devices.at(index);
        if (SentSettingsCheck::differences(sent, &seen).isEmpty())
            break;
    }
    const QStringList differences = journal.completeAfterRescan(id, sent, found ? &seen : nullptr);
    if (differences.isEmpty()) {
        context.out() << tr("%1: answers from %2, DHCP %3").arg(m_mac, seen.ip, onOff(settings.dhcp)) << '\n';
        return cliExit::success;
    }
    const QString expected = settings.dhcp ? tr("with DHCP on") : tr("from %1").arg(dotted(settings.ip));
    if (!found)
        context.error(tr("%1 does not answer any more; it should answer %2").arg(m_mac, expected));
    else
        context.error(tr("%1: not confirmed: the rescan shows %2").arg(m_mac, differences.join(QStringLiteral("; "))));
    return cliExit::failed;
}
