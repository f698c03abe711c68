// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dspflash.h"

namespace {
constexpr char kErased = char(0xFF);

struct Sector
{
    quint8 bit;
    quint32 first;
    quint32 end;
};

// The lowest sector keeps the drive's parameters: its bit lies outside the usual selection 0B.
constexpr Sector kSectors[] = {{0x01, 0x3E8000, 0x3F0000},
                               {0x02, 0x3F0000, 0x3F8000},
                               {0x04, 0x3D8000, 0x3E8000},
                               {0x08, 0x3F8000, DspFlash::kEndWord}};
constexpr quint8 kKnownSectors = 0x0F;
} // namespace

DspFlash::DspFlash()
    : m_cells(int(kEndWord - kFirstWord) * 2, kErased), m_programmed(size_t(kEndWord - kFirstWord), false)
{}

bool DspFlash::covers(quint32 wordAddress, int bytes)
{
    return wordAddress >= kFirstWord && wordAddress < kEndWord &&
           quint64(wordAddress) + quint64((bytes + 1) / 2) <= kEndWord;
}

bool DspFlash::erase(quint8 selection, QList<Span>* erased)
{
    if (selection == 0 || (selection & ~kKnownSectors) != 0)
        return false;
    for (const Sector& sector : kSectors) {
        if ((selection & sector.bit) == 0)
            continue;
        const int from = offset(sector.first);
        const int length = int(sector.end - sector.first) * 2;
        m_cells.replace(from, length, QByteArray(length, kErased));
        std::fill(m_programmed.begin() + (sector.first - kFirstWord), m_programmed.begin() + (sector.end - kFirstWord),
                  false);
        if (erased)
            erased->append({sector.first, sector.end - sector.first});
    }
    m_factoryImage = false;
    return true;
}

DspFlash::WriteResult DspFlash::write(quint32 wordAddress, const QByteArray& bytes, quint32* firstUnerased)
{
    if (!covers(wordAddress, bytes.size()))
        return WriteResult::OutsideFlash;
    WriteResult result = WriteResult::Written;
    const int at = offset(wordAddress);
    for (int i = 0; i < bytes.size(); ++i) {
        if (m_cells.at(at + i) != kErased && result == WriteResult::Written) {
            result = WriteResult::NotErased;
            if (firstUnerased)
                *firstUnerased = wordAddress + quint32(i / 2);
        }
        m_cells[at + i] = char(m_cells.at(at + i) & bytes.at(i));
    }
    const size_t first = wordAddress - kFirstWord;
    std::fill(m_programmed.begin() + first, m_programmed.begin() + first + (bytes.size() + 1) / 2, true);
    return result;
}

bool DspFlash::matches(quint32 wordAddress, const QByteArray& bytes) const
{
    return covers(wordAddress, bytes.size()) && m_cells.mid(offset(wordAddress), bytes.size()) == bytes;
}

QList<DspFlash::Range> DspFlash::programmedRanges() const
{
    QList<Range> ranges;
    size_t word = 0;
    while (word < m_programmed.size()) {
        if (!m_programmed[word]) {
            ++word;
            continue;
        }
        size_t end = word;
        while (end < m_programmed.size() && m_programmed[end])
            ++end;
        ranges.append({kFirstWord + quint32(word), m_cells.mid(int(word) * 2, int(end - word) * 2)});
        word = end;
    }
    return ranges;
}
