// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "xportserial.h"

#include "eventlog.h"
#include "labconfig.h"
#include "serialsession.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

XportSerial::XportSerial(const UnitConfig& config, EventLog* log, QObject* parent)
    : QObject(parent), m_config(config), m_log(log), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &XportSerial::onNewConnection);
}

bool XportSerial::listenOn(quint32 ip, QString* error)
{
    m_server->close();
    // Without a listener the peer's connect is refused, as with a module whose tunnel is off.
    if (m_config.tcp == TcpMode::Refuse)
        return true;
    if (m_server->listen(QHostAddress(ip), kPort))
        return true;
    *error =
        QStringLiteral("cannot listen on %1:%2: %3").arg(LabConfig::ipText(ip)).arg(kPort).arg(m_server->errorString());
    return false;
}

void XportSerial::onNewConnection()
{
    while (QTcpSocket* socket = m_server->nextPendingConnection())
        new SerialSession(socket, m_config, m_log, this);
}
