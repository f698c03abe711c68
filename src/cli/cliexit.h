// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The exit codes of kestrion-cli; scripts rely on them, so they never change.
namespace cliExit {
inline constexpr int success = 0;
inline constexpr int failed = 1;
inline constexpr int badUsage = 2;
inline constexpr int nothingFound = 3;
} // namespace cliExit
