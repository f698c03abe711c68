// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Which reason a failed upgrade gives on the command line, from runs whose workers play a story: a failure
// of the run's own outweighs the watchdog, which is the reason only of a run that had none. No network.
#include "cli/cliupgraderun.h"
#include "firmware/firmwarerun.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/upgradeoutcome.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QtTest>

#include <functional>

namespace {
constexpr int watchdogMs = 50;
constexpr int storyBoundMs = 10000;
// The run's own failure in its own words, without the log's level: "ERROR: x".
const QString ownFailure = QStringLiteral("x");
const QString noResult = QStringLiteral("the upgrade ended without a result (see the log)");

QString timeOut(int ms)
{
    return QStringLiteral("no result within %1 ms: stopped by the watchdog").arg(ms);
}

// A worker whose thread plays a story through the worker's own outcome functions.
class StoryWorker : public firmwareUpgrade
{
public:
    using Story = std::function<void(StoryWorker&)>;
    explicit StoryWorker(Story story) : firmwareUpgrade(nullptr, {}, 0, {}, {}, {}), m_story(std::move(story)) {}

    void say(const QString& line) { emit signalPrintMessage(line, true); }
    void failOnItsOwn() { fail(); }
    void completeAnyway() { complete(); }
    void stopAsAsked()
    {
        markStoppedOnRequest();
        fail();
    }
    void end() { announceOutcome(); }
    bool waitForStop()
    {
        const QDeadlineTimer deadline(storyBoundMs);
        while (!isInterruptionRequested() && !deadline.hasExpired())
            msleep(2);
        return isInterruptionRequested();
    }

protected:
    void run() override { m_story(*this); }

private:
    Story m_story;
};

struct Ended
{
    UpgradeOutcome outcome;
    bool timedOut = false;
    int finishedSignals = 0;
    QStringList messages;
};

Ended runStory(StoryWorker::Story story, int timeoutMs = watchdogMs)
{
    FirmwareRun run(new StoryWorker(std::move(story)), timeoutMs);
    Ended ended;
    QObject::connect(&run, &FirmwareRun::message, [&](const QString& text) { ended.messages << text; });
    QObject::connect(&run, &FirmwareRun::finished, [&](const UpgradeOutcome& outcome) {
        ended.outcome = outcome;
        ++ended.finishedSignals;
    });
    run.start();
    const QDeadlineTimer deadline(storyBoundMs);
    while (ended.finishedSignals == 0 && !deadline.hasExpired())
        QTest::qWait(5);
    // Nothing more arrives after the end.
    QTest::qWait(20);
    ended.timedOut = run.timedOut();
    return ended;
}
} // namespace

