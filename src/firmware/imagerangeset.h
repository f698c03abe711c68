// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwareimage.h"

#include <QList>

// The addresses the data records of an image write, each with its line, to find two records that write
// one address and to sum up what the image covers.
class ImageRangeSet
{
public:
    struct Overlap
    {
        int line = 0; // the later of the two records in the file
        int earlierLine = 0;
        quint64 address = 0; // the first address both write
    };

    void add(quint64 first, quint64 last, int line) { m_entries.append({first, last, line}); }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // Sorts the entries; afterwards overlap() and merged() may be asked.
    void finish();
    // Two records that write one address, or line 0 when there are none.
    Overlap overlap() const;
    // The covered addresses, adjacent ranges joined.
    QList<FirmwareImage::Range> merged() const;

private:
    struct Entry
    {
        quint64 first;
        quint64 last;
        int line;
    };
    QList<Entry> m_entries;
};
