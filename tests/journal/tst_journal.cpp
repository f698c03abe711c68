// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The journal's writer and reader: records read back as written, a line cut off mid-write skipped and
// left in place, new files at the size limit, and two processes appending at once losing nothing.
// Started with "--append DIR TAG COUNT" the binary is one of those writers instead of the test.
#include "journal/journal.h"
#include "journal/journalfile.h"
#include "journal/journallock.h"
#include "journal/journalreader.h"
#include "journal/journaltext.h"
#include "journal/journalvalues.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr auto appendArgument = "--append";
// Small enough that the writers below start several files while they run.
constexpr qint64 writerRotationBytes = 64 * 1024;
constexpr int writerRecords = 300;
constexpr int writerWaitMs = 60000;

JournalRecord networkChange(const QString& mac, const QString& oldIp, const QString& newIp)
{
    JournalRecord record;
    record.kind = JournalRecord::Kind::NetworkSettings;
    record.unit = {mac,
                   QStringLiteral("PS1001"),
                   QStringLiteral("1100"),
                   QStringLiteral("Power supplies"),
                   QStringLiteral("Bipolar supply"),
                   oldIp};
    record.before =
        JournalValues::network(oldIp, QStringLiteral("255.255.255.0"), QStringLiteral("10.0.0.1"), QStringLiteral("1"));
    record.after =
        JournalValues::network(newIp, QStringLiteral("255.255.255.0"), QStringLiteral("10.0.0.1"), QStringLiteral("0"));
    return record;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One writer process: COUNT changes, each begun and completed, their message "TAG n".
int appendRecords(const QStringList& arguments)
{
    Journal journal(arguments.value(2));
    journal.setRotationBytes(writerRotationBytes);
    journal.setLockTimeoutMs(writerWaitMs);
    const QString tag = arguments.value(3);
    const int count = arguments.value(4).toInt();
    for (int i = 0; i < count; ++i) {
        const QString id = journal.begin(
            networkChange(QStringLiteral("02:C1:00:00:00:01"), QStringLiteral("10.0.0.5"), QStringLiteral("10.0.0.6")));
        if (id.isEmpty() ||
            !journal.complete(id, JournalRecord::Outcome::Succeeded, QStringLiteral("%1 %2").arg(tag).arg(i))) {
            QTextStream(stderr) << journal.lastError() << '\n';
            return 1;
        }
    }
    return 0;
}
} // namespace

class TestJournal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void recordsRoundTrip();
    void firmwareFileIsDescribed();
    void changeWithoutOutcomeIsUnfinished();
    void filterByMacTextAndTime();
    void tornLastLineIsSkippedReportedAndKept();
    void rotatesAtTheSizeAndReadsEveryFile();
    void filtersSeeCompletionsInLaterFiles();
    void longFileWithLateCompletionsAndHandWrittenTimes();
    void completionsReadAlikeInEveryForm_data();
    void completionsReadAlikeInEveryForm();
    void lockedJournalGivesAClearError();
    void twoProcessesLoseNothing();
    void textSaysWhatChanged();

private:
    std::unique_ptr<QTemporaryDir> m_directory;
};

void TestJournal::init()
{
    m_directory = std::make_unique<QTemporaryDir>();
    QVERIFY(m_directory->isValid());
}

