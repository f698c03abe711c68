// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include "iptablewidgetitem.h"
#include "ui_mainwindow.h"
#include "userprompts.h"

#include "discovery/client.h"
#include "discovery/networkinterfaces.h"
#include "model/device.h"
#include "model/fieldtables.h"

#include "changedeviceconfigurations.h"
#include "dialog.h"
#include "newnetwsettings.h"
#include "promptspresenter.h"
#include "resources/appresources.h"
#include "settings.h"
#include "updates.h"

#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QHostAddress>
#include <QKeyEvent>
#include <QPixmap>
#include <QPixmapCache>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

namespace {
constexpr auto styleSheetResource = ":/files/resources/styleSheet.qss";
constexpr auto selectedButtonResource = ":/files/resources/btnSelected.qss";
constexpr auto changelogResource = ":/otherFiles/changelogNEW.md";
constexpr auto aboutResource = ":/files/resources/about";
constexpr auto supportedDevicesResource = ":/files/resources/supportedDevices";
constexpr auto previousInstallationDir = "Ostravi/Kestrion";
constexpr auto checkBoxStyle = "padding-left: 33px;";
constexpr auto defaultFirmwareFilter = "Firmware files (*.updt);;All files (*.*)";
constexpr auto kolvexFirmwareFilter = "Firmware files (*.hex);;All files (*.*)";
constexpr auto flashFirmwareFilter = "Firmware files (*.flash);;All files (*.*)";
constexpr auto anyFileFilter = "All files (*.*)";
constexpr auto deviceIndexProperty = "deviceIndex";
constexpr auto unknownValue = "unknown";
constexpr auto notAvailable = "N.A.";
constexpr auto greyColour = "grey";
constexpr auto blackColour = "#000000";
constexpr auto dhcpOn = "1";
constexpr auto dhcpOff = "0";
constexpr auto fixedKolvexMask = "255.255.255.0";
constexpr auto fixedKolvexGateway = "192.168.0.1";
constexpr auto networkConfigFilter = "Network configuration (*.csv);;All files (*.*)";
constexpr auto networkConfigFileName = "network_configuration.csv";
constexpr int unlimitedWidth = 16777215;
constexpr int infoLabelWidth = 150;
constexpr int infoValueWidth = 280;
constexpr int styledTablePadding = 40;
constexpr int progressReset = 0;
constexpr int progressFull = 100;
constexpr int dhcpRow = 3;
constexpr int addressRows = 3;
constexpr int configRows = 4;
// Motor drivers count as power supplies in the filter.
constexpr int kolvexFamilyDigit = 4;
constexpr int powerSupplyFamilyDigit = 1;

const QList<EnumFieldMandatory> infoFields = {ID, FAMILY, DEVICE, SN, FW, MAC, IP, NETMASK, GATEWAY, DHCP};
const QList<EnumBrands> brandOrder = {NORRETH, VALDIS, PEMBRY, TORQUIL};
const char* const configLabels[] = {
    QT_TRANSLATE_NOOP("MainWindow", "New IP Address:"), QT_TRANSLATE_NOOP("MainWindow", "New Subnet Mask:"),
    QT_TRANSLATE_NOOP("MainWindow", "New Gateway:"), QT_TRANSLATE_NOOP("MainWindow", "DHCP:")};

quint32 ipv4Number(const QString& text)
{
    return QHostAddress(text).toIPv4Address();
}
} // namespace

MainWindow::MainWindow(QWidget* parent, std::shared_ptr<UserPrompts> prompts)
    : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>()),
      m_prompts(prompts ? std::move(prompts) : std::make_shared<UserPrompts>()),
      m_presenter(std::make_unique<PromptsPresenter>(m_prompts)), m_fwDefaultDir(QDir::currentPath()),
      m_firmwareFilter(QString::fromLatin1(defaultFirmwareFilter))
{
    initAppResources();
    m_client = std::make_unique<Client>();
    m_networkInterfaces = std::make_unique<NetworkInterfaces>();
    m_networkInterfaces->scanInterfaces();

    ui->setupUi(this);
    installButtonFilters();
    copySettingsToEngine();
    copySettingsToWindow();
    ui->frameManualIp->setVisible(m_flagManualIP);
    onHideFilterComboBox();

    ui->progressBar->setValue(progressReset);
    ui->progressBarFirmware->setValue(progressReset);
    makeTableUneditable();
    addRemoveSecondFirmware();
    changeStyle(true, false, false);
    resetNetwSetTable();
    prepareDeviceTable();
    applyApplicationStyle();
    checkForPreviousInstallations();
    startLogoPage();

    connectPageButtons();
    connectDeviceTable();
    connectFirmwarePage();
    connectMenuActions();
}

MainWindow::~MainWindow() = default;

void MainWindow::installButtonFilters()
{
    for (QPushButton* button : findChildren<QPushButton*>())
        button->installEventFilter(this);
}

void MainWindow::copySettingsToEngine()
{
    m_client->scanTime = m_settings.getScanTime();
    m_client->flagSendUnicast = m_settings.getFlagSendUnicastMessage();
    m_client->startIp = m_settings.getStartIP();
    m_client->endIp = m_settings.getEndIP();
    m_client->nThreads = m_settings.getNumbeOfThreads();
    m_client->waitWritten = m_settings.getWaitForBytesWritten();
    m_client->waitRead = m_settings.getWaitForReadyRead();
    m_client->waitConnected = m_settings.getWaitForConnected();
}

