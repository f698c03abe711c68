// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Measures, on one core, catalog lookups and legacy discovery answers decoded per second.
#include "discovery/client.h"
#include "model/device.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QStringList>

#include <cstdio>

namespace {
constexpr qint64 runMs = 2000;
constexpr double lookupTargetUs = 2.0;
constexpr double decodeTargetPerSecond = 50000.0;
constexpr int clearEvery = 1000;

QByteArray legacyAnswer(const QByteArray& codeHex, const QByteArray& text, const QByteArray& serialHex)
{
    QByteArray datagram(248, '\0');
    datagram.replace(0, 12, "Ostravi Dev:");
    const QByteArray fixed = QByteArray::fromHex(codeHex + "00a03b12345f"
                                                           "0a4d010a"
                                                           "ffffff00"
                                                           "0a4d0101");
    datagram.replace(12, fixed.size(), fixed);
    datagram.replace(36, 4, "BL01");
    datagram.replace(44, 4, "1203");
    datagram.replace(48, 4, QByteArray::fromHex(serialHex));
    datagram.replace(44, text.size(), text);
    return datagram;
}

// One answer of every family, the unlisted beamline variant among them.
QList<QNetworkDatagram> answerMix()
{
    return {QNetworkDatagram(legacyAnswer("1100", "2.15\r\nPS1234\r\nMOD7\r\nx\r\n1\r\n", "")),
            QNetworkDatagram(legacyAnswer("2101", "", "0012d687")),
            QNetworkDatagram(legacyAnswer("2199", "", "0012d687")),
            QNetworkDatagram(legacyAnswer("1600", "", "0012d687")),
            QNetworkDatagram(legacyAnswer("3100", "", "15234567")),
            QNetworkDatagram(legacyAnswer("6100", "", "01234567"))};
}

double lookupsPerSecond(qint64* count)
{
    const QStringList codes{"1100", "2902", "3100", "6100", "4200", "2199", "0000", "1F80"};
    QElapsedTimer timer;
    timer.start();
    qint64 lookups = 0;
    int sink = 0;
    while (timer.elapsed() < runMs) {
        for (const QString& code : codes) {
            sink += device::getFamily(code).size() + device::getGroup(code).size() + device::getDesc(code).size();
            lookups += 3;
        }
    }
    *count = lookups + (sink < 0 ? 1 : 0);
    return double(lookups) * 1000.0 / double(timer.elapsed());
}

double decodesPerSecond(qint64* count)
{
    const QList<QNetworkDatagram> answers = answerMix();
    Client client;
    QElapsedTimer timer;
    timer.start();
    qint64 decoded = 0;
    while (timer.elapsed() < runMs) {
        for (const QNetworkDatagram& answer : answers) {
            client.readDeviceResponse(answer);
            ++decoded;
        }
        if (decoded % clearEvery < answers.size())
            client.clearDevicesList();
    }
    *count = decoded;
    return double(decoded) * 1000.0 / double(timer.elapsed());
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qint64 lookups = 0;
    qint64 decoded = 0;
    device::getFamily(QStringLiteral("1100")); // the catalog is parsed once, outside the measurement
    const double lookupRate = lookupsPerSecond(&lookups);
    const double decodeRate = decodesPerSecond(&decoded);
    const double lookupUs = 1e6 / lookupRate;
    std::printf("catalog lookups: %.0f per second, %.3f us each (%lld lookups; target at most %.1f us): %s\n",
                lookupRate, lookupUs, static_cast<long long>(lookups), lookupTargetUs,
                lookupUs <= lookupTargetUs ? "met" : "MISSED");
    std::printf("legacy answers decoded: %.0f per second (%lld answers; target at least %.0f): %s\n", decodeRate,
                static_cast<long long>(decoded), decodeTargetPerSecond,
                decodeRate >= decodeTargetPerSecond ? "met" : "MISSED");
    return lookupUs <= lookupTargetUs && decodeRate >= decodeTargetPerSecond ? 0 : 1;
}
