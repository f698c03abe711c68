// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/networkinterfaces.h"

#include "dialogs/columnfit.h"
#include "discovery/hostinterfaces.h"
#include "ui_networkinterfaces.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTableWidgetItem>

namespace {
constexpr int checkColumn = 0;
constexpr int nameColumn = 1;
constexpr int ipColumn = 2;
constexpr int maskColumn = 3;
constexpr int checkColumnWidth = 10;
constexpr int nameColumnWidth = 100;
constexpr int ipColumnWidth = 200;

void registerInterfaceTypes()
{
    qRegisterMetaType<interfaces_t>("interfaces_t");
    qRegisterMetaType<QList<interfaces_t>>("QList<interfaces_t>");
}
} // namespace

NetworkInterfaces::NetworkInterfaces(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::NetworkInterfaces>())
{
    registerInterfaceTypes();
    ui->setupUi(this);
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveNetIcon));
    // The check-box column is narrower than the header's default minimum.
    ui->tableInterfaces->horizontalHeader()->setMinimumSectionSize(checkColumnWidth);
    ui->tableInterfaces->setColumnWidth(checkColumn, checkColumnWidth);
    ui->tableInterfaces->setColumnWidth(nameColumn, nameColumnWidth);
    ui->tableInterfaces->setColumnWidth(ipColumn, ipColumnWidth);
    // The mask column takes the rest of the table, so that masks show whole.
    ui->tableInterfaces->horizontalHeader()->setStretchLastSection(true);
    connect(ui->saveNetworksBtn, &QPushButton::released, this, &NetworkInterfaces::onSave);
    connect(ui->cancelBtn, &QPushButton::released, this, &NetworkInterfaces::onClose);
}

NetworkInterfaces::~NetworkInterfaces() = default;

void NetworkInterfaces::scanInterfaces()
{
    takeInterfaces(QNetworkInterface::allInterfaces());
}

void NetworkInterfaces::takeInterfaces(const QList<QNetworkInterface>& systemInterfaces)
{
    m_interfaces = hostInterfaces::enumerate(systemInterfaces, m_interfaces);
}

void NetworkInterfaces::showInterfacesTable(QList<interfaces_t> list)
{
    ui->tableInterfaces->setRowCount(0);
    for (const interfaces_t& record : list)
        addTableRow(record);
    m_interfaces = list;
    // Long interface names widen their column; the fonts are those of the application style sheet.
    ensurePolished();
    ColumnFit::widenToNeeds(ui->tableInterfaces, {nameColumn, ipColumn});
    // The check boxes show whole, however narrow the design made their column.
    if (QCheckBox* box = rowCheckBox(0))
        ui->tableInterfaces->setColumnWidth(checkColumn, qMax(checkColumnWidth, box->sizeHint().width()));
}

void NetworkInterfaces::addTableRow(const interfaces_t& record)
{
    QTableWidget* table = ui->tableInterfaces;
    const int row = table->rowCount();
    table->insertRow(row);
    auto* checkBox = new QCheckBox(table);
    checkBox->setChecked(record.selected);
    table->setCellWidget(row, checkColumn, checkBox);
    const QString texts[] = {record.name, record.ip, record.mask};
    const int columns[] = {nameColumn, ipColumn, maskColumn};
    for (int i = 0; i < 3; ++i) {
        auto* item = new QTableWidgetItem(texts[i]);
        item->setTextAlignment(Qt::AlignCenter);
        table->setItem(row, columns[i], item);
    }
}

QList<interfaces_t>& NetworkInterfaces::interfaces()
{
    return m_interfaces;
}

QCheckBox* NetworkInterfaces::rowCheckBox(int row) const
{
    return qobject_cast<QCheckBox*>(ui->tableInterfaces->cellWidget(row, checkColumn));
}

void NetworkInterfaces::onSave()
{
    const int rows = qMin(ui->tableInterfaces->rowCount(), m_interfaces.size());
    for (int row = 0; row < rows; ++row) {
        if (QCheckBox* checkBox = rowCheckBox(row))
            m_interfaces[row].selected = checkBox->isChecked();
    }
    emit signalUpdateNetworkList(m_interfaces);
}

void NetworkInterfaces::onClose()
{
    emit signalClose();
}
