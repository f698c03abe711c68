// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>

// Judges the address texts a user types for a device: an IP address, a subnet mask or a gateway, each in
// full dotted form. A refusal names the text as typed, so that "10.77.5.300" is not reported as 0.0.0.0.
class AddressText
{
    Q_DECLARE_TR_FUNCTIONS(AddressText)

public:
    enum class Kind { Address, Mask, Gateway };

    AddressText() = delete;

    // The address as a number in host order; 0 for anything but a full dotted IPv4 address.
    static quint32 parse(const QString& text);
    static bool isAcceptable(Kind kind, const QString& text);
    // Empty when the text is acceptable, else why not: `the subnet mask "255.0.255.0" is not valid`.
    static QString refusal(Kind kind, const QString& text);
    // "IP address", "subnet mask" or "gateway".
    static QString name(Kind kind);
};
