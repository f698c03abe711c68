// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/imagefault.h"

#include <QByteArray>

// The lines of a text image, each with its own line end: LF, CR LF, or none for a last line without one.
// A carriage return anywhere else stays in the line's text, where the character checks refuse it.
class ImageTextLines
{
public:
    explicit ImageTextLines(const QByteArray& content) : m_content(content) {}

    // Moves to the next line; false after the last.
    bool next();
    int number() const { return m_number; }
    // The line without its end; of a line longer than the longest record only the start is kept.
    const QByteArray& text() const { return m_text; }
    const QByteArray& end() const { return m_end; }
    // Nothing but spaces and tabs: no record, and nothing of it is sent.
    bool isBlank() const;

    // Hands every line that is not blank to `readRecord` (a callable taking the lines, returning an
    // ImageFault) until a fault; a line longer than `maxChars` or a record after the end record (the
    // line `endLine` names, 0 while there is none) is a fault of its own.
    template <typename ReadRecord>
    static ImageFault readRecords(const QByteArray& content, int maxChars, const int& endLine, ReadRecord readRecord)
    {
        ImageTextLines lines(content);
        while (lines.next()) {
            ImageFault fault = lines.lengthFault(maxChars);
            if (!fault.isFault() && !lines.isBlank())
                fault = endLine > 0 ? lines.afterEndFault(endLine) : readRecord(lines);
            if (fault.isFault())
                return fault;
        }
        return {};
    }

    // The fault of a line longer than `maxChars`, or none. A carriage return within them is named first:
    // in a file with CR-only line ends it is the reason the line runs on.
    ImageFault lengthFault(int maxChars) const;
    // The fault of the first character from `from` on that is not a hexadecimal digit, or none.
    ImageFault hexDigitsFault(int from) const;
    // A printable character in quotes, anything else by its value: "'G'", "0x00".
    static QString shown(char c);
    static bool isHexDigit(char c);

private:
    ImageFault afterEndFault(int endLine) const;
    ImageFault carriageReturnFault(int index) const;

    const QByteArray& m_content;
    int m_position = 0;
    int m_number = 0;
    int m_length = 0;
    QByteArray m_text;
    QByteArray m_end;
};
