// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"

#include <QList>
#include <QObject>

namespace Ui {
class MainWindow;
}

class DeviceTable;
class QPushButton;
class QWidget;
class UserPrompts;

// What every page shares with the window: its form, the discovered devices with their upgrade
// selection, the device table, the prompts, and the window itself as parent of boxes and dialogs.
struct PageContext
{
    Ui::MainWindow& ui;
    QList<Device_t>& devices;
    QList<bool>& selected;
    DeviceTable& table;
    UserPrompts& prompts;
    QWidget* window;
};

// One of the right-hand pages beside the device table. The window shows any of them with one
// function; a page says which stack page and button are its own and how it wants the table.
class DevicePage : public QObject
{
    Q_OBJECT

public:
    explicit DevicePage(const PageContext& context, QObject* parent = nullptr) : QObject(parent), m_context(context) {}

    // Its page of stackedWidgetPageRight.
    virtual int stackIndex() const = 0;
    virtual QPushButton* pageButton() const = 0;
    virtual bool showsSelectionColumn() const { return false; }
    // Pages that act on one device show every family.
    virtual bool removesFilter() const { return true; }
    // Runs after the buttons are restyled, before the page appears.
    virtual void aboutToShow() {}
    // Locks or frees the page's controls that start work (while a configuration is sent or an upgrade runs).
    virtual void setControlsEnabled(bool enable) { Q_UNUSED(enable) }

protected:
    Ui::MainWindow& ui() const { return m_context.ui; }
    const PageContext& context() const { return m_context; }

private:
    PageContext m_context;
};
