// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class AppSettings;
class DeviceTable;
class QAction;
class QMenu;

// The View menu's "Compact View": rows at text height with small pictures, so that a lab of many
// units fits on one screen. The choice is kept in the settings; the pictures stay the default.
class CompactView : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* settingsKey = "compactView";

    CompactView(QMenu& viewMenu, DeviceTable& table, AppSettings& settings, QObject* parent = nullptr);

    QAction* action() const { return m_action; }

private:
    void apply(bool compact);

    DeviceTable& m_table;
    AppSettings& m_settings;
    QAction* m_action = nullptr;
};
