// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "receiveddatagram.h"

#include <QObject>
#include <QString>

class QSocketNotifier;

// One UDP port on one link: hears broadcasts and unicasts arriving on that interface only, and sends from
// any unit address of the lab, so a single socket serves every unit of the link.
class LinkSocket : public QObject
{
    Q_OBJECT
public:
    LinkSocket(const QString& device, quint16 port, QObject* parent = nullptr);
    ~LinkSocket() override;

    bool open(QString* error);
    bool sendFrom(quint32 src, quint32 dst, quint16 dstPort, const QByteArray& data, QString* error);
    quint16 port() const { return m_port; }

signals:
    void datagramReceived(const ReceivedDatagram& datagram);

private:
    bool setOption(int level, int option, const void* value, unsigned length, const char* name, QString* error);
    bool waitWritable();
    void readPending();
    bool readOne();

    QString m_device;
    quint16 m_port;
    int m_fd = -1;
    int m_ifindex = 0;
    QSocketNotifier* m_notifier = nullptr;
};
