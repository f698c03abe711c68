// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "resources/appresources.h"

#include <QtGlobal>

void initAppResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(app);
        Q_INIT_RESOURCE(i18n);
        return true;
    }();
    Q_UNUSED(registered);
}
