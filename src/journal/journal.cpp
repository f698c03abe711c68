// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/journal.h"

#include <QJsonDocument>
#include <QUuid>

#include <pwd.h>
#include <unistd.h>

Journal::Journal(const QString& directory) : m_file(directory) {}

QString Journal::begin(JournalRecord record)
{
    if (record.id.isEmpty())
        record.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!record.begun.isValid())
        record.begun = QDateTime::currentDateTimeUtc();
    if (record.user.isEmpty())
        record.user = userName();
    return append(record.begunJson()) ? record.id : QString();
}

bool Journal::complete(const QString& id, JournalRecord::Outcome outcome, const QString& message,
                       const QJsonObject& result)
{
    return append(JournalRecord::completionJson(id, QDateTime::currentDateTimeUtc(), outcome, message, result));
}

bool Journal::append(const QJsonObject& object)
{
    m_lastError = m_file.append(QJsonDocument(object).toJson(QJsonDocument::Compact));
    return m_lastError.isEmpty();
}

QString Journal::userName()
{
    // Looked up once: the account database may be a file read anew at every call.
    static const QString name = lookUpUserName();
    return name;
}

QString Journal::lookUpUserName()
{
    // The reentrant call: sending paths may begin their records from worker threads.
    passwd entry{};
    passwd* account = nullptr;
    char buffer[4096];
    ::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &account);
    QString name = account ? QString::fromLocal8Bit(account->pw_name) : qEnvironmentVariable("USER");
    const QString sudoUser = qEnvironmentVariable("SUDO_USER");
    if (!sudoUser.isEmpty() && sudoUser != name)
        name += QStringLiteral(" (sudo: %1)").arg(sudoUser);
    return name;
}
