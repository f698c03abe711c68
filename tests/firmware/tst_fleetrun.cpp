// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The fleet run's scheduling without a network: workers that pretend to upgrade, a version check that
// answers from a table.
#include "firmware/firmwareupgrade.h"
#include "firmware/fleetrun.h"
#include "firmware/fleetversioncheck.h"
#include "journal/datalocation.h"
#include "journal/journalfile.h"
#include "journal/journallock.h"
#include "journal/journalreader.h"
#include "journal/journalvalues.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// What the pretend workers did, across their threads.
struct FleetLedger
{
    QMutex mutex;
    QSet<QString> busy;
    QStringList started;
    int inFlight = 0;
    int peak = 0;
    bool overlap = false;

    void enter(const QStringList& keys, const QString& mac)
    {
        QMutexLocker lock(&mutex);
        for (const QString& key : keys) {
            overlap = overlap || busy.contains(key);
            busy.insert(key);
        }
        started << mac;
        peak = qMax(peak, ++inFlight);
    }
    int startedCount()
    {
        QMutexLocker lock(&mutex);
        return int(started.size());
    }
    void leave(const QStringList& keys)
    {
        QMutexLocker lock(&mutex);
        for (const QString& key : keys)
            busy.remove(key);
        --inFlight;
    }
};

class PretendWorker : public firmwareUpgrade
{
public:
    PretendWorker(const Device_t& unit, FleetLedger& ledger, bool fails, int workMs)
        : firmwareUpgrade(nullptr, QString(), 1, {true}, {unit}, QString()), m_unit(unit), m_ledger(ledger),
          m_fails(fails), m_workMs(workMs)
    {}

protected:
    void run() override
    {
        const QStringList keys = FleetRun::exclusivityKeys(m_unit);
        m_ledger.enter(keys, m_unit.mac);
        emit signalPrintMessage(QStringLiteral("Try to connect..."), true);
        emit signalPrintMessage(QStringLiteral("\nFirmware upload in progress..."), true);
        emit signalProgressBarUpdate(50);
        QElapsedTimer clock;
        clock.start();
        bool stopped = false;
        while (clock.elapsed() < m_workMs && !stopped) {
            QThread::msleep(5);
            stopped = isInterruptionRequested();
        }
        m_ledger.leave(keys);
        if (stopped) {
            emit signalPrintMessage(QStringLiteral("ERROR: The upgrade was stopped before the install."), true);
            markStoppedOnRequest();
            fail();
        } else if (m_fails) {
            emit signalPrintMessage(QStringLiteral("CRITICAL: update error: refused"), true);
            fail();
        } else {
            emit signalPrintMessage(QStringLiteral("\nInstall new firmware:"), true);
            complete();
        }
        announceOutcome();
    }

private:
    Device_t m_unit;
    FleetLedger& m_ledger;
    bool m_fails;
    int m_workMs;
};

class TableVersionCheck : public FleetVersionCheck
{
public:
    QHash<QString, QString> versions; // by MAC; a MAC missing here does not answer
    int asked = 0;

    void start(const QList<Device_t>& units) override
    {
        ++asked;
        QTimer::singleShot(10, this, [this, units] {
            QList<Device_t> found;
            for (Device_t unit : units) {
                if (!versions.contains(unit.mac))
                    continue;
                unit.firmwareVersion = versions.value(unit.mac);
                found << unit;
            }
            QList<UpgradeVerification> verifications;
            for (const Device_t& unit : units)
                verifications << UpgradeVerification(unit, found);
            emit finished(verifications);
        });
    }
};

Device_t supply(int number, const QString& ip = QString())
{
    Device_t unit;
    unit.code = QStringLiteral("1001");
    unit.mac = QStringLiteral("02:00:00:00:00:%1").arg(number, 2, 10, QLatin1Char('0'));
    unit.ip = ip.isEmpty() ? QStringLiteral("10.0.0.%1").arg(number) : ip;
    unit.firmwareVersion = QStringLiteral("1.0.0");
    return unit;
}

