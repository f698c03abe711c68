// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"

#include <QCoreApplication>

// "scan": finds the instruments and prints them as a table, JSON or the configuration file.
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
    Format m_format = Format::Table;
};
