// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journaltext.h"

#include "journal/journalvalues.h"
#include "model/unittext.h"

#include <QFileInfo>
#include <QStringList>

namespace {
constexpr auto arrow = " \u2192 ";
constexpr auto timeFormat = "yyyy-MM-dd HH:mm:ss";
const char* const shownKeys[] = {JournalValues::ipKey, JournalValues::maskKey, JournalValues::gatewayKey,
                                 JournalValues::dhcpKey, JournalValues::firmwareVersionKey};
} // namespace

QString JournalText::time(const QDateTime& time)
{
    return time.toLocalTime().toString(QLatin1String(timeFormat));
}

// A journal is a file anyone may have edited: what it holds is shown as unit text is, without the
// control characters that would reach a terminal as escape sequences.
QString JournalText::user(const QString& user)
{
    return UnitText::printable(user);
}

QString JournalText::unit(const JournalUnit& unit)
{
    QStringList details;
    for (const QString& part : {UnitText::printable(unit.serial), UnitText::printable(unit.ip)}) {
        if (!part.isEmpty())
            details.append(part);
    }
    const QString mac = UnitText::printable(unit.mac);
    const QString name = mac.isEmpty() ? tr("unknown unit") : mac;
    return details.isEmpty() ? name : name + QStringLiteral(" (") + details.join(QStringLiteral(", ")) + ')';
}

QString JournalText::kind(JournalRecord::Kind kind)
{
    switch (kind) {
    case JournalRecord::Kind::NetworkSettings:
        return tr("network settings");
    case JournalRecord::Kind::FirmwareUpgrade:
        return tr("firmware upgrade");
    case JournalRecord::Kind::Undo:
        return tr("undo");
    }
    return QString();
}

QString JournalText::change(const JournalRecord& record)
{
    // What the end of the change reported (the version after an upgrade) stands for the new side.
    QJsonObject after = record.after;
    for (auto it = record.result.begin(); it != record.result.end(); ++it)
        after.insert(it.key(), it.value());
    QStringList parts;
    for (const char* name : shownKeys) {
        const QString key = QLatin1String(name);
        if (!record.before.contains(key) && !after.contains(key))
            continue;
        const QString old = valueText(record.before.value(key));
        const QString now = after.contains(key) ? valueText(after.value(key)) : QStringLiteral("?");
        if (old != now)
            parts.append(label(key) + QLatin1Char(' ') + old + QString::fromUtf8(arrow) + now);
    }
    const QString file = after.value(QLatin1String(JournalValues::fileKey)).toString();
    if (!file.isEmpty())
        parts.append(tr("file %1").arg(UnitText::printable(QFileInfo(file).fileName())));
    return parts.isEmpty() ? tr("no change") : parts.join(QStringLiteral(", "));
}

QString JournalText::outcome(const JournalRecord& record)
{
    const QString word = JournalRecord::outcomeName(record.outcome);
    if (record.outcome == JournalRecord::Outcome::Succeeded || record.message.isEmpty())
        return word;
    return word + QStringLiteral(": ") + UnitText::printable(record.message);
}

QString JournalText::label(const QString& key)
{
    if (key == QLatin1String(JournalValues::ipKey))
        return tr("IP");
    if (key == QLatin1String(JournalValues::maskKey))
        return tr("mask");
    if (key == QLatin1String(JournalValues::gatewayKey))
        return tr("gateway");
    if (key == QLatin1String(JournalValues::dhcpKey))
        return tr("DHCP");
    if (key == QLatin1String(JournalValues::firmwareVersionKey))
        return tr("firmware");
    return key;
}

QString JournalText::valueText(const QJsonValue& value)
{
    const QString text = UnitText::printable(value.toVariant().toString());
    return text.isEmpty() ? QStringLiteral("-") : text;
}
