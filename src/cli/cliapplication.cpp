// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliapplication.h"

#include "cli/clicheckcommand.h"
#include "cli/clicontext.h"
#include "cli/cliexit.h"
#include "cli/cliexportcommand.h"
#include "cli/clihistorycommand.h"
#include "cli/cliimportcommand.h"
#include "cli/cliinterfacescommand.h"
#include "cli/clioutput.h"
#include "cli/cliscancommand.h"
#include "cli/cliscanner.h"
#include "cli/clisetcommand.h"
#include "cli/cliundocommand.h"
#include "cli/cliupgradecommand.h"
#include "model/qtcompat.h"

#include <cstdio>

namespace {
constexpr auto helpOption = "help";
constexpr auto helpShortOption = "h";
constexpr auto versionOption = "version";
constexpr auto versionShortOption = "v";
constexpr auto usagePrefix = "Usage: ";
constexpr int helpWidth = 79;

QString program()
{
    return QString::fromLatin1(CliApplication::programName);
}

// The parser prints a description as one line, however long.
QString wrapped(const QString& text, int width)
{
    QString result;
    int lineLength = 0;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > width) {
            result += QLatin1Char('\n');
            lineLength = 0;
        } else if (lineLength > 0) {
            result += QLatin1Char(' ');
            ++lineLength;
        }
        result += word;
        lineLength += word.size();
    }
    return result;
}

bool isOneOf(const QString& argument, const char* longName, const char* shortName)
{
    return argument == QStringLiteral("--") + QLatin1String(longName) ||
           argument == QStringLiteral("-") + QLatin1String(shortName);
}
} // namespace

CliApplication::CliApplication() : m_out(stdout), m_err(stderr)
{
    // JSON is UTF-8 whatever the locale, and so is everything else printed.
    qtcompat::writeUtf8(m_out);
    qtcompat::writeUtf8(m_err);
    m_commands.push_back(std::make_unique<CliInterfacesCommand>());
    m_commands.push_back(std::make_unique<CliScanCommand>());
    m_commands.push_back(std::make_unique<CliSetCommand>());
    m_commands.push_back(std::make_unique<CliExportCommand>());
    m_commands.push_back(std::make_unique<CliImportCommand>());
    m_commands.push_back(std::make_unique<CliCheckCommand>());
    m_commands.push_back(std::make_unique<CliUpgradeCommand>());
    m_commands.push_back(std::make_unique<CliHistoryCommand>());
    m_commands.push_back(std::make_unique<CliUndoCommand>());
}

CliApplication::~CliApplication()
{
    m_out.flush();
    m_err.flush();
}

int CliApplication::run(const QStringList& arguments)
{
    const QString first = arguments.value(1);
    if (first.isEmpty())
        return usageError(program(), tr("no command given (see %1 --help)").arg(program()));
    if (isOneOf(first, helpOption, helpShortOption)) {
        m_out << generalHelp();
        return cliExit::success;
    }
    if (isOneOf(first, versionOption, versionShortOption)) {
        m_out << program() << ' ' << QCoreApplication::applicationVersion() << '\n';
        return cliExit::success;
    }
    CliCommand* command = findCommand(first);
    if (!command)
        return usageError(program(), tr("unknown command \"%1\" (see %2 --help)").arg(first, program()));
    const int code = runCommand(*command, arguments);
    m_out.flush();
    m_err.flush();
    return code;
}

CliCommand* CliApplication::findCommand(const QString& name) const
{
    for (const auto& command : m_commands) {
        if (command->name() == name)
            return command.get();
    }
    return nullptr;
}

int CliApplication::runCommand(CliCommand& command, const QStringList& arguments)
{
    const QString where = program() + QLatin1Char(' ') + command.name();
    QCommandLineParser parser;
    prepareParser(command, parser);
    if (!parser.parse(QStringList{arguments.first()} + arguments.mid(2)))
        return usageError(where, parser.errorText() + tr(" (see %1 --help)").arg(where));
    if (parser.isSet(QString::fromLatin1(helpOption))) {
        m_out << commandHelp(command, parser);
        return cliExit::success;
    }
    CliScanner scanner;
    const QString problem = takeArguments(command, parser, scanner);
    if (!problem.isEmpty())
        return usageError(where, problem);
    CliContext context(m_out, m_err, scanner, command.name());
    return command.run(context);
}

void CliApplication::prepareParser(CliCommand& command, QCommandLineParser& parser) const
{
    parser.setApplicationDescription(wrapped(command.description(), helpWidth));
    parser.addOption({{QString::fromLatin1(helpShortOption), QString::fromLatin1(helpOption)},
                      tr("Show this help and the exit codes.")});
    command.addOptions(parser);
    if (command.scanOptions() == CliCommand::ScanOptions::InterfacesOnly)
        CliScanner::addInterfaceOption(parser);
    else if (command.scanOptions() == CliCommand::ScanOptions::All)
        CliScanner::addScanOptions(parser);
}

QString CliApplication::takeArguments(CliCommand& command, const QCommandLineParser& parser, CliScanner& scanner) const
{
    // The scan options first: a mistyped option is reported even when the file named after it
    // cannot be used either, so the user mends the command line before looking at the disk.
    QString problem;
    if (command.scanOptions() == CliCommand::ScanOptions::InterfacesOnly)
        problem = scanner.takeInterfaceOption(parser);
    else if (command.scanOptions() == CliCommand::ScanOptions::All)
        problem = scanner.takeScanOptions(parser);
    if (problem.isEmpty())
        problem = command.takeArguments(parser);
    return problem;
}

int CliApplication::usageError(const QString& where, const QString& message)
{
    m_err << where << ": " << message << '\n';
    m_err.flush();
    return cliExit::badUsage;
}

QString CliApplication::commandHelp(CliCommand& command, const QCommandLineParser& parser) const
{
    QString text = parser.helpText();
    // The parser knows no subcommands: its usage line is replaced by the command's own.
    const int usageEnd = text.indexOf(QLatin1Char('\n'));
    text.replace(0, usageEnd,
                 QLatin1String(usagePrefix) + program() + QLatin1Char(' ') + command.name() + QLatin1Char(' ') +
                     command.synopsis());
    return text + QLatin1Char('\n') + exitCodesHelp();
}

QString CliApplication::generalHelp() const
{
    QList<QStringList> rows;
    for (const auto& command : m_commands)
        rows.append({QStringLiteral(" "), command->name(), command->summary()});
    return QLatin1String(usagePrefix) + program() + tr(" COMMAND [options]\n\n") +
           tr("Finds Ostravi networked instruments, changes their network settings and upgrades their firmware,\n"
              "as the Kestrion window does, with the window's settings file (read, never written).\n\n"
              "Commands:\n") +
           CliOutput::table({QString(), QString(), QString()}, rows).section(QLatin1Char('\n'), 1) +
           tr("\nOptions:\n  -h, --help     Show this help, or after a command that command's help.\n"
              "  -v, --version  Show the version.\n\n") +
           exitCodesHelp() + tr("\nRun \"%1 COMMAND --help\" for the options of a command.\n").arg(program());
}

QString CliApplication::exitCodesHelp()
{
    return tr("Exit codes:\n"
              "  %1  success\n"
              "  %2  the operation failed (nothing sent, a device that did not move, a file not written, a failed "
              "upgrade)\n"
              "  %3  bad usage: a bad command, option, address, MAC, interface or file; nothing was sent\n"
              "  %4  nothing found: no instrument answered, or not the one named\n")
        .arg(cliExit::success)
        .arg(cliExit::failed)
        .arg(cliExit::badUsage)
        .arg(cliExit::nothingFound);
}
