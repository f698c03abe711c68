// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/appsettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr auto settingsFileName = "/kestrionConfig.ini";

constexpr auto keyScanTime = "scan/scanTime";
constexpr auto keyTimeout = "update/timeout";
constexpr auto keyManualIp = "update/manualIp";
constexpr auto keySendUnicast = "scan/sendUnicast";
constexpr auto keyStartIp = "scan/startIp";
constexpr auto keyEndIp = "scan/endIp";
constexpr auto keyFwDefaultDir = "update/fwDefaultDir";
constexpr auto keyThreads = "tcp/nThreads";
constexpr auto keyWaitWritten = "tcp/waitWritten";
constexpr auto keyWaitRead = "tcp/waitRead";
constexpr auto keyWaitConnected = "tcp/waitConnected";
constexpr auto keyParallel = "update/parallel";
constexpr auto keyMaxFailures = "update/maxFailures";

constexpr int defaultScanTime = 200;
constexpr int defaultTimeout = 120000;
constexpr bool defaultManualIp = false;
constexpr bool defaultSendUnicast = false;
constexpr auto defaultStartIp = "192.168.0.1";
constexpr auto defaultEndIp = "192.168.0.254";
constexpr int defaultThreads = 10;
constexpr int defaultWait = 1000;

constexpr int maxTimeout = 999000;
constexpr int maxThreads = 50;
constexpr int maxWait = 999000;

QString key(const char* name)
{
    return QString::fromLatin1(name);
}

bool inRange(int value, int highest)
{
    return value >= 1 && value <= highest;
}

// A stored address is usable for the sweep unless it is the broadcast or a
// loopback address (or no address at all).
bool acceptableRangeAddress(const QHostAddress& address)
{
    return !address.isNull() && address != QHostAddress(QHostAddress::Broadcast) && !address.isLoopback();
}

} // namespace

AppSettings::AppSettings(MissingKeys missingKeys) : QSettings(filePath(), QSettings::IniFormat)
{
    if (missingKeys == MissingKeys::LeaveFileAlone)
        return;
    QDir().mkpath(QFileInfo(fileName()).absolutePath());
    const QList<QPair<QString, QVariant>> defaults{
        {key(keyScanTime), defaultScanTime},
        {key(keyTimeout), defaultTimeout},
        {key(keyManualIp), defaultManualIp},
        {key(keySendUnicast), defaultSendUnicast},
        {key(keyStartIp), QString::fromLatin1(defaultStartIp)},
        {key(keyEndIp), QString::fromLatin1(defaultEndIp)},
        {key(keyFwDefaultDir), QDir::homePath()},
        {key(keyThreads), defaultThreads},
        {key(keyWaitWritten), defaultWait},
        {key(keyWaitRead), defaultWait},
        {key(keyWaitConnected), defaultWait},
        {key(keyParallel), defaultParallelUpgrades},
        {key(keyMaxFailures), defaultMaxFailures},
    };
    bool wrote = false;
    for (const auto& entry : defaults) {
        if (!contains(entry.first)) {
            setValue(entry.first, entry.second);
            wrote = true;
        }
    }
    // A first start leaves a complete file behind at once.
    if (wrote)
        sync();
}

QString AppSettings::filePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QLatin1String(settingsFileName);
}

namespace {

// A hand-edited value outside the setter's range (a scan of weeks, a negative wait that
// Qt reads as "wait for ever") counts as unreadable.
int intOr(const QVariant& stored, int highest, int fallback)
{
    bool ok = false;
    const int result = stored.toString().trimmed().toInt(&ok);
    return ok && inRange(result, highest) ? result : fallback;
}

bool boolOr(const QVariant& stored, bool fallback)
{
    const QString text = stored.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return fallback;
}

QHostAddress addressOr(const QVariant& stored, const char* fallback)
{
    const QHostAddress address(stored.toString().trimmed());
    return acceptableRangeAddress(address) ? address : QHostAddress(QString::fromLatin1(fallback));
}

} // namespace

