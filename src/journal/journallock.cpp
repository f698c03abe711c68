// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journallock.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
constexpr int retryMs = 2;
} // namespace

JournalLock::JournalLock(const QString& directory, int timeoutMs)
{
    const QString path = QDir(directory).filePath(QLatin1String(fileName));
    m_handle = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_handle < 0) {
        m_error = tr("the journal's lock file %1 cannot be opened").arg(path);
        return;
    }
    QElapsedTimer waited;
    waited.start();
    while (!(m_locked = ::flock(m_handle, LOCK_EX | LOCK_NB) == 0) && waited.elapsed() < timeoutMs)
        QThread::msleep(retryMs);
    if (!m_locked)
        m_error = tr("the journal is locked by another program and stayed locked for %1 ms").arg(timeoutMs);
}

JournalLock::~JournalLock()
{
    if (m_handle >= 0)
        ::close(m_handle);
}
