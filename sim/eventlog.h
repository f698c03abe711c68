// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QString>

// Appends one JSON object a line and flushes it at once: tests read the log while the lab runs.
class EventLog
{
public:
    bool open(const QString& path);
    QString errorString() const { return m_file.errorString(); }

    void udpHeard(const QString& link, quint16 port, quint32 src, quint16 srcPort, quint32 dst, const QByteArray& data);
    void tcpConnect(const QString& unit, const QString& peer);
    void tcpData(const QString& unit, const QString& peer, const QByteArray& data);
    void settingsChanged(const QString& unit, quint32 ip, quint32 mask, quint32 gateway, const QString& dhcp);
    void problem(const QString& unit, const QString& text);
    // Any other line, for services that define their own events.
    void event(QJsonObject line) { write(std::move(line)); }

private:
    void write(QJsonObject line);

    QFile m_file;
    QElapsedTimer m_clock;
};
