// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "discovery/hostinterfaces.h"

#include <QHostAddress>

namespace {
bool previousSelection(const QList<interfaces_t>& previous, const QString& name)
{
    for (const interfaces_t& record : previous) {
        if (record.name == name)
            return record.selected;
    }
    return true;
}
} // namespace

namespace hostInterfaces {

QList<interfaces_t> enumerate(const QList<QNetworkInterface>& systemInterfaces, const QList<interfaces_t>& previous)
{
    QList<interfaces_t> result;
    const QHostAddress loopback(QHostAddress::LocalHost);
    for (const QNetworkInterface& systemInterface : systemInterfaces) {
        const QList<QNetworkAddressEntry> entries = systemInterface.addressEntries();
        for (const QNetworkAddressEntry& entry : entries) {
            const QHostAddress address = entry.ip();
            if (address.toIPv4Address() == 0 || address == loopback)
                continue;
            interfaces_t record;
            record.name = systemInterface.humanReadableName();
            record.ip = QHostAddress(address.toIPv4Address()).toString();
            record.mask = QHostAddress(entry.netmask().toIPv4Address()).toString();
            record.selected = previousSelection(previous, record.name);
            result.append(record);
        }
    }
    return result;
}

QList<interfaces_t> enumerate(const QList<interfaces_t>& previous)
{
    return enumerate(QNetworkInterface::allInterfaces(), previous);
}

} // namespace hostInterfaces
