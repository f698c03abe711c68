// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/unitanswer.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

namespace {
constexpr auto refusalMark = "NAK";
constexpr auto acknowledgement = "#AK";
constexpr auto ellipsis = "...";

bool holdsLineEnd(const QByteArray& bytes)
{
    return bytes.contains('\r') || bytes.contains('\n');
}

QString escaped(char byte)
{
    switch (byte) {
    case '\r':
        return QStringLiteral("\\r");
    case '\n':
        return QStringLiteral("\\n");
    case '\t':
        return QStringLiteral("\\t");
    case '"':
        return QStringLiteral("\\\"");
    case '\\':
        return QStringLiteral("\\\\");
    default:
        break;
    }
    const auto value = static_cast<unsigned char>(byte);
    if (value >= 0x20 && value < 0x7F)
        return QString(QLatin1Char(byte));
    return QStringLiteral("\\x%1").arg(value, 2, 16, QLatin1Char('0'));
}
} // namespace

UnitAnswer UnitAnswer::read(QTcpSocket& socket, int tries, int waitMs, int totalMs, int maxBytes)
{
    QByteArray answer;
    const QDeadlineTimer deadline(totalMs);
    for (int attempt = 0; attempt < tries && !deadline.hasExpired(); ++attempt) {
        const int wait = int(qMin<qint64>(waitMs, deadline.remainingTime()));
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(wait))
            continue;
        answer += socket.read(qMax<qint64>(0, maxBytes - answer.size()));
        if (holdsLineEnd(answer) || answer.size() >= maxBytes)
            break;
    }
    return UnitAnswer(answer);
}

bool UnitAnswer::isRefusal() const
{
    return m_bytes.contains(refusalMark);
}

UnitAnswer::Verdict UnitAnswer::verdict(Expect expect) const
{
    if (m_bytes.isEmpty())
        return Verdict::Silent;
    if (isRefusal())
        return Verdict::Refused;
    if (m_bytes.contains(acknowledgement))
        return Verdict::Confirmed;
    const bool bareLineEnd = holdsLineEnd(m_bytes) && m_bytes.trimmed().isEmpty();
    return expect == Expect::LineTaken && bareLineEnd ? Verdict::Confirmed : Verdict::Unexpected;
}

QString UnitAnswer::quoted() const
{
    return quote(m_bytes);
}

QString UnitAnswer::quote(const QByteArray& bytes)
{
    QString text;
    for (const char byte : bytes) {
        if (text.size() >= quoteChars)
            return text + QLatin1String(ellipsis);
        text += escaped(byte);
    }
    return text;
}