class TestCliUpgradeRun : public QObject
{
    Q_OBJECT

private slots:
    void reasonOrder_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<bool>("timedOut");
        QTest::addColumn<QString>("reason");
        const int failed = int(UpgradeOutcome::Result::Failed);
        const int none = int(UpgradeOutcome::Result::NoResult);
        QTest::newRow("own failure") << failed << false << false << ownFailure;
        QTest::newRow("own failure after the watchdog") << failed << false << true << ownFailure;
        QTest::newRow("stopped by the watchdog")
            << failed << true << true << timeOut(1500) + QStringLiteral(": ERROR: x");
        // Stopped otherwise: cancelled, as the journal has it, with the step the stop came in.
        QTest::newRow("stopped on request") << failed << true << false << QStringLiteral("cancelled: ERROR: x");
        QTest::newRow("no result after the watchdog") << none << false << true << timeOut(1500);
        QTest::newRow("no result") << none << false << false << noResult;
    }
    void reasonOrder()
    {
        QFETCH(int, result);
        QFETCH(bool, stopped);
        QFETCH(bool, timedOut);
        QFETCH(QString, reason);
        const UpgradeOutcome outcome = result == int(UpgradeOutcome::Result::Failed)
                                           ? UpgradeOutcome::failure(QStringLiteral("ERROR: x"), stopped)
                                           : UpgradeOutcome();
        QCOMPARE(CliUpgradeRun::reasonFor(outcome, timedOut, 1500), reason);
    }

    // The supply's own refusal comes after the watchdog asked the run to stop: the refusal is the reason.
    void ownFailureAfterTheWatchdogGivesItsOwnReason()
    {
        const Ended ended = runStory([](StoryWorker& worker) {
            worker.waitForStop();
            worker.say(QStringLiteral("CRITICAL: update error: wrong model"));
            worker.failOnItsOwn();
            worker.end();
        });
        QCOMPARE(ended.finishedSignals, 1);
        QVERIFY(ended.timedOut);
        QVERIFY(ended.outcome.failed());
        QVERIFY(!ended.outcome.stoppedOnRequest());
        QCOMPARE(ended.outcome.reason(), QStringLiteral("CRITICAL: update error: wrong model"));
        QCOMPARE(CliUpgradeRun::reasonFor(ended.outcome, ended.timedOut, watchdogMs),
                 QStringLiteral("update error: wrong model"));
    }

    void runStoppedByTheWatchdogGivesTheTimeOut()
    {
        const Ended ended = runStory([](StoryWorker& worker) {
            worker.waitForStop();
            worker.say(QStringLiteral("ERROR: The upgrade was stopped before image line 3."));
            worker.stopAsAsked();
            worker.end();
        });
        QCOMPARE(ended.finishedSignals, 1);
        QVERIFY(ended.outcome.stoppedOnRequest());
        QCOMPARE(ended.outcome.stopReason(), UpgradeOutcome::StopReason::Watchdog);
        QCOMPARE(CliUpgradeRun::reasonFor(ended.outcome, ended.timedOut, watchdogMs),
                 timeOut(watchdogMs) + QStringLiteral(": ERROR: The upgrade was stopped before image line 3."));
    }

    // A worker that ends without a word after the watchdog, and one that ends without a word in time.
    void runWithoutResult()
    {
        const Ended late = runStory([](StoryWorker& worker) { worker.waitForStop(); });
        QCOMPARE(late.finishedSignals, 1);
        QVERIFY(!late.outcome.hasResult());
        QCOMPARE(CliUpgradeRun::reasonFor(late.outcome, late.timedOut, watchdogMs), timeOut(watchdogMs));
        const Ended quiet = runStory([](StoryWorker&) {}, storyBoundMs);
        QVERIFY(!quiet.timedOut);
        QCOMPARE(CliUpgradeRun::reasonFor(quiet.outcome, quiet.timedOut, storyBoundMs), noResult);
    }

    // A worker that signals an error and then a completion failed; its first error line is the reason.
    void errorOutweighsCompletion()
    {
        const UpgradeOutcome outcome = FirmwareRun::outcomeFromSignals(true, true, QStringLiteral("ERROR: a"));
        QVERIFY(outcome.failed());
        QCOMPARE(outcome.reason(), QStringLiteral("ERROR: a"));
        QVERIFY(FirmwareRun::outcomeFromSignals(false, true, {}).succeeded());
        QVERIFY(!FirmwareRun::outcomeFromSignals(false, false, {}).hasResult());
        QCOMPARE(UpgradeOutcome::errorLineOf(QStringLiteral("Update Socket Closed!\n\nERROR: Unexpected Error\n")),
                 QStringLiteral("ERROR: Unexpected Error"));
    }

    // A worker whose procedure ended without saying how is failed by the worker itself; after the
    // watchdog, that is the run stopping as asked.
    void quietEndAfterTheWatchdogGivesTheTimeOut()
    {
        const Ended ended = runStory([](StoryWorker& worker) {
            worker.waitForStop();
            worker.end();
        });
        QCOMPARE(ended.finishedSignals, 1);
        QVERIFY(ended.outcome.failed());
        QVERIFY(ended.outcome.stoppedOnRequest());
        QVERIFY(ended.messages.contains(QStringLiteral("ERROR: The upgrade ended without a result.")));
        QCOMPARE(CliUpgradeRun::reasonFor(ended.outcome, ended.timedOut, watchdogMs),
                 timeOut(watchdogMs) + QStringLiteral(": ERROR: The upgrade ended without a result."));
    }

    // A supply that was installing when the watchdog fired and then confirmed its image was upgraded.
    void completionAfterTheWatchdogIsASuccess()
    {
        const Ended ended = runStory([](StoryWorker& worker) {
            worker.waitForStop();
            worker.completeAnyway();
            worker.end();
        });
        QVERIFY(ended.timedOut);
        QVERIFY(ended.outcome.succeeded());
    }
};

QTEST_GUILESS_MAIN(TestCliUpgradeRun)
#include "tst_cliupgraderun.moc"
