// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The settings file as a user may have edited it: the input is the whole INI file. Whatever it
// holds, every value the program reads stays where the setters would have let it.
#include "fuzzsupport.h"
#include "model/appsettings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {
QTemporaryDir* workDir = nullptr;
quint64 runs = 0;

bool inRange(int value, int highest)
{
    return value >= 1 && value <= highest;
}

bool usableRangeAddress(const QHostAddress& address)
{
    return !address.isNull() && address != QHostAddress(QHostAddress::Broadcast) && !address.isLoopback();
}

void readEveryValue(AppSettings& settings)
{
    FUZZ_CHECK(inRange(settings.getScanTime(), 99000));
    FUZZ_CHECK(inRange(settings.getTimeout(), 999000));
    FUZZ_CHECK(inRange(settings.getNumbeOfThreads(), 50));
    FUZZ_CHECK(inRange(settings.getWaitForBytesWritten(), 999000));
    FUZZ_CHECK(inRange(settings.getWaitForReadyRead(), 999000));
    FUZZ_CHECK(inRange(settings.getWaitForConnected(), 999000));
    FUZZ_CHECK(usableRangeAddress(settings.getStartIP()));
    FUZZ_CHECK(usableRangeAddress(settings.getEndIP()));
    FUZZ_CHECK(QFileInfo(settings.getFwDefaultDir()).isDir());
    settings.getFlagManualIP();
    settings.getFlagSendUnicastMessage();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::startApplication(argc, argv);
    workDir = new QTemporaryDir;
    if (!workDir->isValid())
        return 1;
    qputenv("HOME", QFile::encodeName(workDir->path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(workDir->filePath(QStringLiteral("config"))));
    return QDir().mkpath(QFileInfo(AppSettings::filePath()).absolutePath()) ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = AppSettings::filePath();
    FUZZ_CHECK(path.startsWith(workDir->path()));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size));
        // Qt keeps a settings file it has read and reads it again only when size or time differ.
        FUZZ_CHECK(file.setFileTime(QDateTime::fromSecsSinceEpoch(qint64(++runs)), QFileDevice::FileModificationTime));
    }
    AppSettings settings;
    readEveryValue(settings);
    return 0;
}
