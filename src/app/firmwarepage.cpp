// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/firmwarepage.h"

#include "app/devicetable.h"
#include "dialogs/userprompts.h"
#include "model/appsettings.h"
#include "model/device.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QUrl>

#include <algorithm>

namespace {
constexpr auto kolvexFirmwareFilter = "Firmware files (*.hex);;All files (*.*)";
constexpr auto flashFirmwareFilter = "Firmware files (*.flash);;All files (*.*)";
constexpr auto anyFileFilter = "All files (*.*)";
constexpr auto noFirmwareChosen = "/...";
constexpr auto logFileName = "update_log_%1.txt";
constexpr auto logTimeFormat = "yyyy_MM_dd_HH_mm";
constexpr int progressReset = 0;
} // namespace

FirmwarePage::FirmwarePage(const PageContext& context, AppSettings& settings, QString& fwDefaultDir,
                           QString& firmwareFilter, UpgradeWorkerFactory workers, QObject* parent)
    : DevicePage(context, parent), m_settings(settings), m_fwDefaultDir(fwDefaultDir), m_firmwareFilter(firmwareFilter),
      m_workers(workers ? std::move(workers) : realUpgradeWorkers())
{}

QPushButton* FirmwarePage::pageButton() const
{
    return ui().updateBtn;
}

void FirmwarePage::aboutToShow()
{
    restartFirmwareLog();
}

void FirmwarePage::setControlsEnabled(bool enable)
{
    const QList<QWidget*> controls = {ui().updateFwBtn,        ui().updateFw2Btn,       ui().chooseFirmwareBtn,
                                      ui().chooseFirmware2Btn, ui().lineEditFirmware1,  ui().lineEditFirmware2,
                                      ui().checkBoxManualIP,   ui().lineEditSetManualIP};
    for (QWidget* control : controls)
        control->setEnabled(enable);
}

void FirmwarePage::prepare()
{
    ui().progressBarFirmware->setValue(progressReset);
    ui().frameDevIP->hide();
}

void FirmwarePage::restartFirmwareLog()
{
    ui().progressBarFirmware->setValue(progressReset);
    ui().plainTextEditFirmware->clear();
}

void FirmwarePage::addRemoveSecondFirmware()
{
    ui().widgetFirmware2->hide();
    ui().selectFirmwareLabel_4->setText(tr("Select Firmware"));
    const int index = context().table.currentDeviceIndex();
    if (index != DeviceTable::noDevice && device::isKolvex(context().devices.at(index).code)) {
        ui().widgetFirmware2->show();
        ui().selectFirmwareLabel_4->setText(tr("Communication Firmware"));
        ui().labelSelectFirmware2->setText(tr("Control Firmware"));
    }
}

void FirmwarePage::changeFirmwareFilter()
{
    const int index = context().table.currentDeviceIndex();
    if (index == DeviceTable::noDevice)
        return;
    const QString code = context().devices.at(index).code;
    if (device::isKolvex(code))
        m_firmwareFilter = QString::fromLatin1(kolvexFirmwareFilter);
    else if (device::isPowerSupply(code) && device::isVeskPowerSupply(code))
        m_firmwareFilter = QString::fromLatin1(flashFirmwareFilter);
    else if (device::isPowerSupply(code))
        m_firmwareFilter = QString::fromLatin1(FirmwarePage::defaultFirmwareFilter);
    else if (device::isBeamline(code))
        m_firmwareFilter = QString::fromLatin1(flashFirmwareFilter);
    else
        m_firmwareFilter = QString::fromLatin1(anyFileFilter);
}

void FirmwarePage::setFwDirectoryFromFile(const QString& path)
{
    m_fwDefaultDir = QFileInfo(path).absolutePath();
    m_settings.setFwDefaultDir(path);
    restartFirmwareLog();
}

void FirmwarePage::chooseFirmware(const QObject* button)
{
    QLineEdit* target = button == ui().chooseFirmwareBtn    ? ui().lineEditFirmware1
                        : button == ui().chooseFirmware2Btn ? ui().lineEditFirmware2
                                                            : nullptr;
    if (!target)
        return;
    const QString path = context().prompts.openFileName(context().window, tr("Open Firmware File"), m_fwDefaultDir,
                                                        tr(m_firmwareFilter.toLatin1().constData()));
    if (path.isEmpty())
        return;
    target->setText(path);
    setFwDirectoryFromFile(path);
}

