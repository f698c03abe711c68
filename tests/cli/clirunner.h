// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Runs the real kestrion-cli binary (KESTRION_CLI_BIN) with a home and a
// configuration and data directory of the caller's, so that no test sees another's settings or journal.
class CliRunner
{
public:
    struct Result
    {
        bool finished = false;
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    // A run that has not ended by then has hung: the test fails on `finished`.
    static constexpr int timeoutMs = 60000;

    static QString program() { return QStringLiteral(KESTRION_CLI_BIN); }
    static QString configDirectory(const QString& home) { return home + QStringLiteral("/.config"); }
    // The journal and the last scan: the home's own, whatever the caller's environment says.
    static QString dataHome(const QString& home) { return home + QStringLiteral("/.local/share"); }
    static QString dataDirectory(const QString& home) { return dataHome(home) + QStringLiteral("/Ostravi/Kestrion"); }
    static QString settingsPath(const QString& home)
    {
        return configDirectory(home) + QStringLiteral("/Ostravi/Kestrion/kestrionConfig.ini");
    }

    // `input` is all the program reads on standard input; it then sees its end, and never waits for more.
    static Result run(const QStringList& arguments, const QString& home, const QByteArray& input = {})
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configDirectory(home));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome(home));
        process.setProcessEnvironment(environment);
        process.start(program(), arguments);
        process.write(input);
        process.closeWriteChannel();
        Result result;
        result.finished = process.waitForStarted(timeoutMs) && process.waitForFinished(timeoutMs);
        if (!result.finished)
            process.kill();
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }
};
