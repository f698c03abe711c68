// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/fieldtables.h"

#include "model/device.h"

#include <QtGlobal>

const QMap<EnumFamilyID, QString> FamilyIDMap{
    {POWER_SUPPLY_SYSTEMS, QStringLiteral("Power Supply Systems")},
    {BEAMLINE, QStringLiteral("Beamline")},
    {CURRENT_TRANSDUCERS, QStringLiteral("Current Transducers")},
    {TOOLS, QStringLiteral("Ostravi Tools")},
};

const QMap<EnumFieldMandatory, QString> FieldMandatoryMap{
    {CODE, QStringLiteral("CODE")},       {ID, QStringLiteral("ID")},           {FAMILY, QStringLiteral("FAMILY")},
    {DEVICE, QStringLiteral("DEVICE")},   {BRAND, QStringLiteral("BRAND")},     {SN, QStringLiteral("SN")},
    {FW, QStringLiteral("FW")},           {MAC, QStringLiteral("MAC")},         {IP, QStringLiteral("IP")},
    {NETMASK, QStringLiteral("NETMASK")}, {GATEWAY, QStringLiteral("GATEWAY")}, {DHCP, QStringLiteral("DHCP")},
};

// "SubnetMask:" has no blank, unlike the other labels; it is shown that way. The information page
// shows the labels translated, in its own context.
const QMap<EnumFieldMandatory, QString> DescriptionMandatoryMap{
    {CODE, QStringLiteral("---")},
    {ID, QStringLiteral(QT_TRANSLATE_NOOP("InformationPage", "Module ID:"))},
    {FAMILY, QStringLiteral(QT_TRANSLATE_NOOP("InformationPage", "Group:"))},
    {DEVICE, QStringLiteral(QT_TRANSLATE_NOOP("InformationPage", "Device Description:"))},
    {BRAND, QStringLiteral(QT_TRANSLATE_NOOP("InformationPage", "Brand:"))},
    {SN, QStringLiteral(QT_TRANSLATE_NOOP("InformationPage", "Serial Number:"))},
    {FW, QStringLiteral(QT_TRANSLATE_NOOP("InformationPage", "Firmware Version:"))},
    {MAC, QStringLiteral(QT_TRANSLATE_NOOP("InformationPage", "MAC Address:"))},
    {IP, QStringLiteral(QT_TRANSLATE_NOOP("InformationPage", "IP Address:"))},
    {NETMASK, QStringLiteral(QT_TRANSLATE_NOOP("InformationPage", "SubnetMask:"))},
    {GATEWAY, QStringLiteral(QT_TRANSLATE_NOOP("InformationPage", "Gateway:"))},
    {DHCP, QStringLiteral(QT_TRANSLATE_NOOP("InformationPage", "DHCP:"))},
};

const QMap<EnumBrands, QString> BrandsMap{
    {NO_BRAND, QString()},
    {NORRETH, QStringLiteral("NORRETH")},
    {VALDIS, QStringLiteral("VALDIS")},
    {PEMBRY, QStringLiteral("PEMBRY")},
    {TORQUIL, QStringLiteral("TORQUIL")},
};

const QMap<EnumBrands, QString> BrandExtensionMap{
    {NO_BRAND, QStringLiteral(".png")},  {NORRETH, QStringLiteral("_no.png")}, {VALDIS, QStringLiteral("_va.png")},
    {PEMBRY, QStringLiteral("_pe.png")}, {TORQUIL, QStringLiteral("_to.png")},
};

namespace {
QString Device_t::*fieldMember(EnumFieldMandatory field)
{
    static QString Device_t::*const members[] = {
        &Device_t::code,  &Device_t::moduleId,     &Device_t::group,           &Device_t::description,
        &Device_t::brand, &Device_t::serialNumber, &Device_t::firmwareVersion, &Device_t::mac,
        &Device_t::ip,    &Device_t::netmask,      &Device_t::gateway,         &Device_t::dhcp,
    };
    if (field < CODE || field > DHCP)
        return nullptr;
    return members[field];
}
} // namespace

QString deviceField(const Device_t& device, EnumFieldMandatory field)
{
    QString Device_t::*member = fieldMember(field);
    return member ? device.*member : QString();
}

void setDeviceField(Device_t& device, EnumFieldMandatory field, const QString& value)
{
    // Units and files written before codes were kept as the catalog writes them may give "1f80".
    if (QString Device_t::*member = fieldMember(field))
        device.*member = field == CODE ? device::canonicalCode(value) : value;
}
