// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/configurationpage.h"

#include "app/devicetable.h"
#include "dialogs/addressdelegate.h"
#include "dialogs/networkinterfaces.h"
#include "dialogs/newnetwsettings.h"
#include "dialogs/userprompts.h"
#include "discovery/addresshealth.h"
#include "journal/journalvalues.h"
#include "model/device.h"
#include "model/unittext.h"
#include "model/wellknownports.h"
#include "netconf/addressconflicts.h"
#include "netconf/addresstext.h"
#include "netconf/changedeviceconfigurations.h"
#include "netconf/configurationdiff.h"
#include "netconf/networkchangejournal.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QHostAddress>
#include <QPushButton>

namespace {
constexpr auto unknownValue = "unknown";
constexpr auto notAvailable = "N.A.";
constexpr auto greyColour = "grey";
constexpr auto blackColour = "#000000";
constexpr auto dhcpOn = "1";
constexpr auto networkConfigFilter =
    QT_TRANSLATE_NOOP("ConfigurationPage", "Network configuration (*.csv);;All files (*.*)");
constexpr auto networkConfigFileName = "network_configuration.csv";
// The style sheet pads tables; the fixed height leaves no empty area below the four rows.
constexpr int styledTablePadding = 40;

const char* const configLabels[] = {QT_TRANSLATE_NOOP("ConfigurationPage", "New IP Address:"),
                                    QT_TRANSLATE_NOOP("ConfigurationPage", "New Subnet Mask:"),
                                    QT_TRANSLATE_NOOP("ConfigurationPage", "New Gateway:"),
                                    QT_TRANSLATE_NOOP("ConfigurationPage", "DHCP:")};

const AddressText::Kind rowKinds[] = {AddressText::Kind::Address, AddressText::Kind::Mask, AddressText::Kind::Gateway};

quint32 ipv4Number(const QString& text)
{
    return AddressText::parse(text);
}

bool usesFixedMaskAndGateway(const Device_t& device)
{
    return device::isKolvex(device.code) || device::isDravoTester(device.code);
}
} // namespace

ConfigurationPage::ConfigurationPage(const PageContext& context, NetworkInterfaces& interfaces, QObject* parent)
    : DevicePage(context, parent), m_networkInterfaces(interfaces)
{
    auto kindOfCell = [](const QModelIndex& index) -> std::optional<AddressText::Kind> {
        if (index.column() != 1 || index.row() >= addressRows)
            return std::nullopt;
        return rowKinds[index.row()];
    };
    ui().tableDeviceConfig->setItemDelegateForColumn(1, new AddressDelegate(kindOfCell, ui().tableDeviceConfig));
    connect(ui().moveSubnetBtn, &QPushButton::released, this, &ConfigurationPage::moveIntoSubnet);
}

QPushButton* ConfigurationPage::pageButton() const
{
    return ui().configBtn;
}

void ConfigurationPage::setControlsEnabled(bool enable)
{
    ui().tableDeviceConfig->setEnabled(enable);
    ui().saveConfBtn->setEnabled(enable && hasCurrentDevice());
    ui().moveSubnetBtn->setEnabled(enable);
}

bool ConfigurationPage::hasCurrentDevice() const
{
    return context().table.currentDeviceIndex() != DeviceTable::noDevice;
}

void ConfigurationPage::prepare()
{
    ui().frameAddressHealth->hide();
    QTableWidget* table = ui().tableDeviceConfig;
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Column 0 names each row already; the row headers would only repeat it and narrow the values.
    table->verticalHeader()->hide();
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() +
                          configRows * table->verticalHeader()->defaultSectionSize() + 2 * table->frameWidth() +
                          styledTablePadding);
}

void ConfigurationPage::makeItemUneditable(int row, int column)
{
    QTableWidgetItem* item = ui().tableDeviceConfig->item(row, column);
    if (item)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
}

void ConfigurationPage::makeTableUneditable()
{
    for (int row = 0; row < configRows; ++row)
        makeItemUneditable(row, 0);
    for (int row = 0; row < addressRows; ++row)
        makeItemUneditable(row, 1);
}

