// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Lantronix discovery answers; only the candidate table is filled, no motor driver is queried.
#include "discovery/client.h"
#include "fuzzsupport.h"
#include "model/wellknownports.h"

#include <QHostAddress>
#include <QNetworkDatagram>

namespace {
constexpr size_t macStart = 24;
constexpr size_t macEnd = 30;
constexpr size_t largestAnswer = 512;

// A module's answer: its header, room for the MAC up to the largest answer, and a MAC of one unit
// (neither all zero nor a group address).
bool isModuleAnswer(const uint8_t* data, size_t size)
{
    if (size < macEnd || size > largestAnswer)
        return false;
    if (data[0] != 0x00 || data[1] != 0x00 || data[2] != 0x00 || data[3] != 0xF7)
        return false;
    bool allZero = true;
    for (size_t i = macStart; i < macEnd; ++i)
        allZero = allZero && data[i] == 0;
    return !allZero && (data[macStart] & 0x01) == 0;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QNetworkDatagram datagram(fuzz::bytes(data, size));
    datagram.setSender(QHostAddress(QStringLiteral("10.77.1.40")), port::lantronix);
    Client client;
    client.parseKolvexResponse(datagram);
    client.parseKolvexResponse(datagram);
    const QList<Device_t> candidates = client.lantronixCandidates();
    FUZZ_CHECK(candidates.size() == (isModuleAnswer(data, size) ? 1 : 0));
    for (const Device_t& candidate : candidates) {
        FUZZ_CHECK(candidate.mac.size() == 17);
        FUZZ_CHECK(candidate.mac == candidate.mac.toUpper());
        FUZZ_CHECK(candidate.code == QLatin1String("4100"));
    }
    FUZZ_CHECK(client.devices().isEmpty());
    return 0;
}
