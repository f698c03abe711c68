// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "lab.h"

#include "eventlog.h"
#include "firmwareservices.h"
#include "flooder.h"
#include "linksocket.h"
#include "unit.h"
#include "xportmodule.h"

#include <QTimer>
#include <QtEndian>

#include <unistd.h>

namespace {
const QByteArray kDiscoveryQuery = QByteArrayLiteral("Ostravi Dev?");
const QByteArray kSettingsTag = QByteArrayLiteral("Ostravi Set:");
const QByteArray kLantronixQuery = QByteArray::fromHex("000100f6");
const QByteArray kIpSetupHead = QByteArray::fromHex("000000fc49502d53455455500000");
constexpr quint32 kLimitedBroadcast = 0xFFFFFFFFu;
constexpr int kSettingsLength = 36;
constexpr int kSettingsMacAt = 12;
constexpr int kSettingsIpAt = 20;
constexpr int kSettingsMaskAt = 24;
constexpr int kSettingsGatewayAt = 28;
constexpr int kSettingsDhcpAt = 32;
constexpr int kMacLength = 6;
constexpr int kIpSetupLength = 20;
constexpr int kIpSetupMacAt = 14;
constexpr int kIpSetupMacBytes = 2;
constexpr int kIpSetupIpAt = 16;
// Real units answer a broadcast a little apart; back-to-back bursts would only test the kernel's queues.
constexpr useconds_t kAnswerGapUs = 30;

quint32 bigEndianAt(const QByteArray& data, int at)
{
    return qFromBigEndian<quint32>(data.constData() + at);
}
} // namespace

Lab::Lab(const LabConfig& config, EventLog* log, QObject* parent) : QObject(parent), m_config(config), m_log(log)
{
    for (const UnitConfig& unit : m_config.units())
        m_units.push_back(std::make_unique<Unit>(unit));
}

Lab::~Lab() = default;

bool Lab::start(QString* error)
{
    QList<QPair<QString, quint32>> addresses;
    for (const LinkConfig& link : m_config.links())
        m_addresses.keep(link.name, link.labIp);
    for (const auto& unit : m_units)
        addresses.append({unit->link(), unit->ip()});
    m_addresses.addAll(addresses);
    if (!m_addresses.apply(error))
        return false;
    for (const LinkConfig& link : m_config.links()) {
        if (!openLink(link, error))
            return false;
    }
    return startModules(error) && startFirmwareServices(error) && startFlooders(error);
}

bool Lab::openLink(const LinkConfig& link, QString* error)
{
    LinkSockets& sockets = m_links[link.name];
    sockets.config = link;
    sockets.discovery = new LinkSocket(link.name, kDiscoveryPort, this);
    sockets.lantronix = new LinkSocket(link.name, kLantronixPort, this);
    QString why;
    if (!sockets.discovery->open(&why) || !sockets.lantronix->open(&why)) {
        *error = QStringLiteral("link %1: %2").arg(link.name, why);
        return false;
    }
    connect(sockets.discovery, &LinkSocket::datagramReceived, this,
            [this, link](const ReceivedDatagram& datagram) { onDiscoveryDatagram(link, datagram); });
    connect(sockets.lantronix, &LinkSocket::datagramReceived, this,
            [this, link](const ReceivedDatagram& datagram) { onLantronixDatagram(link, datagram); });
    return true;
}

bool Lab::startModules(QString* error)
{
    for (const auto& unit : m_units) {
        if (!unit->isXport())
            continue;
        auto* module = new XportModule(unit->config(), m_log, this);
        m_modules.insert(unit.get(), module);
        QString why;
        if (!module->listenOn(unit->ip(), &why)) {
            *error = QStringLiteral("unit %1: %2").arg(unit->name(), why);
            return false;
        }
    }
    return true;
}

bool Lab::startFirmwareServices(QString* error)
{
    for (const auto& unit : m_units) {
        if (!unit->config().firmware.present)
            continue;
        auto* services = new FirmwareServices(unit.get(), m_log, this);
        m_firmware.insert(unit.get(), services);
        QString why;
        if (!services->listenOn(unit->ip(), &why)) {
            *error = QStringLiteral("unit %1: %2").arg(unit->name(), why);
            return false;
        }
    }
    return true;
}

bool Lab::startFlooders(QString* error)
{
    for (const auto& unit : m_units) {
        if (!unit->isFlooder())
            continue;
        auto* flooder = new Flooder(unit->config(), m_log, this);
        m_flooders.insert(unit.get(), flooder);
        QString why;
        if (!flooder->listenOn(unit->ip(), &why)) {
            *error = QStringLiteral("unit %1: %2").arg(unit->name(), why);
            return false;
        }
    }
    return true;
}

