// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/configurationpage.h"

#include "app/devicetable.h"
#include "dialogs/userprompts.h"
#include "discovery/networkinterfaces.h"
#include "model/device.h"
#include "model/wellknownports.h"
#include "netconf/changedeviceconfigurations.h"
#include "netconf/newnetwsettings.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QHostAddress>

namespace {
constexpr auto unknownValue = "unknown";
constexpr auto notAvailable = "N.A.";
constexpr auto greyColour = "grey";
constexpr auto blackColour = "#000000";
constexpr auto dhcpOn = "1";
constexpr auto networkConfigFilter = "Network configuration (*.csv);;All files (*.*)";
constexpr auto networkConfigFileName = "network_configuration.csv";
// The style sheet pads tables; the fixed height leaves no empty area below the four rows.
constexpr int styledTablePadding = 40;

const char* const configLabels[] = {QT_TRANSLATE_NOOP("ConfigurationPage", "New IP Address:"),
                                    QT_TRANSLATE_NOOP("ConfigurationPage", "New Subnet Mask:"),
                                    QT_TRANSLATE_NOOP("ConfigurationPage", "New Gateway:"),
                                    QT_TRANSLATE_NOOP("ConfigurationPage", "DHCP:")};

quint32 ipv4Number(const QString& text)
{
    return QHostAddress(text).toIPv4Address();
}
} // namespace

ConfigurationPage::ConfigurationPage(const PageContext& context, NetworkInterfaces& interfaces, QObject* parent)
    : DevicePage(context, parent), m_networkInterfaces(interfaces)
{}

QPushButton* ConfigurationPage::pageButton() const
{
    return ui().configBtn;
}

void ConfigurationPage::setControlsEnabled(bool enable)
{
    ui().tableDeviceConfig->setEnabled(enable);
    ui().saveConfBtn->setEnabled(enable);
}

void ConfigurationPage::prepare()
{
    QTableWidget* table = ui().tableDeviceConfig;
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() +
                          configRows * table->verticalHeader()->defaultSectionSize() + 2 * table->frameWidth() +
                          styledTablePadding);
}

void ConfigurationPage::makeItemUneditable(int row, int column)
{
    QTableWidgetItem* item = ui().tableDeviceConfig->item(row, column);
    if (item)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
}

void ConfigurationPage::makeTableUneditable()
{
    for (int row = 0; row < configRows; ++row)
        makeItemUneditable(row, 0);
    for (int row = 0; row < addressRows; ++row)
        makeItemUneditable(row, 1);
}

void ConfigurationPage::resetNetwSetTable()
{
    QTableWidget* table = ui().tableDeviceConfig;
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
    auto* box = new QCheckBox(QString::fromLatin1(notAvailable));
    box->setChecked(false);
    box->setEnabled(false);
    table->setCellWidget(dhcpRow, 1, box);
    makeTableUneditable();
    QCoreApplication::processEvents();
}

void ConfigurationPage::disableNetwSetRow(int row, QString text, bool disabled)
{
    auto* item = new QTableWidgetItem(text);
    item->setForeground(QColor(QString::fromLatin1(disabled ? greyColour : blackColour)));
    ui().tableDeviceConfig->setItem(row, 1, item);
    if (disabled)
        makeTableUneditable();
}

QCheckBox* ConfigurationPage::dhcpBox() const
{
    return qobject_cast<QCheckBox*>(ui().tableDeviceConfig->cellWidget(dhcpRow, 1));
}

void ConfigurationPage::showDeviceNetwSet()
{
    const int index = context().table.currentDeviceIndex();
    if (index == DeviceTable::noDevice)
        return;
    const Device_t device = context().devices.at(index);
    resetNetwSetTable();
    disableNetwSetRow(0, device.ip, false);
    // Motor drivers and testers get the fixed mask and gateway on saving: their rows keep "unknown".
    if (!device::isKolvex(device.code) && !device::isDravoTester(device.code)) {
        disableNetwSetRow(1, device.netmask, false);
        disableNetwSetRow(2, device.gateway, false);
        QCheckBox* box = dhcpBox();
        if (box && device::isPowerSupply(device.code) && !device::isPsRecovery(device.code)) {
            box->setEnabled(true);
            box->setText(QString());
            // Connected first, so that a checked box already greys the address rows.
            connect(box, &QCheckBox::stateChanged, this, &ConfigurationPage::onDhcpBoxChanged);
            box->setChecked(device.dhcp == QLatin1String(dhcpOn));
        }
    }
    if (device::isPsRecovery(device.code) || device::isBlRecovery(device.code)) {
        disableNetwSetRow(0, device.ip, true);
        disableNetwSetRow(1, device.netmask, true);
        disableNetwSetRow(2, device.gateway, true);
    }
}

void ConfigurationPage::onDhcpBoxChanged()
{
    changeTableNetwSetState(qobject_cast<QCheckBox*>(sender()));
}

