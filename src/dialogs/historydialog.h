// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/datalocation.h"
#include "journal/journalrecord.h"
#include "model/device_t.h"
#include "model/interfaces_t.h"

#include <QDialog>
#include <QList>
#include <QString>

#include <functional>

class NetworkUndo;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class HistoryTableModel;
class UserPrompts;

// The journal of changes sent to units, newest first, with a filter, a CSV export and the undo of a
// network change. The window hands in how to scan, so that the undo can check the old address and
// see the unit answer from it, and says when sending must wait (an upgrade runs).
class HistoryDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int verifyScans = 3;

    struct Scanner
    {
        std::function<QList<Device_t>()> scan;
        std::function<QList<interfaces_t>()> interfaces;
    };

    HistoryDialog(QWidget* parent, UserPrompts* prompts, const QString& directory = DataLocation::directory());

    void setScanner(Scanner scanner);
    void setSendingAllowed(bool allowed);
    // The records shown, newest first, in the table's order.
    const JournalRecords& records() const;

public slots:
    void reload();
    void exportCsv();
    void undoSelected();

signals:
    // Old settings went out to a unit: the window's table no longer shows it as it is.
    void undoSent();

protected:
    // The dialog is made anew each time it opens: its size is kept in the settings.
    void hideEvent(QHideEvent* event) override;
    // The calendar of an "any" bound opens at this month, not at the bound's January 2000, and a date
    // typed into an "any" bound starts from today.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    QWidget* buildFilterRow();
    QWidget* buildButtonRow();
    void fillTable();
    void showSelected();
    void updateUndoButton();
    const JournalRecord* selectedRecord() const;
    QString csvText() const;
    bool verifyAnswer(NetworkUndo& undo) const;
    void reportUndo(NetworkUndo& undo, bool answered);

    UserPrompts* m_prompts;
    QString m_directory;
    Scanner m_scanner;
    bool m_sendingAllowed = true;
    HistoryTableModel* m_model = nullptr;
    QLineEdit* m_filter = nullptr;
    QDateTimeEdit* m_since = nullptr;
    QDateTimeEdit* m_until = nullptr;
    QTableView* m_table = nullptr;
    QPlainTextEdit* m_details = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_export = nullptr;
    QPushButton* m_undo = nullptr;
};
