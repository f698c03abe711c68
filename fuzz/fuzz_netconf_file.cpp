// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The network configuration file reader: the input is the whole file.
#include "fuzzsupport.h"
#include "netconf/changedeviceconfigurations.h"

#include <QFile>
#include <QTemporaryDir>

namespace {
constexpr int rowEntries = 6;
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
    const QString path = workDir->filePath(QStringLiteral("netconf.csv"));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
    file.close();
    changeNetworkConfiguration configuration;
    const QList<QList<QString>> rows = configuration.readNewNetwConfFile(path);
    for (const QList<QString>& row : rows) {
        FUZZ_CHECK(row.size() == rowEntries);
        FUZZ_CHECK(!row.last().contains(QLatin1Char('\n')));
    }
    FUZZ_CHECK(rows.isEmpty() != configuration.lastError().isEmpty());
    return 0;
}
