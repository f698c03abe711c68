// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"

#include <QCoreApplication>

// "upgrade": takes its options so that scripts get a clear answer, and says that
// this build cannot upgrade firmware from the command line.
class CliUpgradeCommand : public CliCommand
{
    Q_DECLARE_TR_FUNCTIONS(CliUpgradeCommand)

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
