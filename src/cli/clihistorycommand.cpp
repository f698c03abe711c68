// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/clihistorycommand.h"

#include "cli/cliarguments.h"
#include "cli/clicontext.h"
#include "cli/cliexit.h"
#include "cli/clioutput.h"
#include "journal/journalreader.h"
#include "journal/journaltext.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

#include <algorithm>

namespace {
constexpr auto deviceOption = "device";
constexpr auto sinceOption = "since";
constexpr auto searchOption = "search";
constexpr auto jsonOption = "json";

QString option(const char* name)
{
    return QString::fromLatin1(name);
}
} // namespace

QString CliHistoryCommand::name() const
{
    return QStringLiteral("history");
}

QString CliHistoryCommand::synopsis() const
{
    return QStringLiteral("[options]");
}

QString CliHistoryCommand::summary() const
{
    return tr("Print the changes sent to instruments, newest first, from the journal");
}

QString CliHistoryCommand::description() const
{
    return tr("Prints the journal of the changes the window and the command line have sent to instruments "
              "(network settings, firmware upgrades, undos), newest first: one line per change with its time, "
              "user, unit, kind, old and new values and outcome, or a JSON array of the records (--json). "
              "Nothing is sent.");
}

CliCommand::ScanOptions CliHistoryCommand::scanOptions() const
{
    return ScanOptions::None;
}

void CliHistoryCommand::addOptions(QCommandLineParser& parser)
{
    parser.addOption(
        {option(deviceOption), tr("Only the changes of the unit with this MAC address."), QStringLiteral("MAC")});
    parser.addOption({option(sinceOption),
                      tr("Only the changes from this day (YYYY-MM-DD) or local time (YYYY-MM-DDTHH:MM) on."),
                      QStringLiteral("DATE")});
    parser.addOption({option(searchOption),
                      tr("Only the changes that mention TEXT: a MAC, serial number, address, file or user."),
                      QStringLiteral("TEXT")});
    parser.addOption({option(jsonOption), tr("Print a JSON array of the records, newest first.")});
}

QString CliHistoryCommand::takeArguments(const QCommandLineParser& parser)
{
    m_json = parser.isSet(option(jsonOption));
    m_filter.text = parser.value(option(searchOption));
    if (parser.isSet(option(deviceOption))) {
        const QString problem =
            cliArguments::checkMac(QStringLiteral("--device"), parser.value(option(deviceOption)), m_filter.mac);
        if (!problem.isEmpty())
            return problem;
    }
    if (parser.isSet(option(sinceOption))) {
        m_filter.since = sinceTime(parser.value(option(sinceOption)));
        if (!m_filter.since.isValid())
            return tr("--since \"%1\" is no date (YYYY-MM-DD) or time (YYYY-MM-DDTHH:MM)")
                .arg(parser.value(option(sinceOption)));
    }
    return cliArguments::checkPositionals(parser.positionalArguments(), {});
}

int CliHistoryCommand::run(CliContext& context)
{
    JournalReader::Result journal = JournalReader().read(m_filter);
    for (const QString& warning : qAsConst(journal.warnings))
        context.error(warning);
    JournalRecords& records = journal.records;
    std::stable_sort(records.begin(), records.end(),
                     [](const JournalRecord& a, const JournalRecord& b) { return a.begun > b.begun; });
    if (m_json) {
        QJsonArray array;
        for (const JournalRecord& record : qAsConst(records))
            array.append(record.toJson());
        context.out() << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
        return cliExit::success;
    }
    QList<QStringList> rows;
    for (const JournalRecord& record : qAsConst(records))
        rows.append({JournalText::time(record.begun), JournalText::user(record.user), JournalText::unit(record.unit),
                     JournalText::kind(record.kind), JournalText::change(record), JournalText::outcome(record)});
    if (rows.isEmpty())
        context.error(tr("no change recorded"));
    else
        context.out() << CliOutput::table({tr("Time"), tr("User"), tr("Unit"), tr("Kind"), tr("Change"), tr("Outcome")},
                                          rows);
    return cliExit::success;
}

QDateTime CliHistoryCommand::sinceTime(const QString& text)
{
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (day.isValid())
        return day.startOfDay();
    return QDateTime::fromString(text, Qt::ISODate);
}
