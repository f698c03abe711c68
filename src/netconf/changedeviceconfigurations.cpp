// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netconf/changedeviceconfigurations.h"

#include "model/device.h"
#include "model/unitlock.h"
#include "model/wellknownports.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>
#include <QThread>
#include <QUdpSocket>
#include <QtEndian>

#include <algorithm>

namespace {

constexpr char setPacketTag[] = "Ostravi Set:";
constexpr char xportSetTemplateHex[] = "000000fc49502d53455455500000";
constexpr quint32 allOnes = 0xFFFFFFFFu;
constexpr int rowEntries = 6;
constexpr int rowMacEntry = 2;
constexpr int rowIpEntry = 3;
constexpr int rowMaskEntry = 4;
constexpr int rowGatewayEntry = 5;
constexpr int fileFields = 7;
constexpr char fileHeader[] =
    "[Ostravi]\n[Kestrion - Network Configurations]\n\n** You can edit this file to change the "
    "network configurations of the devices in the list **\n\n";
constexpr char fileColumns[] = "Key,Family,Serial Number,MAC Address,IP Address,Subnet Mask,Gateway\n";
constexpr char fieldSeparator = ',';

void appendBigEndian32(QByteArray& packet, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    packet.append(bytes, 4);
}

bool isUsableAddress(quint32 value)
{
    return value != 0 && value != allOnes;
}

bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

} // namespace

changeNetworkConfiguration::changeNetworkConfiguration(QObject* parent)
    : QObject(parent), m_pause([](unsigned long milliseconds) { QThread::msleep(milliseconds); })
{}

void changeNetworkConfiguration::send(QUdpSocket& socket, const QByteArray& datagram, const QHostAddress& target,
                                      quint16 port)
{
    socket.writeDatagram(datagram, target, port);
    ++m_sentDatagrams;
}

void changeNetworkConfiguration::pauseBetweenBroadcasts()
{
    m_pause(broadcastPauseMs);
}

QByteArray changeNetworkConfiguration::buildConfigurationPacket(const QByteArray& mac, ushort port, uint ip, uint mask,
                                                                uint gateway, uint dhcp)
{
    if (mac.size() < macLength)
        return {};
    QByteArray packet(setPacketTag);
    packet.append(mac.left(macLength));
    char portBytes[2];
    qToBigEndian(static_cast<quint16>(port), portBytes);
    packet.append(portBytes, 2);
    appendBigEndian32(packet, ip);
    appendBigEndian32(packet, mask);
    appendBigEndian32(packet, gateway);
    // The units read the DHCP word little-endian, unlike every other field.
    char dhcpBytes[4];
    qToLittleEndian(static_cast<quint32>(dhcp), dhcpBytes);
    packet.append(dhcpBytes, 4);
    return packet;
}

QByteArray changeNetworkConfiguration::buildXportConfigurationPacket(const QByteArray& mac, uint ip)
{
    if (mac.size() < macLength)
        return {};
    QByteArray packet = QByteArray::fromHex(xportSetTemplateHex);
    // The module recognises itself by the last two bytes of its MAC only.
    packet.append(mac.mid(4, 2));
    appendBigEndian32(packet, ip);
    return packet;
}

void changeNetworkConfiguration::configureDeviceUnicast(const QHostAddress& target, const QByteArray& mac, ushort port,
                                                        uint ip, uint mask, uint gateway, uint dhcp)
{
    const QByteArray packet = buildConfigurationPacket(mac, port, ip, mask, gateway, dhcp);
    if (packet.isEmpty())
        return;
    QUdpSocket socket;
    // No answer is expected: the caller rescans to see whether the unit moved.
    send(socket, packet, target, port::discovery);
}

