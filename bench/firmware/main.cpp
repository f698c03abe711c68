// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The three firmware procedures with the real pacing, run by the real upgrade worker against the simulated
// lab of bench/firmware/lab.json, each against its reference:
//
// - Power supply: a 64 MiB image uploaded by the worker against a plain TCP send of the same file over
//   the same link to a second, identical supply (blocking send() of 1 MiB blocks). Both spans are taken
//   from the simulator's log, on its clock: from the connection on the upload port to the moment the unit
//   holds the whole image (its "upload" event, end "length", bytes 64 MiB); so the installation report
//   and the reboot (made short in the lab anyway) stay out of the worker's figure. Ratio: worker
//   throughput over plain throughput, median of the runs; target at least 0.80.
// - Beamline: a 20,000-line S-record image; the whole worker run (start to thread end) against the floor
//   lines x (line pause + one round trip) + sectors x erase pause. The round trip is the mean of 300 VER
//   exchanges with the same unit just before the run, each after the line pause as every image line is
//   (the pause itself not timed): waking both ends makes it two to three times one measured back to back,
//   which is printed too, with the ratio against it. Target at most 1.2.
// - Motor driver: a 16 K-word image on the communication DSP; the whole worker run against the sum of
//   the fixed pauses (motorpauses.h, computed from the pacing). The module restarts in 10 s, within the
//   tool's wait, and its erase (1 s) ends within the collector's first wait, so that neither is counted
//   twice. Target at most 1.05.
//
// Run it on the tool side of the namespace harness (about four minutes):
//   scripts/netns-lab.sh --sim build/sim/kestrion-sim --lab bench/firmware/lab.json
//       -- build/bench/firmware/bench_firmware [ps] [beamline] [motor] [--runs N]
// (one command line; without names all three run; --runs sets the power-supply repetitions, default 5).
// Or: make bench-firmware.
#include "common/firmwareimages.h"
#include "common/heximages.h"
#include "common/simlog.h"
#include "firmware/firmwarepacing.h"
#include "model/device_t.h"
#include "model/wellknownports.h"
#include "motorpauses.h"
#include "workerrun.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <functional>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr qint64 uploadBytes = qint64(64) * 1024 * 1024;
constexpr int beamlineLines = 20000;
constexpr int beamlineRecordBytes = 32;
constexpr int motorImageBytes = 16 * 1024 * 2;
constexpr int roundTripCount = 300;
constexpr int warmUpTrips = 20;
constexpr int defaultUploadRuns = 5;
constexpr int plainBlockBytes = 1 << 20;
constexpr int sectorBytes = 65536;
constexpr int logWaitMs = 60000;
constexpr int logPollMs = 5;
constexpr int exchangeWaitMs = 5000;
constexpr int uploadRunBoundMs = 300000;
constexpr int beamlineRunBoundMs = 600000;
constexpr int motorRunBoundMs = 900000;
constexpr double bytesPerMb = 1e6;
constexpr double throughputTarget = 0.80;
constexpr double beamlineTarget = 1.2;
constexpr double motorTarget = 1.05;

const QString supplyUnit = QStringLiteral("psup");
const QString plainUnit = QStringLiteral("psplain");
const QString beamlineUnit = QStringLiteral("bl");
const QString motorUnit = QStringLiteral("mot");
const QString supplyVersion = QStringLiteral("9.1.00");
const QString beamlineVersion = QStringLiteral("7.0.01");
const QString motorVersion = QStringLiteral("3.2.1");

struct Ratio
{
    QString what;
    double value = -1;
    double target = 0;
    bool atLeast = false;
    bool checked = false; // the run ended as it should, so the figure means something

    bool passed() const { return checked && (atLeast ? value >= target : value <= target && value > 0); }
};

QMap<QString, QJsonObject> labUnits()
{
    QMap<QString, QJsonObject> units;
    QFile file(qEnvironmentVariable("KESTRION_LAB"));
    if (!file.open(QIODevice::ReadOnly))
        return units;
    for (const QJsonValue& unit : QJsonDocument::fromJson(file.readAll()).object().value("units").toArray())
        units.insert(unit.toObject().value("name").toString(), unit.toObject());
    return units;
}

Device_t deviceOf(const QJsonObject& unit, const QString& code)
{
    Device_t device;
    device.code = code;
    device.ip = unit.value("ip").toString();
    device.mac = unit.value("mac").toString();
    return device;
}

qint64 simTime(const QJsonObject& line)
{
    return qint64(line.value("t").toDouble(-1));
}

