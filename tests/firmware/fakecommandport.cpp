// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakecommandport.h"

#include <QTcpSocket>
#include <QTimer>

FakeCommandPort::FakeCommandPort(const QString& address, quint16 listenPort, QObject* parent) : QObject(parent)
{
    m_server.listen(QHostAddress(address), listenPort);
    connect(&m_server, &QTcpServer::newConnection, this, &FakeCommandPort::onNewConnection);
}

void FakeCommandPort::streamOn(const QByteArray& command, const QByteArray& piece, int everyMs)
{
    m_streamCommand = command;
    m_streamPiece = piece;
    m_streamEveryMs = everyMs;
}

void FakeCommandPort::answerInParts(const QByteArray& command, const QList<QByteArray>& parts, int gapMs)
{
    m_answers.insert(command, parts);
    m_partGapMs = gapMs;
}

void FakeCommandPort::onNewConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        ++m_connections;
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onData(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_pending.remove(socket);
            m_awaitingAnswer.remove(socket);
            m_dropLineFeed.remove(socket);
            socket->deleteLater();
        });
        if (!m_greeting.isEmpty())
            socket->write(m_greeting);
    }
    if (m_acceptLimit >= 0 && m_connections >= m_acceptLimit)
        m_server.close();
}

void FakeCommandPort::onData(QTcpSocket* socket)
{
    QByteArray& pending = m_pending[socket];
    pending += socket->readAll();
    if (m_dropLineFeed.value(socket) && pending.startsWith('\n'))
        pending.remove(0, 1);
    m_dropLineFeed[socket] = false;
    forever
    {
        int end = -1;
        for (int i = 0; i < pending.size() && end < 0; ++i) {
            if (pending.at(i) == '\n')
                end = i;
            else if (pending.at(i) == '\r')
                end = (i + 1 < pending.size() && pending.at(i + 1) == '\n') ? i + 1 : i;
        }
        if (end < 0)
            return;
        // A "\r" at the very end may be the first half of "\r\n".
        if (pending.at(end) == '\r' && end == pending.size() - 1)
            m_dropLineFeed[socket] = true;
        const QByteArray command = pending.left(end + 1);
        pending.remove(0, end + 1);
        onCommand(socket, command);
    }
}

void FakeCommandPort::onCommand(QTcpSocket* socket, const QByteArray& command)
{
    if (m_awaitingAnswer.value(socket))
        m_overlapped = true;
    const bool silenced = m_silenceFrom >= 0 && m_commands.size() >= m_silenceFrom;
    m_commands << command;
    if (silenced)
        return;
    if (!m_streamCommand.isEmpty() && command == m_streamCommand) {
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [this, socket] { socket->write(m_streamPiece); });
        timer->start(m_streamEveryMs);
        return;
    }
    const QList<QByteArray> reply = replyTo(command);
    if (reply.isEmpty() || reply.first().isEmpty())
        return;
    if (m_answerDelayMs == 0) {
        writeParts(socket, reply);
        return;
    }
    m_awaitingAnswer[socket] = true;
    QTimer::singleShot(m_answerDelayMs, socket, [this, socket, reply] {
        m_awaitingAnswer[socket] = false;
        writeParts(socket, reply);
    });
}

void FakeCommandPort::writeParts(QTcpSocket* socket, QList<QByteArray> parts)
{
    socket->write(parts.takeFirst());
    if (!parts.isEmpty())
        QTimer::singleShot(m_partGapMs, socket, [this, socket, parts] { writeParts(socket, parts); });
}

QList<QByteArray> FakeCommandPort::replyTo(const QByteArray& command) const
{
    return m_answers.value(command, {m_otherAnswer});
}
