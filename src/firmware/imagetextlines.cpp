// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/imagetextlines.h"

#include "firmware/firmwareimagecheck.h"

#include <algorithm>

namespace {
// More than any record holds: a longer line is refused, and a file of one huge line is not copied.
constexpr int keptChars = 1024;

bool isBlankCharacter(char c)
{
    return c == ' ' || c == '\t';
}
} // namespace

bool ImageTextLines::next()
{
    if (m_position >= m_content.size())
        return false;
    ++m_number;
    const int newline = m_content.indexOf('\n', m_position);
    const int stop = newline < 0 ? m_content.size() : newline;
    const bool crlf = newline > m_position && m_content.at(newline - 1) == '\r';
    m_length = stop - m_position - (crlf ? 1 : 0);
    m_text = m_content.mid(m_position, qMin(m_length, keptChars));
    m_end = newline < 0 ? QByteArray() : crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    m_position = newline < 0 ? m_content.size() : newline + 1;
    return true;
}

bool ImageTextLines::isBlank() const
{
    return std::all_of(m_text.cbegin(), m_text.cend(), isBlankCharacter);
}

bool ImageTextLines::isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

QString ImageTextLines::shown(char c)
{
    if (c > ' ' && c < 0x7F)
        return QStringLiteral("'%1'").arg(QLatin1Char(c));
    return QStringLiteral("0x") + QString::number(quint8(c), 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

ImageFault ImageTextLines::lengthFault(int maxChars) const
{
    if (m_length <= maxChars)
        return {};
    const int carriageReturn = m_text.indexOf('\r');
    if (carriageReturn >= 0 && carriageReturn <= maxChars)
        return carriageReturnFault(carriageReturn);
    return ImageFault::at(m_number, maxChars + 1,
                          FirmwareImageCheck::tr("line longer than %1 characters").arg(maxChars));
}

ImageFault ImageTextLines::afterEndFault(int endLine) const
{
    return ImageFault::at(m_number, 1, FirmwareImageCheck::tr("a record after the end record of line %1").arg(endLine));
}

ImageFault ImageTextLines::carriageReturnFault(int index) const
{
    return ImageFault::at(m_number, index + 1,
                          FirmwareImageCheck::tr("a carriage return without a line feed (lines end in LF or CR LF)"));
}

ImageFault ImageTextLines::hexDigitsFault(int from) const
{
    for (int i = from; i < m_text.size(); ++i) {
        const char c = m_text.at(i);
        if (isHexDigit(c))
            continue;
        // Invisible in most editors, so each gets words of its own.
        if (std::all_of(m_text.cbegin() + i, m_text.cend(), isBlankCharacter))
            return ImageFault::at(m_number, i + 1, FirmwareImageCheck::tr("spaces or tabs after the record"));
        if (c == '\r')
            return carriageReturnFault(i);
        return ImageFault::at(
            m_number, i + 1,
            FirmwareImageCheck::tr("non-hexadecimal character %1 (expected 0-9 or A-F)").arg(shown(c)));
    }
    if ((m_text.size() - from) % 2 != 0)
        return ImageFault::at(
            m_number, m_text.size(),
            FirmwareImageCheck::tr("an odd number of hexadecimal digits (%1)").arg(m_text.size() - from));
    return {};
}
