// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netconf/networkundo.h"

#include "journal/journalreader.h"
#include "journal/journaltext.h"
#include "journal/journalvalues.h"
#include "model/unittext.h"
#include "model/wellknownports.h"
#include "netconf/changedeviceconfigurations.h"

#include <QHostAddress>

namespace {
QString value(const QJsonObject& values, const char* key)
{
    return values.value(QLatin1String(key)).toString();
}

quint32 address(const QJsonObject& values, const char* key)
{
    return changeNetworkConfiguration::parseAddress(value(values, key));
}
} // namespace

NetworkUndo::NetworkUndo(const QString& directory) : m_directory(directory), m_journal(directory) {}

bool NetworkUndo::load(const QString& id)
{
    m_refusal = Refusal::None;
    m_error.clear();
    m_laterChange = JournalRecord();
    if (id.trimmed().isEmpty())
        return refuse(Refusal::NoId, tr("no change id given"));
    const JournalReader::Result journal = JournalReader(m_directory).read();
    int found = 0;
    for (const JournalRecord& record : journal.records) {
        if (record.id == id && found++ == 0)
            m_record = record;
    }
    if (found == 0)
        return refuse(Refusal::NotFound, tr("the journal holds no change %1").arg(id));
    // Which of them is the change meant is anyone's guess: the journal was copied together or edited.
    if (found > 1)
        return refuse(Refusal::Ambiguous,
                      tr("the journal holds %1 changes with the id %2; nothing is undone").arg(found).arg(id));
    if (m_record.kind == JournalRecord::Kind::FirmwareUpgrade)
        return refuse(Refusal::Firmware, tr("firmware is not undone: upgrade with the old image instead"));
    const QJsonObject& old = m_record.before;
    const bool usable =
        restoresDhcp() || (address(old, JournalValues::ipKey) != 0 && address(old, JournalValues::maskKey) != 0 &&
                           address(old, JournalValues::gatewayKey) != 0);
    if (!usable)
        return refuse(Refusal::NoOldSettings, tr("change %1 holds no old settings that could be sent").arg(id));
    findLaterChange(journal.records);
    return true;
}

// The newest change of the unit's network settings after this one that did not fail: undoing this one
// would also take that one back.
void NetworkUndo::findLaterChange(const JournalRecords& records)
{
    const QByteArray mac = changeNetworkConfiguration::parseMac(m_record.unit.mac);
    for (const JournalRecord& record : records) {
        if (record.kind == JournalRecord::Kind::FirmwareUpgrade || record.outcome == JournalRecord::Outcome::Failed ||
            record.begun <= m_record.begun || record.id == m_record.id)
            continue;
        if (mac.isEmpty() || changeNetworkConfiguration::parseMac(record.unit.mac) != mac)
            continue;
        if (m_laterChange.id.isEmpty() || record.begun > m_laterChange.begun)
            m_laterChange = record;
    }
}

QString NetworkUndo::laterChangeText() const
{
    if (m_laterChange.id.isEmpty())
        return QString();
    return tr("the unit was changed again since: change %1 of %2 (%3, %4)")
        .arg(m_laterChange.id, JournalText::time(m_laterChange.begun), JournalText::change(m_laterChange),
             JournalText::outcome(m_laterChange));
}

bool NetworkUndo::refuse(Refusal refusal, const QString& error)
{
    m_refusal = refusal;
    m_error = error;
    return false;
}

bool NetworkUndo::restoresDhcp() const
{
    return value(m_record.before, JournalValues::dhcpKey) == QLatin1String(UnitText::dhcpOn);
}

QString NetworkUndo::changeText() const
{
    JournalRecord reverse;
    reverse.before = m_record.after;
    reverse.after = m_record.before;
    return JournalText::change(reverse);
}

QString NetworkUndo::restoredAddress() const
{
    return restoresDhcp() ? QString() : value(m_record.before, JournalValues::ipKey);
}

QList<AddressConflicts::Conflict> NetworkUndo::conflicts(const QList<Device_t>& devices,
                                                         const QList<interfaces_t>& hostAddresses) const
{
    // A unit going back to DHCP takes whatever address its server hands out.
    if (restoresDhcp())
        return {};
    return AddressConflicts::find(devices, hostAddresses, {{m_record.unit.mac, restoredAddress()}});
}

bool NetworkUndo::send(const QList<Device_t>& devices, const QList<interfaces_t>& interfaces)
{
    const int index = indexOfMac(devices, m_record.unit.mac);
    // A unit the scan did not find is still where the change sent it, as far as anyone knows.
    JournalUnit unit = m_record.unit;
    QJsonObject present = m_record.after;
    if (index >= 0) {
        unit = JournalUnit::fromDevice(devices.at(index));
        present = JournalValues::network(devices.at(index));
    }
    m_undoId = m_journal.begin(unit, present, m_record.before, m_record.id);
    const QJsonObject& old = m_record.before;
    changeNetworkConfiguration sender;
    const bool sent =
        sender.sendNewConfig(interfaces, m_record.unit.mac, port::command, address(old, JournalValues::ipKey),
                             address(old, JournalValues::maskKey), address(old, JournalValues::gatewayKey),
                             restoresDhcp() ? 1 : 0, QHostAddress(value(present, JournalValues::ipKey)));
    if (!sent) {
        m_journal.failed(m_undoId, sender.lastError());
        return refuse(Refusal::NotSent, sender.lastError());
    }
    return true;
}

bool NetworkUndo::answers(const QList<Device_t>& devices) const
{
    const int index = indexOfMac(devices, m_record.unit.mac);
    if (index < 0)
        return false;
    if (restoresDhcp())
        return UnitText::dhcpWord(devices.at(index).dhcp) == QLatin1String(UnitText::dhcpOn);
    return changeNetworkConfiguration::parseAddress(devices.at(index).ip) ==
           address(m_record.before, JournalValues::ipKey);
}

void NetworkUndo::complete(bool answered)
{
    m_journal.completeAfterRescan(m_undoId, answered, restoresDhcp() ? tr("its DHCP address") : restoredAddress());
}

int NetworkUndo::indexOfMac(const QList<Device_t>& devices, const QString& mac)
{
    const QByteArray wanted = changeNetworkConfiguration::parseMac(mac);
    for (int i = 0; i < devices.size(); ++i) {
        if (!wanted.isEmpty() && changeNetworkConfiguration::parseMac(devices.at(i).mac) == wanted)
            return i;
    }
    return -1;
}
