// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

// A unit's fields as people and files get them: a field of control bytes (a module ID of NUL bytes,
// a stray escape) is shown as nothing, a plain XPort module says what it is, and the DHCP state is
// always one word. Discovery keeps the bytes it received; the window and the command line clean them
// here before they show or write anything.
class UnitText
{
    Q_DECLARE_TR_FUNCTIONS(UnitText)

public:
    static constexpr const char* dhcpOn = "on";
    static constexpr const char* dhcpOff = "off";
    static constexpr const char* dhcpUnknown = "unknown";
    static constexpr const char* plainXportCode = "4100";

    // The text without the characters that print nothing sensible (control characters, NUL, unassigned
    // and private-use code points); spaces around what remains are dropped.
    static QString printable(const QString& text);
    // Every text field and extra pair of the unit, made printable; a plain XPort module (no motor driver
    // answered behind it) gets a group and a description that say so.
    static Device_t cleaned(const Device_t& device);
    static QList<Device_t> cleaned(const QList<Device_t>& devices);
    // "on" for "1", "off" for "0", "unknown" for anything else ("", "NA", "Unknown", "-").
    static QString dhcpWord(const QString& dhcp);
    static QString plainXportText();
};