void ConfigurationPage::resetNetwSetTable()
{
    QTableWidget* table = ui().tableDeviceConfig;
    table->setRowCount(0);
    for (int row = 0; row < configRows; ++row) {
        table->insertRow(row);
        table->setItem(row, 0, new QTableWidgetItem(tr(configLabels[row])));
        if (row < addressRows) {
            auto* unknown = new QTableWidgetItem(QString::fromLatin1(unknownValue));
            unknown->setForeground(QColor(QString::fromLatin1(greyColour)));
            table->setItem(row, 1, unknown);
        }
    }
    table->setVerticalHeaderLabels({tr("New IP Address"), tr("New Subnet Mask"), tr("New Gateway"), tr("New DHCP")});
    table->setItem(dhcpRow, 1, new QTableWidgetItem(QStringLiteral(" ")));
    auto* box = new QCheckBox(QString::fromLatin1(notAvailable));
    box->setChecked(false);
    box->setEnabled(false);
    table->setCellWidget(dhcpRow, 1, box);
    makeTableUneditable();
    QCoreApplication::processEvents();
}

void ConfigurationPage::disableNetwSetRow(int row, QString text, bool disabled)
{
    auto* item = new QTableWidgetItem(text);
    item->setForeground(QColor(QString::fromLatin1(disabled ? greyColour : blackColour)));
    ui().tableDeviceConfig->setItem(row, 1, item);
    if (disabled)
        makeTableUneditable();
}

QCheckBox* ConfigurationPage::dhcpBox() const
{
    return qobject_cast<QCheckBox*>(ui().tableDeviceConfig->cellWidget(dhcpRow, 1));
}

void ConfigurationPage::showDeviceNetwSet()
{
    const int index = context().table.currentDeviceIndex();
    showAddressHealth(index);
    if (index == DeviceTable::noDevice) {
        // Nothing selected (or the filter hid it): the page shows no device's values.
        resetNetwSetTable();
        return;
    }
    const Device_t device = context().devices.at(index);
    resetNetwSetTable();
    disableNetwSetRow(0, device.ip, false);
    // Motor drivers and testers get the fixed mask and gateway on saving: their rows keep "unknown".
    if (!device::isKolvex(device.code) && !device::isDravoTester(device.code)) {
        disableNetwSetRow(1, device.netmask, false);
        disableNetwSetRow(2, device.gateway, false);
        QCheckBox* box = dhcpBox();
        if (box && device::isPowerSupply(device.code) && !device::isPsRecovery(device.code)) {
            box->setEnabled(true);
            box->setText(QString());
            // Connected first, so that a checked box already greys the address rows.
            connect(box, &QCheckBox::stateChanged, this, &ConfigurationPage::onDhcpBoxChanged);
            box->setChecked(device.dhcp == QLatin1String(dhcpOn));
        }
    }
    if (device::isPsRecovery(device.code) || device::isBlRecovery(device.code)) {
        disableNetwSetRow(0, device.ip, true);
        disableNetwSetRow(1, device.netmask, true);
        disableNetwSetRow(2, device.gateway, true);
    }
}

void ConfigurationPage::showAddressHealth(int deviceIndex)
{
    const QString problem = context().table.addressHealth().description(deviceIndex);
    ui().frameAddressHealth->setVisible(!problem.isEmpty());
    ui().labelAddressHealth->setText(problem);
    const std::optional<AddressHealth::Move> move = offeredMove(deviceIndex);
    ui().moveSubnetBtn->setVisible(move.has_value());
    if (move)
        ui().moveSubnetBtn->setText(tr("Move into %1 subnet").arg(move->interfaceName));
}

std::optional<AddressHealth::Move> ConfigurationPage::offeredMove(int deviceIndex) const
{
    if (deviceIndex == DeviceTable::noDevice)
        return std::nullopt;
    const QString code = context().devices.at(deviceIndex).code;
    // A device in recovery mode keeps its address: its rows are locked.
    if (device::isPsRecovery(code) || device::isBlRecovery(code))
        return std::nullopt;
    return context().table.addressHealth().proposedMove(deviceIndex);
}

