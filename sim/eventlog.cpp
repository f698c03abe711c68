// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "eventlog.h"

#include "labconfig.h"

#include <QJsonDocument>

#include <cstdio>

bool EventLog::open(const QString& path)
{
    m_clock.start();
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

void EventLog::udpHeard(const QString& link, quint16 port, quint32 src, quint16 srcPort, quint32 dst,
                        const QByteArray& data)
{
    write({{QStringLiteral("proto"), QStringLiteral("udp")},
           {QStringLiteral("link"), link},
           {QStringLiteral("port"), port},
           {QStringLiteral("src"), QStringLiteral("%1:%2").arg(LabConfig::ipText(src)).arg(srcPort)},
           {QStringLiteral("dst"), LabConfig::ipText(dst)},
           {QStringLiteral("len"), data.size()},
           {QStringLiteral("hex"), QString::fromLatin1(data.toHex())}});
}

void EventLog::tcpConnect(const QString& unit, const QString& peer, quint16 port)
{
    QJsonObject line{{QStringLiteral("proto"), QStringLiteral("tcp")},
                     {QStringLiteral("event"), QStringLiteral("connect")},
                     {QStringLiteral("unit"), unit},
                     {QStringLiteral("src"), peer}};
    if (port != 0)
        line.insert(QStringLiteral("port"), port);
    write(line);
}

void EventLog::tcpData(const QString& unit, const QString& peer, const QByteArray& data, quint16 port)
{
    QJsonObject line{{QStringLiteral("proto"), QStringLiteral("tcp")},
                     {QStringLiteral("event"), QStringLiteral("data")},
                     {QStringLiteral("unit"), unit},
                     {QStringLiteral("src"), peer},
                     {QStringLiteral("hex"), QString::fromLatin1(data.toHex())}};
    if (port != 0)
        line.insert(QStringLiteral("port"), port);
    write(line);
}

void EventLog::settingsChanged(const QString& unit, quint32 ip, quint32 mask, quint32 gateway, const QString& dhcp)
{
    write({{QStringLiteral("event"), QStringLiteral("set")},
           {QStringLiteral("unit"), unit},
           {QStringLiteral("ip"), LabConfig::ipText(ip)},
           {QStringLiteral("mask"), LabConfig::ipText(mask)},
           {QStringLiteral("gateway"), LabConfig::ipText(gateway)},
           {QStringLiteral("dhcp"), dhcp}});
}

void EventLog::problem(const QString& unit, const QString& text)
{
    std::fprintf(stderr, "kestrion-sim: %s: %s\n", qPrintable(unit), qPrintable(text));
    write({{QStringLiteral("event"), QStringLiteral("error")},
           {QStringLiteral("unit"), unit},
           {QStringLiteral("text"), text}});
}

void EventLog::write(QJsonObject line)
{
    line.insert(QStringLiteral("t"), m_clock.elapsed());
    if (!m_file.isOpen())
        return;
    m_file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
    m_file.flush();
}
