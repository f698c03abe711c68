// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The motor drivers' Intel HEX reader and its sections: the input is the whole file.
#include "firmware/parsehex.h"
#include "fuzzsupport.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
QTemporaryDir* workDir = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startApplication(argc, argv);
    workDir = new QTemporaryDir;
    return workDir->isValid() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = workDir->filePath(QStringLiteral("image.hex"));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    file.close();
    ParseHex parser;
    const int result = parser.parseAllFile(path);
    FUZZ_CHECK(result == 0 || result == 1);
    FUZZ_CHECK((result == 0) == parser.failureReason().isEmpty());
    FUZZ_CHECK(parser.recordData().size() == parser.recordAddresses().size());
    if (result != 0)
        return 0;
    // A file that parses holds data, and its sections carry every byte of the records they keep.
    const DataStruct sections = parser.getDataStruct();
    FUZZ_CHECK(!parser.recordData().isEmpty());
    FUZZ_CHECK(sections.startAddresses.size() == sections.data.size());
    qint64 sectionBytes = 0;
    for (const QByteArray& section : sections.data)
        sectionBytes += section.size();
    qint64 recordBytes = 0;
    for (const QByteArray& record : parser.recordData())
        recordBytes += record.size();
    FUZZ_CHECK(sectionBytes <= recordBytes);
    return 0;
}
