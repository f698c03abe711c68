// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "serialsession.h"

#include "eventlog.h"
#include "periodicsender.h"
#include "xportmodule.h"
#include "xportmoduleconfig.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace {
// A driver in a bad state chatters without ever ending a line.
const QByteArray kStreamChunk = QByteArrayLiteral("#MST:0000 garbage without line end ");
constexpr int kStreamPeriodMs = 20;
// Bound against a peer that never reads what we stream.
constexpr qint64 kMaxUnsent = 64 * 1024;
const QByteArray kChatterByte = QByteArrayLiteral("\x55");
constexpr int kChatterPeriodMs = 100;
// The bootloader's write frame, where the faults writeChatter and writeFlood strike.
const QByteArray kWriteFrame = QByteArrayLiteral("\x0C\x0E\x0B\x00\x0E");
const QByteArray kWriteChatterLine = QByteArrayLiteral("#INFO:busy\r\n");
// A flood without line end, as fast as the peer reads it (the sender keeps at most 64 KiB waiting).
constexpr int kFloodChunkBytes = 16 * 1024;
constexpr int kFloodPeriodMs = 1;
} // namespace

SerialSession::SerialSession(QTcpSocket* socket, XportModule* module, QObject* parent)
    : QObject(parent), m_socket(socket), m_module(module)
{
    m_socket->setParent(this);
    m_peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
    m_module->log()->tcpConnect(m_module->config().name, m_peer, XportModule::kTunnelPort);
    connect(m_socket, &QTcpSocket::readyRead, this, &SerialSession::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

void SerialSession::transmit(const QByteArray& bytes)
{
    if (passesBytes() && m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->write(bytes);
}

void SerialSession::startChatter()
{
    if (!m_chatter)
        m_chatter = new PeriodicSender(m_socket, kChatterPeriodMs, kChatterByte, this);
    m_chatter->start(false);
}

void SerialSession::reset()
{
    // Without lingering, close() sends a reset instead of an orderly end.
    const linger noLinger{1, 0};
    const qintptr descriptor = m_socket->socketDescriptor();
    if (descriptor >= 0)
        setsockopt(int(descriptor), SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
    m_socket->abort();
}

void SerialSession::onReadyRead()
{
    const QByteArray chunk = m_socket->readAll();
    if (chunk.isEmpty())
        return;
    m_module->log()->tcpData(m_module->config().name, m_peer, chunk, XportModule::kTunnelPort);
    switch (m_module->config().tcp) {
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
        passToSerialLine(chunk);
        return;
    }
}

// The write frame itself still reaches the DSP; nothing after it on this connection does.
void SerialSession::passToSerialLine(const QByteArray& chunk)
{
    const XportModuleConfig& module = m_module->config().module;
    if (m_hostile)
        return;
    if (!module.writeChatter && !module.writeFlood) {
        m_module->serialIn(chunk);
        return;
    }
    const QByteArray seen = m_frameTail + chunk;
    const int at = seen.indexOf(kWriteFrame);
    if (at < 0) {
        m_frameTail = seen.right(kWriteFrame.size() - 1);
        m_module->serialIn(chunk);
        return;
    }
    m_module->serialIn(chunk.left(at + kWriteFrame.size() - m_frameTail.size()));
    turnHostile();
}

void SerialSession::turnHostile()
{
    const bool flood = m_module->config().module.writeFlood;
    m_hostile = true;
    m_module->log()->event(
        {{QStringLiteral("event"), QStringLiteral("tunnel")},
         {QStringLiteral("unit"), m_module->config().name},
         {QStringLiteral("fault"), flood ? QStringLiteral("writeFlood") : QStringLiteral("writeChatter")}});
    m_hostileTalk = flood ? new PeriodicSender(m_socket, kFloodPeriodMs, QByteArray(kFloodChunkBytes, '~'), this)
                          : new PeriodicSender(m_socket, kChatterPeriodMs, kWriteChatterLine, this);
    m_hostileTalk->start(true);
}

bool SerialSession::passesBytes() const
{
    return !m_hostile && (m_module->config().tcp == TcpMode::Normal || m_module->config().tcp == TcpMode::NoCr);
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
