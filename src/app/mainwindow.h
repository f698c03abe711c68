// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/configurationpage.h"
#include "app/devicetable.h"
#include "app/firmwarepage.h"
#include "app/informationpage.h"
#include "app/scanchanges.h"
#include "app/upgradeworkerfactory.h"
#include "model/appsettings.h"
#include "model/device_t.h"
#include "model/interfaces_t.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <memory>

namespace Ui {
class MainWindow;
}

class Client;
class CompactView;
class DeviceSearch;
class HistoryDialog;
class Housekeeping;
class MissingUnitsView;
class NetworkInterfaces;
class QTimer;
class SettingsLink;
class StatusReporter;
class UserPrompts;
class ViewKeeper;

// The one window of the tool: scans on request, lists the devices found in its device table and
// switches between the information, firmware and network configuration pages, which do the work.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int logoPageMs = 2000;
    static constexpr int defaultUpdateTimeoutMs = 120000;
    static constexpr int columnSelection = DeviceTable::columnSelection;
    static constexpr int columnIcon = DeviceTable::columnIcon;
    static constexpr int columnGroup = DeviceTable::columnGroup;
    static constexpr int columnModuleId = DeviceTable::columnModuleId;
    static constexpr int columnIp = DeviceTable::columnIp;
    static constexpr int columnFirmware = DeviceTable::columnFirmware;
    static constexpr int pageDevices = 0;
    static constexpr int pageLogo = 1;
    static constexpr int pageAbout = 2;
    static constexpr int rightPageUpdate = FirmwarePage::stackPage;
    static constexpr int rightPageInfo = InformationPage::stackPage;
    static constexpr int rightPageConfigure = ConfigurationPage::stackPage;

    // Without prompts the window asks through real message boxes and file dialogs; without a worker
    // factory the firmware page upgrades with the real worker.
    explicit MainWindow(QWidget* parent = nullptr, std::shared_ptr<UserPrompts> prompts = {},
                        UpgradeWorkerFactory upgradeWorkers = {});
    ~MainWindow() override;

    // The engine, the interface holder and the store the window drives.
    Client& client() { return *m_client; }
    NetworkInterfaces& networkInterfaces() { return *m_networkInterfaces; }
    AppSettings& settings() { return m_settings; }
    const QList<Device_t>& devices() const { return m_devices; }
    const QList<bool>& selectedForUpgrade() const { return m_selected; }
    int updateTimeout() const { return m_updateTimeout; }
    bool flagManualIP() const { return m_flagManualIP; }
    QString firmwareFilter() const { return m_firmwareFilter; }
    DeviceTable& deviceTable() { return *m_deviceTable; }
    FirmwarePage& firmwarePage() { return *m_firmwarePage; }
    ConfigurationPage& configurationPage() { return *m_configurationPage; }
    StatusReporter& statusReporter() { return *m_statusReporter; }
    DeviceSearch& deviceSearch() { return *m_deviceSearch; }

    // Replaces the device list and rebuilds the table as a scan would, with the marks of what changed
    // since the scan before.
    void showDevices(const QList<Device_t>& devices, const ScanChanges& changes = ScanChanges());

    void showPage(int index);
    void enableUI(bool enable);
    void changeStyle(bool info, bool update, bool config);
    void changeStyleFilter(bool selected);
    void updateDeviceTable(int count);
    QString getDeviceIcon(QString code, QString brand);
    void showFilteredDevices();
    void makeItemUneditable(int row, int column);
    void makeTableUneditable();
    void resetNetwSetTable();
    void disableNetwSetRow(int row, QString text, bool disabled);
    void applyNewNetwConfig(QList<QList<QString>> rows);
    void checkForPreviousInstallations();
    void addRemoveSecondFirmware();
    void changeFirmwareFilter();
    void disableCheckBox();
    void updateFirmware(QString firmwarePath);

    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // What an action did, on the left of the status bar; pages connect their reports here.
    void showStatus(const QString& text);
    void timeout();
    void onScanDevices();
    void onUpdateScanProgressBar(int value);
    void onHideFilterComboBox();
    void onHideDevice();
    void onChangeFilterLabel();
    // Runs the pages' reactions to a new current device, in their fixed order.
    void onCurrentDeviceChanged();

    void onShowNetworksTable();
    void onSaveNetworkList(QList<interfaces_t> list);

    void onShowAdditionalInfoPage();
    void onWriteAddInfo();
    void onShowWebInterface();
    void onOpenWebInterface();
    void onShowChangelog();
    void onShowAbout();
    void onShowSupportedDev();
    void onFullScreen();
    void onQuit();
    // SIGTERM: as Quit, without the question; a running upgrade is still stopped at its safe point first.
    void onTerminate();

    void onShowSettings();
    void onCheckForUpdates();
    void onShowHistory();

    void onShowConfigureDevicePage();
    void onShowDeviceNetwSet();
    void onChangeTableNetwSetState();
    void onEnableSave();
    void onSaveNewConfiguration();
    void onShowAdvancedNetwConf();
    void onImportNetworkConfiguration();
    void onExportNetworkConfiguration();

    void onShowPageFwUpgrade();
    void onChooseFirmware();
    void onCheckFirmwarePath();
    void onSelectedtoUpdate();
    void onEnableManualIP();
    void onButtonUpFwPressed();
    void onButtonUpFwPressed2();
    void onDownloadLog();
    void onWriteFwUpLog(QString message);
    void onChangeFwProgressBar(int value);
    void onStopUpdateProcedure();
    void onUpdateNextDevice();
    void onRemoveSelectedDev(int index);

