// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "common/fakeprompts.h"
#include "common/sampledevices.h"
#include "common/testhome.h"
#include "common/widgetanimations.h"
#include "firmware/firmwarepacing.h"
#include "model/appsettings.h"
#include "scriptedworker.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString supplyImage = QStringLiteral(KESTRION_TEST_DATA "/firmware/power-supply.updt");
constexpr int shortTimeoutMs = 300;
constexpr int runBoundMs = 30000;
} // namespace

// The firmware run as the window drives it, with scripted workers: the buttons, the watchdog time
// from the settings file, the controls locked and freed, the rescan, the status bar, the named
// slots that forward to the page, and closing or destroying the window while a worker runs.
class TestFirmwareWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void watchdogTimeComesFromTheSettings();
    void successRescansAndFreesTheWindow();
    void namedSlotsForwardToThePage();
    void closingWaitsForTheWorker();
    void destroyingTheWindowStopsTheWorker();

private:
    void startRun(ScriptedWorkers::Story story);
    QList<QWidget*> runControls() const;
    bool windowEnabled() const;
    template <typename T> T* child(const char* name) const { return m_window->findChild<T*>(QLatin1String(name)); }

    QTemporaryDir m_home;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<ScriptedWorkers> m_workers;
    std::unique_ptr<MainWindow> m_window;
};

void TestFirmwareWindow::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    // The rescan after a run sends discovery queries: only inside the harness's empty lab.
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS"))
        QSKIP("runs only inside the namespace harness");
    AppSettings settings;
    settings.setResponseTimeout(shortTimeoutMs);
    settings.sync();
}

void TestFirmwareWindow::init()
{
    // The units of these runs are not in the lab: the rescans that look for them are not paced for real.
    FirmwarePacing pacing;
    pacing.verifyScanPauseMs = 50;
    FirmwarePacing::setCurrent(pacing);
    m_prompts = std::make_shared<FakePrompts>();
    m_workers = std::make_unique<ScriptedWorkers>();
    m_workers->story = ScriptedWorkers::completes;
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts, m_workers->factory());
    m_window->show();
    m_window->timeout();
}

void TestFirmwareWindow::cleanup()
{
    FirmwarePacing::setCurrent(FirmwarePacing());
    m_window.reset();
    m_workers.reset();
}

void TestFirmwareWindow::cleanupTestCase()
{
    letWidgetAnimationsEnd();
}

QList<QWidget*> TestFirmwareWindow::runControls() const
{
    return {child<QPushButton>("scanBtn"),       child<QPushButton>("updateFwBtn"),
            child<QPushButton>("updateFw2Btn"),  child<QPushButton>("infoBtn"),
            child<QPushButton>("configBtn"),     child<QLineEdit>("lineEditFirmware1"),
            child<QCheckBox>("checkBoxManualIP")};
}

bool TestFirmwareWindow::windowEnabled() const
{
    const QList<QWidget*> controls = runControls();
    return std::all_of(controls.cbegin(), controls.cend(), [](QWidget* control) { return control->isEnabled(); });
}

// One supply ticked on the firmware page, its file chosen, the upgrade button pressed.
void TestFirmwareWindow::startRun(ScriptedWorkers::Story story)
{
    m_workers->story = std::move(story);
    m_window->showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("10.77.9.10")),
                           makeDevice(QStringLiteral("2100"), QStringLiteral("10.77.9.20"))});
    m_window->onShowPageFwUpgrade();
    DeviceTable& table = m_window->deviceTable();
    table.selectionBox(table.rowOfDevice(0))->setChecked(true);
    m_prompts->fileName = supplyImage;
    QTest::mouseClick(child<QPushButton>("chooseFirmwareBtn"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>("lineEditFirmware1")->text(), supplyImage);
    QTest::mouseClick(child<QPushButton>("updateFwBtn"), Qt::LeftButton);
}

void TestFirmwareWindow::watchdogTimeComesFromTheSettings()
{
    QCOMPARE(m_window->updateTimeout(), shortTimeoutMs);
    startRun(ScriptedWorkers::waitsForInterruption);
    QVERIFY(m_window->firmwarePage().upgradeRunning());
    for (QWidget* control : runControls())
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("Upgrading device 1 of 1: Group 1100 10.77.9.10"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->firmwarePage().upgradeRunning(), runBoundMs);
    QCOMPARE(m_workers->interruptedRuns(), 1);
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes.first().title, QStringLiteral("Firmware Upgrade"));
    // The failure, then what became of the unit and where the run's log is.
    QVERIFY(m_prompts->boxes.first().text.startsWith(QStringLiteral("ERROR: Updating failed!\n\n"
                                                                    "Group 1100 10.77.9.10: failed (CRITICAL: ")));
    QVERIFY(m_prompts->boxes.first().text.contains(QStringLiteral("Log: ")));
    QVERIFY(windowEnabled());
    QVERIFY(child<QPlainTextEdit>("plainTextEditFirmware")
                ->toPlainText()
                .contains(QStringLiteral("WARNING: No result after 300 ms: the upgrade is asked to stop.\n"
                                         "CRITICAL: update error: Timeout Error!")));
    QVERIFY(m_window->statusBar()->currentMessage().startsWith(
        QStringLiteral("Upgrade failed on device 1 of 1: Group 1100 10.77.9.10; log: ")));
    // The device that failed is off the selection; the table still shows it.
    QCOMPARE(m_window->selectedForUpgrade(), (QList<bool>{false, false}));
    QCOMPARE(m_window->devices().size(), 2);
}

