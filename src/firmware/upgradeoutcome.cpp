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
