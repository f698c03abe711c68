// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/devicetable.h"

#include "app/iptablewidgetitem.h"
#include "dialogs/columnfit.h"
#include "model/device.h"
#include "model/fieldtables.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QEvent>
#include <QHeaderView>
#include <QPixmap>
#include <QPixmapCache>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidgetItem>

#include <algorithm>

namespace {
constexpr auto checkBoxStyle = "padding-left: 33px;";
constexpr auto deviceIndexProperty = "deviceIndex";
constexpr int kolvexFamilyDigit = 4;
constexpr int powerSupplyFamilyDigit = 1;
constexpr int markSize = 16;

const QList<EnumBrands> brandOrder = {NORRETH, VALDIS, PEMBRY, TORQUIL};
} // namespace

DeviceTable::DeviceTable(Ui::MainWindow& ui, const QList<Device_t>& devices, bool& filterOff,
                         const bool& noSelectionYet, QObject* parent)
    : QObject(parent), m_ui(ui), m_devices(devices), m_filterOff(filterOff), m_noSelectionYet(noSelectionYet)
{
    connect(widget(), &QTableWidget::itemSelectionChanged, this,
            [this]() { emit signalCurrentDeviceChanged(currentDeviceIndex()); });
    connect(widget()->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &DeviceTable::fitColumns);
    // The style sheet sets the fonts when it is applied, after the table is built.
    widget()->installEventFilter(this);
    widget()->horizontalHeader()->installEventFilter(this);
}

bool DeviceTable::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitColumns();
    return QObject::eventFilter(watched, event);
}

QTableWidget* DeviceTable::widget() const
{
    return m_ui.tableWidgetDeviceFirstTable;
}

void DeviceTable::prepare()
{
    QHeaderView* header = widget()->horizontalHeader();
    header->setSectionResizeMode(columnSelection, QHeaderView::Fixed);
    header->resizeSection(columnSelection, selectionColumnWidth);
    header->setSectionResizeMode(columnIcon, QHeaderView::Fixed);
    header->resizeSection(columnIcon, iconColumnWidth);
    header->setSectionResizeMode(columnGroup, QHeaderView::Stretch);
    for (int column : {columnModuleId, columnIp, columnFirmware})
        header->setSectionResizeMode(column, QHeaderView::Fixed);
    header->setStretchLastSection(false);
    setSelectionColumnShown(false);
}

void DeviceTable::setSelectionColumnShown(bool shown)
{
    widget()->setColumnHidden(columnSelection, !shown);
    fitColumns();
}

void DeviceTable::fitColumns()
{
    QTableWidget* table = widget();
    QHeaderView* header = table->horizontalHeader();
    const int sorted = header->isSortIndicatorShown() ? header->sortIndicatorSection() : -1;
    auto need = [table, sorted](int column, const QStringList& probes) {
        return ColumnFit::columnNeed(table, column, column == sorted, probes);
    };
    auto headerNeed = [header, sorted](int column) { return ColumnFit::headerNeed(header, column, column == sorted); };
    header->resizeSection(columnSelection, qMax(selectionColumnWidth, headerNeed(columnSelection)));
    const int iconWidth = m_compact ? iconSide() + 2 * compactIconPadding : iconColumnWidth;
    header->resizeSection(columnIcon, qMax(iconWidth, headerNeed(columnIcon)));
    header->resizeSection(columnModuleId, need(columnModuleId, {}));
    header->resizeSection(columnIp, need(columnIp, {QString::fromLatin1(ColumnFit::widestAddress)}));
    header->resizeSection(columnFirmware, need(columnFirmware, {}));
    const int groupMinimum = ColumnFit::headerNeed(header, columnGroup, true);
    header->setMinimumSectionSize(groupMinimum);
    int width = groupMinimum;
    for (int column : {columnSelection, columnIcon, columnModuleId, columnIp, columnFirmware}) {
        if (!table->isColumnHidden(column))
            width += header->sectionSize(column);
    }
    // Room for the vertical scroll bar is kept, so that a long list does not push a column out.
    const int chrome = 2 * table->frameWidth() +
                       table->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table->verticalScrollBar());
    table->setMinimumWidth(width + chrome);
}

void DeviceTable::clear()
{
    widget()->setRowCount(0);
    reportShownRows();
}

void DeviceTable::appendRows(int count)
{
    QTableWidget* table = widget();
    table->setSortingEnabled(false);
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->setUpdatesEnabled(false);
    for (int index : indicesByMac(count))
        appendRow(index);
    table->setUpdatesEnabled(true);
    table->setSortingEnabled(true);
    fitColumns();
}