void TestFirmwareWindow::successRescansAndFreesTheWindow()
{
    startRun(ScriptedWorkers::completes);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->firmwarePage().upgradeRunning() && !m_prompts->boxes.isEmpty(), runBoundMs);
    QCOMPARE(m_prompts->boxes.first().kind, QStringLiteral("information"));
    // The unit is not in the lab: the rescan cannot confirm its new version.
    QVERIFY(m_prompts->boxes.first().text.startsWith(
        QStringLiteral("Device succesfuly updated!\n\nGroup 1100 10.77.9.10: upgraded\n\nWARNING: ")));
    QVERIFY(m_prompts->boxes.first().text.contains(
        QStringLiteral("did not answer the scan after its upgrade: its new firmware version is not known.\n\nLog: ")));
    // The rescan of the empty lab leaves an empty table.
    QVERIFY(m_window->devices().isEmpty());
    QCOMPARE(child<QTableWidget>("tableWidgetDeviceFirstTable")->rowCount(), 0);
    QVERIFY(windowEnabled());
    QVERIFY(child<QAction>("actionNew_Scan")->isEnabled());
    QVERIFY(
        m_window->statusBar()->currentMessage().startsWith(QStringLiteral("Upgrade complete: 1 of 1 updated; log: ")));
}

void TestFirmwareWindow::namedSlotsForwardToThePage()
{
    m_window->showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("10.77.9.10")),
                           makeDevice(QStringLiteral("1100"), QStringLiteral("10.77.9.11"))});
    m_window->onShowPageFwUpgrade();
    DeviceTable& table = m_window->deviceTable();
    table.selectionBox(table.rowOfDevice(1))->setChecked(true);
    QCOMPARE(m_window->selectedForUpgrade(), (QList<bool>{false, true}));
    m_window->onRemoveSelectedDev(1);
    QVERIFY(!table.selectionBox(table.rowOfDevice(1))->isChecked());
    QCOMPARE(m_window->selectedForUpgrade(), (QList<bool>{false, false}));

    auto* bar = child<QProgressBar>("progressBarFirmware");
    m_window->onChangeFwProgressBar(50);
    QCOMPARE(bar->value(), 50);
    m_window->onChangeFwProgressBar(2);
    QCOMPARE(bar->value(), 52);
    m_window->onWriteFwUpLog(QStringLiteral("Fiwmware uploaded!"));
    QTRY_COMPARE(child<QPlainTextEdit>("plainTextEditFirmware")->toPlainText(), QStringLiteral("Fiwmware uploaded!"));

    // Without a worker the outcome slots act at once.
    m_window->enableUI(false);
    m_window->onStopUpdateProcedure();
    QCOMPARE(m_prompts->boxes.last().text, QStringLiteral("ERROR: Updating failed!"));
    QVERIFY(windowEnabled());
    m_window->enableUI(false);
    m_window->onUpdateNextDevice();
    QCOMPARE(m_prompts->boxes.last().text, QStringLiteral("Device succesfuly updated!"));
    QVERIFY(windowEnabled());
    QVERIFY(m_window->devices().isEmpty());
    QCOMPARE(m_workers->count(), 0);
}

void TestFirmwareWindow::closingWaitsForTheWorker()
{
    startRun(ScriptedWorkers::waitsForInterruption);
    // The worker starts once the run's journal record is written.
    QTRY_COMPARE(m_workers->running(), 1);
    // Held open while the worker runs; once the user agrees, it is asked to stop and the window closes
    // once it has.
    m_prompts->answer = QMessageBox::Yes;
    QVERIFY(!m_window->close());
    QVERIFY(m_window->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), runBoundMs);
    QVERIFY(!m_window->firmwarePage().upgradeRunning());
    QCOMPARE(m_workers->interruptedRuns(), 1);
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes.first().kind, QStringLiteral("question"));
    QVERIFY(
        child<QPlainTextEdit>("plainTextEditFirmware")
            ->toPlainText()
            .contains(QStringLiteral("Closing: the upgrade is asked to stop; the window closes once it has ended.")));
}

void TestFirmwareWindow::destroyingTheWindowStopsTheWorker()
{
    startRun(ScriptedWorkers::waitsForInterruption);
    QTRY_COMPARE(m_workers->running(), 1);
    // The Quit action ends the event loop without a close event; the window is then destroyed.
    m_window.reset();
    QCOMPARE(m_workers->running(), 0);
    QCOMPARE(m_workers->interruptedRuns(), 1);
    QVERIFY(m_prompts->boxes.isEmpty());
}

QTEST_MAIN(TestFirmwareWindow)
#include "tst_firmwarewindow.moc"
