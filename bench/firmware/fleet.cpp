// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Fleet upgrades with the real pacing against the simulated lab of bench/firmware/fleetlab.json, by FleetRun
// as the page and the command line run it:
//
// - 48 power supplies, 8 at once; 8 motor drivers behind 8 XPort modules, 4 at once.
// - One more unit of each kind is upgraded alone first, in the same run: its time is T1. The fleet's
//   wall time over ceil(units / N) x T1 shows what running side by side costs; target at most 1.3.
// - Peak resident memory of the process (target at most 150 MB) and the longest stall of the event loop,
//   from a 10 ms timer (target at most 50 ms).
// - Every unit is checked in the simulator's log: a supply holds the whole image (its upload's SHA-256), a
//   motor driver's module was taken once and given back; no unit and no module had two upgrades at once.
//
// Run it on the tool side of the namespace harness (about six minutes):
//   scripts/netns-lab.sh --sim build/sim/kestrion-sim --lab bench/firmware/fleetlab.json
//       -- build/bench/firmware/bench_fleet [supplies] [motor]
#include "common/firmwareimages.h"
#include "common/heximages.h"
#include "common/simlog.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/fleetrun.h"
#include "model/device_t.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {
constexpr int supplyCount = 48;
constexpr int supplyParallel = 8;
constexpr int motorCount = 8;
constexpr int motorParallel = 4;
constexpr int supplyImageBytes = 1024 * 1024;
constexpr int motorImageBytes = 16 * 1024 * 2;
constexpr int unitTimeoutMs = 900000;
constexpr int tickMs = 10;
constexpr double ratioTarget = 1.3;
constexpr double rssTargetMb = 150;
constexpr double stallTargetMs = 50;
const QString newVersion = QStringLiteral("2.0.00");

QList<QJsonObject> labUnits(const QString& kind)
{
    QList<QJsonObject> units;
    QFile file(qEnvironmentVariable("KESTRION_LAB"));
    if (!file.open(QIODevice::ReadOnly))
        return units;
    for (const QJsonValue& unit : QJsonDocument::fromJson(file.readAll()).object().value("units").toArray())
        if (unit.toObject().value("kind").toString() == kind)
            units << unit.toObject();
    return units;
}

Device_t deviceOf(const QJsonObject& unit, const QString& code)
{
    Device_t device;
    device.code = code;
    device.ip = unit.value("ip").toString();
    device.mac = unit.value("mac").toString();
    device.firmwareVersion = QStringLiteral("1.0.00");
    return device;
}

