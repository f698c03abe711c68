// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"
#include "model/device_t.h"

class NetworkChangeJournal;

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

// "import FILE": compares a network configuration file with the instruments found
// and sends, as the window's import does, only the rows that change something.
class CliImportCommand : public CliCommand
{
    Q_DECLARE_TR_FUNCTIONS(CliImportCommand)

public:
    QString name() const override;
    QString synopsis() const override;
    QString summary() const override;
    QString description() const override;
    ScanOptions scanOptions() const override;
    void addOptions(QCommandLineParser& parser) override;
    QString takeArguments(const QCommandLineParser& parser) override;
    int run(CliContext& context) override;

    // What a row would change on the device ("IP a → b", ...); empty when nothing.
    static QStringList differences(const Device_t& device, const QList<QString>& row);

private:
    QString takeRows(const QString& path);
    QString checkRow(const QString& path, int number, const QList<QString>& row) const;
    // Says who else would answer at a new address of the rows, if anyone; nothing is sent then.
    static bool refusedAsDuplicate(CliContext& context, const QList<Device_t>& devices,
                                   const QList<QList<QString>>& rows);
    // `devices`: the unit of each row, as the scan found it.
    int send(CliContext& context, const QList<QList<QString>>& rows, const QList<Device_t>& devices) const;
    static QStringList beginJournal(NetworkChangeJournal& journal, const QList<QList<QString>>& rows,
                                    const QList<Device_t>& devices);
    static void reportJournal(CliContext& context, NetworkChangeJournal& journal);

    QList<QList<QString>> m_rows;
    bool m_dryRun = false;
    bool m_allowDuplicate = false;
};
