// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/fleetrun.h"
#include "model/device_t.h"

#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QWidget>

class QPlainTextEdit;
class QProgressBar;
class QTableWidget;
class QTimer;

// One row per unit of a fleet upgrade: the unit, its step, its own progress, how long it has run and the
// last thing it said. The row chosen shows that unit's whole log beneath the table. Rows change in place and
// the elapsed times tick once a second, so that even a full fleet in flight costs the event loop little.
class FleetResultsTable : public QWidget
{
    Q_OBJECT

public:
    static constexpr int columnUnit = 0;
    static constexpr int columnStep = 1;
    static constexpr int columnProgress = 2;
    static constexpr int columnElapsed = 3;
    static constexpr int columnMessage = 4;
    static constexpr int elapsedTickMs = 1000;

    explicit FleetResultsTable(QWidget* parent = nullptr);

    // A row per unit, each waiting; the unit logs of a previous run are gone.
    void setUnits(const QList<Device_t>& units);
    void clear();
    int unitCount() const { return m_rows.size(); }

    void setStep(int index, FleetRun::Step step);
    void setProgress(int index, int value);
    void appendMessages(int index, const QStringList& lines);

    FleetRun::Step step(int index) const;
    QString unitLog(int index) const;
    // The row shown as the current one, -1 for none.
    int chosenUnit() const;
    void chooseUnit(int index);

    QTableWidget* table() const { return m_table; }
    QPlainTextEdit* unitLogPane() const { return m_unitLog; }

    static QString stepText(FleetRun::Step step);
    static QString unitText(const Device_t& unit);
    // "m:ss", or "h:mm:ss" from an hour on.
    static QString elapsedText(qint64 ms);

signals:
    void unitChosen(int index);

private:
    struct Row
    {
        FleetRun::Step step = FleetRun::Step::Waiting;
        QElapsedTimer clock;
        qint64 frozenMs = -1;
        QStringList log;
        QProgressBar* bar = nullptr;
    };

    void showChosenLog();
    void tickElapsed();
    void showElapsed(int index);
    bool isValid(int index) const { return index >= 0 && index < m_rows.size(); }

    QTableWidget* m_table;
    QPlainTextEdit* m_unitLog;
    QTimer* m_elapsedTimer;
    QList<Row> m_rows;
};
