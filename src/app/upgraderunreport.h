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

    // The same for a run of many units at once, each by its place in begin()'s list.
    void startedAt(int index);
    void noteLogLineAt(int index, const QString& line);
    void endedAt(int index, Outcome outcome);
    // The versions the scans before and after the run found; an empty `after` is a unit the rescan missed.
    void setVersionsAt(int index, const QString& before, const QString& after);

    bool isEmpty() const { return m_units.isEmpty(); }
    // One line per unit.
    QStringList lines() const;

private:
    struct Unit
    {
        QString name;
        Outcome outcome = Outcome::NotStarted;
        QString firstError;
        QString versionBefore;
        QString versionAfter;
        bool versionsKnown = false;
    };
    void endRunning(Outcome outcome);
    QString describe(const Unit& unit) const;
    QString describeOutcome(const Unit& unit) const;
    bool isValid(int index) const { return index >= 0 && index < m_units.size(); }

    QList<Unit> m_units;
    int m_running = -1;
};
