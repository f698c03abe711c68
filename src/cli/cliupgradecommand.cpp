// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliupgradecommand.h"

#include "cli/cliarguments.h"
#include "cli/clicontext.h"
#include "cli/cliexit.h"
#include "cli/cliscanner.h"
#include "cli/cliupgradefleet.h"
#include "cli/cliupgradereport.h"
#include "cli/cliupgraderun.h"
#include "firmware/dspprogmode.h"
#include "firmware/firmwarepacing.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/upgradeselection.h"
#include "firmware/upgradeverification.h"
#include "model/appsettings.h"
#include "model/device.h"
#include "model/unitlock.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
constexpr auto macOption = "mac";
constexpr auto ipOption = "ip";
constexpr auto fileOption = "file";
constexpr auto timeoutOption = "timeout";
constexpr auto jsonOption = "json";
constexpr auto forceOption = "force";
constexpr auto dspOption = "dsp";
constexpr auto parallelOption = "parallel";
constexpr auto canaryOption = "canary";
constexpr auto noCanaryOption = "no-canary";
constexpr auto maxFailuresOption = "max-failures";
// The range of the window's own settings of a fleet run.
constexpr int minParallel = 1;
constexpr int maxParallel = AppSettings::maxParallelUpgrades;
constexpr int minMaxFailures = 1;
constexpr int maxMaxFailures = AppSettings::maxMaxFailures;
// A run of more units than this tries the first one alone, unless told otherwise.
constexpr int canaryAboveUnits = 4;
// The range of the window's own time-out setting.
constexpr int minTimeoutMs = 1;
constexpr int maxTimeoutMs = 999000;

QString option(const char* name)
{
    return QString::fromLatin1(name);
}
} // namespace

QString CliUpgradeCommand::name() const
{
    return QStringLiteral("upgrade");
}

QString CliUpgradeCommand::synopsis() const
{
    return QStringLiteral("[options] (--mac MAC... | --ip IP) --file FILE");
}

QString CliUpgradeCommand::summary() const
{
    return tr("Upgrade the firmware of instruments, several at once, as the firmware page does");
}

QString CliUpgradeCommand::description() const
{
    return tr("Scans for every instrument named by --mac (each must answer), checks them against the firmware "
              "page's selection rules (one catalog code per run, no current transducers, only families with a "
              "firmware procedure; a motor driver only alone unless several run at once, and then each behind a "
              "module of its own) and upgrades them in the order given, up to --parallel at once, with the page's "
              "own upgrade procedures. Two upgrades never reach one unit or one module at the same time. A failed "
              "unit does not stop the others; once --max-failures units have failed no further unit starts and "
              "those in flight finish. With --canary the first unit is upgraded alone, and the others only when "
              "a rescan shows it reporting a new version. SIGTERM or Ctrl+C stops the units in flight at their "
              "next safe point and starts no other. The file is read whole before anything is sent: a "
              "damaged file, or one whose content is not of the kind the instruments take (without --force), is "
              "refused. After the run the upgraded instruments are scanned again and their versions before and "
              "after printed. With --ip the address is upgraded without a scan "
              "and without identification, by the power-supply procedure, as the page's manual address is (for a "
              "supply in recovery mode). Every device has its own time-out, after which the upgrade is asked to "
              "stop; only the power-supply procedure stops early, the others end on their own bounded waits. Log "
              "lines go to standard output, each opened by the unit's MAC when several run at once; a progress "
              "bar goes to standard error when it is a terminal. The exit status is 1 when any unit was not "
              "upgraded.");
}

CliCommand::ScanOptions CliUpgradeCommand::scanOptions() const
{
    return ScanOptions::All;
}

