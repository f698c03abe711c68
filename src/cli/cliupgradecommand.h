// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"
#include "model/device_t.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class CliUpgradeReport;
class CliUpgradeRun;

// "upgrade": the window's firmware page without the window. The devices named by MAC are found by a scan
// and upgraded by the page's worker, several at once as a fleet run, under the page's selection rules; a manual
// address takes the power-supply procedure without identification, as on the page.
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

private:
    using Runs = std::vector<std::unique_ptr<CliUpgradeRun>>;

    QString takeTargets(const QCommandLineParser& parser);
    QString takeFile(const QString& path);
    QString takeTimeout(const QCommandLineParser& parser);
    QString takeDsp(const QCommandLineParser& parser);
    QString takeFleetOptions(const QCommandLineParser& parser);
    bool canaryFor(int unitCount) const;
    int checkImage(CliContext& context, const QString& code);
    QString dspProblem() const;
    void verifyVersions(CliContext& context, CliUpgradeReport& report, const QList<Device_t>& upgraded) const;
    int findDevices(CliContext& context, QList<Device_t>& devices) const;
    int upgradeInTurn(CliContext& context, const Runs& runs, QList<Device_t>& upgraded) const;
    int upgradeFleet(CliContext& context, const QList<Device_t>& devices) const;

    QStringList m_macs;
    QString m_manualIp;
    QString m_file;
    int m_timeoutMs = 0;
    bool m_json = false;
    bool m_force = false;
    bool m_acceptOtherImageKind = false;
    int m_dsp = 0;
    int m_parallel = 1;
    int m_maxFailures = 0;
    // Unset: on when more units than canaryAboveUnits are upgraded.
    std::optional<bool> m_canary;
};
