// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QTcpSocket;

// One answer of an instrument to a flash command, read under bounds, and what it says: only an answer
// that confirms the step lets a run go on. Anything that contains "NAK" is a refusal; silence, chatter,
// an endless line or random bytes confirm nothing.
class UnitAnswer
{
public:
    enum class Expect {
        Acknowledge, // "#AK": erase, write mode, end of programming
        LineTaken,   // a bare end of line, or "#AK": one image line
    };
    enum class Verdict { Confirmed, Refused, Unexpected, Silent };

    // The longest stretch of an answer that a log line quotes.
    static constexpr int quoteChars = 160;

    UnitAnswer() = default;
    explicit UnitAnswer(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    // Reads until the answer holds a line end (CR or LF). Each wait that leaves it unended, with or without
    // data, uses up one of `tries`; the whole read also ends after `totalMs` or `maxBytes`, so that a peer
    // that never ends its line or never falls silent cannot hold it.
    static UnitAnswer read(QTcpSocket& socket, int tries, int waitMs, int totalMs, int maxBytes);

    const QByteArray& bytes() const { return m_bytes; }
    bool isEmpty() const { return m_bytes.isEmpty(); }
    bool isRefusal() const;
    Verdict verdict(Expect expect) const;
    // The answer as a log line can show it: control bytes escaped (\r, \n, \xNN), cut after quoteChars.
    QString quoted() const;
    static QString quote(const QByteArray& bytes);

private:
    QByteArray m_bytes;
};
