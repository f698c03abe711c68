// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>

// Reads the simulator's JSON-lines log (KESTRION_SIM_LOG) for end-to-end tests. The log grows while the
// simulator runs: take the line count as a mark before acting and look only at what came after it.
//
//     const int mark = SimLog::lines().size();
//     ... scan ...
//     QTRY_COMPARE(SimLog::udpHeard(SimLog::lines().mid(mark), 30719).size(), 1);
class SimLog
{
public:
    using Lines = QList<QJsonObject>;

    static QString path() { return qEnvironmentVariable("KESTRION_SIM_LOG"); }
    static bool available() { return !path().isEmpty() && QFile::exists(path()); }

    // Every complete line of the log; a line still being written is left for the next call.
    static Lines lines(const QString& logPath = path())
    {
        Lines result;
        QFile file(logPath);
        if (!file.open(QIODevice::ReadOnly))
            return result;
        const QByteArray text = file.readAll();
        const int end = text.lastIndexOf('\n');
        if (end < 0)
            return result;
        for (const QByteArray& line : text.left(end).split('\n')) {
            const QJsonDocument document = QJsonDocument::fromJson(line);
            if (document.isObject())
                result.append(document.object());
        }
        return result;
    }

    static Lines filter(const Lines& lines, const std::function<bool(const QJsonObject&)>& keep)
    {
        Lines result;
        for (const QJsonObject& line : lines) {
            if (keep(line))
                result.append(line);
        }
        return result;
    }

    // Datagrams the lab heard on UDP port `port`, optionally only on one link.
    static Lines udpHeard(const Lines& lines, int port, const QString& link = QString())
    {
        return filter(lines, [port, link](const QJsonObject& line) {
            return line.value(QLatin1String("proto")).toString() == QLatin1String("udp") &&
                   line.value(QLatin1String("port")).toInt() == port &&
                   (link.isEmpty() || line.value(QLatin1String("link")).toString() == link);
        });
    }

    // Datagrams on `port` whose payload opens with `head` (e.g. "Ostravi Set:").
    static Lines udpStartingWith(const Lines& lines, int port, const QByteArray& head)
    {
        return filter(udpHeard(lines, port), [head](const QJsonObject& line) { return bytes(line).startsWith(head); });
    }

    // TCP events of one unit; `event` is "connect" or "data", empty for both.
    static Lines tcp(const Lines& lines, const QString& unit, const QString& event = QString())
    {
        return filter(lines, [unit, event](const QJsonObject& line) {
            return line.value(QLatin1String("proto")).toString() == QLatin1String("tcp") &&
                   line.value(QLatin1String("unit")).toString() == unit &&
                   (event.isEmpty() || line.value(QLatin1String("event")).toString() == event);
        });
    }

    // Everything one unit received over TCP, chunks joined in order; with `port`, on that port only (the
    // firmware services' lines carry it). Upload-port lines hold only the head of each chunk.
    static QByteArray tcpReceived(const Lines& lines, const QString& unit, int port = 0)
    {
        QByteArray all;
        for (const QJsonObject& line : tcp(lines, unit, QStringLiteral("data"))) {
            if (port == 0 || line.value(QLatin1String("port")).toInt() == port)
                all += bytes(line);
        }
        return all;
    }

    // Lines of one event ("upload", "erase", "flash", "reboot", "refused", ...), of one unit or of all.
    static Lines events(const Lines& lines, const QString& event, const QString& unit = QString())
    {
        return filter(lines, [event, unit](const QJsonObject& line) {
            return line.value(QLatin1String("event")).toString() == event &&
                   (unit.isEmpty() || line.value(QLatin1String("unit")).toString() == unit);
        });
    }

    // Settings changes ("set" events), of one unit or of all.
    static Lines settings(const Lines& lines, const QString& unit = QString())
    {
        return filter(lines, [unit](const QJsonObject& line) {
            return line.value(QLatin1String("event")).toString() == QLatin1String("set") &&
                   (unit.isEmpty() || line.value(QLatin1String("unit")).toString() == unit);
        });
    }

    // Problems the simulator met (ignored settings, failed sends): a clean run has none.
    static Lines errors(const Lines& lines)
    {
        return filter(lines, [](const QJsonObject& line) {
            return line.value(QLatin1String("event")).toString() == QLatin1String("error");
        });
    }

    // The payload of a udp line or a tcp data line.
    static QByteArray bytes(const QJsonObject& line)
    {
        return QByteArray::fromHex(line.value(QLatin1String("hex")).toString().toLatin1());
    }
};
