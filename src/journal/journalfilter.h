// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/journalrecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Which changes of the journal to show. Every part left empty lets every change through.
struct JournalFilter
{
    // Found, whatever its letter case, in the unit (MAC, serial, IP, code, family, device), the user,
    // the message or any old, new or result value (a firmware file's path, an address).
    QString text;
    // The unit's MAC, with ":" or "-" and in any letter case.
    QString mac;
    // Changes begun at or after since and before until.
    QDateTime since;
    QDateTime until;

    bool matches(const JournalRecord& record) const;
    // Nothing set: every change passes.
    bool isEmpty() const { return text.isEmpty() && mac.isEmpty() && !since.isValid() && !until.isValid(); }
    // False when a begun line, as written, cannot belong to a change this filter lets through: a quick
    // look at its bytes for the MAC and the time, which spares the reader parsing most lines of a long
    // journal. The text is not looked for: it may be in the completion's message.
    bool mayMatchLine(const QByteArray& line) const;

    static QString normalisedMac(const QString& mac);

    // The value of "key":"…" in a line as written, for values that need no escapes (ids, times).
    static QByteArray rawValue(const QByteArray& line, const char* key);

private:
    bool matchesText(const JournalRecord& record) const;
};
