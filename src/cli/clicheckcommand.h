// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"
#include "firmware/firmwareimagecheck.h"

#include <QCoreApplication>
#include <QString>

// "check": reads a firmware file whole as "upgrade" would, for a unit (found by a scan), a model (its catalog
// code) or as what its content looks like, and prints what would be sent, without sending anything.
// Whoever is about to upgrade a fleet learns before the first unit is touched whether the file fits.
class CliCheckCommand : public CliCommand
{
    Q_DECLARE_TR_FUNCTIONS(CliCheckCommand)

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
    QString takeFile(const QStringList& positionals);
    QString takeTarget(const QCommandLineParser& parser);
    int findCode(CliContext& context);
    int refuse(CliContext& context, const QString& reason, const FirmwareImageCheck::Result* result = nullptr) const;
    void print(CliContext& context, const FirmwareImage& image) const;
    void printJson(CliContext& context, const FirmwareImage& image) const;
    QString targetDescription() const;

    QString m_file;
    QString m_mac;
    QString m_code;
    bool m_json = false;
};
