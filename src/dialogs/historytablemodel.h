// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/journalrecord.h"

#include <QAbstractTableModel>
#include <QList>

// The history's rows: one change per row, newest first. A row's texts are made when the view asks for
// them, so that a journal of a hundred thousand changes is shown without making a hundred thousand rows
// of items first.
class HistoryTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { columnTime, columnUser, columnUnit, columnKind, columnChange, columnOutcome };
    static constexpr int columns = columnOutcome + 1;

    using QAbstractTableModel::QAbstractTableModel;

    // Oldest first, as the journal reads them; shown the other way round.
    void setRecords(JournalRecords oldestFirst);
    const JournalRecords& records() const { return m_records; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    static QString text(const JournalRecord& record, int column);

private:
    JournalRecords m_records;
};
