// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bootstreamreader.h"

namespace {
constexpr int kWord = 2;
constexpr int kLong = 4;
constexpr int kEntryAt = kWord + BootStreamReader::kReservedWords * kWord;
constexpr int kFirstBlockAt = kEntryAt + kLong;
// Far beyond any loader that fits the DSP's RAM: a stream this long is not a loader.
constexpr int kMaxStream = 1 << 20;

QString hexWord(quint32 value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}
} // namespace

void BootStreamReader::clear()
{
    m_bytes.clear();
    m_status = Status::Reading;
    m_problem.clear();
    m_entry = 0;
    m_blocks.clear();
}

BootStreamReader::Status BootStreamReader::feed(const QByteArray& bytes)
{
    if (m_status == Status::Bad)
        return m_status;
    m_bytes += bytes;
    m_status = m_bytes.size() > kMaxStream ? bad(QStringLiteral("longer than %1 bytes").arg(kMaxStream)) : parse();
    return m_status;
}

// The whole stream is read again from the start on every chunk: a loader is only some 30 KB.
BootStreamReader::Status BootStreamReader::parse()
{
    m_blocks.clear();
    if (!need(0, kWord, QStringLiteral("the key")))
        return Status::Reading;
    if (wordAt(0) != kKey)
        return bad(QStringLiteral("key %1, not %2").arg(hexWord(wordAt(0), 4), hexWord(kKey, 4)));
    if (!need(kEntryAt, kLong, QStringLiteral("the entry point")))
        return Status::Reading;
    m_entry = longAt(kEntryAt);
    int at = kFirstBlockAt;
    for (;;) {
        const int index = m_blocks.size() + 1;
        if (!need(at, kWord, QStringLiteral("the word count of block %1").arg(index)))
            return Status::Reading;
        const int words = wordAt(at);
        if (words == 0)
            break;
        if (!need(at + kWord, kLong + words * kWord, QStringLiteral("block %1 of %2 words").arg(index).arg(words)))
            return Status::Reading;
        m_blocks.append({longAt(at + kWord), words});
        at += kWord + kLong + words * kWord;
    }
    const int end = at + kWord;
    if (end != m_bytes.size())
        return bad(QStringLiteral("%1 bytes after the closing block (stream of %2 bytes, layout accounts for %3)")
                       .arg(m_bytes.size() - end)
                       .arg(m_bytes.size())
                       .arg(end));
    if (m_blocks.isEmpty())
        return bad(QStringLiteral("no block before the closing one"));
    if (!entryIsLoaded())
        return bad(QStringLiteral("entry point %1 lies in no loaded block").arg(hexWord(m_entry, 6)));
    m_problem.clear();
    return Status::Complete;
}

bool BootStreamReader::need(int at, int count, const QString& what)
{
    if (at + count <= m_bytes.size())
        return true;
    m_problem = QStringLiteral("the stream stops after %1 bytes, inside %2").arg(m_bytes.size()).arg(what);
    return false;
}

BootStreamReader::Status BootStreamReader::bad(const QString& problem)
{
    m_problem = problem;
    return Status::Bad;
}

quint16 BootStreamReader::wordAt(int at) const
{
    return quint16(quint8(m_bytes.at(at)) | quint8(m_bytes.at(at + 1)) << 8);
}

quint32 BootStreamReader::longAt(int at) const
{
    return quint32(wordAt(at)) << 16 | wordAt(at + kWord);
}

bool BootStreamReader::entryIsLoaded() const
{
    for (const Block& block : m_blocks) {
        if (m_entry >= block.destination && quint64(m_entry) < quint64(block.destination) + quint64(block.words))
            return true;
    }
    return false;
}
