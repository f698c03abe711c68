// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "noisesource.h"

namespace {
constexpr int kMaxAnswer = 64;
constexpr char kAnswerStart = '#';

// FNV-1a: stable across runs and Qt versions, unlike qHash.
quint32 seedOf(const QString& name)
{
    quint32 hash = 2166136261u;
    for (const char c : name.toUtf8()) {
        hash ^= quint8(c);
        hash *= 16777619u;
    }
    return hash;
}
} // namespace

NoiseSource::NoiseSource(const QString& seedName) : m_random(seedOf(seedName)) {}

QByteArray NoiseSource::answer()
{
    QByteArray bytes(int(m_random.bounded(1, kMaxAnswer + 1)), Qt::Uninitialized);
    for (char& c : bytes)
        c = nextExcept(kAnswerStart);
    return bytes;
}

QByteArray NoiseSource::unlike(const QByteArray& bytes)
{
    QByteArray noise(bytes.size(), Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        noise[i] = nextExcept(bytes.at(i));
    return noise;
}

char NoiseSource::nextExcept(char excluded)
{
    // 255 values: the excluded one is skipped over, so every other byte stays equally likely.
    const auto value = quint8(m_random.bounded(255u));
    return char(value >= quint8(excluded) ? value + 1 : value);
}