void MainWindow::copySettingsToWindow()
{
    m_updateTimeout = m_settings.getTimeout();
    m_flagManualIP = m_settings.getFlagManualIP();
    m_fwDefaultDir = m_settings.getFwDefaultDir();
}

void MainWindow::prepareDeviceTable()
{
    QHeaderView* header = ui->tableWidgetDeviceFirstTable->horizontalHeader();
    header->setSectionResizeMode(columnSelection, QHeaderView::Fixed);
    header->resizeSection(columnSelection, selectionColumnWidth);
    header->setSectionResizeMode(columnIcon, QHeaderView::Fixed);
    header->resizeSection(columnIcon, iconColumnWidth);
    for (int column : {columnGroup, columnModuleId, columnIp})
        header->setSectionResizeMode(column, QHeaderView::Stretch);
    ui->tableWidgetDeviceFirstTable->hideColumn(columnSelection);
    ui->frameDevIP->hide();
    ui->frameWeb->hide();
    ui->tableInfo->setColumnWidth(0, infoLabelWidth);
    ui->tableInfo->setColumnWidth(1, infoValueWidth);
    prepareConfigurationTable();
}

void MainWindow::prepareConfigurationTable()
{
    QTableWidget* table = ui->tableDeviceConfig;
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Four fixed rows: no empty area below them (the style sheet pads tables).
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() +
                          configRows * table->verticalHeader()->defaultSectionSize() + 2 * table->frameWidth() +
                          styledTablePadding);
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
    QTableWidget* table = ui->tableWidgetDeviceFirstTable;
    connect(table, &QTableWidget::itemSelectionChanged, this, &MainWindow::onWriteAddInfo);
    connect(table, &QTableWidget::itemSelectionChanged, this, &MainWindow::onShowDeviceNetwSet);
    connect(table, &QTableWidget::itemSelectionChanged, this, &MainWindow::onEnableSave);
    connect(ui->saveConfBtn, &QPushButton::released, this, &MainWindow::onSaveNewConfiguration);
}

void MainWindow::connectFirmwarePage()
{
    QTableWidget* table = ui->tableWidgetDeviceFirstTable;
    connect(ui->chooseFirmwareBtn, &QPushButton::released, this, &MainWindow::onChooseFirmware);
    connect(ui->chooseFirmware2Btn, &QPushButton::released, this, &MainWindow::onChooseFirmware);
    connect(ui->updateFwBtn, &QPushButton::released, this, &MainWindow::onButtonUpFwPressed);
    connect(ui->updateFw2Btn, &QPushButton::released, this, &MainWindow::onButtonUpFwPressed2);
    connect(ui->dowloadLog, &QPushButton::released, this, &MainWindow::onDownloadLog);
    connect(ui->filterBtn, &QPushButton::released, this, &MainWindow::onHideFilterComboBox);
    connect(ui->comboBoxDeviceFilter, &QComboBox::currentTextChanged, this, &MainWindow::onHideDevice);
    connect(table, &QTableWidget::itemSelectionChanged, this, &MainWindow::onChangeFilterLabel);
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
    connect(ui->actionChangelog, &QAction::triggered, this, &MainWindow::onShowChangelog);
    connect(ui->actionShow_supported_devices, &QAction::triggered, this, &MainWindow::onShowSupportedDev);
    connect(ui->actionAbout, &QAction::triggered, this, &MainWindow::onShowAbout);
    connect(ui->checkBoxManualIP, &QCheckBox::stateChanged, this, &MainWindow::onEnableManualIP);
    connect(ui->lineEditFirmware1, &QLineEdit::textChanged, this, &MainWindow::onCheckFirmwarePath);
    connect(ui->lineEditFirmware2, &QLineEdit::textChanged, this, &MainWindow::onCheckFirmwarePath);
    connect(ui->webBtn, &QPushButton::released, this, &MainWindow::onOpenWebInterface);
    connect(ui->tableWidgetDeviceFirstTable, &QTableWidget::itemSelectionChanged, this,
            &MainWindow::onShowWebInterface);
}

// ---- pages, scan and table ----

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

void MainWindow::onScanDevices()
{
    // The progress slot lets events in while a scan runs; a second scan must not start inside the first.
    if (m_scanRunning)
        return;
    m_scanRunning = true;
    setScanControlsEnabled(false);
    clearDevicePages();
    m_networkInterfaces->scanInterfaces();
    const QList<Device_t> found = m_client->startScan(m_networkInterfaces->interfaces());
    m_client->clearDevicesList();
    m_scanRunning = false;
    showDevices(found);
    setScanControlsEnabled(true);
}

void MainWindow::setScanControlsEnabled(bool enable)
{
    const bool allowed = enable && !m_scanRunning;
    ui->scanBtn->setEnabled(allowed);
    ui->actionNew_Scan->setEnabled(allowed);
}

