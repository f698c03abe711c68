// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"

#include "app/compactview.h"
#include "app/devicesearch.h"
#include "app/housekeeping.h"
#include "app/missingunitsview.h"
#include "app/resourcetext.h"
#include "app/settingslink.h"
#include "app/statusreporter.h"
#include "app/viewkeeper.h"
#include "app/windowgeometry.h"
#include "dialogs/buttonkeyfilter.h"
#include "dialogs/historydialog.h"
#include "dialogs/networkinterfaces.h"
#include "dialogs/userprompts.h"
#include "discovery/client.h"
#include "model/unittext.h"
#include "resources/appresources.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

namespace {
constexpr auto styleSheetResource = ":/files/resources/styleSheet.qss";
constexpr auto selectedButtonResource = ":/files/resources/btnSelected.qss";
constexpr int progressReset = 0;
constexpr int progressFull = 100;
} // namespace

MainWindow::MainWindow(QWidget* parent, std::shared_ptr<UserPrompts> prompts, UpgradeWorkerFactory upgradeWorkers)
    : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>()),
      m_prompts(prompts ? std::move(prompts) : std::make_shared<UserPrompts>()), m_fwDefaultDir(QDir::currentPath()),
      m_firmwareFilter(QString::fromLatin1(FirmwarePage::defaultFirmwareFilter))
{
    initAppResources();
    m_client = std::make_unique<Client>();
    m_networkInterfaces = std::make_unique<NetworkInterfaces>();
    m_networkInterfaces->scanInterfaces();

    ui->setupUi(this);
    createPages(std::move(upgradeWorkers));
    ButtonKeyFilter::watchButtons(this);
    m_settingsLink->copyToEngine();
    copySettingsToWindow();
    ui->frameManualIp->setVisible(m_flagManualIP);
    onHideFilterComboBox();

    ui->progressBar->setValue(progressReset);
    m_firmwarePage->prepare();
    makeTableUneditable();
    addRemoveSecondFirmware();
    changeStyle(true, false, false);
    resetNetwSetTable();
    m_deviceTable->prepare();
    createViewHelpers();
    m_informationPage->prepare();
    m_configurationPage->prepare();
    applyApplicationStyle();
    checkForPreviousInstallations();
    if (WindowGeometry::restore(*this, m_settings))
        ui->actionToogle_Full_Screen->setText(tr("Show &Normal"));
    startLogoPage();

    connectPageButtons();
    connectDeviceTable();
    connectFirmwarePage();
    connectMenuActions();
}

MainWindow::~MainWindow() = default;

void MainWindow::createPages(UpgradeWorkerFactory upgradeWorkers)
{
    m_deviceTable = std::make_unique<DeviceTable>(*ui, m_devices, m_filterOff, m_noSelectionYet);
    const PageContext context{*ui, m_devices, m_selected, *m_deviceTable, *m_prompts, this};
    m_informationPage = std::make_unique<InformationPage>(context);
    m_configurationPage = std::make_unique<ConfigurationPage>(context, *m_networkInterfaces);
    m_firmwarePage = std::make_unique<FirmwarePage>(context, m_settings, m_fwDefaultDir, m_firmwareFilter,
                                                    m_updateTimeout, std::move(upgradeWorkers));
    m_housekeeping = std::make_unique<Housekeeping>(*m_prompts, this);
    m_settingsLink =
        std::make_unique<SettingsLink>(*m_client, m_settings, m_updateTimeout, m_flagManualIP, ui->frameManualIp);
    m_statusReporter = std::make_unique<StatusReporter>(statusBar());
}

void MainWindow::createViewHelpers()
{
    m_deviceSearch = std::make_unique<DeviceSearch>(*m_deviceTable, ui->filterBtn, statusBar());
    m_compactView = std::make_unique<CompactView>(*ui->menuView, *m_deviceTable, m_settings);
    m_missingUnitsView = std::make_unique<MissingUnitsView>(*ui->menuView, *m_deviceTable, m_settings);
    m_viewKeeper = std::make_unique<ViewKeeper>(*m_deviceTable);
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, m_deviceSearch.get(), &DeviceSearch::focusField);
}

void MainWindow::copySettingsToWindow()
{
    m_updateTimeout = m_settings.getTimeout();
    m_flagManualIP = m_settings.getFlagManualIP();
    m_fwDefaultDir = m_settings.getFwDefaultDir();
}

