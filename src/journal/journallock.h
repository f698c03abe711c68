// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>

// The exclusive lock around one append to the journal, held while the object lives: flock() on a lock
// file that stays in place and is never written. The lock ends with the process that holds it, so a crash
// leaves none behind, and taking it changes nothing on disk that the append's flush would have to write
// out as well (a lock file made and removed each time made every append several times slower).
class JournalLock
{
    Q_DECLARE_TR_FUNCTIONS(JournalLock)

public:
    static constexpr char fileName[] = "journal.lock";

    // Waits up to timeoutMs for the lock; error() says why when it was not had.
    JournalLock(const QString& directory, int timeoutMs);
    ~JournalLock();
    JournalLock(const JournalLock&) = delete;
    JournalLock& operator=(const JournalLock&) = delete;

    bool isLocked() const { return m_locked; }
    QString error() const { return m_error; }

private:
    int m_handle = -1;
    bool m_locked = false;
    QString m_error;
};