void CliUpgradeCommand::addOptions(QCommandLineParser& parser)
{
    parser.addOption({option(macOption),
                      tr("An instrument to upgrade, by its MAC address (repeatable: upgraded in the order given)."),
                      tr("MAC")});
    parser.addOption({option(ipOption),
                      tr("Upgrade the power supply at this address, without a scan and without identification."),
                      tr("IP")});
    parser.addOption(
        {option(fileOption), tr("The firmware file (.updt, .flash or .hex, as the page offers)."), tr("FILE")});
    parser.addOption({option(timeoutOption),
                      tr("The time-out of each device's upgrade in milliseconds (%1 to %2); default: the saved "
                         "upgrade time-out.")
                          .arg(minTimeoutMs)
                          .arg(maxTimeoutMs),
                      tr("MS")});
    parser.addOption({option(jsonOption), tr("Print one JSON object per event instead of the log lines.")});
    parser.addOption({option(forceOption), tr("Send a file whose content is not of the kind the instruments take "
                                              "(it is still checked whole as what it is).")});
    parser.addOption({option(dspOption),
                      tr("The motor-driver DSP the file is for: communication or control (default: the file's name "
                         "says, by \"Kolvex_Communication_DSP\" or \"Kolvex_Control_DSP\")."),
                      tr("DSP")});
    parser.addOption({option(parallelOption),
                      tr("How many units are upgraded at once (%1 to %2; default: the saved setting, else %3); 1 "
                         "upgrades them one after another.")
                          .arg(minParallel)
                          .arg(maxParallel)
                          .arg(AppSettings::defaultParallelUpgrades),
                      tr("N")});
    parser.addOption({option(canaryOption),
                      tr("Upgrade the first unit alone, and the others only when a rescan shows it reporting a new "
                         "version (the default with more than %1 units).")
                          .arg(canaryAboveUnits)});
    parser.addOption({option(noCanaryOption), tr("Start the units without upgrading one first.")});
    parser.addOption({option(maxFailuresOption),
                      tr("Start no further unit once this many have failed (%1 to %2; default: the saved setting, "
                         "else %3).")
                          .arg(minMaxFailures)
                          .arg(maxMaxFailures)
                          .arg(AppSettings::defaultMaxFailures),
                      tr("N")});
}

