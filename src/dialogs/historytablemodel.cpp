// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/historytablemodel.h"

#include "journal/journaltext.h"

#include <algorithm>

void HistoryTableModel::setRecords(JournalRecords oldestFirst)
{
    beginResetModel();
    m_records = std::move(oldestFirst);
    std::reverse(m_records.begin(), m_records.end());
    endResetModel();
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_records.size();
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columns;
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const
{
    // The tooltip shows a text its narrowed column cuts.
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid() || index.row() >= m_records.size())
        return {};
    return text(m_records.at(index.row()), index.column());
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case columnTime:
        return tr("Time");
    case columnUser:
        return tr("User");
    case columnUnit:
        return tr("Unit");
    case columnKind:
        return tr("Kind");
    case columnChange:
        return tr("Change");
    case columnOutcome:
        return tr("Outcome");
    default:
        return {};
    }
}

QString HistoryTableModel::text(const JournalRecord& record, int column)
{
    switch (column) {
    case columnTime:
        return JournalText::time(record.begun);
    case columnUser:
        return JournalText::user(record.user);
    case columnUnit:
        return JournalText::unit(record.unit);
    case columnKind:
        return JournalText::kind(record.kind);
    case columnChange:
        return JournalText::change(record);
    case columnOutcome:
        return JournalText::outcome(record);
    default:
        return {};
    }
}
