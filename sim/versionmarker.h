// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayMatcher>
#include <QString>

// Finds the firmware version that the lab's test images carry as "KESTRION-FW-VERSION=" followed by
// the version (letters, digits, '.', '_', '-'), in a byte stream fed piece by piece. The first one wins.
class VersionMarker
{
public:
    static constexpr int kMaxVersionLength = 32;

    VersionMarker();

    void feed(const char* data, qint64 size);
    void feed(const QByteArray& data) { feed(data.constData(), data.size()); }
    // The version found so far; one still being read counts once the stream has ended.
    QString version() const { return QString::fromLatin1(m_version); }
    bool isDone() const { return m_state == State::Done; }

    static QByteArray marker();

private:
    enum class State { Searching, Reading, Done };

    void search(const char* data, qint64 size);
    void read(const char* data, qint64 size);
    void keepTail(const char* data, qint64 size);

    QByteArrayMatcher m_matcher;
    State m_state = State::Searching;
    QByteArray m_tail;
    QByteArray m_version;
};