void MainWindow::clearDevicePages()
{
    m_devices.clear();
    m_selected.clear();
    ui->tableInfo->setRowCount(0);
    resetNetwSetTable();
    ui->tableWidgetDeviceFirstTable->setRowCount(0);
    ui->frameWeb->hide();
    QCoreApplication::processEvents();
}

void MainWindow::showDevices(const QList<Device_t>& devices)
{
    ui->tableWidgetDeviceFirstTable->setRowCount(0);
    m_devices = devices;
    updateDeviceTable(m_devices.size());
    m_selected = QList<bool>();
    m_selected.reserve(m_devices.size());
    for (int i = 0; i < m_devices.size(); ++i)
        m_selected.append(false);
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
    QTableWidget* table = ui->tableWidgetDeviceFirstTable;
    table->setSortingEnabled(false);
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->setUpdatesEnabled(false);
    for (int i = 0; i < count && i < m_devices.size(); ++i)
        appendDeviceRow(i);
    table->setUpdatesEnabled(true);
    table->setSortingEnabled(true);
    showFilteredDevices();
}

void MainWindow::appendDeviceRow(int index)
{
    QTableWidget* table = ui->tableWidgetDeviceFirstTable;
    const Device_t& device = m_devices.at(index);
    const int row = table->rowCount();
    table->insertRow(row);

    auto* box = new QCheckBox;
    box->setStyleSheet(QString::fromLatin1(checkBoxStyle));
    box->setProperty(deviceIndexProperty, index);
    box->setEnabled(!device::isCurrentTr(device.code));

    auto* iconItem = new QTableWidgetItem;
    const QString iconPath = getDeviceIcon(device.code, device.brand);
    QPixmap icon;
    if (!QPixmapCache::find(iconPath, &icon) && icon.load(iconPath)) {
        icon = icon.scaled(iconSize, iconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPixmapCache::insert(iconPath, icon);
    }
    if (!icon.isNull())
        iconItem->setData(Qt::DecorationRole, icon);

    QList<QPair<int, QTableWidgetItem*>> items = {{columnSelection, new QTableWidgetItem},
                                                  {columnIcon, iconItem},
                                                  {columnGroup, new QTableWidgetItem(device.group)},
                                                  {columnModuleId, new QTableWidgetItem(device.moduleId)},
                                                  {columnIp, new IpTableWidgetItem(device.ip)},
                                                  {columnFirmware, new QTableWidgetItem(device.firmwareVersion)}};
    for (const auto& entry : items) {
        entry.second->setData(Qt::UserRole, index);
        if (entry.first >= columnGroup)
            entry.second->setTextAlignment(Qt::AlignCenter);
        table->setItem(row, entry.first, entry.second);
    }
    table->setCellWidget(row, columnSelection, box);
    connect(box, &QCheckBox::stateChanged, this, &MainWindow::onSelectedtoUpdate);
}

QString MainWindow::getDeviceIcon(QString code, QString brand)
{
    const QString path = device::getImage(code);
    if (device::isHalvo(code)) {
        for (EnumBrands candidate : brandOrder) {
            if (brand == BrandsMap.value(candidate))
                return path.left(path.indexOf(QLatin1Char('.'))) + BrandExtensionMap.value(candidate);
        }
    }
    return path;
}

int MainWindow::deviceIndexOf(const QTableWidgetItem* item)
{
    if (!item)
        return -1;
    bool ok = false;
    const int index = item->data(Qt::UserRole).toInt(&ok);
    return ok ? index : -1;
}

int MainWindow::currentDeviceIndex() const
{
    const int index = deviceIndexOf(ui->tableWidgetDeviceFirstTable->currentItem());
    return index >= 0 && index < m_devices.size() ? index : -1;
}

int MainWindow::familyDigit(const Device_t& device)
{
    const QChar first = device.code.isEmpty() ? QChar() : device.code.at(0);
    const int digit = first.isDigit() ? first.digitValue() : 0;
    return digit == kolvexFamilyDigit ? powerSupplyFamilyDigit : digit;
}

// ---- family filter ----

void MainWindow::onHideFilterComboBox()
{
    if (m_filterOff) {
        ui->comboBoxDeviceFilter->setMaximumWidth(unlimitedWidth);
        m_filterOff = false;
        ui->actionApply_Filter->setText(tr("Remove Filter"));
        changeStyleFilter(true);
    } else {
        ui->comboBoxDeviceFilter->setMaximumWidth(0);
        m_filterOff = true;
        ui->actionApply_Filter->setText(tr("Apply Filter"));
        changeStyleFilter(false);
    }
    showFilteredDevices();
}

void MainWindow::showFilteredDevices()
{
    if (!m_filterOff) {
        onChangeFilterLabel();
        onHideDevice();
        return;
    }
    QTableWidget* table = ui->tableWidgetDeviceFirstTable;
    for (int row = 0; row < table->rowCount(); ++row)
        table->showRow(row);
}

void MainWindow::onHideDevice()
{
    if (m_filterOff)
        return;
    QTableWidget* table = ui->tableWidgetDeviceFirstTable;
    const int wanted = ui->comboBoxDeviceFilter->currentIndex() + 1;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* item = table->item(row, columnIcon);
        if (!item)
            continue;
        const int index = deviceIndexOf(item);
        const bool known = index >= 0 && index < m_devices.size();
        table->setRowHidden(row, !known || familyDigit(m_devices.at(index)) != wanted);
    }
}

