// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// bench_journal [DIRECTORY]
//
// Appends 1,000 changes to a journal in a temporary directory (or DIRECTORY, to measure another disk) and
// prints the median cost of one append, its flush to disk included; then writes a journal of 100,000
// changes in 10 MB files and prints how long reading it takes, whole and filtered by a MAC and a text,
// and how long the history window takes to show it, opened and then narrowed by a typed text.
// Exits with 1 when an append's median exceeds 5 ms or a read 1 s.
#include "dialogs/historydialog.h"
#include "journal/journal.h"
#include "journal/journalfile.h"
#include "journal/journalreader.h"
#include "journal/journalvalues.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {
constexpr int appends = 1000;
constexpr int journalChanges = 100000;
constexpr double appendLimitMs = 5.0;
constexpr double readLimitMs = 1000.0;
constexpr auto rotatedTimeFormat = "yyyyMMdd'T'HHmmsszzz'Z'";

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QString macOf(int unit)
{
    return QStringLiteral("02:C1:00:00:%1:%2")
        .arg((unit >> 8) & 0xff, 2, 16, QLatin1Char('0'))
        .arg(unit & 0xff, 2, 16, QLatin1Char('0'))
        .toUpper();
}

JournalRecord change(int number)
{
    JournalRecord record;
    record.kind = number % 10 == 0 ? JournalRecord::Kind::FirmwareUpgrade : JournalRecord::Kind::NetworkSettings;
    const int unit = number % 500;
    record.unit = {macOf(unit),
                   QStringLiteral("PS%1").arg(unit),
                   QStringLiteral("1100"),
                   QStringLiteral("Power supplies"),
                   QStringLiteral("Bipolar supply"),
                   QStringLiteral("10.0.%1.%2").arg(unit / 250).arg(unit % 250 + 1)};
    if (record.kind == JournalRecord::Kind::FirmwareUpgrade) {
        record.before = JournalValues::firmwareVersion(QStringLiteral("2.15"));
        record.after = {
            {QLatin1String(JournalValues::fileKey), QStringLiteral("/lab/images/supply-%1.updt").arg(number)},
            {QLatin1String(JournalValues::sizeKey), 262144},
            {QLatin1String(JournalValues::sha256Key), QString(64, QLatin1Char('a'))}};
    } else {
        record.before = JournalValues::network(record.unit.ip, QStringLiteral("255.255.255.0"),
                                               QStringLiteral("10.0.0.1"), QStringLiteral("1"));
        record.after =
            JournalValues::network(QStringLiteral("10.1.0.%1").arg(number % 250 + 1), QStringLiteral("255.255.255.0"),
                                   QStringLiteral("10.0.0.1"), QStringLiteral("0"));
    }
    return record;
}

double medianAppendMs(const QString& directory)
{
    Journal journal(directory);
    std::vector<qint64> costs;
    costs.reserve(appends);
    QElapsedTimer timer;
    for (int i = 0; i < appends; ++i) {
        timer.start();
        if (journal.begin(change(i)).isEmpty()) {
            out() << "append failed: " << journal.lastError() << '\n';
            return -1;
        }
        costs.push_back(timer.nsecsElapsed());
    }
    std::sort(costs.begin(), costs.end());
    return costs.at(costs.size() / 2) / 1e6;
}

