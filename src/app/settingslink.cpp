// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settingslink.h"

#include "dialogs/settings.h"
#include "discovery/client.h"
#include "model/appsettings.h"

#include <QWidget>

SettingsLink::SettingsLink(Client& client, AppSettings& settings, int& updateTimeout, bool& flagManualIP,
                           QWidget* manualIpFrame, QObject* parent)
    : QObject(parent), m_client(client), m_settings(settings), m_updateTimeout(updateTimeout),
      m_flagManualIP(flagManualIP), m_manualIpFrame(manualIpFrame)
{}

void SettingsLink::copyToEngine()
{
    m_client.takeSettings(m_settings);
}

void SettingsLink::fill(Settings& dialog) const
{
    dialog.showBroadcastTime(m_client.scanTime);
    dialog.showTimeout(m_updateTimeout);
    dialog.showFlagManualIP(m_flagManualIP);
    dialog.showFlagUnicast(m_client.flagSendUnicast);
    dialog.showStartIP(m_client.startIp);
    dialog.showStopIP(m_client.endIp);
    dialog.showNumbeOfThreads(m_client.nThreads);
    dialog.showWaitForBytesWritten(m_client.waitWritten);
    dialog.showWaitForReadyRead(m_client.waitRead);
    dialog.showWaitForConnected(m_client.waitConnected);
    dialog.showParallelUpgrades(m_settings.getParallelUpgrades());
    dialog.showMaxFailures(m_settings.getMaxFailures());
}

void SettingsLink::follow(Settings& dialog)
{
    followScanOptions(dialog);
    connect(&dialog, &Settings::signalChangeTimeout, this, [this](int time) {
        m_updateTimeout = time;
        m_settings.setResponseTimeout(time);
    });
    connect(&dialog, &Settings::signalChangeFlagManualIP, this, [this](bool flag) {
        m_flagManualIP = flag;
        m_manualIpFrame->setVisible(flag);
        m_settings.setFlagManualIP(flag);
    });
    // The firmware page reads both from the store when a run starts.
    connect(&dialog, &Settings::signalChangeParallelUpgrades, this,
            [this](int count) { m_settings.setParallelUpgrades(count); });
    connect(&dialog, &Settings::signalChangeMaxFailures, this, [this](int count) { m_settings.setMaxFailures(count); });
    followTcpOptions(dialog);
    connect(&dialog, &Settings::signalClose, &dialog, &QObject::deleteLater);
}

void SettingsLink::followScanOptions(Settings& dialog)
{
    connect(&dialog, &Settings::signalChangeBroadcastTime, this, [this](int time) {
        m_client.scanTime = time;
        m_settings.setScanTime(time);
    });
    connect(&dialog, &Settings::signalChangeFlagUnicast, this, [this](bool flag) {
        m_client.flagSendUnicast = flag;
        m_settings.setFlagSendUnicastMessage(flag);
    });
    connect(&dialog, &Settings::signalChangeStartIp, this, [this](QHostAddress ip) {
        m_client.startIp = ip;
        m_settings.setStartIP(ip);
    });
    connect(&dialog, &Settings::signalChangeEndIp, this, [this](QHostAddress ip) {
        m_client.endIp = ip;
        m_settings.setEndIP(ip);
    });
}

void SettingsLink::followTcpOptions(Settings& dialog)
{
    connect(&dialog, &Settings::signalChangeNumbeOfThreads, this, [this](int number) {
        m_client.nThreads = number;
        m_settings.setNumbeOfThreads(number);
    });
    connect(&dialog, &Settings::signalChangeWaitForBytesWritten, this, [this](int time) {
        m_client.waitWritten = time;
        m_settings.setWaitForBytesWritten(time);
    });
    connect(&dialog, &Settings::signalChangeWaitForReadyRead, this, [this](int time) {
        m_client.waitRead = time;
        m_settings.setWaitForReadyRead(time);
    });
    connect(&dialog, &Settings::signalChangeWaitForConnected, this, [this](int time) {
        m_client.waitConnected = time;
        m_settings.setWaitForConnected(time);
    });
}
