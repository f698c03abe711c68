// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// A datagram as heard on a link, with the destination the sender chose (broadcast or a unit's address).
struct ReceivedDatagram
{
    quint32 src = 0;
    quint16 srcPort = 0;
    quint32 dst = 0;
    QByteArray data;
};