void MainWindow::onChangeFilterLabel()
{
    addRemoveSecondFirmware();
    const int index = m_noSelectionYet ? -1 : currentDeviceIndex();
    if (index >= 0) {
        const int digit = familyDigit(m_devices.at(index));
        // Families without a filter entry (boards, tools, unknown codes) leave the chosen family as it is.
        if (digit >= 1 && digit <= ui->comboBoxDeviceFilter->count())
            ui->comboBoxDeviceFilter->setCurrentIndex(digit - 1);
    }
    changeFirmwareFilter();
}

// ---- button styles and keyboard ----

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
    if (!ui->checkBoxManualIP->isChecked())
        ui->tableWidgetDeviceFirstTable->setEnabled(enable);
    setScanControlsEnabled(enable);
    const QList<QWidget*> controls = {ui->infoBtn,
                                      ui->configBtn,
                                      ui->updateBtn,
                                      ui->updateFwBtn,
                                      ui->updateFw2Btn,
                                      ui->chooseFirmwareBtn,
                                      ui->chooseFirmware2Btn,
                                      ui->lineEditFirmware1,
                                      ui->lineEditFirmware2,
                                      ui->tableDeviceConfig,
                                      ui->saveConfBtn,
                                      ui->checkBoxManualIP,
                                      ui->lineEditSetManualIP};
    for (QWidget* control : controls)
        control->setEnabled(enable);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            button->click();
            return true;
        }
        if (key == Qt::Key_Space)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

QString MainWindow::readResourceText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    const int nul = bytes.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? bytes : bytes.left(nul));
}

// ---- interface selection ----

void MainWindow::onShowNetworksTable()
{
    auto* dialog = new NetworkInterfaces(this);
    connect(dialog, &NetworkInterfaces::signalUpdateNetworkList, this, [this, dialog](QList<interfaces_t> list) {
        onSaveNetworkList(list);
        dialog->deleteLater();
    });
    connect(dialog, &NetworkInterfaces::signalClose, dialog, &QObject::deleteLater);
    m_networkInterfaces->scanInterfaces();
    dialog->showInterfacesTable(m_networkInterfaces->interfaces());
    dialog->show();
}

void MainWindow::onSaveNetworkList(QList<interfaces_t> list)
{
    m_networkInterfaces->interfaces() = list;
}

// ---- information page and housekeeping ----

void MainWindow::onShowAdditionalInfoPage()
{
    ui->checkBoxManualIP->setChecked(false);
    ui->infoBtn->setEnabled(false);
    ui->updateBtn->setEnabled(true);
    ui->configBtn->setEnabled(true);
    changeStyle(true, false, false);
    m_filterOff = false;
    onHideFilterComboBox();
    ui->stackedWidgetPageRight->setCurrentIndex(rightPageInfo);
    ui->tableWidgetDeviceFirstTable->hideColumn(columnSelection);
}

void MainWindow::onWriteAddInfo()
{
    ui->tableInfo->setRowCount(0);
    const int index = currentDeviceIndex();
    if (index < 0)
        return;
    fillInfoRows(m_devices.at(index));
    // Long labels ("Device Description:") would be cut at the initial width.
    ui->tableInfo->resizeColumnToContents(0);
    ui->progressBar->setValue(progressReset);
}

void MainWindow::fillInfoRows(const Device_t& device)
{
    QTableWidget* table = ui->tableInfo;
    auto appendRow = [table](const QString& label, const QString& value) {
        const int row = table->rowCount();
        table->insertRow(row);
        table->setItem(row, 0, new QTableWidgetItem(label));
        table->setItem(row, 1, new QTableWidgetItem(value));
    };
    for (EnumFieldMandatory field : infoFields) {
        QString value = deviceField(device, field);
        if (field == DHCP)
            value = value == QLatin1String(dhcpOn)    ? tr("ON")
                    : value == QLatin1String(dhcpOff) ? tr("OFF")
                                                      : tr("Not Available");
        appendRow(DescriptionMandatoryMap.value(field), value);
    }
    for (const QMap<QString, QString>& extra : device.additionalInfo) {
        if (!extra.isEmpty())
            appendRow(extra.firstKey(), extra.first());
    }
}

bool MainWindow::webInterfaceAvailable(int index) const
{
    if (index < 0)
        return false;
    const QString code = m_devices.at(index).code;
    return device::isPowerSupply(code) && !device::isKolvex(code) && !device::isVeskPowerSupply(code);
}

void MainWindow::onShowWebInterface()
{
    ui->frameWeb->setVisible(webInterfaceAvailable(currentDeviceIndex()));
}

void MainWindow::onOpenWebInterface()
{
    const int index = currentDeviceIndex();
    if (!webInterfaceAvailable(index))
        return;
    const QUrl url(QStringLiteral("http://") + m_devices.at(index).ip + QStringLiteral("/"));
    if (!m_prompts->openUrl(url))
        m_prompts->warning(this, tr("Web Interface"), tr("Unable to open %1 in the browser.").arg(url.toString()));
}

