// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwarepacing.h"
#include "firmware/upgradeports.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpSocket>

// Drives the three XPort pins that select a DSP's boot mode (configurable-pin service), and loads the
// serial bootloader into a DSP that waits in its boot ROM (serial tunnel). Blocks the calling thread
// but lets it handle its pending events between steps; failures are told through signalError().
class dspProgMode : public QObject
{
    Q_OBJECT

public:
    enum Mode { normalMode = 0, programCommunication = 1, programControl = 2 };
    static constexpr int pinSteps = 4;
    static constexpr char bootloaderResource[] = ":/files/resources/Kolvex_Bootloader.hex";

    // Paced and reaching the module as its worker says.
    dspProgMode(const FirmwarePacing& pacing, const UpgradePorts& ports, QObject* parent = nullptr);
    // On its own: FirmwarePacing::current() and the well-known ports.
    explicit dspProgMode(QObject* parent = nullptr);

    void setProgMode(int mode, QString ip);
    void sendCommands();
    void writeData(QByteArray command);
    bool checkResponse(QByteArray expected);
    void loadBootloader();
    void readWithTimeout(int seconds);

    // Pin commands, expected replies and their names, step by step; step 3 is the last mode set.
    const QList<QByteArray>& commands() const { return m_commands; }
    const QList<QByteArray>& responses() const { return m_responses; }
    const QStringList& descriptions() const { return m_descriptions; }

signals:
    void signalIncreaseProgressBar();
    void signalError(QString message);

private:
    bool connectWithAttempts(quint16 port, int waitMs, int attempts);
    QByteArray drain(int seconds, qint64 keep);
    static QString echoMismatch(const QByteArray& sent, const QByteArray& echo);
    void step();

    FirmwarePacing m_pacing;
    UpgradePorts m_ports;
    QList<QByteArray> m_commands;
    QList<QByteArray> m_responses;
    QStringList m_descriptions;
    QTcpSocket m_socket;
    QString m_ip = QStringLiteral("192.168.10.10");
};
