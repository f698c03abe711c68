// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"

#include <QCoreApplication>
#include <QString>

// "export FILE": scans and writes the network configuration file of what it found.
class CliExportCommand : public CliCommand
{
    Q_DECLARE_TR_FUNCTIONS(CliExportCommand)

public:
    QString name() const override;
    QString synopsis() const override;
    QString summary() const override;
    QString description() const override;
    ScanOptions scanOptions() const override;
    void addOptions(QCommandLineParser& parser) override;
    QString takeArguments(const QCommandLineParser& parser) override;
    int run(CliContext& context) override;

    // Empty when path can be written without creating a folder, else why not.
    static QString writableFileProblem(const QString& path);

private:
    QString m_path;
};
