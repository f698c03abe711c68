// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "discovery/addresshealth.h"

#include "netconf/addresstext.h"

#include <QHash>
#include <QHostAddress>
#include <QStringList>

namespace {
constexpr quint32 allOnes = 0xFFFFFFFFu;

QString dotted(quint32 ip)
{
    return QHostAddress(ip).toString();
}

int prefixLength(quint32 mask)
{
    int length = 0;
    for (quint32 bit = 0x80000000u; bit != 0 && (mask & bit); bit >>= 1)
        ++length;
    return length;
}

// The number of leading bits two addresses share.
int commonPrefix(quint32 a, quint32 b)
{
    return prefixLength(~(a ^ b));
}
} // namespace

AddressHealth::AddressHealth(const QList<Device_t>& devices, const QList<interfaces_t>& interfaces) : m_devices(devices)
{
    for (const interfaces_t& entry : interfaces) {
        const quint32 address = AddressText::parse(entry.ip);
        const quint32 mask = AddressText::parse(entry.mask);
        if (address == 0)
            continue;
        m_hostAddresses << address;
        if (entry.selected && mask != 0)
            m_subnets << Subnet{entry.name, address, mask};
    }
}

bool AddressHealth::known(int deviceIndex) const
{
    return deviceIndex >= 0 && deviceIndex < m_devices.size();
}

quint32 AddressHealth::deviceAddress(int deviceIndex) const
{
    return known(deviceIndex) ? AddressText::parse(m_devices.at(deviceIndex).ip) : 0;
}

bool AddressHealth::isOutsideSubnets(int deviceIndex) const
{
    const quint32 ip = deviceAddress(deviceIndex);
    if (ip == 0 || m_subnets.isEmpty())
        return false;
    for (const Subnet& subnet : m_subnets) {
        if (subnet.contains(ip))
            return false;
    }
    return true;
}

QList<int> AddressHealth::sharingAddressWith(int deviceIndex) const
{
    QList<int> others;
    const quint32 ip = deviceAddress(deviceIndex);
    if (ip == 0)
        return others;
    for (int other = 0; other < m_devices.size(); ++other) {
        if (other != deviceIndex && deviceAddress(other) == ip)
            others << other;
    }
    return others;
}

bool AddressHealth::hasProblem(int deviceIndex) const
{
    return isOutsideSubnets(deviceIndex) || !sharingAddressWith(deviceIndex).isEmpty();
}

QString AddressHealth::description(int deviceIndex) const
{
    QStringList problems;
    if (isOutsideSubnets(deviceIndex)) {
        QStringList subnets;
        for (const Subnet& subnet : m_subnets)
            subnets
                << QStringLiteral("%1 %2/%3").arg(subnet.name, dotted(subnet.network())).arg(prefixLength(subnet.mask));
        problems << tr("%1 lies outside the subnets of the selected interfaces (%2): it is reached by broadcast "
                       "only.")
                        .arg(m_devices.at(deviceIndex).ip, subnets.join(QStringLiteral(", ")));
    }
    const QList<int> others = sharingAddressWith(deviceIndex);
    if (!others.isEmpty()) {
        QStringList macs;
        for (int other : others)
            macs << m_devices.at(other).mac;
        problems << tr("%1 is also the address of %2: neither can be reached at it for sure.")
                        .arg(m_devices.at(deviceIndex).ip, macs.join(QStringLiteral(", ")));
    }
    if (sharesMac(deviceIndex))
        problems << sharedMacText(m_devices.at(deviceIndex));
    return problems.join(QLatin1Char(' '));
}

bool AddressHealth::sharesMac(int deviceIndex) const
{
    return deviceIndex >= 0 && deviceIndex < m_devices.size() &&
           m_devices.at(deviceIndex).sharedMacAddresses.size() > 1;
}

QString AddressHealth::sharedMacText(const Device_t& device)
{
    return tr("%1 units answer with this MAC: %2")
        .arg(device.sharedMacAddresses.size())
        .arg(device.sharedMacAddresses.join(QStringLiteral(", ")));
}

QString AddressHealth::summary(int deviceIndex) const
{
    QStringList parts;
    if (isOutsideSubnets(deviceIndex))
        parts << tr("Outside the selected subnets");
    QStringList macs;
    for (int other : sharingAddressWith(deviceIndex))
        macs << m_devices.at(other).mac;
    if (!macs.isEmpty())
        parts << tr("Address shared with %1").arg(macs.join(QStringLiteral(", ")));
    if (sharesMac(deviceIndex))
        parts << sharedMacText(m_devices.at(deviceIndex));
    return parts.join(QStringLiteral("; "));
}

const AddressHealth::Subnet* AddressHealth::nearestSubnet(quint32 ip) const
{
    const Subnet* nearest = nullptr;
    for (const Subnet& subnet : m_subnets) {
        if (!nearest || commonPrefix(ip, subnet.address) > commonPrefix(ip, nearest->address))
            nearest = &subnet;
    }
    return nearest;
}

bool AddressHealth::isTaken(quint32 ip) const
{
    if (m_hostAddresses.contains(ip))
        return true;
    // A device's gateway is a router's address, even when no device answers there.
    for (const Device_t& device : m_devices) {
        if (AddressText::parse(device.ip) == ip || AddressText::parse(device.gateway) == ip)
            return true;
    }
    return false;
}

quint32 AddressHealth::gatewayFor(const Subnet& subnet, int deviceIndex) const
{
    QHash<quint32, int> uses;
    quint32 best = 0;
    for (int index = 0; index < m_devices.size(); ++index) {
        const quint32 gateway = AddressText::parse(m_devices.at(index).gateway);
        if (index == deviceIndex || !subnet.contains(deviceAddress(index)) || !subnet.contains(gateway) ||
            gateway == subnet.network() || gateway == (subnet.network() | ~subnet.mask))
            continue;
        // The first seen wins a tie.
        if (++uses[gateway] > uses.value(best))
            best = gateway;
    }
    if (best != 0)
        return best;
    const quint32 firstHost = subnet.network() + 1;
    if (subnet.contains(firstHost) && firstHost != (subnet.network() | ~subnet.mask))
        return firstHost;
    return AddressText::parse(m_devices.at(deviceIndex).gateway);
}

std::optional<AddressHealth::Move> AddressHealth::proposedMove(int deviceIndex) const
{
    if (!isOutsideSubnets(deviceIndex))
        return std::nullopt;
    const Subnet* subnet = nearestSubnet(deviceAddress(deviceIndex));
    const quint32 broadcast = subnet->network() | ~subnet->mask;
    // Subnets of one or two addresses have no host address to give.
    if (subnet->mask == allOnes || broadcast - subnet->network() < 2)
        return std::nullopt;
    const quint32 gateway = gatewayFor(*subnet, deviceIndex);
    for (quint32 ip = subnet->network() + 1; ip < broadcast; ++ip) {
        if (ip != gateway && !isTaken(ip))
            return Move{subnet->name, dotted(ip), dotted(subnet->mask), gateway != 0 ? dotted(gateway) : QString()};
    }
    return std::nullopt;
}
