// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "unitconfig.h"

#include <QObject>

class EventLog;
class QTcpServer;

// The XPort's TCP port 10001 (serial tunnel); it follows the module when its address changes.
class XportSerial : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kPort = 10001;

    XportSerial(const UnitConfig& config, EventLog* log, QObject* parent = nullptr);

    bool listenOn(quint32 ip, QString* error);

private:
    void onNewConnection();

    const UnitConfig& m_config;
    EventLog* m_log;
    QTcpServer* m_server;
};
