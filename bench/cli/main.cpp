// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Times "kestrion-cli scan --json" of the simulated lab of bench/scan/lab-200.json,
// from starting the process to its exit, against the window's own scan of the same
// lab (onScanDevices, table included), in turns, with one settings file for both.
// Run it on the tool side of the namespace harness:
//   scripts/netns-lab.sh --sim build/sim/kestrion-sim --lab bench/scan/lab-200.json
//       -- build/bench/cli/bench_cli [runs]
// (one command line). Reports medians and the companion's overhead over the window.
#include "app/mainwindow.h"
#include "common/silentprompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int defaultRuns = 15;
constexpr qint64 overheadTargetMs = 50;
constexpr int childTimeoutMs = 60000;

// Every unit that answers a discovery query we send: the lab file says which.
int expectedUnits(const QString& labPath)
{
    QFile file(labPath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    int count = 0;
    const QJsonArray units = QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("units")).toArray();
    for (const QJsonValue& unit : units) {
        const QJsonObject object = unit.toObject();
        if (object.value(QStringLiteral("answer")).toString() != QLatin1String("none") &&
            object.value(QStringLiteral("lantronix")).toString() != QLatin1String("silent"))
            ++count;
    }
    return count;
}

qint64 median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

qint64 worst(const QList<qint64>& values)
{
    return values.isEmpty() ? -1 : *std::max_element(values.cbegin(), values.cend());
}

struct CliRun
{
    qint64 ms = -1;
    int records = -1;
};

CliRun runCli(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    child.start(QStringLiteral(KESTRION_CLI_BIN), arguments);
    if (!child.waitForFinished(childTimeoutMs) || child.exitStatus() != QProcess::NormalExit)
        return {};
    CliRun run;
    run.ms = timer.elapsed();
    const QJsonDocument document = QJsonDocument::fromJson(child.readAllStandardOutput());
    run.records = document.isArray() ? document.array().size() : -1;
    return run;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostravi"));
    QApplication::setApplicationName(QStringLiteral("Kestrion"));
    const int runs = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : defaultRuns;
    const int expected = expectedUnits(qEnvironmentVariable("KESTRION_LAB"));
    if (expected == 0) {
        std::fprintf(stderr, "no lab: run this through scripts/netns-lab.sh (KESTRION_LAB is not set)\n");
        return 2;
    }

    // The window writes its default settings here; the companion then reads the same file.
    MainWindow window(nullptr, std::make_shared<SilentPrompts>());
    window.show();
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const CliRun start = runCli({QStringLiteral("--version")}, environment);

    QList<qint64> windowMs;
    QList<qint64> cliMs;
    bool allFound = true;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        window.onScanDevices();
        windowMs << timer.elapsed();
        const int windowFound = window.devices().size();
        const CliRun cli = runCli({QStringLiteral("scan"), QStringLiteral("--json")}, environment);
        cliMs << cli.ms;
        allFound = allFound && windowFound == expected && cli.records == expected;
        std::printf("run %2d: window %lld ms (%d units), kestrion-cli %lld ms (%d records)\n", i + 1,
                    static_cast<long long>(windowMs.last()), windowFound, static_cast<long long>(cli.ms), cli.records);
    }
    const qint64 overhead = median(cliMs) - median(windowMs);
    std::printf("kestrion-cli --version alone: %lld ms\n", static_cast<long long>(start.ms));
    std::printf("window scan: median %lld ms, worst %lld ms\n", static_cast<long long>(median(windowMs)),
                static_cast<long long>(worst(windowMs)));
    std::printf("kestrion-cli scan --json: median %lld ms, worst %lld ms\n", static_cast<long long>(median(cliMs)),
                static_cast<long long>(worst(cliMs)));
    std::printf("found/expected: %s in every run\n", allFound ? "all" : "NOT all");
    std::printf("overhead of the companion: %lld ms (median against median; target at most %lld ms): %s\n",
                static_cast<long long>(overhead), static_cast<long long>(overheadTargetMs),
                overhead <= overheadTargetMs ? "met" : "MISSED");
    return allFound && overhead <= overheadTargetMs ? 0 : 1;
}
