// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/devicetable.h"
#include "app/fleetresultstable.h"
#include "common/firmwareimages.h"
#include "common/simlog.h"
#include "common/testhome.h"
#include "firmwarepagelab.h"
#include "model/appsettings.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {
constexpr int runBoundMs = 120000;
constexpr qint64 smallImage = 64 * 1024;
const QString successText = QStringLiteral("Device succesfuly updated!");
const QString failureText = QStringLiteral("ERROR: Updating failed!");
const QString cancelText = QStringLiteral("WARNING: The upgrade was cancelled.");
const QString failingUnit = QStringLiteral("10.77.5.30");

QStringList addresses(const QString& prefix, int first, int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << prefix + QString::number(first + i);
    return list;
}
const QStringList fleet = addresses(QStringLiteral("10.77.5."), 10, 12);
const QStringList slowFleet = addresses(QStringLiteral("10.77.5."), 40, 6);
// Uploads of some 4 s each: longer than thirty-two starts take, each writing its journal record to disk first.
const QStringList moreUnits = addresses(QStringLiteral("10.77.5."), 100, 32);
// What the window may spend at once on the run's news without the user feeling it.
constexpr qint64 longestBlockMs = 50;
} // namespace

// Many power supplies upgraded at once through the real firmware page, against the simulated lab of
// tests/labs/firmware-page-fleet.json: a row per unit in the results table, the end box per unit.
class TestFirmwarePageFleet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void twelveSuppliesFourAtOnce();
    void runGoesDownTheTableAsShown();
    void oneFailingUnitAmongThem();
    void cancelWithUnitsInFlight();
    void failureLimitStartsNoFurtherUnit();
    void quitWithUnitsInFlightSavesTheirLog();
    void thirtyTwoAtOnceKeepTheWindowResponsive();

private:
    bool bothWorkersSpoke() const;
    QString image(const QString& name, const QString& version);
    QString stepOf(int row) const;
    int rowOfUnit(const QString& ip) const;
    // Counts the rows in flight as the run goes, to see how many ran at once.
    void watchInFlight();
    int inFlight() const;

    QTemporaryDir m_home;
    QTemporaryDir m_images;
    std::unique_ptr<FirmwarePageLab> m_lab;
    QTimer* m_watch = nullptr;
    int m_mostInFlight = 0;
    // The longest the event loop went without turning while units were in flight, and while all of them were:
    // no unit starting or ending in between, only the run's lines and progress arriving.
    qint64 m_longestGapMs = 0;
    qint64 m_longestFullGapMs = 0;
};

void TestFirmwarePageFleet::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(m_images.isValid());
    useTestHome(m_home);
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path() + QStringLiteral("/.local/share")));
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS") || !SimLog::available())
        QSKIP("runs only inside the namespace harness");
}

void TestFirmwarePageFleet::init()
{
    AppSettings settings;
    settings.setParallelUpgrades(AppSettings::defaultParallelUpgrades);
    settings.setMaxFailures(AppSettings::defaultMaxFailures);
    settings.sync();
    FirmwarePacing pacing = quickPacing();
    pacing.verifyScanAttempts = 5;
    FirmwarePacing::setCurrent(pacing);
    m_lab = std::make_unique<FirmwarePageLab>();
    m_lab->scan();
    QVERIFY(m_lab->rowOf(fleet.first()) >= 0);
    m_lab->markSimLog();
    m_mostInFlight = 0;
}

void TestFirmwarePageFleet::cleanup()
{
    delete m_watch;
    m_watch = nullptr;
    m_lab.reset();
    FirmwarePacing::setCurrent(FirmwarePacing());
}

QString TestFirmwarePageFleet::image(const QString& name, const QString& version)
{
    const QString path = m_images.filePath(name + QStringLiteral(".updt"));
    return FirmwareImages::writeUpdt(path, smallImage, version) ? path : QString();
}

QString TestFirmwarePageFleet::stepOf(int row) const
{
    FleetResultsTable* results = m_lab->window->firmwarePage().resultsTable();
    return results->table()->item(row, FleetResultsTable::columnStep)->text();
}