int AppSettings::getScanTime()
{
    return intOr(value(key(keyScanTime)), maxScanTime, defaultScanTime);
}
int AppSettings::getTimeout()
{
    return intOr(value(key(keyTimeout)), maxTimeout, defaultTimeout);
}
bool AppSettings::getFlagManualIP()
{
    return boolOr(value(key(keyManualIp)), defaultManualIp);
}
bool AppSettings::getFlagSendUnicastMessage()
{
    return boolOr(value(key(keySendUnicast)), defaultSendUnicast);
}
QHostAddress AppSettings::getStartIP()
{
    return addressOr(value(key(keyStartIp)), defaultStartIp);
}
QHostAddress AppSettings::getEndIP()
{
    return addressOr(value(key(keyEndIp)), defaultEndIp);
}
int AppSettings::getNumbeOfThreads()
{
    return intOr(value(key(keyThreads)), maxThreads, defaultThreads);
}
int AppSettings::getWaitForBytesWritten()
{
    return intOr(value(key(keyWaitWritten)), maxWait, defaultWait);
}
int AppSettings::getWaitForReadyRead()
{
    return intOr(value(key(keyWaitRead)), maxWait, defaultWait);
}
int AppSettings::getWaitForConnected()
{
    return intOr(value(key(keyWaitConnected)), maxWait, defaultWait);
}
int AppSettings::getParallelUpgrades()
{
    return intOr(value(key(keyParallel)), maxParallelUpgrades, defaultParallelUpgrades);
}
int AppSettings::getMaxFailures()
{
    return intOr(value(key(keyMaxFailures)), maxMaxFailures, defaultMaxFailures);
}

QString AppSettings::getFwDefaultDir()
{
    const QString stored = value(key(keyFwDefaultDir)).toString();
    if (!stored.isEmpty() && QFileInfo(stored).isDir())
        return stored;
    return QDir::homePath();
}

void AppSettings::setScanTime(int ms)
{
    if (inRange(ms, maxScanTime) && ms != getScanTime())
        setValue(key(keyScanTime), ms);
}

void AppSettings::setResponseTimeout(int ms)
{
    if (inRange(ms, maxTimeout) && ms != getTimeout())
        setValue(key(keyTimeout), ms);
}

void AppSettings::setFlagManualIP(bool flag)
{
    if (flag != getFlagManualIP())
        setValue(key(keyManualIp), flag);
}

void AppSettings::setFlagSendUnicastMessage(bool flag)
{
    if (flag != getFlagSendUnicastMessage())
        setValue(key(keySendUnicast), flag);
}

void AppSettings::setStartIP(const QHostAddress& address)
{
    if (acceptableRangeAddress(address) && address != getStartIP())
        setValue(key(keyStartIp), address.toString());
}

void AppSettings::setEndIP(const QHostAddress& address)
{
    if (acceptableRangeAddress(address) && address != getEndIP())
        setValue(key(keyEndIp), address.toString());
}

void AppSettings::setFwDefaultDir(const QString& path)
{
    // Callers hand over the chosen firmware file: its folder is remembered.
    const QString directory = QFileInfo(path).absolutePath();
    if (!directory.isEmpty() && QFileInfo(directory).isDir() && directory != getFwDefaultDir())
        setValue(key(keyFwDefaultDir), directory);
}

void AppSettings::setNumbeOfThreads(int count)
{
    if (inRange(count, maxThreads) && count != getNumbeOfThreads())
        setValue(key(keyThreads), count);
}

void AppSettings::setWaitForBytesWritten(int ms)
{
    if (inRange(ms, maxWait) && ms != getWaitForBytesWritten())
        setValue(key(keyWaitWritten), ms);
}

void AppSettings::setWaitForReadyRead(int ms)
{
    if (inRange(ms, maxWait) && ms != getWaitForReadyRead())
        setValue(key(keyWaitRead), ms);
}

void AppSettings::setWaitForConnected(int ms)
{
    if (inRange(ms, maxWait) && ms != getWaitForConnected())
        setValue(key(keyWaitConnected), ms);
}

void AppSettings::save()
{
    sync();
}

void AppSettings::setParallelUpgrades(int count)
{
    if (inRange(count, maxParallelUpgrades) && count != getParallelUpgrades())
        setValue(key(keyParallel), count);
}

void AppSettings::setMaxFailures(int count)
{
    if (inRange(count, maxMaxFailures) && count != getMaxFailures())
        setValue(key(keyMaxFailures), count);
}
