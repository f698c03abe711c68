// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include <memory>

namespace Ui {
class NewNetwSettings;
}

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

    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void onApply();
    void onClose();

signals:
    void signalApplyChanges();
    void signalClose();

private:
    std::unique_ptr<Ui::NewNetwSettings> ui;
};