int TestFirmwarePageFleet::rowOfUnit(const QString& ip) const
{
    QTableWidget* table = m_lab->window->firmwarePage().resultsTable()->table();
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, FleetResultsTable::columnUnit)->text().endsWith(QStringLiteral(", ") + ip))
            return row;
    }
    return -1;
}

int TestFirmwarePageFleet::inFlight() const
{
    FleetResultsTable* results = m_lab->window->firmwarePage().resultsTable();
    int count = 0;
    for (int row = 0; row < results->unitCount(); ++row) {
        const FleetRun::Step step = results->step(row);
        count += step != FleetRun::Step::Waiting && step != FleetRun::Step::Done && step != FleetRun::Step::Failed &&
                 step != FleetRun::Step::Cancelled;
    }
    return count;
}

void TestFirmwarePageFleet::watchInFlight()
{
    m_watch = new QTimer;
    m_watch->setInterval(5);
    m_longestGapMs = 0;
    auto clock = std::make_shared<QElapsedTimer>();
    m_longestFullGapMs = 0;
    auto before = std::make_shared<int>(0);
    QObject::connect(m_watch, &QTimer::timeout, [this, clock, before] {
        const int now = inFlight();
        const int total = m_lab->window->firmwarePage().resultsTable()->unitCount();
        if (*before > 0 && now > 0 && clock->isValid())
            m_longestGapMs = qMax(m_longestGapMs, clock->elapsed());
        if (*before == total && now == total && clock->isValid())
            m_longestFullGapMs = qMax(m_longestFullGapMs, clock->elapsed());
        *before = now;
        clock->start();
        m_mostInFlight = qMax(m_mostInFlight, now);
    });
    m_watch->start();
}

void TestFirmwarePageFleet::twelveSuppliesFourAtOnce()
{
    const QString path = image(QStringLiteral("fleet"), QStringLiteral("2.0.1"));
    QVERIFY(!path.isEmpty());
    QVERIFY(m_lab->tick(fleet));
    // More than four units: the first goes alone unless the user says otherwise.
    QCheckBox* canary = m_lab->window->firmwarePage().canaryBox();
    QCOMPARE(canary->text(), QStringLiteral("Upgrade one unit first"));
    QVERIFY(canary->isChecked());
    m_lab->choose(1, path);
    watchInFlight();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    qInfo("12 units, 4 at once, one first: %lld ms", clock.elapsed());

    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("information"));
    const QString text = m_lab->lastBox().text;
    QVERIFY2(text.startsWith(successText), qPrintable(text));
    QVERIFY(m_lab->windowEnabled());
    QCOMPARE(m_lab->recorder.runs().size(), fleet.size());
    QVERIFY2(m_mostInFlight >= 2 && m_mostInFlight <= 4, qPrintable(QString::number(m_mostInFlight)));
    QCOMPARE(m_lab->bar()->value(), 100);

    FleetResultsTable* results = m_lab->window->firmwarePage().resultsTable();
    QVERIFY(results->isVisible());
    QCOMPARE(results->unitCount(), fleet.size());
    const QString log = m_lab->log();
    QFile saved(m_lab->window->firmwarePage().logFilePath());
    QVERIFY(saved.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString savedLog = QString::fromUtf8(saved.readAll());
    for (const QString& ip : fleet) {
        const int row = rowOfUnit(ip);
        QVERIFY2(row >= 0, qPrintable(ip));
        QCOMPARE(stepOf(row), QStringLiteral("done"));
        QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("2.0.1"));
        QVERIFY2(text.contains(ip + QStringLiteral(": upgraded; version before 1.0.00, after 2.0.1")),
                 qPrintable(text));
        // Every unit's lines carry its name, in the pane and in the file.
        const QString connected = QStringLiteral(" %1] Device Connected!").arg(ip);
        QCOMPARE(log.count(connected), 1);
        QCOMPARE(savedLog.count(connected), 1);
        // No line names a unit and says nothing.
        QVERIFY2(!savedLog.contains(QStringLiteral("%1]\n").arg(ip)) &&
                     !savedLog.contains(QStringLiteral("%1] \n").arg(ip)),
                 qPrintable(ip));
        const QString simName = QStringLiteral("f%1").arg(fleet.indexOf(ip) + 1, 2, 10, QLatin1Char('0'));
        QCOMPARE(SimLog::events(m_lab->simLog(), QStringLiteral("upload"), simName).size(), 1);
    }

    // The chosen row shows that unit's log alone.
    const int third = rowOfUnit(fleet.at(2));
    QTableWidget* table = results->table();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(third, FleetResultsTable::columnUnit)).center());
    const QString unitLog = results->unitLogPane()->toPlainText();
    QVERIFY(unitLog.contains(QStringLiteral("Device IP: ") + fleet.at(2)));
    QVERIFY(!unitLog.contains(QStringLiteral("Device IP: ") + fleet.at(3)));
}

