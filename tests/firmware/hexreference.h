// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>

// An Intel HEX file as Debian's python3-intelhex reads it, record by record (hexreference.py).
namespace hexreference {

using Records = QList<QPair<quint32, QByteArray>>;

struct Reference
{
    bool skipped = false;
    QString skipReason;
    QString error;         // intelhex's refusal, empty when it took every line up to the end-of-file record
    Records records;       // the data records, at their addresses
    int end = 0;           // line of the end-of-file record, 0 without one
    bool afterEnd = false; // a non-empty line after it, which intelhex does not read
    int overlap = 0;       // the first line that writes a word an earlier line wrote, or 0
};

inline Reference intelhexReading(const QString& path)
{
    constexpr char python[] = "/usr/bin/python3";
    constexpr int skipStatus = 77;
    Reference reference;
    if (!QFile::exists(QString::fromLatin1(python))) {
        reference.skipped = true;
        reference.skipReason = QStringLiteral("/usr/bin/python3 is missing");
        return reference;
    }
    QProcess process;
    process.start(QString::fromLatin1(python), {QStringLiteral(KESTRION_TESTS_DIR "/firmware/hexreference.py"), path});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        reference.error = QStringLiteral("the reference reader did not finish");
        return reference;
    }
    if (process.exitCode() == skipStatus) {
        reference.skipped = true;
        reference.skipReason = QStringLiteral("python3-intelhex is missing (Debian package python3-intelhex)");
        return reference;
    }
    if (process.exitCode() != 0)
        reference.error = QString::fromLocal8Bit(process.readAllStandardError());
    const QJsonObject answer = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    reference.error += answer.value(QStringLiteral("error")).toString();
    reference.end = answer.value(QStringLiteral("end")).toInt();
    reference.afterEnd = answer.value(QStringLiteral("afterEnd")).toBool();
    reference.overlap = answer.value(QStringLiteral("overlap")).toInt();
    for (const QJsonValue& entry : answer.value(QStringLiteral("records")).toArray()) {
        const QJsonArray pair = entry.toArray();
        reference.records.append(
            {quint32(pair.at(0).toDouble()), QByteArray::fromHex(pair.at(1).toString().toLatin1())});
    }
    return reference;
}

} // namespace hexreference