void MainWindow::applyApplicationStyle()
{
    qApp->setStyleSheet(readResourceText(QString::fromLatin1(styleSheetResource)));
}

void MainWindow::startLogoPage()
{
    m_pageTimer = new QTimer(this);
    // Connected by signature: the slot's name is that of the timer's own signal.
    connect(m_pageTimer, SIGNAL(timeout()), this, SLOT(timeout()));
    m_pageTimer->start(logoPageMs);
    showPage(pageLogo);
}

void MainWindow::connectPageButtons()
{
    connect(ui->scanBtn, &QPushButton::released, this, &MainWindow::onScanDevices);
    connect(ui->infoBtn, &QPushButton::released, this, &MainWindow::onShowAdditionalInfoPage);
    connect(ui->updateBtn, &QPushButton::released, this, &MainWindow::onShowPageFwUpgrade);
    connect(ui->configBtn, &QPushButton::released, this, &MainWindow::onShowConfigureDevicePage);
    connect(m_client.get(), &Client::signalUpdateProgressBar, this, &MainWindow::onUpdateScanProgressBar);
}

void MainWindow::connectDeviceTable()
{
    connect(m_deviceTable.get(), &DeviceTable::signalCurrentDeviceChanged, this, &MainWindow::onCurrentDeviceChanged);
    connect(m_deviceTable.get(), &DeviceTable::signalSelectionBoxChanged, this, &MainWindow::onSelectedtoUpdate);
    connect(ui->saveConfBtn, &QPushButton::released, this, &MainWindow::onSaveNewConfiguration);
    connect(m_configurationPage.get(), &ConfigurationPage::signalEnableUI, this, &MainWindow::enableUI);
    connect(m_configurationPage.get(), &ConfigurationPage::signalScanDevices, this, &MainWindow::onScanDevices);
    connect(m_configurationPage.get(), &ConfigurationPage::signalStatus, this, &MainWindow::showStatus);
}

