// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class PeriodicSender;
class QTcpSocket;
class QTimer;
class XportModule;

// One connection to an XPort's serial tunnel: bytes pass to the module's serial line and back, unless the
// unit's "tcp" behaviour says otherwise.
class SerialSession : public QObject
{
    Q_OBJECT
public:
    SerialSession(QTcpSocket* socket, XportModule* module, QObject* parent = nullptr);

    // Bytes the serial line sends back.
    void transmit(const QByteArray& bytes);
    // A byte of line noise now and then, besides what the serial line sends, until the peer closes.
    void startChatter();
    // Aborts the connection with a reset, as a module that restarts under it.
    void reset();

private:
    void onReadyRead();
    void passToSerialLine(const QByteArray& chunk);
    void turnHostile();
    bool passesBytes() const;
    void startStream();
    void streamChunk();

    QTcpSocket* m_socket;
    XportModule* m_module;
    QString m_peer;
    QTimer* m_streamTimer = nullptr;
    PeriodicSender* m_chatter = nullptr;
    // With a fault that strikes at the first bootloader write frame: the bytes of the frame seen so far,
    // and whether the tunnel has stopped passing bytes since.
    QByteArray m_frameTail;
    bool m_hostile = false;
    PeriodicSender* m_hostileTalk = nullptr;
};
