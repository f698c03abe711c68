// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// Qt 5.15's JSON parser leaks the earlier value of a key that an object repeats, so any host
// on the link could grow our memory with crafted discovery answers; such texts never reach it.
namespace jsonanswer {
// A 2048-byte datagram re-encoded as UTF-8 (each invalid byte as U+FFFD) grows at most threefold.
constexpr int maxBytes = 3 * 2048;
// Answers are flat objects of strings; anything nested deeper is no device.
constexpr int maxDepth = 16;

// False when the UTF-8 text is longer than maxBytes, nests deeper than maxDepth, holds an object
// that repeats a key (compared after unescaping, as the parser does) or cannot be followed at all.
bool isAcceptable(const QByteArray& utf8);
} // namespace jsonanswer
