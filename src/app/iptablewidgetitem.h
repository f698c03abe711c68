// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/devicetableitem.h"

// Sorts the address column by number, so that 10.0.0.2 comes before 10.0.0.10.
class IpTableWidgetItem : public DeviceTableItem
{
public:
    using DeviceTableItem::DeviceTableItem;

    bool operator<(const QTableWidgetItem& other) const override;
};
