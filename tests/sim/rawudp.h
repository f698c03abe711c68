// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A bare UDP socket for checking the simulator from the tool side, independent of the tool's own classes.
class RawUdp
{
public:
    struct Datagram
    {
        QString src;
        quint16 srcPort = 0;
        QByteArray data;
        qint64 elapsedMs = 0;
    };

    RawUdp();
    ~RawUdp();
    RawUdp(const RawUdp&) = delete;
    RawUdp& operator=(const RawUdp&) = delete;

    bool bind(const QString& address, quint16 port, const QString& device = QString());
    bool sendTo(const QString& address, quint16 port, const QByteArray& data);
    quint16 localPort() const;
    QString errorString() const { return m_error; }

    // Everything that arrives within `ms`, times counted from the call.
    QList<Datagram> receiveFor(int ms);

private:
    bool fail(const char* what);

    int m_fd;
    QString m_error;
};