void MainWindow::connectFirmwarePage()
{
    connect(ui->chooseFirmwareBtn, &QPushButton::released, this, &MainWindow::onChooseFirmware);
    connect(ui->chooseFirmware2Btn, &QPushButton::released, this, &MainWindow::onChooseFirmware);
    connect(ui->updateFwBtn, &QPushButton::released, this, &MainWindow::onButtonUpFwPressed);
    connect(ui->updateFw2Btn, &QPushButton::released, this, &MainWindow::onButtonUpFwPressed2);
    connect(ui->dowloadLog, &QPushButton::released, this, &MainWindow::onDownloadLog);
    connect(ui->filterBtn, &QPushButton::released, this, &MainWindow::onHideFilterComboBox);
    connect(ui->comboBoxDeviceFilter, &QComboBox::currentTextChanged, this, &MainWindow::onHideDevice);
    connect(m_firmwarePage.get(), &FirmwarePage::signalEnableUI, this, &MainWindow::enableUI);
    connect(m_firmwarePage.get(), &FirmwarePage::signalScanDevices, this, &MainWindow::onScanDevices);
    connect(m_firmwarePage.get(), &FirmwarePage::signalCloseWindow, this, &QWidget::close);
    connect(m_firmwarePage.get(), &FirmwarePage::signalStatus, this, &MainWindow::showStatus);
    connect(ui->cancelFwBtn, &QPushButton::released, m_firmwarePage.get(), &FirmwarePage::cancelUpgrade);
    connect(ui->clearLogBtn, &QPushButton::released, m_firmwarePage.get(), &FirmwarePage::clearLog);
    auto* cancel =
        new QShortcut(QKeySequence(Qt::Key_Escape), ui->pageUpdate, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    connect(cancel, &QShortcut::activated, m_firmwarePage.get(), &FirmwarePage::cancelUpgrade);
}

void MainWindow::connectMenuActions()
{
    connect(ui->actionNew_Scan, &QAction::triggered, this, &MainWindow::onScanDevices);
    connect(ui->actionQuit, &QAction::triggered, this, &MainWindow::onQuit);
    connect(ui->actionToogle_Full_Screen, &QAction::triggered, this, &MainWindow::onFullScreen);
    connect(ui->actionApply_Filter, &QAction::triggered, this, &MainWindow::onHideFilterComboBox);
    connect(ui->actionCheck_for_updates, &QAction::triggered, this, &MainWindow::onCheckForUpdates);
    connect(ui->actionSelect_network_interfaces, &QAction::triggered, this, &MainWindow::onShowNetworksTable);
    connect(ui->actionSettings, &QAction::triggered, this, &MainWindow::onShowSettings);
    connect(ui->actionAdvanced_network_config, &QAction::triggered, this, &MainWindow::onShowAdvancedNetwConf);
    connect(ui->actionImport_network_configuration, &QAction::triggered, this,
            &MainWindow::onImportNetworkConfiguration);
    connect(ui->actionExport_network_configuration, &QAction::triggered, this,
            &MainWindow::onExportNetworkConfiguration);
    connect(ui->actionHistory, &QAction::triggered, this, &MainWindow::onShowHistory);
    connect(ui->actionChangelog, &QAction::triggered, this, &MainWindow::onShowChangelog);
    connect(ui->actionShow_supported_devices, &QAction::triggered, this, &MainWindow::onShowSupportedDev);
    connect(ui->actionAbout, &QAction::triggered, this, &MainWindow::onShowAbout);
    connect(ui->checkBoxManualIP, &QCheckBox::stateChanged, this, &MainWindow::onEnableManualIP);
    connect(ui->lineEditFirmware1, &QLineEdit::textChanged, this, &MainWindow::onCheckFirmwarePath);
    connect(ui->lineEditFirmware2, &QLineEdit::textChanged, this, &MainWindow::onCheckFirmwarePath);
    connect(ui->webBtn, &QPushButton::released, this, &MainWindow::onOpenWebInterface);
}

void MainWindow::onCurrentDeviceChanged()
{
    // onEnableSave clears the no-selection-yet flag, so it runs before the filter follows the device.
    onWriteAddInfo();
    onShowDeviceNetwSet();
    onEnableSave();
    onChangeFilterLabel();
    onShowWebInterface();
    // The configuration page enables its sending buttons for a new current device: not during a run.
    if (m_firmwarePage->upgradeRunning())
        m_configurationPage->setControlsEnabled(false);
}

void MainWindow::showPage(int index)
{
    ui->stackedWidget->setCurrentIndex(index);
    QCoreApplication::processEvents();
}

void MainWindow::timeout()
{
    m_pageTimer->stop();
    showPage(pageDevices);
}

QList<DevicePage*> MainWindow::pages() const
{
    return {m_informationPage.get(), m_firmwarePage.get(), m_configurationPage.get()};
}

void MainWindow::showRightPage(DevicePage& page)
{
    ui->checkBoxManualIP->setChecked(false);
    for (DevicePage* each : pages())
        each->pageButton()->setEnabled(each != &page);
    changeStyle(&page == m_informationPage.get(), &page == m_firmwarePage.get(), &page == m_configurationPage.get());
    if (page.removesFilter()) {
        m_filterOff = false;
        onHideFilterComboBox();
    }
    page.aboutToShow();
    ui->stackedWidgetPageRight->setCurrentIndex(page.stackIndex());
    m_deviceTable->setSelectionColumnShown(page.showsSelectionColumn());
}

void MainWindow::onScanDevices()
{
    // The progress slot lets events in while a scan runs; a second scan must not start inside the first.
    if (m_scanRunning || upgradeHoldsSending())
        return;
    m_scanRunning = true;
    setScanControlsEnabled(false);
    m_statusReporter->scanStarted();
    const int current = m_deviceTable->currentDeviceIndex();
    const ViewKeeper::View view = m_viewKeeper->capture(current >= 0 ? m_devices.at(current).mac : QString());
    clearDevicePages();
    m_networkInterfaces->scanInterfaces();
    const QList<Device_t> found = m_client->startScan(m_networkInterfaces->interfaces());
    m_client->clearDevicesList();
    m_scanRunning = false;
    // The same last scan as the command line's, so either program's previous scan is the baseline.
    QString problem;
    const ScanChanges changes = ScanChanges::afterScan(found, &problem);
    showDevices(found, changes);
    m_viewKeeper->restore(view);
    setScanControlsEnabled(true);
    m_statusReporter->scanFinished(found.size(), m_networkInterfaces->interfaces(), *m_client);
    if (!problem.isEmpty())
        showStatus(problem);
}

void MainWindow::showStatus(const QString& text)
{
    m_statusReporter->showMessage(text);
}

void MainWindow::setScanControlsEnabled(bool enable)
{
    const bool allowed = enable && !m_scanRunning && !m_firmwarePage->upgradeRunning();
    ui->scanBtn->setEnabled(allowed);
    ui->actionNew_Scan->setEnabled(allowed);
}

bool MainWindow::upgradeHoldsSending() const
{
    return m_firmwarePage->upgradeRunning();
}

// Everything that sends to units or rescans waits while an upgrade runs, menus and their shortcuts too.
void MainWindow::setSendingActionsEnabled(bool enable)
{
    for (QAction* action : {ui->actionSelect_network_interfaces, ui->actionAdvanced_network_config,
                            ui->actionImport_network_configuration})
        action->setEnabled(enable);
    if (m_history)
        m_history->setSendingAllowed(enable);
}

void MainWindow::clearDevicePages()
{
    m_devices.clear();
    m_selected.clear();
    m_informationPage->clear();
    resetNetwSetTable();
    m_deviceTable->clear();
    ui->frameWeb->hide();
    QCoreApplication::processEvents();
}

void MainWindow::showDevices(const QList<Device_t>& devices, const ScanChanges& changes)
{
    m_deviceTable->clear();
    m_deviceTable->setScanChanges(changes);
    m_devices = UnitText::cleaned(devices);
    m_deviceTable->judgeAddresses(m_networkInterfaces->interfaces());
    updateDeviceTable(m_devices.size());
    m_selected = QVector<bool>(m_devices.size(), false).toList();
}

void MainWindow::onUpdateScanProgressBar(int value)
{
    if (value == progressReset || value == progressFull)
        ui->progressBar->setValue(value);
    else
        ui->progressBar->setValue(ui->progressBar->value() + value);
    QCoreApplication::processEvents();
}

void MainWindow::updateDeviceTable(int count)
{
    m_deviceTable->appendRows(count);
    showFilteredDevices();
}

QString MainWindow::getDeviceIcon(QString code, QString brand)
{
    return DeviceTable::deviceIcon(code, brand);
}

void MainWindow::onHideFilterComboBox()
{
    m_deviceTable->toggleFilter();
    changeStyleFilter(!m_filterOff);
    showFilteredDevices();
}

void MainWindow::showFilteredDevices()
{
    if (m_filterOff) {
        m_deviceTable->showAllRows();
        return;
    }
    onChangeFilterLabel();
    onHideDevice();
}

void MainWindow::onHideDevice()
{
    m_deviceTable->hideOtherFamilies();
}

void MainWindow::onChangeFilterLabel()
{
    addRemoveSecondFirmware();
    m_deviceTable->followCurrentDevice();
    changeFirmwareFilter();
}

void MainWindow::changeStyle(bool info, bool update, bool config)
{
    const QString selected = readResourceText(QString::fromLatin1(selectedButtonResource));
    ui->infoBtn->setStyleSheet(info ? selected : QString());
    ui->updateBtn->setStyleSheet(update ? selected : QString());
    ui->configBtn->setStyleSheet(config ? selected : QString());
}

void MainWindow::changeStyleFilter(bool selected)
{
    ui->filterBtn->setStyleSheet(selected ? readResourceText(QString::fromLatin1(selectedButtonResource)) : QString());
}

void MainWindow::enableUI(bool enable)
{
    // Only the end of the last worker gives the window back, not a rescan or a page in between.
    if (enable && m_firmwarePage->upgradeRunning())
        return;
    setSendingActionsEnabled(enable);
    if (!ui->checkBoxManualIP->isChecked())
        ui->tableWidgetDeviceFirstTable->setEnabled(enable);
    setScanControlsEnabled(enable);
    for (DevicePage* page : pages()) {
        page->pageButton()->setEnabled(enable);
        page->setControlsEnabled(enable);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    return ButtonKeyFilter::filter(watched, event) || QMainWindow::eventFilter(watched, event);
}

bool MainWindow::event(QEvent* event)
{
    // Space is the New Scan shortcut, except for a focused check box, which it ticks.
    return ButtonKeyFilter::letSpaceTickCheckBox(event) || QMainWindow::event(event);
}

// A running upgrade keeps the window open until the user agrees to stop it and its thread has ended
// (or the quit wait is over); the window's place is saved when it really closes.
void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_firmwarePage->holdCloseUntilIdle(!m_terminating)) {
        event->ignore();
        return;
    }
    WindowGeometry::save(*this, m_settings);
    QMainWindow::closeEvent(event);
}

void MainWindow::onTerminate()
{
    m_terminating = true;
    if (close())
        QCoreApplication::quit();
}
