// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <vector>

class CliScanner;

// kestrion-cli: parses "COMMAND [options]", prints the help texts, checks the
// arguments before anything leaves the host, and runs the command.
class CliApplication
{
    Q_DECLARE_TR_FUNCTIONS(CliApplication)

public:
    static constexpr char programName[] = "kestrion-cli";

    CliApplication();
    ~CliApplication();

    // The exit code (cliExit) of one run with these arguments (the program's path first).
    int run(const QStringList& arguments);

    QString generalHelp() const;
    static QString exitCodesHelp();

private:
    CliCommand* findCommand(const QString& name) const;
    int runCommand(CliCommand& command, const QStringList& arguments);
    void prepareParser(CliCommand& command, QCommandLineParser& parser) const;
    QString takeArguments(CliCommand& command, const QCommandLineParser& parser, CliScanner& scanner) const;
    QString commandHelp(CliCommand& command, const QCommandLineParser& parser) const;
    int usageError(const QString& where, const QString& message);

    QTextStream m_out;
    QTextStream m_err;
    std::vector<std::unique_ptr<CliCommand>> m_commands;
};
