// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/upgradeoutcome.h"

#include <QStringList>

UpgradeOutcome UpgradeOutcome::upgraded()
{
    UpgradeOutcome outcome;
    outcome.m_result = Result::Upgraded;
    return outcome;
}

UpgradeOutcome UpgradeOutcome::failure(const QString& reason, bool stoppedOnRequest)
{
    UpgradeOutcome outcome;
    outcome.m_result = Result::Failed;
    outcome.m_reason = reason;
    outcome.m_stoppedOnRequest = stoppedOnRequest;
    return outcome;
}

UpgradeOutcome UpgradeOutcome::stoppedBy(StopReason by, int watchdogMs) const
{
    UpgradeOutcome outcome = *this;
    outcome.m_stopReason = by;
    outcome.m_watchdogMs = watchdogMs;
    return outcome;
}

QString UpgradeOutcome::summary() const
{
    if (!failed() || !m_stoppedOnRequest)
        return m_reason;
    QString who;
    switch (m_stopReason) {
    case StopReason::User:
        who = tr("cancelled by the user");
        break;
    case StopReason::Terminate:
        who = tr("cancelled by SIGTERM");
        break;
    case StopReason::Interrupt:
        who = tr("cancelled by SIGINT");
        break;
    case StopReason::Watchdog:
        who = tr("no result within %1 ms: stopped by the watchdog").arg(m_watchdogMs);
        break;
    case StopReason::None:
        who = tr("cancelled");
        break;
    }
    return m_reason.isEmpty() ? who : who + QStringLiteral(": ") + m_reason;
}

QString UpgradeOutcome::errorLineOf(const QString& message)
{
    // Procedures open some lines with a line break of their own ("\nERROR: Unexpected Error").
    for (const QString& line : message.trimmed().split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("ERROR")) || trimmed.startsWith(QLatin1String("CRITICAL")))
            return trimmed;
    }
    return {};
}
