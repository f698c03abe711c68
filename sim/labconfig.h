// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "linkconfig.h"
#include "unitconfig.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// Reads and checks a lab file; every mistake in it is reported with the unit it concerns.
class LabConfig
{
public:
    bool load(const QString& path);
    bool parse(const QByteArray& json);

    QString errorString() const { return m_error; }
    const QList<LinkConfig>& links() const { return m_links; }
    const QList<UnitConfig>& units() const { return m_units; }
    const LinkConfig* link(const QString& name) const;

    static QString ipText(quint32 ip);
    static QString macText(const QByteArray& mac);

private:
    bool fail(const QString& message);
    bool parseLinks(const QJsonArray& links);
    bool parseUnits(const QJsonArray& units);
    bool parseUnit(const QJsonObject& object, UnitConfig& unit);
    bool parseCommon(const QJsonObject& object, UnitConfig& unit);
    bool parseLegacy(const QJsonObject& object, UnitConfig& unit);
    bool parseJson(const QJsonObject& object, UnitConfig& unit);
    bool parseXport(const QJsonObject& object, UnitConfig& unit);
    bool parseFlooder(const QJsonObject& object, UnitConfig& unit);
    bool parseFirmware(const QJsonObject& object, UnitConfig& unit);
    bool parseIp(const QJsonObject& object, const QString& key, quint32 fallback, bool required, quint32& ip);

    QString m_error;
    QString m_context;
    QList<LinkConfig> m_links;
    QList<UnitConfig> m_units;
};
