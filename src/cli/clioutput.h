// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"
#include "model/interfaces_t.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// The three shapes in which kestrion-cli prints what it found.
class CliOutput
{
    Q_DECLARE_TR_FUNCTIONS(CliOutput)

public:
    // Keys beside the twelve record keywords.
    static constexpr char catalogFamilyKey[] = "catalogFamily";
    static constexpr char catalogGroupKey[] = "catalogGroup";
    static constexpr char catalogDescriptionKey[] = "catalogDescription";
    // The unit's extra pairs, as an object of their own so that no unit key can clash with ours.
    static constexpr char extraKey[] = "extra";

    // Every record keyword with its printable text (DHCP as on, off or unknown), the catalog's entries
    // for the code and the extra pairs.
    static QJsonObject deviceObject(const Device_t& device);
    static QByteArray devicesJson(const QList<Device_t>& devices);
    // The network configuration file's text with a last column, DHCP, of on, off or unknown.
    static QString devicesCsv(const QList<Device_t>& devices);
    static QString devicesTable(const QList<Device_t>& devices);
    // Scan column "yes" for the interfaces a scan queries.
    static QString interfacesTable(const QList<interfaces_t>& interfaces);
    // Columns padded to their widest cell, two blanks apart.
    static QString table(const QStringList& header, const QList<QStringList>& rows);
    // "old → new".
    static QString change(const QString& before, const QString& after);

private:
    static QString withDhcpColumn(const QString& file, const QList<Device_t>& devices);
};
