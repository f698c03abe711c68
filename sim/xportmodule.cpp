// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "xportmodule.h"

#include "eventlog.h"
#include "motordriver.h"
#include "pinsession.h"
#include "serialsession.h"
#include "setupmenusession.h"
#include "tcpservice.h"

#include <QTimer>

namespace {
QString hexByte(quint8 value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0'));
}
} // namespace

XportModule::XportModule(const UnitConfig& config, EventLog* log, QObject* parent)
    : QObject(parent), m_config(config), m_log(log), m_restart(new QTimer(this)), m_baud(config.module.initialBaud),
      m_savedBaud(config.module.initialBaud)
{
    m_restart->setSingleShot(true);
    m_restart->setTimerType(Qt::PreciseTimer);
    connect(m_restart, &QTimer::timeout, this, &XportModule::comeBack);
    if (config.hasDriver) {
        m_driver = new MotorDriver(config, log, this);
        connect(m_driver, &MotorDriver::transmit, this, &XportModule::serialOut);
        connect(m_driver, &MotorDriver::autobaudEchoed, this, &XportModule::onAutobaudEchoed);
        connect(m_driver, &MotorDriver::serialLineLost, this, &XportModule::resetTunnel);
    }
    m_services.append(new TcpService(
        kSetupPort, [this](QTcpSocket* socket, QObject* owner) { return new SetupMenuSession(socket, this, owner); },
        this));
    if (!config.module.pinsUnreachable)
        m_services.append(new TcpService(
            kPinPort, [this](QTcpSocket* socket, QObject* owner) { return new PinSession(socket, this, owner); },
            this));
    // Without a listener the peer's connect is refused, as with a module whose tunnel is off.
    if (config.tcp != TcpMode::Refuse && !config.module.tunnelUnreachable) {
        m_tunnel = new TcpService(
            kTunnelPort, [this](QTcpSocket* socket, QObject* owner) { return new SerialSession(socket, this, owner); },
            this);
        m_services.append(m_tunnel);
    }
}

bool XportModule::listenOn(quint32 ip, QString* error)
{
    m_ip = ip;
    // A restarting module takes its new address when it comes back.
    return m_restart->isActive() || listenAll(error);
}

bool XportModule::listenAll(QString* error)
{
    for (TcpService* service : m_services) {
        if (!service->listenOn(m_ip, error))
            return false;
    }
    return true;
}

QByteArray XportModule::applyPinCommand(const QByteArray& command)
{
    QByteArray reply = m_pins.apply(command);
    if (reply.isEmpty()) {
        m_log->problem(m_config.name,
                       QStringLiteral("unknown pin command code %1").arg(hexByte(quint8(command.at(0)))));
        return reply;
    }
    if (m_config.module.pinsWrongReply)
        reply[1] = char(reply.at(1) ^ ConfigurablePins::kPins);
    note(QStringLiteral("pins"), {{QStringLiteral("command"), QString::fromLatin1(command.toHex())},
                                  {QStringLiteral("reply"), QString::fromLatin1(reply.toHex())},
                                  {QStringLiteral("directions"), qint64(m_pins.directions())},
                                  {QStringLiteral("activeLow"), qint64(m_pins.activeLow())},
                                  {QStringLiteral("states"), qint64(m_pins.states())},
                                  {QStringLiteral("levels"), qint64(m_pins.levels())}});
    if (m_driver)
        m_driver->setPinLevels(m_pins.levels());
    return reply;
}

void XportModule::serialIn(const QByteArray& bytes)
{
    // A plain module has nothing on its serial port: the bytes go nowhere.
    if (m_driver)
        m_driver->receive(bytes, m_baud);
}

void XportModule::serialOut(const QByteArray& bytes)
{
    if (!m_tunnel)
        return;
    for (SerialSession* session : m_tunnel->sessions<SerialSession>())
        session->transmit(bytes);
}

void XportModule::onAutobaudEchoed()
{
    if (!m_tunnel || !m_config.module.tunnelChatter)
        return;
    for (SerialSession* session : m_tunnel->sessions<SerialSession>())
        session->startChatter();
}

void XportModule::resetTunnel()
{
    if (!m_tunnel)
        return;
    for (SerialSession* session : m_tunnel->sessions<SerialSession>())
        session->reset();
}

void XportModule::saveAndRestart(int baud)
{
    // The module is taken for an upgrade from the switch to the programming speed until it is back at its
    // normal one: a test reads from these lines that no two upgrades went through one module at once.
    if (baud == m_config.module.programmingBaud && m_baud != baud)
        note(QStringLiteral("upgrade"), {{QStringLiteral("phase"), QStringLiteral("begin")}});
    else if (baud == m_config.module.normalBaud && m_baud != baud)
        note(QStringLiteral("upgrade"), {{QStringLiteral("phase"), QStringLiteral("end")}});
    m_savedBaud = baud;
    // Nobody may connect between the end of one connection and the end of the next.
    for (TcpService* service : m_services)
        service->stopListening();
    for (TcpService* service : m_services)
        service->dropSessions();
    note(QStringLiteral("restart"), {{QStringLiteral("phase"), QStringLiteral("down")},
                                     {QStringLiteral("baud"), baud},
                                     {QStringLiteral("ms"), m_config.module.restartMs}});
    m_restart->start(m_config.module.restartMs);
}

void XportModule::comeBack()
{
    m_baud = m_savedBaud;
    QString error;
    if (!listenAll(&error))
        m_log->problem(m_config.name, error);
    note(QStringLiteral("restart"),
         {{QStringLiteral("phase"), QStringLiteral("up")}, {QStringLiteral("baud"), m_baud}});
}

void XportModule::note(const QString& event, QJsonObject fields)
{
    fields.insert(QStringLiteral("event"), event);
    fields.insert(QStringLiteral("unit"), m_config.name);
    m_log->event(fields);
}