void MainWindow::showTextDialog(const QString& resource, const QString& title)
{
    auto* dialog = new Dialog(this);
    dialog->setText(readResourceText(resource));
    dialog->setTitle(title);
    dialog->show();
}

void MainWindow::onShowChangelog()
{
    showTextDialog(QString::fromLatin1(changelogResource), tr("Changelog"));
}

void MainWindow::onShowAbout()
{
    showTextDialog(QString::fromLatin1(aboutResource), tr("About"));
}

void MainWindow::onShowSupportedDev()
{
    showTextDialog(QString::fromLatin1(supportedDevicesResource), tr("Supported Devices"));
}

void MainWindow::onFullScreen()
{
    if (isFullScreen()) {
        showNormal();
        ui->actionToogle_Full_Screen->setText(tr("Toogle Full Screen"));
    } else {
        showFullScreen();
        ui->actionToogle_Full_Screen->setText(tr("Show Normal"));
    }
}

void MainWindow::onQuit()
{
    QCoreApplication::quit();
}

void MainWindow::checkForPreviousInstallations()
{
    const QDir previous(QDir::homePath() + QLatin1Char('/') + QLatin1String(previousInstallationDir));
    const QString path = previous.absolutePath();
    if (!previous.exists() || path == QDir(QCoreApplication::applicationDirPath()).absolutePath())
        return;
    if (!m_prompts->question(this, tr("Previous Installation Found"),
                             tr("A previous installation was found in:\n%1\n\nDo you want to remove it?").arg(path)))
        return;
    if (!QDir(path).removeRecursively())
        m_prompts->warning(this, tr("Error"), tr("Unable to remove old installation at:\n%1").arg(path));
}

// ---- settings and update check ----

void MainWindow::onShowSettings()
{
    auto* dialog = new Settings(this, m_presenter.get());
    dialog->showBroadcastTime(m_client->scanTime);
    dialog->showTimeout(m_updateTimeout);
    dialog->showFlagManualIP(m_flagManualIP);
    dialog->showFlagUnicast(m_client->flagSendUnicast);
    dialog->showStartIP(m_client->startIp);
    dialog->showStopIP(m_client->endIp);
    dialog->showNumbeOfThreads(m_client->nThreads);
    dialog->showWaitForBytesWritten(m_client->waitWritten);
    dialog->showWaitForReadyRead(m_client->waitRead);
    dialog->showWaitForConnected(m_client->waitConnected);

    connect(dialog, &Settings::signalChangeBroadcastTime, this, [this](int time) {
        m_client->scanTime = time;
        m_settings.setScanTime(time);
    });
    connect(dialog, &Settings::signalChangeTimeout, this, [this](int time) {
        m_updateTimeout = time;
        m_settings.setResponseTimeout(time);
    });
    connect(dialog, &Settings::signalChangeFlagManualIP, this, [this](bool flag) {
        m_flagManualIP = flag;
        ui->frameManualIp->setVisible(flag);
        m_settings.setFlagManualIP(flag);
    });
    connect(dialog, &Settings::signalChangeFlagUnicast, this, [this](bool flag) {
        m_client->flagSendUnicast = flag;
        m_settings.setFlagSendUnicastMessage(flag);
    });
    connect(dialog, &Settings::signalChangeStartIp, this, [this](QHostAddress ip) {
        m_client->startIp = ip;
        m_settings.setStartIP(ip);
    });
    connect(dialog, &Settings::signalChangeEndIp, this, [this](QHostAddress ip) {
        m_client->endIp = ip;
        m_settings.setEndIP(ip);
    });
    connect(dialog, &Settings::signalChangeNumbeOfThreads, this, [this](int number) {
        m_client->nThreads = number;
        m_settings.setNumbeOfThreads(number);
    });
    connect(dialog, &Settings::signalChangeWaitForBytesWritten, this, [this](int time) {
        m_client->waitWritten = time;
        m_settings.setWaitForBytesWritten(time);
    });
    connect(dialog, &Settings::signalChangeWaitForReadyRead, this, [this](int time) {
        m_client->waitRead = time;
        m_settings.setWaitForReadyRead(time);
    });
    connect(dialog, &Settings::signalChangeWaitForConnected, this, [this](int time) {
        m_client->waitConnected = time;
        m_settings.setWaitForConnected(time);
    });
    connect(dialog, &Settings::signalClose, dialog, &QObject::deleteLater);
    dialog->show();
}

void MainWindow::onCheckForUpdates()
{
    auto* updates = new Updates(this, m_presenter.get());
    updates->checkUpdates();
}

// ---- network configuration page ----

void MainWindow::onShowConfigureDevicePage()
{
    ui->checkBoxManualIP->setChecked(false);
    ui->infoBtn->setEnabled(true);
    ui->updateBtn->setEnabled(true);
    ui->configBtn->setEnabled(false);
    changeStyle(false, false, true);
    m_filterOff = false;
    onHideFilterComboBox();
    ui->stackedWidgetPageRight->setCurrentIndex(rightPageConfigure);
    ui->tableWidgetDeviceFirstTable->hideColumn(columnSelection);
}

