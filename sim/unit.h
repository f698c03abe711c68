// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "unitconfig.h"

#include <QByteArray>
#include <QString>

// One simulated instrument or XPort module: its present network settings and the answers it gives.
class Unit
{
public:
    explicit Unit(const UnitConfig& config);

    const UnitConfig& config() const { return m_config; }
    QString name() const { return m_config.name; }
    QString link() const { return m_config.link; }
    UnitKind kind() const { return m_config.kind; }
    bool isXport() const { return m_config.kind == UnitKind::Xport; }
    bool isFlooder() const { return m_config.kind == UnitKind::Flooder; }

    quint32 ip() const { return m_ip; }
    quint32 mask() const { return m_mask; }
    quint32 gateway() const { return m_gateway; }
    QString dhcp() const { return m_dhcp; }
    void applySettings(quint32 ip, quint32 mask, quint32 gateway, const QString& dhcp);
    void moveTo(quint32 ip) { m_ip = ip; }

    bool answersBroadcast() const;
    bool answersUnicast() const;
    bool macEndsWith(const QByteArray& lastBytes) const { return m_config.mac.endsWith(lastBytes); }

    QByteArray discoveryAnswer() const;
    QByteArray lantronixAnswer() const;

    // The firmware version the unit reports: the one an upgrade installed, else the lab file's.
    QString firmwareVersion() const;
    void installFirmware(const QString& version) { m_installedFirmware = version; }
    // A rebooting unit answers no discovery query.
    void setRebooting(bool rebooting) { m_rebooting = rebooting; }

private:
    QByteArray legacyAnswer() const;
    QByteArray jsonAnswer() const;
    QByteArray powerSupplyLines() const;
    void keepMember(QJsonObject& object, const QString& key, const QString& value) const;
    QString configuredFirmware() const;

    UnitConfig m_config;
    quint32 m_ip;
    quint32 m_mask;
    quint32 m_gateway;
    QString m_dhcp;
    QString m_installedFirmware;
    bool m_rebooting = false;
};
