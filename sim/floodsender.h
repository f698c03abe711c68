// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QTcpSocket;

// Sends bytes without a line end as fast as the peer takes them, up to a total, then falls silent. It
// writes only while little is queued, so a peer that does not read holds the simulator's memory small.
class FloodSender : public QObject
{
    Q_OBJECT
public:
    FloodSender(QTcpSocket* socket, qint64 total, QObject* parent = nullptr);

    void start();

private:
    void fill();

    QTcpSocket* m_socket;
    qint64 m_left;
    bool m_started = false;
};
