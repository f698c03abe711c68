// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// One veth pair: the tool side holds toolIp, the lab side labIp and the units.
struct LinkConfig
{
    QString name;
    quint32 toolIp = 0;
    quint32 labIp = 0;
    int prefix = 24;

    quint32 mask() const { return prefix <= 0 ? 0 : quint32(0xFFFFFFFFu << (32 - prefix)); }
    quint32 directedBroadcast() const { return (labIp & mask()) | ~mask(); }
};
