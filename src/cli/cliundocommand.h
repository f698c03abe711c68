// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"
#include "model/device_t.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

class NetworkUndo;

// "undo ID": sends a unit the network settings it had before a change of the journal, after the same
// address conflict check as "set", rescans to see whether it answers from them again, and journals the
// undo as a change of its own.
class CliUndoCommand : public CliCommand
{
    Q_DECLARE_TR_FUNCTIONS(CliUndoCommand)

public:
    // Rescans after the send before the undo counts as failed, as for "set".
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
    static int refusalExit(const NetworkUndo& undo);
    // Asks on standard input; true only for an answer starting with y.
    bool confirmed(CliContext& context) const;
    bool refusedAsDuplicate(CliContext& context, const NetworkUndo& undo, const QList<Device_t>& devices) const;
    int sendAndVerify(CliContext& context, NetworkUndo& undo, const QList<Device_t>& devices) const;
    static void reportJournal(CliContext& context, NetworkUndo& undo);

    QString m_id;
    bool m_yes = false;
    bool m_allowDuplicate = false;
};
