// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The first pass over a beamline S-record image: the input is the whole file.
#include "firmware/srecordscan.h"
#include "fuzzsupport.h"

#include <QBuffer>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray image = fuzz::bytes(data, size);
    QBuffer buffer(&image);
    FUZZ_CHECK(buffer.open(QIODevice::ReadOnly));
    const SRecordScan scan = SRecordScan::scan(buffer);
    // Every piece holds at least one byte, and no sector is listed twice.
    FUZZ_CHECK(scan.lineCount() <= int(size));
    FUZZ_CHECK(size == 0 || scan.lineCount() > 0);
    FUZZ_CHECK(scan.linesPerStep() == scan.lineCount() / SRecordScan::progressSteps);
    const QList<qint8> sectors = scan.sectors();
    for (int i = 0; i < sectors.size(); ++i)
        FUZZ_CHECK(sectors.indexOf(sectors.at(i), i + 1) < 0);
    return 0;
}
