// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"
#include "model/interfaces_t.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QTextStream;
class QUdpSocket;

// Sends new network settings to instruments (addressed by MAC inside the
// datagram, so a unit whose present address is unreachable still takes them)
// and writes and reads the comma-separated network configuration file.
class changeNetworkConfiguration : public QObject
{
    Q_OBJECT

public:
    static constexpr int macLength = 6;
    static constexpr int configurationPacketLength = 36;
    static constexpr int xportConfigurationPacketLength = 20;
    // The XPort needs a moment between the two datagrams of one interface.
    static constexpr unsigned long broadcastPauseMs = 5;

    // How the sender waits between datagrams; tests hand in one that notes what was asked.
    using Pause = std::function<void(unsigned long milliseconds)>;

    explicit changeNetworkConfiguration(QObject* parent = nullptr);

    void setPause(Pause pause) { m_pause = std::move(pause); }
    // How many datagrams this sender has handed to the network so far.
    int sentDatagrams() const { return m_sentDatagrams; }

    static QByteArray buildConfigurationPacket(const QByteArray& mac, ushort port, uint ip, uint mask, uint gateway,
                                               uint dhcp);
    static QByteArray buildXportConfigurationPacket(const QByteArray& mac, uint ip);

    void configureDeviceUnicast(const QHostAddress& target, const QByteArray& mac, ushort port, uint ip, uint mask,
                                uint gateway, uint dhcp);
    void configureDeviceBroadcast(const QByteArray& mac, ushort port, uint ip, uint mask, uint gateway, uint dhcp);

    bool sendNewConfig(const QList<interfaces_t>& interfaces, const QString& mac, ushort port, uint ip, uint mask,
                       uint gateway, uint dhcp, const QHostAddress& target);
    bool uploadNetwConf(QList<interfaces_t> interfaces, QList<QList<QString>> rows);

    void downloadNetwConf(QList<Device_t> devices, QString path);
    // The text of the network configuration file, header and columns included.
    static void writeNetwConf(QTextStream& out, const QList<Device_t>& devices);
    QList<QList<QString>> readNewNetwConfFile(QString path);

    // Why the last sendNewConfig or uploadNetwConf sent nothing (or not all);
    // empty after a success.
    QString lastError() const;

    // Six MAC bytes from text such as 00:1A:2B:3C:4D:5E; empty when a group
    // does not parse. The separators are not examined.
    static QByteArray parseMac(const QString& mac);
    // An IPv4 address written in full dotted form (10.77.1.5), as a number; 0 for any other text.
    static quint32 parseAddress(const QString& text);

private:
    QString refusalReason(const QString& mac, ushort port, uint ip, uint mask, uint gateway,
                          const QStringList& addressTexts = {}) const;

    void send(QUdpSocket& socket, const QByteArray& datagram, const QHostAddress& target, quint16 port);
    void pauseBetweenBroadcasts();

    QList<interfaces_t> m_interfaces;
    QString m_lastError;
    Pause m_pause;
    int m_sentDatagrams = 0;
};