void TestJournal::recordsRoundTrip()
{
    Journal journal(m_directory->path());
    const JournalRecord change =
        networkChange(QStringLiteral("02:C1:00:01:00:10"), QStringLiteral("10.0.0.5"), QStringLiteral("10.0.0.9"));
    const QString id = journal.begin(change);
    QVERIFY2(!id.isEmpty(), qPrintable(journal.lastError()));
    QVERIFY(journal.complete(id, JournalRecord::Outcome::Failed, QStringLiteral("no answer"),
                             {{QStringLiteral("retries"), 3}}));

    const JournalReader::Result result = JournalReader(m_directory->path()).read();
    QVERIFY2(result.warnings.isEmpty(), qPrintable(result.warnings.join('\n')));
    QCOMPARE(result.records.size(), 1);
    const JournalRecord& read = result.records.first();
    QCOMPARE(read.id, id);
    QCOMPARE(read.kind, JournalRecord::Kind::NetworkSettings);
    QCOMPARE(read.user, Journal::userName());
    QVERIFY(!read.user.isEmpty());
    QCOMPARE(read.unit.mac, change.unit.mac);
    QCOMPARE(read.unit.serial, change.unit.serial);
    QCOMPARE(read.unit.family, change.unit.family);
    QCOMPARE(read.unit.ip, change.unit.ip);
    QCOMPARE(read.before, change.before);
    QCOMPARE(read.after, change.after);
    QCOMPARE(read.after.value("dhcp").toString(), QStringLiteral("off"));
    QCOMPARE(read.outcome, JournalRecord::Outcome::Failed);
    QCOMPARE(read.message, QStringLiteral("no answer"));
    QCOMPARE(read.result.value("retries").toInt(), 3);
    QVERIFY(qAbs(read.begun.secsTo(QDateTime::currentDateTimeUtc())) < 60);
    QVERIFY(read.completed >= read.begun);

    // On disk: one line before the change was sent, one after, both with the UTC and the local time.
    const QList<QByteArray> lines = fileBytes(m_directory->filePath(JournalFile::currentName)).split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).contains("\"record\":\"begun\""));
    QVERIFY(lines.at(1).contains("\"record\":\"completed\""));
    QVERIFY(lines.at(0).contains("\"timeUtc\":\""));
    QVERIFY(lines.at(0).contains("\"timeLocal\":\""));
    QVERIFY(lines.at(2).isEmpty());
}

void TestJournal::firmwareFileIsDescribed()
{
    const QString path = m_directory->filePath("supply.updt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray content = QByteArray("firmware image ").repeated(100);
    file.write(content);
    file.close();
    const QJsonObject described = JournalValues::firmwareFile(path);
    QCOMPARE(described.value(JournalValues::fileKey).toString(), path);
    QCOMPARE(described.value(JournalValues::sizeKey).toInt(), content.size());
    QCOMPARE(described.value(JournalValues::sha256Key).toString(),
             QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex()));
    const QJsonObject missing = JournalValues::firmwareFile(m_directory->filePath("gone.updt"));
    QVERIFY(missing.contains(JournalValues::fileKey));
    QVERIFY(!missing.contains(JournalValues::sha256Key));
}

void TestJournal::changeWithoutOutcomeIsUnfinished()
{
    Journal journal(m_directory->path());
    QVERIFY(!journal.begin(networkChange("02:C1:00:00:00:02", "10.0.0.2", "10.0.0.3")).isEmpty());
    const JournalReader::Result result = JournalReader(m_directory->path()).read();
    QCOMPARE(result.records.size(), 1);
    QCOMPARE(result.records.first().outcome, JournalRecord::Outcome::Unfinished);
    QVERIFY(!result.records.first().completed.isValid());
}

void TestJournal::filterByMacTextAndTime()
{
    Journal journal(m_directory->path());
    JournalRecord old = networkChange("02:C1:00:00:00:0A", "10.0.0.10", "10.0.0.11");
    old.begun = QDateTime::currentDateTimeUtc().addDays(-10);
    QVERIFY(!journal.begin(old).isEmpty());
    QVERIFY(!journal.begin(networkChange("02:C1:00:00:00:0B", "10.0.0.20", "10.0.0.21")).isEmpty());
    JournalRecord upgrade;
    upgrade.kind = JournalRecord::Kind::FirmwareUpgrade;
    upgrade.unit.mac = "02:C1:00:00:00:0A";
    upgrade.before = JournalValues::firmwareVersion("2.15");
    upgrade.after = JournalValues::firmwareFile("/lab/images/supply-2.16.updt");
    QVERIFY(!journal.begin(upgrade).isEmpty());

    const JournalReader reader(m_directory->path());
    JournalFilter byMac;
    byMac.mac = "02-c1-00-00-00-0a";
    QCOMPARE(reader.read(byMac).records.size(), 2);
    JournalFilter byFile;
    byFile.text = "SUPPLY-2.16";
    QCOMPARE(reader.read(byFile).records.size(), 1);
    JournalFilter byAddress;
    byAddress.text = "10.0.0.21";
    QCOMPARE(reader.read(byAddress).records.size(), 1);
    JournalFilter recent;
    recent.since = QDateTime::currentDateTimeUtc().addDays(-1);
    QCOMPARE(reader.read(recent).records.size(), 2);
    JournalFilter older;
    older.until = QDateTime::currentDateTimeUtc().addDays(-1);
    QCOMPARE(reader.read(older).records.size(), 1);
}

