// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statusreporter.h"

#include "discovery/client.h"

#include <QDebug>
#include <QLabel>
#include <QStatusBar>

namespace {
constexpr int summaryGap = 16;

QString counted(int count, const QString& one, const QString& many)
{
    return count == 1 ? one : many.arg(count);
}
} // namespace

StatusReporter::StatusReporter(QStatusBar* bar, QObject* parent)
    : QObject(parent), m_bar(bar), m_summary(new QLabel(bar))
{
    m_summary->setObjectName(QStringLiteral("labelScanSummary"));
    // Kept apart from the message and the unit count, which would otherwise run into it.
    m_summary->setContentsMargins(summaryGap, 0, 0, 0);
    m_bar->addPermanentWidget(m_summary);
    m_summary->setText(tr("No scan yet: press Scan or Space"));
}

StatusReporter::ScanScope StatusReporter::scopeOf(const QList<interfaces_t>& interfaces, bool unicast,
                                                  const QString& start, const QString& end)
{
    ScanScope scope;
    // Only those the scan queries: a selected docker bridge or one without an address is not asked.
    for (const interfaces_t& entry : interfaces)
        scope.selectedInterfaces += Client::scansInterface(entry) ? 1 : 0;
    scope.unicast = unicast;
    scope.unicastStart = start;
    scope.unicastEnd = end;
    return scope;
}

QString StatusReporter::scanSummary(int devices, const ScanScope& scope)
{
    const QString interfaces = counted(scope.selectedInterfaces, tr("1 interface"), tr("%1 interfaces"));
    const QString range = tr("the unicast range %1 to %2").arg(scope.unicastStart, scope.unicastEnd);
    if (devices > 0) {
        const QString found = counted(devices, tr("1 device found"), tr("%1 devices found"));
        return scope.unicast ? tr("%1 on %2 and in %3").arg(found, interfaces, range)
                             : tr("%1 on %2").arg(found, interfaces);
    }
    if (scope.selectedInterfaces == 0)
        return tr("No devices found: no network interface is selected (Tools > Select network interfaces)");
    if (!scope.unicast)
        return tr("No devices found on %1; unicast scan is off (Tools > Settings)").arg(interfaces);
    return tr("No devices found on %1 or in %2").arg(interfaces, range);
}

void StatusReporter::scanStarted()
{
    m_bar->clearMessage();
    m_summary->setText(tr("Scanning..."));
}

void StatusReporter::scanFinished(int devices, const ScanScope& scope)
{
    m_summary->setText(scanSummary(devices, scope));
}

void StatusReporter::scanFinished(int devices, const QList<interfaces_t>& interfaces, const Client& client)
{
    scanFinished(devices,
                 scopeOf(interfaces, client.flagSendUnicast, client.startIp.toString(), client.endIp.toString()));
    // A list cut short by a flood of answers must not pass for a complete one.
    const QString warning = client.scanWarning();
    if (!warning.isEmpty()) {
        m_summary->setText(tr("%1 (%2)").arg(m_summary->text(), warning));
        qWarning().noquote() << warning;
    }
}

void StatusReporter::showMessage(const QString& text)
{
    m_bar->showMessage(text);
    // A long message (a log file's path) is cut where the summary begins: the whole of it stays at hand.
    m_bar->setToolTip(text);
}

QString StatusReporter::summary() const
{
    return m_summary->text();
}

QString StatusReporter::message() const
{
    return m_bar->currentMessage();
}
