// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QTcpSocket;
class XportModule;

// One connection to the XPort's configurable-pin service: every 9 bytes received are one command,
// answered by its 5-byte reply.
class PinSession : public QObject
{
    Q_OBJECT
public:
    PinSession(QTcpSocket* socket, XportModule* module, QObject* parent = nullptr);

private:
    void onReadyRead();

    QTcpSocket* m_socket;
    XportModule* m_module;
    QString m_peer;
    QByteArray m_pending;
};