void TestJournal::tornLastLineIsSkippedReportedAndKept()
{
    Journal journal(m_directory->path());
    QVERIFY(!journal.begin(networkChange("02:C1:00:00:00:01", "10.0.0.1", "10.0.0.2")).isEmpty());
    QVERIFY(!journal.begin(networkChange("02:C1:00:00:00:02", "10.0.0.3", "10.0.0.4")).isEmpty());
    const QString path = m_directory->filePath(JournalFile::currentName);
    const QByteArray torn = "{\"record\":\"begun\",\"id\":\"cut-of";
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write(torn);
    }
    const QByteArray before = fileBytes(path);

    JournalReader::Result result = JournalReader(m_directory->path()).read();
    QCOMPARE(result.records.size(), 2);
    QCOMPARE(result.warnings.size(), 1);
    QVERIFY2(result.warnings.first().contains("journal.jsonl:3"), qPrintable(result.warnings.first()));
    QCOMPARE(fileBytes(path), before);

    // The next change starts on a line of its own; the cut line stays as it was.
    QVERIFY(!journal.begin(networkChange("02:C1:00:00:00:03", "10.0.0.5", "10.0.0.6")).isEmpty());
    result = JournalReader(m_directory->path()).read();
    QCOMPARE(result.records.size(), 3);
    QCOMPARE(result.warnings.size(), 1);
    QVERIFY(fileBytes(path).startsWith(before + '\n'));
}

void TestJournal::rotatesAtTheSizeAndReadsEveryFile()
{
    Journal journal(m_directory->path());
    journal.setRotationBytes(2000);
    QStringList ids;
    for (int i = 0; i < 40; ++i) {
        const QString id = journal.begin(networkChange("02:C1:00:00:00:01", "10.0.0.1", "10.0.0.2"));
        QVERIFY(!id.isEmpty());
        QVERIFY(journal.complete(id, JournalRecord::Outcome::Succeeded, QString::number(i)));
        ids.append(id);
    }
    const QStringList files = JournalFile::files(m_directory->path());
    QVERIFY2(files.size() > 5, qPrintable(files.join(' ')));
    QVERIFY(files.last().endsWith(JournalFile::currentName));
    for (const QString& file : files) {
        QVERIFY(QFileInfo(file).size() <= 2000);
        if (file != files.last())
            QVERIFY2(QFileInfo(file).fileName().startsWith("journal-"), qPrintable(file));
    }
    const JournalReader::Result result = JournalReader(m_directory->path()).read();
    QVERIFY(result.warnings.isEmpty());
    QCOMPARE(result.records.size(), ids.size());
    for (int i = 0; i < ids.size(); ++i) {
        QCOMPARE(result.records.at(i).id, ids.at(i));
        QCOMPARE(result.records.at(i).outcome, JournalRecord::Outcome::Succeeded);
    }
}