// With the table sorted by address, highest first, the run goes down the table as shown.
void TestFirmwarePageFleet::runGoesDownTheTableAsShown()
{
    const QString path = image(QStringLiteral("fleet-order"), QStringLiteral("2.0.3"));
    QStringList units = fleet.mid(4, 3);
    QVERIFY(m_lab->tick(units));
    m_lab->table()->sortItems(DeviceTable::columnIp, Qt::DescendingOrder);
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    std::sort(units.begin(), units.end(),
              [this](const QString& a, const QString& b) { return m_lab->rowOf(a) < m_lab->rowOf(b); });
    // The results table lists the units in the run's order, the canary first.
    for (int i = 0; i < units.size(); ++i)
        QCOMPARE(rowOfUnit(units.at(i)), i);
}

void TestFirmwarePageFleet::oneFailingUnitAmongThem()
{
    const QString path = image(QStringLiteral("fleet-fail"), QStringLiteral("2.0.2"));
    const QStringList units = QStringList(fleet.mid(0, 4)) << failingUnit;
    QVERIFY(m_lab->tick(units));
    QCheckBox* canary = m_lab->window->firmwarePage().canaryBox();
    QVERIFY(canary->isChecked());
    QTest::mouseClick(canary, Qt::LeftButton);
    QVERIFY(!canary->isChecked());
    m_lab->choose(1, path);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    qInfo("5 units, one failing: %lld ms", clock.elapsed());

    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("critical"));
    const QString text = m_lab->lastBox().text;
    QVERIFY2(text.startsWith(failureText), qPrintable(text));
    const int bad = rowOfUnit(failingUnit);
    QVERIFY(bad >= 0);
    QCOMPARE(stepOf(bad), QStringLiteral("failed"));
    QTableWidget* table = m_lab->window->firmwarePage().resultsTable()->table();
    QVERIFY2(table->item(bad, FleetResultsTable::columnMessage)->text().contains(QStringLiteral("CRITICAL")),
             qPrintable(table->item(bad, FleetResultsTable::columnMessage)->text()));
    QVERIFY2(text.contains(failingUnit + QStringLiteral(": failed (CRITICAL: module is in ON mode!")),
             qPrintable(text));
    for (const QString& ip : fleet.mid(0, 4)) {
        QCOMPARE(stepOf(rowOfUnit(ip)), QStringLiteral("done"));
        QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("2.0.2"));
        QVERIFY2(text.contains(ip + QStringLiteral(": upgraded; version before 2.0.1, after 2.0.2")) ||
                     text.contains(ip + QStringLiteral(": upgraded; version before 1.0.00, after 2.0.2")),
                 qPrintable(text));
    }
    // Every unit has ended, one of them failed: the overall bar is full all the same.
    QCOMPARE(m_lab->window->findChild<QProgressBar*>(QStringLiteral("progressBarFirmware"))->value(), 100);
    QVERIFY(m_lab->windowEnabled());
}

