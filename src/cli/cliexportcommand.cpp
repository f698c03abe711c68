// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliexportcommand.h"

#include "cli/cliarguments.h"
#include "cli/clicontext.h"
#include "cli/cliexit.h"
#include "cli/cliscanner.h"
#include "netconf/changedeviceconfigurations.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

QString CliExportCommand::name() const
{
    return QStringLiteral("export");
}

QString CliExportCommand::synopsis() const
{
    return QStringLiteral("[options] FILE");
}

QString CliExportCommand::summary() const
{
    return tr("Write the network configuration file of the instruments found");
}

QString CliExportCommand::description() const
{
    return tr("Scans and writes FILE in the network configuration format of the window's Tools menu. When no "
              "instrument answers, FILE is left as it was.");
}

CliCommand::ScanOptions CliExportCommand::scanOptions() const
{
    return ScanOptions::All;
}

void CliExportCommand::addOptions(QCommandLineParser& parser)
{
    parser.addPositionalArgument(QStringLiteral("FILE"), tr("The network configuration file to write."));
}

QString CliExportCommand::takeArguments(const QCommandLineParser& parser)
{
    const QStringList positionals = parser.positionalArguments();
    QString problem = cliArguments::checkPositionals(positionals, {QStringLiteral("FILE")});
    if (problem.isEmpty())
        problem = writableFileProblem(positionals.first());
    if (problem.isEmpty())
        m_path = positionals.first();
    return problem;
}

QString CliExportCommand::writableFileProblem(const QString& path)
{
    const QFileInfo file(path);
    if (file.isDir())
        return tr("%1 is a folder").arg(path);
    if (file.exists())
        return file.isWritable() ? QString() : tr("%1 cannot be written").arg(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return tr("the folder %1 does not exist").arg(folder.filePath());
    return folder.isWritable() ? QString() : tr("the folder %1 cannot be written").arg(folder.filePath());
}

int CliExportCommand::run(CliContext& context)
{
    const QList<Device_t> devices = context.scanner().scan();
    if (devices.isEmpty()) {
        context.error(tr("no instrument answered; %1 was not written").arg(m_path));
        return cliExit::nothingFound;
    }
    changeNetworkConfiguration writer;
    writer.downloadNetwConf(devices, m_path);
    if (!writer.lastError().isEmpty()) {
        context.error(writer.lastError());
        return cliExit::failed;
    }
    context.out() << tr("Network configuration of %n device(s) written to %1", nullptr, devices.size()).arg(m_path)
                  << '\n';
    return cliExit::success;
}
