// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/devicetableitem.h"

#include <QHeaderView>
#include <QTableWidget>

bool DeviceTableItem::operator<(const QTableWidgetItem& other) const
{
    if (const std::optional<bool> order = missingOrder(other))
        return *order;
    return QTableWidgetItem::operator<(other);
}

bool DeviceTableItem::isMissing(const QTableWidgetItem& item)
{
    return item.data(missingRole).toBool();
}

std::optional<bool> DeviceTableItem::missingOrder(const QTableWidgetItem& other) const
{
    const bool mine = isMissing(*this);
    const bool theirs = isMissing(other);
    if (mine == theirs)
        return std::nullopt;
    // A descending sort puts the greater first: there the missing row has to be the lesser one.
    const QTableWidget* table = tableWidget();
    const bool descending = table && table->horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder;
    return descending ? mine : theirs;
}
