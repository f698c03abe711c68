// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QObject>

class QTcpSocket;
class QTimer;
class XportModule;

// One connection to the XPort's setup menu: the banner, Enter within the banner window, the settings and
// the menu; entry 1 asks the channel's questions (the speed first), 8 leaves, 9 saves and restarts.
class SetupMenuSession : public QObject
{
    Q_OBJECT
public:
    SetupMenuSession(QTcpSocket* socket, XportModule* module, QObject* parent = nullptr);

private:
    enum class Stage { Banner, Menu, Channel, Closed };

    bool talksForEver() const;
    void talk();
    void onReadyRead();
    void takeLine(const QByteArray& line);
    void onBannerWindowOver();
    void choose(const QByteArray& choice);
    void answer(const QByteArray& text);
    void ask();
    QByteArray banner() const;
    QByteArray settings() const;
    QByteArray menu() const;
    void send(const QByteArray& text);
    void closeWith(const QByteArray& text, const QString& how);
    void note(QJsonObject fields);

    QTcpSocket* m_socket;
    XportModule* m_module;
    QString m_peer;
    Stage m_stage = Stage::Banner;
    QByteArray m_pending;
    bool m_afterCr = false;
    int m_question = 0;
    int m_baud;
    QTimer* m_bannerWindow;
};
