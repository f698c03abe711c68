// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/scanversioncheck.h"

#include <QTimer>

ScanVersionCheck::ScanVersionCheck(Scan scan, int attempts, int pauseMs, QObject* parent)
    : FleetVersionCheck(parent), m_scan(std::move(scan)), m_attempts(qMax(1, attempts)), m_pauseMs(qMax(0, pauseMs))
{}

void ScanVersionCheck::start(const QList<Device_t>& units)
{
    m_units = units;
    m_attemptsMade = 0;
    // start() returns at once: the first scan runs from the event loop.
    QTimer::singleShot(0, this, &ScanVersionCheck::scanOnce);
}

void ScanVersionCheck::scanOnce()
{
    const QList<Device_t> found = m_scan ? m_scan() : QList<Device_t>();
    ++m_attemptsMade;
    if (m_attemptsMade < m_attempts && UpgradeVerification::unanswered(m_units, found) > 0) {
        QTimer::singleShot(m_pauseMs, this, &ScanVersionCheck::scanOnce);
        return;
    }
    report(found);
}

void ScanVersionCheck::report(const QList<Device_t>& found)
{
    QList<UpgradeVerification> verifications;
    for (const Device_t& unit : m_units)
        verifications << UpgradeVerification(unit, found);
    emit finished(verifications);
}
