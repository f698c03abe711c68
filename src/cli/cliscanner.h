// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "discovery/client.h"
#include "model/appsettings.h"
#include "model/device_t.h"
#include "model/interfaces_t.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QCommandLineParser;

// The window's scan engine with the window's settings, read from the same file and
// never written; the command line may choose the interfaces, a unicast range and
// the listening time for this run only.
class CliScanner : public QObject
{
    Q_OBJECT

public:
    CliScanner();

    static void addInterfaceOption(QCommandLineParser& parser);
    static void addScanOptions(QCommandLineParser& parser);
    // Empty when the options are good, else a message naming the first bad one.
    QString takeInterfaceOption(const QCommandLineParser& parser);
    QString takeScanOptions(const QCommandLineParser& parser);

    // The host's interfaces as a scan would use them now.
    QList<interfaces_t> interfaces() const;
    QList<Device_t> scan();
    // Empty, or why the last scan's list is incomplete.
    QString scanWarning() const;
    // The position of the record of that MAC, whatever its letter case; -1 when none.
    static int indexOfMac(const QList<Device_t>& devices, const QString& mac);

private:
    void copySettingsToEngine();
    QString takeRange(const QString& text);
    QString checkChosenAreScanned() const;
    void onScanProgress();

    AppSettings m_settings{AppSettings::MissingKeys::LeaveFileAlone};
    Client m_client;
    // Empty: every interface, as the window starts with every interface selected.
    QStringList m_chosenNames;
};
