// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/clioutput.h"

#include "discovery/client.h"
#include "model/device.h"
#include "model/fieldtables.h"
#include "model/unittext.h"
#include "netconf/changedeviceconfigurations.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTextStream>

namespace {
constexpr auto columnGap = "  ";
constexpr auto emptyCell = "-";

QString cell(const QString& text)
{
    return text.isEmpty() ? QString::fromLatin1(emptyCell) : text;
}
} // namespace

QJsonObject CliOutput::deviceObject(const Device_t& found)
{
    const Device_t device = UnitText::cleaned(found);
    QJsonObject object;
    for (auto it = FieldMandatoryMap.cbegin(); it != FieldMandatoryMap.cend(); ++it)
        object.insert(it.value(), deviceField(device, it.key()));
    // Units report DHCP as "1", "0", "NA", "Unknown" or nothing; a script gets one of three words.
    object.insert(FieldMandatoryMap.value(DHCP), UnitText::dhcpWord(device.dhcp));
    object.insert(QLatin1String(catalogFamilyKey), device::getFamily(device.code));
    object.insert(QLatin1String(catalogGroupKey), device::getGroup(device.code));
    object.insert(QLatin1String(catalogDescriptionKey), device::getDesc(device.code));
    QJsonObject extra;
    for (const QMap<QString, QString>& pair : device.additionalInfo) {
        for (auto it = pair.cbegin(); it != pair.cend(); ++it)
            extra.insert(it.key(), it.value());
    }
    object.insert(QLatin1String(extraKey), extra);
    return object;
}

QByteArray CliOutput::devicesJson(const QList<Device_t>& devices)
{
    QJsonArray array;
    for (const Device_t& device : devices)
        array.append(deviceObject(device));
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QString CliOutput::devicesCsv(const QList<Device_t>& found)
{
    const QList<Device_t> devices = UnitText::cleaned(found);
    QString text;
    QTextStream stream(&text);
    changeNetworkConfiguration::writeNetwConf(stream, devices);
    stream.flush();
    return withDhcpColumn(text, devices);
}

QString CliOutput::withDhcpColumn(const QString& file, const QList<Device_t>& devices)
{
    // The import reads the first seven fields of a row, so a last column for DHCP leaves the file
    // importable; the rows follow the column line in the order of the devices.
    QStringList lines = file.split(QLatin1Char('\n'));
    const int columnsLine = lines.indexOf(QRegularExpression(QStringLiteral("^Key,.*")));
    if (columnsLine < 0)
        return file;
    lines[columnsLine] += QStringLiteral(",DHCP");
    for (int i = 0; i < devices.size() && columnsLine + 1 + i < lines.size(); ++i)
        lines[columnsLine + 1 + i] += QLatin1Char(',') + UnitText::dhcpWord(devices.at(i).dhcp);
    return lines.join(QLatin1Char('\n'));
}

QString CliOutput::devicesTable(const QList<Device_t>& devices)
{
    const QStringList header{tr("Code"), tr("Group"), tr("Module ID"), tr("Serial"),  tr("Firmware"),
                             tr("MAC"),  tr("IP"),    tr("Mask"),      tr("Gateway"), tr("DHCP")};
    QList<QStringList> rows;
    for (const Device_t& d : UnitText::cleaned(devices)) {
        rows.append({cell(d.code), cell(d.group), cell(d.moduleId), cell(d.serialNumber), cell(d.firmwareVersion),
                     cell(d.mac), cell(d.ip), cell(d.netmask), cell(d.gateway), UnitText::dhcpWord(d.dhcp)});
    }
    return table(header, rows);
}

QString CliOutput::interfacesTable(const QList<interfaces_t>& interfaces)
{
    const QStringList header{tr("Scan"), tr("Name"), tr("Address"), tr("Mask")};
    QList<QStringList> rows;
    for (const interfaces_t& record : interfaces)
        rows.append({Client::scansInterface(record) ? tr("yes") : tr("no"), record.name, record.ip, record.mask});
    return table(header, rows);
}

QString CliOutput::table(const QStringList& header, const QList<QStringList>& rows)
{
    QVector<int> widths(header.size(), 0);
    for (const QStringList& row : QList<QStringList>{header} + rows) {
        for (int column = 0; column < row.size() && column < widths.size(); ++column)
            widths[column] = qMax(widths[column], row.at(column).size());
    }
    QString text;
    for (const QStringList& row : QList<QStringList>{header} + rows) {
        QString line;
        for (int column = 0; column < row.size() && column < widths.size(); ++column) {
            if (column > 0)
                line += QLatin1String(columnGap);
            line += row.at(column).leftJustified(widths.at(column));
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        text += line + QLatin1Char('\n');
    }
    return text;
}

QString CliOutput::change(const QString& before, const QString& after)
{
    return before + QStringLiteral(" \u2192 ") + after;
}
