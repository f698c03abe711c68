// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journalfile.h"

#include "journal/datalocation.h"
#include "journal/journallock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr auto rotatedPrefix = "journal-";
constexpr auto rotatedSuffix = ".jsonl";
// Sorts as it reads, and has no colon, which some file systems and tools dislike.
constexpr auto rotatedTimeFormat = "yyyyMMdd'T'HHmmsszzz'Z'";

// A rename or a new file is only durable once the directory itself is on disk.
void syncDirectory(const QString& directory)
{
    const int handle = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY);
    if (handle < 0)
        return;
    ::fsync(handle);
    ::close(handle);
}

// Whether the file's last byte is a newline (an empty file counts as ending in one).
bool endsWithNewline(QFile& file)
{
    if (file.size() == 0)
        return true;
    char last = 0;
    return file.seek(file.size() - 1) && file.getChar(&last) && last == '\n';
}
} // namespace

JournalFile::JournalFile(const QString& directory) : m_directory(directory) {}

QString JournalFile::append(const QByteArray& line) const
{
    if (!DataLocation::ensure(m_directory))
        return tr("the journal's directory %1 cannot be made").arg(m_directory);
    const JournalLock lock(m_directory, m_lockTimeoutMs);
    if (!lock.isLocked())
        return lock.error();
    return appendLocked(line);
}

QString JournalFile::appendLocked(const QByteArray& line) const
{
    const QString rotation = rotateIfFull(line.size() + 1);
    if (!rotation.isEmpty())
        return rotation;
    QFile file(currentPath());
    const bool created = !file.exists();
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append))
        return tr("the journal %1 cannot be opened: %2").arg(file.fileName(), file.errorString());
    // A line cut off by a power failure stays as it is; the new one starts on a line of its own.
    QByteArray bytes = endsWithNewline(file) ? QByteArray() : QByteArray("\n");
    bytes += line + '\n';
    if (!file.seek(file.size()) || file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0)
        return tr("the journal %1 cannot be written: %2").arg(file.fileName(), file.errorString());
    if (created)
        syncDirectory(m_directory);
    return QString();
}

QString JournalFile::rotateIfFull(qint64 adding) const
{
    const QFileInfo current(currentPath());
    if (!current.exists() || current.size() == 0 || current.size() + adding <= m_rotationBytes)
        return QString();
    const QString target = rotatedPath(QDateTime::currentDateTimeUtc());
    if (!QFile::rename(current.filePath(), target))
        return tr("the full journal %1 cannot be renamed to %2").arg(current.filePath(), target);
    syncDirectory(m_directory);
    return QString();
}

QString JournalFile::rotatedPath(QDateTime time) const
{
    // Two rotations within a millisecond take the next free one, so that names keep their order.
    QString path;
    do {
        path = QDir(m_directory)
                   .filePath(QLatin1String(rotatedPrefix) + time.toString(QLatin1String(rotatedTimeFormat)) +
                             QLatin1String(rotatedSuffix));
        time = time.addMSecs(1);
    } while (QFile::exists(path));
    return path;
}

QString JournalFile::currentPath() const
{
    return QDir(m_directory).filePath(QLatin1String(currentName));
}

QStringList JournalFile::files(const QString& directory)
{
    const QDir dir(directory);
    QStringList paths;
    const QStringList rotated = dir.entryList(
        {QLatin1String(rotatedPrefix) + QLatin1Char('*') + QLatin1String(rotatedSuffix)}, QDir::Files, QDir::Name);
    for (const QString& name : rotated)
        paths.append(dir.filePath(name));
    if (dir.exists(QLatin1String(currentName)))
        paths.append(dir.filePath(QLatin1String(currentName)));
    return paths;
}