void ConfigurationPage::moveIntoSubnet()
{
    const int index = context().table.currentDeviceIndex();
    const std::optional<AddressHealth::Move> move = offeredMove(index);
    if (!move)
        return;
    const Device_t device = context().devices.at(index);
    // Unticking DHCP first: it would put the present values back over the proposal.
    if (QCheckBox* box = dhcpBox(); box && box->isChecked())
        box->setChecked(false);
    disableNetwSetRow(0, move->ip, false);
    QStringList after{move->ip, QLatin1String(kolvexNetwork::fixedMask), QLatin1String(kolvexNetwork::fixedGateway)};
    if (!usesFixedMaskAndGateway(device)) {
        disableNetwSetRow(1, move->mask, false);
        disableNetwSetRow(2, move->gateway, false);
        after = QStringList{move->ip, move->mask, move->gateway};
    }
    const QString title = tr("Move into %1 subnet").arg(move->interfaceName);
    QString text = tr("Move %1 into the subnet of %2?\n\n%3")
                       .arg(ConfigurationDiff::deviceLabel(device), move->interfaceName,
                            ConfigurationDiff::describeChange({device.ip, device.netmask, device.gateway}, after));
    if (device.dhcp == QLatin1String(dhcpOn))
        text += tr("; DHCP will be turned off");
    // One question: the conflicts go into the move's own, so that a Yes here is not asked again.
    const QStringList conflicts = conflictsOf(device, move->ip);
    if (!conflicts.isEmpty())
        text += QStringLiteral("\n\n") + conflictWarning(conflicts);
    if (context().prompts.question(context().window, title, text, QMessageBox::Yes | QMessageBox::No,
                                   QMessageBox::No) != QMessageBox::Yes)
        return;
    sendShownSettings(true);
}

QStringList ConfigurationPage::conflictsOf(const Device_t& device, const QString& newIp)
{
    // The host's addresses as they are now, not as they were at the last scan.
    m_networkInterfaces.scanInterfaces();
    return AddressConflicts::texts(
        AddressConflicts::find(context().devices, m_networkInterfaces.interfaces(), {{device.mac, newIp}}));
}

QString ConfigurationPage::conflictWarning(const QStringList& conflicts)
{
    return tr("Address conflict: %1.\nTwo machines at one address reach neither reliably.")
        .arg(conflicts.join(QStringLiteral("; ")));
}

bool ConfigurationPage::conflictsAccepted(const QString& title, const QStringList& conflicts) const
{
    if (conflicts.isEmpty())
        return true;
    const QString text = conflictWarning(conflicts) + QStringLiteral("\n\n") + tr("Send the new settings anyway?");
    return context().prompts.question(context().window, title, text, QMessageBox::Yes | QMessageBox::No,
                                      QMessageBox::No) == QMessageBox::Yes;
}

void ConfigurationPage::onDhcpBoxChanged()
{
    changeTableNetwSetState(qobject_cast<QCheckBox*>(sender()));
}

void ConfigurationPage::changeTableNetwSetState(QCheckBox* box)
{
    const int index = context().table.currentDeviceIndex();
    if (!box || index == DeviceTable::noDevice)
        return;
    const Device_t& device = context().devices.at(index);
    const bool checked = box->isChecked();
    disableNetwSetRow(0, device.ip, checked);
    disableNetwSetRow(1, device.netmask, checked);
    disableNetwSetRow(2, device.gateway, checked);
}

void ConfigurationPage::enableSave()
{
    ui().saveConfBtn->setEnabled(hasCurrentDevice());
}

QString ConfigurationPage::cellText(int row) const
{
    const QTableWidgetItem* item = ui().tableDeviceConfig->item(row, 1);
    return item ? item->text() : QString();
}

QStringList ConfigurationPage::refusals(const Device_t& device) const
{
    QStringList reasons;
    const int rows = usesFixedMaskAndGateway(device) ? 1 : addressRows;
    for (int row = 0; row < rows; ++row) {
        const QString refusal = AddressText::refusal(rowKinds[row], cellText(row).trimmed());
        if (!refusal.isEmpty())
            reasons << refusal;
    }
    return reasons;
}

