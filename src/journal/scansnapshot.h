// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/datalocation.h"
#include "model/device_t.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The units of the last scan, kept in the data directory so that the next scan, in this program or
// the other, can tell what has changed since.
class ScanSnapshot
{
    Q_DECLARE_TR_FUNCTIONS(ScanSnapshot)

public:
    static constexpr char fileName[] = "last-scan.json";

    struct Scan
    {
        QDateTime taken;
        QList<Device_t> devices;
    };

    explicit ScanSnapshot(const QString& directory = DataLocation::directory());

    QString path() const;
    // The last scan saved; nothing when none was, or when the file cannot be read (error says why,
    // and stays empty when there simply is none).
    std::optional<Scan> load(QString* error = nullptr) const;
    // Replaces the last scan as one step: a reader sees the old file or the new, never half of one.
    // Empty when saved, else why not.
    QString save(const QList<Device_t>& devices, const QDateTime& taken = QDateTime::currentDateTimeUtc()) const;

    // A unit's printable fields under their record keywords, its extra pairs under "extra".
    static QJsonObject deviceJson(const Device_t& device);
    static Device_t deviceFromJson(const QJsonObject& object);

private:
    QString m_directory;
};