void MainWindow::makeItemUneditable(int row, int column)
{
    QTableWidgetItem* item = ui->tableDeviceConfig->item(row, column);
    if (item)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
}

void MainWindow::makeTableUneditable()
{
    for (int row = 0; row < configRows; ++row)
        makeItemUneditable(row, 0);
    for (int row = 0; row < addressRows; ++row)
        makeItemUneditable(row, 1);
}

void MainWindow::resetNetwSetTable()
{
    QTableWidget* table = ui->tableDeviceConfig;
    table->setRowCount(0);
    for (int row = 0; row < configRows; ++row) {
        table->insertRow(row);
        table->setItem(row, 0, new QTableWidgetItem(tr(configLabels[row])));
        if (row < addressRows) {
            auto* unknown = new QTableWidgetItem(QString::fromLatin1(unknownValue));
            unknown->setForeground(QColor(QString::fromLatin1(greyColour)));
            table->setItem(row, 1, unknown);
        }
    }
    table->setVerticalHeaderLabels({tr("New IP Address"), tr("New Subnet Mask"), tr("New Gateway"), tr("New DHCP")});
    table->setItem(dhcpRow, 1, new QTableWidgetItem(QStringLiteral(" ")));
    auto* dhcpBox = new QCheckBox(QString::fromLatin1(notAvailable));
    dhcpBox->setChecked(false);
    dhcpBox->setEnabled(false);
    table->setCellWidget(dhcpRow, 1, dhcpBox);
    makeTableUneditable();
    QCoreApplication::processEvents();
}

void MainWindow::disableNetwSetRow(int row, QString text, bool disabled)
{
    auto* item = new QTableWidgetItem(text);
    item->setForeground(QColor(QString::fromLatin1(disabled ? greyColour : blackColour)));
    ui->tableDeviceConfig->setItem(row, 1, item);
    if (disabled)
        makeTableUneditable();
}

void MainWindow::onShowDeviceNetwSet()
{
    const int index = currentDeviceIndex();
    if (index < 0)
        return;
    const Device_t device = m_devices.at(index);
    resetNetwSetTable();
    disableNetwSetRow(0, device.ip, false);
    if (!device::isKolvex(device.code) && !device::isDravoTester(device.code)) {
        disableNetwSetRow(1, device.netmask, false);
        disableNetwSetRow(2, device.gateway, false);
        auto* dhcpBox = qobject_cast<QCheckBox*>(ui->tableDeviceConfig->cellWidget(dhcpRow, 1));
        if (dhcpBox && device::isPowerSupply(device.code) && !device::isPsRecovery(device.code)) {
            dhcpBox->setEnabled(true);
            dhcpBox->setText(QString());
            connect(dhcpBox, &QCheckBox::stateChanged, this, &MainWindow::onChangeTableNetwSetState);
            dhcpBox->setChecked(device.dhcp == QLatin1String(dhcpOn));
        }
    }
    if (device::isPsRecovery(device.code) || device::isBlRecovery(device.code)) {
        disableNetwSetRow(0, device.ip, true);
        disableNetwSetRow(1, device.netmask, true);
        disableNetwSetRow(2, device.gateway, true);
    }
}

void MainWindow::onChangeTableNetwSetState()
{
    auto* box = qobject_cast<QCheckBox*>(sender());
    const int index = currentDeviceIndex();
    if (!box || index < 0)
        return;
    const Device_t& device = m_devices.at(index);
    const bool checked = box->isChecked();
    disableNetwSetRow(0, device.ip, checked);
    disableNetwSetRow(1, device.netmask, checked);
    disableNetwSetRow(2, device.gateway, checked);
}

void MainWindow::onEnableSave()
{
    m_noSelectionYet = false;
    ui->saveConfBtn->setEnabled(true);
}

void MainWindow::onSaveNewConfiguration()
{
    const QString title = tr("Save Network Configuration");
    const int index = currentDeviceIndex();
    if (index < 0) {
        m_prompts->critical(this, title, tr("ERROR: no devices selected!"));
        return;
    }
    enableUI(false);
    QCoreApplication::processEvents();
    const Device_t device = m_devices.at(index);
    QTableWidget* table = ui->tableDeviceConfig;
    auto cellText = [table](int row) { return table->item(row, 1) ? table->item(row, 1)->text() : QString(); };
    const quint32 address = ipv4Number(cellText(0));
    quint32 mask = ipv4Number(cellText(1));
    quint32 gateway = ipv4Number(cellText(2));
    auto* dhcpBox = qobject_cast<QCheckBox*>(table->cellWidget(dhcpRow, 1));
    const uint dhcp = dhcpBox && dhcpBox->isChecked() ? 1 : 0;
    if (device::isKolvex(device.code) || device::isDravoTester(device.code)) {
        mask = ipv4Number(QString::fromLatin1(fixedKolvexMask));
        gateway = ipv4Number(QString::fromLatin1(fixedKolvexGateway));
    }
    m_networkInterfaces->scanInterfaces();
    changeNetworkConfiguration sender(this);
    const bool sent = sender.sendNewConfig(m_networkInterfaces->interfaces(), device.mac, commandPort, address, mask,
                                           gateway, dhcp, QHostAddress(device.ip));
    enableUI(true);
    if (!sent) {
        m_prompts->critical(this, title, tr("Nothing was sent: %1").arg(sender.lastError()));
        return;
    }
    m_prompts->information(this, title,
                           device::isDravoTester(device.code) ? tr("IP changed! reboot device to apply.")
                                                              : tr("Wait for the configuration to be applied"));
    onScanDevices();
}

