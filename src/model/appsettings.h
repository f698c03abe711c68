// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QSettings>
#include <QString>

// The user's preferences in "kestrionConfig.ini" of the per-user configuration
// directory. Getters read the file on every call and fall back to the default
// of a key whose value is unreadable or outside what its setter accepts; setters
// ignore values out of range.
class AppSettings : public QSettings
{
public:
    // The window completes the file at once; the command-line companion only reads it.
    enum class MissingKeys { WriteDefaults, LeaveFileAlone };
    // The longest scan time setScanTime takes, in milliseconds.
    static constexpr int maxScanTime = 99000;
    // How many units an upgrade run takes at once, and after how many failed units it starts no further one.
    static constexpr int defaultParallelUpgrades = 4;
    static constexpr int maxParallelUpgrades = 32;
    static constexpr int defaultMaxFailures = 3;
    static constexpr int maxMaxFailures = 999;

    explicit AppSettings(MissingKeys missingKeys = MissingKeys::WriteDefaults);

    int getScanTime();
    int getTimeout();
    bool getFlagManualIP();
    bool getFlagSendUnicastMessage();
    QHostAddress getStartIP();
    QHostAddress getEndIP();
    QString getFwDefaultDir();
    int getNumbeOfThreads();
    int getWaitForBytesWritten();
    int getWaitForReadyRead();
    int getWaitForConnected();
    int getParallelUpgrades();
    int getMaxFailures();

    void setScanTime(int ms);
    void setResponseTimeout(int ms);
    void setFlagManualIP(bool flag);
    void setFlagSendUnicastMessage(bool flag);
    void setStartIP(const QHostAddress& address);
    void setEndIP(const QHostAddress& address);
    void setFwDefaultDir(const QString& path);
    void setNumbeOfThreads(int count);
    void setWaitForBytesWritten(int ms);
    void setWaitForReadyRead(int ms);
    void setWaitForConnected(int ms);
    void setParallelUpgrades(int count);
    void setMaxFailures(int count);

    void save();

    static QString filePath();
};
