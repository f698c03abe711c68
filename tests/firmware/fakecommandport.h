// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/wellknownports.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// The text command port of a scripted instrument, served from the test's own thread. A command is a
// line ended by "\r\n", "\n" or "\r"; each one is recorded and answered as the script says.
class FakeCommandPort : public QObject
{
public:
    // Listens on the given port, 0 for one that the system picks.
    explicit FakeCommandPort(const QString& address, quint16 listenPort = port::command, QObject* parent = nullptr);

    bool isListening() const { return m_server.isListening(); }
    quint16 listeningPort() const { return m_server.serverPort(); }
    // The reply to one command, given with its terminator; an empty reply leaves it unanswered.
    void answer(const QByteArray& command, const QByteArray& reply) { m_answers.insert(command, {reply}); }
    // A reply written in several parts, gapMs apart.
    void answerInParts(const QByteArray& command, const QList<QByteArray>& parts, int gapMs);
    // The reply to every command that has none of its own.
    void answerOthers(const QByteArray& reply) { m_otherAnswer = reply; }
    // Answers this command with an endless stream of the piece, one every few milliseconds.
    void streamOn(const QByteArray& command, const QByteArray& piece, int everyMs);
    // Leaves the command with this index (counted over all connections from 0) and all later ones unanswered.
    void silenceFrom(int commandIndex) { m_silenceFrom = commandIndex; }
    void setAnswerDelayMs(int delayMs) { m_answerDelayMs = delayMs; }
    // Stops listening once this many connections were accepted.
    void acceptOnly(int connections) { m_acceptLimit = connections; }
    // Sent to every new connection before anything else.
    void greetWith(const QByteArray& bytes) { m_greeting = bytes; }

    QList<QByteArray> commands() const { return m_commands; }
    int connections() const { return m_connections; }
    // A command came in while the previous one on its connection was still waiting for its answer.
    bool overlapped() const { return m_overlapped; }

private:
    void onNewConnection();
    void onData(QTcpSocket* socket);
    void onCommand(QTcpSocket* socket, const QByteArray& command);
    QList<QByteArray> replyTo(const QByteArray& command) const;
    void writeParts(QTcpSocket* socket, QList<QByteArray> parts);

    QTcpServer m_server;
    QHash<QByteArray, QList<QByteArray>> m_answers;
    int m_partGapMs = 0;
    QByteArray m_otherAnswer;
    QByteArray m_streamCommand;
    QByteArray m_streamPiece;
    int m_streamEveryMs = 0;
    int m_silenceFrom = -1;
    int m_answerDelayMs = 0;
    int m_acceptLimit = -1;
    QByteArray m_greeting;
    QHash<QTcpSocket*, QByteArray> m_pending;
    QHash<QTcpSocket*, bool> m_awaitingAnswer;
    QHash<QTcpSocket*, bool> m_dropLineFeed;
    QList<QByteArray> m_commands;
    int m_connections = 0;
    bool m_overlapped = false;
};
