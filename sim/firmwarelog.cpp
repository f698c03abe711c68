// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmwarelog.h"

#include "eventlog.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>

namespace {
QString hexText(const char* data, qint64 size)
{
    return QString::fromLatin1(QByteArray::fromRawData(data, int(size)).toHex());
}
} // namespace

void FirmwareLog::connected(quint16 port, const QString& peer)
{
    m_log->event({{QStringLiteral("proto"), QStringLiteral("tcp")},
                  {QStringLiteral("event"), QStringLiteral("connect")},
                  {QStringLiteral("unit"), m_unit},
                  {QStringLiteral("port"), port},
                  {QStringLiteral("src"), peer}});
}

void FirmwareLog::received(quint16 port, const QString& peer, const QByteArray& data)
{
    m_log->event({{QStringLiteral("proto"), QStringLiteral("tcp")},
                  {QStringLiteral("event"), QStringLiteral("data")},
                  {QStringLiteral("unit"), m_unit},
                  {QStringLiteral("port"), port},
                  {QStringLiteral("src"), peer},
                  {QStringLiteral("len"), data.size()},
                  {QStringLiteral("hex"), QString::fromLatin1(data.toHex())}});
}

void FirmwareLog::receivedUpload(quint16 port, const QString& peer, const char* data, qint64 size)
{
    m_log->event({{QStringLiteral("proto"), QStringLiteral("tcp")},
                  {QStringLiteral("event"), QStringLiteral("data")},
                  {QStringLiteral("unit"), m_unit},
                  {QStringLiteral("port"), port},
                  {QStringLiteral("src"), peer},
                  {QStringLiteral("len"), size},
                  {QStringLiteral("hex"), hexText(data, std::min<qint64>(size, kUploadPreview))}});
}

void FirmwareLog::upload(qint64 bytes, const QByteArray& sha256, const QString& end, const QString& version)
{
    QJsonObject line{{QStringLiteral("event"), QStringLiteral("upload")},
                     {QStringLiteral("unit"), m_unit},
                     {QStringLiteral("bytes"), bytes},
                     {QStringLiteral("end"), end}};
    if (!sha256.isEmpty())
        line.insert(QStringLiteral("sha256"), QString::fromLatin1(sha256.toHex()));
    if (!version.isEmpty())
        line.insert(QStringLiteral("fw"), version);
    m_log->event(line);
}

void FirmwareLog::erase(int sector)
{
    m_log->event({{QStringLiteral("event"), QStringLiteral("erase")},
                  {QStringLiteral("unit"), m_unit},
                  {QStringLiteral("sector"), sector}});
}

void FirmwareLog::refused(const QByteArray& command, const QString& reason)
{
    m_log->event({{QStringLiteral("event"), QStringLiteral("refused")},
                  {QStringLiteral("unit"), m_unit},
                  {QStringLiteral("command"), QString::fromLatin1(command)},
                  {QStringLiteral("reason"), reason}});
}

void FirmwareLog::flash(int lines, int refused, const QList<FlashMemory::Region>& regions)
{
    QJsonArray written;
    for (const FlashMemory::Region& region : regions) {
        written.append(QJsonObject{{QStringLiteral("start"), qint64(region.start)},
                                   {QStringLiteral("length"), qint64(region.length)},
                                   {QStringLiteral("sha256"), QString::fromLatin1(region.sha256.toHex())}});
    }
    m_log->event({{QStringLiteral("event"), QStringLiteral("flash")},
                  {QStringLiteral("unit"), m_unit},
                  {QStringLiteral("lines"), lines},
                  {QStringLiteral("refused"), refused},
                  {QStringLiteral("regions"), written}});
}

void FirmwareLog::reboot(const QString& version)
{
    m_log->event({{QStringLiteral("event"), QStringLiteral("reboot")},
                  {QStringLiteral("unit"), m_unit},
                  {QStringLiteral("fw"), version}});
}

void FirmwareLog::upgradeBegins(const QString& peer)
{
    m_log->event({{QStringLiteral("event"), QStringLiteral("upgrade")},
                  {QStringLiteral("unit"), m_unit},
                  {QStringLiteral("phase"), QStringLiteral("begin")},
                  {QStringLiteral("src"), peer}});
}

void FirmwareLog::upgradeEnds(const QString& peer)
{
    m_log->event({{QStringLiteral("event"), QStringLiteral("upgrade")},
                  {QStringLiteral("unit"), m_unit},
                  {QStringLiteral("phase"), QStringLiteral("end")},
                  {QStringLiteral("src"), peer}});
}

void FirmwareLog::problem(const QString& text)
{
    m_log->problem(m_unit, text);
}
