// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "tcpservice.h"

#include "labconfig.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

TcpService::TcpService(quint16 port, SessionFactory factory, QObject* parent)
    : QObject(parent), m_port(port), m_factory(std::move(factory)), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &TcpService::onNewConnection);
}

bool TcpService::listenOn(quint32 ip, QString* error)
{
    m_server->close();
    if (m_server->listen(QHostAddress(ip), m_port))
        return true;
    *error = QStringLiteral("cannot listen on %1:%2: %3")
                 .arg(LabConfig::ipText(ip))
                 .arg(m_port)
                 .arg(m_server->errorString());
    return false;
}

void TcpService::stopListening()
{
    m_server->close();
}

void TcpService::dropSessions()
{
    for (const QPointer<QObject>& session : m_sessions) {
        if (!session)
            continue;
        for (QTcpSocket* socket : session->findChildren<QTcpSocket*>()) {
            socket->flush();
            socket->abort();
        }
        session->deleteLater();
    }
    m_sessions.clear();
}

void TcpService::onNewConnection()
{
    m_sessions.removeAll(QPointer<QObject>());
    while (QTcpSocket* socket = m_server->nextPendingConnection())
        m_sessions.append(m_factory(socket, this));
}
