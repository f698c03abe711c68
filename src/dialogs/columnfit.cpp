// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/columnfit.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableWidget>

namespace {
QStyleOptionViewItem cellOption(const QTableWidget* table)
{
    QStyleOptionViewItem option;
    option.initFrom(table);
    option.font = table->font();
    option.fontMetrics = table->fontMetrics();
    option.decorationSize = table->iconSize();
    option.displayAlignment = Qt::AlignCenter;
    return option;
}

// The grid line takes the last pixel of every cell.
int gridWidth(const QTableWidget* table)
{
    return table->showGrid() ? 1 : 0;
}

int textCellNeed(const QTableWidget* table, const QString& text)
{
    const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
    return table->fontMetrics().horizontalAdvance(text) + 2 * margin + gridWidth(table);
}
} // namespace

int ColumnFit::headerNeed(const QHeaderView* header, int section, bool withSortIndicator)
{
    QStyleOptionHeader option;
    option.initFrom(header);
    option.section = section;
    option.orientation = header->orientation();
    option.text = header->model() ? header->model()->headerData(section, header->orientation()).toString() : QString();
    QFont bold = header->font();
    bold.setBold(true);
    option.fontMetrics = QFontMetrics(bold);
    option.sortIndicator = withSortIndicator ? QStyleOptionHeader::SortDown : QStyleOptionHeader::None;
    return header->style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), header).width();
}

int ColumnFit::contentNeed(const QTableWidget* table, int column, const QStringList& probes)
{
    int need = 0;
    const QStyleOptionViewItem option = cellOption(table);
    for (int row = 0; row < table->rowCount(); ++row) {
        const QModelIndex index = table->model()->index(row, column);
        const QAbstractItemDelegate* delegate = table->itemDelegateForColumn(column);
        if (!delegate)
            delegate = table->itemDelegate();
        need = qMax(need, delegate->sizeHint(option, index).width() + gridWidth(table));
    }
    for (const QString& probe : probes)
        need = qMax(need, textCellNeed(table, probe));
    return need;
}

int ColumnFit::columnNeed(const QTableWidget* table, int column, bool withSortIndicator, const QStringList& probes)
{
    return qMax(headerNeed(table->horizontalHeader(), column, withSortIndicator), contentNeed(table, column, probes));
}

void ColumnFit::widenToNeeds(QTableWidget* table, const QList<int>& columns, const QStringList& probes)
{
    QHeaderView* header = table->horizontalHeader();
    for (int column : columns) {
        const bool arrow = header->isSortIndicatorShown();
        const int need = columnNeed(table, column, arrow, probes);
        if (header->sectionSize(column) < need)
            header->resizeSection(column, need);
    }
}
