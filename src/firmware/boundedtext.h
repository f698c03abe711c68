// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What a unit says during one step of a procedure, kept to a bound: the first headChars characters go
// to the log as they come, of the rest only the last tailChars are held, and the step's end gives them
// with the count of what was left out between. A unit that floods its report costs the log, the journal
// and the JSON output no more than these two ends.
class BoundedText
{
    Q_DECLARE_TR_FUNCTIONS(BoundedText)

public:
    static constexpr int headChars = 64 * 1024;
    static constexpr int tailChars = 64 * 1024;

    // The part of `text` that is still within the head: to be logged now. The rest is held back.
    QString take(const QString& text);
    // At the end of the step: the count of what was left out (if anything) and the held-back end, each
    // to be logged; empty when the head took everything. Starts the next step afresh.
    QStringList finish();
    qint64 leftOut() const { return m_leftOut; }

private:
    qint64 m_taken = 0;
    qint64 m_leftOut = 0;
    QString m_tail;
};
