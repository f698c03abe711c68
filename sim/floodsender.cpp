// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "floodsender.h"

#include <QTcpSocket>

#include <algorithm>

namespace {
constexpr int kChunk = 64 * 1024;
// Well under a MiB waits in the socket's buffer; bytesWritten asks for more as it drains.
constexpr qint64 kMaxQueued = 256 * 1024;

const QByteArray& filler()
{
    static const QByteArray bytes = [] {
        static const QByteArray pattern = QByteArrayLiteral("FLOOD-0123456789-ABCDEFGHIJKLMNOPQRSTUVWXYZ-");
        QByteArray chunk;
        chunk.reserve(kChunk + pattern.size());
        while (chunk.size() < kChunk)
            chunk += pattern;
        chunk.truncate(kChunk);
        return chunk;
    }();
    return bytes;
}
} // namespace

FloodSender::FloodSender(QTcpSocket* socket, qint64 total, QObject* parent)
    : QObject(parent), m_socket(socket), m_left(total)
{}

void FloodSender::start()
{
    if (m_started)
        return;
    m_started = true;
    connect(m_socket, &QTcpSocket::bytesWritten, this, &FloodSender::fill);
    fill();
}

void FloodSender::fill()
{
    while (m_left > 0 && m_socket->state() == QAbstractSocket::ConnectedState &&
           m_socket->bytesToWrite() < kMaxQueued) {
        const qint64 size = std::min<qint64>(m_left, kChunk);
        const qint64 written = m_socket->write(filler().constData(), size);
        if (written <= 0)
            return;
        m_left -= written;
    }
}
