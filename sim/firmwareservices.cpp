// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmwareservices.h"

#include "commandsession.h"
#include "labconfig.h"
#include "unit.h"
#include "uploadsession.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

FirmwareServices::FirmwareServices(Unit* unit, EventLog* log, QObject* parent)
    : QObject(parent), m_unit(unit), m_log(log, unit->name()), m_noise(unit->name()), m_commands(new QTcpServer(this)),
      m_uploads(new QTcpServer(this))
{
    connect(m_commands, &QTcpServer::newConnection, this, &FirmwareServices::onCommandConnection);
    connect(m_uploads, &QTcpServer::newConnection, this, &FirmwareServices::onUploadConnection);
}

const FirmwareConfig& FirmwareServices::config() const
{
    return m_unit->config().firmware;
}

QString FirmwareServices::version() const
{
    return m_unit->firmwareVersion();
}

bool FirmwareServices::listenOn(quint32 ip, QString* error)
{
    m_ip = ip;
    m_commands->close();
    m_uploads->close();
    return m_rebooting || listen(error);
}

bool FirmwareServices::listen(QString* error)
{
    // A port without a listener refuses the connection, as on a unit whose service is off.
    return (!config().commandPort || listenOne(m_commands, kCommandPort, error)) &&
           (config().upload.mode == UploadMode::Refuse || listenOne(m_uploads, kUploadPort, error));
}

bool FirmwareServices::listenOne(QTcpServer* server, quint16 port, QString* error)
{
    if (server->listen(QHostAddress(m_ip), port))
        return true;
    *error =
        QStringLiteral("cannot listen on %1:%2: %3").arg(LabConfig::ipText(m_ip)).arg(port).arg(server->errorString());
    return false;
}

void FirmwareServices::onCommandConnection()
{
    while (QTcpSocket* socket = m_commands->nextPendingConnection())
        new CommandSession(socket, this);
}

void FirmwareServices::onUploadConnection()
{
    while (QTcpSocket* socket = m_uploads->nextPendingConnection())
        new UploadSession(socket, this);
}

void FirmwareServices::reboot()
{
    if (m_rebooting)
        return;
    m_rebooting = true;
    m_unit->setRebooting(true);
    m_commands->close();
    m_uploads->close();
    emit rebooting();
    QTimer::singleShot(config().rebootMs, this, &FirmwareServices::finishReboot);
}

void FirmwareServices::finishReboot()
{
    if (!m_pendingVersion.isEmpty())
        m_unit->installFirmware(m_pendingVersion);
    m_pendingVersion.clear();
    m_rebooting = false;
    m_unit->setRebooting(false);
    QString error;
    if (!listen(&error))
        m_log.problem(error);
    m_log.reboot(version());
}