QList<Device_t> supplies(int count)
{
    QList<Device_t> units;
    for (int i = 1; i <= count; ++i)
        units << supply(i);
    return units;
}
} // namespace

class TestFleetRun : public QObject
{
    Q_OBJECT

private slots:
    void runsUpToParallelAtOnce_data();
    void runsUpToParallelAtOnce();
    void oneModuleOneUpgradeAtATime();
    void failureDoesNotStopTheOthers();
    void failureLimitStartsNoNewUnit();
    void canaryFailureLeavesTheOthersAlone();
    void canaryWithUnchangedVersionHalts();
    void canaryVerifiedLetsTheOthersRun();
    void canaryWithoutVersionGoesOnByItsConfirmation();
    void cancelStopsUnitsInFlight();
    void messagesArriveBatched();
    void stepsFollowTheLog_data();
    void stepsFollowTheLog();
    void journalRecordsCarryTheVersionFound();
    void heldJournalLockHoldsNoUnitBackBehindAnother();
    void stopNamesWhoAskedForIt_data();
    void stopNamesWhoAskedForIt();

private:
    FleetRun::WorkerFactory factory(FleetLedger& ledger, QSet<QString> failing = {}, int workMs = 30)
    {
        return [&ledger, failing, workMs](const Device_t& unit) -> firmwareUpgrade* {
            return new PretendWorker(unit, ledger, failing.contains(unit.mac), workMs);
        };
    }
    static bool runToEnd(FleetRun& run, int withinMs = 20000)
    {
        QSignalSpy finished(&run, &FleetRun::finished);
        run.start();
        return finished.count() > 0 || finished.wait(withinMs);
    }
};

void TestFleetRun::runsUpToParallelAtOnce_data()
{
    QTest::addColumn<int>("parallel");
    QTest::addColumn<int>("expectedPeak");
    QTest::newRow("one after another") << 1 << 1;
    QTest::newRow("four at once") << 4 << 4;
    QTest::newRow("more than units") << 32 << 12;
    QTest::newRow("clamped below") << 0 << 1;
}

void TestFleetRun::runsUpToParallelAtOnce()
{
    QFETCH(int, parallel);
    QFETCH(int, expectedPeak);
    FleetLedger ledger;
    FleetRun::Options options;
    options.parallel = parallel;
    FleetRun run(supplies(12), factory(ledger, {}, 60), options);
    int scheduledPeak = 0;
    connect(&run, &FleetRun::unitStarted, this, [&] { scheduledPeak = qMax(scheduledPeak, run.runningCount()); });
    QVERIFY(runToEnd(run));
    QCOMPARE(run.finishedCount(), 12);
    QCOMPARE(run.failedCount(), 0);
    QCOMPARE(scheduledPeak, expectedPeak);
    // The threads themselves never overlap more; how many did at once depends on the machine's load.
    QVERIFY(ledger.peak <= expectedPeak);
    QVERIFY(!ledger.overlap);
    for (int i = 0; i < run.unitCount(); ++i)
        QCOMPARE(run.unitResult(i).step, FleetRun::Step::Done);
}

void TestFleetRun::oneModuleOneUpgradeAtATime()
{
    // Three motor drivers behind one module and one behind another: the first three wait for each other.
    QList<Device_t> units = {supply(1, QStringLiteral("10.0.1.1")), supply(2, QStringLiteral("10.0.1.1")),
                             supply(3, QStringLiteral("10.0.1.1")), supply(4, QStringLiteral("10.0.1.2"))};
    units[1].mac = units.at(0).mac; // and the same unit twice is never upgraded twice at once
    FleetLedger ledger;
    FleetRun::Options options;
    options.parallel = 4;
    FleetRun run(units, factory(ledger), options);
    QList<int> startOrder;
    connect(&run, &FleetRun::unitStarted, this, [&](int index) { startOrder << index; });
    QVERIFY(runToEnd(run));
    QCOMPARE(run.finishedCount(), 4);
    QVERIFY(!ledger.overlap);
    QVERIFY(ledger.peak <= 2);
    QCOMPARE(startOrder.mid(0, 2), (QList<int>{0, 3}));
}

