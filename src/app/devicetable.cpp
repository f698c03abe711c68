// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/devicetable.h"

#include "app/devicetableitem.h"
#include "app/iptablewidgetitem.h"
#include "dialogs/columnfit.h"
#include "model/device.h"
#include "model/fieldtables.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QEvent>
#include <QHeaderView>
#include <QIcon>
#include <QPainter>
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
constexpr int badgeSize = 10;
// Which missing unit a row shows (an index into ScanChanges::missing()); such rows have no device index.
constexpr int missingIndexRole = Qt::UserRole + 2;
// A row's change since the last scan, which the address column's tool tip keeps beside its own.
constexpr int changeRole = Qt::UserRole + 3;
constexpr QRgb newTint = 0xe3f4e1;
constexpr QRgb newBadge = 0x2e9d47;
constexpr QRgb changedTint = 0xfcefcf;
constexpr QRgb changedBadge = 0xd99a00;
constexpr QRgb missingText = 0x9a9a9a;

// A dot beside the group: the tint alone vanishes under the selection's colour.
QPixmap badge(QRgb colour)
{
    QPixmap pixmap(badgeSize, badgeSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(colour));
    painter.drawEllipse(pixmap.rect());
    return pixmap;
}

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
    // Folded away to no width, the family box would still take a Tab stop that shows nothing.
    m_ui.comboBoxDeviceFilter->setFocusPolicy(m_filterOff ? Qt::NoFocus : Qt::StrongFocus);
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
    m_missingRows = 0;
    reportShownRows();
}

void DeviceTable::setScanChanges(const ScanChanges& changes)
{
    m_changes = changes;
}

void DeviceTable::setMissingShown(bool shown)
{
    m_missingShown = shown;
    refilter();
}

void DeviceTable::appendRows(int count)
{
    QTableWidget* table = widget();
    table->setSortingEnabled(false);
    table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table->setUpdatesEnabled(false);
    for (int index : indicesByMac(count))
        appendRow(index);
    // Missing units in a fixed order too, whatever order the last scan kept them in.
    QList<int> missing;
    for (int i = 0; i < m_changes.missing().size(); ++i)
        missing << i;
    std::stable_sort(missing.begin(), missing.end(), [this](int left, int right) {
        return m_changes.missing().at(left).device.mac.compare(m_changes.missing().at(right).device.mac,
                                                               Qt::CaseInsensitive) < 0;
    });
    for (int index : missing)
        appendMissingRow(index);
    m_missingRows += missing.size();
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
    for (int row = 0; row < widget()->rowCount(); ++row) {
        QTableWidgetItem* item = widget()->item(row, columnIcon);
        const Device_t* device = deviceOfRow(row);
        if (!item || !device)
            continue;
        const QPixmap icon = unitIcon(*device, DeviceTableItem::isMissing(*item));
        item->setData(Qt::DecorationRole, icon.isNull() ? QVariant() : QVariant(icon));
    }
}

QPixmap DeviceTable::unitIcon(const Device_t& device, bool missing) const
{
    const QPixmap icon = scaledIcon(deviceIcon(device.code, device.brand));
    return missing && !icon.isNull() ? QIcon(icon).pixmap(icon.size(), QIcon::Disabled) : icon;
}

void DeviceTable::appendRow(int deviceIndex)
{
    QTableWidget* table = widget();
    const Device_t& device = m_devices.at(deviceIndex);
    const int row = table->rowCount();
    table->insertRow(row);
    const QList<QPair<int, QTableWidgetItem*>> items = {{columnSelection, new DeviceTableItem},
                                                        {columnIcon, makeIconItem(device)},
                                                        {columnGroup, new DeviceTableItem(device.group)},
                                                        {columnModuleId, new DeviceTableItem(device.moduleId)},
                                                        {columnIp, new IpTableWidgetItem(device.ip)},
                                                        {columnFirmware, new DeviceTableItem(device.firmwareVersion)}};
    for (const auto& entry : items) {
        entry.second->setData(Qt::UserRole, deviceIndex);
        if (entry.first >= columnGroup)
            entry.second->setTextAlignment(Qt::AlignCenter);
        table->setItem(row, entry.first, entry.second);
    }
    markChange(row, device);
    markAddress(items.at(columnIp).second, deviceIndex);
    table->setCellWidget(row, columnSelection, makeSelectionBox(device, deviceIndex));
}

void DeviceTable::markChange(int row, const Device_t& device)
{
    const ScanChanges::Mark mark = m_changes.mark(device);
    if (mark == ScanChanges::Mark::None)
        return;
    const bool isNew = mark == ScanChanges::Mark::New;
    const QString description = m_changes.description(device);
    for (int column = 0; column < widget()->columnCount(); ++column) {
        QTableWidgetItem* item = widget()->item(row, column);
        if (!item)
            continue;
        item->setBackground(QColor(isNew ? newTint : changedTint));
        item->setData(changeRole, description);
        item->setToolTip(description);
    }
    if (QTableWidgetItem* group = widget()->item(row, columnGroup))
        group->setData(Qt::DecorationRole, badge(isNew ? newBadge : changedBadge));
}

