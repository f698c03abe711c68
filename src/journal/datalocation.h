// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where the window and the command line keep what they remember between runs (the journal, the last
// scan): the user's application data directory, shared by both programs.
class DataLocation
{
public:
    static QString directory();
    // Creates the directory when it is missing; false when it cannot be made.
    static bool ensure(const QString& directory);
};
