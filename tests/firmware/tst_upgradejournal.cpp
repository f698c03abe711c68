// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Every upgrade run is journalled: begun with the unit, its version and the file's path, size and SHA-256
// before the first byte goes out, completed with the outcome, the version after and the run's log file.
#include "fakecommandport.h"
#include "fakeuploadport.h"
#include "firmware/firmwarerun.h"
#include "firmware/firmwareupgrade.h"
#include "journal/journalreader.h"
#include "journal/journalvalues.h"
#include "workerevents.h"

#include <QCryptographicHash>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using upgradetest::device;

namespace {
const QString loopback = QStringLiteral("127.0.0.1");
constexpr int runTimeoutMs = 30000;

QString valueOf(const QJsonObject& object, const char* key)
{
    return object.value(QLatin1String(key)).toVariant().toString();
}
} // namespace

class TestUpgradeJournal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_files.isValid());
        m_image = m_files.filePath(QStringLiteral("supply.updt"));
        QFile file(m_image);
        QVERIFY(file.open(QIODevice::WriteOnly));
        m_content = QByteArray(5000, '\x5a');
        file.write(m_content);
    }
    void init()
    {
        m_journalDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_journalDir->isValid());
        m_command = std::make_unique<FakeCommandPort>(loopback, 0);
        m_upload = std::make_unique<FakeUploadPort>(loopback, 0);
        QVERIFY(m_command->isListening() && m_upload->isListening());
        m_command->answer("VER\r\n", "#VER:Aurel 2.1\r\n");
        m_command->answer("MST\r\n", "#MST:0\r\n");
        m_command->answer("MREBOOT\r\n", "#AK\r\n");
    }

    // A unit that takes the file: begun before anything was sent, completed as upgraded with the log file.
    void upgradeIsRecordedWithItsFile()
    {
        m_upload->expectBytes(m_content.size());
        m_upload->replyWith({"$:40\n", "Checking image\n", "#ACK\r\n"}, 2);
        FirmwareRun run(makeWorker(m_image), runTimeoutMs);
        run.setJournalDirectory(m_journalDir->path());
        run.setLogFile(QStringLiteral("/logs/run-1.log"));
        QVERIFY(runToEnd(run));
        QVERIFY(run.outcome().succeeded());

        const JournalRecord record = onlyRecord();
        QCOMPARE(record.kind, JournalRecord::Kind::FirmwareUpgrade);
        QCOMPARE(record.unit.mac, QStringLiteral("00:11:22:33:44:55"));
        QCOMPARE(record.unit.ip, loopback);
        QCOMPARE(valueOf(record.before, JournalValues::firmwareVersionKey), QStringLiteral("2.1"));
        QCOMPARE(valueOf(record.after, JournalValues::fileKey), QFileInfo(m_image).absoluteFilePath());
        QCOMPARE(valueOf(record.after, JournalValues::sizeKey), QString::number(m_content.size()));
        QCOMPARE(valueOf(record.after, JournalValues::sha256Key),
                 QString::fromLatin1(QCryptographicHash::hash(m_content, QCryptographicHash::Sha256).toHex()));
        QCOMPARE(record.outcome, JournalRecord::Outcome::Succeeded);
        QCOMPARE(valueOf(record.result, JournalValues::logFileKey), QStringLiteral("/logs/run-1.log"));
    }

    // A caller that rescans first completes the record itself, with the version the unit reports now.
    void deferredCompletionCarriesTheVersionAfter()
    {
        m_upload->expectBytes(m_content.size());
        m_upload->replyWith({"$:40\n", "Checking image\n", "#ACK\r\n"}, 2);
        FirmwareRun run(makeWorker(m_image), runTimeoutMs);
        run.setJournalDirectory(m_journalDir->path());
        run.setJournalCompletionDeferred(true);
        QVERIFY(runToEnd(run));
        QCOMPARE(onlyRecord().outcome, JournalRecord::Outcome::Unfinished);
        run.completeJournal(QStringLiteral("2.2"));
        run.completeJournal(QStringLiteral("9.9"));
        const JournalRecord record = onlyRecord();
        QCOMPARE(record.outcome, JournalRecord::Outcome::Succeeded);
        QCOMPARE(valueOf(record.result, JournalValues::firmwareVersionKey), QStringLiteral("2.2"));
    }

    // The watchdog stopping a unit that never answers is a failure, not a cancel nobody pressed.
    void watchdogStopIsRecordedAsFailed()
    {
        m_upload->expectBytes(m_content.size());
        FirmwareRun run(makeWorker(m_image), 300);
        run.setJournalDirectory(m_journalDir->path());
        QVERIFY(runToEnd(run));
        QVERIFY(run.timedOut());
        const JournalRecord record = onlyRecord();
        QCOMPARE(record.outcome, JournalRecord::Outcome::Failed);
        QVERIFY2(record.message.startsWith(QStringLiteral("no result within 300 ms: stopped by the watchdog: ERROR: ")),
                 qPrintable(record.message));
    }

    // A damaged file fails before the unit is touched; the record says so in the run's own words.
    void refusedFileIsRecordedAsFailed()
    {
        const QString empty = m_files.filePath(QStringLiteral("empty.updt"));
        QFile file(empty);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        FirmwareRun run(makeWorker(empty), runTimeoutMs);
        run.setJournalDirectory(m_journalDir->path());
        QVERIFY(runToEnd(run));
        QVERIFY(run.outcome().failed());
        QVERIFY(m_command->commands().isEmpty());
        const JournalRecord record = onlyRecord();
        QCOMPARE(record.outcome, JournalRecord::Outcome::Failed);
        QCOMPARE(record.message, run.outcome().reason());
        QVERIFY(record.message.startsWith(QStringLiteral("ERROR:")));
    }

    // A journal that cannot be written does not hold the upgrade back, and the log says so.
    void unwritableJournalIsReportedNotFatal()
    {
        m_upload->expectBytes(m_content.size());
        m_upload->replyWith({"$:40\n", "Checking image\n", "#ACK\r\n"}, 2);
        const QString blocker = m_journalDir->filePath(QStringLiteral("a-file"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        FirmwareRun run(makeWorker(m_image), runTimeoutMs);
        run.setJournalDirectory(blocker + QStringLiteral("/journal"));
        QSignalSpy messages(&run, &FirmwareRun::message);
        QVERIFY(runToEnd(run));
        QVERIFY(run.outcome().succeeded());
        QStringList warnings;
        for (const QList<QVariant>& message : messages)
            if (message.at(0).toString().startsWith(QStringLiteral("WARNING: The upgrade of")))
                warnings << message.at(0).toString();
        QCOMPARE(warnings.size(), 1);
    }

private:
    firmwareUpgrade* makeWorker(const QString& image)
    {
        Device_t unit = device(QStringLiteral("1100"), loopback);
        unit.mac = QStringLiteral("00:11:22:33:44:55");
        unit.firmwareVersion = QStringLiteral("2.1");
        auto* worker = new firmwareUpgrade(nullptr, image, 1, {true}, {unit}, QString());
        worker->setPacing(upgradetest::shortPacing());
        UpgradePorts ports;
        ports.command = m_command->listeningPort();
        ports.upload = m_upload->listeningPort();
        worker->setPorts(ports);
        return worker;
    }

    static bool runToEnd(FirmwareRun& run)
    {
        QEventLoop loop;
        bool ended = false;
        QObject::connect(&run, &FirmwareRun::finished, &loop, [&] {
            ended = true;
            loop.quit();
        });
        QTimer::singleShot(runTimeoutMs, &loop, &QEventLoop::quit);
        run.start();
        loop.exec();
        return ended;
    }

    JournalRecord onlyRecord() const
    {
        const JournalReader::Result read = JournalReader(m_journalDir->path()).read();
        if (read.records.size() != 1 || !read.warnings.isEmpty()) {
            qWarning() << "journal holds" << read.records.size() << "records;" << read.warnings;
            return {};
        }
        return read.records.first();
    }

    QTemporaryDir m_files;
    QString m_image;
    QByteArray m_content;
    std::unique_ptr<QTemporaryDir> m_journalDir;
    std::unique_ptr<FakeCommandPort> m_command;
    std::unique_ptr<FakeUploadPort> m_upload;
};

QTEST_GUILESS_MAIN(TestUpgradeJournal)
#include "tst_upgradejournal.moc"
