// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/devicepage.h"
#include "discovery/addresshealth.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class ConfigurationDiff;
class NetworkChangeJournal;
class NetworkInterfaces;
class NewNetwSettings;
class QCheckBox;

// The network configuration page: new addresses and DHCP for the selected device, the dialog that
// edits every device at once, and the export and import of the network configuration file.
// It asks the window to lock its controls while sending and to rescan afterwards; the dialog and the
// file send only the rows that change a device found, and only once the user has confirmed them.
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
    // Save is usable only while a device is selected.
    void enableSave();
    void saveNewConfiguration();
    // For a device outside every selected subnet: its proposed address, mask and gateway put into the
    // table and, once the user confirms, sent as Save sends them.
    void moveIntoSubnet();
    void showAdvancedNetwConf();
    // The multi-device dialog's rows: false when nothing was sent and the dialog should stay open
    // (the user declined, a value is wrong, or no row changes anything).
    bool applyNewNetwConfig(QList<QList<QString>> rows);
    void importNetworkConfiguration();
    void exportNetworkConfiguration();

signals:
    void signalEnableUI(bool enable);
    void signalScanDevices();
    // What the last send did, for the window's status bar.
    void signalStatus(const QString& text);

private slots:
    void onDhcpBoxChanged();

private:
    QCheckBox* dhcpBox() const;
    QString cellText(int row) const;
    bool hasCurrentDevice() const;
    // The address check of the device shown, and the move offered for a device out of reach.
    void showAddressHealth(int deviceIndex);
    std::optional<AddressHealth::Move> offeredMove(int deviceIndex) const;
    // `conflictsConfirmed`: the user already answered for the address conflicts of these settings.
    void sendShownSettings(bool conflictsConfirmed);
    // Who else answers at `newIp` if `device` takes it: one line each, empty when nobody.
    QStringList conflictsOf(const Device_t& device, const QString& newIp);
    static QString conflictWarning(const QStringList& conflicts);
    // Asks with No as the answer by default; true without asking when there is no conflict.
    bool conflictsAccepted(const QString& title, const QStringList& conflicts) const;
    bool sharedMacAccepted(const QString& title, const Device_t& device) const;
    // The texts the page would send, judged as typed; empty when all can be sent.
    QStringList refusals(const Device_t& device) const;
    bool sendChangedRows(const QList<QList<QString>>& rows, const QString& title);
    // Each change by unicast to the device's present address and by broadcast; why any was refused.
    // `ids`: each change's journal entry, in order, empty for those already completed.
    QString sendChanges(const ConfigurationDiff& diff, NetworkChangeJournal& journal, QStringList& ids);
    Device_t deviceWithMac(const QString& mac) const;
    // Completes the change after the rescan and says in the status bar's words how it went.
    QString completeSent(NetworkChangeJournal& journal, const QString& id, const Device_t& device,
                         const QJsonObject& sent) const;
    // The fields of `sent` the rescanned unit of this MAC does not show; empty when it shows them all.
    QStringList completeAfterRescan(NetworkChangeJournal& journal, const QString& id, const QString& mac,
                                    const QJsonObject& sent) const;
    static QJsonObject networkValues(quint32 ip, quint32 mask, quint32 gateway, bool dhcp);
    static QString journalWarnings(NetworkChangeJournal& journal);
    static QString withJournalWarnings(const QString& text, NetworkChangeJournal& journal);
    void reportUnreadableFile(const QString& reason);
    void reportApplied(const QString& title, const QString& refused, bool allConfirmed, const QString& outcome);
    // After the rescan: `unconfirmed` names each changed device that does not show what it was sent, with
    // the fields that differ (those fields alone for a single change).
    static QString afterRescanText(const ConfigurationDiff& diff, const QStringList& unconfirmed);

    NetworkInterfaces& m_networkInterfaces;
};
