// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QList>
#include <QString>

// A device record whose fields all derive from its catalog code, so that a test can tell the
// devices of a table apart by any column: module "ID-<code>", group "Group <code>", serial
// "SN<code>", firmware "1.<code>" and MAC 02:00:00:00:<first two>:<last two digits of the code>.
inline Device_t makeDevice(const QString& code, const QString& ip, const QString& dhcp = QString(),
                           const QString& brand = QString())
{
    Device_t device;
    device.code = code;
    device.moduleId = QStringLiteral("ID-") + code;
    device.group = QStringLiteral("Group ") + code;
    device.description = QStringLiteral("Description ") + code;
    device.brand = brand;
    device.serialNumber = QStringLiteral("SN") + code;
    device.firmwareVersion = QStringLiteral("1.") + code;
    device.mac = QStringLiteral("02:00:00:00:%1:%2").arg(code.left(2), code.right(2));
    device.ip = ip;
    device.netmask = QStringLiteral("255.255.255.0");
    device.gateway = QStringLiteral("10.0.0.1");
    device.dhcp = dhcp;
    return device;
}

// One of every family, deliberately listed out of address order: a power supply on DHCP with two
// extra fields, a beamline instrument, a current transducer, a motor driver, a MicroTCA board, a test
// tool, a Vesk supply, a supply in recovery mode and a brand-variant supply whose address is no address.
inline QList<Device_t> sampleDevices()
{
    Device_t supply = makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.10"), QStringLiteral("1"));
    supply.additionalInfo = {{{QStringLiteral("Temperature"), QStringLiteral("31")}},
                             {{QStringLiteral("Uptime"), QStringLiteral("5 d")}}};
    return {supply,
            makeDevice(QStringLiteral("2100"), QStringLiteral("10.0.0.2")),
            makeDevice(QStringLiteral("3100"), QStringLiteral("10.0.0.30")),
            makeDevice(QStringLiteral("4200"), QStringLiteral("10.0.0.4")),
            makeDevice(QStringLiteral("5100"), QStringLiteral("10.0.0.5")),
            makeDevice(QStringLiteral("6100"), QStringLiteral("10.0.0.6")),
            makeDevice(QStringLiteral("1600"), QStringLiteral("10.0.0.7"), QStringLiteral("0")),
            makeDevice(QStringLiteral("1F80"), QStringLiteral("192.168.0.10")),
            makeDevice(QStringLiteral("1900"), QStringLiteral("not-an-address"), QString(), QStringLiteral("VALDIS"))};
}

// The index of the first sample device with this code, -1 without one.
inline int indexOfCode(const QString& code)
{
    const QList<Device_t> devices = sampleDevices();
    for (int i = 0; i < devices.size(); ++i) {
        if (devices.at(i).code == code)
            return i;
    }
    return -1;
}
