// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

// What became of every unit of one upgrade run, for the box at its end: upgraded, failed (with the
// first ERROR or CRITICAL line the unit's upgrade logged), stopped by the user, or not started.
class UpgradeRunReport
{
    Q_DECLARE_TR_FUNCTIONS(UpgradeRunReport)

public:
    enum class Outcome { NotStarted, Running, Upgraded, Failed, Cancelled };

    // The units in the order the run takes them, by the names the window shows.
    void begin(const QStringList& units);
    void started(const QString& unit);
    // Keeps the first ERROR or CRITICAL line of the running unit.
    void noteLogLine(const QString& line);
    void upgraded();
    void failed();
    void cancelled();

    bool isEmpty() const { return m_units.isEmpty(); }
    // One line per unit.
    QStringList lines() const;

private:
    struct Unit
    {
        QString name;
        Outcome outcome = Outcome::NotStarted;
        QString firstError;
    };
    void endRunning(Outcome outcome);
    QString describe(const Unit& unit) const;

    QList<Unit> m_units;
    int m_running = -1;
};
