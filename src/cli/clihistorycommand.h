// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/clicommand.h"
#include "journal/journalfilter.h"

#include <QCoreApplication>

// "history": the changes the window and the command line have sent, newest first, from the journal.
class CliHistoryCommand : public CliCommand
{
    Q_DECLARE_TR_FUNCTIONS(CliHistoryCommand)

public:
    QString name() const override;
    QString synopsis() const override;
    QString summary() const override;
    QString description() const override;
    ScanOptions scanOptions() const override;
    void addOptions(QCommandLineParser& parser) override;
    QString takeArguments(const QCommandLineParser& parser) override;
    int run(CliContext& context) override;

    // A day ("2026-03-01", from its local midnight) or a local time ("2026-03-01T14:30"); an invalid
    // time when the text is neither.
    static QDateTime sinceTime(const QString& text);

private:
    JournalFilter m_filter;
    bool m_json = false;
};