void MainWindow::onShowAdvancedNetwConf()
{
    QList<QList<QString>> rows;
    for (const Device_t& device : qAsConst(m_devices))
        rows.append({device.group, device.serialNumber, device.mac, device.ip, device.netmask, device.gateway});
    auto* dialog = new NewNetwSettings(this);
    connect(dialog, &NewNetwSettings::signalApplyChanges, this, [this, dialog]() {
        const QList<QList<QString>> edited = dialog->readNetworkTable();
        dialog->deleteLater();
        applyNewNetwConfig(edited);
    });
    connect(dialog, &NewNetwSettings::signalClose, dialog, &QObject::deleteLater);
    dialog->updateNetworkTable(rows);
    dialog->show();
}

void MainWindow::applyNewNetwConfig(QList<QList<QString>> rows)
{
    changeNetworkConfiguration sender(this);
    const bool ok = sender.uploadNetwConf(m_networkInterfaces->interfaces(), rows);
    reportUpload(ok, sender.lastError());
    onScanDevices();
}

void MainWindow::reportUpload(bool ok, const QString& reason)
{
    const QString title = tr("Upload csv-file");
    if (ok) {
        m_prompts->information(this, title, tr("upload completed!"));
        return;
    }
    const QString text = tr("Error: incorrect file");
    m_prompts->critical(this, title, reason.isEmpty() ? text : text + QStringLiteral("\n") + reason);
}

QString MainWindow::askSaveFileName(const QString& caption, const QString& path, const QString& filter)
{
    return m_prompts->saveFileName(this, caption, path, filter);
}

void MainWindow::onImportNetworkConfiguration()
{
    const QString path =
        m_prompts->openFileName(this, tr("Import network configuration"), QDir::homePath(), tr(networkConfigFilter));
    if (path.isEmpty())
        return;
    changeNetworkConfiguration reader(this);
    const QList<QList<QString>> rows = reader.readNewNetwConfFile(path);
    // A file without usable rows sends nothing: say what is wrong with it, and do not rescan.
    if (rows.isEmpty()) {
        reportUpload(false, reader.lastError());
        return;
    }
    applyNewNetwConfig(rows);
}

void MainWindow::onExportNetworkConfiguration()
{
    const QString title = tr("Export network configuration");
    const QString path = askSaveFileName(
        title, QDir::homePath() + QDir::separator() + QLatin1String(networkConfigFileName), tr(networkConfigFilter));
    if (path.isEmpty())
        return;
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
        m_prompts->critical(this, title, tr("Unable to write %1: %2").arg(path, probe.errorString()));
        return;
    }
    probe.close();
    changeNetworkConfiguration writer(this);
    writer.downloadNetwConf(m_devices, path);
    m_prompts->information(
        this, title, tr("Network configuration of %n device(s) written to %1", nullptr, m_devices.size()).arg(path));
}

// ---- firmware page ----

void MainWindow::onShowPageFwUpgrade()
{
    ui->checkBoxManualIP->setChecked(false);
    ui->infoBtn->setEnabled(true);
    ui->configBtn->setEnabled(true);
    ui->updateBtn->setEnabled(false);
    changeStyle(false, true, false);
    restartFirmwareLog();
    ui->stackedWidgetPageRight->setCurrentIndex(rightPageUpdate);
    ui->tableWidgetDeviceFirstTable->showColumn(columnSelection);
}

void MainWindow::restartFirmwareLog()
{
    ui->progressBarFirmware->setValue(progressReset);
    ui->plainTextEditFirmware->clear();
}

void MainWindow::addRemoveSecondFirmware()
{
    ui->widgetFirmware2->hide();
    ui->selectFirmwareLabel_4->setText(tr("Select Firmware"));
    const int index = currentDeviceIndex();
    if (index >= 0 && device::isKolvex(m_devices.at(index).code)) {
        ui->widgetFirmware2->show();
        ui->selectFirmwareLabel_4->setText(tr("Communication Firmware"));
        ui->labelSelectFirmware2->setText(tr("Control Firmware"));
    }
}

void MainWindow::changeFirmwareFilter()
{
    const int index = currentDeviceIndex();
    if (index < 0)
        return;
    const QString code = m_devices.at(index).code;
    if (device::isKolvex(code))
        m_firmwareFilter = QString::fromLatin1(kolvexFirmwareFilter);
    else if (device::isPowerSupply(code) && device::isVeskPowerSupply(code))
        m_firmwareFilter = QString::fromLatin1(flashFirmwareFilter);
    else if (device::isPowerSupply(code))
        m_firmwareFilter = QString::fromLatin1(defaultFirmwareFilter);
    else if (device::isBeamline(code))
        m_firmwareFilter = QString::fromLatin1(flashFirmwareFilter);
    else
        m_firmwareFilter = QString::fromLatin1(anyFileFilter);
}

