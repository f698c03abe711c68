// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netconf/newnetwsettings.h"

#include "dialogs/addressdelegate.h"
#include "dialogs/buttonkeyfilter.h"
#include "dialogs/columnfit.h"
#include "ui_newnetwsettings.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTableWidgetItem>

namespace {

constexpr int columnCount = 6;
constexpr int firstEditableColumn = 3;
constexpr int macColumn = 2;
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
    ui->labelWait->setText(tr(waitText));
}

void NewNetwSettings::resumeEditing()
{
    ui->applyBtn->setEnabled(true);
    ui->closeBtn->setEnabled(true);
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
    return ButtonKeyFilter::filter(watched, event) || QDialog::eventFilter(watched, event);
}
