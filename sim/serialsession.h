// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

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

private:
    void onReadyRead();
    bool passesBytes() const;
    void startStream();
    void streamChunk();

    QTcpSocket* m_socket;
    XportModule* m_module;
    QString m_peer;
    QTimer* m_streamTimer = nullptr;
};