void TestFleetRun::failureDoesNotStopTheOthers()
{
    FleetLedger ledger;
    FleetRun::Options options;
    options.parallel = 3;
    const QList<Device_t> units = supplies(6);
    FleetRun run(units, factory(ledger, {units.at(2).mac}), options);
    QSignalSpy halted(&run, &FleetRun::halted);
    QVERIFY(runToEnd(run));
    QCOMPARE(run.finishedCount(), 6);
    QCOMPARE(run.failedCount(), 1);
    QCOMPARE(halted.count(), 0);
    QCOMPARE(run.unitResult(2).step, FleetRun::Step::Failed);
    QCOMPARE(run.unitResult(2).outcome.reason(), QStringLiteral("CRITICAL: update error: refused"));
    QCOMPARE(run.unitResult(5).step, FleetRun::Step::Done);
}

void TestFleetRun::failureLimitStartsNoNewUnit()
{
    FleetLedger ledger;
    FleetRun::Options options;
    options.parallel = 2;
    options.maxFailures = 2;
    const QList<Device_t> units = supplies(8);
    FleetRun run(units, factory(ledger, {units.at(0).mac, units.at(1).mac}, 100), options);
    QSignalSpy halted(&run, &FleetRun::halted);
    QVERIFY(runToEnd(run));
    QCOMPARE(halted.count(), 1);
    QCOMPARE(run.failedCount(), 2);
    // The first failure makes room for a third unit; the second reaches the limit while that one runs on.
    QCOMPARE(ledger.started.size(), 3);
    QCOMPARE(run.finishedCount(), 3);
    QCOMPARE(run.unitResult(2).step, FleetRun::Step::Done);
    QVERIFY(!run.haltReason().isEmpty());
    for (int i = 3; i < units.size(); ++i) {
        QCOMPARE(run.unitResult(i).step, FleetRun::Step::Cancelled);
        QVERIFY(!run.unitResult(i).outcome.hasResult());
    }
}

void TestFleetRun::canaryFailureLeavesTheOthersAlone()
{
    FleetLedger ledger;
    FleetRun::Options options;
    options.parallel = 4;
    options.canary = true;
    const QList<Device_t> units = supplies(6);
    TableVersionCheck check;
    FleetRun run(units, factory(ledger, {units.at(0).mac}), options);
    run.setVersionCheck(&check);
    QSignalSpy halted(&run, &FleetRun::halted);
    QVERIFY(runToEnd(run));
    QCOMPARE(ledger.started, QStringList{units.at(0).mac});
    QCOMPARE(halted.count(), 1);
    QVERIFY(halted.at(0).at(0).toString().contains(units.at(0).mac));
    QCOMPARE(check.asked, 0);
}

void TestFleetRun::canaryWithUnchangedVersionHalts()
{
    FleetLedger ledger;
    FleetRun::Options options;
    options.canary = true;
    const QList<Device_t> units = supplies(5);
    TableVersionCheck check;
    check.versions.insert(units.at(0).mac, QStringLiteral("1.0.0"));
    FleetRun run(units, factory(ledger), options);
    run.setVersionCheck(&check);
    QVERIFY(runToEnd(run));
    QCOMPARE(ledger.started.size(), 1);
    QVERIFY(run.haltReason().contains(QStringLiteral("1.0.0")));
    QVERIFY(!run.unitResult(0).verified);
    QCOMPARE(run.unitResult(1).step, FleetRun::Step::Cancelled);
}

