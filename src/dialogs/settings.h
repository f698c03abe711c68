// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QHostAddress>
#include <memory>

#include "dialogs/userprompts.h"
#include "discovery/client.h"

namespace Ui {
class Settings;
}

// Edits the preferences the main window works with. The dialog never touches the settings store:
// it reports each changed value through its signals when the user applies.
class Settings : public QDialog
{
    Q_OBJECT

public:
    // Largest unicast range a scan may sweep: the scan engine's own bound.
    static constexpr quint64 maxUnicastRangeAddresses = Client::maxSweepAddresses;
    static constexpr int millisecondsPerSecond = 1000;
    static constexpr const char* invalidColour = "#c62828";

    // A full dotted IPv4 address such as 192.168.0.10.
    static bool isDottedIPv4(const QString& text);

    // Without prompts the dialog shows real message boxes.
    explicit Settings(QWidget* parent = nullptr, UserPrompts* prompts = nullptr);
    ~Settings() override;

    void showBroadcastTime(float ms);
    void showTimeout(float ms);
    void showFlagManualIP(bool flag);
    void showFlagUnicast(bool flag);
    void showStartIP(const QHostAddress& ip);
    void showStopIP(const QHostAddress& ip);
    void showNumbeOfThreads(int number);
    void showWaitForBytesWritten(int time);
    void showWaitForReadyRead(int time);
    void showWaitForConnected(int time);
    void showParallelUpgrades(int count);
    void showMaxFailures(int count);

signals:
    void signalChangeBroadcastTime(int time);
    void signalChangeTimeout(int time);
    void signalChangeFlagManualIP(bool flag);
    void signalChangeFlagUnicast(bool flag);
    void signalChangeStartIp(QHostAddress ip);
    void signalChangeEndIp(QHostAddress ip);
    void signalChangeNumbeOfThreads(int number);
    void signalChangeWaitForBytesWritten(int time);
    void signalChangeWaitForReadyRead(int time);
    void signalChangeWaitForConnected(int time);
    void signalChangeParallelUpgrades(int count);
    void signalChangeMaxFailures(int count);
    void signalClose();

public slots:
    void onChangeBroadcastTime();
    void onChangeTimeout();
    void onChangeNumbeOfThreads();
    void onChangeWaitForBytesWritten();
    void onChangeWaitForReadyRead();
    void onChangeWaitForConnected();
    void onChangeChangeFlagManualIP();
    void onChangeChangeFlagUnicast();
    void onIpLineEditTextChanged(const QString& text);
    void onApply();
    void onClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    // Why Apply cannot be used now (which field, what is wrong); empty when it can.
    QString applyProblem() const;
    void updateApplyState();
    bool unicastRangeAcceptable();
    void refuseUnicastRange(const QString& text);
    void emitChangedValues();
    void emitUnicastSettings();

    std::unique_ptr<Ui::Settings> ui;
    std::unique_ptr<UserPrompts> m_ownPrompts;
    UserPrompts* m_prompts;

    float m_shownBroadcastTime = 0;
    float m_editedBroadcastTime = 0;
    float m_shownTimeout = 0;
    float m_editedTimeout = 0;
    bool m_shownFlagManualIP = false;
    bool m_editedFlagManualIP = false;
    int m_shownNumbeOfThreads = 0;
    int m_editedNumbeOfThreads = 0;
    int m_shownWaitForBytesWritten = 0;
    int m_editedWaitForBytesWritten = 0;
    int m_shownWaitForReadyRead = 0;
    int m_editedWaitForReadyRead = 0;
    int m_shownWaitForConnected = 0;
    int m_editedWaitForConnected = 0;
    int m_shownParallelUpgrades = 0;
    int m_shownMaxFailures = 0;
};
