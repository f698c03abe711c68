// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"
#include "model/interfaces_t.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <optional>

// How the addresses of the devices found stand against the host's selected interfaces and against
// each other: a device outside the subnet of every selected interface is reached by broadcast only,
// and two devices that answer with one address cannot both be reached at it. For a device outside,
// it proposes a move into the subnet of the interface whose address is nearest to the device's.
class AddressHealth
{
    Q_DECLARE_TR_FUNCTIONS(AddressHealth)

public:
    // New settings that bring a device into an interface's subnet.
    struct Move
    {
        QString interfaceName;
        QString ip;
        QString mask;
        QString gateway;
    };

    AddressHealth() = default;
    AddressHealth(const QList<Device_t>& devices, const QList<interfaces_t>& interfaces);

    // Judged only against selected interfaces; with none selected no device is outside.
    bool isOutsideSubnets(int deviceIndex) const;
    // The other devices that answer with this device's address.
    QList<int> sharingAddressWith(int deviceIndex) const;
    bool hasProblem(int deviceIndex) const;
    // What is wrong, for a tool tip and the configuration page; empty when nothing is.
    QString description(int deviceIndex) const;
    // The same in a few words, for a table cell: "Outside the selected subnets; shared with 02:...".
    QString summary(int deviceIndex) const;
    // "2 units answer with this MAC: 10.99.0.11, 10.99.0.15", for a unit whose MAC several answered with.
    static QString sharedMacText(const Device_t& device);
    bool sharesMac(int deviceIndex) const;
    // For a device outside every subnet: the first host address of the nearest interface's subnet that no
    // device found uses (as address or gateway) and that is not the host's own, with that interface's mask
    // and a gateway: the one most devices in that subnet use, else the subnet's first host address, else
    // the device's own.
    std::optional<Move> proposedMove(int deviceIndex) const;

private:
    struct Subnet
    {
        QString name;
        quint32 address = 0;
        quint32 mask = 0;
        quint32 network() const { return address & mask; }
        bool contains(quint32 ip) const { return (ip & mask) == network(); }
    };

    bool known(int deviceIndex) const;
    quint32 deviceAddress(int deviceIndex) const;
    const Subnet* nearestSubnet(quint32 ip) const;
    quint32 gatewayFor(const Subnet& subnet, int deviceIndex) const;
    bool isTaken(quint32 ip) const;

    QList<Device_t> m_devices;
    QList<Subnet> m_subnets;
    QList<quint32> m_hostAddresses;
};
