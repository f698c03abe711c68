// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/devicepage.h"

#include <QString>

class NetworkInterfaces;
class QCheckBox;

// The network configuration page: new addresses and DHCP for the selected device, the dialog that
// edits every device at once, and the export and import of the network configuration file.
// It asks the window to lock its controls while sending and to rescan afterwards.
class ConfigurationPage : public DevicePage
{
    Q_OBJECT

public:
    static constexpr int stackPage = 2;
    static constexpr int configRows = 4;
    static constexpr int addressRows = 3;
    static constexpr int dhcpRow = 3;

    ConfigurationPage(const PageContext& context, NetworkInterfaces& interfaces, QObject* parent = nullptr);

    int stackIndex() const override { return stackPage; }
    QPushButton* pageButton() const override;
    void setControlsEnabled(bool enable) override;

    // Fits the table to its four rows.
    void prepare();
    void makeItemUneditable(int row, int column);
    void makeTableUneditable();
    void resetNetwSetTable();
    void disableNetwSetRow(int row, QString text, bool disabled);
    void showDeviceNetwSet();
    // Acts only for a check box: the DHCP box of the table.
    void changeTableNetwSetState(QCheckBox* box);
    void enableSave();
    void saveNewConfiguration();
    void showAdvancedNetwConf();
    void applyNewNetwConfig(QList<QList<QString>> rows);
    void importNetworkConfiguration();
    void exportNetworkConfiguration();

signals:
    void signalEnableUI(bool enable);
    void signalScanDevices();

private slots:
    void onDhcpBoxChanged();

private:
    QCheckBox* dhcpBox() const;
    QString cellText(int row) const;
    void reportUpload(bool ok, const QString& reason);

    NetworkInterfaces& m_networkInterfaces;
};
