// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/datalocation.h"

#include <QDir>
#include <QStandardPaths>

QString DataLocation::directory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool DataLocation::ensure(const QString& directory)
{
    return !directory.isEmpty() && QDir().mkpath(directory);
}
