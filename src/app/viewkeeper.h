// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <Qt>

class DeviceTable;

// Keeps the user's view of the device table across a rescan (after an upgrade or a configuration
// change as well as on request): the sort column and order, the scroll position and the current unit,
// found again by its MAC. The filters live in their own widgets and stay as they are.
class ViewKeeper
{
public:
    struct View
    {
        int sortColumn = -1;
        Qt::SortOrder sortOrder = Qt::AscendingOrder;
        int scrollPosition = 0;
        QString currentMac;
    };

    explicit ViewKeeper(DeviceTable& table) : m_table(table) {}

    // `currentMac` is the MAC of the unit now current, empty without one.
    View capture(const QString& currentMac) const;
    // After the table has been filled again.
    void restore(const View& view);

private:
    DeviceTable& m_table;
};
