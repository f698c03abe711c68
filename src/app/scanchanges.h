// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/datalocation.h"
#include "journal/scandifference.h"
#include "model/device_t.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// What the device table shows of the difference between a scan and the one before it (of the window
// or of the command line, which keep the same last scan): the units that are new, those with changed
// fields, and those that answered then and not now.
class ScanChanges
{
    Q_DECLARE_TR_FUNCTIONS(ScanChanges)

public:
    enum class Mark { None, New, Changed };

    // Nothing to compare with: no unit is marked and none is missing.
    ScanChanges() = default;
    explicit ScanChanges(const std::optional<ScanDifference>& difference);

    // Compares `found` with the last scan kept in `directory` and keeps `found` as the last scan. A scan
    // that found nothing is not kept, so that the next one still tells what went missing. `problem`
    // receives why the last scan could not be read or kept, and stays empty otherwise.
    static ScanChanges afterScan(const QList<Device_t>& found, QString* problem,
                                 const QString& directory = DataLocation::directory());

    bool hasPrevious() const { return m_previous.isValid(); }
    Mark mark(const Device_t& device) const;
    // What a row's tool tip says of the unit: new since when, or each changed field old → new.
    QString description(const Device_t& device) const;
    const QList<ScanDifference::Removed>& missing() const { return m_missing; }

    // "not seen since …", in local time.
    static QString notSeenSince(const QDateTime& lastSeen);
    static QString missingDescription(const ScanDifference::Removed& unit);
    static QString fieldText(const ScanDifference::FieldChange& change);

private:
    QDateTime m_previous;
    QHash<QString, Mark> m_marks;
    QHash<QString, QList<ScanDifference::FieldChange>> m_fields;
    QList<ScanDifference::Removed> m_missing;
};
