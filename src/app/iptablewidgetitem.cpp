// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/iptablewidgetitem.h"

#include <QHostAddress>

bool IpTableWidgetItem::operator<(const QTableWidgetItem& other) const
{
    if (const std::optional<bool> order = missingOrder(other))
        return *order;
    const QHostAddress own(text());
    const QHostAddress theirs(other.text());
    if (own.isNull() || theirs.isNull())
        return text() < other.text();
    return own.toIPv4Address() < theirs.toIPv4Address();
}
