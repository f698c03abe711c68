// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <unistd.h>

// A test that cannot run here (no root for its namespaces) exits with this code, and kestrion_add_test()
// sets it as the test's SKIP_RETURN_CODE, so ctest reports it as skipped rather than passed or failed.
constexpr int skipExitCode = 77;

inline bool runningAsRoot()
{
    return geteuid() == 0;
}

inline void reportSkip(const char* reason)
{
    std::fprintf(stderr, "SKIPPED: %s\n", reason);
}