// Units that report no version can never show a new one: the canary's own confirmation decides.
void TestFleetRun::canaryWithoutVersionGoesOnByItsConfirmation()
{
    FleetLedger ledger;
    FleetRun::Options options;
    options.canary = true;
    QList<Device_t> units = supplies(3);
    TableVersionCheck check;
    for (Device_t& unit : units) {
        unit.firmwareVersion = QStringLiteral("Unknown");
        check.versions.insert(unit.mac, QStringLiteral("Unknown"));
    }
    FleetRun run(units, factory(ledger), options);
    run.setVersionCheck(&check);
    QVERIFY(runToEnd(run));
    QCOMPARE(ledger.started.size(), 3);
    QVERIFY2(run.haltReason().isEmpty(), qPrintable(run.haltReason()));
    const UpgradeVerification verification(units.at(0), {units.at(0)});
    QVERIFY(verification.versionUncheckable());
    QVERIFY2(verification.logLine().contains(QStringLiteral("reports no firmware version")),
             qPrintable(verification.logLine()));
}

void TestFleetRun::canaryVerifiedLetsTheOthersRun()
{
    FleetLedger ledger;
    FleetRun::Options options;
    options.parallel = 4;
    options.canary = true;
    const QList<Device_t> units = supplies(6);
    TableVersionCheck check;
    for (const Device_t& unit : units)
        check.versions.insert(unit.mac, QStringLiteral("2.0.0"));
    FleetRun run(units, factory(ledger), options);
    run.setVersionCheck(&check);
    QSignalSpy verified(&run, &FleetRun::unitVerified);
    QVERIFY(runToEnd(run));
    QCOMPARE(ledger.started.size(), 6);
    QCOMPARE(ledger.started.first(), units.at(0).mac);
    // The canary's check, then one closing check of the other five.
    QCOMPARE(check.asked, 2);
    QCOMPARE(verified.count(), 6);
    for (int i = 0; i < units.size(); ++i) {
        QVERIFY(run.unitResult(i).verified);
        QCOMPARE(run.unitResult(i).versionBefore, QStringLiteral("1.0.0"));
        QCOMPARE(run.unitResult(i).versionAfter, QStringLiteral("2.0.0"));
    }
}

void TestFleetRun::cancelStopsUnitsInFlight()
{
    FleetLedger ledger;
    FleetRun::Options options;
    options.parallel = 3;
    FleetRun run(supplies(9), factory(ledger, {}, 10000), options);
    QSignalSpy finished(&run, &FleetRun::finished);
    run.start();
    QTRY_COMPARE(run.runningCount(), 3);
    // Their workers start once their journal records are written.
    QTRY_COMPARE(ledger.startedCount(), 3);
    QElapsedTimer clock;
    clock.start();
    run.cancel();
    QVERIFY(finished.wait(5000));
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(run.wasCancelled());
    QCOMPARE(ledger.started.size(), 3);
    QCOMPARE(run.failedCount(), 0);
    for (int i = 0; i < run.unitCount(); ++i)
        QCOMPARE(run.unitResult(i).step, FleetRun::Step::Cancelled);
    QVERIFY(run.unitResult(0).outcome.stoppedOnRequest());
}

void TestFleetRun::messagesArriveBatched()
{
    FleetLedger ledger;
    FleetRun::Options options;
    options.parallel = 4;
    FleetRun run(supplies(4), factory(ledger, {}, 200), options);
    QHash<int, QStringList> lines;
    int batches = 0;
    connect(&run, &FleetRun::unitMessages, this, [&](int index, const QStringList& batch) {
        lines[index] << batch;
        ++batches;
    });
    QVERIFY(runToEnd(run));
    // Each unit logs three lines at once: fewer batches than lines, and every line arrives in order.
    QVERIFY(batches < 12);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(lines.value(i).size(), 3);
        QCOMPARE(lines.value(i).first(), QStringLiteral("Try to connect..."));
        QCOMPARE(run.unitResult(i).lastMessage, QStringLiteral("\nInstall new firmware:"));
        QCOMPARE(run.unitResult(i).progress, 50);
        QVERIFY(run.unitResult(i).elapsedMs >= 200);
    }
}

