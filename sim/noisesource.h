// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QRandomGenerator>
#include <QString>

// Pseudo-random bytes from a seed fixed by a name, so that a lab misbehaves the same way on every run.
class NoiseSource
{
public:
    explicit NoiseSource(const QString& seedName);

    // 1 to 64 bytes without '#', so that no run of answers ever holds an acceptance such as "#AK".
    QByteArray answer();
    // As many bytes as `bytes`, each one different from the byte it stands for.
    QByteArray unlike(const QByteArray& bytes);

private:
    char nextExcept(char excluded);

    QRandomGenerator m_random;
};
