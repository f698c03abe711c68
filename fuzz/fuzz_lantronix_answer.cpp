// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Lantronix discovery answers; only the candidate table is filled, no motor driver is queried.
#include "discovery/client.h"
#include "fuzzsupport.h"
#include "model/wellknownports.h"

#include <QHostAddress>
#include <QNetworkDatagram>

namespace {
constexpr int macEnd = 30;
}

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
    FUZZ_CHECK(candidates.size() == (size >= size_t(macEnd) ? 1 : 0));
    for (const Device_t& candidate : candidates) {
        FUZZ_CHECK(candidate.mac.size() == 17);
        FUZZ_CHECK(candidate.mac == candidate.mac.toUpper());
        FUZZ_CHECK(candidate.code == QLatin1String("4100"));
    }
    FUZZ_CHECK(client.devices().isEmpty());
    return 0;
}