// The first line after `mark` that `match` accepts, waited for up to logWaitMs; empty when none came.
QJsonObject awaitLine(int mark, const std::function<bool(const QJsonObject&)>& match)
{
    const QDeadlineTimer deadline(logWaitMs);
    do {
        for (const QJsonObject& line : SimLog::lines().mid(mark)) {
            if (match(line))
                return line;
        }
        QThread::msleep(logPollMs);
    } while (!deadline.hasExpired());
    return {};
}

QJsonObject awaitEvent(int mark, const QString& event, const QString& unit)
{
    return awaitLine(mark, [&](const QJsonObject& line) {
        return line.value("event").toString() == event && line.value("unit").toString() == unit;
    });
}

// Milliseconds on the simulator's clock from the connection to the upload port to the whole image held;
// -1 when the unit did not take the whole image.
qint64 uploadSpan(int mark, const QString& unit)
{
    const QJsonObject done = awaitEvent(mark, QStringLiteral("upload"), unit);
    if (done.value("bytes").toDouble() != double(uploadBytes) || done.value("end").toString() != "length")
        return -1;
    for (const QJsonObject& line : SimLog::tcp(SimLog::lines().mid(mark), unit, QStringLiteral("connect"))) {
        if (line.value("port").toInt() == port::upload)
            return simTime(done) - simTime(line);
    }
    return -1;
}

bool sendAll(int socket, const QByteArray& block)
{
    qint64 sent = 0;
    while (sent < block.size()) {
        const ssize_t n = ::send(socket, block.constData() + sent, size_t(block.size() - sent), 0);
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

// The reference: the file sent as fast as one blocking socket sends it. The socket stays open until the
// unit holds the whole image, as the worker's does.
qint64 plainUpload(const QString& ip, const QString& path)
{
    const int mark = SimLog::lines().size();
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port::upload);
    QFile file(path);
    bool sent = socket >= 0 && ::inet_pton(AF_INET, ip.toLatin1().constData(), &address.sin_addr) == 1 &&
                ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                file.open(QIODevice::ReadOnly);
    while (sent && !file.atEnd())
        sent = sendAll(socket, file.read(plainBlockBytes));
    const qint64 span = sent ? uploadSpan(mark, plainUnit) : -1;
    if (socket >= 0)
        ::close(socket);
    return span;
}

struct WorkerUpload
{
    qint64 spanMs = -1;
    qint64 runMs = -1;
};

WorkerUpload workerUpload(const Device_t& supply, const QString& path)
{
    const int mark = SimLog::lines().size();
    WorkerRun run(supply, path);
    WorkerUpload result;
    if (!run.run(uploadRunBoundMs) || !run.completed())
        return result;
    result.runMs = run.elapsedMs();
    result.spanMs = uploadSpan(mark, supplyUnit);
    // The next run must not meet the supply while it reboots.
    const QJsonObject reboot = awaitEvent(mark, QStringLiteral("reboot"), supplyUnit);
    if (reboot.value("fw").toString() != supplyVersion)
        result.spanMs = -1;
    return result;
}

qint64 median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

double mbPerS(qint64 ms)
{
    return ms > 0 ? double(uploadBytes) / bytesPerMb / (double(ms) / 1000.0) : 0;
}

Ratio powerSupplyBench(const QMap<QString, QJsonObject>& units, const QString& directory, int runs)
{
    Ratio ratio{QStringLiteral("power-supply upload throughput / plain TCP"), -1, throughputTarget, true};
    const QString path = directory + QStringLiteral("/bench.updt");
    if (!FirmwareImages::writeUpdt(path, uploadBytes, supplyVersion)) {
        std::printf("power supply: cannot write the image\n");
        return ratio;
    }
    const Device_t supply = deviceOf(units.value(supplyUnit), QStringLiteral("1100"));
    const QString plainIp = units.value(plainUnit).value("ip").toString();
    std::printf("\npower supply: %lld MiB image, %d runs (spans on the simulator's clock)\n",
                static_cast<long long>(uploadBytes >> 20), runs);
    std::printf("  run  plain TCP   worker upload  worker whole run\n");
    QList<qint64> plain;
    QList<qint64> worker;
    bool allGood = true;
    for (int i = 0; i < runs; ++i) {
        const qint64 plainMs = plainUpload(plainIp, path);
        const WorkerUpload upload = workerUpload(supply, path);
        std::printf("  %3d  %6lld ms   %6lld ms      %6lld ms\n", i + 1, static_cast<long long>(plainMs),
                    static_cast<long long>(upload.spanMs), static_cast<long long>(upload.runMs));
        allGood = allGood && plainMs > 0 && upload.spanMs > 0;
        plain << plainMs;
        worker << upload.spanMs;
    }
    const qint64 plainMedian = median(plain);
    const qint64 workerMedian = median(worker);
    std::printf("  median: plain %lld ms (%.0f MB/s), worker %lld ms (%.0f MB/s)\n",
                static_cast<long long>(plainMedian), mbPerS(plainMedian), static_cast<long long>(workerMedian),
                mbPerS(workerMedian));
    ratio.checked = allGood;
    ratio.value = workerMedian > 0 ? double(plainMedian) / double(workerMedian) : -1;
    return ratio;
}

struct RoundTrips
{
    double hotMs = -1;   // exchanges back to back
    double pacedMs = -1; // each after the line pause, as the image lines are sent; the pause not counted
};

// One command exchange on the command port, the way the worker exchanges one image line; -1 on silence.
qint64 exchangeNs(QTcpSocket& socket)
{
    QElapsedTimer clock;
    clock.start();
    socket.write("VER\r\n");
    socket.flush();
    QByteArray answer;
    while (!answer.contains("\r\n")) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(exchangeWaitMs))
            return -1;
        answer += socket.readAll();
    }
    return clock.nsecsElapsed();
}

