// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/devicepage.h"
#include "app/devicetable.h"
#include "common/fakeprompts.h"
#include "resources/appresources.h"
#include "ui_mainwindow.h"

#include <QMainWindow>
#include <QVector>

// The window's form, device list, selection, flags and device table without the window, for testing
// one page class on its own. The test's .cpp includes "ui_mainwindow.h" too, so that uic makes it.
//
//     PageHarness harness;
//     InformationPage page(harness.context());
//     harness.showDevices({makeDevice("1100", "10.0.0.9")});
//     harness.table.widget()->setCurrentCell(0, DeviceTable::columnGroup);
class PageHarness
{
public:
    PageHarness() : table(buildForm(ui, window), devices, filterOff, noSelectionYet)
    {
        table.prepare();
        window.show();
    }

    PageContext context() { return {ui, devices, selected, table, prompts, &window}; }

    // As a scan leaves them: the list replaced, nothing selected for upgrade, one row per device.
    void showDevices(const QList<Device_t>& list)
    {
        table.clear();
        devices = list;
        selected = QVector<bool>(devices.size(), false).toList();
        table.appendRows(devices.size());
    }

    void selectRowOf(int deviceIndex)
    {
        table.widget()->setCurrentCell(table.rowOfDevice(deviceIndex), DeviceTable::columnGroup);
    }

    QMainWindow window;
    Ui::MainWindow ui;
    QList<Device_t> devices;
    QList<bool> selected;
    bool filterOff = true;
    bool noSelectionYet = false;
    FakePrompts prompts;
    DeviceTable table;

private:
    static Ui::MainWindow& buildForm(Ui::MainWindow& form, QMainWindow& window)
    {
        initAppResources();
        form.setupUi(&window);
        return form;
    }
};
