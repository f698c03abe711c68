// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "periodicsender.h"

#include <QTcpSocket>
#include <QTimer>

namespace {
// Bound against a peer that never reads what we send.
constexpr qint64 kMaxUnsent = 64 * 1024;
} // namespace

PeriodicSender::PeriodicSender(QTcpSocket* socket, int periodMs, NextText next, QObject* parent)
    : QObject(parent), m_socket(socket), m_next(std::move(next)), m_timer(new QTimer(this))
{
    m_timer->setInterval(periodMs);
    connect(m_timer, &QTimer::timeout, this, &PeriodicSender::sendNext);
    connect(m_socket, &QTcpSocket::disconnected, m_timer, &QTimer::stop);
}

PeriodicSender::PeriodicSender(QTcpSocket* socket, int periodMs, const QByteArray& text, QObject* parent)
    : PeriodicSender(
          socket, periodMs, [text] { return text; }, parent)
{}

void PeriodicSender::start(bool now)
{
    if (m_timer->isActive() || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_timer->start();
    if (now)
        sendNext();
}

void PeriodicSender::sendNext()
{
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        m_timer->stop();
        return;
    }
    if (m_socket->bytesToWrite() < kMaxUnsent)
        m_socket->write(m_next());
}
