// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "unitconfig.h"

#include <QObject>

class EventLog;
class QTcpSocket;
class QTimer;

// One connection to an XPort's serial tunnel with the motor driver (or nothing) behind it.
class SerialSession : public QObject
{
    Q_OBJECT
public:
    SerialSession(QTcpSocket* socket, const UnitConfig& config, EventLog* log, QObject* parent = nullptr);

private:
    void onReadyRead();
    void handleLine(const QByteArray& line);
    QByteArray answerTo(const QByteArray& command) const;
    void startStream();
    void streamChunk();

    QTcpSocket* m_socket;
    const UnitConfig& m_config;
    EventLog* m_log;
    QString m_peer;
    QByteArray m_pending;
    QTimer* m_streamTimer = nullptr;
};