void changeNetworkConfiguration::configureDeviceBroadcast(const QByteArray& mac, ushort port, uint ip, uint mask,
                                                          uint gateway, uint dhcp)
{
    const QByteArray packet = buildConfigurationPacket(mac, port, ip, mask, gateway, dhcp);
    const QByteArray xportPacket = buildXportConfigurationPacket(mac, ip);
    if (packet.isEmpty() || xportPacket.isEmpty())
        return;
    for (const interfaces_t& interface : qAsConst(m_interfaces)) {
        if (!interface.selected)
            continue;
        QUdpSocket socket;
        // Bound to the interface's own address, the limited broadcast leaves
        // through that interface and carries it as source.
        if (!socket.bind(QHostAddress(interface.ip), port::discovery,
                         QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint))
            continue;
        send(socket, packet, QHostAddress::Broadcast, port::discovery);
        pauseBetweenBroadcasts();
        send(socket, xportPacket, QHostAddress::Broadcast, port::lantronix);
        socket.close();
        pauseBetweenBroadcasts();
    }
}

QByteArray changeNetworkConfiguration::parseMac(const QString& mac)
{
    QByteArray bytes;
    for (int i = 0; i < macLength; ++i) {
        const QString group = mac.mid(3 * i, 2);
        if (group.isEmpty() || !std::all_of(group.cbegin(), group.cend(), isHexDigit))
            return {};
        bytes.append(static_cast<char>(group.toUInt(nullptr, 16)));
    }
    return bytes;
}

// Only the full dotted form counts: the host-address parser would read "10.77.1"
// as 10.77.0.1 and send a unit to an address nobody typed.
quint32 changeNetworkConfiguration::parseAddress(const QString& text)
{
    static const QRegularExpression dottedQuad(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    const QString trimmed = text.trimmed();
    if (!dottedQuad.match(trimmed).hasMatch())
        return 0;
    return QHostAddress(trimmed).toIPv4Address();
}

QString changeNetworkConfiguration::refusalReason(const QString& mac, ushort port, uint ip, uint mask, uint gateway,
                                                  const QStringList& addressTexts) const
{
    // Name the user's own text where there is one: "0.0.0.0" would hide a typo.
    auto shown = [&addressTexts](int index, uint value) {
        return index < addressTexts.size() ? QStringLiteral("\"%1\"").arg(addressTexts.at(index))
                                           : QHostAddress(value).toString();
    };
    QStringList reasons;
    if (parseMac(mac).isEmpty())
        reasons << tr("the MAC address \"%1\" is not valid").arg(mac);
    if (!isUsableAddress(ip))
        reasons << tr("the IP address %1 is not valid").arg(shown(0, ip));
    if (port == 0)
        reasons << tr("the port 0 is not valid");
    if (!isUsableAddress(mask))
        reasons << tr("the subnet mask %1 is not valid").arg(shown(1, mask));
    if (!isUsableAddress(gateway))
        reasons << tr("the gateway %1 is not valid").arg(shown(2, gateway));
    return reasons.join(QStringLiteral(", "));
}

bool changeNetworkConfiguration::sendNewConfig(const QList<interfaces_t>& interfaces, const QString& mac, ushort port,
                                               uint ip, uint mask, uint gateway, uint dhcp, const QHostAddress& target)
{
    const QByteArray macBytes = parseMac(mac);
    if (!macBytes.isEmpty())
        m_interfaces = interfaces;
    const QString reason = refusalReason(mac, port, ip, mask, gateway);
    if (!reason.isEmpty()) {
        // The caller puts it after its own "nothing was sent" notice.
        m_lastError = reason;
        return false;
    }
    // Every path that sends new settings comes through here: none reaches a unit another Kestrion holds.
    const UnitLock claim(mac, UnitLock::Purpose::Configuration);
    if (!claim.isHeld()) {
        m_lastError = claim.refusal();
        return false;
    }
    m_lastError.clear();
    configureDeviceUnicast(target, macBytes, port, ip, mask, gateway, dhcp);
    configureDeviceBroadcast(macBytes, port, ip, mask, gateway, dhcp);
    return true;
}

bool changeNetworkConfiguration::uploadNetwConf(QList<interfaces_t> interfaces, QList<QList<QString>> rows)
{
    if (rows.isEmpty()) {
        m_lastError = tr("There are no device rows to send.");
        return false;
    }
    QStringList refused;
    for (int i = 0; i < rows.size(); ++i) {
        const QList<QString>& row = rows.at(i);
        const int number = i + 1;
        if (row.size() < rowEntries) {
            refused << tr("row %1 has %2 of %3 entries; it and the rows after it were not sent")
                           .arg(number)
                           .arg(row.size())
                           .arg(rowEntries);
            m_lastError = refused.join(QLatin1Char('\n'));
            return false;
        }
        const QString& mac = row.at(rowMacEntry);
        const uint ip = parseAddress(row.at(rowIpEntry));
        const uint mask = parseAddress(row.at(rowMaskEntry));
        const uint gateway = parseAddress(row.at(rowGatewayEntry));
        // Only the broadcast reaches the units here: their present addresses are not known.
        if (!sendNewConfig(interfaces, mac, port::command, ip, mask, gateway, 0, QHostAddress(QHostAddress::AnyIPv4))) {
            QString reason = refusalReason(mac, port::command, ip, mask, gateway,
                                           {row.at(rowIpEntry), row.at(rowMaskEntry), row.at(rowGatewayEntry)});
            if (reason.isEmpty())
                reason = m_lastError;
            refused << tr("row %1 (%2) was not sent: %3").arg(number).arg(mac, reason);
        }
    }
    m_lastError = refused.join(QLatin1Char('\n'));
    return refused.isEmpty();
}

void changeNetworkConfiguration::downloadNetwConf(QList<Device_t> devices, QString path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_lastError = tr("Unable to write %1: %2").arg(path, file.errorString());
        return;
    }
    QTextStream out(&file);
    writeNetwConf(out, devices);
    out.flush();
    file.close();
    m_lastError.clear();
}