void MainWindow::setFwDirectoryFromFile(const QString& path)
{
    m_fwDefaultDir = QFileInfo(path).absolutePath();
    m_settings.setFwDefaultDir(path);
    restartFirmwareLog();
}

void MainWindow::onChooseFirmware()
{
    QLineEdit* target = sender() == ui->chooseFirmwareBtn    ? ui->lineEditFirmware1
                        : sender() == ui->chooseFirmware2Btn ? ui->lineEditFirmware2
                                                             : nullptr;
    if (!target)
        return;
    const QString path = m_prompts->openFileName(this, tr("Open Firmware File"), m_fwDefaultDir,
                                                 tr(m_firmwareFilter.toLatin1().constData()));
    if (path.isEmpty())
        return;
    target->setText(path);
    setFwDirectoryFromFile(path);
}

void MainWindow::onCheckFirmwarePath()
{
    auto* field = qobject_cast<QLineEdit*>(sender());
    if (!field)
        return;
    const QUrl url(field->text(), QUrl::TolerantMode);
    if (!url.isLocalFile())
        return;
    const QString path = url.toLocalFile().trimmed();
    field->setText(path);
    setFwDirectoryFromFile(path);
}

void MainWindow::onSelectedtoUpdate()
{
    QTableWidget* table = ui->tableWidgetDeviceFirstTable;
    for (int row = 0; row < table->rowCount(); ++row) {
        const int index = deviceIndexOf(table->item(row, columnGroup));
        auto* box = qobject_cast<QCheckBox*>(table->cellWidget(row, columnSelection));
        if (index >= 0 && index < m_selected.size() && box)
            m_selected[index] = box->isChecked();
    }
    disableCheckBox();
}

void MainWindow::disableCheckBox()
{
    QTableWidget* table = ui->tableWidgetDeviceFirstTable;
    auto rowBox = [table](int row) { return qobject_cast<QCheckBox*>(table->cellWidget(row, columnSelection)); };
    auto rowDevice = [this, table](int row) {
        const int index = deviceIndexOf(table->item(row, columnGroup));
        return index >= 0 && index < m_devices.size() ? m_devices.at(index) : Device_t();
    };
    QString reference;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (rowBox(row) && rowBox(row)->isChecked()) {
            reference = rowDevice(row).code;
            break;
        }
    }
    for (int row = 0; row < table->rowCount(); ++row) {
        QCheckBox* box = rowBox(row);
        if (!box)
            continue;
        const QString code = rowDevice(row).code;
        if (reference.isEmpty())
            box->setEnabled(!device::isCurrentTr(code));
        else if (device::isKolvex(reference)) {
            if (!box->isChecked())
                box->setEnabled(false);
        } else if (code != reference)
            box->setEnabled(false);
    }
}

void MainWindow::onEnableManualIP()
{
    const bool manual = ui->checkBoxManualIP->isChecked();
    ui->frameDevIP->setVisible(manual);
    ui->tableWidgetDeviceFirstTable->setEnabled(!manual);
    if (!manual)
        return;
    QTableWidget* table = ui->tableWidgetDeviceFirstTable;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (auto* box = qobject_cast<QCheckBox*>(table->cellWidget(row, columnSelection)))
            box->setChecked(false);
    }
}

void MainWindow::checkAndUpgrade(const QString& path)
{
    if (path.isEmpty() || path == QLatin1String("/...")) {
        m_prompts->critical(this, tr("Firmware"), tr("ERROR: Please select a valid firmware!"));
        return;
    }
    updateFirmware(path);
}

void MainWindow::onButtonUpFwPressed()
{
    checkAndUpgrade(ui->lineEditFirmware1->text());
}

void MainWindow::onButtonUpFwPressed2()
{
    checkAndUpgrade(ui->lineEditFirmware2->text());
}

void MainWindow::updateFirmware(QString firmwarePath)
{
    Q_UNUSED(firmwarePath)
    const int count = qMin(ui->tableWidgetDeviceFirstTable->rowCount(), m_selected.size());
    const bool manual = ui->checkBoxManualIP->isChecked();
    const bool anySelected = std::any_of(m_selected.cbegin(), m_selected.cbegin() + count, [](bool s) { return s; });
    if (!manual && !anySelected) {
        m_prompts->critical(this, tr("Devices to Update"), tr("ERROR: Select the devices to update!"));
        return;
    }
    m_prompts->critical(this, tr("Firmware Upgrade"), tr("Firmware upgrades are not part of this build."));
}

void MainWindow::onDownloadLog()
{
    const QString log = ui->plainTextEditFirmware->toPlainText();
    if (log.isEmpty())
        return;
    const QString name = QStringLiteral("update_log_%1.txt")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy_MM_dd_HH_mm")));
    const QString proposed =
        QDir::homePath() + QDir::separator() + QStringLiteral("Downloads") + QDir::separator() + name;
    const QString path = askSaveFileName(tr("Save File"), proposed, tr("Text files (*.txt)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        m_prompts->critical(this, tr("Save File"), tr("Unable to write %1: %2").arg(path, file.errorString()));
        return;
    }
    QTextStream(&file) << log;
}
