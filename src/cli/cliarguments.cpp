// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliarguments.h"

#include "netconf/changedeviceconfigurations.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QRegularExpression>

namespace {
constexpr quint32 allOnes = 0xFFFFFFFFu;
constexpr quint32 loopbackNet = 0x7F000000u;
constexpr quint32 loopbackMask = 0xFF000000u;
constexpr quint32 multicastNet = 0xE0000000u;
constexpr quint32 multicastMask = 0xF0000000u;

QString tr(const char* text)
{
    return QCoreApplication::translate("cliArguments", text);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}
} // namespace

namespace cliArguments {

QString checkAddress(const QString& what, const QString& text, quint32& value)
{
    value = changeNetworkConfiguration::parseAddress(text);
    if (value == 0 && text.trimmed() != QLatin1String("0.0.0.0"))
        return tr("%1: %2 is not an IPv4 address").arg(what, quoted(text));
    const bool unusable = value == 0 || value == allOnes || (value & loopbackMask) == loopbackNet ||
                          (value & multicastMask) == multicastNet;
    if (unusable)
        return tr("%1: %2 cannot be the address of a device").arg(what, QHostAddress(value).toString());
    return {};
}

QString checkMask(const QString& what, const QString& text, quint32& value)
{
    value = changeNetworkConfiguration::parseAddress(text);
    const quint32 hostBits = ~value;
    const bool contiguous = (hostBits & (hostBits + 1)) == 0;
    if (!contiguous || value == 0 || value == allOnes)
        return tr("%1: %2 is not a subnet mask").arg(what, quoted(text));
    return {};
}

QString checkMac(const QString& what, const QString& text, QString& normalised)
{
    static const QRegularExpression macPattern(QStringLiteral("^[0-9A-Fa-f]{2}([:-][0-9A-Fa-f]{2}){5}$"));
    if (!macPattern.match(text).hasMatch())
        return tr("%1: %2 is not a MAC address (six hexadecimal pairs such as 00:1A:2B:3C:4D:5E)")
            .arg(what, quoted(text));
    normalised = text.toUpper().replace(QLatin1Char('-'), QLatin1Char(':'));
    return {};
}

bool sameMac(const QString& first, const QString& second)
{
    const QByteArray firstBytes = changeNetworkConfiguration::parseMac(first);
    if (firstBytes.isEmpty())
        return first.compare(second, Qt::CaseInsensitive) == 0;
    return firstBytes == changeNetworkConfiguration::parseMac(second);
}

QString checkPositionals(const QStringList& given, const QStringList& names)
{
    if (given.size() < names.size())
        return tr("%1 is missing").arg(names.at(given.size()));
    if (given.size() > names.size())
        return tr("unexpected argument %1").arg(quoted(given.at(names.size())));
    return {};
}

QString checkNumber(const QString& what, const QString& text, int lowest, int highest, int& value)
{
    bool ok = false;
    value = text.toInt(&ok);
    if (!ok || value < lowest || value > highest)
        return tr("%1: %2 is not a number from %3 to %4").arg(what, quoted(text)).arg(lowest).arg(highest);
    return {};
}

QString checkOnOff(const QString& what, const QString& text, bool& on)
{
    const QString lower = text.toLower();
    on = lower == QLatin1String("on");
    if (!on && lower != QLatin1String("off"))
        return tr("%1: %2 is neither on nor off").arg(what, quoted(text));
    return {};
}

} // namespace cliArguments