void ConfigurationPage::changeTableNetwSetState(QCheckBox* box)
{
    const int index = context().table.currentDeviceIndex();
    if (!box || index == DeviceTable::noDevice)
        return;
    const Device_t& device = context().devices.at(index);
    const bool checked = box->isChecked();
    disableNetwSetRow(0, device.ip, checked);
    disableNetwSetRow(1, device.netmask, checked);
    disableNetwSetRow(2, device.gateway, checked);
}

void ConfigurationPage::enableSave()
{
    ui().saveConfBtn->setEnabled(true);
}

QString ConfigurationPage::cellText(int row) const
{
    const QTableWidgetItem* item = ui().tableDeviceConfig->item(row, 1);
    return item ? item->text() : QString();
}

void ConfigurationPage::saveNewConfiguration()
{
    const QString title = tr("Save Network Configuration");
    const int index = context().table.currentDeviceIndex();
    if (index == DeviceTable::noDevice) {
        context().prompts.critical(context().window, title, tr("ERROR: no devices selected!"));
        return;
    }
    emit signalEnableUI(false);
    QCoreApplication::processEvents();
    const Device_t device = context().devices.at(index);
    const quint32 address = ipv4Number(cellText(0));
    quint32 mask = ipv4Number(cellText(1));
    quint32 gateway = ipv4Number(cellText(2));
    const uint dhcp = dhcpBox() && dhcpBox()->isChecked() ? 1 : 0;
    if (device::isKolvex(device.code) || device::isDravoTester(device.code)) {
        mask = ipv4Number(QLatin1String(kolvexNetwork::fixedMask));
        gateway = ipv4Number(QLatin1String(kolvexNetwork::fixedGateway));
    }
    m_networkInterfaces.scanInterfaces();
    changeNetworkConfiguration sender(this);
    const bool sent = sender.sendNewConfig(m_networkInterfaces.interfaces(), device.mac, port::command, address, mask,
                                           gateway, dhcp, QHostAddress(device.ip));
    emit signalEnableUI(true);
    if (!sent) {
        context().prompts.critical(context().window, title, tr("Nothing was sent: %1").arg(sender.lastError()));
        return;
    }
    context().prompts.information(context().window, title,
                                  device::isDravoTester(device.code) ? tr("IP changed! reboot device to apply.")
                                                                     : tr("Wait for the configuration to be applied"));
    emit signalScanDevices();
}

void ConfigurationPage::showAdvancedNetwConf()
{
    QList<QList<QString>> rows;
    for (const Device_t& device : qAsConst(context().devices))
        rows.append({device.group, device.serialNumber, device.mac, device.ip, device.netmask, device.gateway});
    auto* dialog = new NewNetwSettings(context().window);
    connect(dialog, &NewNetwSettings::signalApplyChanges, this, [this, dialog]() {
        const QList<QList<QString>> edited = dialog->readNetworkTable();
        dialog->deleteLater();
        applyNewNetwConfig(edited);
    });
    connect(dialog, &NewNetwSettings::signalClose, dialog, &QObject::deleteLater);
    dialog->updateNetworkTable(rows);
    dialog->show();
}

void ConfigurationPage::applyNewNetwConfig(QList<QList<QString>> rows)
{
    changeNetworkConfiguration sender(this);
    const bool ok = sender.uploadNetwConf(m_networkInterfaces.interfaces(), rows);
    reportUpload(ok, sender.lastError());
    emit signalScanDevices();
}

void ConfigurationPage::reportUpload(bool ok, const QString& reason)
{
    const QString title = tr("Upload csv-file");
    if (ok) {
        context().prompts.information(context().window, title, tr("upload completed!"));
        return;
    }
    const QString text = tr("Error: incorrect file");
    context().prompts.critical(context().window, title, reason.isEmpty() ? text : text + QStringLiteral("\n") + reason);
}

void ConfigurationPage::importNetworkConfiguration()
{
    const QString path = context().prompts.openFileName(context().window, tr("Import network configuration"),
                                                        QDir::homePath(), tr(networkConfigFilter));
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

void ConfigurationPage::exportNetworkConfiguration()
{
    const QString title = tr("Export network configuration");
    const QString path = context().prompts.saveFileName(
        context().window, title, QDir::homePath() + QDir::separator() + QLatin1String(networkConfigFileName),
        tr(networkConfigFilter));
    if (path.isEmpty())
        return;
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
        context().prompts.critical(context().window, title,
                                   tr("Unable to write %1: %2").arg(path, probe.errorString()));
        return;
    }
    probe.close();
    changeNetworkConfiguration writer(this);
    writer.downloadNetwConf(context().devices, path);
    context().prompts.information(
        context().window, title,
        tr("Network configuration of %n device(s) written to %1", nullptr, context().devices.size()).arg(path));
}