QList<int> DeviceTable::indicesByMac(int count) const
{
    QList<int> indices;
    for (int i = 0; i < count && i < m_devices.size(); ++i)
        indices << i;
    std::stable_sort(indices.begin(), indices.end(), [this](int left, int right) {
        return m_devices.at(left).mac.compare(m_devices.at(right).mac, Qt::CaseInsensitive) < 0;
    });
    return indices;
}

void DeviceTable::setCompact(bool compact)
{
    m_compact = compact;
    // The style's least row height is taller than a line of text.
    widget()->verticalHeader()->setMinimumSectionSize(compact ? rowHeight() : -1);
    widget()->verticalHeader()->setDefaultSectionSize(rowHeight());
    widget()->setIconSize(QSize(iconSide(), iconSide()));
    resizeIcons();
    fitColumns();
}

int DeviceTable::rowHeight() const
{
    return m_compact ? widget()->fontMetrics().height() : pictureRowHeight;
}

int DeviceTable::iconSide() const
{
    return m_compact ? rowHeight() - 2 * compactIconMargin : iconSize;
}

void DeviceTable::resizeIcons()
{
    for (int row = 0; row < rowCount(); ++row) {
        QTableWidgetItem* item = widget()->item(row, columnIcon);
        const int index = deviceIndexOf(item);
        if (index < 0 || index >= m_devices.size())
            continue;
        const QPixmap icon = scaledIcon(deviceIcon(m_devices.at(index).code, m_devices.at(index).brand));
        item->setData(Qt::DecorationRole, icon.isNull() ? QVariant() : QVariant(icon));
    }
}

void DeviceTable::appendRow(int deviceIndex)
{
    QTableWidget* table = widget();
    const Device_t& device = m_devices.at(deviceIndex);
    const int row = table->rowCount();
    table->insertRow(row);
    const QList<QPair<int, QTableWidgetItem*>> items = {{columnSelection, new QTableWidgetItem},
                                                        {columnIcon, makeIconItem(device)},
                                                        {columnGroup, new QTableWidgetItem(device.group)},
                                                        {columnModuleId, new QTableWidgetItem(device.moduleId)},
                                                        {columnIp, new IpTableWidgetItem(device.ip)},
                                                        {columnFirmware, new QTableWidgetItem(device.firmwareVersion)}};
    for (const auto& entry : items) {
        entry.second->setData(Qt::UserRole, deviceIndex);
        if (entry.first >= columnGroup)
            entry.second->setTextAlignment(Qt::AlignCenter);
        table->setItem(row, entry.first, entry.second);
    }
    markAddress(items.at(columnIp).second, deviceIndex);
    table->setCellWidget(row, columnSelection, makeSelectionBox(device, deviceIndex));
}

void DeviceTable::judgeAddresses(const QList<interfaces_t>& interfaces)
{
    m_health = AddressHealth(m_devices, interfaces);
    for (int row = 0; row < rowCount(); ++row) {
        if (QTableWidgetItem* item = widget()->item(row, columnIp))
            markAddress(item, deviceIndexOf(item));
    }
    fitColumns();
}

void DeviceTable::markAddress(QTableWidgetItem* item, int deviceIndex) const
{
    const QString problem = m_health.description(deviceIndex);
    item->setToolTip(problem);
    const QIcon warning = widget()->style()->standardIcon(QStyle::SP_MessageBoxWarning);
    // A pixmap keeps its own size; an icon would be drawn at the table's 90-pixel icon size.
    item->setData(Qt::DecorationRole, problem.isEmpty() ? QVariant() : QVariant(warning.pixmap(markSize, markSize)));
}

QTableWidgetItem* DeviceTable::makeIconItem(const Device_t& device) const
{
    auto* item = new QTableWidgetItem;
    const QPixmap icon = scaledIcon(deviceIcon(device.code, device.brand));
    if (!icon.isNull())
        item->setData(Qt::DecorationRole, icon);
    return item;
}

QPixmap DeviceTable::scaledIcon(const QString& path) const
{
    const int side = iconSide();
    const QString key = QStringLiteral("%1@%2").arg(path).arg(side);
    QPixmap icon;
    if (!QPixmapCache::find(key, &icon) && icon.load(path)) {
        icon = icon.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QPixmapCache::insert(key, icon);
    }
    return icon;
}

QCheckBox* DeviceTable::makeSelectionBox(const Device_t& device, int deviceIndex)
{
    auto* box = new QCheckBox;
    box->setStyleSheet(QString::fromLatin1(checkBoxStyle));
    box->setProperty(deviceIndexProperty, deviceIndex);
    box->setEnabled(!device::isCurrentTr(device.code));
    connect(box, &QCheckBox::stateChanged, this, &DeviceTable::signalSelectionBoxChanged);
    return box;
}

QString DeviceTable::deviceIcon(const QString& code, const QString& brand)
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

