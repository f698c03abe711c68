// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "answerflood.h"

#include "linksocket.h"

#include <QTimer>

namespace {
// Large enough to outrun any receiver, small enough that TCP connections are still accepted between bursts.
constexpr int kBurst = 256;
} // namespace

AnswerFlood::AnswerFlood(LinkSocket* socket, quint32 src, quint32 dst, quint16 port, int count, MakeAnswer make,
                         QObject* parent)
    : QObject(parent), m_socket(socket), m_src(src), m_dst(dst), m_port(port), m_count(count), m_make(std::move(make)),
      m_timer(new QTimer(this))
{
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, &AnswerFlood::sendBurst);
}

void AnswerFlood::start()
{
    m_timer->start();
}

void AnswerFlood::sendBurst()
{
    const int end = qMin(m_count, m_next + kBurst);
    for (; m_next < end; ++m_next) {
        QString error;
        if (!m_socket->sendFrom(m_src, m_dst, m_port, m_make(m_next), &error))
            ++m_failed;
    }
    if (m_next < m_count)
        return;
    m_timer->stop();
    emit finished(m_count - m_failed, m_failed);
}
