// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Consecutive addresses for a batch of new units: from a start address upwards, past every address
// that is taken (by a unit found or by this computer) and past the network and broadcast addresses of
// each unit's subnet.
class AddressNumbering
{
public:
    // `taken` holds dotted addresses; texts that are not addresses are ignored.
    explicit AddressNumbering(const QStringList& taken);

    // One address for each mask, in order; the addresses handed out are taken for the next ones too.
    // Shorter than `masks` when the address space ends first; empty when `start` is not an address.
    QStringList number(const QString& start, const QStringList& masks);

private:
    static bool isHostAddress(quint32 address, quint32 mask);

    QSet<quint32> m_taken;
};
