// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The window's slots and helpers that belong to its pages and dialogs: each forwards to the class
// that does the work (the information, configuration and firmware pages, the housekeeping, the
// interface and settings dialogs, the update check).
#include "app/housekeeping.h"
#include "app/mainwindow.h"
#include "app/settingslink.h"
#include "dialogs/historydialog.h"
#include "dialogs/networkinterfaces.h"
#include "dialogs/settings.h"
#include "ui_mainwindow.h"
#include "updates/updates.h"

#include <QCoreApplication>

void MainWindow::onShowNetworksTable()
{
    if (upgradeHoldsSending())
        return;
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
    // Which devices are out of reach depends on the interfaces chosen.
    m_deviceTable->judgeAddresses(list);
    onWriteAddInfo();
    onShowDeviceNetwSet();
}

void MainWindow::onShowAdditionalInfoPage()
{
    showRightPage(*m_informationPage);
}

void MainWindow::onWriteAddInfo()
{
    m_informationPage->writeAddInfo();
}

void MainWindow::onShowWebInterface()
{
    m_informationPage->showWebInterface();
}

void MainWindow::onOpenWebInterface()
{
    m_informationPage->openWebInterface();
}

void MainWindow::onShowChangelog()
{
    m_housekeeping->showTextDialog(QString::fromLatin1(Housekeeping::changelogResource), tr("Changelog"),
                                   Qt::MarkdownText);
}

void MainWindow::onShowAbout()
{
    m_housekeeping->showTextDialog(QString::fromLatin1(Housekeeping::aboutResource), tr("About"));
}

void MainWindow::onShowSupportedDev()
{
    m_housekeeping->showTextDialog(QString::fromLatin1(Housekeeping::supportedDevicesResource),
                                   tr("Supported Devices"));
}

void MainWindow::onFullScreen()
{
    if (isFullScreen()) {
        showNormal();
        ui->actionToogle_Full_Screen->setText(tr("Toogle &Full Screen"));
    } else {
        showFullScreen();
        ui->actionToogle_Full_Screen->setText(tr("Show &Normal"));
    }
}

void MainWindow::onQuit()
{
    // Closing first keeps the window's size and place for the next start; a running upgrade keeps
    // the window open until it has ended, and the window's close then ends the program.
    if (close())
        QCoreApplication::quit();
}

void MainWindow::checkForPreviousInstallations()
{
    m_housekeeping->checkForPreviousInstallations();
}

void MainWindow::onShowSettings()
{
    auto* dialog = new Settings(this, m_prompts.get());
    m_settingsLink->fill(*dialog);
    m_settingsLink->follow(*dialog);
    dialog->show();
}

void MainWindow::onCheckForUpdates()
{
    auto* updates = new Updates(this, m_prompts.get());
    updates->checkUpdates();
}

// The history's undo scans through the window's engine, so it waits for a window scan and stops one
// from starting while it runs.
void MainWindow::onShowHistory()
{
    if (m_history) {
        m_history->reload();
        m_history->raise();
        m_history->activateWindow();
        return;
    }
    m_history = new HistoryDialog(this, m_prompts.get());
    m_history->setAttribute(Qt::WA_DeleteOnClose);
    m_history->setScanner({[this] { return scanForHistory(); }, [this] { return m_networkInterfaces->interfaces(); }});
    m_history->setSendingAllowed(!upgradeHoldsSending());
    // As the command line does after an undo: the table shows where the unit is now.
    connect(m_history, &HistoryDialog::undoSent, this, &MainWindow::onScanDevices);
    m_history->show();
}

QList<Device_t> MainWindow::scanForHistory()
{
    if (m_scanRunning)
        return {};
    m_scanRunning = true;
    setScanControlsEnabled(false);
    m_networkInterfaces->scanInterfaces();
    const QList<Device_t> found = m_client->startScan(m_networkInterfaces->interfaces());
    m_client->clearDevicesList();
    m_scanRunning = false;
    setScanControlsEnabled(true);
    return found;
}

void MainWindow::onShowConfigureDevicePage()
{
    showRightPage(*m_configurationPage);
}

void MainWindow::makeItemUneditable(int row, int column)
{
    m_configurationPage->makeItemUneditable(row, column);
}

void MainWindow::makeTableUneditable()
{
    m_configurationPage->makeTableUneditable();
}

void MainWindow::resetNetwSetTable()
{
    m_configurationPage->resetNetwSetTable();
}

void MainWindow::disableNetwSetRow(int row, QString text, bool disabled)
{
    m_configurationPage->disableNetwSetRow(row, text, disabled);
}

void MainWindow::onShowDeviceNetwSet()
{
    m_configurationPage->showDeviceNetwSet();
}

void MainWindow::onChangeTableNetwSetState()
{
    m_configurationPage->changeTableNetwSetState(qobject_cast<QCheckBox*>(sender()));
}

void MainWindow::onEnableSave()
{
    m_noSelectionYet = false;
    m_configurationPage->enableSave();
}

void MainWindow::onSaveNewConfiguration()
{
    if (upgradeHoldsSending())
        return;
    m_configurationPage->saveNewConfiguration();
}

void MainWindow::onShowAdvancedNetwConf()
{
    if (upgradeHoldsSending())
        return;
    m_configurationPage->showAdvancedNetwConf();
}

void MainWindow::applyNewNetwConfig(QList<QList<QString>> rows)
{
    m_configurationPage->applyNewNetwConfig(rows);
}

void MainWindow::onImportNetworkConfiguration()
{
    if (upgradeHoldsSending())
        return;
    m_configurationPage->importNetworkConfiguration();
}

void MainWindow::onExportNetworkConfiguration()
{
    m_configurationPage->exportNetworkConfiguration();
}

void MainWindow::onShowPageFwUpgrade()
{
    showRightPage(*m_firmwarePage);
}

void MainWindow::addRemoveSecondFirmware()
{
    m_firmwarePage->addRemoveSecondFirmware();
}

void MainWindow::changeFirmwareFilter()
{
    m_firmwarePage->changeFirmwareFilter();
}

void MainWindow::onChooseFirmware()
{
    m_firmwarePage->chooseFirmware(sender());
}

void MainWindow::onCheckFirmwarePath()
{
    m_firmwarePage->checkFirmwarePath(qobject_cast<QLineEdit*>(sender()));
}

void MainWindow::onSelectedtoUpdate()
{
    m_firmwarePage->selectedToUpdate();
}

void MainWindow::disableCheckBox()
{
    m_firmwarePage->disableCheckBox();
}

void MainWindow::onEnableManualIP()
{
    m_firmwarePage->enableManualIP();
}

void MainWindow::onButtonUpFwPressed()
{
    m_firmwarePage->buttonUpFwPressed();
}

void MainWindow::onButtonUpFwPressed2()
{
    m_firmwarePage->buttonUpFwPressed2();
}

void MainWindow::updateFirmware(QString firmwarePath)
{
    m_firmwarePage->updateFirmware(firmwarePath);
}

void MainWindow::onDownloadLog()
{
    m_firmwarePage->downloadLog();
}

void MainWindow::onWriteFwUpLog(QString message)
{
    m_firmwarePage->writeFwUpLog(message);
}

void MainWindow::onChangeFwProgressBar(int value)
{
    m_firmwarePage->changeFwProgressBar(value);
}

void MainWindow::onStopUpdateProcedure()
{
    m_firmwarePage->stopUpdateProcedure();
}

void MainWindow::onUpdateNextDevice()
{
    m_firmwarePage->updateNextDevice();
}

void MainWindow::onRemoveSelectedDev(int index)
{
    m_firmwarePage->removeSelectedDev(index);
}
