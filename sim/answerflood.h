// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>

class LinkSocket;
class QTimer;

// Sends a fixed number of datagrams to one destination as fast as the link takes them, in bursts
// between which the simulator's event loop runs, so the rest of the lab keeps answering meanwhile.
// It ends by itself after the last one.
class AnswerFlood : public QObject
{
    Q_OBJECT
public:
    using MakeAnswer = std::function<QByteArray(int index)>;

    AnswerFlood(LinkSocket* socket, quint32 src, quint32 dst, quint16 port, int count, MakeAnswer make,
                QObject* parent = nullptr);

    void start();

signals:
    // sent: datagrams the system took; failed: those it refused.
    void finished(int sent, int failed);

private:
    void sendBurst();

    LinkSocket* m_socket;
    quint32 m_src;
    quint32 m_dst;
    quint16 m_port;
    int m_count;
    MakeAnswer m_make;
    QTimer* m_timer;
    int m_next = 0;
    int m_failed = 0;
};
