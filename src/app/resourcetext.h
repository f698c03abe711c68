// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The text of a compiled-in resource, its bytes read as Latin-1 up to the first NUL; empty when missing.
QString readResourceText(const QString& path);
