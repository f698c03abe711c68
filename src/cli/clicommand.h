// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class CliContext;
class QCommandLineParser;

// One subcommand of kestrion-cli. The application parses the command line with the
// options the command adds, lets it take its arguments (a bad one ends the run with
// exit code 2 before anything is sent) and then runs it.
class CliCommand
{
public:
    // Which of the scan engine's options a command accepts.
    enum class ScanOptions { None, InterfacesOnly, All };

    virtual ~CliCommand() = default;

    virtual QString name() const = 0;
    // What follows the name in the usage line, e.g. "[options] FILE".
    virtual QString synopsis() const = 0;
    // One line for the command list of the general help.
    virtual QString summary() const = 0;
    // The paragraph at the top of the command's own help.
    virtual QString description() const = 0;
    virtual ScanOptions scanOptions() const = 0;

    virtual void addOptions(QCommandLineParser& parser) = 0;
    // Empty when the arguments are good, else a message naming the first bad one.
    virtual QString takeArguments(const QCommandLineParser& parser) = 0;
    // The exit code (cliExit).
    virtual int run(CliContext& context) = 0;
};
