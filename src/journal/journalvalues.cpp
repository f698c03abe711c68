// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journalvalues.h"

#include "model/unittext.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {
// Senders hold DHCP as the unit reports it ("1", "0") or as a word already.
QString dhcpText(const QString& dhcp)
{
    const QString word = dhcp.toLower();
    if (word == QLatin1String(UnitText::dhcpOn) || word == QLatin1String(UnitText::dhcpOff))
        return word;
    return UnitText::dhcpWord(dhcp);
}
} // namespace

QJsonObject JournalValues::network(const QString& ip, const QString& mask, const QString& gateway, const QString& dhcp)
{
    return {{QLatin1String(ipKey), UnitText::printable(ip)},
            {QLatin1String(maskKey), UnitText::printable(mask)},
            {QLatin1String(gatewayKey), UnitText::printable(gateway)},
            {QLatin1String(dhcpKey), dhcpText(UnitText::printable(dhcp))}};
}

QJsonObject JournalValues::network(const Device_t& device)
{
    return network(device.ip, device.netmask, device.gateway, device.dhcp);
}

QJsonObject JournalValues::firmwareFile(const QString& path)
{
    const QFileInfo info(path);
    QJsonObject object{{QLatin1String(fileKey), info.absoluteFilePath()}};
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return object;
    object.insert(QLatin1String(sizeKey), static_cast<double>(file.size()));
    object.insert(QLatin1String(sha256Key), QString::fromLatin1(hash.result().toHex()));
    return object;
}

// The version as the unit reported it, cleaned as its text is shown: a unit that reports NUL bytes
// has no version to record.
QJsonObject JournalValues::firmwareVersion(const QString& version)
{
    return {{QLatin1String(firmwareVersionKey), UnitText::printable(version)}};
}

QJsonObject JournalValues::upgradeResult(const QString& versionAfter, const QString& logFile)
{
    QJsonObject object = firmwareVersion(versionAfter);
    if (!logFile.isEmpty())
        object.insert(QLatin1String(logFileKey), logFile);
    return object;
}
