// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/upgraderunreport.h"

void UpgradeRunReport::begin(const QStringList& units)
{
    m_units.clear();
    m_running = -1;
    for (const QString& name : units)
        m_units.append({name, Outcome::NotStarted, QString(), QString(), QString(), false});
}

void UpgradeRunReport::started(const QString& unit)
{
    m_running = -1;
    for (int i = 0; i < m_units.size(); ++i) {
        if (m_units.at(i).name == unit && m_units.at(i).outcome == Outcome::NotStarted) {
            m_running = i;
            break;
        }
    }
    // A unit typed by hand, or one the table no longer shows, still gets its line.
    if (m_running < 0) {
        m_units.append({unit, Outcome::NotStarted, QString(), QString(), QString(), false});
        m_running = m_units.size() - 1;
    }
    m_units[m_running].outcome = Outcome::Running;
}

void UpgradeRunReport::noteLogLine(const QString& line)
{
    noteLogLineAt(m_running, line);
}

void UpgradeRunReport::startedAt(int index)
{
    if (isValid(index))
        m_units[index].outcome = Outcome::Running;
}

void UpgradeRunReport::noteLogLineAt(int index, const QString& line)
{
    if (!isValid(index) || !m_units.at(index).firstError.isEmpty())
        return;
    const QString trimmed = line.trimmed();
    for (const QString& each : trimmed.split(QLatin1Char('\n'))) {
        if (each.startsWith(QLatin1String("ERROR")) || each.startsWith(QLatin1String("CRITICAL"))) {
            m_units[index].firstError = each.trimmed();
            return;
        }
    }
}

void UpgradeRunReport::endedAt(int index, Outcome outcome)
{
    if (isValid(index))
        m_units[index].outcome = outcome;
}

void UpgradeRunReport::setVersionsAt(int index, const QString& before, const QString& after)
{
    if (!isValid(index))
        return;
    m_units[index].versionBefore = before;
    m_units[index].versionAfter = after;
    m_units[index].versionsKnown = true;
}

void UpgradeRunReport::upgraded()
{
    endRunning(Outcome::Upgraded);
}

void UpgradeRunReport::failed()
{
    endRunning(Outcome::Failed);
}

void UpgradeRunReport::cancelled()
{
    endRunning(Outcome::Cancelled);
}

void UpgradeRunReport::endRunning(Outcome outcome)
{
    if (m_running >= 0)
        m_units[m_running].outcome = outcome;
    m_running = -1;
}

QStringList UpgradeRunReport::lines() const
{
    QStringList lines;
    for (const Unit& unit : m_units)
        lines << describe(unit);
    return lines;
}

QString UpgradeRunReport::describe(const Unit& unit) const
{
    const QString outcome = describeOutcome(unit);
    if (!unit.versionsKnown)
        return outcome;
    const QString after = unit.versionAfter.isEmpty() ? tr("no answer") : unit.versionAfter;
    return tr("%1; version before %2, after %3").arg(outcome, unit.versionBefore, after);
}

QString UpgradeRunReport::describeOutcome(const Unit& unit) const
{
    const QString error = unit.firstError.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(unit.firstError);
    switch (unit.outcome) {
    case Outcome::Upgraded:
        return tr("%1: upgraded").arg(unit.name);
    case Outcome::Failed:
    case Outcome::Running:
        return tr("%1: failed").arg(unit.name) + error;
    case Outcome::Cancelled:
        return tr("%1: cancelled").arg(unit.name) + error;
    case Outcome::NotStarted:
        break;
    }
    return tr("%1: not started").arg(unit.name);
}