// Written in one go, as the rotations would have left them: the journal's own appends would spend
// minutes on their flushes.
void writeLargeJournal(const QString& directory)
{
    QDir().mkpath(directory);
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-365);
    QByteArray content;
    int files = 0;
    auto flush = [&](bool last) {
        const QString name = last ? QString::fromLatin1(JournalFile::currentName)
                                  : QStringLiteral("journal-%1.jsonl")
                                        .arg(start.addSecs(files).toString(QLatin1String(rotatedTimeFormat)));
        QFile file(QDir(directory).filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        content.clear();
        ++files;
    };
    for (int i = 0; i < journalChanges; ++i) {
        JournalRecord record = change(i);
        record.id = QStringLiteral("change-%1").arg(i);
        record.begun = start.addSecs(i * 60);
        record.user = QStringLiteral("alice");
        content += QJsonDocument(record.begunJson()).toJson(QJsonDocument::Compact) + '\n';
        content += QJsonDocument(JournalRecord::completionJson(record.id, record.begun.addSecs(5),
                                                               JournalRecord::Outcome::Succeeded,
                                                               QStringLiteral("answers from its new address"), {}))
                       .toJson(QJsonDocument::Compact) +
                   '\n';
        if (content.size() >= JournalFile::defaultRotationBytes)
            flush(false);
    }
    flush(true);
    out() << "journal of " << journalChanges << " changes: " << JournalFile::files(directory).size() << " files\n";
}

double readMs(const QString& directory, const JournalFilter& filter, const QString& what)
{
    QElapsedTimer timer;
    timer.start();
    const JournalReader::Result result = JournalReader(directory).read(filter);
    const double ms = timer.nsecsElapsed() / 1e6;
    out() << "read " << what << ": " << result.records.size() << " changes, " << result.warnings.size() << " warnings, "
          << QString::number(ms, 'f', 1) << " ms (limit " << readLimitMs << " ms)\n";
    return ms;
}
// The program's main window has been shown before History is opened: fonts and style are loaded by then.
void warmUpWidgets()
{
    QTableView view;
    view.show();
    QCoreApplication::processEvents();
}

// From the window's request to a painted table: the dialog reads, fills and shows the newest changes.
double historyWindowMs(const QString& directory, const QString& typed)
{
    QElapsedTimer timer;
    timer.start();
    HistoryDialog dialog(nullptr, nullptr, directory);
    dialog.show();
    QCoreApplication::processEvents();
    const double openMs = timer.nsecsElapsed() / 1e6;
    out() << "history window open: " << dialog.records().size() << " changes shown, " << QString::number(openMs, 'f', 1)
          << " ms (limit " << readLimitMs << " ms)\n";
    auto* filter = dialog.findChild<QLineEdit*>(QStringLiteral("historyFilter"));
    timer.start();
    filter->setText(typed);
    QCoreApplication::processEvents();
    const double filterMs = timer.nsecsElapsed() / 1e6;
    out() << "history window filtered by \"" << typed << "\": " << dialog.records().size() << " changes shown, "
          << QString::number(filterMs, 'f', 1) << " ms (limit " << readLimitMs << " ms)\n";
    return std::max(openMs, filterMs);
}
} // namespace

int main(int argc, char* argv[])
{
    // The window's timing needs no screen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temporary(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/bench-journal-XXXXXX")
                                     : QString());
    if (!temporary.isValid())
        return 2;
    const double append = medianAppendMs(temporary.filePath(QStringLiteral("appends")));
    out() << "append with flush: median " << QString::number(append, 'f', 3) << " ms of " << appends << " (limit "
          << appendLimitMs << " ms)\n";
    const QString large = temporary.filePath(QStringLiteral("large"));
    writeLargeJournal(large);
    JournalFilter byMac;
    byMac.mac = macOf(42).toLower();
    JournalFilter byText;
    byText.text = QStringLiteral("supply-99990");
    warmUpWidgets();
    // The window first: that is how the user meets the journal, in a program that has not read it yet and
    // whose memory has not grown to hold it.
    const double window = historyWindowMs(large, QStringLiteral("10.1.0.17"));
    const double slowest =
        std::max({window, readMs(large, {}, QStringLiteral("all")), readMs(large, byMac, QStringLiteral("by MAC")),
                  readMs(large, byText, QStringLiteral("by text"))});
    out().flush();
    return append >= 0 && append <= appendLimitMs && slowest <= readLimitMs ? 0 : 1;
}
