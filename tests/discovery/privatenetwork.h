// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sched.h>

// Moves the whole test process into a network namespace of its own with only a
// loopback link up, so that its traffic can reach nothing but itself.
inline bool enterPrivateNetwork()
{
    if (unshare(CLONE_NEWNET) != 0) {
        std::fprintf(stderr, "cannot create a private network namespace: %s\n", std::strerror(errno));
        return false;
    }
    const int status = QProcess::execute(QStringLiteral("ip"), {"link", "set", "lo", "up"});
    if (status != 0) {
        std::fprintf(stderr, "cannot bring up loopback in the private namespace\n");
        return false;
    }
    return true;
}
