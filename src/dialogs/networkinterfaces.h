// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/interfaces_t.h"

#include <QDialog>
#include <QList>
#include <QNetworkInterface>

#include <memory>

namespace Ui {
class NetworkInterfaces;
}

class QCheckBox;

// Holds the host's IPv4 interfaces with the user's choice per interface, and
// doubles as the dialog in which that choice is made.
class NetworkInterfaces : public QDialog
{
    Q_OBJECT

public:
    explicit NetworkInterfaces(QWidget* parent = nullptr);
    ~NetworkInterfaces() override;

    // Re-enumerates the system's interfaces, keeping the choices by interface name.
    void scanInterfaces();
    void showInterfacesTable(QList<interfaces_t> list);
    QList<interfaces_t>& interfaces();
    // The check box of a table row (nullptr outside the table).
    QCheckBox* rowCheckBox(int row) const;

signals:
    void signalUpdateNetworkList(QList<interfaces_t> list);
    void signalClose();

public slots:
    void onSave();
    void onClose();

private:
    void takeInterfaces(const QList<QNetworkInterface>& systemInterfaces);
    void addTableRow(const interfaces_t& record);

    std::unique_ptr<Ui::NetworkInterfaces> ui;
    QList<interfaces_t> m_interfaces;
};
