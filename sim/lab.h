// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "interfaceaddresses.h"
#include "labconfig.h"
#include "receiveddatagram.h"

#include <QHash>
#include <QObject>

#include <memory>
#include <vector>

class EventLog;
class FirmwareServices;
class Flooder;
class LinkSocket;
class Unit;
class XportModule;

// The whole simulated lab: hears every link, lets the right units answer and keeps their addresses current.
class Lab : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kDiscoveryPort = 30719;
    static constexpr quint16 kLantronixPort = 30718;

    Lab(const LabConfig& config, EventLog* log, QObject* parent = nullptr);
    ~Lab() override;

    bool start(QString* error);

private:
    struct LinkSockets
    {
        LinkConfig config;
        LinkSocket* discovery = nullptr;
        LinkSocket* lantronix = nullptr;
    };

    bool openLink(const LinkConfig& link, QString* error);
    bool startModules(QString* error);
    bool startFirmwareServices(QString* error);
    bool startFlooders(QString* error);
    void onDiscoveryDatagram(const LinkConfig& link, const ReceivedDatagram& datagram);
    void onLantronixDatagram(const LinkConfig& link, const ReceivedDatagram& datagram);
    bool isOwnAddress(quint32 ip) const;
    bool isBroadcast(const LinkConfig& link, quint32 dst) const;
    bool isAddressedTo(const Unit& unit, const LinkConfig& link, quint32 dst) const;

    void answerDiscovery(const LinkConfig& link, const ReceivedDatagram& query);
    void answerLantronix(const LinkConfig& link, const ReceivedDatagram& query);
    void floodDiscovery(const LinkConfig& link, const ReceivedDatagram& query);
    void floodLantronix(const LinkConfig& link, const ReceivedDatagram& query);
    void sendAnswer(Unit* unit, LinkSocket* socket, quint32 dst, quint16 port, const QByteArray& answer);
    void sendAnswerLater(Unit* unit, LinkSocket* socket, quint32 dst, quint16 port, bool lantronix);
    void takeSettings(const LinkConfig& link, const ReceivedDatagram& datagram);
    void takeXportAddress(const LinkConfig& link, const ReceivedDatagram& datagram);
    void moveUnit(Unit& unit, quint32 ip);
    bool isUsableAddress(quint32 ip) const;

    LabConfig m_config;
    EventLog* m_log;
    InterfaceAddresses m_addresses;
    std::vector<std::unique_ptr<Unit>> m_units;
    QHash<QString, LinkSockets> m_links;
    QHash<const Unit*, XportModule*> m_modules;
    QHash<const Unit*, FirmwareServices*> m_firmware;
    QHash<const Unit*, Flooder*> m_flooders;
};
