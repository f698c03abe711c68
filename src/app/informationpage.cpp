// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/informationpage.h"

#include "app/devicetable.h"
#include "dialogs/userprompts.h"
#include "model/device.h"
#include "model/fieldtables.h"
#include "ui_mainwindow.h"

#include <QColor>
#include <QHeaderView>
#include <QMessageBox>
#include <QStyle>

namespace {
constexpr auto dhcpOn = "1";
constexpr auto dhcpOff = "0";
constexpr auto problemColour = "#c62828";
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
    // The wrapped address check takes the lines its column's width needs.
    connect(ui().tableInfo->horizontalHeader(), &QHeaderView::sectionResized, this,
            &InformationPage::fitAddressProblemRow);
}

void InformationPage::clear()
{
    ui().tableInfo->setRowCount(0);
    m_problemRow = -1;
}

void InformationPage::writeAddInfo()
{
    clear();
    const int index = context().table.currentDeviceIndex();
    if (index == DeviceTable::noDevice)
        return;
    fillInfoRows(context().devices.at(index));
    appendAddressProblem(index);
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
        appendRow(tr(qUtf8Printable(DescriptionMandatoryMap.value(field))), value);
    }
    for (const QMap<QString, QString>& extra : device.additionalInfo) {
        if (!extra.isEmpty())
            appendRow(extra.firstKey(), extra.first());
    }
}

void InformationPage::appendAddressProblem(int deviceIndex)
{
    const AddressHealth& health = context().table.addressHealth();
    const QString problem = health.summary(deviceIndex);
    if (problem.isEmpty())
        return;
    QTableWidget* table = ui().tableInfo;
    const int row = table->rowCount();
    table->insertRow(row);
    auto* label = new QTableWidgetItem(tr("Address check:"));
    label->setIcon(table->style()->standardIcon(QStyle::SP_MessageBoxWarning));
    auto* value = new QTableWidgetItem(problem);
    value->setForeground(QColor(QLatin1String(problemColour)));
    value->setToolTip(health.description(deviceIndex));
    table->setItem(row, 0, label);
    table->setItem(row, 1, value);
    m_problemRow = row;
    fitAddressProblemRow();
}

void InformationPage::fitAddressProblemRow()
{
    QTableWidget* table = ui().tableInfo;
    const QTableWidgetItem* item = table->item(m_problemRow, 1);
    if (m_problemRow < 0 || !item)
        return;
    const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
    const QRect room(0, 0, table->columnWidth(1) - 2 * margin - 1, QWIDGETSIZE_MAX);
    const int textHeight = table->fontMetrics().boundingRect(room, Qt::TextWordWrap, item->text()).height();
    // The style breaks its lines a little earlier than the metrics do: one line to spare.
    const int height = textHeight + table->fontMetrics().lineSpacing() + 2 * margin;
    table->setRowHeight(m_problemRow, qMax(table->verticalHeader()->defaultSectionSize(), height));
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
    if (!confirmUnreachableAddress(index, url))
        return;
    if (!context().prompts.openUrl(url))
        context().prompts.warning(context().window, tr("Web Interface"),
                                  tr("Unable to open %1 in the browser.").arg(url.toString()));
}

bool InformationPage::confirmUnreachableAddress(int deviceIndex, const QUrl& url)
{
    // A unit outside every selected subnet, or sharing its address, answered a broadcast: the browser
    // would wait on an address nothing of this unit's listens at, or reach another unit.
    const QString problem = context().table.addressHealth().description(deviceIndex);
    if (problem.isEmpty())
        return true;
    const QString text = tr("%1 may not reach this unit's web interface: %2\n\nGive the unit an address in the "
                            "subnet of a selected interface first (the Config page proposes one). Open it anyway?")
                             .arg(url.toString(), problem);
    return context().prompts.question(context().window, tr("Web Interface"), text, QMessageBox::Yes | QMessageBox::No,
                                      QMessageBox::No) == QMessageBox::Yes;
}
