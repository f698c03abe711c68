// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "pinsession.h"

#include "configurablepins.h"
#include "eventlog.h"
#include "xportmodule.h"

#include <QHostAddress>
#include <QTcpSocket>

PinSession::PinSession(QTcpSocket* socket, XportModule* module, QObject* parent)
    : QObject(parent), m_socket(socket), m_module(module)
{
    m_socket->setParent(this);
    m_peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
    m_module->log()->tcpConnect(m_module->config().name, m_peer, XportModule::kPinPort);
    connect(m_socket, &QTcpSocket::readyRead, this, &PinSession::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

void PinSession::onReadyRead()
{
    const QByteArray chunk = m_socket->readAll();
    if (chunk.isEmpty())
        return;
    m_module->log()->tcpData(m_module->config().name, m_peer, chunk, XportModule::kPinPort);
    m_pending += chunk;
    while (m_pending.size() >= ConfigurablePins::kCommandLength) {
        const QByteArray reply = m_module->applyPinCommand(m_pending.left(ConfigurablePins::kCommandLength));
        m_pending.remove(0, ConfigurablePins::kCommandLength);
        m_socket->write(reply);
    }
}
