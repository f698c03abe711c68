// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "versionmarker.h"

#include <QObject>

class FirmwareServices;
class FloodSender;
class PeriodicSender;
class QTcpSocket;

// One connection to a unit's command port: each text command answered with one line, and the flash
// programming run (erase sectors, enter writing, one image line per exchange, end and restart).
class CommandSession : public QObject
{
    Q_OBJECT
public:
    CommandSession(QTcpSocket* socket, FirmwareServices* unit);

private:
    void onReadyRead();
    void handlePending();
    void handleLine(const QByteArray& line);
    void handleNormally(const QByteArray& line);
    bool isHostile() const;
    void answerHostile();
    void startTalking();
    bool handleCommand(const QByteArray& command);
    bool handleFlash(const QByteArray& command);

    void identify();
    void status();
    void dcLink();
    void dcLinkLimit();
    void reboot();
    void erase(const QByteArray& sector);
    void startWriting();
    void writeLine(const QByteArray& line);
    void endProgramming();

    void answer(const QByteArray& text);
    void answerFlash(const QByteArray& text);
    void refuse(const QByteArray& command, const QByteArray& reason, bool flash);

    QTcpSocket* m_socket;
    FirmwareServices* m_unit;
    QString m_peer;
    QByteArray m_pending;
    bool m_busy = false;
    bool m_silent = false;
    bool m_writing = false;
    int m_commands = 0;
    PeriodicSender* m_talker = nullptr;
    FloodSender* m_flood = nullptr;
    int m_lines = 0;
    int m_refusedLines = 0;
    VersionMarker m_marker;
};