// A file of several megabytes, as a long journal's files are: its lines cross the reader's blocks, the
// first changes are completed only at the end, far from where they were begun, and a time edited by hand
// into another form of the same moment still reads as that moment. A last line without its end is reported.
void TestJournal::longFileWithLateCompletionsAndHandWrittenTimes()
{
    constexpr int changes = 12000;
    constexpr int completedLate = 100;
    const QDateTime start = QDateTime(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);
    QByteArray content;
    QStringList ids;
    const auto line = [](const QJsonObject& object) {
        return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    };
    const auto completion = [&](int i) {
        return line(JournalRecord::completionJson(ids.at(i), start.addSecs(i + 1), JournalRecord::Outcome::Succeeded,
                                                  QStringLiteral("done %1").arg(i), {}));
    };
    for (int i = 0; i < changes; ++i) {
        JournalRecord record = networkChange(QStringLiteral("02:C1:00:00:%1:%2")
                                                 .arg(i / 256, 2, 16, QLatin1Char('0'))
                                                 .arg(i % 256, 2, 16, QLatin1Char('0')),
                                             QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2"));
        record.id = QStringLiteral("change-%1").arg(i);
        record.begun = start.addSecs(i);
        record.user = QStringLiteral("alice");
        ids.append(record.id);
        QByteArray begun = line(record.begunJson());
        if (i == 7)
            begun.replace(start.addSecs(7).toString(Qt::ISODateWithMs).toLatin1(), "2026-03-01T09:00:07.000+01:00");
        content += begun;
        if (i >= completedLate)
            content += completion(i);
    }
    for (int i = 0; i < completedLate; ++i)
        content += completion(i);
    content += "{\"record\":\"begun\",\"id\":\"cut";
    QVERIFY(content.size() > 3 * 1024 * 1024);
    QFile file(m_directory->filePath(JournalFile::currentName));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), qint64(content.size()));
    file.close();

    const JournalReader::Result result = JournalReader(m_directory->path()).read();
    QCOMPARE(result.warnings.size(), 1);
    QVERIFY2(result.warnings.first().contains(QStringLiteral("journal.jsonl:%1").arg(2 * changes + 1)),
             qPrintable(result.warnings.first()));
    QCOMPARE(result.records.size(), changes);
    for (int i = 0; i < changes; ++i) {
        const JournalRecord& record = result.records.at(i);
        QCOMPARE(record.id, ids.at(i));
        QCOMPARE(record.begun, start.addSecs(i));
        QCOMPARE(record.begun.timeSpec(), Qt::UTC);
        QCOMPARE(record.outcome, JournalRecord::Outcome::Succeeded);
        QCOMPARE(record.message, QStringLiteral("done %1").arg(i));
        QCOMPARE(record.completed, start.addSecs(i + 1));
    }
}

void TestJournal::completionsReadAlikeInEveryForm_data()
{
    QTest::addColumn<QByteArray>("completion");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("version");
    const QByteArray time = "\"timeLocal\":\"2026-03-01T09:00:05.000+01:00\",\"timeUtc\":\"2026-03-01T08:00:05.000Z\"";
    const int succeeded = int(JournalRecord::Outcome::Succeeded);
    const int failed = int(JournalRecord::Outcome::Failed);
    QTest::newRow("as written")
        << "{\"id\":\"c1\",\"message\":\"answers\",\"outcome\":\"succeeded\",\"record\":\"completed\"," + time + "}"
        << succeeded << "answers"
        << "";
    QTest::newRow("keys in another order")
        << "{\"record\":\"completed\",\"outcome\":\"failed\"," + time + ",\"message\":\"no answer\",\"id\":\"c1\"}"
        << failed << "no answer"
        << "";
    QTest::newRow("an escaped quote") << "{\"id\":\"c1\",\"message\":\"said \\\"NAK\\\"\",\"outcome\":\"failed\","
                                         "\"record\":\"completed\"," +
                                             time + "}"
                                      << failed << "said \"NAK\""
                                      << "";
    QTest::newRow("letters beyond ASCII") << "{\"id\":\"c1\",\"message\":\"Zeit\xc3\xbc"
                                             "berschreitung\",\"outcome\":\"failed\",\"record\":\"completed\"," +
                                                 time + "}"
                                          << failed
                                          << QString::fromUtf8("Zeit\xc3\xbc"
                                                               "berschreitung")
                                          << "";
    QTest::newRow("spaces")
        << QByteArray("{ \"id\": \"c1\", \"message\": \"answers\", \"outcome\": \"succeeded\", \"record\": "
                      "\"completed\", \"timeUtc\": \"2026-03-01T08:00:05.000Z\" }")
        << succeeded << "answers"
        << "";
    QTest::newRow("a result")
        << "{\"id\":\"c1\",\"message\":\"upgraded\",\"outcome\":\"succeeded\",\"record\":\"completed\","
           "\"result\":{\"firmwareVersion\":\"2.0.4\"}," +
               time + "}"
        << succeeded << "upgraded"
        << "2.0.4";
    QTest::newRow("a key of a later version")
        << "{\"id\":\"c1\",\"message\":\"answers\",\"note\":\"x\",\"outcome\":\"succeeded\",\"record\":\"completed\"," +
               time + "}"
        << succeeded << "answers"
        << "";
}