int DeviceTable::rowCount() const
{
    return widget()->rowCount();
}

int DeviceTable::deviceIndexOf(const QTableWidgetItem* item)
{
    if (!item)
        return noDevice;
    bool ok = false;
    const int index = item->data(Qt::UserRole).toInt(&ok);
    return ok ? index : noDevice;
}

int DeviceTable::currentDeviceIndex() const
{
    const int index = deviceIndexOf(widget()->currentItem());
    return index >= 0 && index < m_devices.size() ? index : noDevice;
}

int DeviceTable::deviceIndexOfRow(int row) const
{
    return deviceIndexOf(widget()->item(row, columnGroup));
}

int DeviceTable::rowOfDevice(int deviceIndex) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (deviceIndexOfRow(row) == deviceIndex)
            return row;
    }
    return -1;
}

bool DeviceTable::selectDeviceWithMac(const QString& mac)
{
    for (int index = 0; index < m_devices.size(); ++index) {
        if (m_devices.at(index).mac.compare(mac, Qt::CaseInsensitive) != 0)
            continue;
        const int row = rowOfDevice(index);
        if (row < 0 || widget()->isRowHidden(row))
            return false;
        widget()->setCurrentCell(row, columnGroup);
        widget()->scrollToItem(widget()->item(row, columnGroup));
        return true;
    }
    return false;
}

QCheckBox* DeviceTable::selectionBox(int row) const
{
    return qobject_cast<QCheckBox*>(widget()->cellWidget(row, columnSelection));
}

int DeviceTable::familyDigit(const Device_t& device)
{
    const QChar first = device.code.isEmpty() ? QChar() : device.code.at(0);
    const int digit = first.isDigit() ? first.digitValue() : 0;
    return digit == kolvexFamilyDigit ? powerSupplyFamilyDigit : digit;
}

void DeviceTable::toggleFilter()
{
    const bool apply = m_filterOff;
    m_ui.comboBoxDeviceFilter->setMaximumWidth(apply ? unlimitedWidth : 0);
    m_filterOff = !apply;
    m_ui.actionApply_Filter->setText(apply ? tr("Remove F&ilter") : tr("Apply F&ilter"));
}

void DeviceTable::showAllRows()
{
    for (int row = 0; row < rowCount(); ++row)
        widget()->setRowHidden(row, !passesRowFilter(row));
    leaveHiddenRow();
    reportShownRows();
}

bool DeviceTable::passesRowFilter(int row) const
{
    if (!m_rowFilter)
        return true;
    const int index = deviceIndexOf(widget()->item(row, columnIcon));
    return index < 0 || index >= m_devices.size() || m_rowFilter(m_devices.at(index));
}

void DeviceTable::setRowFilter(RowFilter filter)
{
    m_rowFilter = std::move(filter);
    refilter();
}

void DeviceTable::refilter()
{
    if (m_filterOff)
        showAllRows();
    else
        hideOtherFamilies();
}

int DeviceTable::shownRowCount() const
{
    int shown = 0;
    for (int row = 0; row < rowCount(); ++row)
        shown += widget()->isRowHidden(row) ? 0 : 1;
    return shown;
}

void DeviceTable::reportShownRows()
{
    emit signalRowsShown(shownRowCount(), rowCount());
}

void DeviceTable::hideOtherFamilies()
{
    if (m_filterOff)
        return;
    const int wanted = m_ui.comboBoxDeviceFilter->currentIndex() + 1;
    for (int row = 0; row < rowCount(); ++row) {
        const QTableWidgetItem* item = widget()->item(row, columnIcon);
        if (!item)
            continue;
        const int index = deviceIndexOf(item);
        const bool known = index >= 0 && index < m_devices.size();
        widget()->setRowHidden(row, !known || familyDigit(m_devices.at(index)) != wanted || !passesRowFilter(row));
    }
    leaveHiddenRow();
    reportShownRows();
}

void DeviceTable::leaveHiddenRow()
{
    QTableWidget* table = widget();
    const QTableWidgetItem* current = table->currentItem();
    if (!current || !table->isRowHidden(current->row()))
        return;
    // A device the filter hides must not stay on the pages beside the table.
    table->setCurrentItem(nullptr);
    table->clearSelection();
    emit signalCurrentDeviceChanged(noDevice);
}

void DeviceTable::followCurrentDevice()
{
    const int index = m_noSelectionYet ? noDevice : currentDeviceIndex();
    if (index == noDevice)
        return;
    const int digit = familyDigit(m_devices.at(index));
    // Families without a filter entry (boards, tools, unknown codes) leave the chosen family as it is.
    if (digit >= 1 && digit <= m_ui.comboBoxDeviceFilter->count())
        m_ui.comboBoxDeviceFilter->setCurrentIndex(digit - 1);
}
