// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/devicepage.h"
#include "app/upgradeworkerfactory.h"

#include <QString>

class AppSettings;
class QLineEdit;

// The firmware page: the devices ticked in the table's selection column (or an address typed by
// hand), the firmware files chosen or dropped for them, the upgrade buttons and the upgrade log.
class FirmwarePage : public DevicePage
{
    Q_OBJECT

public:
    static constexpr int stackPage = 0;
    static constexpr const char* defaultFirmwareFilter = "Firmware files (*.updt);;All files (*.*)";

    // `fwDefaultDir` and `firmwareFilter` are the window's: the chooser's start directory and file filter.
    FirmwarePage(const PageContext& context, AppSettings& settings, QString& fwDefaultDir, QString& firmwareFilter,
                 UpgradeWorkerFactory workers, QObject* parent = nullptr);

    int stackIndex() const override { return stackPage; }
    QPushButton* pageButton() const override;
    bool showsSelectionColumn() const override { return true; }
    bool removesFilter() const override { return false; }
    void aboutToShow() override;
    void setControlsEnabled(bool enable) override;

    // The manual-address frame hidden and the progress at 0, as at start-up.
    void prepare();
    const UpgradeWorkerFactory& workers() const { return m_workers; }

    void addRemoveSecondFirmware();
    void changeFirmwareFilter();
    // The chooser of the row whose button this is; any other sender does nothing.
    void chooseFirmware(const QObject* button);
    // A dropped file arrives as a file URL: it becomes the plain path. Typed paths are left alone.
    void checkFirmwarePath(QLineEdit* field);
    void selectedToUpdate();
    void disableCheckBox();
    void enableManualIP();
    void buttonUpFwPressed();
    void buttonUpFwPressed2();
    void updateFirmware(QString firmwarePath);
    void downloadLog();
    void restartFirmwareLog();

private:
    void setFwDirectoryFromFile(const QString& path);
    void checkAndUpgrade(const QString& path);
    Device_t deviceOfRow(int row) const;

    AppSettings& m_settings;
    QString& m_fwDefaultDir;
    QString& m_firmwareFilter;
    UpgradeWorkerFactory m_workers;
};
