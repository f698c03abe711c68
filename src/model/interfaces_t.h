// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// One IPv4 address of a host interface, offered for scanning.
struct interfaces_t
{
    QString name;
    QString ip;
    QString mask;
    bool selected = true;
};
