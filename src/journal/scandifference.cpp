// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/scandifference.h"

#include "model/fieldtables.h"
#include "model/unittext.h"

#include <QHash>

namespace {
QString comparable(const Device_t& device, EnumFieldMandatory field)
{
    const QString text = deviceField(device, field);
    if (field == DHCP)
        return UnitText::dhcpWord(text);
    // Units and files write MACs in either case and with either separator.
    return field == MAC ? text.toUpper().replace(QLatin1Char('-'), QLatin1Char(':')) : text;
}
} // namespace

ScanDifference ScanDifference::between(const ScanSnapshot::Scan& previous, const QList<Device_t>& current)
{
    ScanDifference difference;
    difference.previousScan = previous.taken;
    const QList<Device_t> before = UnitText::cleaned(previous.devices);
    // A key may appear more than once (two units with one MAC): each earlier unit matches one unit now.
    QHash<QString, QList<int>> earlierByKey;
    for (int i = 0; i < before.size(); ++i)
        earlierByKey[matchKey(before.at(i))].append(i);
    QVector<bool> matched(before.size(), false);
    for (const Device_t& device : UnitText::cleaned(current)) {
        QList<int>& candidates = earlierByKey[matchKey(device)];
        if (candidates.isEmpty()) {
            difference.added.append(device);
            continue;
        }
        const int index = candidates.takeFirst();
        matched[index] = true;
        const QList<FieldChange> fields = fieldChanges(before.at(index), device);
        if (!fields.isEmpty())
            difference.changed.append({device, fields});
    }
    for (int i = 0; i < before.size(); ++i) {
        if (!matched.at(i))
            difference.removed.append({before.at(i), previous.taken});
    }
    return difference;
}

QString ScanDifference::matchKey(const Device_t& device)
{
    if (!device.mac.trimmed().isEmpty())
        return QStringLiteral("MAC:") + device.mac.trimmed().toUpper().replace(QLatin1Char('-'), QLatin1Char(':'));
    if (!device.serialNumber.trimmed().isEmpty())
        return QStringLiteral("SN:") + device.serialNumber.trimmed();
    return QStringLiteral("IP:") + device.ip.trimmed();
}

QList<ScanDifference::FieldChange> ScanDifference::fieldChanges(const Device_t& before, const Device_t& after)
{
    QList<FieldChange> changes;
    for (auto it = FieldMandatoryMap.cbegin(); it != FieldMandatoryMap.cend(); ++it) {
        const QString old = comparable(before, it.key());
        const QString now = comparable(after, it.key());
        if (old != now)
            changes.append({it.value(), old, now});
    }
    return changes;
}
