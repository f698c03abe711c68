// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class QHeaderView;
class QTableWidget;

// How wide a table column must be for its header and its texts to show whole, measured with the
// fonts and the style the table has now (the application style sheet included).
class ColumnFit
{
public:
    // The widest address text a cell may have to show.
    static constexpr const char* widestAddress = "255.255.255.255";

    ColumnFit() = delete;

    // The header's section text, bold as the header draws it beside a selection, and room for the sort
    // arrow when `withSortIndicator`.
    static int headerNeed(const QHeaderView* header, int section, bool withSortIndicator);
    // Every cell of the column, and each of `probes` as if it were a cell's text.
    static int contentNeed(const QTableWidget* table, int column, const QStringList& probes = {});
    static int columnNeed(const QTableWidget* table, int column, bool withSortIndicator,
                          const QStringList& probes = {});
    // Makes the columns at least as wide as they need, the table's sort arrow counted where it shows.
    static void widenToNeeds(QTableWidget* table, const QList<int>& columns, const QStringList& probes = {});
};