void TestFleetRun::stepsFollowTheLog_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<FleetRun::Step>("expected");
    QTest::newRow("identify") << "Try to connect..." << FleetRun::Step::Identifying;
    QTest::newRow("upload") << "\nFirmware upload in progress..." << FleetRun::Step::Uploading;
    QTest::newRow("install") << "\nInstall new firmware:" << FleetRun::Step::Installing;
    QTest::newRow("erase") << "Erasing Lumeno memory..." << FleetRun::Step::Erasing;
    QTest::newRow("write") << "Programming Device memory..." << FleetRun::Step::Writing;
    QTest::newRow("bootloader") << "Load Bootloader..." << FleetRun::Step::Erasing;
    QTest::newRow("program") << "Program..." << FleetRun::Step::Writing;
    QTest::newRow("restore") << "Restoring the module: serial speed back to 921600..." << FleetRun::Step::Restoring;
    QTest::newRow("back to speed") << "Set Baudrate to 921600..." << FleetRun::Step::Restoring;
    QTest::newRow("other line") << "Done!" << FleetRun::Step::Uploading;
}

void TestFleetRun::stepsFollowTheLog()
{
    QFETCH(QString, line);
    QFETCH(FleetRun::Step, expected);
    QCOMPARE(FleetRun::stepForMessage(FleetRun::Step::Uploading, line), expected);
}

// Each unit's journal record is completed with what its own end and the closing rescan say: the version an
// upgraded unit reports now, nothing for a unit that did not answer, and the failure of a refused one.
void TestFleetRun::journalRecordsCarryTheVersionFound()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    const QString journalDirectory = DataLocation::directory();
    FleetLedger ledger;
    FleetRun::Options options;
    options.parallel = 2;
    options.logFile = QStringLiteral("/logs/fleet.log");
    const QList<Device_t> units = supplies(3);
    TableVersionCheck check;
    check.versions.insert(units.at(0).mac, QStringLiteral("2.0.0"));
    FleetRun run(units, factory(ledger, {units.at(2).mac}), options);
    run.setVersionCheck(&check);
    QVERIFY(runToEnd(run));
    qputenv("XDG_DATA_HOME", dataHome);

    const JournalReader::Result journal = JournalReader(journalDirectory).read();
    QCOMPARE(journal.records.size(), 3);
    QHash<QString, JournalRecord> byMac;
    for (const JournalRecord& record : journal.records)
        byMac.insert(record.unit.mac, record);
    const auto versionAfter = [&](int unit) {
        return byMac.value(units.at(unit).mac)
            .result.value(QLatin1String(JournalValues::firmwareVersionKey))
            .toString();
    };
    QCOMPARE(byMac.value(units.at(0).mac).outcome, JournalRecord::Outcome::Succeeded);
    QCOMPARE(versionAfter(0), QStringLiteral("2.0.0"));
    QCOMPARE(byMac.value(units.at(0).mac).result.value(QLatin1String(JournalValues::logFileKey)).toString(),
             options.logFile);
    QCOMPARE(byMac.value(units.at(1).mac).outcome, JournalRecord::Outcome::Succeeded);
    QCOMPARE(versionAfter(1), QString());
    QCOMPARE(byMac.value(units.at(2).mac).outcome, JournalRecord::Outcome::Failed);
    QCOMPARE(byMac.value(units.at(2).mac).message, QStringLiteral("CRITICAL: update error: refused"));
}

