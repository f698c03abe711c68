// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDomElement>
#include <QString>

// The compiled-in model catalog (":/files/resources/devices.xml"). A code made
// of hexadecimal digits is one code whatever the case of its letters (units and
// older files give "1f80" for the catalog's "1F80"); every other text is compared
// exactly. An unknown code yields empty texts.
namespace device {
// The code as the catalog writes it: hexadecimal letters in upper case; any
// other text unchanged.
QString canonicalCode(const QString& code);
QString getParameter(QString value, int index);
QString getId(QString value);
QString getFamily(QString value);
QString getGroup(QString value);
QString getImage(QString value);
QString getDesc(QString value);

bool isPowerSupply(QString code);
bool isBeamline(QString code);
bool isCurrentTr(QString code);
bool isKolvex(QString code);
bool isXport(QString code);
bool isPsRecovery(QString code);
bool isZarn(QString code);
bool isBlRecovery(QString code);
bool isVeskPowerSupply(QString code);
bool isDravoTester(QString code);
bool isHalvo(QString code);
} // namespace device

// First element below parent, in document order, whose text equals value.
QDomElement findElement(QDomElement parent, const QString& value);
