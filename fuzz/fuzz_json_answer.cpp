// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later

// JSON discovery answers, the input being what follows the tag: on the broadcast path (UTF-8 up to
// the first zero, every copy of the tag removed) and on the unicast path (Latin-1). LeakSanitizer
// watches for answers that make Qt's parser leak.
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
    client.readDeviceResponse(QNetworkDatagram(QByteArrayLiteral("Ostravi QV3:") + body));
    client.qv3Response(QString::fromLatin1(body.left(Client::answerSize - Client::tagSize)));
    const QList<Device_t> decoded = client.devices();
    FUZZ_CHECK(decoded.size() <= 2);
    for (const Device_t& device : decoded) {
        for (const auto& entry : device.additionalInfo)
            FUZZ_CHECK(entry.size() == 1);
    }
    return 0;
}
