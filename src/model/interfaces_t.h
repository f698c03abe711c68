// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// One IPv4 address of a host interface, offered for scanning.
struct interfaces_t
{
    QString name;
    QString ip;
    QString mask;
    bool selected = true;
};

// The interface list travels in signals, and queued connections and signal spies need it as a meta type.
Q_DECLARE_METATYPE(interfaces_t)
Q_DECLARE_METATYPE(QList<interfaces_t>)
