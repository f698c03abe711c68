// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliscanner.h"

#include "cli/cliarguments.h"
#include "discovery/hostinterfaces.h"
#include "model/qtcompat.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

namespace {
constexpr auto interfaceOption = "interface";
constexpr auto rangeOption = "range";
constexpr auto timeOption = "time";
constexpr QChar rangeSeparator = QLatin1Char('-');

QString option(const char* name)
{
    return QString::fromLatin1(name);
}

QStringList interfaceNames(const QList<interfaces_t>& interfaces)
{
    QStringList names;
    for (const interfaces_t& record : interfaces) {
        if (!names.contains(record.name))
            names << record.name;
    }
    return names;
}

// The names of the interfaces a scan would query if they were chosen.
QStringList scannableNames(QList<interfaces_t> interfaces)
{
    QList<interfaces_t> scannable;
    for (interfaces_t& record : interfaces) {
        record.selected = true;
        if (Client::scansInterface(record))
            scannable << record;
    }
    return interfaceNames(scannable);
}

// Every socket asks Qt's meta-type system for its network session when it connects. The motor-driver
// queries of a scan connect on several pool threads at once, and the first asks register the type in
// a race that Qt reports on stderr; registered here first, on the main thread, there is no race.
void registerSocketSessionType()
{
    qtcompat::registerNetworkSessionType();
}
} // namespace

CliScanner::CliScanner()
{
    registerSocketSessionType();
    copySettingsToEngine();
    connect(&m_client, &Client::signalUpdateProgressBar, this, &CliScanner::onScanProgress);
}

// The same values, from the same keys, that the window hands its engine.
void CliScanner::copySettingsToEngine()
{
    m_client.takeSettings(m_settings);
}

void CliScanner::addInterfaceOption(QCommandLineParser& parser)
{
    parser.addOption({option(interfaceOption),
                      tr("Use the host interface NAME (repeatable); default: every interface."), tr("NAME")});
}

void CliScanner::addScanOptions(QCommandLineParser& parser)
{
    addInterfaceOption(parser);
    parser.addOption({option(rangeOption),
                      tr("Also ask every address from START to END by unicast, instead of the saved range."),
                      tr("START-END")});
    parser.addOption(
        {option(timeOption),
         tr("Listen MS milliseconds (1 to %1) instead of the saved scan time.").arg(AppSettings::maxScanTime),
         tr("MS")});
}

QString CliScanner::takeInterfaceOption(const QCommandLineParser& parser)
{
    const QStringList chosen = parser.values(option(interfaceOption));
    const QStringList present = interfaceNames(hostInterfaces::enumerate());
    for (const QString& name : chosen) {
        if (!present.contains(name))
            return tr("--interface: the host has no IPv4 interface named \"%1\" (it has: %2)")
                .arg(name, present.isEmpty() ? tr("none") : present.join(QStringLiteral(", ")));
    }
    m_chosenNames = chosen;
    return {};
}

QString CliScanner::takeScanOptions(const QCommandLineParser& parser)
{
    QString problem = takeInterfaceOption(parser);
    if (problem.isEmpty())
        problem = checkChosenAreScanned();
    if (problem.isEmpty() && parser.isSet(option(rangeOption)))
        problem = takeRange(parser.value(option(rangeOption)));
    if (problem.isEmpty() && parser.isSet(option(timeOption))) {
        int scanTime = 0;
        problem = cliArguments::checkNumber(QStringLiteral("--time"), parser.value(option(timeOption)), 1,
                                            AppSettings::maxScanTime, scanTime);
        m_client.scanTime = scanTime;
    }
    return problem;
}

// An interface chosen but never asked would end in "no instrument answered" without saying why.
QString CliScanner::checkChosenAreScanned() const
{
    const QStringList scannable = scannableNames(hostInterfaces::enumerate());
    for (const QString& name : m_chosenNames) {
        if (!scannable.contains(name))
            return tr("--interface: a scan does not use \"%1\": docker bridges and interfaces without an "
                      "address are left out (it can use: %2)")
                .arg(name, scannable.isEmpty() ? tr("none") : scannable.join(QStringLiteral(", ")));
    }
    return {};
}

QString CliScanner::takeRange(const QString& text)
{
    const QString what = QStringLiteral("--range");
    const QStringList ends = text.split(rangeSeparator);
    if (ends.size() != 2)
        return tr("--range: \"%1\" is not of the form START-END").arg(text);
    quint32 start = 0;
    quint32 end = 0;
    QString problem = cliArguments::checkAddress(what, ends.at(0), start);
    if (problem.isEmpty())
        problem = cliArguments::checkAddress(what, ends.at(1), end);
    if (!problem.isEmpty())
        return problem;
    if (start > end)
        return tr("--range: the start %1 lies above the end %2").arg(ends.at(0), ends.at(1));
    if (quint64(end) - start >= quint64(Client::maxSweepAddresses))
        return tr("--range: %1 spans more than %2 addresses").arg(text).arg(Client::maxSweepAddresses);
    m_client.flagSendUnicast = true;
    m_client.startIp = QHostAddress(start);
    m_client.endIp = QHostAddress(end);
    return {};
}

QList<interfaces_t> CliScanner::interfaces() const
{
    QList<interfaces_t> list = hostInterfaces::enumerate();
    if (!m_chosenNames.isEmpty()) {
        for (interfaces_t& record : list)
            record.selected = m_chosenNames.contains(record.name);
    }
    return list;
}

QList<Device_t> CliScanner::scan()
{
    QList<interfaces_t> list = interfaces();
    const QList<Device_t> found = m_client.startScan(list);
    m_client.clearDevicesList();
    return found;
}

QString CliScanner::scanWarning() const
{
    return m_client.scanWarning();
}

int CliScanner::indexOfMac(const QList<Device_t>& devices, const QString& mac)
{
    for (int i = 0; i < devices.size(); ++i) {
        if (cliArguments::sameMac(devices.at(i).mac, mac))
            return i;
    }
    return -1;
}

// Answers are decoded only while the progress receiver lets the event loop run.
void CliScanner::onScanProgress()
{
    QCoreApplication::processEvents();
}
