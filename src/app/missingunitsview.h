// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class AppSettings;
class DeviceTable;
class QAction;
class QMenu;

// The View menu's "Show Missing Units": whether the units that answered the scan before and not the
// last one stay listed, greyed, at the end of the device table. Kept in the settings; shown by default.
class MissingUnitsView : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* settingsKey = "showMissingUnits";

    MissingUnitsView(QMenu& viewMenu, DeviceTable& table, AppSettings& settings, QObject* parent = nullptr);

    QAction* action() const { return m_action; }

private:
    void apply(bool shown);

    DeviceTable& m_table;
    AppSettings& m_settings;
    QAction* m_action = nullptr;
};
