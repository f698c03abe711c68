// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "configurablepins.h"
#include "unitconfig.h"

#include <QJsonObject>
#include <QObject>

class EventLog;
class MotorDriver;
class QTimer;
class TcpService;

// A Lantronix XPort: its setup menu (TCP 9999), configurable pins (TCP 30704) and serial tunnel
// (TCP 10001) to the motor driver, if any. All services follow the module's address; a save in the menu
// restarts the module, which then refuses every connection for the lab's restart time.
class XportModule : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kSetupPort = 9999;
    static constexpr quint16 kPinPort = 30704;
    static constexpr quint16 kTunnelPort = 10001;

    XportModule(const UnitConfig& config, EventLog* log, QObject* parent = nullptr);

    bool listenOn(quint32 ip, QString* error);

    const UnitConfig& config() const { return m_config; }
    EventLog* log() const { return m_log; }
    quint32 ip() const { return m_ip; }
    int baud() const { return m_baud; }

    // The reply to one 9-byte pin command; empty for an unknown code.
    QByteArray applyPinCommand(const QByteArray& command);
    void serialIn(const QByteArray& bytes);
    void saveAndRestart(int baud);

private:
    bool listenAll(QString* error);
    void comeBack();
    void serialOut(const QByteArray& bytes);
    void onAutobaudEchoed();
    void resetTunnel();
    void note(const QString& event, QJsonObject fields);

    const UnitConfig& m_config;
    EventLog* m_log;
    ConfigurablePins m_pins;
    MotorDriver* m_driver = nullptr;
    QList<TcpService*> m_services;
    TcpService* m_tunnel = nullptr;
    QTimer* m_restart;
    quint32 m_ip = 0;
    int m_baud;
    int m_savedBaud;
};
