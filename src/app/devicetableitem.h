// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableWidgetItem>

#include <optional>

// An item of the device table. The rows of units that did not answer the last scan stay at the end
// whichever column sorts the table and in which order; among themselves, and among the units found,
// the column's own order holds. The order is read from the header's sort indicator, which every sort
// of the table sets (a click, the kept view, sortByColumn); QTableWidget::sortItems alone does not.
class DeviceTableItem : public QTableWidgetItem
{
public:
    // Set (true) on every item of a row of a unit that did not answer.
    static constexpr int missingRole = Qt::UserRole + 1;

    using QTableWidgetItem::QTableWidgetItem;

    bool operator<(const QTableWidgetItem& other) const override;

    static bool isMissing(const QTableWidgetItem& item);

protected:
    // Whether this item sorts before `other` because one of them is missing and the other is not;
    // nothing when both are alike and the column decides.
    std::optional<bool> missingOrder(const QTableWidgetItem& other) const;
};
