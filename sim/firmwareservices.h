// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmwareconfig.h"
#include "firmwarelog.h"
#include "flashmemory.h"
#include "noisesource.h"

#include <QObject>

class EventLog;
class QTcpServer;
class Unit;

// A power supply's or beamline unit's TCP services: text commands and flash programming on the command
// port, image upload on the upload port, and the reboot that brings a new firmware into service.
class FirmwareServices : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kCommandPort = 10001;
    static constexpr quint16 kUploadPort = 13192;

    FirmwareServices(Unit* unit, EventLog* log, QObject* parent = nullptr);

    // Listens on the unit's present address; follows it when the unit moves.
    bool listenOn(quint32 ip, QString* error);

    const FirmwareConfig& config() const;
    QString version() const;
    FirmwareLog& log() { return m_log; }
    FlashMemory& flash() { return m_flash; }
    // One sequence per unit for its random answers, whichever connection asks.
    NoiseSource& noise() { return m_noise; }

    // The version the unit reports after its next reboot; empty keeps the present one.
    void installAtReboot(const QString& version) { m_pendingVersion = version; }
    // Closes every connection and stays deaf for the configured time, then runs the installed version.
    void reboot();

signals:
    void rebooting();

private:
    bool listen(QString* error);
    bool listenOne(QTcpServer* server, quint16 port, QString* error);
    void onCommandConnection();
    void onUploadConnection();
    void finishReboot();

    Unit* m_unit;
    FirmwareLog m_log;
    FlashMemory m_flash;
    NoiseSource m_noise;
    QTcpServer* m_commands;
    QTcpServer* m_uploads;
    quint32 m_ip = 0;
    QString m_pendingVersion;
    bool m_rebooting = false;
};