protected:
    bool event(QEvent* event) override;
    // A running upgrade is asked to stop first; the window closes once it has ended.
    void closeEvent(QCloseEvent* event) override;

private:
    void createPages(UpgradeWorkerFactory upgradeWorkers);
    void createViewHelpers();
    void copySettingsToWindow();
    void applyApplicationStyle();
    void startLogoPage();
    void connectPageButtons();
    void connectDeviceTable();
    void connectFirmwarePage();
    void connectMenuActions();
    void setScanControlsEnabled(bool enable);
    void setSendingActionsEnabled(bool enable);
    // While an upgrade runs nothing else may send to units or rescan, whatever asks for it.
    bool upgradeHoldsSending() const;
    // A scan for the history's undo, which leaves the window's device list as it is.
    QList<Device_t> scanForHistory();
    void clearDevicePages();
    QList<DevicePage*> pages() const;
    void showRightPage(DevicePage& page);

    std::unique_ptr<Ui::MainWindow> ui;
    std::shared_ptr<UserPrompts> m_prompts;
    AppSettings m_settings;
    std::unique_ptr<Client> m_client;
    std::unique_ptr<NetworkInterfaces> m_networkInterfaces;
    QList<Device_t> m_devices;
    QList<bool> m_selected;
    bool m_filterOff = false;
    bool m_noSelectionYet = true;
    bool m_flagManualIP = false;
    bool m_scanRunning = false;
    bool m_terminating = false;
    int m_updateTimeout = defaultUpdateTimeoutMs;
    QString m_fwDefaultDir;
    QString m_firmwareFilter;
    QTimer* m_pageTimer = nullptr;
    std::unique_ptr<DeviceTable> m_deviceTable;
    std::unique_ptr<InformationPage> m_informationPage;
    std::unique_ptr<ConfigurationPage> m_configurationPage;
    std::unique_ptr<FirmwarePage> m_firmwarePage;
    std::unique_ptr<Housekeeping> m_housekeeping;
    std::unique_ptr<SettingsLink> m_settingsLink;
    std::unique_ptr<StatusReporter> m_statusReporter;
    std::unique_ptr<DeviceSearch> m_deviceSearch;
    QPointer<HistoryDialog> m_history;
    std::unique_ptr<CompactView> m_compactView;
    std::unique_ptr<MissingUnitsView> m_missingUnitsView;
    std::unique_ptr<ViewKeeper> m_viewKeeper;
};
