// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/upgradelogfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace {
constexpr auto logFilePattern = "update_log_*.txt";
constexpr auto logFileName = "update_log_%1%2.txt";
constexpr auto logTimeFormat = "yyyy_MM_dd_HH_mm_ss";
} // namespace

QString UpgradeLogFile::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void UpgradeLogFile::start()
{
    QDir().mkpath(folder());
    const QString stamp = QDateTime::currentDateTime().toString(QString::fromLatin1(logTimeFormat));
    // Two runs within one second must not share a file.
    QString path = QDir(folder()).filePath(QString::fromLatin1(logFileName).arg(stamp, QString()));
    for (int copy = 2; QFileInfo::exists(path); ++copy)
        path = QDir(folder()).filePath(QString::fromLatin1(logFileName).arg(stamp, QStringLiteral("_%1").arg(copy)));
    m_path = path;
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text))
        file.close();
    removeOldest();
}

bool UpgradeLogFile::append(const QString& text)
{
    if (m_path.isEmpty())
        return false;
    // Opened for each piece: whatever was written is on disk even if the program ends abruptly.
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    QTextStream out(&file);
    out << text << '\n';
    out.flush();
    return file.error() == QFileDevice::NoError;
}

void UpgradeLogFile::removeOldest()
{
    QDir dir(folder());
    // Newest first by name: the time stamp in the name sorts as the time does.
    const QStringList logs =
        dir.entryList({QString::fromLatin1(logFilePattern)}, QDir::Files, QDir::Name | QDir::Reversed);
    for (int i = keptFiles; i < logs.size(); ++i)
        dir.remove(logs.at(i));
}
