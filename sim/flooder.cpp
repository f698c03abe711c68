// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "flooder.h"

#include "answerflood.h"
#include "eventlog.h"
#include "labconfig.h"
#include "periodicsender.h"
#include "tcpservice.h"

#include <QHostAddress>
#include <QJsonObject>
#include <QTcpSocket>

namespace {
const QByteArray kJsonTag = QByteArrayLiteral("Ostravi QV3:");
const QByteArray kLantronixAnswerHead = QByteArray::fromHex("000000f7");
constexpr int kLantronixAnswerLength = 30;
constexpr int kLantronixMacAt = 24;
constexpr int kMacLength = 6;
// Locally administered and unicast: no real unit carries such a MAC.
constexpr char kForgedMacFirstByte = 0x02;
constexpr int kDripPeriodMs = 1000;
// Garbage on the Lantronix port: as long as a module's answer or somewhat longer.
constexpr int kGarbageExtraBytes = 34;
} // namespace

Flooder::Flooder(const UnitConfig& config, EventLog* log, QObject* parent)
    : QObject(parent), m_config(config), m_log(log), m_random(quint32(qHash(config.name)))
{
    if (config.flood.tcp != FloodTcp::Refuse)
        m_tunnel = new TcpService(
            kTunnelPort, [this](QTcpSocket* socket, QObject* owner) { return openSession(socket, owner); }, this);
}

bool Flooder::listenOn(quint32 ip, QString* error)
{
    return !m_tunnel || m_tunnel->listenOn(ip, error);
}

void Flooder::floodDiscovery(LinkSocket* socket, quint32 dst, quint16 port)
{
    startFlood(m_discoveryFlood, QStringLiteral("json"), socket, dst, port, m_config.flood.jsonAnswers,
               [this](int index) { return jsonAnswer(index); });
}

void Flooder::floodLantronix(LinkSocket* socket, quint32 dst, quint16 port)
{
    startFlood(m_lantronixFlood, QStringLiteral("lantronix"), socket, dst, port, m_config.flood.lantronixAnswers,
               [this](int) { return lantronixAnswer(); });
}

void Flooder::startFlood(QPointer<AnswerFlood>& running, const QString& kind, LinkSocket* socket, quint32 dst,
                         quint16 port, int count, std::function<QByteArray(int)> make)
{
    if (count <= 0 || running)
        return;
    running = new AnswerFlood(socket, m_config.ip, dst, port, count, std::move(make), this);
    m_log->event({{QStringLiteral("event"), QStringLiteral("flood")},
                  {QStringLiteral("unit"), m_config.name},
                  {QStringLiteral("kind"), kind},
                  {QStringLiteral("phase"), QStringLiteral("start")},
                  {QStringLiteral("dst"), QStringLiteral("%1:%2").arg(LabConfig::ipText(dst)).arg(port)},
                  {QStringLiteral("count"), count}});
    AnswerFlood* flood = running;
    connect(flood, &AnswerFlood::finished, this, [this, flood, kind](int sent, int failed) {
        m_log->event({{QStringLiteral("event"), QStringLiteral("flood")},
                      {QStringLiteral("unit"), m_config.name},
                      {QStringLiteral("kind"), kind},
                      {QStringLiteral("phase"), QStringLiteral("end")},
                      {QStringLiteral("sent"), sent},
                      {QStringLiteral("failed"), failed}});
        flood->deleteLater();
    });
    flood->start();
}

QByteArray Flooder::forgedMac()
{
    if (m_config.flood.macs == FloodMacs::One)
        return m_config.mac;
    const quint64 bits = m_random.generate64();
    QByteArray mac(1, kForgedMacFirstByte);
    for (int i = 1; i < kMacLength; ++i)
        mac.append(char(bits >> (8 * i)));
    return mac;
}

// Written as bytes, not through a JSON document: the flood must outrun the tool, not the simulator.
QByteArray Flooder::jsonAnswer(int index)
{
    if (m_jsonHead.isEmpty())
        m_jsonHead = kJsonTag + "{\"CODE\":\"1700\",\"DEVICE\":\"Forged answer\",\"FW\":\"0.0\",\"IP\":\"" +
                     LabConfig::ipText(m_config.ip).toLatin1() + "\",\"MAC\":\"";
    return m_jsonHead + forgedMac().toHex(':').toUpper() + "\",\"SN\":\"F" +
           QByteArray::number(index).rightJustified(6, '0') + "\"}";
}

// Pseudo-random bytes whose first byte is never the answer's: a peer talking on the port, no module.
QByteArray Flooder::lantronixGarbage()
{
    QByteArray garbage(kLantronixAnswerLength + int(m_random.bounded(kGarbageExtraBytes + 1)), '\0');
    for (char& byte : garbage)
        byte = char(m_random.bounded(256));
    if (garbage.at(0) == kLantronixAnswerHead.at(0))
        garbage[0] = char(0xA5);
    return garbage;
}

QByteArray Flooder::lantronixAnswer()
{
    if (m_config.flood.lantronixForm == FloodForm::Garbage)
        return lantronixGarbage();
    QByteArray answer(kLantronixAnswerLength, '\0');
    answer.replace(0, kLantronixAnswerHead.size(), kLantronixAnswerHead);
    answer.replace(kLantronixMacAt, kMacLength, forgedMac());
    return answer;
}

// The session takes what the tool sends and logs only the connection: thousands of queries would
// otherwise fill the log with the same two commands.
QObject* Flooder::openSession(QTcpSocket* socket, QObject* parent)
{
    auto* session = new QObject(parent);
    socket->setParent(session);
    m_log->tcpConnect(m_config.name,
                      QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort()),
                      kTunnelPort);
    connect(socket, &QTcpSocket::readyRead, socket, [socket] { socket->readAll(); });
    connect(socket, &QTcpSocket::disconnected, session, &QObject::deleteLater);
    if (m_config.flood.tcp == FloodTcp::Drip)
        (new PeriodicSender(socket, kDripPeriodMs, QByteArrayLiteral("."), session))->start(false);
    return session;
}
