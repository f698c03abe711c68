// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Why an image was refused, and where: line and column are 1-based, 0 for a fault of the whole file.
struct ImageFault
{
    int line = 0;
    int column = 0;
    QString what;

    bool isFault() const { return !what.isEmpty(); }
    static ImageFault at(int line, int column, const QString& what) { return ImageFault{line, column, what}; }
    static ImageFault ofFile(const QString& what) { return ImageFault{0, 0, what}; }
};
