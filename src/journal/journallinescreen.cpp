// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journallinescreen.h"

#include <algorithm>

namespace {
QByteArray utcText(const QDateTime& time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODateWithMs).toLatin1() : QByteArray();
}

bool writtenAsItIs(const QString& text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7f && c != QLatin1Char('"') && c != QLatin1Char('\\');
    });
}
} // namespace

JournalLineScreen::JournalLineScreen(const JournalFilter& filter)
    : m_since(utcText(filter.since)), m_until(utcText(filter.until))
{
    if (!filter.mac.isEmpty()) {
        m_macColons = JournalFilter::normalisedMac(filter.mac).toLatin1().toLower();
        m_macDashes = QByteArray(m_macColons).replace(':', '-');
    }
    if (!filter.text.isEmpty() && writtenAsItIs(filter.text))
        m_text = filter.text.toLatin1().toLower();
}

bool JournalLineScreen::beginMayMatch(const QByteArray& line, const QByteArray& lowerLine) const
{
    if (!m_since.isEmpty() || !m_until.isEmpty()) {
        // Times are written in UTC with milliseconds, so their texts sort as the times do.
        const QByteArray time = JournalFilter::rawValue(line, "timeUtc");
        if (!m_since.isEmpty() && !time.isEmpty() && time < m_since)
            return false;
        if (!m_until.isEmpty() && !time.isEmpty() && time >= m_until)
            return false;
    }
    return m_macColons.isEmpty() || lowerLine.contains(m_macColons) || lowerLine.contains(m_macDashes);
}
