// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/upgradelogfile.h"
#include "common/fakeprompts.h"
#include "common/sampledevices.h"
#include "common/testhome.h"
#include "common/widgetanimations.h"
#include "firmware/firmwarepacing.h"
#include "model/appsettings.h"
#include "scriptedworker.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString supplyImage = QStringLiteral(KESTRION_TEST_DATA "/firmware/power-supply.updt");
constexpr int runBoundMs = 20000;
constexpr int quitBoundMs = 3000;

// Waits for the thread's interruption (bounded), then ends as a supply stopped before its upload ended.
void waitsThenStops(ScriptedWorker& worker)
{
    worker.takeFirstSelected();
    worker.say(QStringLiteral("Uploading..."));
    worker.waitForInterruption(runBoundMs);
    worker.say(QStringLiteral("ERROR: Upload stopped: the unit keeps its old firmware."));
    worker.fail();
}

// Installing: the unit reports nothing the bar could show.
void installsSilently(ScriptedWorker& worker)
{
    worker.takeFirstSelected();
    worker.progress(50);
    worker.say(QStringLiteral("\nInstall new firmware:"));
    worker.progress(1);
    worker.progress(1);
    worker.waitForInterruption(runBoundMs);
    worker.say(QStringLiteral("WARNING: stopped while installing"));
    worker.fail();
}
} // namespace

// The user stays in control of a run through the window: nothing else sends meanwhile, Cancel and
// Escape stop it, Quit asks first, the log is kept on the page and in a file, and the end box tells
// what became of every unit. Scripted workers stand in for the units; rescans go to an empty lab.
class TestUpgradeControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void nothingSendsWhileARunGoesOn();
    void cancelStopsTheUnitAndStartsNoOther();
    void escapeCancelsAndAnInstallingUnitShowsABusyBar();
    void quitAnsweredNoLetsTheRunGoOn();
    void quitAnsweredYesSavesTheLogAndCloses();
    void logSurvivesPageSwitchesAndIsInTheDataFolder();
    void endBoxNamesEveryUnitOfTheRun();

private:
    void startRun(int units);
    QList<QObject*> sendingControls() const;
    template <typename T> T* child(const char* name) const { return m_window->findChild<T*>(QLatin1String(name)); }
    QString log() const { return child<QPlainTextEdit>("plainTextEditFirmware")->toPlainText(); }

    QTemporaryDir m_home;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<ScriptedWorkers> m_workers;
    std::unique_ptr<MainWindow> m_window;
};

void TestUpgradeControl::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path() + QStringLiteral("/.local/share")));
    // A rescan sends discovery queries: only inside the harness's empty lab.
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS"))
        QSKIP("runs only inside the namespace harness");
    AppSettings settings;
    settings.setResponseTimeout(300);
    // Cancel and the end box of one unit after another; units at once are tst_firmwarepage_fleet's.
    settings.setParallelUpgrades(1);
    settings.sync();
}

void TestUpgradeControl::init()
{
    FirmwarePacing pacing;
    pacing.verifyScanPauseMs = 50;
    pacing.verifyScanAttempts = 1;
    FirmwarePacing::setCurrent(pacing);
    m_prompts = std::make_shared<FakePrompts>();
    m_workers = std::make_unique<ScriptedWorkers>();
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts, m_workers->factory());
    m_window->show();
    m_window->timeout();
}

void TestUpgradeControl::cleanup()
{
    FirmwarePacing::setCurrent(FirmwarePacing());
    m_window.reset();
    m_workers.reset();
}

void TestUpgradeControl::cleanupTestCase()
{
    letWidgetAnimationsEnd();
}

