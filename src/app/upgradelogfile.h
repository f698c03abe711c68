// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The log of one upgrade run, written to a file of its own in the user's data folder as it grows, so
// that a run's log outlives the window, a crash and a page that was cleared. Only the newest
// `keptFiles` logs are kept.
class UpgradeLogFile
{
public:
    static constexpr int keptFiles = 200;

    // Where the logs go: the application's data location.
    static QString folder();

    // A new file for a new run; the oldest logs beyond `keptFiles` are removed.
    void start();
    // Appends `text` as one or more lines; false when the file cannot be written.
    bool append(const QString& text);
    // Empty before the first run.
    QString path() const { return m_path; }

private:
    static void removeOldest();

    QString m_path;
};
