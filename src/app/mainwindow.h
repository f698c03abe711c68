// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/appsettings.h"
#include "model/device_t.h"
#include "model/interfaces_t.h"

#include <QList>
#include <QMainWindow>
#include <QString>

#include <memory>

namespace Ui {
class MainWindow;
}

class Client;
class NetworkInterfaces;
class QTableWidgetItem;
class QTimer;
class PromptsPresenter;
class UserPrompts;

// The one window of the tool: scans on request, lists the devices found and
// hosts the information, firmware and network configuration pages.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int logoPageMs = 2000;
    static constexpr int defaultUpdateTimeoutMs = 120000;
    static constexpr int columnSelection = 0;
    static constexpr int columnIcon = 1;
    static constexpr int columnGroup = 2;
    static constexpr int columnModuleId = 3;
    static constexpr int columnIp = 4;
    static constexpr int columnFirmware = 5;
    static constexpr int selectionColumnWidth = 80;
    static constexpr int iconColumnWidth = 96;
    static constexpr int iconSize = 90;
    static constexpr int pageDevices = 0;
    static constexpr int pageLogo = 1;
    static constexpr int pageAbout = 2;
    static constexpr int rightPageUpdate = 0;
    static constexpr int rightPageInfo = 1;
    static constexpr int rightPageConfigure = 2;
    static constexpr int commandPort = 10001;

    // Without prompts the window asks through real message boxes and file dialogs.
    explicit MainWindow(QWidget* parent = nullptr, std::shared_ptr<UserPrompts> prompts = {});
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

    // Replaces the device list and rebuilds the table as a scan would.
    void showDevices(const QList<Device_t>& devices);

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
    void timeout();
    void onScanDevices();
    void onUpdateScanProgressBar(int value);
    void onHideFilterComboBox();
    void onHideDevice();
    void onChangeFilterLabel();

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

    void onShowSettings();
    void onCheckForUpdates();

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

private:
    void copySettingsToEngine();
    void copySettingsToWindow();
    void prepareDeviceTable();
    void prepareConfigurationTable();
    void applyApplicationStyle();
    void startLogoPage();
    void connectPageButtons();
    void connectDeviceTable();
    void connectFirmwarePage();
    void connectMenuActions();
    void installButtonFilters();
    void setScanControlsEnabled(bool enable);
    void clearDevicePages();
    void appendDeviceRow(int index);
    void fillInfoRows(const Device_t& device);

    // The device behind the table's current item; -1 without one or out of range.
    int currentDeviceIndex() const;
    static int deviceIndexOf(const QTableWidgetItem* item);
    static int familyDigit(const Device_t& device);
    static QString readResourceText(const QString& path);
    void showTextDialog(const QString& resource, const QString& title);
    bool webInterfaceAvailable(int index) const;
    void setFwDirectoryFromFile(const QString& path);
    void restartFirmwareLog();
    void checkAndUpgrade(const QString& path);
    QString askSaveFileName(const QString& caption, const QString& path, const QString& filter);
    void reportUpload(bool ok, const QString& reason);

    std::unique_ptr<Ui::MainWindow> ui;
    std::shared_ptr<UserPrompts> m_prompts;
    // The same prompts for the dialogs that show their own boxes.
    std::unique_ptr<PromptsPresenter> m_presenter;
    AppSettings m_settings;
    std::unique_ptr<Client> m_client;
    std::unique_ptr<NetworkInterfaces> m_networkInterfaces;
    QList<Device_t> m_devices;
    QList<bool> m_selected;
    bool m_filterOff = false;
    bool m_noSelectionYet = true;
    bool m_flagManualIP = false;
    bool m_scanRunning = false;
    int m_updateTimeout = defaultUpdateTimeoutMs;
    QString m_fwDefaultDir;
    QString m_firmwareFilter;
    QTimer* m_pageTimer = nullptr;
};