bool Lab::isOwnAddress(quint32 ip) const
{
    for (const auto& unit : m_units) {
        if (unit->ip() == ip)
            return true;
    }
    for (const LinkConfig& link : m_config.links()) {
        if (link.labIp == ip)
            return true;
    }
    return false;
}

bool Lab::isBroadcast(const LinkConfig& link, quint32 dst) const
{
    return dst == kLimitedBroadcast || dst == link.directedBroadcast();
}

bool Lab::isAddressedTo(const Unit& unit, const LinkConfig& link, quint32 dst) const
{
    return unit.link() == link.name && (dst == unit.ip() || isBroadcast(link, dst));
}

void Lab::onDiscoveryDatagram(const LinkConfig& link, const ReceivedDatagram& datagram)
{
    // Our own broadcast answers come back to us through the stack; they were never on the wire.
    if (isOwnAddress(datagram.src))
        return;
    m_log->udpHeard(link.name, kDiscoveryPort, datagram.src, datagram.srcPort, datagram.dst, datagram.data);
    if (datagram.data.startsWith(kDiscoveryQuery)) {
        answerDiscovery(link, datagram);
        floodDiscovery(link, datagram);
    } else if (datagram.data.startsWith(kSettingsTag))
        takeSettings(link, datagram);
}

void Lab::onLantronixDatagram(const LinkConfig& link, const ReceivedDatagram& datagram)
{
    if (isOwnAddress(datagram.src))
        return;
    m_log->udpHeard(link.name, kLantronixPort, datagram.src, datagram.srcPort, datagram.dst, datagram.data);
    if (datagram.data.startsWith(kLantronixQuery)) {
        answerLantronix(link, datagram);
        floodLantronix(link, datagram);
    } else if (datagram.data.startsWith(kIpSetupHead))
        takeXportAddress(link, datagram);
}

void Lab::answerDiscovery(const LinkConfig& link, const ReceivedDatagram& query)
{
    LinkSocket* socket = m_links.value(link.name).discovery;
    const bool broadcast = isBroadcast(link, query.dst);
    for (const auto& unit : m_units) {
        if (unit->isXport() || unit->isFlooder() || !isAddressedTo(*unit, link, query.dst))
            continue;
        if (broadcast ? !unit->answersBroadcast() : !unit->answersUnicast())
            continue;
        // A broadcast query is answered by broadcast: the tool listens on 255.255.255.255 only.
        const quint32 dst = broadcast ? kLimitedBroadcast : query.src;
        if (unit->config().delayMs > 0)
            sendAnswerLater(unit.get(), socket, dst, query.srcPort, false);
        else
            sendAnswer(unit.get(), socket, dst, query.srcPort, unit->discoveryAnswer());
    }
}

void Lab::answerLantronix(const LinkConfig& link, const ReceivedDatagram& query)
{
    LinkSocket* socket = m_links.value(link.name).lantronix;
    for (const auto& unit : m_units) {
        if (!unit->isXport() || !unit->config().lantronixAnswers || !isAddressedTo(*unit, link, query.dst))
            continue;
        if (unit->config().delayMs > 0)
            sendAnswerLater(unit.get(), socket, query.src, query.srcPort, true);
        else
            sendAnswer(unit.get(), socket, query.src, query.srcPort, unit->lantronixAnswer());
    }
}

// Answered where a real unit's answer would go; the flood runs on while the lab goes on answering.
void Lab::floodDiscovery(const LinkConfig& link, const ReceivedDatagram& query)
{
    const bool broadcast = isBroadcast(link, query.dst);
    for (const auto& unit : m_units) {
        if (!unit->isFlooder() || !isAddressedTo(*unit, link, query.dst))
            continue;
        if (broadcast ? !unit->answersBroadcast() : !unit->answersUnicast())
            continue;
        m_flooders.value(unit.get())
            ->floodDiscovery(m_links.value(link.name).discovery, broadcast ? kLimitedBroadcast : query.src,
                             query.srcPort);
    }
}

void Lab::floodLantronix(const LinkConfig& link, const ReceivedDatagram& query)
{
    for (const auto& unit : m_units) {
        if (unit->isFlooder() && isAddressedTo(*unit, link, query.dst))
            m_flooders.value(unit.get())->floodLantronix(m_links.value(link.name).lantronix, query.src, query.srcPort);
    }
}

