// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/unittext.h"

#include <QMap>

namespace {
constexpr auto storedOn = "1";
constexpr auto storedOff = "0";

bool printsSomething(QChar c)
{
    switch (c.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return false;
    default:
        return true;
    }
}
} // namespace

QString UnitText::printable(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (printsSomething(c))
            result.append(c);
    }
    return result.trimmed();
}

Device_t UnitText::cleaned(const Device_t& device)
{
    Device_t clean = device;
    for (QString* field :
         {&clean.code, &clean.moduleId, &clean.group, &clean.description, &clean.brand, &clean.serialNumber,
          &clean.firmwareVersion, &clean.mac, &clean.ip, &clean.netmask, &clean.gateway, &clean.dhcp})
        *field = printable(*field);
    for (QMap<QString, QString>& pairs : clean.additionalInfo) {
        QMap<QString, QString> printablePairs;
        for (auto it = pairs.cbegin(); it != pairs.cend(); ++it)
            printablePairs.insert(printable(it.key()), printable(it.value()));
        pairs = printablePairs;
    }
    // The module answered discovery but no motor driver behind it said what it is (a driver turns the
    // code into its own): the catalog's family name alone would pass it off as a driver, or say nothing.
    if (clean.code == QLatin1String(plainXportCode)) {
        clean.group = plainXportText();
        clean.description = plainXportText();
    }
    return clean;
}

QList<Device_t> UnitText::cleaned(const QList<Device_t>& devices)
{
    QList<Device_t> result;
    result.reserve(devices.size());
    for (const Device_t& device : devices)
        result.append(cleaned(device));
    return result;
}

QString UnitText::dhcpWord(const QString& dhcp)
{
    const QString value = dhcp.trimmed();
    if (value == QLatin1String(storedOn))
        return QString::fromLatin1(dhcpOn);
    if (value == QLatin1String(storedOff))
        return QString::fromLatin1(dhcpOff);
    return QString::fromLatin1(dhcpUnknown);
}

QString UnitText::plainXportText()
{
    return tr("XPort module \u2014 no motor driver answered");
}
