// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwarepacing.h"
#include "firmware/upgradeports.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpSocket>

// Changes the serial speed of an XPort through its text setup menu, the way a person at a terminal
// would. Blocks the calling thread. A menu that cannot be reached, or a prompt that does not come
// within the bounded number of tries, is told through signalError().
class xPortConfiguration : public QObject
{
    Q_OBJECT

public:
    static constexpr char bannerPrompt[] = "Press Enter for Setup Mode";
    static constexpr char menuPrompt[] = "Your choice ?";
    static constexpr char baudRateQuestion[] = "Baudrate";
    static constexpr char serialMenuChoice[] = "1";
    static constexpr char saveAndExitChoice[] = "9";

    // Paced and reaching the menu as its worker says.
    xPortConfiguration(const FirmwarePacing& pacing, const UpgradePorts& ports, QObject* parent = nullptr);
    // On its own: FirmwarePacing::current() and the well-known ports.
    explicit xPortConfiguration(QObject* parent = nullptr);

    void connectAndConfigure(QString ip, int baudRate);
    void configureDevice();
    void enterSetupMode();
    void setParameter(QString choice, QString question, QString value);
    void saveAndExit();
    void sendAndSearch(QString text, QString prompt);
    void sendData(QString text);
    void recData();
    void searchTermChar(QString prompt);

signals:
    void signalIncreaseProgressBar();
    void signalError(QString message);

private:
    void awaitNextPrompt();
    void fail(const QString& message);

    FirmwarePacing m_pacing;
    UpgradePorts m_ports;
    QTcpSocket m_socket;
    QByteArray m_receiveBuffer;
    QString m_baudRate;
    bool m_lineEnd = false;
    bool m_sendFirst = false;
    bool m_found = false;
    int m_searchesLeft = 0;
    bool m_failed = false;
};
