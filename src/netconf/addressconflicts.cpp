// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netconf/addressconflicts.h"

#include "netconf/addresstext.h"

#include <algorithm>

namespace {
bool sameMac(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// Compared as numbers, so that "10.0.0.05" and " 10.0.0.5" are the same address; text that is no
// address is left to the value checks and conflicts with nothing.
bool sameAddress(const QString& a, const QString& b)
{
    const quint32 first = AddressText::parse(a.trimmed());
    return first != 0 && first == AddressText::parse(b.trimmed());
}

const Device_t* deviceWithMac(const QList<Device_t>& devices, const QString& mac)
{
    const auto found = std::find_if(devices.cbegin(), devices.cend(),
                                    [&mac](const Device_t& device) { return sameMac(device.mac, mac); });
    return found == devices.cend() ? nullptr : &*found;
}

// The change of this batch that moves the unit to another address, if any.
const AddressConflicts::Change* moveOf(const QList<AddressConflicts::Change>& batch, const Device_t& device)
{
    const auto found = std::find_if(batch.cbegin(), batch.cend(), [&device](const AddressConflicts::Change& change) {
        return sameMac(change.mac, device.mac) && !sameAddress(change.ip, device.ip);
    });
    return found == batch.cend() ? nullptr : &*found;
}
} // namespace

QString AddressConflicts::Conflict::text() const
{
    return tr("%1 is already used by %2").arg(address, other);
}

QString AddressConflicts::unitLabel(const Device_t& device)
{
    const QString name = QStringList{device.group, device.serialNumber}.join(QLatin1Char(' ')).trimmed();
    return name.isEmpty() ? device.mac : QStringLiteral("%1 (%2)").arg(name, device.mac);
}

QList<AddressConflicts::Conflict> AddressConflicts::find(const QList<Device_t>& devices,
                                                         const QList<interfaces_t>& hostAddresses,
                                                         const QList<Change>& batch)
{
    QList<Conflict> conflicts;
    for (const Change& change : batch) {
        const Device_t* own = deviceWithMac(devices, change.mac);
        if (own && sameAddress(own->ip, change.ip))
            continue;
        addUnitConflicts(devices, batch, change, conflicts);
        addBatchConflicts(devices, batch, change, conflicts);
        addHostConflicts(hostAddresses, change, conflicts);
    }
    return conflicts;
}

void AddressConflicts::addUnitConflicts(const QList<Device_t>& devices, const QList<Change>& batch,
                                        const Change& change, QList<Conflict>& conflicts)
{
    for (const Device_t& device : devices) {
        if (sameMac(device.mac, change.mac) || !sameAddress(device.ip, change.ip) || moveOf(batch, device))
            continue;
        conflicts.append({change.mac, change.ip.trimmed(), Kind::Unit,
                          tr("%1 at %2").arg(unitLabel(device), device.ip.trimmed()), device.mac});
    }
}

void AddressConflicts::addBatchConflicts(const QList<Device_t>& devices, const QList<Change>& batch,
                                         const Change& change, QList<Conflict>& conflicts)
{
    for (const Change& other : batch) {
        if (sameMac(other.mac, change.mac) || !sameAddress(other.ip, change.ip))
            continue;
        const Device_t* device = deviceWithMac(devices, other.mac);
        // A unit that keeps the address is named as a found unit already.
        if (device && sameAddress(device->ip, other.ip))
            continue;
        const QString label = device ? unitLabel(*device) : other.mac.trimmed();
        conflicts.append({change.mac, change.ip.trimmed(), Kind::Batch,
                          tr("%1, given the same address in this change").arg(label), other.mac.trimmed()});
    }
}

void AddressConflicts::addHostConflicts(const QList<interfaces_t>& hostAddresses, const Change& change,
                                        QList<Conflict>& conflicts)
{
    for (const interfaces_t& host : hostAddresses) {
        if (sameAddress(host.ip, change.ip))
            conflicts.append(
                {change.mac, change.ip.trimmed(), Kind::Host, tr("this computer (%1)").arg(host.name), QString()});
    }
}

QList<AddressConflicts::Conflict> AddressConflicts::ofUnit(const QList<Conflict>& conflicts, const QString& mac)
{
    QList<Conflict> result;
    std::copy_if(conflicts.cbegin(), conflicts.cend(), std::back_inserter(result),
                 [&mac](const Conflict& conflict) { return sameMac(conflict.mac, mac); });
    return result;
}

QStringList AddressConflicts::texts(const QList<Conflict>& conflicts)
{
    QStringList lines;
    for (const Conflict& conflict : conflicts)
        lines << conflict.text();
    return lines;
}