// Completions as the journal writes them are read by a quick path, all others by the general parser:
// both give the same change.
void TestJournal::completionsReadAlikeInEveryForm()
{
    QFETCH(QByteArray, completion);
    QFETCH(int, outcome);
    QFETCH(QString, message);
    QFETCH(QString, version);
    JournalRecord record =
        networkChange(QStringLiteral("02:C1:00:00:00:01"), QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2"));
    record.id = QStringLiteral("c1");
    record.begun = QDateTime(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC);
    QFile file(m_directory->filePath(JournalFile::currentName));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(record.begunJson()).toJson(QJsonDocument::Compact) + '\n' + completion + '\n');
    file.close();

    const JournalReader::Result result = JournalReader(m_directory->path()).read();
    QVERIFY2(result.warnings.isEmpty(), qPrintable(result.warnings.join('\n')));
    QCOMPARE(result.records.size(), 1);
    const JournalRecord& read = result.records.first();
    QCOMPARE(int(read.outcome), outcome);
    QCOMPARE(read.message, message);
    QCOMPARE(read.completed, QDateTime(QDate(2026, 3, 1), QTime(8, 0, 5), Qt::UTC));
    QCOMPARE(read.result.value(QStringLiteral("firmwareVersion")).toString(), version);
}

// A change begun in one file and completed in the next: a text in the completion's message alone finds
// it, a text with letters the journal escapes is still looked for in the values, and a change the MAC
// filter left out has its completion skipped without a warning.
void TestJournal::filtersSeeCompletionsInLaterFiles()
{
    Journal journal(m_directory->path());
    journal.setRotationBytes(600);
    const QString first = journal.begin(networkChange("02:C1:00:00:00:01", "10.0.0.1", "10.0.0.2"));
    const QString second = journal.begin(networkChange("02:C1:00:00:00:02", "10.0.0.3", "10.0.0.4"));
    for (int i = 0; i < 4; ++i)
        QVERIFY(!journal.begin(networkChange("02:C1:00:00:00:03", "10.0.0.5", "10.0.0.6")).isEmpty());
    QVERIFY(journal.complete(first, JournalRecord::Outcome::Succeeded, "answers from Rack \"B\" now"));
    QVERIFY(journal.complete(second, JournalRecord::Outcome::Failed, "no answer from the NEW address"));
    QVERIFY(JournalFile::files(m_directory->path()).size() > 2);

    const JournalReader reader(m_directory->path());
    JournalFilter byMessage;
    byMessage.text = "new ADDRESS";
    JournalReader::Result result = reader.read(byMessage);
    QVERIFY2(result.warnings.isEmpty(), qPrintable(result.warnings.join('\n')));
    QCOMPARE(result.records.size(), 1);
    QCOMPARE(result.records.first().id, second);
    QCOMPARE(result.records.first().outcome, JournalRecord::Outcome::Failed);

    JournalFilter quoted;
    quoted.text = "rack \"b\"";
    result = reader.read(quoted);
    QCOMPARE(result.records.size(), 1);
    QCOMPARE(result.records.first().id, first);

    JournalFilter byMac;
    byMac.mac = "02:c1:00:00:00:01";
    result = reader.read(byMac);
    QVERIFY2(result.warnings.isEmpty(), qPrintable(result.warnings.join('\n')));
    QCOMPARE(result.records.size(), 1);
    QCOMPARE(result.records.first().outcome, JournalRecord::Outcome::Succeeded);
}

