// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QStringList>

// Whether a rescan shows the network settings that were sent, field by field: a change counts as taken only
// when the unit answers with every one of them. A unit that answers from its new address with DHCP still on
// has not taken a "DHCP off".
class SentSettingsCheck
{
    Q_DECLARE_TR_FUNCTIONS(SentSettingsCheck)

public:
    // `sent` in the journal's form (JournalValues::network); `seen` the unit as the rescan found it, or
    // nullptr when it did not answer. One text per field that differs ("DHCP on, sent off"); empty when
    // the unit shows them all. A field the unit does not report (DHCP on units without it) is not held
    // against it, and with DHCP sent on the addresses are the server's to choose.
    static QStringList differences(const QJsonObject& sent, const Device_t* seen);

private:
    static QString label(const char* key);
};
