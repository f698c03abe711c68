// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"

#include <QCoreApplication>

// "interfaces": the host's IPv4 interfaces, marking those a scan queries.
class CliInterfacesCommand : public CliCommand
{
    Q_DECLARE_TR_FUNCTIONS(CliInterfacesCommand)

public:
    QString name() const override;
    QString synopsis() const override;
    QString summary() const override;
    QString description() const override;
    ScanOptions scanOptions() const override;
    void addOptions(QCommandLineParser& parser) override;
    QString takeArguments(const QCommandLineParser& parser) override;
    int run(CliContext& context) override;
};
