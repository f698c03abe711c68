// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QObject>
#include <QString>

class DeviceTable;
class QLabel;
class QLineEdit;
class QStatusBar;
class QWidget;

// The search field above the device table: as the user types, only the units whose shown fields
// (serial number, MAC, IP, group, module ID, description) contain the text stay in the table, on top
// of the family filter; the status bar counts the units shown, and apart from them the units shown that
// did not answer the last scan.
class DeviceSearch : public QObject
{
    Q_OBJECT

public:
    // The field goes into the layout of `neighbour` (in the strip above the table), just before it; the
    // count goes to the right of `bar`.
    DeviceSearch(DeviceTable& table, QWidget* neighbour, QStatusBar* bar, QObject* parent = nullptr);

    QLineEdit* field() const { return m_field; }
    // Case-insensitive; an empty text matches every unit.
    static bool matches(const Device_t& device, const QString& text);
    // Puts the cursor into the field with its text selected, ready to type over.
    void focusField();

private:
    void onTextChanged(const QString& text);
    void showCount(int shown, int total, int missingShown);

    DeviceTable& m_table;
    QLineEdit* m_field = nullptr;
    QLabel* m_count = nullptr;
};
