// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/newnetwsettings.h"

#include "dialogs/addressdelegate.h"
#include "dialogs/buttonkeyfilter.h"
#include "dialogs/columnfit.h"
#include "netconf/addressnumbering.h"
#include "ui_newnetwsettings.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTableWidgetItem>

#include <algorithm>

namespace {

constexpr int columnCount = 6;
constexpr int firstEditableColumn = 3;
constexpr int macColumn = 2;
constexpr int ipColumn = 3;
constexpr int maskColumn = 4;
constexpr int lastColumn = 5;
constexpr char lockedColour[] = "#808080";
constexpr char waitText[] =
    QT_TRANSLATE_NOOP("NewNetwSettings", "Wait for the network configurations to be updated...");

QTableWidgetItem* makeCell(const QString& text, int column)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignCenter);
    // Family, serial number and MAC identify the unit; a changed MAC would address another one.
    if (column < firstEditableColumn) {
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        item->setForeground(QColor(QLatin1String(lockedColour)));
    }
    return item;
}

} // namespace

NewNetwSettings::NewNetwSettings(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::NewNetwSettings>())
{
    ui->setupUi(this);
    ButtonKeyFilter::watchButtons(this);
    auto kindOfCell = [](const QModelIndex& index) -> std::optional<AddressText::Kind> {
        static const AddressText::Kind kinds[] = {AddressText::Kind::Address, AddressText::Kind::Mask,
                                                  AddressText::Kind::Gateway};
        if (index.column() < firstEditableColumn || index.column() > lastColumn)
            return std::nullopt;
        return kinds[index.column() - firstEditableColumn];
    };
    ui->tableNetwSet->setItemDelegate(new AddressDelegate(kindOfCell, ui->tableNetwSet));
    connect(ui->applyBtn, &QPushButton::released, this, &NewNetwSettings::onApply);
    connect(ui->closeBtn, &QPushButton::released, this, &NewNetwSettings::onClose);
    buildNumbering();
}

void NewNetwSettings::buildNumbering()
{
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(tr("&Number the selected rows from:"), this);
    m_startAddress = new QLineEdit(this);
    m_startAddress->setObjectName(QStringLiteral("lineEditStartAddress"));
    m_startAddress->setPlaceholderText(tr("first address, e.g. 10.0.0.20"));
    label->setBuddy(m_startAddress);
    m_numberButton = new QPushButton(tr("&Fill addresses"), this);
    m_numberButton->setObjectName(QStringLiteral("numberBtn"));
    m_numberButton->setToolTip(tr("Give the selected rows consecutive addresses, skipping those in use; "
                                  "nothing is sent before Apply"));
    row->addWidget(label);
    row->addWidget(m_startAddress);
    row->addWidget(m_numberButton);
    row->addStretch();
    ui->verticalLayout->insertLayout(ui->verticalLayout->indexOf(ui->tableNetwSet) + 1, row);
    m_numberButton->installEventFilter(this);
    m_startAddress->installEventFilter(this);
    connect(m_numberButton, &QPushButton::released, this, &NewNetwSettings::onNumberSelectedRows);
    setTabOrder(ui->tableNetwSet, m_startAddress);
    setTabOrder(m_startAddress, m_numberButton);
    setTabOrder(m_numberButton, ui->closeBtn);
    setTabOrder(ui->closeBtn, ui->applyBtn);
}

