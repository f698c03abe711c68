// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "eventlog.h"
#include "lab.h"
#include "labconfig.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSaveFile>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

namespace {
constexpr int kExitBadUsage = 2;
constexpr int kExitLabFailed = 1;

int refuse(const QString& message, int status)
{
    std::fprintf(stderr, "kestrion-sim: %s\n", qPrintable(message));
    return status;
}

// The harness reads these lines to build one veth pair per link.
int printLinks(const LabConfig& config)
{
    for (const LinkConfig& link : config.links()) {
        std::printf("%s %s %s %d\n", qPrintable(link.name), qPrintable(LabConfig::ipText(link.toolIp)),
                    qPrintable(LabConfig::ipText(link.labIp)), link.prefix);
    }
    return 0;
}

bool signalReady(const QString& path)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("ready\n") > 0 && file.commit();
}
} // namespace

int main(int argc, char* argv[])
{
    // A lab left behind by a killed harness would hold its addresses forever: die with the parent.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrion-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated Ostravi instruments and XPort modules of a lab file."));
    parser.addHelpOption();
    const QCommandLineOption labOption(QStringLiteral("lab"), QStringLiteral("The lab file."), QStringLiteral("file"));
    const QCommandLineOption logOption(QStringLiteral("log"), QStringLiteral("The JSON-lines log."),
                                       QStringLiteral("file"));
    const QCommandLineOption readyOption(
        QStringLiteral("ready"), QStringLiteral("File written once every socket is bound."), QStringLiteral("file"));
    const QCommandLineOption linksOption(QStringLiteral("links"),
                                         QStringLiteral("Print the links (name toolIp labIp prefix) and exit."));
    parser.addOptions({labOption, logOption, readyOption, linksOption});
    parser.process(app);

    if (!parser.isSet(labOption))
        return refuse(QStringLiteral("--lab is required"), kExitBadUsage);
    LabConfig config;
    if (!config.load(parser.value(labOption)))
        return refuse(config.errorString(), kExitBadUsage);
    if (parser.isSet(linksOption))
        return printLinks(config);
    if (!parser.isSet(logOption))
        return refuse(QStringLiteral("--log is required"), kExitBadUsage);

    EventLog log;
    if (!log.open(parser.value(logOption)))
        return refuse(QStringLiteral("cannot open the log: %1").arg(log.errorString()), kExitLabFailed);
    Lab lab(config, &log);
    QString error;
    if (!lab.start(&error))
        return refuse(error, kExitLabFailed);
    if (parser.isSet(readyOption) && !signalReady(parser.value(readyOption)))
        return refuse(QStringLiteral("cannot write the ready file"), kExitLabFailed);
    return app.exec();
}