// The longest time the event loop did not come round to a 10 ms timer, beyond its interval.
class StallMeter : public QObject
{
public:
    StallMeter()
    {
        m_timer.setInterval(tickMs);
        connect(&m_timer, &QTimer::timeout, this, [this] { m_longest = qMax(m_longest, m_clock.restart() - tickMs); });
        m_clock.start();
        m_timer.start();
    }
    qint64 longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

struct FleetResult
{
    qint64 wallMs = 0;
    int upgraded = 0;
    qint64 stallMs = 0;
};

FleetResult runFleet(const QList<Device_t>& units, const QString& file, int parallel)
{
    FleetRun::Options options;
    options.parallel = parallel;
    options.canary = false;
    options.maxFailures = 0;
    options.timeoutMs = unitTimeoutMs;
    options.verifyAtEnd = false;
    FleetRun fleet(
        units,
        [file](const Device_t& unit) { return new firmwareUpgrade(nullptr, file, 1, {true}, {unit}, QString()); },
        options);
    StallMeter stalls;
    QEventLoop loop;
    QObject::connect(&fleet, &FleetRun::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    fleet.start();
    if (!fleet.isFinished())
        loop.exec();
    FleetResult result;
    result.wallMs = clock.elapsed();
    result.stallMs = stalls.longestMs();
    for (int i = 0; i < fleet.unitCount(); ++i)
        result.upgraded += fleet.unitResult(i).outcome.succeeded() ? 1 : 0;
    return result;
}

// Every unit's begin and end lines since `mark` pair up without overlap, and each unit had exactly one.
bool windowsClean(int mark, const QStringList& names)
{
    QMap<QString, int> open;
    QMap<QString, int> windows;
    for (const QJsonObject& line : SimLog::events(SimLog::lines().mid(mark), QStringLiteral("upgrade"))) {
        const QString unit = line.value("unit").toString();
        const bool begin = line.value("phase").toString() == QLatin1String("begin");
        if (begin && open.value(unit) > 0)
            return false;
        open[unit] += begin ? 1 : -1;
        windows[unit] += begin ? 1 : 0;
    }
    for (const QString& name : names)
        if (windows.value(name) != 1 || open.value(name) != 0)
            return false;
    return true;
}

bool suppliesHoldTheImage(int mark, const QStringList& names, const QByteArray& image)
{
    const SimLog::Lines heard = SimLog::lines().mid(mark);
    const QString digest = FirmwareImages::sha256Hex(image);
    for (const QString& name : names) {
        const SimLog::Lines uploads = SimLog::events(heard, QStringLiteral("upload"), name);
        if (uploads.size() != 1 || uploads.first().value("sha256").toString() != digest)
            return false;
    }
    return true;
}

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

struct Verdict
{
    bool ok = true;
    void check(bool passed) { ok = ok && passed; }
};

void report(const char* what, int count, int parallel, qint64 t1, qint64 aloneStallMs, const FleetResult& fleet,
            bool verified, Verdict& verdict)
{
    const int rounds = (count + parallel - 1) / parallel;
    const double ratio = t1 > 0 ? double(fleet.wallMs) / double(rounds * t1) : -1;
    std::printf("\n%s: %d units, %d at once\n", what, count, parallel);
    std::printf("  one unit alone (T1)                 %9lld ms\n", static_cast<long long>(t1));
    std::printf("  fleet wall time                     %9lld ms\n", static_cast<long long>(fleet.wallMs));
    std::printf("  wall / (%d x T1)                    %9.3f (target <= %.1f)\n", rounds, ratio, ratioTarget);
    std::printf("  longest event-loop stall            %9lld ms (target <= %.0f; %lld ms with one unit alone, the "
                "machine's own share)\n",
                static_cast<long long>(fleet.stallMs), stallTargetMs, static_cast<long long>(aloneStallMs));
    std::printf("  upgraded                            %6d/%d, %s\n", fleet.upgraded, count,
                verified ? "every unit verified in the simulator" : "NOT every unit verified in the simulator");
    verdict.check(ratio > 0 && ratio <= ratioTarget && fleet.stallMs <= stallTargetMs && fleet.upgraded == count &&
                  verified);
}

void benchSupplies(const QString& directory, Verdict& verdict)
{
    const QByteArray image = FirmwareImages::updt(supplyImageBytes, newVersion);
    const QString path = directory + QStringLiteral("/fleet.updt");
    FirmwareImages::write(path, image);
    const QList<QJsonObject> lab = labUnits(QStringLiteral("legacy"));
    QList<Device_t> fleet;
    QStringList names;
    for (int i = 1; i <= supplyCount && i < lab.size(); ++i) {
        fleet << deviceOf(lab.at(i), QStringLiteral("1100"));
        names << lab.at(i).value("name").toString();
    }
    const FleetResult alone = runFleet({deviceOf(lab.value(0), QStringLiteral("1100"))}, path, 1);
    const int mark = SimLog::lines().size();
    const FleetResult result = runFleet(fleet, path, supplyParallel);
    const bool verified = suppliesHoldTheImage(mark, names, image) && windowsClean(mark, names);
    report("power supplies", fleet.size(), supplyParallel, alone.upgraded == 1 ? alone.wallMs : -1, alone.stallMs,
           result, verified, verdict);
}

void benchMotorDrivers(const QString& directory, Verdict& verdict)
{
    // The procedure reads which DSP to program from the file's name.
    const QString path = directory + QStringLiteral("/Kolvex_Communication_DSP_fleet.hex");
    HexImages::writeFile(path, HexImages::toHex(HexImages::versionedImage(QStringLiteral("3.00"), motorImageBytes)));
    const QList<QJsonObject> lab = labUnits(QStringLiteral("xport"));
    QList<Device_t> fleet;
    QStringList names;
    for (int i = 1; i <= motorCount && i < lab.size(); ++i) {
        fleet << deviceOf(lab.at(i), QStringLiteral("4200"));
        names << lab.at(i).value("name").toString();
    }
    const FleetResult alone = runFleet({deviceOf(lab.value(0), QStringLiteral("4200"))}, path, 1);
    const int mark = SimLog::lines().size();
    const FleetResult result = runFleet(fleet, path, motorParallel);
    report("motor drivers", fleet.size(), motorParallel, alone.upgraded == 1 ? alone.wallMs : -1, alone.stallMs, result,
           windowsClean(mark, names), verdict);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (!SimLog::available()) {
        std::fprintf(stderr, "bench_fleet runs inside the namespace harness (scripts/netns-lab.sh)\n");
        return 2;
    }
    QStringList chosen = app.arguments().mid(1);
    if (chosen.isEmpty())
        chosen = QStringList{QStringLiteral("supplies"), QStringLiteral("motor")};
    QTemporaryDir directory;
    Verdict verdict;
    if (chosen.contains(QStringLiteral("supplies")))
        benchSupplies(directory.path(), verdict);
    if (chosen.contains(QStringLiteral("motor")))
        benchMotorDrivers(directory.path(), verdict);
    const double rss = peakRssMb();
    std::printf("\npeak resident memory                  %9.1f MB (target <= %.0f)\n", rss, rssTargetMb);
    verdict.check(rss <= rssTargetMb);
    std::printf("%s\n", verdict.ok ? "all targets met" : "TARGET MISSED");
    return verdict.ok ? 0 : 1;
}
