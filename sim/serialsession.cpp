// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "serialsession.h"

#include "eventlog.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

namespace {
const QByteArray kVersionCommand = QByteArrayLiteral("MVER");
const QByteArray kSerialCommand = QByteArrayLiteral("MRG:22");
const QByteArray kRefusal = QByteArrayLiteral("NAK");
const QByteArray kCrLf = QByteArrayLiteral("\r\n");
const QByteArray kLf = QByteArrayLiteral("\n");
// A driver in a bad state chatters without ever ending a line.
const QByteArray kStreamChunk = QByteArrayLiteral("#MST:0000 garbage without line end ");
constexpr int kStreamPeriodMs = 20;
// Bounds against a peer that sends without line ends, or never reads what we stream.
constexpr int kMaxPendingLine = 64 * 1024;
constexpr qint64 kMaxUnsent = 64 * 1024;

int lineEnd(const QByteArray& bytes)
{
    for (int i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) == '\r' || bytes.at(i) == '\n')
            return i;
    }
    return -1;
}
} // namespace

SerialSession::SerialSession(QTcpSocket* socket, const UnitConfig& config, EventLog* log, QObject* parent)
    : QObject(parent), m_socket(socket), m_config(config), m_log(log)
{
    m_socket->setParent(this);
    m_peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
    m_log->tcpConnect(m_config.name, m_peer);
    connect(m_socket, &QTcpSocket::readyRead, this, &SerialSession::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

void SerialSession::onReadyRead()
{
    const QByteArray chunk = m_socket->readAll();
    if (chunk.isEmpty())
        return;
    m_log->tcpData(m_config.name, m_peer, chunk);
    switch (m_config.tcp) {
    case TcpMode::Drop:
        m_socket->disconnectFromHost();
        return;
    case TcpMode::Stream:
        startStream();
        return;
    case TcpMode::Silent:
    case TcpMode::Refuse:
        return;
    case TcpMode::Normal:
    case TcpMode::NoCr:
        break;
    }
    m_pending += chunk;
    if (m_pending.size() > kMaxPendingLine)
        m_pending = m_pending.right(kMaxPendingLine);
    // Commands end with CR LF, flash commands with CR alone: either byte closes a line.
    for (int end = lineEnd(m_pending); end >= 0; end = lineEnd(m_pending)) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (!line.isEmpty())
            handleLine(line);
    }
}

void SerialSession::handleLine(const QByteArray& line)
{
    // A plain module has nothing on its serial port: the bytes go nowhere.
    if (!m_config.hasDriver)
        return;
    const QByteArray ending = m_config.tcp == TcpMode::NoCr ? kLf : kCrLf;
    m_socket->write(answerTo(line) + ending);
}

QByteArray SerialSession::answerTo(const QByteArray& command) const
{
    if (command == kVersionCommand)
        return m_config.mver;
    if (command == kSerialCommand)
        return m_config.serial;
    return kRefusal;
}

void SerialSession::startStream()
{
    if (m_streamTimer)
        return;
    m_streamTimer = new QTimer(this);
    connect(m_streamTimer, &QTimer::timeout, this, &SerialSession::streamChunk);
    m_streamTimer->start(kStreamPeriodMs);
    streamChunk();
}

void SerialSession::streamChunk()
{
    if (m_socket->state() == QAbstractSocket::ConnectedState && m_socket->bytesToWrite() < kMaxUnsent)
        m_socket->write(kStreamChunk);
}