void TestJournal::lockedJournalGivesAClearError()
{
    auto other = std::make_unique<JournalLock>(m_directory->path(), 0);
    QVERIFY(other->isLocked());
    Journal journal(m_directory->path());
    journal.setLockTimeoutMs(200);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(journal.begin(networkChange("02:C1:00:00:00:01", "10.0.0.1", "10.0.0.2")).isEmpty());
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY2(journal.lastError().contains("locked"), qPrintable(journal.lastError()));
    other.reset();
    QVERIFY(!journal.begin(networkChange("02:C1:00:00:00:01", "10.0.0.1", "10.0.0.2")).isEmpty());
}

void TestJournal::twoProcessesLoseNothing()
{
    QList<QProcess*> writers;
    for (const QString& tag : {QStringLiteral("first"), QStringLiteral("second")}) {
        auto* writer = new QProcess(this);
        writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer->start(QCoreApplication::applicationFilePath(),
                      {QLatin1String(appendArgument), m_directory->path(), tag, QString::number(writerRecords)});
        writers.append(writer);
    }
    for (QProcess* writer : writers) {
        QVERIFY(writer->waitForFinished(writerWaitMs));
        QCOMPARE(writer->exitStatus(), QProcess::NormalExit);
        QCOMPARE(writer->exitCode(), 0);
    }
    const JournalReader::Result result = JournalReader(m_directory->path()).read();
    QVERIFY2(result.warnings.isEmpty(), qPrintable(result.warnings.join('\n')));
    QCOMPARE(result.records.size(), 2 * writerRecords);
    QVERIFY(JournalFile::files(m_directory->path()).size() > 1);
    QHash<QString, int> next;
    for (const JournalRecord& record : result.records) {
        QCOMPARE(record.outcome, JournalRecord::Outcome::Succeeded);
        const QString tag = record.message.section(' ', 0, 0);
        // Each writer's changes come back in the order it wrote them.
        QCOMPARE(record.message.section(' ', 1).toInt(), next.value(tag));
        next[tag] = next.value(tag) + 1;
    }
    QCOMPARE(next.value("first"), writerRecords);
    QCOMPARE(next.value("second"), writerRecords);
}

void TestJournal::textSaysWhatChanged()
{
    JournalRecord network = networkChange("02:C1:00:00:00:01", "10.0.0.1", "10.0.0.2");
    QCOMPARE(JournalText::change(network), QString::fromUtf8("IP 10.0.0.1 \u2192 10.0.0.2, DHCP on \u2192 off"));
    JournalRecord upgrade;
    upgrade.kind = JournalRecord::Kind::FirmwareUpgrade;
    upgrade.before = JournalValues::firmwareVersion("2.15");
    upgrade.after = JournalValues::firmwareFile("/lab/images/supply-2.16.updt");
    upgrade.result = JournalValues::upgradeResult("2.16", "/tmp/upgrade.log");
    QCOMPARE(JournalText::change(upgrade), QString::fromUtf8("firmware 2.15 \u2192 2.16, file supply-2.16.updt"));
    upgrade.outcome = JournalRecord::Outcome::Failed;
    upgrade.message = "no answer";
    QCOMPARE(JournalText::outcome(upgrade), QStringLiteral("failed: no answer"));
    QCOMPARE(JournalText::unit(network.unit), QStringLiteral("02:C1:00:00:00:01 (PS1001, 10.0.0.1)"));
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.value(1) == QLatin1String(appendArgument))
        return appendRecords(arguments);
    TestJournal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_journal.moc"
