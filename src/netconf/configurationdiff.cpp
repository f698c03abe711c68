// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netconf/configurationdiff.h"

#include "netconf/addressconflicts.h"
#include "netconf/addresstext.h"

#include <algorithm>

namespace {
constexpr auto dhcpOn = "1";
constexpr auto arrow = " \u2192 ";

int deviceWithMac(const QList<Device_t>& devices, const QString& mac)
{
    for (int i = 0; i < devices.size(); ++i) {
        if (devices.at(i).mac.compare(mac.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QStringList trimmed(const QStringList& texts)
{
    QStringList result;
    for (const QString& text : texts)
        result << text.trimmed();
    return result;
}
} // namespace

ConfigurationDiff::ConfigurationDiff(const QList<Device_t>& devices, const QList<QList<QString>>& rows)
{
    for (int i = 0; i < rows.size(); ++i)
        takeRow(devices, rows.at(i), i + 1);
}

void ConfigurationDiff::takeRow(const QList<Device_t>& devices, const QList<QString>& row, int number)
{
    if (row.size() < rowEntries) {
        m_malformed << tr("row %1 has %2 of %3 entries").arg(number).arg(row.size()).arg(rowEntries);
        return;
    }
    const QString mac = row.at(macEntry).trimmed();
    if (m_seenMacs.contains(mac, Qt::CaseInsensitive)) {
        m_malformed << tr("row %1 gives the MAC address %2 a second time").arg(number).arg(mac);
        return;
    }
    m_seenMacs << mac;
    const int index = deviceWithMac(devices, mac);
    if (index < 0) {
        m_unmatched << row;
        return;
    }
    const Device_t& device = devices.at(index);
    Change change;
    change.device = deviceLabel(device);
    change.mac = device.mac;
    change.before = QStringList{device.ip, device.netmask, device.gateway};
    change.after = trimmed({row.at(ipEntry), row.at(maskEntry), row.at(gatewayEntry)});
    if (trimmed(change.before) == change.after) {
        ++m_unchanged;
        return;
    }
    change.dhcpOn = device.dhcp == QLatin1String(dhcpOn);
    const QList<AddressText::Kind> kinds = {AddressText::Kind::Address, AddressText::Kind::Mask,
                                            AddressText::Kind::Gateway};
    for (int i = 0; i < kinds.size(); ++i) {
        const QString refusal = AddressText::refusal(kinds.at(i), change.after.at(i));
        if (!refusal.isEmpty())
            change.problems << refusal;
    }
    m_changes << change;
}

QStringList ConfigurationDiff::problems() const
{
    QStringList lines = m_malformed;
    for (const Change& change : m_changes) {
        if (!change.problems.isEmpty())
            lines << QStringLiteral("%1: %2").arg(change.device, change.problems.join(QStringLiteral(", ")));
    }
    return lines;
}

void ConfigurationDiff::flagConflicts(const QList<Device_t>& devices, const QList<interfaces_t>& hostAddresses)
{
    QList<AddressConflicts::Change> batch;
    for (const Change& change : qAsConst(m_changes))
        batch.append({change.mac, change.after.at(0)});
    const QList<AddressConflicts::Conflict> conflicts = AddressConflicts::find(devices, hostAddresses, batch);
    for (Change& change : m_changes) {
        change.conflicts.clear();
        for (const AddressConflicts::Conflict& conflict : AddressConflicts::ofUnit(conflicts, change.mac))
            change.conflicts << conflict.other;
    }
}

bool ConfigurationDiff::hasConflicts() const
{
    return std::any_of(m_changes.cbegin(), m_changes.cend(),
                       [](const Change& change) { return !change.conflicts.isEmpty(); });
}

QString ConfigurationDiff::conflictText() const
{
    QStringList lines;
    lines << tr("Address conflicts: these addresses would answer for more than one machine.");
    for (const Change& change : m_changes) {
        if (!change.conflicts.isEmpty())
            lines << tr("  %1 for %2 is also used by %3")
                         .arg(change.after.at(0), change.device, change.conflicts.join(QStringLiteral(", ")));
    }
    return lines.join(QLatin1Char('\n'));
}

QString ConfigurationDiff::deviceLabel(const Device_t& device)
{
    return AddressConflicts::unitLabel(device);
}

QString ConfigurationDiff::describeChange(const QStringList& before, const QStringList& after)
{
    const QString separator = QString::fromUtf8(arrow);
    QStringList parts;
    const QStringList names = {QString(), tr("mask "), tr("gateway ")};
    for (int i = 0; i < names.size() && i < before.size() && i < after.size(); ++i) {
        // The address is always named; mask and gateway only when they change.
        if (i == 0 || before.at(i).trimmed() != after.at(i).trimmed())
            parts << names.at(i) + before.at(i) + separator + after.at(i);
    }
    return parts.join(QStringLiteral(", "));
}

QString ConfigurationDiff::unmatchedText() const
{
    if (m_unmatched.isEmpty())
        return QString();
    QStringList lines;
    lines << tr("Not found by the last scan, so not sent (%n row(s)):", nullptr, m_unmatched.size());
    for (const QList<QString>& row : m_unmatched)
        lines << QStringLiteral("  %1 (%2)").arg(row.at(macEntry).trimmed(), row.at(ipEntry).trimmed());
    return lines.join(QLatin1Char('\n'));
}

QString ConfigurationDiff::confirmationText() const
{
    QStringList lines;
    lines << tr("Send new network settings to %n device(s)?", nullptr, m_changes.size()) << QString();
    for (const Change& change : m_changes) {
        QString line = QStringLiteral("%1: %2").arg(change.device, describeChange(change.before, change.after));
        if (change.dhcpOn)
            line += tr("; DHCP will be turned off");
        if (!change.conflicts.isEmpty())
            line += tr("  [CONFLICT]");
        lines << line;
    }
    if (hasConflicts())
        lines << QString() << conflictText();
    if (!m_unmatched.isEmpty())
        lines << QString() << unmatchedText();
    if (m_unchanged > 0)
        lines << QString() << tr("%n device(s) keep their settings and are sent nothing.", nullptr, m_unchanged);
    return lines.join(QLatin1Char('\n'));
}

QString ConfigurationDiff::nothingToSendText() const
{
    QStringList lines;
    lines << tr("No device's settings would change, so nothing was sent.");
    if (!m_unmatched.isEmpty())
        lines << QString() << unmatchedText();
    return lines.join(QLatin1Char('\n'));
}

QString ConfigurationDiff::sentSummary() const
{
    QStringList parts;
    for (const Change& change : m_changes)
        parts << QStringLiteral("%1 %2").arg(change.device, describeChange(change.before, change.after));
    return tr("New settings sent to %n device(s): %1", nullptr, m_changes.size()).arg(parts.join(QStringLiteral("; ")));
}
