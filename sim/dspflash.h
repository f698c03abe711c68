// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

// One DSP's flash, addressed in 16-bit words, each word held as the two bytes in the order they arrived.
// Erased cells read FF; programming can only clear bits, as with real flash.
class DspFlash
{
public:
    static constexpr quint32 kFirstWord = 0x3D8000;
    static constexpr quint32 kEndWord = 0x3F9000;

    struct Range
    {
        quint32 start = 0;
        QByteArray bytes;
        int words() const { return (bytes.size() + 1) / 2; }
    };
    enum class WriteResult { Written, OutsideFlash, NotErased };

    DspFlash();

    struct Span
    {
        quint32 start = 0;
        quint32 words = 0;
    };

    // Erases the sectors whose bits are set; false (nothing erased) for an empty or unknown selection.
    bool erase(quint8 selection, QList<Span>* erased = nullptr);
    WriteResult write(quint32 wordAddress, const QByteArray& bytes, quint32* firstUnerased = nullptr);
    bool matches(quint32 wordAddress, const QByteArray& bytes) const;

    // Until the first erase the flash holds the application it left the factory with.
    bool holdsFactoryImage() const { return m_factoryImage; }
    // The words written since their sector was last erased, as runs of consecutive addresses.
    QList<Range> programmedRanges() const;

    static bool covers(quint32 wordAddress, int bytes);

private:
    static int offset(quint32 wordAddress) { return int(wordAddress - kFirstWord) * 2; }

    QByteArray m_cells;
    std::vector<bool> m_programmed;
    bool m_factoryImage = true;
};
