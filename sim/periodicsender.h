// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>

class QTcpSocket;
class QTimer;

// Talks on a connection without being asked: the next piece of text at a fixed period, until the peer
// closes. A peer that stops reading stops the talk too, so nothing piles up in the simulator.
class PeriodicSender : public QObject
{
    Q_OBJECT
public:
    using NextText = std::function<QByteArray()>;

    PeriodicSender(QTcpSocket* socket, int periodMs, NextText next, QObject* parent = nullptr);
    PeriodicSender(QTcpSocket* socket, int periodMs, const QByteArray& text, QObject* parent = nullptr);

    // The first piece leaves at once when `now`, otherwise one period from now.
    void start(bool now);

private:
    void sendNext();

    QTcpSocket* m_socket;
    NextText m_next;
    QTimer* m_timer;
};
