// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Scans a simulated lab twenty times in a row, on the tool side of the namespace
// harness, and reports units found, the listening time, the wall time of each scan
// and the time it took beyond its listening time:
//   scripts/netns-lab.sh --sim build/sim/kestrion-sim --lab bench/scan/lab-200.json
//       -- build/bench/scan/bench_scan [scanTime-ms]
// (one command line). bench/scan/lab-2000.json is the same mix ten times larger
// (written by bench/scan/make-lab.py).
#include "dialogs/networkinterfaces.h"
#include "discovery/client.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cstdio>

namespace {
constexpr int scans = 20;
constexpr int defaultScanTime = 200;
constexpr qint64 overheadTargetMs = 150;

// Every unit that answers a discovery query we send: the lab file says which.
QSet<QString> expectedMacs(const QString& labPath)
{
    QSet<QString> macs;
    QFile file(labPath);
    if (!file.open(QIODevice::ReadOnly))
        return macs;
    const QJsonArray units = QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("units")).toArray();
    for (const QJsonValue& unit : units) {
        const QJsonObject object = unit.toObject();
        if (object.value(QStringLiteral("answer")).toString() == QLatin1String("none") ||
            object.value(QStringLiteral("lantronix")).toString() == QLatin1String("silent"))
            continue;
        macs.insert(object.value(QStringLiteral("mac")).toString().toUpper());
    }
    return macs;
}

int foundOf(const QList<Device_t>& devices, const QSet<QString>& expected)
{
    int found = 0;
    for (const Device_t& device : devices)
        found += expected.contains(device.mac.toUpper()) ? 1 : 0;
    return found;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int scanTime = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : defaultScanTime;
    const QSet<QString> expected = expectedMacs(qEnvironmentVariable("KESTRION_LAB"));
    if (expected.isEmpty()) {
        std::fprintf(stderr, "no lab: run this through scripts/netns-lab.sh (KESTRION_LAB is not set)\n");
        return 2;
    }

    NetworkInterfaces holder;
    Client client;
    client.scanTime = scanTime;
    client.waitConnected = 1000;
    client.waitWritten = 1000;
    client.waitRead = 1000;
    QObject::connect(&client, &Client::signalUpdateProgressBar, &app, [] { QCoreApplication::processEvents(); });
    const qint64 listeningMs = qint64(Client::progressSteps) * (scanTime / Client::progressSteps);

    QList<qint64> overheads;
    bool allFound = true;
    for (int i = 0; i < scans; ++i) {
        holder.scanInterfaces();
        QElapsedTimer timer;
        timer.start();
        const QList<Device_t> devices = client.startScan(holder.interfaces());
        const qint64 wall = timer.elapsed();
        const qint64 overhead = wall - listeningMs;
        client.clearDevicesList();
        const int found = foundOf(devices, expected);
        allFound = allFound && found == expected.size() && devices.size() == expected.size();
        overheads << overhead;
        std::printf("scan %2d: found %d/%d (%d records), listening %lld ms, wall %lld ms, overhead %lld ms\n", i + 1,
                    found, int(expected.size()), int(devices.size()), static_cast<long long>(listeningMs),
                    static_cast<long long>(wall), static_cast<long long>(overhead));
    }
    std::sort(overheads.begin(), overheads.end());
    const qint64 median = overheads.at(overheads.size() / 2);
    const qint64 worst = overheads.last();
    std::printf("found/expected: %s in every scan\n", allFound ? "all" : "NOT all");
    std::printf("median overhead %lld ms, worst %lld ms beyond %lld ms of listening (target at most %lld ms): %s\n",
                static_cast<long long>(median), static_cast<long long>(worst), static_cast<long long>(listeningMs),
                static_cast<long long>(overheadTargetMs), worst <= overheadTargetMs ? "met" : "MISSED");
    return allFound && worst <= overheadTargetMs ? 0 : 1;
}
