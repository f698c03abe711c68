// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/interfaces_t.h"

#include <QList>
#include <QObject>
#include <QString>

class Client;
class QLabel;
class QStatusBar;

// The window's status bar: on its right what the last scan found (or why it likely found nothing), on
// its left what the last action did, such as a configuration sent or the device an upgrade is at.
class StatusReporter : public QObject
{
    Q_OBJECT

public:
    // What a scan was asked to cover, for the words of its summary.
    struct ScanScope
    {
        int selectedInterfaces = 0;
        bool unicast = false;
        QString unicastStart;
        QString unicastEnd;
    };

    explicit StatusReporter(QStatusBar* bar, QObject* parent = nullptr);

    static ScanScope scopeOf(const QList<interfaces_t>& interfaces, bool unicast, const QString& start,
                             const QString& end);
    // "9 devices found on 2 interfaces", or "No devices found: ..." with the likely cause.
    static QString scanSummary(int devices, const ScanScope& scope);

    void scanStarted();
    void scanFinished(int devices, const ScanScope& scope);
    // With the scope the engine and the interface list had for the scan, and the engine's warning if any.
    void scanFinished(int devices, const QList<interfaces_t>& interfaces, const Client& client);
    void showMessage(const QString& text);

    QString summary() const;
    QString message() const;

private:
    QStatusBar* m_bar;
    QLabel* m_summary;
};
