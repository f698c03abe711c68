// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QMetaType>
#include <QString>

// How the upgrade of one unit ended: upgraded, or failed with the line that says why and whether the
// failure was the run stopping where it was asked to (Cancel, the watchdog, closing the window) rather
// than something the unit or the link did, and who asked. A run that has not said how it ended has no result.
class UpgradeOutcome
{
    Q_DECLARE_TR_FUNCTIONS(UpgradeOutcome)

public:
    enum class Result { NoResult, Upgraded, Failed };
    // Who asked a run to stop: the user (Cancel, Quit), a signal to the command line, or the watchdog.
    enum class StopReason { None, User, Terminate, Interrupt, Watchdog };

    UpgradeOutcome() = default;
    static UpgradeOutcome upgraded();
    // `reason`: the first ERROR or CRITICAL line of the run, or a text of the caller's.
    static UpgradeOutcome failure(const QString& reason, bool stoppedOnRequest = false);

    Result result() const { return m_result; }
    bool hasResult() const { return m_result != Result::NoResult; }
    bool succeeded() const { return m_result == Result::Upgraded; }
    bool failed() const { return m_result == Result::Failed; }
    QString reason() const { return m_reason; }
    bool stoppedOnRequest() const { return m_stoppedOnRequest; }
    StopReason stopReason() const { return m_stopReason; }
    // The same outcome, stopped at the request of `by`; watchdogMs is the watchdog's time.
    UpgradeOutcome stoppedBy(StopReason by, int watchdogMs) const;
    // Why it failed as the command line, the window and the journal say it: for a stop, who stopped it
    // and the step it stopped in.
    QString summary() const;

    // The first line of a log message that reports an error (it opens with ERROR or CRITICAL); empty if none.
    static QString errorLineOf(const QString& message);

private:
    Result m_result = Result::NoResult;
    QString m_reason;
    bool m_stoppedOnRequest = false;
    StopReason m_stopReason = StopReason::None;
    int m_watchdogMs = 0;
};

Q_DECLARE_METATYPE(UpgradeOutcome)
