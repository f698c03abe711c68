// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QJsonObject>
#include <QString>

// The instrument a journal record is about, as it was known when the change began.
struct JournalUnit
{
    QString mac;
    QString serial;
    QString code;
    QString family;
    QString device;
    QString ip;

    static JournalUnit fromDevice(const Device_t& device);
    QJsonObject toJson() const;
    static JournalUnit fromJson(const QJsonObject& object);
};