void FirmwarePage::checkFirmwarePath(QLineEdit* field)
{
    if (!field)
        return;
    const QUrl url(field->text(), QUrl::TolerantMode);
    if (!url.isLocalFile())
        return;
    const QString path = url.toLocalFile().trimmed();
    field->setText(path);
    setFwDirectoryFromFile(path);
}

Device_t FirmwarePage::deviceOfRow(int row) const
{
    const int index = context().table.deviceIndexOfRow(row);
    return index >= 0 && index < context().devices.size() ? context().devices.at(index) : Device_t();
}

void FirmwarePage::selectedToUpdate()
{
    const DeviceTable& table = context().table;
    QList<bool>& selected = context().selected;
    for (int row = 0; row < table.rowCount(); ++row) {
        const int index = table.deviceIndexOfRow(row);
        const QCheckBox* box = table.selectionBox(row);
        if (index >= 0 && index < selected.size() && box)
            selected[index] = box->isChecked();
    }
    disableCheckBox();
}

void FirmwarePage::disableCheckBox()
{
    const DeviceTable& table = context().table;
    QString reference;
    for (int row = 0; row < table.rowCount(); ++row) {
        if (table.selectionBox(row) && table.selectionBox(row)->isChecked()) {
            reference = deviceOfRow(row).code;
            break;
        }
    }
    for (int row = 0; row < table.rowCount(); ++row) {
        QCheckBox* box = table.selectionBox(row);
        if (!box)
            continue;
        const QString code = deviceOfRow(row).code;
        if (reference.isEmpty())
            box->setEnabled(!device::isCurrentTr(code));
        else if (device::isKolvex(reference)) {
            // Only one motor driver at a time.
            if (!box->isChecked())
                box->setEnabled(false);
        } else if (code != reference)
            // One sequence upgrades devices of one catalog code only.
            box->setEnabled(false);
    }
}

void FirmwarePage::enableManualIP()
{
    const bool manual = ui().checkBoxManualIP->isChecked();
    ui().frameDevIP->setVisible(manual);
    ui().tableWidgetDeviceFirstTable->setEnabled(!manual);
    if (!manual)
        return;
    const DeviceTable& table = context().table;
    for (int row = 0; row < table.rowCount(); ++row) {
        if (QCheckBox* box = table.selectionBox(row))
            box->setChecked(false);
    }
}

void FirmwarePage::checkAndUpgrade(const QString& path)
{
    if (path.isEmpty() || path == QLatin1String(noFirmwareChosen)) {
        context().prompts.critical(context().window, tr("Firmware"), tr("ERROR: Please select a valid firmware!"));
        return;
    }
    updateFirmware(path);
}

void FirmwarePage::buttonUpFwPressed()
{
    checkAndUpgrade(ui().lineEditFirmware1->text());
}

void FirmwarePage::buttonUpFwPressed2()
{
    checkAndUpgrade(ui().lineEditFirmware2->text());
}

void FirmwarePage::updateFirmware(QString firmwarePath)
{
    Q_UNUSED(firmwarePath)
    const QList<bool>& selected = context().selected;
    const int count = qMin(context().table.rowCount(), selected.size());
    const bool manual = ui().checkBoxManualIP->isChecked();
    const bool anySelected = std::any_of(selected.cbegin(), selected.cbegin() + count, [](bool s) { return s; });
    if (!manual && !anySelected) {
        context().prompts.critical(context().window, tr("Devices to Update"),
                                   tr("ERROR: Select the devices to update!"));
        return;
    }
    context().prompts.critical(context().window, tr("Firmware Upgrade"),
                               tr("Firmware upgrades are not part of this build."));
}

void FirmwarePage::downloadLog()
{
    const QString log = ui().plainTextEditFirmware->toPlainText();
    if (log.isEmpty())
        return;
    const QString name =
        QString::fromLatin1(logFileName).arg(QDateTime::currentDateTime().toString(QString::fromLatin1(logTimeFormat)));
    const QString proposed =
        QDir::homePath() + QDir::separator() + QStringLiteral("Downloads") + QDir::separator() + name;
    const QString path =
        context().prompts.saveFileName(context().window, tr("Save File"), proposed, tr("Text files (*.txt)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        context().prompts.critical(context().window, tr("Save File"),
                                   tr("Unable to write %1: %2").arg(path, file.errorString()));
        return;
    }
    QTextStream(&file) << log;
}
