// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Checks of the values typed on the command line. Each check returns an empty text
// for a good value (and hands the parsed value out), else one line naming it.
namespace cliArguments {
// A device or gateway address: full dotted IPv4, not 0.0.0.0, broadcast, loopback or multicast.
QString checkAddress(const QString& what, const QString& text, quint32& value);
// A subnet mask: full dotted IPv4 with contiguous ones, neither 0.0.0.0 nor 255.255.255.255.
QString checkMask(const QString& what, const QString& text, quint32& value);
// Six two-digit hexadecimal groups separated by ":" or "-"; handed out upper case with ":".
QString checkMac(const QString& what, const QString& text, QString& normalised);
// Whether two MAC texts name the same unit, whatever their letter case.
bool sameMac(const QString& first, const QString& second);
// Exactly the positional arguments named (e.g. {"MAC"}), no more, no fewer.
QString checkPositionals(const QStringList& given, const QStringList& names);
// A number from lowest to highest.
QString checkNumber(const QString& what, const QString& text, int lowest, int highest, int& value);
// "ON" or "off" in any case.
QString checkOnOff(const QString& what, const QString& text, bool& on);
} // namespace cliArguments
