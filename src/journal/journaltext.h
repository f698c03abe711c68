// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/journalrecord.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>

// A journal record's parts as people read them, for the command line's history and the window's; every
// text from the file is made printable first.
class JournalText
{
    Q_DECLARE_TR_FUNCTIONS(JournalText)

public:
    // Local time, to the second.
    static QString time(const QDateTime& time);
    // Who made the change, as it can be printed.
    static QString user(const QString& user);
    // "MAC (serial, IP)", leaving out what the record does not know.
    static QString unit(const JournalUnit& unit);
    static QString kind(JournalRecord::Kind kind);
    // The values that differ, "IP 10.0.0.5 → 10.0.0.9, DHCP on → off"; for an upgrade the firmware
    // version before and after and the file's name.
    static QString change(const JournalRecord& record);
    // "succeeded", or "failed: the message".
    static QString outcome(const JournalRecord& record);

private:
    static QString label(const QString& key);
    static QString valueText(const QJsonValue& value);
};
