// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QTcpServer;
class QTcpSocket;

// One TCP port of a module: listens on the module's present address and hands every connection to a new
// session. A module that restarts stops listening and then drops every open connection.
class TcpService : public QObject
{
    Q_OBJECT
public:
    // Makes the session object for an accepted socket; the session takes the socket.
    using SessionFactory = std::function<QObject*(QTcpSocket* socket, QObject* parent)>;

    TcpService(quint16 port, SessionFactory factory, QObject* parent = nullptr);

    quint16 port() const { return m_port; }
    bool listenOn(quint32 ip, QString* error);
    void stopListening();
    // What a session has written still leaves; then the connection is gone.
    void dropSessions();

    template <class Session> QList<Session*> sessions() const
    {
        QList<Session*> result;
        for (const QPointer<QObject>& session : m_sessions) {
            if (auto* typed = qobject_cast<Session*>(session.data()))
                result.append(typed);
        }
        return result;
    }

private:
    void onNewConnection();

    quint16 m_port;
    SessionFactory m_factory;
    QTcpServer* m_server;
    QList<QPointer<QObject>> m_sessions;
};
