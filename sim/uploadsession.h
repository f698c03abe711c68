// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sha256stream.h"
#include "versionmarker.h"

#include <QByteArray>
#include <QObject>

class FirmwareServices;
class QTcpSocket;
class QTimer;

// One connection to a power supply's upload port: takes the image, hashing it as it arrives, decides when
// it is complete, then reports the installation with "$:" percentages and a final "#ACK" or "#NAK:".
class UploadSession : public QObject
{
    Q_OBJECT
public:
    UploadSession(QTcpSocket* socket, FirmwareServices* unit);

private:
    enum class State { Receiving, Installing, Done };

    void onReadyRead();
    void take(const char* data, qint64 size);
    qint64 bytesWanted() const;
    void complete(const QString& end);
    void install();
    void reportStep();
    void chatter();
    void flood();
    void finish(const QByteArray& answer);
    void onDisconnected();

    QTcpSocket* m_socket;
    FirmwareServices* m_unit;
    QString m_peer;
    State m_state = State::Receiving;
    QByteArray m_buffer;
    qint64 m_bytes = 0;
    Sha256Stream m_digest;
    VersionMarker m_marker;
    QTimer* m_quiet;
    QTimer* m_report;
    int m_step = 0;
};
