// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Fixed-layout discovery answers: the input is what follows the tag. The same bytes also arrive
// untagged, which exercises telling the dialects apart.
#include "discovery/client.h"
#include "fuzzsupport.h"

#include <QNetworkDatagram>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body = fuzz::bytes(data, size);
    Client client;
    client.readDeviceResponse(QNetworkDatagram(QByteArrayLiteral("Ostravi Dev:") + body));
    const QList<Device_t> decoded = client.devices();
    // A legacy answer never fails.
    FUZZ_CHECK(decoded.size() == 1);
    FUZZ_CHECK(decoded.first().code.size() == 4);
    FUZZ_CHECK(decoded.first().mac.size() == 17);
    client.readDeviceResponse(QNetworkDatagram(body));
    FUZZ_CHECK(client.devices().size() <= 2);
    return 0;
}
