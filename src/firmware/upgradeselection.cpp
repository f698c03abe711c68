// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/upgradeselection.h"

#include "model/device.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

std::optional<FirmwareImageKind> UpgradeSelection::imageKindFor(const QString& code)
{
    // The order of the worker's dispatch: a Vesk supply is a power supply flashed like a beamline unit.
    if (device::isXport(code) || device::isKolvex(code))
        return FirmwareImageKind::IntelHex;
    if (device::isPsRecovery(code))
        return FirmwareImageKind::PowerSupplyImage;
    if (device::isVeskPowerSupply(code))
        return FirmwareImageKind::SRecord;
    if (device::isPowerSupply(code))
        return FirmwareImageKind::PowerSupplyImage;
    if (device::isBeamline(code))
        return FirmwareImageKind::SRecord;
    return std::nullopt;
}

QString UpgradeSelection::selectionProblem(const QList<Device_t>& units)
{
    for (const Device_t& unit : units) {
        if (device::isCurrentTr(unit.code))
            return tr("%1 is a current transducer: their firmware cannot be upgraded").arg(unit.mac);
        if (!imageKindFor(unit.code))
            return tr("%1 (code %2) has no firmware upgrade procedure").arg(unit.mac, unit.code);
        if (device::isKolvex(unit.code) && units.size() > 1)
            return tr("%1 is a motor driver: it is upgraded alone").arg(unit.mac);
        // Codes are compared as given: a sequence takes units of exactly one catalog code.
        if (unit.code != units.first().code)
            return tr("one catalog code per run: %1 is %2, %3 is %4")
                .arg(units.first().mac, units.first().code, unit.mac, unit.code);
    }
    return {};
}

QString UpgradeSelection::selectionProblem(const QList<Device_t>& units, int parallel)
{
    const bool motorDrivers = units.size() > 1 && std::all_of(units.cbegin(), units.cend(), [](const Device_t& unit) {
                                  return device::isKolvex(unit.code);
                              });
    if (!motorDrivers || parallel <= 1)
        return selectionProblem(units);
    // Two upgrades through one module would share its one tunnel.
    QStringList addresses;
    for (const Device_t& unit : units) {
        const QString problem = selectionProblem(QList<Device_t>{unit});
        if (!problem.isEmpty())
            return problem;
        if (unit.code != units.first().code)
            return tr("one catalog code per run: %1 is %2, %3 is %4")
                .arg(units.first().mac, units.first().code, unit.mac, unit.code);
        if (addresses.contains(unit.ip))
            return tr("%1 is behind the same module as another selected motor driver").arg(unit.mac);
        addresses << unit.ip;
    }
    return {};
}

QString UpgradeSelection::mismatch(const QString& path, FirmwareImageKind content, const QString& code)
{
    const std::optional<FirmwareImageKind> wanted = code.isEmpty() ? manualImageKind() : imageKindFor(code);
    if (!wanted || *wanted == content)
        return {};
    return tr("%1 looks like %2; the selected units are %3, which take %4 images")
        .arg(QFileInfo(path).fileName(), contentDescription(content), unitsDescription(code), fileEnding(*wanted));
}

FirmwareImageCheck::Result UpgradeSelection::checkImage(const QString& path, FirmwareImageKind wanted,
                                                        bool acceptOtherKind)
{
    const bool sentAsItIs = wanted == FirmwareImageKind::PowerSupplyImage;
    return FirmwareImageCheck::check(path,
                                     acceptOtherKind && sentAsItIs ? FirmwareImageCheck::detectKind(path) : wanted);
}

QString UpgradeSelection::contentDescription(FirmwareImageKind kind)
{
    switch (kind) {
    case FirmwareImageKind::SRecord:
        return tr("an S-record image");
    case FirmwareImageKind::IntelHex:
        return tr("an Intel HEX image");
    case FirmwareImageKind::PowerSupplyImage:
        break;
    }
    return tr("a binary power-supply image");
}

QString UpgradeSelection::fileEnding(FirmwareImageKind kind)
{
    switch (kind) {
    case FirmwareImageKind::SRecord:
        return QStringLiteral(".flash");
    case FirmwareImageKind::IntelHex:
        return QStringLiteral(".hex");
    case FirmwareImageKind::PowerSupplyImage:
        break;
    }
    return QStringLiteral(".updt");
}

QString UpgradeSelection::unitsDescription(const QString& code)
{
    if (code.isEmpty())
        return tr("power supplies (a manual address)");
    if (device::isXport(code) || device::isKolvex(code))
        return tr("motor drivers");
    if (device::isVeskPowerSupply(code))
        return tr("Vesk power supplies");
    if (device::isPowerSupply(code) || device::isPsRecovery(code))
        return tr("power supplies");
    return tr("beamline instruments");
}
