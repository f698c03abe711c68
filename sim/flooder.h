// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "unitconfig.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QRandomGenerator>

class AnswerFlood;
class EventLog;
class LinkSocket;
class TcpService;
class QTcpSocket;

// A hostile host on a link: every query it hears is answered by a flood of forged answers, JSON
// discovery answers or Lantronix answers, each under a MAC of its own (or all under the unit's MAC).
// The forged modules all live at the flooder's address, where TCP 10001 accepts and never answers
// (or drips a byte a second). Each flood has its configured size and ends by itself; a query heard
// while a flood of its kind still runs starts no second one.
class Flooder : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kTunnelPort = 10001;

    Flooder(const UnitConfig& config, EventLog* log, QObject* parent = nullptr);

    bool listenOn(quint32 ip, QString* error);
    void floodDiscovery(LinkSocket* socket, quint32 dst, quint16 port);
    void floodLantronix(LinkSocket* socket, quint32 dst, quint16 port);

private:
    void startFlood(QPointer<AnswerFlood>& running, const QString& kind, LinkSocket* socket, quint32 dst, quint16 port,
                    int count, std::function<QByteArray(int)> make);
    QByteArray forgedMac();
    QByteArray jsonAnswer(int index);
    QByteArray lantronixAnswer();
    QByteArray lantronixGarbage();
    QObject* openSession(QTcpSocket* socket, QObject* parent);

    const UnitConfig& m_config;
    EventLog* m_log;
    TcpService* m_tunnel = nullptr;
    QRandomGenerator m_random;
    QPointer<AnswerFlood> m_discoveryFlood;
    QPointer<AnswerFlood> m_lantronixFlood;
    QByteArray m_jsonHead;
};
