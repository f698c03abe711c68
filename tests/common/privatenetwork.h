// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/testskip.h"

#include <QProcess>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sched.h>

// Moves the whole test process into a network namespace of its own with only a loopback link up, so
// that its traffic can reach nothing but itself. Call it first in main(), before any thread exists:
// the namespace is per thread and inherited by the threads made afterwards.
//
//     int main(int argc, char** argv)
//     {
//         if (!enterPrivateNetwork())
//             return exitCodeWithoutNamespace();
//         ...
inline bool enterPrivateNetwork()
{
    if (!runningAsRoot()) {
        reportSkip("creating a private network namespace needs root");
        return false;
    }
    if (unshare(CLONE_NEWNET) != 0) {
        std::fprintf(stderr, "cannot create a private network namespace: %s\n", std::strerror(errno));
        return false;
    }
    if (QProcess::execute(QStringLiteral("ip"), {"link", "set", "lo", "up"}) != 0) {
        std::fprintf(stderr, "cannot bring up loopback in the private namespace\n");
        return false;
    }
    return true;
}

// What main() returns when enterPrivateNetwork() failed: ctest's skip code without root, a failure otherwise.
inline int exitCodeWithoutNamespace()
{
    return runningAsRoot() ? 1 : skipExitCode;
}
