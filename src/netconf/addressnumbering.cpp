// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netconf/addressnumbering.h"

#include "netconf/addresstext.h"

#include <QHostAddress>

namespace {
constexpr quint32 lastAddress = 0xFFFFFFFFu;
}

AddressNumbering::AddressNumbering(const QStringList& taken)
{
    for (const QString& text : taken) {
        const quint32 address = AddressText::parse(text.trimmed());
        if (address != 0)
            m_taken.insert(address);
    }
}

bool AddressNumbering::isHostAddress(quint32 address, quint32 mask)
{
    // A mask that is not one leaves only the two addresses that are never a host's.
    if (!AddressText::isAcceptable(AddressText::Kind::Mask, QHostAddress(mask).toString()))
        return address != 0 && address != lastAddress;
    const quint32 host = address & ~mask;
    return host != 0 && host != ~mask;
}

QStringList AddressNumbering::number(const QString& start, const QStringList& masks)
{
    QStringList addresses;
    quint32 next = AddressText::parse(start.trimmed());
    if (next == 0)
        return addresses;
    for (const QString& maskText : masks) {
        const quint32 mask = AddressText::parse(maskText.trimmed());
        while (next < lastAddress && (m_taken.contains(next) || !isHostAddress(next, mask)))
            ++next;
        if (next == lastAddress)
            break;
        addresses << QHostAddress(next).toString();
        m_taken.insert(next);
    }
    return addresses;
}
