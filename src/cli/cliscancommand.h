// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"
#include "journal/scandifference.h"
#include "model/device_t.h"

#include <QCoreApplication>
#include <QList>

#include <optional>

// "scan": finds the instruments and prints them as a table, JSON or the configuration file, with
// --diff also what has changed since the last scan. Every scan that finds units is kept as the last.
class CliScanCommand : public CliCommand
{
    Q_DECLARE_TR_FUNCTIONS(CliScanCommand)

public:
    QString name() const override;
    QString synopsis() const override;
    QString summary() const override;
    QString description() const override;
    ScanOptions scanOptions() const override;
    void addOptions(QCommandLineParser& parser) override;
    QString takeArguments(const QCommandLineParser& parser) override;
    int run(CliContext& context) override;

private:
    enum class Format { Table, Json, Csv };
    void printDevices(CliContext& context, const QList<Device_t>& devices,
                      const std::optional<ScanDifference>& difference) const;
    // The last scan before this one, read before this one replaces it.
    static std::optional<ScanDifference> differenceFromLast(CliContext& context, const QList<Device_t>& devices);

    Format m_format = Format::Table;
    bool m_diff = false;
};
