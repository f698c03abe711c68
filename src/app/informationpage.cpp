// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/informationpage.h"

#include "app/devicetable.h"
#include "dialogs/userprompts.h"
#include "model/device.h"
#include "model/fieldtables.h"
#include "ui_mainwindow.h"

#include <QHeaderView>

namespace {
constexpr auto dhcpOn = "1";
constexpr auto dhcpOff = "0";
constexpr int infoLabelWidth = 150;
constexpr int infoValueWidth = 280;

const QList<EnumFieldMandatory> infoFields = {ID, FAMILY, DEVICE, SN, FW, MAC, IP, NETMASK, GATEWAY, DHCP};
} // namespace

InformationPage::InformationPage(const PageContext& context, QObject* parent) : DevicePage(context, parent) {}

QPushButton* InformationPage::pageButton() const
{
    return ui().infoBtn;
}

void InformationPage::prepare()
{
    ui().frameWeb->hide();
    ui().tableInfo->setColumnWidth(0, infoLabelWidth);
    ui().tableInfo->setColumnWidth(1, infoValueWidth);
    // On a narrow window the values take what the labels leave rather than scroll out of sight.
    ui().tableInfo->horizontalHeader()->setStretchLastSection(false);
    ui().tableInfo->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
}

void InformationPage::clear()
{
    ui().tableInfo->setRowCount(0);
}

void InformationPage::writeAddInfo()
{
    ui().tableInfo->setRowCount(0);
    const int index = context().table.currentDeviceIndex();
    if (index == DeviceTable::noDevice)
        return;
    fillInfoRows(context().devices.at(index));
    // Long labels ("Device Description:") would be cut at the initial width.
    ui().tableInfo->resizeColumnToContents(0);
    // The scan progress bar keeps showing how far the last scan went.
}

void InformationPage::fillInfoRows(const Device_t& device)
{
    QTableWidget* table = ui().tableInfo;
    auto appendRow = [table](const QString& label, const QString& value) {
        const int row = table->rowCount();
        table->insertRow(row);
        table->setItem(row, 0, new QTableWidgetItem(label));
        auto* valueItem = new QTableWidgetItem(value);
        // A long value (a description) shows whole under the pointer when the column cuts it.
        valueItem->setToolTip(value);
        table->setItem(row, 1, valueItem);
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

bool InformationPage::webInterfaceAvailable(int deviceIndex) const
{
    if (deviceIndex == DeviceTable::noDevice)
        return false;
    const QString code = context().devices.at(deviceIndex).code;
    return device::isPowerSupply(code) && !device::isKolvex(code) && !device::isVeskPowerSupply(code);
}

void InformationPage::showWebInterface()
{
    ui().frameWeb->setVisible(webInterfaceAvailable(context().table.currentDeviceIndex()));
}

void InformationPage::openWebInterface()
{
    const int index = context().table.currentDeviceIndex();
    if (!webInterfaceAvailable(index))
        return;
    const QUrl url(QStringLiteral("http://") + context().devices.at(index).ip + QStringLiteral("/"));
    if (!context().prompts.openUrl(url))
        context().prompts.warning(context().window, tr("Web Interface"),
                                  tr("Unable to open %1 in the browser.").arg(url.toString()));
}
