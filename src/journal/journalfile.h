// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The journal's files in one directory: "journal.jsonl" takes the appends; when it has reached its size
// it is renamed to "journal-<UTC time>.jsonl" and a new one begins. Nothing is ever deleted or rewritten.
class JournalFile
{
    Q_DECLARE_TR_FUNCTIONS(JournalFile)

public:
    static constexpr char currentName[] = "journal.jsonl";
    static constexpr qint64 defaultRotationBytes = 10 * 1024 * 1024;
    static constexpr int defaultLockTimeoutMs = 5000;

    explicit JournalFile(const QString& directory);

    void setRotationBytes(qint64 bytes) { m_rotationBytes = bytes; }
    void setLockTimeoutMs(int milliseconds) { m_lockTimeoutMs = milliseconds; }
    QString directory() const { return m_directory; }

    // Appends one line (the newline is added) under the directory's lock and makes it durable before
    // returning. Empty when it was written, else why not.
    QString append(const QByteArray& line) const;

    // Every journal file of the directory, oldest first: the rotated ones by their time, the current last.
    static QStringList files(const QString& directory);

private:
    QString currentPath() const;
    QString appendLocked(const QByteArray& line) const;
    QString rotateIfFull(qint64 adding) const;
    QString rotatedPath(QDateTime time) const;

    QString m_directory;
    qint64 m_rotationBytes = defaultRotationBytes;
    int m_lockTimeoutMs = defaultLockTimeoutMs;
};
