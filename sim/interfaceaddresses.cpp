// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "interfaceaddresses.h"

#include "labconfig.h"

#include <QProcess>
#include <QSet>

namespace {
constexpr int kIpToolTimeoutMs = 10000;
const QString kIpTool = QStringLiteral("ip");
} // namespace

void InterfaceAddresses::addAll(const QList<QPair<QString, quint32>>& addresses)
{
    for (const auto& address : addresses)
        add(address.first, address.second);
}

void InterfaceAddresses::add(const QString& device, quint32 ip)
{
    const QString name = key(device, ip);
    if (m_users[name]++ == 0 && !m_protected.contains(name))
        m_pending.append(command("add", device, ip));
}

void InterfaceAddresses::remove(const QString& device, quint32 ip)
{
    const QString name = key(device, ip);
    if (--m_users[name] > 0)
        return;
    m_users.remove(name);
    if (!m_protected.contains(name))
        m_pending.append(command("del", device, ip));
}

bool InterfaceAddresses::apply(QString* error)
{
    if (m_pending.isEmpty())
        return true;
    QProcess ip;
    ip.setProcessChannelMode(QProcess::MergedChannels);
    // One batch for all changes: a lab of hundreds of units starts in one call.
    ip.start(kIpTool, {QStringLiteral("-force"), QStringLiteral("-batch"), QStringLiteral("-")});
    ip.write(m_pending.join(QLatin1Char('\n')).toLatin1() + '\n');
    ip.closeWriteChannel();
    m_pending.clear();
    if (!ip.waitForFinished(kIpToolTimeoutMs)) {
        ip.kill();
        ip.waitForFinished(kIpToolTimeoutMs);
        *error = QStringLiteral("\"ip\" did not finish within %1 ms").arg(kIpToolTimeoutMs);
        return false;
    }
    if (ip.exitStatus() != QProcess::NormalExit || ip.exitCode() != 0) {
        *error = QStringLiteral("\"ip\" failed: %1").arg(QString::fromLocal8Bit(ip.readAll()).trimmed());
        return false;
    }
    return true;
}

QString InterfaceAddresses::key(const QString& device, quint32 ip)
{
    return device + QLatin1Char('/') + LabConfig::ipText(ip);
}

QString InterfaceAddresses::command(const char* verb, const QString& device, quint32 ip)
{
    // Host addresses only: the link's own prefix route (from labIp) already reaches the tool.
    return QStringLiteral("address %1 %2/32 dev %3").arg(QLatin1String(verb), LabConfig::ipText(ip), device);
}