// Greyed, without a selection box and with no flags at all, so that no click, key or page can take
// the unit for an action.
void DeviceTable::appendMissingRow(int missingIndex)
{
    QTableWidget* table = widget();
    const ScanDifference::Removed& unit = m_changes.missing().at(missingIndex);
    const Device_t& device = unit.device;
    const int row = table->rowCount();
    table->insertRow(row);
    auto* icon = new DeviceTableItem;
    const QPixmap picture = unitIcon(device, true);
    if (!picture.isNull())
        icon->setData(Qt::DecorationRole, picture);
    const QString group = tr("%1 (%2)").arg(device.group, ScanChanges::notSeenSince(unit.lastSeen)).trimmed();
    const QList<QPair<int, QTableWidgetItem*>> items = {
        {columnSelection, new DeviceTableItem},       {columnIcon, icon},
        {columnGroup, new DeviceTableItem(group)},    {columnModuleId, new DeviceTableItem(device.moduleId)},
        {columnIp, new IpTableWidgetItem(device.ip)}, {columnFirmware, new DeviceTableItem(device.firmwareVersion)}};
    const QString description = ScanChanges::missingDescription(unit);
    for (const auto& entry : items) {
        QTableWidgetItem* item = entry.second;
        item->setData(DeviceTableItem::missingRole, true);
        item->setData(missingIndexRole, missingIndex);
        item->setFlags(Qt::NoItemFlags);
        item->setForeground(QColor(missingText));
        item->setToolTip(description);
        if (entry.first >= columnGroup)
            item->setTextAlignment(Qt::AlignCenter);
        table->setItem(row, entry.first, item);
    }
}

void DeviceTable::judgeAddresses(const QList<interfaces_t>& interfaces)
{
    m_health = AddressHealth(m_devices, interfaces);
    for (int row = 0; row < widget()->rowCount(); ++row) {
        QTableWidgetItem* item = widget()->item(row, columnIp);
        if (item && !DeviceTableItem::isMissing(*item))
            markAddress(item, deviceIndexOf(item));
    }
    fitColumns();
}

void DeviceTable::markAddress(QTableWidgetItem* item, int deviceIndex) const
{
    const QString problem = m_health.description(deviceIndex);
    QStringList tips;
    for (const QString& tip : {problem, item->data(changeRole).toString()}) {
        if (!tip.isEmpty())
            tips << tip;
    }
    item->setToolTip(tips.join(QStringLiteral("\n\n")));
    const QIcon warning = widget()->style()->standardIcon(QStyle::SP_MessageBoxWarning);
    // A pixmap keeps its own size; an icon would be drawn at the table's 90-pixel icon size.
    item->setData(Qt::DecorationRole, problem.isEmpty() ? QVariant() : QVariant(warning.pixmap(markSize, markSize)));
}

QTableWidgetItem* DeviceTable::makeIconItem(const Device_t& device) const
{
    auto* item = new DeviceTableItem;
    const QPixmap icon = unitIcon(device, false);
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
    return qMax(0, widget()->rowCount() - m_missingRows);
}

const ScanDifference::Removed* DeviceTable::missingUnitOfRow(int row) const
{
    const QTableWidgetItem* item = widget()->item(row, columnIcon);
    if (!item || !DeviceTableItem::isMissing(*item))
        return nullptr;
    bool ok = false;
    const int index = item->data(missingIndexRole).toInt(&ok);
    return ok && index >= 0 && index < m_changes.missing().size() ? &m_changes.missing().at(index) : nullptr;
}

const Device_t* DeviceTable::deviceOfRow(int row) const
{
    if (const ScanDifference::Removed* missing = missingUnitOfRow(row))
        return &missing->device;
    const int index = deviceIndexOf(widget()->item(row, columnIcon));
    return index >= 0 && index < m_devices.size() ? &m_devices.at(index) : nullptr;
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
    m_ui.comboBoxDeviceFilter->setFocusPolicy(apply ? Qt::StrongFocus : Qt::NoFocus);
    m_filterOff = !apply;
    m_ui.actionApply_Filter->setText(apply ? tr("Remove F&ilter") : tr("Apply F&ilter"));
}

void DeviceTable::showAllRows()
{
    for (int row = 0; row < widget()->rowCount(); ++row)
        setRowShown(row, passesRowFilter(row));
    leaveHiddenRow();
    reportShownRows();
}

void DeviceTable::setRowShown(int row, bool passes)
{
    const bool missing = missingUnitOfRow(row) != nullptr;
    widget()->setRowHidden(row, !passes || (missing && !m_missingShown));
}

bool DeviceTable::passesRowFilter(int row) const
{
    if (!m_rowFilter)
        return true;
    const Device_t* device = deviceOfRow(row);
    return !device || m_rowFilter(*device);
}

bool DeviceTable::passesFamily(int row, int wanted) const
{
    const Device_t* device = deviceOfRow(row);
    return device && familyDigit(*device) == wanted;
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
    for (int row = 0; row < widget()->rowCount(); ++row)
        shown += widget()->isRowHidden(row) || missingUnitOfRow(row) ? 0 : 1;
    return shown;
}

int DeviceTable::shownMissingRowCount() const
{
    int shown = 0;
    for (int row = 0; row < widget()->rowCount(); ++row)
        shown += !widget()->isRowHidden(row) && missingUnitOfRow(row) ? 1 : 0;
    return shown;
}

void DeviceTable::reportShownRows()
{
    emit signalRowsShown(shownRowCount(), rowCount(), shownMissingRowCount());
}

void DeviceTable::hideOtherFamilies()
{
    if (m_filterOff)
        return;
    const int wanted = m_ui.comboBoxDeviceFilter->currentIndex() + 1;
    for (int row = 0; row < widget()->rowCount(); ++row) {
        if (widget()->item(row, columnIcon))
            setRowShown(row, passesFamily(row, wanted) && passesRowFilter(row));
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
