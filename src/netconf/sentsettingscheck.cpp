// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netconf/sentsettingscheck.h"

#include "journal/journalvalues.h"
#include "model/unittext.h"
#include "netconf/changedeviceconfigurations.h"

namespace {
QString value(const QJsonObject& values, const char* key)
{
    return values.value(QLatin1String(key)).toString();
}

bool isDhcpWord(const QString& word)
{
    return word == QLatin1String(UnitText::dhcpOn) || word == QLatin1String(UnitText::dhcpOff);
}
} // namespace

QString SentSettingsCheck::label(const char* key)
{
    const QLatin1String name(key);
    if (name == QLatin1String(JournalValues::ipKey))
        return tr("IP");
    if (name == QLatin1String(JournalValues::maskKey))
        return tr("mask");
    if (name == QLatin1String(JournalValues::gatewayKey))
        return tr("gateway");
    return tr("DHCP");
}

QStringList SentSettingsCheck::differences(const QJsonObject& sent, const Device_t* seen)
{
    if (!seen)
        return {tr("the unit did not answer the rescan")};
    const QJsonObject shown = JournalValues::network(*seen);
    QStringList differ;
    const auto compare = [&](const char* key, bool same) {
        if (!same)
            differ << tr("%1 %2, sent %3").arg(label(key), value(shown, key), value(sent, key));
    };
    const QString sentDhcp = value(sent, JournalValues::dhcpKey);
    const QString shownDhcp = value(shown, JournalValues::dhcpKey);
    for (const char* key : {JournalValues::ipKey, JournalValues::maskKey, JournalValues::gatewayKey}) {
        if (sent.contains(QLatin1String(key)) && sentDhcp != QLatin1String(UnitText::dhcpOn))
            compare(key, changeNetworkConfiguration::parseAddress(value(shown, key)) ==
                             changeNetworkConfiguration::parseAddress(value(sent, key).trimmed()));
    }
    if (isDhcpWord(sentDhcp) && isDhcpWord(shownDhcp))
        compare(JournalValues::dhcpKey, sentDhcp == shownDhcp);
    return differ;
}
