// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journalunit.h"

#include "model/device.h"
#include "model/unittext.h"

namespace {
constexpr auto macKey = "mac";
constexpr auto serialKey = "serial";
constexpr auto codeKey = "code";
constexpr auto familyKey = "family";
constexpr auto deviceKey = "device";
constexpr auto ipKey = "ip";

QString text(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toString();
}
} // namespace

JournalUnit JournalUnit::fromDevice(const Device_t& found)
{
    const Device_t device = UnitText::cleaned(found);
    return {device.mac.toUpper(), device.serialNumber, device.code, device.group, device.description, device.ip};
}

QJsonObject JournalUnit::toJson() const
{
    return {{QLatin1String(macKey), mac},       {QLatin1String(serialKey), serial}, {QLatin1String(codeKey), code},
            {QLatin1String(familyKey), family}, {QLatin1String(deviceKey), device}, {QLatin1String(ipKey), ip}};
}

JournalUnit JournalUnit::fromJson(const QJsonObject& object)
{
    // Older records may hold a code in lower case ("1f80"): it is the catalog's code all the same.
    return {text(object, macKey),    text(object, serialKey), device::canonicalCode(text(object, codeKey)),
            text(object, familyKey), text(object, deviceKey), text(object, ipKey)};
}
