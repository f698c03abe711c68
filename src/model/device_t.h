// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// One instrument as discovery found it. Everything is kept as the text that is
// shown to the user; the member order matches EnumFieldMandatory.
struct Device_t
{
    QString code;
    QString moduleId;
    QString group;
    QString description;
    QString brand;
    QString serialNumber;
    QString firmwareVersion;
    QString mac;
    QString ip;
    QString netmask;
    QString gateway;
    QString dhcp;
    QList<QMap<QString, QString>> additionalInfo;
    // When units at several addresses answered with this one's MAC: every such address, this one's first.
    // A change sent by MAC reaches them all.
    QStringList sharedMacAddresses;
};
