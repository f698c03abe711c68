// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"
#include "model/device_t.h"

class NetworkChangeJournal;

#include <QCoreApplication>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QtGlobal>

// "set MAC": gives one instrument new network settings the way the window's
// configuration page does, then rescans to see whether it answers as told.
class CliSetCommand : public CliCommand
{
    Q_DECLARE_TR_FUNCTIONS(CliSetCommand)

public:
    // Rescans after a send before the move counts as failed.
    static constexpr int verifyScans = 3;

    QString name() const override;
    QString synopsis() const override;
    QString summary() const override;
    QString description() const override;
    ScanOptions scanOptions() const override;
    void addOptions(QCommandLineParser& parser) override;
    QString takeArguments(const QCommandLineParser& parser) override;
    int run(CliContext& context) override;

private:
    struct Typed
    {
        bool given = false;
        quint32 value = 0;
    };
    struct NetworkSettings
    {
        quint32 ip = 0;
        quint32 mask = 0;
        quint32 gateway = 0;
        bool dhcp = false;
    };

    QString takeAddresses(const QCommandLineParser& parser);
    // Empty when the device can take the settings asked for, else why not.
    QString settingsFor(const Device_t& device, NetworkSettings& settings, CliContext& context) const;
    void applyFixedNetwork(NetworkSettings& settings, CliContext& context) const;
    QString takeAddress(const Typed& typed, const QString& present, const QString& option, quint32& value) const;
    // Says who else answers at the new address, if anyone; nothing is sent then.
    bool refusedAsDuplicate(CliContext& context, const QList<Device_t>& devices, const Device_t& device,
                            const NetworkSettings& settings) const;
    // Sends, checks and completes the journal entry `id` with the outcome; the exit code.
    int sendAndCheck(CliContext& context, const Device_t& device, const NetworkSettings& settings,
                     NetworkChangeJournal& journal, const QString& id) const;
    bool send(CliContext& context, const Device_t& device, const NetworkSettings& settings, QString& refusal) const;
    static QJsonObject journalValues(const NetworkSettings& settings);
    static void reportJournal(CliContext& context, NetworkChangeJournal& journal);
    int verify(CliContext& context, const NetworkSettings& settings, NetworkChangeJournal& journal,
               const QString& id) const;

    QString m_mac;
    Typed m_ip;
    Typed m_mask;
    Typed m_gateway;
    bool m_dhcpGiven = false;
    bool m_dhcpOn = false;
    bool m_verify = true;
    bool m_allowDuplicate = false;
};