// Means of many exchanges with the unit, back to back and paced.
RoundTrips roundTrips(const QString& ip)
{
    QTcpSocket socket;
    socket.connectToHost(ip, port::command);
    RoundTrips trips;
    if (!socket.waitForConnected(exchangeWaitMs))
        return trips;
    qint64 hotNs = 0;
    qint64 pacedNs = 0;
    bool answered = true;
    for (int i = 0; i < warmUpTrips + roundTripCount && answered; ++i) {
        const qint64 ns = exchangeNs(socket);
        answered = ns >= 0;
        hotNs += i < warmUpTrips ? 0 : ns;
    }
    for (int i = 0; i < roundTripCount && answered; ++i) {
        QThread::msleep(ulong(FirmwarePacing::current().linePauseMs));
        const qint64 ns = exchangeNs(socket);
        answered = ns >= 0;
        pacedNs += ns;
    }
    socket.disconnectFromHost();
    if (answered) {
        trips.hotMs = double(hotNs) / 1e6 / roundTripCount;
        trips.pacedMs = double(pacedNs) / 1e6 / roundTripCount;
    }
    return trips;
}

// The flash sectors the image touches, by the same rule as the procedure's first pass.
int sectorsOf(const QByteArray& image)
{
    QSet<quint32> sectors;
    for (const QByteArray& line : image.split('\n')) {
        const int digits = line.startsWith("S1") ? 4 : line.startsWith("S2") ? 6 : line.startsWith("S3") ? 8 : 0;
        if (digits > 0)
            sectors.insert(line.mid(4, digits).toUInt(nullptr, 16) / sectorBytes);
    }
    return sectors.size();
}

bool flashRunClean(int mark, int lines)
{
    const QJsonObject flash = awaitEvent(mark, QStringLiteral("flash"), beamlineUnit);
    const QJsonObject reboot = awaitEvent(mark, QStringLiteral("reboot"), beamlineUnit);
    return flash.value("lines").toInt() == lines && flash.value("refused").toInt(-1) == 0 &&
           reboot.value("fw").toString() == beamlineVersion;
}

Ratio beamlineBench(const QMap<QString, QJsonObject>& units, const QString& directory)
{
    Ratio ratio{QStringLiteral("beamline time / floor"), -1, beamlineTarget, false};
    FirmwareImages::Flash spec;
    // The header and the end record are lines too.
    spec.lines = beamlineLines - 2;
    spec.type = '2';
    spec.bytesPerRecord = beamlineRecordBytes;
    spec.version = beamlineVersion;
    const QByteArray image = FirmwareImages::flash(spec);
    const QString path = directory + QStringLiteral("/bench.flash");
    FirmwareImages::write(path, image);
    const int lines = image.count('\n');
    const int sectors = sectorsOf(image);
    const Device_t instrument = deviceOf(units.value(beamlineUnit), QStringLiteral("2100"));

    const RoundTrips trips = roundTrips(instrument.ip);
    const FirmwarePacing& pacing = FirmwarePacing::current();
    const auto floorWith = [&](double trip) {
        return lines * (pacing.linePauseMs + trip) + sectors * pacing.sectorErasePauseMs;
    };
    // Every line is sent after the line pause, so its exchange costs what one after such a pause costs.
    const double floor = floorWith(trips.pacedMs);
    const int mark = SimLog::lines().size();
    WorkerRun run(instrument, path);
    const bool ended = run.run(beamlineRunBoundMs);
    const bool clean = ended && run.completed() && flashRunClean(mark, lines);
    std::printf("\nbeamline: %d lines, %d sectors; round trip %.3f ms after a %d ms pause, %.3f ms back to back "
                "(means of %d VER exchanges each)\n",
                lines, sectors, trips.pacedMs, pacing.linePauseMs, trips.hotMs, roundTripCount);
    std::printf("  floor  %d x (%d + %.3f) ms + %d x %d ms = %.0f ms\n", lines, pacing.linePauseMs, trips.pacedMs,
                sectors, pacing.sectorErasePauseMs, floor);
    std::printf("  worker %lld ms (start to end of the thread), image %s\n", static_cast<long long>(run.elapsedMs()),
                clean ? "written and in service" : "NOT written as it should");
    std::printf("  for comparison, against the floor with the back-to-back round trip (%.0f ms): %.3f\n",
                floorWith(trips.hotMs), double(run.elapsedMs()) / floorWith(trips.hotMs));
    ratio.checked = clean && trips.pacedMs > 0;
    ratio.value = floor > 0 ? double(run.elapsedMs()) / floor : -1;
    return ratio;
}