QList<int> NewNetwSettings::selectedRowsInOrder() const
{
    QList<int> rows;
    for (const QModelIndex& index : ui->tableNetwSet->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void NewNetwSettings::onNumberSelectedRows()
{
    const QList<int> rows = selectedRowsInOrder();
    if (rows.isEmpty()) {
        ui->labelWait->setText(tr("Select the rows to number first."));
        return;
    }
    QStringList masks;
    for (int row : rows)
        masks << ui->tableNetwSet->item(row, maskColumn)->text();
    const QStringList addresses = AddressNumbering(m_taken).number(m_startAddress->text(), masks);
    if (addresses.isEmpty()) {
        ui->labelWait->setText(tr("\"%1\" is not an IP address.").arg(m_startAddress->text()));
        return;
    }
    // Sorting would move the rows while their cells change.
    const bool sorting = ui->tableNetwSet->isSortingEnabled();
    ui->tableNetwSet->setSortingEnabled(false);
    for (int i = 0; i < addresses.size(); ++i)
        ui->tableNetwSet->item(rows.at(i), ipColumn)->setText(addresses.at(i));
    ui->tableNetwSet->setSortingEnabled(sorting);
    ui->labelWait->setText(
        addresses.size() == rows.size()
            ? tr("%n row(s) numbered from %1 to %2; Apply shows them before sending.", nullptr, addresses.size())
                  .arg(addresses.first(), addresses.last())
            : tr("Only %1 of %2 rows could be numbered: no free address left.").arg(addresses.size()).arg(rows.size()));
}

NewNetwSettings::~NewNetwSettings() = default;

void NewNetwSettings::updateNetworkTable(QList<QList<QString>> rows)
{
    QTableWidget* table = ui->tableNetwSet;
    // With sorting on, every inserted cell would move its row at once and the
    // cells of one device would end up spread over several rows.
    const bool sorting = table->isSortingEnabled();
    table->setSortingEnabled(false);
    for (const QList<QString>& row : qAsConst(rows)) {
        if (row.size() < columnCount)
            break;
        const int tableRow = table->rowCount();
        table->insertRow(tableRow);
        for (int column = 0; column < columnCount; ++column)
            table->setItem(tableRow, column, makeCell(row.at(column), column));
    }
    table->setSortingEnabled(sorting);
    fitColumns();
}

void NewNetwSettings::fitColumns()
{
    // The application style sheet sets the fonts measured here.
    ensurePolished();
    QTableWidget* table = ui->tableNetwSet;
    QHeaderView* header = table->horizontalHeader();
    const bool arrow = header->isSortIndicatorShown();
    const QStringList address{QString::fromLatin1(ColumnFit::widestAddress)};
    ColumnFit::widenToNeeds(table, {0, 1});
    header->resizeSection(macColumn, ColumnFit::columnNeed(table, macColumn, arrow));
    for (int column = firstEditableColumn; column < lastColumn; ++column)
        header->resizeSection(column, ColumnFit::columnNeed(table, column, arrow, address));
    // The stretched last column must still hold an address beside the others.
    int width = ColumnFit::columnNeed(table, lastColumn, arrow, address);
    for (int column = 0; column < lastColumn; ++column)
        width += header->sectionSize(column);
    table->setMinimumWidth(width + table->verticalHeader()->sizeHint().width() + 2 * table->frameWidth() +
                           table->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table));
}

QList<QList<QString>> NewNetwSettings::readNetworkTable()
{
    const QTableWidget* table = ui->tableNetwSet;
    QList<QList<QString>> rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QList<QString> texts;
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem* item = table->item(row, column);
            texts.append(item ? item->text() : QString());
        }
        rows.append(texts);
    }
    return rows;
}

void NewNetwSettings::waitSendConf()
{
    ui->applyBtn->setEnabled(false);
    ui->closeBtn->setEnabled(false);
    m_numberButton->setEnabled(false);
    ui->labelWait->setText(tr(waitText));
}

void NewNetwSettings::resumeEditing()
{
    ui->applyBtn->setEnabled(true);
    ui->closeBtn->setEnabled(true);
    m_numberButton->setEnabled(true);
    ui->labelWait->clear();
}

void NewNetwSettings::onApply()
{
    waitSendConf();
    // Let the wait notice be drawn before the sends block the thread.
    QCoreApplication::processEvents();
    emit signalApplyChanges();
}

void NewNetwSettings::onClose()
{
    emit signalClose();
}

bool NewNetwSettings::eventFilter(QObject* watched, QEvent* event)
{
    // Return in the start address numbers the rows; left to the dialog it would press Apply.
    if (watched == m_startAddress && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            onNumberSelectedRows();
            return true;
        }
    }
    return ButtonKeyFilter::filter(watched, event) || QDialog::eventFilter(watched, event);
}
