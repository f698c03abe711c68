// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeuploadport.h"

#include <QTimer>

namespace {
constexpr int stalledBufferBytes = 4096;
}

FakeUploadPort::FakeUploadPort(const QString& address, quint16 listenPort, QObject* parent) : QObject(parent)
{
    m_server.listen(QHostAddress(address), listenPort);
    connect(&m_server, &QTcpServer::newConnection, this, &FakeUploadPort::onNewConnection);
}

void FakeUploadPort::replyWith(const QList<QByteArray>& replies, int gapMs)
{
    m_replies = replies;
    m_gapMs = gapMs;
}

void FakeUploadPort::send(const QByteArray& bytes)
{
    if (m_client)
        m_client->write(bytes);
}

void FakeUploadPort::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        ++m_connections;
        socket->setParent(this);
        m_client = socket;
        if (m_stalled) {
            socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, stalledBufferBytes);
            socket->setReadBufferSize(1);
            continue;
        }
        connect(socket, &QTcpSocket::readyRead, this, &FakeUploadPort::onData);
        if (m_expected == 0)
            onFileReceived();
    }
}

void FakeUploadPort::onData()
{
    m_received += m_client->readAll();
    if (m_expected >= 0 && m_received.size() >= m_expected)
        onFileReceived();
}

void FakeUploadPort::onFileReceived()
{
    if (m_reported)
        return;
    m_reported = true;
    if (m_dropWhenReceived) {
        m_client->close();
        return;
    }
    sendNextReply();
}

void FakeUploadPort::sendNextReply()
{
    if (m_replies.isEmpty() || !m_client)
        return;
    m_client->write(m_replies.takeFirst());
    QTimer::singleShot(m_gapMs, this, &FakeUploadPort::sendNextReply);
}
