// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a firmware file holds, found from its content (never from its name).
enum class FirmwareImageKind { PowerSupplyImage, SRecord, IntelHex };
