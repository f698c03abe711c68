// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QJsonObject>
#include <QString>

// The old and new values of a journal record, under the same keys whichever path sends the change,
// so that the history can set them side by side.
class JournalValues
{
public:
    static constexpr char ipKey[] = "ip";
    static constexpr char maskKey[] = "mask";
    static constexpr char gatewayKey[] = "gateway";
    static constexpr char dhcpKey[] = "dhcp";
    static constexpr char firmwareVersionKey[] = "firmwareVersion";
    static constexpr char fileKey[] = "file";
    static constexpr char sizeKey[] = "size";
    static constexpr char sha256Key[] = "sha256";
    static constexpr char logFileKey[] = "logFile";

    // DHCP as "on", "off" or "unknown", as the command line prints it.
    static QJsonObject network(const QString& ip, const QString& mask, const QString& gateway, const QString& dhcp);
    // The unit's present settings, for the "old" side.
    static QJsonObject network(const Device_t& device);
    // The file to be sent: its absolute path, size and SHA-256, taken before the upgrade so that the record
    // says which bytes went out even when the file is replaced later. A file that cannot be read gets its
    // path alone.
    static QJsonObject firmwareFile(const QString& path);
    static QJsonObject firmwareVersion(const QString& version);
    // What the end of an upgrade adds: the version the unit reports now and the run's log file.
    static QJsonObject upgradeResult(const QString& versionAfter, const QString& logFile);
};
