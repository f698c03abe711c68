// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class AppSettings;
class Client;
class Settings;
class QWidget;

// Between the settings dialog and what it edits: fills a dialog with the values in use (the scan
// engine's and the window's working copies) and applies each change it reports to those copies and
// to the store. The store may refuse a value; it then holds for this run only.
class SettingsLink : public QObject
{
    Q_OBJECT

public:
    // `updateTimeout`, `flagManualIP` and `manualIpFrame` are the window's.
    SettingsLink(Client& client, AppSettings& settings, int& updateTimeout, bool& flagManualIP, QWidget* manualIpFrame,
                 QObject* parent = nullptr);

    // The stored scan options and TCP waits into the engine, as at start-up.
    void copyToEngine();
    void fill(Settings& dialog) const;
    void follow(Settings& dialog);

private:
    void followScanOptions(Settings& dialog);
    void followTcpOptions(Settings& dialog);

    Client& m_client;
    AppSettings& m_settings;
    int& m_updateTimeout;
    bool& m_flagManualIP;
    QWidget* m_manualIpFrame;
};
