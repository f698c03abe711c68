// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/journalfilter.h"

#include <QByteArray>

// A filter's quick look at a journal line as written, before it is parsed: whether the line can belong to
// a change the filter lets through. Everything it looks for is worked out once per read, and its searches
// run on the lower-cased bytes of the line, so that a journal of a hundred thousand changes is sifted in
// a fraction of the time its parse would take. It never leaves out a line the filter would let through.
class JournalLineScreen
{
public:
    explicit JournalLineScreen(const JournalFilter& filter);

    // For a begun line: its time within the filter's span and the filter's MAC in it.
    bool beginMayMatch(const QByteArray& line, const QByteArray& lowerLine) const;
    // Whether the filter's text can be looked for in the bytes: only a text that the journal writes as it
    // is (printable ASCII without quotes or backslashes) is found there exactly when it is in a value.
    bool screensText() const { return !m_text.isEmpty(); }
    bool containsText(const QByteArray& lowerLine) const { return lowerLine.contains(m_text); }
    // Whether the searches need the lines in lower case: without a text or a MAC, they never look.
    bool looksIntoLines() const { return screensText() || !m_macColons.isEmpty(); }

private:
    QByteArray m_since;
    QByteArray m_until;
    QByteArray m_macColons;
    QByteArray m_macDashes;
    QByteArray m_text;
};
