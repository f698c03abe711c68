// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/firmwarepacing.h"

namespace {
FirmwarePacing& instance()
{
    static FirmwarePacing pacing;
    return pacing;
}
} // namespace

const FirmwarePacing& FirmwarePacing::current()
{
    return instance();
}

void FirmwarePacing::setCurrent(const FirmwarePacing& pacing)
{
    instance() = pacing;
}
