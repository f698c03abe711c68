// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "flashmemory.h"

#include <QList>
#include <QString>

class EventLog;

// The log lines of one unit's firmware services: what arrived on its ports and what it did with it.
class FirmwareLog
{
public:
    // Upload chunks are logged with this many bytes at most; "len" tells the whole.
    static constexpr int kUploadPreview = 32;

    FirmwareLog(EventLog* log, const QString& unit) : m_log(log), m_unit(unit) {}

    void connected(quint16 port, const QString& peer);
    void received(quint16 port, const QString& peer, const QByteArray& data);
    void receivedUpload(quint16 port, const QString& peer, const char* data, qint64 size);
    void upload(qint64 bytes, const QByteArray& sha256, const QString& end, const QString& version);
    void erase(int sector);
    void refused(const QByteArray& command, const QString& reason);
    void flash(int lines, int refused, const QList<FlashMemory::Region>& regions);
    void reboot(const QString& version);
    // One upgrade of the unit begins (a connection to its upload port) or ends (that connection closed).
    void upgradeBegins(const QString& peer);
    void upgradeEnds(const QString& peer);
    void problem(const QString& text);

private:
    EventLog* m_log;
    QString m_unit;
};
