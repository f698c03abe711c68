// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/boundedtext.h"

QString BoundedText::take(const QString& text)
{
    const QString head = text.left(int(qMax<qint64>(0, headChars - m_taken)));
    m_taken += head.size();
    if (head.size() == text.size())
        return head;
    m_tail += text.mid(head.size());
    if (m_tail.size() > tailChars) {
        m_leftOut += m_tail.size() - tailChars;
        m_tail = m_tail.right(tailChars);
    }
    return head;
}

QStringList BoundedText::finish()
{
    QStringList lines;
    if (m_leftOut > 0)
        lines << tr("[%1 characters of the unit's text left out]").arg(m_leftOut);
    if (!m_tail.isEmpty())
        lines << m_tail;
    m_taken = 0;
    m_leftOut = 0;
    m_tail.clear();
    return lines;
}