bool motorRunClean(int mark)
{
    const QJsonObject flash = awaitLine(mark, [](const QJsonObject& line) {
        return line.value("event").toString() == "flash" && line.value("unit").toString() == motorUnit &&
               line.value("dsp").toString() == "communication" && !line.value("factory").toBool(true);
    });
    return flash.value("version").toString() == motorVersion;
}

Ratio motorBench(const QMap<QString, QJsonObject>& units, const QString& directory)
{
    Ratio ratio{QStringLiteral("motor driver time / fixed pauses"), -1, motorTarget, false};
    // The procedure reads which DSP to program from the file's name.
    const QString path = directory + QStringLiteral("/Kolvex_Communication_DSP_bench.hex");
    HexImages::writeFile(path, HexImages::toHex(HexImages::versionedImage(motorVersion, motorImageBytes)));
    const Device_t driver = deviceOf(units.value(motorUnit), QStringLiteral("4200"));
    const QList<motorPauses::Item> items = motorPauses::items(FirmwarePacing::current(), motorImageBytes);
    const double sum = motorPauses::sum(items);

    const int mark = SimLog::lines().size();
    WorkerRun run(driver, path);
    const bool ended = run.run(motorRunBoundMs);
    const bool clean = ended && run.completed() && motorRunClean(mark);
    std::printf("\nmotor driver: %d words (%d bytes) on the communication DSP\n", motorImageBytes / 2, motorImageBytes);
    for (const motorPauses::Item& item : items)
        std::printf("  %-44s %9.1f ms\n", qPrintable(item.what), item.ms);
    std::printf("  %-44s %9.1f ms\n", "sum of the fixed pauses", sum);
    std::printf("  %-44s %9lld ms, image %s\n", "worker (start to end of the thread)",
                static_cast<long long>(run.elapsedMs()), clean ? "written and running" : "NOT written as it should");
    ratio.checked = clean;
    ratio.value = sum > 0 ? double(run.elapsedMs()) / sum : -1;
    return ratio;
}

void printRatios(const QList<Ratio>& ratios)
{
    std::printf("\nratios\n");
    for (const Ratio& ratio : ratios) {
        std::printf("  %-44s %6.3f  (target %s %.2f)  %s\n", qPrintable(ratio.what), ratio.value,
                    ratio.atLeast ? ">=" : "<=", ratio.target, ratio.passed() ? "PASS" : "FAIL");
    }
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList parts = app.arguments().mid(1);
    int runs = defaultUploadRuns;
    const int runsAt = parts.indexOf(QStringLiteral("--runs"));
    if (runsAt >= 0) {
        runs = qMax(1, parts.value(runsAt + 1).toInt());
        parts.erase(parts.begin() + runsAt, parts.begin() + qMin(int(parts.size()), runsAt + 2));
    }
    if (parts.isEmpty())
        parts = QStringList{QStringLiteral("ps"), QStringLiteral("beamline"), QStringLiteral("motor")};
    const QMap<QString, QJsonObject> units = labUnits();
    if (!SimLog::available() || !units.contains(supplyUnit)) {
        std::fprintf(stderr, "no lab: run this through scripts/netns-lab.sh with bench/firmware/lab.json\n");
        return 2;
    }
    QTemporaryDir directory;
    std::printf("firmware benchmark: the real worker, default pacing, simulated lab\n");
    QList<Ratio> ratios;
    if (parts.contains(QStringLiteral("ps")))
        ratios << powerSupplyBench(units, directory.path(), runs);
    if (parts.contains(QStringLiteral("beamline")))
        ratios << beamlineBench(units, directory.path());
    if (parts.contains(QStringLiteral("motor")))
        ratios << motorBench(units, directory.path());
    printRatios(ratios);
    const bool allPassed =
        std::all_of(ratios.cbegin(), ratios.cend(), [](const Ratio& ratio) { return ratio.passed(); });
    return allPassed ? 0 : 1;
}
