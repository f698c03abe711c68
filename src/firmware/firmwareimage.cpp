// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/firmwareimage.h"

#include <QStringList>

DataStruct FirmwareImage::sections() const
{
    return ParseHex::sectionsOf(recordAddresses, recordData);
}

QString FirmwareImage::rangesText() const
{
    QStringList parts;
    for (const Range& range : ranges)
        parts << QStringLiteral("%1-%2").arg(QString::number(range.first, 16).toUpper(),
                                             QString::number(range.last, 16).toUpper());
    return parts.join(QLatin1String(", "));
}
