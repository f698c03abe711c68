// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "flashmemory.h"

#include <QCryptographicHash>

#include <algorithm>

namespace {
constexpr char kErased = char(0xFF);
constexpr char kOldFirmware = 0;
} // namespace

bool FlashMemory::erase(int sector)
{
    if (sector < 0 || sector >= kSectors)
        return false;
    m_sectors.insert(quint32(sector), QByteArray(int(kSectorSize), kErased));
    return true;
}

bool FlashMemory::write(quint32 address, const QByteArray& data)
{
    if (!isErased(address, quint64(data.size())))
        return false;
    quint64 at = address;
    int from = 0;
    while (from < data.size()) {
        const quint32 offset = quint32(at % kSectorSize);
        const int piece = int(std::min<quint64>(kSectorSize - offset, quint64(data.size() - from)));
        m_sectors[quint32(at / kSectorSize)].replace(int(offset), piece, data.constData() + from, piece);
        at += quint64(piece);
        from += piece;
    }
    remember(address, quint64(address) + quint64(data.size()));
    return true;
}

QByteArray FlashMemory::read(quint32 address, quint64 length) const
{
    QByteArray bytes;
    for (quint64 at = address; at < quint64(address) + length;) {
        const quint32 offset = quint32(at % kSectorSize);
        const int piece = int(std::min<quint64>(kSectorSize - offset, quint64(address) + length - at));
        const auto sector = m_sectors.constFind(quint32(at / kSectorSize));
        bytes += sector == m_sectors.constEnd() ? QByteArray(piece, kOldFirmware) : sector->mid(int(offset), piece);
        at += quint64(piece);
    }
    return bytes;
}

bool FlashMemory::isErased(quint32 address, quint64 length) const
{
    for (quint64 at = address; at < quint64(address) + length; ++at) {
        const auto sector = m_sectors.constFind(quint32(at / kSectorSize));
        if (sector == m_sectors.constEnd() || sector->at(int(at % kSectorSize)) != kErased)
            return false;
    }
    return true;
}

void FlashMemory::remember(quint64 start, quint64 end)
{
    if (start == end)
        return;
    // Merge with every stretch that overlaps or touches [start, end).
    auto it = m_written.upperBound(start);
    if (it != m_written.begin()) {
        auto before = it;
        --before;
        if (before.value() >= start)
            it = before;
    }
    while (it != m_written.end() && it.key() <= end) {
        start = std::min(start, it.key());
        end = std::max(end, it.value());
        it = m_written.erase(it);
    }
    m_written.insert(start, end);
}

QList<FlashMemory::Region> FlashMemory::writtenRegions() const
{
    QList<Region> regions;
    for (auto it = m_written.constBegin(); it != m_written.constEnd(); ++it) {
        Region region;
        region.start = quint32(it.key());
        region.length = it.value() - it.key();
        region.sha256 = QCryptographicHash::hash(read(region.start, region.length), QCryptographicHash::Sha256);
        regions.append(region);
    }
    return regions;
}
