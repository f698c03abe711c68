// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/upgradeverification.h"

#include <algorithm>

namespace {
// A module identifier of NUL bytes or other control characters names nothing.
QString printable(const QString& text)
{
    QString kept;
    for (const QChar character : text) {
        if (character.isPrint())
            kept += character;
    }
    return kept.trimmed();
}

QString unitName(const Device_t& device)
{
    const QString moduleId = printable(device.moduleId);
    const QString label = !moduleId.isEmpty() ? moduleId : !device.group.isEmpty() ? device.group : device.ip;
    return label.isEmpty() ? device.mac : QStringLiteral("%1 (%2)").arg(label, device.mac);
}

QString shown(const QString& version)
{
    return version.isEmpty() ? QCoreApplication::translate("UpgradeVerification", "unknown") : version;
}
} // namespace

UpgradeVerification::UpgradeVerification(const Device_t& before, const QList<Device_t>& found)
    : m_unit(unitName(before)), m_mac(before.mac), m_before(before.firmwareVersion)
{
    const auto same = std::find_if(found.cbegin(), found.cend(), [&before](const Device_t& device) {
        return device.mac.compare(before.mac, Qt::CaseInsensitive) == 0;
    });
    m_answered = same != found.cend();
    if (m_answered)
        m_after = same->firmwareVersion;
}

bool UpgradeVerification::versionUncheckable() const
{
    return m_answered && (!isVersion(m_before) || !isVersion(m_after));
}

bool UpgradeVerification::isVersion(const QString& version)
{
    return std::any_of(version.cbegin(), version.cend(), [](QChar c) { return c.isDigit(); });
}

int UpgradeVerification::unanswered(const QList<Device_t>& upgraded, const QList<Device_t>& found)
{
    return int(std::count_if(upgraded.cbegin(), upgraded.cend(),
                             [&found](const Device_t& unit) { return !UpgradeVerification(unit, found).answered(); }));
}

QString UpgradeVerification::logLine() const
{
    if (!m_answered)
        return tr("WARNING: %1 did not answer the scan after its upgrade: its new firmware version is not known.")
            .arg(m_unit);
    if (versionUncheckable())
        return tr("WARNING: %1 reports no firmware version: whether it took the new firmware cannot be checked "
                  "by a scan; it confirmed the upgrade itself.")
            .arg(m_unit);
    const QString change = QStringLiteral("%1: %2 \u2192 %3").arg(m_unit, shown(m_before), shown(m_after));
    if (verified())
        return change;
    return tr("WARNING: %1: the unit still reports version %2: the new firmware may not have been taken.")
        .arg(m_unit, shown(m_after));
}
