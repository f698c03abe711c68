// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/viewkeeper.h"

#include "app/devicetable.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTableWidget>

ViewKeeper::View ViewKeeper::capture(const QString& currentMac) const
{
    const QTableWidget* table = m_table.widget();
    const QHeaderView* header = table->horizontalHeader();
    View view;
    if (header->isSortIndicatorShown() && header->sortIndicatorSection() >= 0 &&
        header->sortIndicatorSection() < table->columnCount()) {
        view.sortColumn = header->sortIndicatorSection();
        view.sortOrder = header->sortIndicatorOrder();
    }
    view.scrollPosition = table->verticalScrollBar()->value();
    view.currentMac = currentMac;
    return view;
}

void ViewKeeper::restore(const View& view)
{
    QTableWidget* table = m_table.widget();
    if (view.sortColumn >= 0)
        table->horizontalHeader()->setSortIndicator(view.sortColumn, view.sortOrder);
    if (!view.currentMac.isEmpty())
        m_table.selectDeviceWithMac(view.currentMac);
    // The scroll range follows the new rows only once they are laid out; the position the user had
    // wins over the scrolling that made the current unit visible.
    table->doItemsLayout();
    table->verticalScrollBar()->setValue(view.scrollPosition);
}
