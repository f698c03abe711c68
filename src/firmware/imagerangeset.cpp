// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/imagerangeset.h"

#include <algorithm>

void ImageRangeSet::finish()
{
    std::sort(m_entries.begin(), m_entries.end(),
              [](const Entry& a, const Entry& b) { return a.first != b.first ? a.first < b.first : a.line < b.line; });
}

ImageRangeSet::Overlap ImageRangeSet::overlap() const
{
    // The entry reaching furthest so far is the one a later start can run into.
    const Entry* reach = nullptr;
    for (const Entry& entry : m_entries) {
        if (reach && entry.first <= reach->last) {
            const bool entryLater = entry.line > reach->line;
            return {entryLater ? entry.line : reach->line, entryLater ? reach->line : entry.line, entry.first};
        }
        if (!reach || entry.last > reach->last)
            reach = &entry;
    }
    return {};
}

QList<FirmwareImage::Range> ImageRangeSet::merged() const
{
    QList<FirmwareImage::Range> ranges;
    for (const Entry& entry : m_entries) {
        if (!ranges.isEmpty() && entry.first <= ranges.last().last + 1) {
            ranges.last().last = std::max(ranges.last().last, entry.last);
            continue;
        }
        ranges.append({entry.first, entry.last});
    }
    return ranges;
}