// Another program holds the journal's lock for the whole run: every unit waits out the lock's time-out
// for its "begun" line, all at once and off the event loop, and is upgraded with a warning.
void TestFleetRun::heldJournalLockHoldsNoUnitBackBehindAnother()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    QVERIFY(DataLocation::ensure(DataLocation::directory()));
    // A lock of its own open file, as another process's would be.
    const QByteArray lockPath = QFile::encodeName(DataLocation::directory() + QLatin1Char('/') + JournalLock::fileName);
    const int other = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    QVERIFY(other >= 0 && ::flock(other, LOCK_EX) == 0);

    FleetLedger ledger;
    FleetRun::Options options;
    options.parallel = 8;
    FleetRun run(supplies(8), factory(ledger), options);
    int warnings = 0;
    connect(&run, &FleetRun::unitMessages, this, [&](int, const QStringList& lines) {
        warnings += int(lines.filter(QStringLiteral("is not recorded in the journal")).size());
    });
    QElapsedTimer clock;
    QTimer ticker;
    qint64 lastTick = 0;
    qint64 longestStall = 0;
    connect(&ticker, &QTimer::timeout, this, [&] {
        longestStall = qMax(longestStall, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    clock.start();
    ticker.start(10);
    const bool ended = runToEnd(run, 60000);
    const qint64 tookMs = clock.elapsed();
    ::close(other);
    qputenv("XDG_DATA_HOME", dataHome);

    QVERIFY(ended);
    QCOMPARE(run.finishedCount(), 8);
    QCOMPARE(warnings, 8);
    QVERIFY2(longestStall < 1000, qPrintable(QString::number(longestStall)));
    QVERIFY2(tookMs < 2 * JournalFile::defaultLockTimeoutMs, qPrintable(QString::number(tookMs)));
}

void TestFleetRun::stopNamesWhoAskedForIt_data()
{
    QTest::addColumn<int>("by");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<int>("recorded");
    const QString step = QStringLiteral(": ERROR: The upgrade was stopped before the install.");
    const int cancelled = int(JournalRecord::Outcome::Cancelled);
    QTest::newRow("user") << int(UpgradeOutcome::StopReason::User) << "cancelled by the user" + step << cancelled;
    QTest::newRow("SIGTERM") << int(UpgradeOutcome::StopReason::Terminate) << "cancelled by SIGTERM" + step
                             << cancelled;
    QTest::newRow("watchdog") << int(UpgradeOutcome::StopReason::Watchdog)
                              << "no result within 300 ms: stopped by the watchdog" + step
                              << int(JournalRecord::Outcome::Failed);
}

// The unit's outcome, the line in its log and the journal name the same stopper; the watchdog's stop is
// a failure of the unit, the others a cancel.
void TestFleetRun::stopNamesWhoAskedForIt()
{
    QFETCH(int, by);
    QFETCH(QString, summary);
    QFETCH(int, recorded);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    const QString journalDirectory = DataLocation::directory();
    FleetLedger ledger;
    FleetRun::Options options;
    options.timeoutMs = 300;
    FleetRun run(supplies(1), factory(ledger, {}, 10000), options);
    QStringList lines;
    connect(&run, &FleetRun::unitMessages, this, [&](int, const QStringList& batch) { lines << batch; });
    QSignalSpy finished(&run, &FleetRun::finished);
    run.start();
    QTRY_COMPARE(ledger.startedCount(), 1);
    if (by != int(UpgradeOutcome::StopReason::Watchdog))
        run.cancel(UpgradeOutcome::StopReason(by));
    const bool ended = finished.wait(5000);
    qputenv("XDG_DATA_HOME", dataHome);
    QVERIFY(ended);

    const UpgradeOutcome& outcome = run.unitResult(0).outcome;
    QCOMPARE(outcome.summary(), summary);
    QVERIFY(lines.contains(QStringLiteral("The upgrade ended, ") + summary));
    const JournalReader::Result journal = JournalReader(journalDirectory).read();
    QCOMPARE(journal.records.size(), 1);
    QCOMPARE(int(journal.records.first().outcome), recorded);
    QCOMPARE(journal.records.first().message, summary);
}

QTEST_GUILESS_MAIN(TestFleetRun)
#include "tst_fleetrun.moc"
