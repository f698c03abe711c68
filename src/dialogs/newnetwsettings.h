// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace Ui {
class NewNetwSettings;
}

class QLineEdit;
class QPushButton;

// Lets the user edit the addresses of every discovered device in one table
// and hand the edited rows back in one go.
class NewNetwSettings : public QDialog
{
    Q_OBJECT

public:
    explicit NewNetwSettings(QWidget* parent = nullptr);
    ~NewNetwSettings() override;

    // Rows of six texts: family, serial number, MAC, IP, mask, gateway.
    void updateNetworkTable(QList<QList<QString>> rows);
    QList<QList<QString>> readNetworkTable();
    void waitSendConf();
    // Back to editing after Apply sent nothing (declined or refused): the buttons work again.
    void resumeEditing();
    // Address columns wide enough for any address, the other columns for their headers; the last
    // column takes the rest, so that all six show at the dialog's size.
    void fitColumns();
    // The addresses that numbering skips: those of the units found and of this computer.
    void setTakenAddresses(const QStringList& addresses) { m_taken = addresses; }

    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void onApply();
    void onClose();
    // Fills the IP cells of the selected rows, top to bottom, with consecutive free addresses from the
    // typed start address; nothing is sent until Apply.
    void onNumberSelectedRows();

signals:
    void signalApplyChanges();
    void signalClose();

private:
    void buildNumbering();
    QList<int> selectedRowsInOrder() const;

    std::unique_ptr<Ui::NewNetwSettings> ui;
    QLineEdit* m_startAddress = nullptr;
    QPushButton* m_numberButton = nullptr;
    QStringList m_taken;
};
