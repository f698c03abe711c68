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
#include <QStringList>

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

// One reading for each path, in their order: one run of the reader for all, as it takes long to start.
inline QList<Reference> intelhexReadings(const QStringList& paths)
{
    constexpr char python[] = "/usr/bin/python3";
    constexpr int skipStatus = 77;
    Reference failed;
    QProcess process;
    if (QFile::exists(QString::fromLatin1(python)))
        process.start(QString::fromLatin1(python),
                      QStringList{QStringLiteral(KESTRION_TESTS_DIR "/firmware/hexreference.py")} + paths);
    if (!QFile::exists(QString::fromLatin1(python)) ||
        (process.waitForFinished(60000) && process.exitCode() == skipStatus)) {
        failed.skipped = true;
        failed.skipReason = QStringLiteral("/usr/bin/python3 with python3-intelhex (Debian package) is needed");
    } else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        failed.error =
            QStringLiteral("the reference reader failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
    }
    const QList<QByteArray> answers = process.readAllStandardOutput().split('\n');
    QList<Reference> readings;
    for (int i = 0; i < paths.size(); ++i) {
        if (failed.skipped || !failed.error.isEmpty() || i >= answers.size()) {
            readings.append(failed);
            continue;
        }
        const QJsonObject answer = QJsonDocument::fromJson(answers.at(i)).object();
        Reference reference;
        reference.error = answer.value(QStringLiteral("error")).toString();
        reference.end = answer.value(QStringLiteral("end")).toInt();
        reference.afterEnd = answer.value(QStringLiteral("afterEnd")).toBool();
        reference.overlap = answer.value(QStringLiteral("overlap")).toInt();
        for (const QJsonValue& entry : answer.value(QStringLiteral("records")).toArray()) {
            const QJsonArray pair = entry.toArray();
            reference.records.append(
                {quint32(pair.at(0).toDouble()), QByteArray::fromHex(pair.at(1).toString().toLatin1())});
        }
        readings.append(reference);
    }
    return readings;
}

inline Reference intelhexReading(const QString& path)
{
    return intelhexReadings({path}).first();
}

} // namespace hexreference