// New settings go to a MAC: every unit that answers with it takes them.
bool ConfigurationPage::sharedMacAccepted(const QString& title, const Device_t& device) const
{
    if (device.sharedMacAddresses.size() <= 1)
        return true;
    return context().prompts.question(context().window, title,
                                      tr("%1. The new settings would reach every one of them. Send anyway?")
                                          .arg(AddressHealth::sharedMacText(device)),
                                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void ConfigurationPage::saveNewConfiguration()
{
    sendShownSettings(false);
}

void ConfigurationPage::sendShownSettings(bool conflictsConfirmed)
{
    const QString title = tr("Save Network Configuration");
    const int index = context().table.currentDeviceIndex();
    if (index == DeviceTable::noDevice) {
        context().prompts.critical(context().window, title, tr("ERROR: no devices selected!"));
        return;
    }
    const Device_t device = context().devices.at(index);
    const QStringList refused = refusals(device);
    if (!refused.isEmpty()) {
        context().prompts.critical(context().window, title,
                                   tr("Nothing was sent: %1").arg(refused.join(QStringLiteral(", "))));
        return;
    }
    const QString newIp = cellText(0).trimmed();
    const QStringList conflicts = conflictsOf(device, newIp);
    if (!conflictsConfirmed && !conflictsAccepted(title, conflicts))
        return;
    if (!sharedMacAccepted(title, device))
        return;
    emit signalEnableUI(false);
    QCoreApplication::processEvents();
    const quint32 address = ipv4Number(newIp);
    quint32 mask = ipv4Number(cellText(1));
    quint32 gateway = ipv4Number(cellText(2));
    const uint dhcp = dhcpBox() && dhcpBox()->isChecked() ? 1 : 0;
    if (usesFixedMaskAndGateway(device)) {
        mask = ipv4Number(QLatin1String(kolvexNetwork::fixedMask));
        gateway = ipv4Number(QLatin1String(kolvexNetwork::fixedGateway));
    }
    NetworkChangeJournal journal;
    const QJsonObject sentValues = networkValues(address, mask, gateway, dhcp != 0);
    const QString id = journal.begin(device, sentValues);
    changeNetworkConfiguration sender(this);
    const bool sent = sender.sendNewConfig(m_networkInterfaces.interfaces(), device.mac, port::command, address, mask,
                                           gateway, dhcp, QHostAddress(device.ip));
    emit signalEnableUI(true);
    if (!sent) {
        journal.failed(id, sender.lastError());
        if (const QString warnings = journalWarnings(journal); !warnings.isEmpty())
            emit signalStatus(warnings);
        context().prompts.critical(context().window, title, tr("Nothing was sent: %1").arg(sender.lastError()));
        return;
    }
    context().prompts.information(context().window, title,
                                  device::isDravoTester(device.code) ? tr("IP changed! reboot device to apply.")
                                                                     : tr("Wait for the configuration to be applied"));
    emit signalScanDevices();
    // The rescan rebuilt the table: the device the user changed stays the one shown.
    context().table.selectDeviceWithMac(device.mac);
    emit signalStatus(withJournalWarnings(completeSent(journal, id, device, sentValues), journal));
}

QString ConfigurationPage::completeSent(NetworkChangeJournal& journal, const QString& id, const Device_t& device,
                                        const QJsonObject& sent) const
{
    const QString label = ConfigurationDiff::deviceLabel(device);
    // A Dravo test tool moves only when it restarts: the rescan cannot tell yet.
    if (device::isDravoTester(device.code)) {
        journal.sentUnchecked(id, tr("the unit takes the new address when it restarts"));
        return tr("New settings sent to %1; it takes them when it restarts.").arg(label);
    }
    const QStringList differences = completeAfterRescan(journal, id, device.mac, sent);
    if (differences.isEmpty())
        return tr("New settings sent to %1; it answers at %2.").arg(label, deviceWithMac(device.mac).ip);
    return tr("New settings sent to %1; not confirmed: %2.").arg(label, differences.join(QStringLiteral("; ")));
}

QStringList ConfigurationPage::completeAfterRescan(NetworkChangeJournal& journal, const QString& id, const QString& mac,
                                                   const QJsonObject& sent) const
{
    for (const Device_t& device : qAsConst(context().devices)) {
        if (device.mac.compare(mac, Qt::CaseInsensitive) == 0)
            return journal.completeAfterRescan(id, sent, &device);
    }
    return journal.completeAfterRescan(id, sent, nullptr);
}

QJsonObject ConfigurationPage::networkValues(quint32 ip, quint32 mask, quint32 gateway, bool dhcp)
{
    return JournalValues::network(QHostAddress(ip).toString(), QHostAddress(mask).toString(),
                                  QHostAddress(gateway).toString(),
                                  QLatin1String(dhcp ? UnitText::dhcpOn : UnitText::dhcpOff));
}

QString ConfigurationPage::journalWarnings(NetworkChangeJournal& journal)
{
    return journal.takeWarnings().join(QLatin1Char(' '));
}

// What was not recorded is said after what was sent: the change itself went out either way.
QString ConfigurationPage::withJournalWarnings(const QString& text, NetworkChangeJournal& journal)
{
    const QString warnings = journalWarnings(journal);
    return warnings.isEmpty() ? text : text + QLatin1Char(' ') + warnings;
}

void ConfigurationPage::showAdvancedNetwConf()
{
    QList<QList<QString>> rows;
    for (const Device_t& device : qAsConst(context().devices))
        rows.append({device.group, device.serialNumber, device.mac, device.ip, device.netmask, device.gateway});
    auto* dialog = new NewNetwSettings(context().window);
    QStringList taken;
    for (const Device_t& device : qAsConst(context().devices))
        taken << device.ip;
    m_networkInterfaces.scanInterfaces();
    for (const interfaces_t& host : m_networkInterfaces.interfaces())
        taken << host.ip;
    dialog->setTakenAddresses(taken);
    connect(dialog, &NewNetwSettings::signalApplyChanges, this, [this, dialog]() {
        if (applyNewNetwConfig(dialog->readNetworkTable()))
            dialog->deleteLater();
        else
            dialog->resumeEditing();
    });
    connect(dialog, &NewNetwSettings::signalClose, dialog, &QObject::deleteLater);
    dialog->updateNetworkTable(rows);
    dialog->show();
}

bool ConfigurationPage::applyNewNetwConfig(QList<QList<QString>> rows)
{
    return sendChangedRows(rows, tr("Device(s) Network Configuration"));
}

bool ConfigurationPage::sendChangedRows(const QList<QList<QString>>& rows, const QString& title)
{
    ConfigurationDiff diff(context().devices, rows);
    diff.flagConflicts(context().devices, m_networkInterfaces.interfaces());
    const QStringList problems = diff.problems();
    if (!problems.isEmpty()) {
        context().prompts.critical(context().window, title,
                                   tr("Nothing was sent:\n%1").arg(problems.join(QLatin1Char('\n'))));
        return false;
    }
    if (!diff.hasChanges()) {
        context().prompts.information(context().window, title, diff.nothingToSendText());
        return false;
    }
    if (context().prompts.question(context().window, title, diff.confirmationText(), QMessageBox::Yes | QMessageBox::No,
                                   QMessageBox::No) != QMessageBox::Yes)
        return false;
    emit signalEnableUI(false);
    QCoreApplication::processEvents();
    NetworkChangeJournal journal;
    QStringList ids;
    const QString refused = sendChanges(diff, journal, ids);
    emit signalEnableUI(true);
    emit signalScanDevices();
    QStringList unconfirmed;
    for (int i = 0; i < ids.size(); ++i) {
        const ConfigurationDiff::Change& change = diff.changes().at(i);
        const QJsonObject sent = networkValues(ipv4Number(change.after.at(0)), ipv4Number(change.after.at(1)),
                                               ipv4Number(change.after.at(2)), false);
        const QStringList differences = completeAfterRescan(journal, ids.at(i), change.mac, sent);
        const QString fields = differences.join(QStringLiteral("; "));
        // A single change names its device once, in the text around it.
        if (!differences.isEmpty())
            unconfirmed << (ids.size() == 1 ? fields : QStringLiteral("%1 (%2)").arg(change.device, fields));
    }
    const QString outcome = afterRescanText(diff, unconfirmed);
    reportApplied(title, refused, unconfirmed.isEmpty(), outcome);
    emit signalStatus(withJournalWarnings(outcome, journal));
    return true;
}

QString ConfigurationPage::sendChanges(const ConfigurationDiff& diff, NetworkChangeJournal& journal, QStringList& ids)
{
    changeNetworkConfiguration sender(this);
    QStringList refused;
    for (const ConfigurationDiff::Change& change : diff.changes()) {
        const quint32 ip = ipv4Number(change.after.at(0));
        const quint32 mask = ipv4Number(change.after.at(1));
        const quint32 gateway = ipv4Number(change.after.at(2));
        QString id = journal.begin(deviceWithMac(change.mac), networkValues(ip, mask, gateway, false));
        // An address change takes the device off DHCP, as the confirmation said.
        const bool sent = sender.sendNewConfig(m_networkInterfaces.interfaces(), change.mac, port::command, ip, mask,
                                               gateway, 0, QHostAddress(change.before.at(0)));
        if (!sent) {
            refused << QStringLiteral("%1: %2").arg(change.device, sender.lastError());
            journal.failed(id, sender.lastError());
            // Its outcome is known: the rescan has nothing to add.
            id.clear();
        }
        ids << id;
    }
    return refused.join(QLatin1Char('\n'));
}

Device_t ConfigurationPage::deviceWithMac(const QString& mac) const
{
    for (const Device_t& device : qAsConst(context().devices)) {
        if (device.mac.compare(mac, Qt::CaseInsensitive) == 0)
            return device;
    }
    Device_t unknown;
    unknown.mac = mac;
    return unknown;
}

QString ConfigurationPage::afterRescanText(const ConfigurationDiff& diff, const QStringList& unconfirmed)
{
    const int sent = diff.changes().size();
    if (sent == 1) {
        const ConfigurationDiff::Change& change = diff.changes().first();
        return unconfirmed.isEmpty()
                   ? tr("New settings sent to %1; it answers at %2.").arg(change.device, change.after.at(0))
                   : tr("New settings sent to %1; not confirmed: %2.").arg(change.device, unconfirmed.first());
    }
    const QString text = tr("New settings sent to %1 devices; %2 of them answer at their new address.")
                             .arg(sent)
                             .arg(sent - unconfirmed.size());
    return unconfirmed.isEmpty()
               ? text
               : text + QLatin1Char(' ') + tr("Not confirmed: %1.").arg(unconfirmed.join(QStringLiteral(", ")));
}

// Said once the rescan has shown where the units are, naming those that did not take their settings.
void ConfigurationPage::reportApplied(const QString& title, const QString& refused, bool allConfirmed,
                                      const QString& outcome)
{
    if (!refused.isEmpty())
        context().prompts.critical(context().window, title,
                                   tr("Not everything was sent:\n%1").arg(refused) + QStringLiteral("\n\n") + outcome);
    else if (allConfirmed)
        context().prompts.information(context().window, title, outcome);
    else
        context().prompts.warning(context().window, title, outcome);
}

void ConfigurationPage::reportUnreadableFile(const QString& reason)
{
    const QString title = tr("Upload csv-file");
    const QString text = tr("Error: incorrect file");
    context().prompts.critical(context().window, title, reason.isEmpty() ? text : text + QStringLiteral("\n") + reason);
}

void ConfigurationPage::importNetworkConfiguration()
{
    const QString title = tr("Import network configuration");
    const QString path =
        context().prompts.openFileName(context().window, title, QDir::homePath(), tr(networkConfigFilter));
    if (path.isEmpty())
        return;
    changeNetworkConfiguration reader(this);
    const QList<QList<QString>> rows = reader.readNewNetwConfFile(path);
    // A file without usable rows sends nothing: say what is wrong with it, and do not rescan.
    if (rows.isEmpty()) {
        reportUnreadableFile(reader.lastError());
        return;
    }
    sendChangedRows(rows, title);
}

void ConfigurationPage::exportNetworkConfiguration()
{
    const QString title = tr("Export network configuration");
    const QString path = context().prompts.saveFileName(
        context().window, title, QDir::homePath() + QDir::separator() + QLatin1String(networkConfigFileName),
        tr(networkConfigFilter));
    if (path.isEmpty())
        return;
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
        context().prompts.critical(context().window, title,
                                   tr("Unable to write %1: %2").arg(path, probe.errorString()));
        return;
    }
    probe.close();
    changeNetworkConfiguration writer(this);
    writer.downloadNetwConf(context().devices, path);
    context().prompts.information(
        context().window, title,
        tr("Network configuration of %n device(s) written to %1", nullptr, context().devices.size()).arg(path));
}
