// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "versionmarker.h"

#include <algorithm>
#include <limits>

namespace {
const QByteArray kMarker = QByteArrayLiteral("KESTRION-FW-VERSION=");
// The matcher takes int lengths: long pieces are searched in slices that overlap by the marker.
constexpr qint64 kSlice = std::numeric_limits<int>::max() / 2;

bool isVersionCharacter(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' || c == '_' ||
           c == '-';
}
} // namespace

VersionMarker::VersionMarker() : m_matcher(kMarker) {}

QByteArray VersionMarker::marker()
{
    return kMarker;
}

void VersionMarker::feed(const char* data, qint64 size)
{
    if (size <= 0)
        return;
    if (m_state == State::Searching)
        search(data, size);
    else if (m_state == State::Reading)
        read(data, size);
}

void VersionMarker::search(const char* data, qint64 size)
{
    // A marker split between two pieces: the previous piece's tail joined with this piece's head.
    const QByteArray joined = m_tail + QByteArray(data, int(std::min<qint64>(size, kMarker.size() - 1)));
    const int across = m_matcher.indexIn(joined);
    if (across >= 0) {
        m_state = State::Reading;
        const qint64 after = across + kMarker.size() - m_tail.size();
        read(data + after, size - after);
        return;
    }
    for (qint64 from = 0; from < size; from += kSlice) {
        const qint64 length = std::min<qint64>(size - from, kSlice + kMarker.size());
        const int at = m_matcher.indexIn(data + from, int(length));
        if (at >= 0) {
            m_state = State::Reading;
            const qint64 after = from + at + kMarker.size();
            read(data + after, size - after);
            return;
        }
    }
    keepTail(data, size);
}

void VersionMarker::read(const char* data, qint64 size)
{
    for (qint64 i = 0; i < size; ++i) {
        if (m_version.size() == kMaxVersionLength) {
            m_state = State::Done;
            return;
        }
        if (!isVersionCharacter(data[i])) {
            // A marker with nothing after it names no version: look for the next one.
            m_state = m_version.isEmpty() ? State::Searching : State::Done;
            m_tail.clear();
            if (m_state == State::Searching)
                search(data + i, size - i);
            return;
        }
        m_version.append(data[i]);
    }
}

void VersionMarker::keepTail(const char* data, qint64 size)
{
    const int keep = kMarker.size() - 1;
    if (size >= keep) {
        m_tail = QByteArray(data + size - keep, keep);
        return;
    }
    m_tail = (m_tail + QByteArray(data, int(size))).right(keep);
}