void TestFirmwarePageFleet::cancelWithUnitsInFlight()
{
    // A supply that is installing cannot be stopped: long enough a wait for its slow install to end.
    FirmwarePacing pacing = FirmwarePacing::current();
    pacing.installWaitMs = 3000;
    FirmwarePacing::setCurrent(pacing);
    AppSettings().setParallelUpgrades(2);
    const QString path = image(QStringLiteral("fleet-cancel"), QStringLiteral("2.0.3"));
    QVERIFY(m_lab->tick(slowFleet));
    QCheckBox* canary = m_lab->window->firmwarePage().canaryBox();
    QTest::mouseClick(canary, Qt::LeftButton);
    QVERIFY(!canary->isChecked());
    m_lab->choose(1, path);
    const int boxes = m_lab->prompts->boxes.size();
    QTest::mouseClick(m_lab->child<QPushButton>("updateFwBtn"), Qt::LeftButton);
    FleetResultsTable* results = m_lab->window->firmwarePage().resultsTable();
    QTRY_VERIFY_WITH_TIMEOUT(results->step(0) != FleetRun::Step::Waiting && results->step(1) != FleetRun::Step::Waiting,
                             10000);
    // Their workers start once their journal records are written.
    QTRY_VERIFY_WITH_TIMEOUT(bothWorkersSpoke(), 10000);
    QPushButton* cancel = m_lab->child<QPushButton>("cancelFwBtn");
    QVERIFY(cancel->isEnabled());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QVERIFY(!cancel->isEnabled());
    QVERIFY(QTest::qWaitFor(
        [&] { return m_lab->prompts->boxes.size() > boxes && !m_lab->window->firmwarePage().upgradeRunning(); },
        runBoundMs));

    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("warning"));
    QVERIFY2(m_lab->lastBox().text.startsWith(cancelText), qPrintable(m_lab->lastBox().text));
    // Only the two in flight ever had a worker; each ended at a safe point.
    QCOMPARE(m_lab->recorder.runs().size(), 2);
    for (const WorkerRecorder::Run& run : m_lab->recorder.runs())
        QCOMPARE(run.finalSignals(), 1);
    for (int row = 0; row < 2; ++row)
        QVERIFY2(stepOf(row) == QStringLiteral("done") || stepOf(row) == QStringLiteral("cancelled"),
                 qPrintable(stepOf(row)));
    // As the end box says: the units never started were not started.
    for (int row = 2; row < slowFleet.size(); ++row)
        QCOMPARE(stepOf(row), QStringLiteral("not started"));
    QVERIFY2(m_lab->log().contains(QStringLiteral(
                 "Cancel: every unit in flight stops at its next safe point; no further unit is started.")),
             qPrintable(m_lab->log()));
    QTRY_VERIFY(m_lab->windowEnabled());
}

// With a limit of one failure, the first failed unit is the last to have been started.
void TestFirmwarePageFleet::failureLimitStartsNoFurtherUnit()
{
    FirmwarePacing pacing = FirmwarePacing::current();
    pacing.installWaitMs = 3000;
    FirmwarePacing::setCurrent(pacing);
    AppSettings settings;
    settings.setParallelUpgrades(2);
    settings.setMaxFailures(1);
    settings.sync();
    const QString path = image(QStringLiteral("fleet-limit"), QStringLiteral("2.0.5"));
    const QStringList units = QStringList{failingUnit, QStringLiteral("10.77.5.31")} << slowFleet.mid(0, 3);
    QVERIFY(m_lab->tick(units));
    QTest::mouseClick(m_lab->window->firmwarePage().canaryBox(), Qt::LeftButton);
    QVERIFY(!m_lab->window->firmwarePage().canaryBox()->isChecked());
    m_lab->choose(1, path);
    QVERIFY(m_lab->upgrade(1, runBoundMs));

    QCOMPARE(m_lab->lastBox().kind, QStringLiteral("critical"));
    const QString text = m_lab->lastBox().text;
    QVERIFY2(text.startsWith(failureText + QStringLiteral("\nNo further unit was started: ")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral(": not started")), qPrintable(text));
    QVERIFY(m_lab->recorder.runs().size() < units.size());
    QVERIFY2(m_lab->log().contains(QStringLiteral("No further unit is started: ")), qPrintable(m_lab->log()));
    QVERIFY(m_lab->windowEnabled());
}

