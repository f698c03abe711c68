// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/wellknownports.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// The firmware upload port of a scripted power supply, served from the test's own thread: it takes the
// file and, once all of it is in, sends its installation report (or drops the connection).
class FakeUploadPort : public QObject
{
public:
    // Listens on the given port, 0 for one that the system picks.
    explicit FakeUploadPort(const QString& address, quint16 listenPort = port::upload, QObject* parent = nullptr);

    bool isListening() const { return m_server.isListening(); }
    quint16 listeningPort() const { return m_server.serverPort(); }
    // The size of the file; the report starts once this many bytes came in (never when negative).
    void expectBytes(qint64 bytes) { m_expected = bytes; }
    // Each reply is written on its own, the next one gapMs after the previous.
    void replyWith(const QList<QByteArray>& replies, int gapMs = 20);
    void dropWhenReceived() { m_dropWhenReceived = true; }
    // Reads nothing: the supply stops taking the file.
    void stall() { m_stalled = true; }
    void send(const QByteArray& bytes);

    QByteArray received() const { return m_received; }
    int connections() const { return m_connections; }
    bool clientConnected() const { return m_client && m_client->state() == QAbstractSocket::ConnectedState; }

private:
    void onNewConnection();
    void onData();
    void onFileReceived();
    void sendNextReply();

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    qint64 m_expected = 0;
    QList<QByteArray> m_replies;
    int m_gapMs = 0;
    bool m_dropWhenReceived = false;
    bool m_stalled = false;
    bool m_reported = false;
    QByteArray m_received;
    int m_connections = 0;
};