QString CliUpgradeCommand::takeArguments(const QCommandLineParser& parser)
{
    if (!parser.positionalArguments().isEmpty())
        return tr("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
    QString problem = takeTargets(parser);
    if (problem.isEmpty())
        problem =
            parser.isSet(option(fileOption)) ? takeFile(parser.value(option(fileOption))) : tr("--file is missing");
    if (problem.isEmpty())
        problem = takeTimeout(parser);
    if (problem.isEmpty())
        problem = takeDsp(parser);
    if (problem.isEmpty())
        problem = takeFleetOptions(parser);
    m_json = parser.isSet(option(jsonOption));
    m_force = parser.isSet(option(forceOption));
    return problem;
}

QString CliUpgradeCommand::takeTargets(const QCommandLineParser& parser)
{
    const QStringList macs = parser.values(option(macOption));
    const bool manual = parser.isSet(option(ipOption));
    if (manual && !macs.isEmpty())
        return tr("--mac and --ip do not go together");
    if (!manual && macs.isEmpty())
        return tr("--mac or --ip is missing");
    if (manual) {
        quint32 address = 0;
        const QString text = parser.value(option(ipOption));
        const QString problem = cliArguments::checkAddress(QStringLiteral("--ip"), text, address);
        m_manualIp = text.trimmed();
        return problem;
    }
    for (const QString& text : macs) {
        QString mac;
        const QString problem = cliArguments::checkMac(QStringLiteral("--mac"), text, mac);
        if (!problem.isEmpty())
            return problem;
        if (m_macs.contains(mac))
            return tr("--mac: %1 is given twice").arg(mac);
        m_macs << mac;
    }
    return {};
}

QString CliUpgradeCommand::takeFile(const QString& path)
{
    const QFileInfo info(path);
    QFile file(path);
    if (!info.exists())
        return tr("--file: \"%1\" does not exist").arg(path);
    if (!info.isFile())
        return tr("--file: \"%1\" is not a file").arg(path);
    if (!file.open(QIODevice::ReadOnly))
        return tr("--file: \"%1\" cannot be read: %2").arg(path, file.errorString());
    m_file = info.absoluteFilePath();
    return {};
}

QString CliUpgradeCommand::takeTimeout(const QCommandLineParser& parser)
{
    if (parser.isSet(option(timeoutOption)))
        return cliArguments::checkNumber(QStringLiteral("--timeout"), parser.value(option(timeoutOption)), minTimeoutMs,
                                         maxTimeoutMs, m_timeoutMs);
    AppSettings settings(AppSettings::MissingKeys::LeaveFileAlone);
    m_timeoutMs = qBound(minTimeoutMs, settings.getTimeout(), maxTimeoutMs);
    return {};
}

QString CliUpgradeCommand::takeDsp(const QCommandLineParser& parser)
{
    if (!parser.isSet(option(dspOption)))
        return {};
    const QString dsp = parser.value(option(dspOption)).trimmed().toLower();
    if (dsp == QLatin1String("communication"))
        m_dsp = dspProgMode::programCommunication;
    else if (dsp == QLatin1String("control"))
        m_dsp = dspProgMode::programControl;
    else
        return tr("--dsp: \"%1\" is neither communication nor control").arg(parser.value(option(dspOption)));
    return {};
}

QString CliUpgradeCommand::takeFleetOptions(const QCommandLineParser& parser)
{
    if (parser.isSet(option(canaryOption)) && parser.isSet(option(noCanaryOption)))
        return tr("--canary and --no-canary do not go together");
    if (parser.isSet(option(canaryOption)) || parser.isSet(option(noCanaryOption)))
        m_canary = parser.isSet(option(canaryOption));
    AppSettings settings(AppSettings::MissingKeys::LeaveFileAlone);
    m_parallel = qBound(minParallel, settings.getParallelUpgrades(), maxParallel);
    m_maxFailures = qBound(minMaxFailures, settings.getMaxFailures(), maxMaxFailures);
    QString problem;
    if (parser.isSet(option(parallelOption)))
        problem = cliArguments::checkNumber(QStringLiteral("--parallel"), parser.value(option(parallelOption)),
                                            minParallel, maxParallel, m_parallel);
    if (problem.isEmpty() && parser.isSet(option(maxFailuresOption)))
        problem = cliArguments::checkNumber(QStringLiteral("--max-failures"), parser.value(option(maxFailuresOption)),
                                            minMaxFailures, maxMaxFailures, m_maxFailures);
    return problem;
}

bool CliUpgradeCommand::canaryFor(int unitCount) const
{
    return m_canary.value_or(unitCount > canaryAboveUnits);
}

// Before anything is sent: the file's kind must be the one the units take (or --force), and the file
// must be sound throughout. `code` empty stands for the manual address.
int CliUpgradeCommand::checkImage(CliContext& context, const QString& code)
{
    const std::optional<FirmwareImageKind> wanted =
        code.isEmpty() ? UpgradeSelection::manualImageKind() : UpgradeSelection::imageKindFor(code);
    if (!wanted)
        return cliExit::success;
    const QString mismatch = UpgradeSelection::mismatch(m_file, FirmwareImageCheck::detectKind(m_file), code);
    if (!mismatch.isEmpty() && !m_force) {
        context.error(mismatch + tr("; nothing was sent (--force sends it anyway)"));
        return cliExit::badUsage;
    }
    const QString dsp = device::isKolvex(code) ? dspProblem() : QString();
    if (!dsp.isEmpty()) {
        context.error(dsp + tr("; nothing was sent"));
        return cliExit::badUsage;
    }
    m_acceptOtherImageKind = !mismatch.isEmpty();
    const FirmwareImageCheck::Result result = UpgradeSelection::checkImage(m_file, *wanted, m_acceptOtherImageKind);
    if (result.ok)
        return cliExit::success;
    context.error(result.message.mid(result.message.indexOf(QLatin1Char(' ')) + 1) + tr("; nothing was sent"));
    return cliExit::badUsage;
}

// The motor-driver procedure refuses such a file too, but only once the scan is done and the run has
// begun; refused here it is a refusal like the others, before anything is sent.
QString CliUpgradeCommand::dspProblem() const
{
    const QString name = QFileInfo(m_file).fileName();
    const QLatin1String communication(firmwareUpgrade::communicationDspMarker);
    const QLatin1String control(firmwareUpgrade::controlDspMarker);
    const bool namesCommunication = name.contains(communication);
    const bool namesControl = name.contains(control);
    if (m_dsp == dspProgMode::programCommunication && namesControl && !namesCommunication)
        return tr("--dsp communication: %1 is named for the control DSP").arg(name);
    if (m_dsp == dspProgMode::programControl && namesCommunication && !namesControl)
        return tr("--dsp control: %1 is named for the communication DSP").arg(name);
    if (m_dsp == 0 && !m_file.contains(communication) && !m_file.contains(control))
        return tr("which DSP %1 is for is not known: its name holds neither \"%2\" nor \"%3\" (give --dsp)")
            .arg(name, communication, control);
    return {};
}

int CliUpgradeCommand::run(CliContext& context)
{
    // An upgrade is not broken off half way because whoever read its log has gone (a closed pipe).
    std::signal(SIGPIPE, SIG_IGN);
    Runs runs;
    QList<Device_t> upgraded;
    if (!m_manualIp.isEmpty()) {
        const int checked = checkImage(context, QString());
        if (checked != cliExit::success)
            return checked;
        runs.push_back(std::make_unique<CliUpgradeRun>(Device_t(), m_manualIp, m_file, m_timeoutMs));
        runs.back()->setAcceptOtherImageKind(m_acceptOtherImageKind);
        return upgradeInTurn(context, runs, upgraded);
    }
    QList<Device_t> devices;
    int status = findDevices(context, devices);
    if (status == cliExit::success)
        status = checkImage(context, devices.first().code);
    if (status != cliExit::success)
        return status;
    // Claimed before anything is sent, so that a unit in another Kestrion's hands is refused, not failed.
    UnitLock::Held claims;
    if (const QString refusal = UnitLock::claimAll(devices, UnitLock::Purpose::Upgrade, claims); !refusal.isEmpty()) {
        context.error(refusal + tr("; nothing was sent"));
        return cliExit::badUsage;
    }
    return upgradeFleet(context, devices);
}

int CliUpgradeCommand::upgradeFleet(CliContext& context, const QList<Device_t>& devices) const
{
    CliUpgradeReport report(context.out(), context.err(), m_json, isatty(fileno(stderr)) == 1);
    CliUpgradeFleet::Settings settings;
    settings.file = m_file;
    settings.timeoutMs = m_timeoutMs;
    settings.acceptOtherImageKind = m_acceptOtherImageKind;
    settings.dsp = m_dsp;
    settings.options.parallel = m_parallel;
    settings.options.canary = canaryFor(devices.size());
    settings.options.maxFailures = m_maxFailures;
    settings.options.timeoutMs = m_timeoutMs;
    return CliUpgradeFleet(context, report, settings).run(devices);
}

// A rescan after the run: only a unit that now reports another version shows that it took the firmware.
void CliUpgradeCommand::verifyVersions(CliContext& context, CliUpgradeReport& report,
                                       const QList<Device_t>& upgraded) const
{
    if (upgraded.isEmpty())
        return;
    // Units restart into their new firmware and answer no scan meanwhile.
    const FirmwarePacing& pacing = FirmwarePacing::current();
    QList<Device_t> found = context.scanner().scan();
    for (int attempt = 1; attempt < pacing.verifyScanAttempts && UpgradeVerification::unanswered(upgraded, found) > 0;
         ++attempt) {
        QThread::msleep(ulong(pacing.verifyScanPauseMs));
        found = context.scanner().scan();
    }
    for (const Device_t& unit : upgraded)
        report.verified(UpgradeVerification(unit, found));
}

// Every device named, in the order named, or the exit code of the reason why not.
int CliUpgradeCommand::findDevices(CliContext& context, QList<Device_t>& devices) const
{
    const QList<Device_t> found = context.scanner().scan();
    QStringList missing;
    for (const QString& mac : m_macs) {
        const int index = CliScanner::indexOfMac(found, mac);
        if (index < 0)
            missing << mac;
        else
            devices << found.at(index);
    }
    if (!missing.isEmpty()) {
        context.error(tr("no instrument with the MAC address %1 answered; nothing was sent")
                          .arg(missing.join(QStringLiteral(", "))));
        return cliExit::nothingFound;
    }
    const QString problem = UpgradeSelection::selectionProblem(devices, m_parallel);
    if (!problem.isEmpty()) {
        context.error(problem + tr("; nothing was sent"));
        return cliExit::badUsage;
    }
    return cliExit::success;
}

int CliUpgradeCommand::upgradeInTurn(CliContext& context, const Runs& runs, QList<Device_t>& upgraded) const
{
    CliUpgradeReport report(context.out(), context.err(), m_json, isatty(fileno(stderr)) == 1);
    const int count = int(runs.size());
    for (int i = 0; i < count; ++i) {
        CliUpgradeRun& run = *runs.at(size_t(i));
        report.start(run.name(), run.address(), i + 1, count, m_file);
        QString reason;
        if (run.run(report, reason)) {
            report.done(run.name());
            if (!run.device().mac.isEmpty())
                upgraded << run.device();
            continue;
        }
        verifyVersions(context, report, upgraded);
        report.failed(run.name(), reason);
        QStringList left;
        for (int j = i + 1; j < count; ++j) {
            report.skipped(runs.at(size_t(j))->name(), tr("an earlier upgrade failed"));
            left << runs.at(size_t(j))->name();
        }
        if (!left.isEmpty())
            context.error(tr("not upgraded: %1").arg(left.join(QStringLiteral(", "))));
        return cliExit::failed;
    }
    verifyVersions(context, report, upgraded);
    return cliExit::success;
}