bool TestFirmwarePageFleet::bothWorkersSpoke() const
{
    const QList<WorkerRecorder::Run> runs = m_lab->recorder.runs();
    return runs.size() == 2 && !runs.at(0).logs.isEmpty() && !runs.at(1).logs.isEmpty();
}

// Quit answered Yes: every unit in flight stops at its safe point, its lines are in the saved log, the window goes.
void TestFirmwarePageFleet::quitWithUnitsInFlightSavesTheirLog()
{
    constexpr int quitBoundMs = 15000;
    FirmwarePacing pacing = FirmwarePacing::current();
    pacing.installWaitMs = 3000;
    FirmwarePacing::setCurrent(pacing);
    AppSettings().setParallelUpgrades(2);
    const QString path = image(QStringLiteral("fleet-quit"), QStringLiteral("2.0.6"));
    QVERIFY(m_lab->tick(slowFleet.mid(0, 3)));
    m_lab->choose(1, path);
    QTest::mouseClick(m_lab->child<QPushButton>("updateFwBtn"), Qt::LeftButton);
    FleetResultsTable* results = m_lab->window->firmwarePage().resultsTable();
    QTRY_VERIFY_WITH_TIMEOUT(results->step(0) != FleetRun::Step::Waiting && results->step(1) != FleetRun::Step::Waiting,
                             10000);
    // Their workers start once their journal records are written.
    QTRY_VERIFY_WITH_TIMEOUT(bothWorkersSpoke(), 10000);
    m_lab->window->firmwarePage().setQuitWaitMs(quitBoundMs);
    m_lab->prompts->answer = QMessageBox::Yes;
    m_lab->window->close();
    QTRY_VERIFY_WITH_TIMEOUT(!m_lab->window->isVisible(), quitBoundMs + 2000);
    QVERIFY(!m_lab->window->firmwarePage().upgradeRunning());
    QCOMPARE(m_lab->recorder.runs().size(), 2);
    QFile file(m_lab->window->firmwarePage().logFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(file.readAll());
    for (const QString& ip : slowFleet.mid(0, 2))
        QVERIFY2(saved.contains(QStringLiteral(" %1] Device IP: %1").arg(ip)), qPrintable(saved));
    QVERIFY2(!saved.contains(slowFleet.at(2) + QStringLiteral("] ")), qPrintable(saved));
    QVERIFY2(saved.contains(QStringLiteral("The upgrade was stopped for quitting")), qPrintable(saved));
}

// The most units at once: their lines and progress reach the window batched, so it keeps turning.
void TestFirmwarePageFleet::thirtyTwoAtOnceKeepTheWindowResponsive()
{
    AppSettings().setParallelUpgrades(AppSettings::maxParallelUpgrades);
    const QString path = image(QStringLiteral("fleet-32"), QStringLiteral("2.0.4"));
    const QStringList units = moreUnits;
    QCOMPARE(units.size(), 32);
    QVERIFY(m_lab->tick(units));
    QTest::mouseClick(m_lab->window->firmwarePage().canaryBox(), Qt::LeftButton);
    m_lab->choose(1, path);
    watchInFlight();
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_lab->upgrade(1, runBoundMs));
    qInfo("32 units at once: %lld ms; at most %d in flight; longest turn of the event loop %lld ms, %lld ms with all "
          "32 in flight",
          clock.elapsed(), m_mostInFlight, m_longestGapMs, m_longestFullGapMs);
    QVERIFY2(m_lab->lastBox().text.startsWith(successText), qPrintable(m_lab->lastBox().text));
    QVERIFY2(m_mostInFlight > AppSettings::defaultParallelUpgrades, qPrintable(QString::number(m_mostInFlight)));
    QCOMPARE(m_mostInFlight, units.size());
    QVERIFY2(m_longestFullGapMs <= longestBlockMs, qPrintable(QString::number(m_longestFullGapMs)));
    for (const QString& ip : units)
        QCOMPARE(m_lab->firmwareShown(ip), QStringLiteral("2.0.4"));
}

QTEST_MAIN(TestFirmwarePageFleet)
#include "tst_firmwarepage_fleet.moc"
