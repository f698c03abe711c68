// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/scansnapshot.h"

#include "model/fieldtables.h"
#include "model/unittext.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>

namespace {
constexpr auto takenKey = "taken";
constexpr auto devicesKey = "devices";
constexpr auto extraKey = "extra";
} // namespace

ScanSnapshot::ScanSnapshot(const QString& directory) : m_directory(directory) {}

QString ScanSnapshot::path() const
{
    return QDir(m_directory).filePath(QLatin1String(fileName));
}

std::optional<ScanSnapshot::Scan> ScanSnapshot::load(QString* error) const
{
    QFile file(path());
    if (!file.exists())
        return std::nullopt;
    QJsonParseError parseError{};
    const QJsonDocument document =
        file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll(), &parseError) : QJsonDocument();
    const QJsonObject root = document.object();
    Scan scan;
    scan.taken = QDateTime::fromString(root.value(QLatin1String(takenKey)).toString(), Qt::ISODateWithMs);
    if (!document.isObject() || !scan.taken.isValid()) {
        if (error)
            *error = tr("the last scan %1 cannot be read and is left out").arg(path());
        return std::nullopt;
    }
    for (const QJsonValue& device : root.value(QLatin1String(devicesKey)).toArray())
        scan.devices.append(deviceFromJson(device.toObject()));
    return scan;
}

QString ScanSnapshot::save(const QList<Device_t>& devices, const QDateTime& taken) const
{
    if (!DataLocation::ensure(m_directory))
        return tr("the directory %1 cannot be made").arg(m_directory);
    QJsonArray array;
    for (const Device_t& device : devices)
        array.append(deviceJson(device));
    const QJsonObject root{{QLatin1String(takenKey), taken.toUTC().toString(Qt::ISODateWithMs)},
                           {QLatin1String(devicesKey), array}};
    QSaveFile file(path());
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(root).toJson()) < 0 || !file.commit())
        return tr("the last scan cannot be saved to %1: %2").arg(path(), file.errorString());
    return QString();
}

QJsonObject ScanSnapshot::deviceJson(const Device_t& found)
{
    const Device_t device = UnitText::cleaned(found);
    QJsonObject object;
    for (auto it = FieldMandatoryMap.cbegin(); it != FieldMandatoryMap.cend(); ++it)
        object.insert(it.value(), deviceField(device, it.key()));
    QJsonArray extra;
    for (const QMap<QString, QString>& pairs : device.additionalInfo) {
        QJsonObject pairObject;
        for (auto it = pairs.cbegin(); it != pairs.cend(); ++it)
            pairObject.insert(it.key(), it.value());
        extra.append(pairObject);
    }
    object.insert(QLatin1String(extraKey), extra);
    return object;
}

Device_t ScanSnapshot::deviceFromJson(const QJsonObject& object)
{
    Device_t device;
    for (auto it = FieldMandatoryMap.cbegin(); it != FieldMandatoryMap.cend(); ++it)
        setDeviceField(device, it.key(), object.value(it.value()).toString());
    for (const QJsonValue& pairs : object.value(QLatin1String(extraKey)).toArray()) {
        QMap<QString, QString> map;
        const QJsonObject pairObject = pairs.toObject();
        for (auto it = pairObject.begin(); it != pairObject.end(); ++it)
            map.insert(it.key(), it.value().toString());
        device.additionalInfo.append(map);
    }
    return device;
}
