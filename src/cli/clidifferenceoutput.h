// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/scandifference.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QString>

#include <optional>

// What "scan --diff" prints after the units: the difference from the last scan as a table, or as the
// "difference" object of the JSON output. Nothing to compare with (the first scan) is said as such.
class CliDifferenceOutput
{
    Q_DECLARE_TR_FUNCTIONS(CliDifferenceOutput)

public:
    static QString text(const std::optional<ScanDifference>& difference);
    // {"previousScan": UTC time or null, "added": [unit], "removed": [unit + "lastSeen"],
    //  "changed": [unit + "changes": [{"field", "old", "new"}]]}, the units as scan --json gives them.
    static QJsonObject json(const std::optional<ScanDifference>& difference);

private:
    static QString fieldsText(const QList<ScanDifference::FieldChange>& fields);
};
