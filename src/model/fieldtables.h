// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QMap>
#include <QString>

enum EnumFamilyID : int { POWER_SUPPLY_SYSTEMS = 0, BEAMLINE = 1, CURRENT_TRANSDUCERS = 2, TOOLS = 3 };

// The enumerator value is the position of the matching member in Device_t.
enum EnumFieldMandatory : int {
    CODE = 0,
    ID = 1,
    FAMILY = 2,
    DEVICE = 3,
    BRAND = 4,
    SN = 5,
    FW = 6,
    MAC = 7,
    IP = 8,
    NETMASK = 9,
    GATEWAY = 10,
    DHCP = 11
};

enum EnumBrands : int { NO_BRAND = 0, NORRETH = 1, VALDIS = 2, PEMBRY = 3, TORQUIL = 4 };

// Read-only tables; QMap::value() gives an empty text for a key outside a table (the fixed
// underlying type makes such keys, read from a file or a cell, valid values).
extern const QMap<EnumFamilyID, QString> FamilyIDMap;
extern const QMap<EnumFieldMandatory, QString> FieldMandatoryMap;
extern const QMap<EnumFieldMandatory, QString> DescriptionMandatoryMap;
extern const QMap<EnumBrands, QString> BrandsMap;
extern const QMap<EnumBrands, QString> BrandExtensionMap;

// The text member of a record named by its keyword index (CODE to DHCP).
QString deviceField(const Device_t& device, EnumFieldMandatory field);
// Sets a text member by its keyword index; indexes outside CODE to DHCP are ignored.
void setDeviceField(Device_t& device, EnumFieldMandatory field, const QString& value);