void changeNetworkConfiguration::writeNetwConf(QTextStream& out, const QList<Device_t>& devices)
{
    out << fileHeader << fileColumns;
    for (const Device_t& device : devices) {
        const QStringList fields{device.code, device.group,   device.serialNumber, device.mac,
                                 device.ip,   device.netmask, device.gateway};
        out << fields.join(QLatin1Char(fieldSeparator)) << '\n';
    }
}

QList<QList<QString>> changeNetworkConfiguration::readNewNetwConfFile(QString path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_lastError = tr("Unable to read %1: %2").arg(path, file.errorString());
        return {};
    }
    QList<QList<QString>> rows;
    int lineNumber = 0;
    while (!file.atEnd()) {
        ++lineNumber;
        const QStringList fields = QString::fromLocal8Bit(file.readLine()).split(QLatin1Char(fieldSeparator));
        const QString& key = fields.at(0);
        if (!device::isPowerSupply(key) && !device::isBeamline(key) && !device::isCurrentTr(key))
            continue;
        if (fields.size() < fileFields) {
            m_lastError =
                tr("Line %1 of %2 has %3 of %4 fields.").arg(lineNumber).arg(path).arg(fields.size()).arg(fileFields);
            return {};
        }
        QString gateway = fields.at(6);
        gateway.truncate(gateway.indexOf(QLatin1Char('\n')) < 0 ? gateway.size() : gateway.indexOf(QLatin1Char('\n')));
        // A file edited on Windows ends its lines with CR LF.
        if (gateway.endsWith(QLatin1Char('\r')))
            gateway.chop(1);
        rows.append({fields.at(1), fields.at(2), fields.at(3), fields.at(4), fields.at(5), gateway});
    }
    if (rows.isEmpty())
        m_lastError = tr("%1 holds no power-supply, beamline or current-transducer rows.").arg(path);
    else
        m_lastError.clear();
    return rows;
}

QString changeNetworkConfiguration::lastError() const
{
    return m_lastError;
}