void Lab::sendAnswer(Unit* unit, LinkSocket* socket, quint32 dst, quint16 port, const QByteArray& answer)
{
    QString error;
    if (!socket->sendFrom(unit->ip(), dst, port, answer, &error))
        m_log->problem(unit->name(),
                       QStringLiteral("answer to %1:%2 not sent: %3").arg(LabConfig::ipText(dst)).arg(port).arg(error));
    ::usleep(kAnswerGapUs);
}

void Lab::sendAnswerLater(Unit* unit, LinkSocket* socket, quint32 dst, quint16 port, bool lantronix)
{
    QTimer::singleShot(unit->config().delayMs, this, [this, unit, socket, dst, port, lantronix] {
        sendAnswer(unit, socket, dst, port, lantronix ? unit->lantronixAnswer() : unit->discoveryAnswer());
    });
}

void Lab::takeSettings(const LinkConfig& link, const ReceivedDatagram& datagram)
{
    if (datagram.data.size() < kSettingsLength)
        return;
    const QByteArray mac = datagram.data.mid(kSettingsMacAt, kMacLength);
    const quint32 ip = bigEndianAt(datagram.data, kSettingsIpAt);
    const quint32 mask = bigEndianAt(datagram.data, kSettingsMaskAt);
    const quint32 gateway = bigEndianAt(datagram.data, kSettingsGatewayAt);
    const quint32 dhcp = qFromLittleEndian<quint32>(datagram.data.constData() + kSettingsDhcpAt);
    for (const auto& unit : m_units) {
        if (unit->isXport() || unit->isFlooder() || unit->config().mac != mac || !unit->config().acceptSet ||
            !isAddressedTo(*unit, link, datagram.dst))
            continue;
        if (!isUsableAddress(ip)) {
            m_log->problem(unit->name(), QStringLiteral("ignored settings with address %1").arg(LabConfig::ipText(ip)));
            continue;
        }
        const QString dhcpState = unit->config().keepDhcp ? unit->dhcp()
                                  : dhcp != 0             ? QStringLiteral("1")
                                                          : QStringLiteral("0");
        // The tool sends each change twice (unicast, then broadcast): only a real change is logged.
        if (ip == unit->ip() && mask == unit->mask() && gateway == unit->gateway() && dhcpState == unit->dhcp())
            continue;
        moveUnit(*unit, ip);
        unit->applySettings(ip, mask, gateway, dhcpState);
        m_log->settingsChanged(unit->name(), unit->ip(), unit->mask(), unit->gateway(), unit->dhcp());
    }
}

void Lab::takeXportAddress(const LinkConfig& link, const ReceivedDatagram& datagram)
{
    if (datagram.data.size() < kIpSetupLength)
        return;
    const QByteArray macEnd = datagram.data.mid(kIpSetupMacAt, kIpSetupMacBytes);
    const quint32 ip = bigEndianAt(datagram.data, kIpSetupIpAt);
    for (const auto& unit : m_units) {
        if (!unit->isXport() || !unit->macEndsWith(macEnd) || !unit->config().acceptSet ||
            !isAddressedTo(*unit, link, datagram.dst))
            continue;
        if (!isUsableAddress(ip)) {
            m_log->problem(unit->name(), QStringLiteral("ignored IP-SETUP to %1").arg(LabConfig::ipText(ip)));
            continue;
        }
        if (ip == unit->ip())
            continue;
        moveUnit(*unit, ip);
        m_log->settingsChanged(unit->name(), unit->ip(), unit->mask(), unit->gateway(), unit->dhcp());
    }
}

bool Lab::isUsableAddress(quint32 ip) const
{
    const quint8 first = quint8(ip >> 24);
    return ip != 0 && ip != kLimitedBroadcast && first != 127 && first < 224;
}

void Lab::moveUnit(Unit& unit, quint32 ip)
{
    if (ip == unit.ip())
        return;
    m_addresses.add(unit.link(), ip);
    m_addresses.remove(unit.link(), unit.ip());
    QString error;
    if (!m_addresses.apply(&error))
        m_log->problem(unit.name(), error);
    unit.moveTo(ip);
    if (XportModule* module = m_modules.value(&unit)) {
        if (!module->listenOn(ip, &error))
            m_log->problem(unit.name(), error);
    }
    if (FirmwareServices* services = m_firmware.value(&unit)) {
        if (!services->listenOn(ip, &error))
            m_log->problem(unit.name(), error);
    }
}
