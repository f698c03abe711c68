// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/unitlock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr auto defaultDirectory = "/tmp/kestrion-locks";
constexpr auto directoryVariable = "KESTRION_LOCK_DIR";
constexpr mode_t sharedDirectoryMode = 01777;
constexpr mode_t sharedFileMode = 0666;
constexpr qint64 holderBytes = 4096;

constexpr auto programKey = "program";
constexpr auto pidKey = "pid";
constexpr auto sinceKey = "since";
constexpr auto purposeKey = "purpose";
constexpr auto upgradeWord = "upgrade";
constexpr auto configurationWord = "configuration";

// The claims this process holds: the lock file's handle and how many UnitLocks share it.
struct Claim
{
    int handle = -1;
    int count = 0;
};

QMutex& claimsMutex()
{
    static QMutex mutex;
    return mutex;
}

QHash<QString, Claim>& claims()
{
    static QHash<QString, Claim> held;
    return held;
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Made by whoever comes first, open to every user; the sticky bit keeps users from removing others' files.
bool makeDirectory(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), sharedDirectoryMode) == 0)
        return ::chmod(name.constData(), sharedDirectoryMode) == 0;
    return errno == EEXIST && QFileInfo(path).isDir();
}

// A file another user made cannot be opened with O_CREAT in a sticky folder where the kernel protects
// such files, so it is opened as it is first and made only when missing; a file this user may not write
// is still locked through a read-only handle.
int openLockFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    for (int attempt = 0; attempt < 2; ++attempt) {
        int handle = ::open(name.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (handle < 0 && errno == EACCES)
            handle = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (handle >= 0 || errno != ENOENT)
            return handle;
        handle = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, sharedFileMode);
        if (handle >= 0) {
            ::fchmod(handle, sharedFileMode);
            return handle;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

QString programName()
{
    const QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    return path.isEmpty() ? QStringLiteral("kestrion") : QFileInfo(path).fileName();
}

// False when the handle is read-only: the claim then stands without saying who holds it.
bool writeHolder(int handle, UnitLock::Purpose purpose)
{
    const QJsonObject holder{{QLatin1String(programKey), programName()},
                             {QLatin1String(pidKey), qint64(::getpid())},
                             {QLatin1String(sinceKey), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                             {QLatin1String(purposeKey),
                              QLatin1String(purpose == UnitLock::Purpose::Upgrade ? upgradeWord : configurationWord)}};
    const QByteArray text = QJsonDocument(holder).toJson(QJsonDocument::Compact) + '\n';
    return ::ftruncate(handle, 0) == 0 && ::pwrite(handle, text.constData(), size_t(text.size()), 0) == text.size();
}

// The file stays (see the class comment); emptied, it names no holder that has gone.
bool forgetHolder(int handle)
{
    return ::ftruncate(handle, 0) == 0;
}

QString sinceText(const QString& isoUtc)
{
    const QDateTime since = QDateTime::fromString(isoUtc, Qt::ISODate).toLocalTime();
    if (!since.isValid())
        return QStringLiteral("?");
    const bool today = since.date() == QDate::currentDate();
    return since.toString(today ? QStringLiteral("HH:mm") : QStringLiteral("yyyy-MM-dd HH:mm"));
}
} // namespace

UnitLock::UnitLock(const QString& mac, Purpose purpose)
    : m_mac(mac.toUpper()), m_key(mac.toUpper().remove(QLatin1Char(':')).remove(QLatin1Char('-')))
{
    claim(purpose);
}

UnitLock::~UnitLock()
{
    if (!m_held || m_keep)
        return;
    QMutexLocker locker(&claimsMutex());
    Claim& held = claims()[m_key];
    if (--held.count > 0)
        return;
    (void)forgetHolder(held.handle);
    ::close(held.handle);
    claims().remove(m_key);
}

void UnitLock::claim(Purpose purpose)
{
    QMutexLocker locker(&claimsMutex());
    if (claims().contains(m_key)) {
        ++claims()[m_key].count;
        m_held = true;
        return;
    }
    const QString folder = directory();
    const QString path = QDir(folder).filePath(m_key + QStringLiteral(".lock"));
    const int handle = makeDirectory(folder) ? openLockFile(path) : -1;
    if (handle < 0) {
        m_refusal = tr("%1 cannot be claimed for sending: %2: %3").arg(m_mac, path, errnoText());
        return;
    }
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0) {
        m_refusal = holderText(handle);
        ::close(handle);
        return;
    }
    (void)writeHolder(handle, purpose);
    claims().insert(m_key, {handle, 1});
    m_held = true;
}

QString UnitLock::holderText(int handle) const
{
    QByteArray text(holderBytes, '\0');
    const ssize_t length = ::pread(handle, text.data(), size_t(text.size()), 0);
    const QJsonObject holder = QJsonDocument::fromJson(text.left(int(qMax<ssize_t>(length, 0)))).object();
    const QString program = holder.value(QLatin1String(programKey)).toString();
    if (program.isEmpty())
        return tr("%1 is in use by another Kestrion program").arg(m_mac);
    const QString pid = QString::number(holder.value(QLatin1String(pidKey)).toVariant().toLongLong());
    const QString since = sinceText(holder.value(QLatin1String(sinceKey)).toString());
    if (holder.value(QLatin1String(purposeKey)).toString() == QLatin1String(upgradeWord))
        return tr("%1 is being upgraded by %2, process %3, since %4").arg(m_mac, program, pid, since);
    return tr("%1 is being configured by %2, process %3, since %4").arg(m_mac, program, pid, since);
}

QString UnitLock::claimAll(const QStringList& macs, Purpose purpose, Held& held)
{
    Held taken;
    for (const QString& mac : macs) {
        auto lock = std::make_unique<UnitLock>(mac, purpose);
        if (!lock->isHeld())
            return lock->refusal();
        taken.push_back(std::move(lock));
    }
    for (auto& lock : taken)
        held.push_back(std::move(lock));
    return {};
}

QString UnitLock::claimAll(const QList<Device_t>& units, Purpose purpose, Held& held)
{
    QStringList macs;
    for (const Device_t& unit : units)
        macs << unit.mac;
    return claimAll(macs, purpose, held);
}

QString UnitLock::directory()
{
    const QString chosen = qEnvironmentVariable(directoryVariable);
    return chosen.isEmpty() ? QString::fromLatin1(defaultDirectory) : chosen;
}