// `units` supplies of one model ticked on the firmware page, the file chosen, the upgrade pressed.
void TestUpgradeControl::startRun(int units)
{
    QList<Device_t> devices;
    for (int i = 0; i < units; ++i)
        devices << makeDevice(QStringLiteral("1100"), QStringLiteral("10.77.9.%1").arg(10 + i));
    m_window->showDevices(devices);
    m_window->onShowPageFwUpgrade();
    DeviceTable& table = m_window->deviceTable();
    for (int i = 0; i < units; ++i)
        table.selectionBox(table.rowOfDevice(i))->setChecked(true);
    m_prompts->fileName = supplyImage;
    QTest::mouseClick(child<QPushButton>("chooseFirmwareBtn"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("updateFwBtn"), Qt::LeftButton);
}

QList<QObject*> TestUpgradeControl::sendingControls() const
{
    return {child<QPushButton>("scanBtn"),
            child<QPushButton>("saveConfBtn"),
            child<QPushButton>("moveSubnetBtn"),
            child<QPushButton>("updateFwBtn"),
            child<QPushButton>("configBtn"),
            child<QAction>("actionNew_Scan"),
            child<QAction>("actionAdvanced_network_config"),
            child<QAction>("actionImport_network_configuration"),
            child<QAction>("actionSelect_network_interfaces")};
}

void TestUpgradeControl::nothingSendsWhileARunGoesOn()
{
    m_workers->story = waitsThenStops;
    startRun(1);
    QTRY_COMPARE_WITH_TIMEOUT(m_workers->running(), 1, runBoundMs);
    for (QObject* control : sendingControls())
        QVERIFY2(!control->property("enabled").toBool(), qPrintable(control->objectName()));
    // The shortcuts and menus, the page buttons, a rescan asked for by another page: nothing runs,
    // nothing gives the window back.
    QTest::keyClick(m_window.get(), Qt::Key_Space);
    child<QAction>("actionNew_Scan")->trigger();
    m_window->onScanDevices();
    m_window->enableUI(true);
    m_window->onShowConfigureDevicePage();
    m_window->onSaveNewConfiguration();
    QCOMPARE(m_window->devices().size(), 1);
    for (QObject* control : sendingControls())
        QVERIFY2(!control->property("enabled").toBool(), qPrintable(control->objectName()));
    QVERIFY(child<QPushButton>("cancelFwBtn")->isEnabled());
    QTest::mouseClick(child<QPushButton>("cancelFwBtn"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->firmwarePage().upgradeRunning(), runBoundMs);
    QTRY_VERIFY_WITH_TIMEOUT(child<QPushButton>("scanBtn")->isEnabled(), runBoundMs);
    QVERIFY(child<QAction>("actionAdvanced_network_config")->isEnabled());
    QVERIFY(!child<QPushButton>("cancelFwBtn")->isEnabled());
}

void TestUpgradeControl::cancelStopsTheUnitAndStartsNoOther()
{
    m_workers->story = waitsThenStops;
    startRun(2);
    QTRY_COMPARE_WITH_TIMEOUT(m_workers->running(), 1, runBoundMs);
    QTest::mouseClick(child<QPushButton>("cancelFwBtn"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->firmwarePage().upgradeRunning(), runBoundMs);
    QCOMPARE(m_workers->count(), 1);
    QCOMPARE(m_workers->interruptedRuns(), 1);
    QVERIFY(
        log().contains(QStringLiteral("Cancel: the upgrade of Group 1100 10.77.9.10 stops at its next safe point")));
    QVERIFY(log().contains(QStringLiteral("ERROR: Upload stopped")));
    QCOMPARE(m_prompts->boxes.size(), 1);
    const QString text = m_prompts->boxes.first().text;
    QVERIFY2(text.startsWith(QStringLiteral("WARNING: The upgrade was cancelled.")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Group 1100 10.77.9.10: cancelled (ERROR: Upload stopped")),
             qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Group 1100 10.77.9.11: not started")), qPrintable(text));
}

void TestUpgradeControl::escapeCancelsAndAnInstallingUnitShowsABusyBar()
{
    m_workers->story = installsSilently;
    startRun(1);
    QProgressBar* bar = child<QProgressBar>("progressBarFirmware");
    QTRY_COMPARE_WITH_TIMEOUT(bar->maximum(), 0, runBoundMs);
    child<QPlainTextEdit>("plainTextEditFirmware")->setFocus();
    QTest::keyClick(child<QPlainTextEdit>("plainTextEditFirmware"), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->firmwarePage().upgradeRunning(), runBoundMs);
    QVERIFY(log().contains(QStringLiteral("installing the uploaded firmware and cannot be stopped")));
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(m_workers->interruptedRuns(), 1);
}

void TestUpgradeControl::quitAnsweredNoLetsTheRunGoOn()
{
    m_workers->story = waitsThenStops;
    startRun(1);
    QTRY_COMPARE_WITH_TIMEOUT(m_workers->running(), 1, runBoundMs);
    m_prompts->answer = QMessageBox::No;
    QTest::keyClick(m_window.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_prompts->boxes.size(), 1);
    const FakePrompts::Box question = m_prompts->boxes.first();
    QCOMPARE(question.kind, QStringLiteral("question"));
    QCOMPARE(question.text, QStringLiteral("An upgrade is running on Group 1100 10.77.9.10. Stopping now may leave "
                                           "it without working firmware. Quit anyway?"));
    QCOMPARE(question.defaultButton, QMessageBox::No);
    QTest::qWait(200);
    QCOMPARE(m_workers->running(), 1);
    QCOMPARE(m_workers->interruptedRuns(), 0);
    QTest::mouseClick(child<QPushButton>("cancelFwBtn"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->firmwarePage().upgradeRunning(), runBoundMs);
}

void TestUpgradeControl::quitAnsweredYesSavesTheLogAndCloses()
{
    m_workers->story = waitsThenStops;
    startRun(1);
    QTRY_COMPARE_WITH_TIMEOUT(m_workers->running(), 1, runBoundMs);
    m_window->firmwarePage().setQuitWaitMs(quitBoundMs);
    m_prompts->answer = QMessageBox::Yes;
    QElapsedTimer clock;
    clock.start();
    m_window->close();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), quitBoundMs + 1000);
    QVERIFY(clock.elapsed() < quitBoundMs + 1000);
    QCOMPARE(m_workers->interruptedRuns(), 1);
    QFile file(m_window->firmwarePage().logFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(file.readAll());
    QVERIFY2(saved.contains(QStringLiteral("ERROR: Upload stopped")), qPrintable(saved));
    QVERIFY(saved.contains(QStringLiteral("The upgrade was stopped for quitting")));
}

void TestUpgradeControl::logSurvivesPageSwitchesAndIsInTheDataFolder()
{
    m_workers->story = ScriptedWorkers::fails;
    startRun(1);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->firmwarePage().upgradeRunning() && !m_prompts->boxes.isEmpty(), runBoundMs);
    const QString before = log();
    QVERIFY(before.contains(QStringLiteral("CRITICAL: scripted failure")));
    m_window->onShowConfigureDevicePage();
    m_window->onShowPageFwUpgrade();
    QCOMPARE(log(), before);
    const QString path = m_window->firmwarePage().logFilePath();
    QCOMPARE(QFileInfo(path).absolutePath(), QDir(UpgradeLogFile::folder()).absolutePath());
    QVERIFY(QFileInfo(path).fileName().contains(
        QRegularExpression(QStringLiteral("^update_log_\\d{4}_\\d\\d_\\d\\d_\\d\\d_\\d\\d_\\d\\d(_\\d+)?\\.txt$"))));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(file.readAll()).contains(QStringLiteral("CRITICAL: scripted failure")));
    QVERIFY(m_prompts->boxes.last().text.endsWith(QStringLiteral("Log: ") + path));
    QTest::mouseClick(child<QPushButton>("clearLogBtn"), Qt::LeftButton);
    QVERIFY(log().isEmpty());
    QVERIFY(QFileInfo::exists(path));
}

void TestUpgradeControl::endBoxNamesEveryUnitOfTheRun()
{
    m_workers->stories = {ScriptedWorkers::completes, ScriptedWorkers::fails};
    m_workers->story = ScriptedWorkers::completes;
    startRun(3);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->firmwarePage().upgradeRunning() && !m_prompts->boxes.isEmpty(), runBoundMs);
    QCOMPARE(m_workers->count(), 2);
    const FakePrompts::Box box = m_prompts->boxes.last();
    QCOMPARE(box.kind, QStringLiteral("critical"));
    QVERIFY2(box.text.startsWith(QStringLiteral("ERROR: Updating failed!\n\n"
                                                "Group 1100 10.77.9.10: upgraded\n"
                                                "Group 1100 10.77.9.11: failed (CRITICAL: scripted failure)\n"
                                                "Group 1100 10.77.9.12: not started\n\n")),
             qPrintable(box.text));
    // The unit upgraded before the failure was looked for by a rescan.
    QVERIFY2(box.text.contains(QStringLiteral("10.77.9.10")), qPrintable(box.text));
    QVERIFY(box.text.contains(QStringLiteral("Log: ")));
}

QTEST_MAIN(TestUpgradeControl)
#include "tst_upgradecontrol.moc"
