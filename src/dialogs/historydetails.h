// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/journalrecord.h"

#include <QCoreApplication>
#include <QString>

// Every field of one journal record as lines of text, for the history window's detail pane.
class HistoryDetails
{
    Q_DECLARE_TR_FUNCTIONS(HistoryDetails)

public:
    static QString text(const JournalRecord& record);

private:
    static QString values(const QJsonObject& object);
    // What the record knows of the unit, leaving out what it does not (a manual address has no MAC).
    static QStringList unitLines(const JournalUnit& unit);
};
