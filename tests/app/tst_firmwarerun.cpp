// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/firmwarepage.h"
#include "common/firmwareimages.h"
#include "common/pageharness.h"
#include "common/sampledevices.h"
#include "common/testhome.h"
#include "common/widgetanimations.h"
#include "model/appsettings.h"
#include "scriptedworker.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextBlock>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {
const QString supplyImage = QStringLiteral(KESTRION_TEST_DATA "/firmware/power-supply.updt");
// Sound images of each kind under names of their own: the page reads a file whole before a run starts.
QString imagesDir;
QString otherImage()
{
    return imagesDir + QStringLiteral("/other-supply.updt");
}
QString communicationImage()
{
    return imagesDir + QStringLiteral("/Kolvex_Communication_DSP_2.31.hex");
}
QString controlImage()
{
    return imagesDir + QStringLiteral("/Kolvex_Control_DSP_1.07.hex");
}
QString beamlineImage()
{
    return imagesDir + QStringLiteral("/beamline.flash");
}

bool writeImages()
{
    const QString hex = QStringLiteral(KESTRION_TEST_DATA "/firmware/motor-driver.hex");
    FirmwareImages::Flash flash;
    flash.lines = 8;
    return QFile::copy(supplyImage, otherImage()) && QFile::copy(hex, communicationImage()) &&
           QFile::copy(hex, controlImage()) && FirmwareImages::write(beamlineImage(), FirmwareImages::flash(flash));
}
const QString successText = QStringLiteral("Device succesfuly updated!");
const QString failureText = QStringLiteral("ERROR: Updating failed!");
constexpr int longTimeoutMs = 120000;
constexpr int runBoundMs = 30000;
} // namespace

// The firmware page's upgrade run with scripted workers: the sequence over the selected devices, its
// end in success or failure, the worker that ends without saying how, the watchdog, the progress rule,
// the log and the window's turns of the event loop while the lines arrive, and closing mid-run.
class TestFirmwareRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void sequenceOverSelectedDevices_data();
    void sequenceOverSelectedDevices();
    void failureStopsTheSequenceAndResumes();
    void outcomes_data();
    void outcomes();
    void watchdogInterruptsTheWorker();
    void watchdogOfEachDeviceEndsWithIt();
    void progressRule_data();
    void progressRule();
    void linesArriveWhileTheLoopTurns();
    void secondRunCannotStart();
    void motorDriverRowsTakeTheirFile();
    void wholeRunTakesTheFileOfItsButton();
    void manualAddressRun();
    void blankManualAddressIsNothingToUpdate();
    void destroyingThePageStopsTheWorker();
    void destroyingThePageWaitsForAStubbornWorker();
    void closeIsHeldUntilTheWorkerEnds();

private:
    void makePage();
    QCheckBox* boxOf(int deviceIndex) const;
    QStringList logLines() const;
    bool waitForEnd(int boxes = 1);
    QList<int> indexesOfCode(const QString& code) const;
    void tick(const QList<int>& indexes);

    QTemporaryDir m_home;
    std::unique_ptr<PageHarness> m_harness;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<ScriptedWorkers> m_workers;
    std::unique_ptr<FirmwarePage> m_page;
    QString m_fwDefaultDir;
    QString m_firmwareFilter;
    int m_updateTimeout = longTimeoutMs;
    QList<bool> m_enableRequests;
    int m_scanRequests = 0;
    int m_closeRequests = 0;
    QStringList m_status;
};

void TestFirmwareRun::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    imagesDir = m_home.filePath(QStringLiteral("images"));
    QVERIFY(QDir().mkpath(imagesDir));
    QVERIFY(writeImages());
}

void TestFirmwareRun::init()
{
    m_harness = std::make_unique<PageHarness>();
    m_settings = std::make_unique<AppSettings>();
    // These runs are about one unit after another.
    m_settings->setParallelUpgrades(1);
    m_workers = std::make_unique<ScriptedWorkers>();
    m_workers->story = ScriptedWorkers::completes;
    m_fwDefaultDir = m_home.path();
    m_firmwareFilter = QString::fromLatin1(FirmwarePage::defaultFirmwareFilter);
    m_updateTimeout = longTimeoutMs;
    m_enableRequests.clear();
    m_scanRequests = 0;
    m_closeRequests = 0;
    m_status.clear();
    makePage();
}

void TestFirmwareRun::cleanup()
{
    m_page.reset();
    m_harness.reset();
    m_workers.reset();
    m_settings.reset();
}

void TestFirmwareRun::cleanupTestCase()
{
    letWidgetAnimationsEnd();
}

void TestFirmwareRun::makePage()
{
    m_page = std::make_unique<FirmwarePage>(m_harness->context(), *m_settings, m_fwDefaultDir, m_firmwareFilter,
                                            m_updateTimeout, m_workers->factory());
    m_page->prepare();
    FirmwarePage* page = m_page.get();
    Ui::MainWindow& ui = m_harness->ui;
    // As the window wires them.
    connect(&m_harness->table, &DeviceTable::signalSelectionBoxChanged, page, [page]() { page->selectedToUpdate(); });
    connect(ui.checkBoxManualIP, &QCheckBox::stateChanged, page, [page]() { page->enableManualIP(); });
    connect(page, &FirmwarePage::signalEnableUI, this, [this](bool enable) { m_enableRequests << enable; });
    connect(page, &FirmwarePage::signalScanDevices, this, [this]() { ++m_scanRequests; });
    connect(page, &FirmwarePage::signalCloseWindow, this, [this]() { ++m_closeRequests; });
    connect(page, &FirmwarePage::signalStatus, this, [this](const QString& message) { m_status << message; });
}

QCheckBox* TestFirmwareRun::boxOf(int deviceIndex) const
{
    return m_harness->table.selectionBox(m_harness->table.rowOfDevice(deviceIndex));
}

QStringList TestFirmwareRun::logLines() const
{
    const QString text = m_harness->ui.plainTextEditFirmware->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

// Until the run has ended in a box and no worker is left.
bool TestFirmwareRun::waitForEnd(int boxes)
{
    return QTest::qWaitFor(
               [this, boxes]() { return m_harness->prompts.boxes.size() >= boxes && !m_page->upgradeRunning(); },
               runBoundMs) &&
           m_harness->prompts.boxes.size() == boxes;
}

QList<int> TestFirmwareRun::indexesOfCode(const QString& code) const
{
    QList<int> indexes;
    for (int i = 0; i < m_harness->devices.size(); ++i) {
        if (m_harness->devices.at(i).code == code)
            indexes << i;
    }
    return indexes;
}

void TestFirmwareRun::tick(const QList<int>& indexes)
{
    for (int index : indexes)
        boxOf(index)->setChecked(true);
}

void TestFirmwareRun::sequenceOverSelectedDevices_data()
{
    QTest::addColumn<bool>("sorted");
    QTest::newRow("table as found") << false;
    QTest::newRow("table sorted by address") << true;
}

void TestFirmwareRun::sequenceOverSelectedDevices()
{
    QFETCH(bool, sorted);
    QList<Device_t> devices = sampleDevices();
    devices << makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.1"))
            << makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.3"));
    m_harness->showDevices(devices);
    if (sorted)
        m_harness->table.widget()->sortItems(DeviceTable::columnIp, Qt::DescendingOrder);
    const QList<int> supplies = indexesOfCode(QStringLiteral("1100"));
    QCOMPARE(supplies.size(), 3);
    if (sorted)
        QVERIFY(m_harness->table.rowOfDevice(supplies.first()) != supplies.first());
    tick(supplies);
    m_harness->ui.lineEditFirmware1->setText(supplyImage);
    // A thread that lingers after its completion must have ended before the next one starts.
    m_workers->story = [](ScriptedWorker& worker) {
        ScriptedWorkers::completes(worker);
        QThread::msleep(50);
    };

    m_page->buttonUpFwPressed();
    QVERIFY(m_page->upgradeRunning());
    QVERIFY(waitForEnd());

    // One worker per device, one after the other, each given the selection as it stood.
    const QList<ScriptedWorkers::Made> made = m_workers->made();
    QCOMPARE(made.size(), 3);
    QCOMPARE(m_workers->mostAtOnce(), 1);
    for (int i = 0; i < made.size(); ++i) {
        QCOMPARE(made.at(i).firmwarePath, supplyImage);
        QCOMPARE(made.at(i).deviceCount, devices.size());
        QVERIFY(made.at(i).manualIp.isEmpty());
        QList<bool> expected = QVector<bool>(devices.size(), false).toList();
        for (int j = i; j < supplies.size(); ++j)
            expected[supplies.at(j)] = true;
        QCOMPARE(made.at(i).selected, expected);
    }
    QVERIFY(!m_harness->selected.contains(true));
    for (int index : supplies)
        QVERIFY(!boxOf(index)->isChecked());
    // The selection rules hold again for a table with nothing ticked.
    QVERIFY(boxOf(supplies.first())->isEnabled());
    QVERIFY(boxOf(indexOfCode(QStringLiteral("2100")))->isEnabled());

    const FakePrompts::Box box = m_harness->prompts.boxes.first();
    QCOMPARE(box.kind, QStringLiteral("information"));
    QCOMPARE(box.title, QStringLiteral("Firmware Upgrade"));
    QVERIFY2(box.text.startsWith(successText), qPrintable(box.text));
    QCOMPARE(m_scanRequests, 1);
    QVERIFY(!m_enableRequests.isEmpty());
    QCOMPARE(m_enableRequests.last(), true);
    QCOMPARE(m_enableRequests.count(true), 1);
    QVERIFY(!m_harness->ui.checkBoxManualIP->isChecked());
    QCOMPARE(logLines().count(QStringLiteral("Device IP: scripted")), 3);
    QCOMPARE(m_harness->ui.progressBarFirmware->value(), 100);

    QStringList expectedStatus;
    for (int i = 0; i < supplies.size(); ++i)
        expectedStatus
            << QStringLiteral("Upgrading device %1 of 3: Group 1100 %2").arg(i + 1).arg(devices.at(supplies.at(i)).ip);
    expectedStatus << QStringLiteral("Upgrade complete: 3 of 3 updated; log: ") + m_page->logFilePath();
    QCOMPARE(m_status, expectedStatus);
}

void TestFirmwareRun::failureStopsTheSequenceAndResumes()
{
    QList<Device_t> devices = {makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.11")),
                               makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.12")),
                               makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.13"))};
    m_harness->showDevices(devices);
    tick({0, 1, 2});
    m_harness->ui.lineEditFirmware1->setText(supplyImage);
    m_workers->stories = {ScriptedWorkers::completes, ScriptedWorkers::fails};

    m_page->buttonUpFwPressed();
    QVERIFY(waitForEnd());
    QCOMPARE(m_workers->count(), 2);
    const FakePrompts::Box box = m_harness->prompts.boxes.first();
    QCOMPARE(box.kind, QStringLiteral("critical"));
    QCOMPARE(box.title, QStringLiteral("Firmware Upgrade"));
    QVERIFY2(box.text.startsWith(failureText), qPrintable(box.text));
    // The device upgraded before the failure is looked for again, to show its new version.
    QCOMPARE(m_scanRequests, 1);
    QCOMPARE(m_enableRequests.last(), true);
    // The failed device is off the selection; the one not tried stays for the resume, rescan or not.
    QCOMPARE(m_harness->selected, (QList<bool>{false, false, true}));
    QVERIFY(!boxOf(1)->isChecked());
    QVERIFY(boxOf(2)->isChecked());
    QVERIFY(logLines().contains(QStringLiteral("CRITICAL: scripted failure")));
    QCOMPARE(m_status.last(),
             QStringLiteral("Upgrade failed on device 2 of 3: Group 1100 10.0.0.12; log: ") + m_page->logFilePath());

    // Pressed again, the button resumes with what is left.
    m_page->buttonUpFwPressed();
    QVERIFY(waitForEnd(2));
    QCOMPARE(m_workers->count(), 3);
    QCOMPARE(m_workers->made().last().selected, (QList<bool>{false, false, true}));
    QCOMPARE(m_harness->prompts.boxes.last().kind, QStringLiteral("information"));
    QVERIFY2(m_harness->prompts.boxes.last().text.startsWith(successText),
             qPrintable(m_harness->prompts.boxes.last().text));
    QCOMPARE(m_scanRequests, 2);
    QCOMPARE(m_status.mid(m_status.size() - 2),
             (QStringList{QStringLiteral("Upgrading device 1 of 1: Group 1100 10.0.0.13"),
                          QStringLiteral("Upgrade complete: 1 of 1 updated; log: ") + m_page->logFilePath()}));
}

void TestFirmwareRun::outcomes_data()
{
    QTest::addColumn<int>("story");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("lastLine");
    QTest::newRow("completed") << 0 << "information"
                               << "";
    QTest::newRow("error") << 1 << "critical"
                           << "CRITICAL: scripted failure";
    QTest::newRow("ends after a line") << 2 << "critical"
                                       << "ERROR: The upgrade ended without a result: its last message was "
                                          "\"No response from device\".";
    QTest::newRow("ends without a word") << 3 << "critical"
                                         << "ERROR: The upgrade ended without a result: no response from the device.";
    // One box, and the error wins.
    QTest::newRow("error then completion") << 4 << "critical"
                                           << "";
}

void TestFirmwareRun::outcomes()
{
    QFETCH(int, story);
    QFETCH(QString, kind);
    QFETCH(QString, lastLine);
    const QList<ScriptedWorkers::Story> stories = {ScriptedWorkers::completes, ScriptedWorkers::fails,
                                                   ScriptedWorkers::endsQuietly, ScriptedWorkers::saysNothing,
                                                   ScriptedWorkers::failsThenCompletes};
    m_workers->story = stories.at(story);
    m_harness->showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.11")),
                            makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.12"))});
    tick({0, 1});
    m_harness->ui.lineEditFirmware1->setText(supplyImage);
    m_page->buttonUpFwPressed();
    QVERIFY(waitForEnd());
    QCOMPARE(m_harness->prompts.boxes.first().kind, kind);
    QVERIFY2(
        m_harness->prompts.boxes.first().text.startsWith(kind == QLatin1String("critical") ? failureText : successText),
        qPrintable(m_harness->prompts.boxes.first().text));
    QCOMPARE(m_workers->count(), kind == QLatin1String("critical") ? 1 : 2);
    QCOMPARE(m_enableRequests.last(), true);
    QCOMPARE(m_enableRequests.count(true), 1);
    QCOMPARE(m_scanRequests, kind == QLatin1String("critical") ? 0 : 1);
    if (!lastLine.isEmpty())
        QCOMPARE(logLines().last(), lastLine);
    QCOMPARE(m_workers->running(), 0);
}

void TestFirmwareRun::watchdogInterruptsTheWorker()
{
    m_updateTimeout = 150;
    m_workers->story = ScriptedWorkers::waitsForInterruption;
    m_harness->showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.11"))});
    tick({0});
    m_harness->ui.lineEditFirmware1->setText(supplyImage);
    m_page->buttonUpFwPressed();
    QVERIFY(waitForEnd());
    QCOMPARE(m_workers->interruptedRuns(), 1);
    QVERIFY2(m_harness->prompts.boxes.first().text.startsWith(failureText),
             qPrintable(m_harness->prompts.boxes.first().text));
    QCOMPARE(m_enableRequests.last(), true);
    const QStringList lines = logLines();
    const int warning = lines.indexOf(QStringLiteral("WARNING: No result after 150 ms: the upgrade is asked to stop."));
    QVERIFY2(warning > 0, qPrintable(lines.join(QLatin1Char('|'))));
    QCOMPARE(lines.mid(warning + 1), QStringList{QStringLiteral("CRITICAL: update error: Timeout Error!")});
}

void TestFirmwareRun::watchdogOfEachDeviceEndsWithIt()
{
    m_updateTimeout = 400;
    m_harness->showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.11")),
                            makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.12"))});
    tick({0, 1});
    m_harness->ui.lineEditFirmware1->setText(supplyImage);
    const auto watchdogs = [this]() {
        int active = 0;
        for (QTimer* timer : m_harness->window.findChildren<QTimer*>()) {
            if (timer->isActive() && timer->isSingleShot() && timer->interval() == m_updateTimeout)
                ++active;
        }
        return active;
    };
    // The first worker waits until the test has seen its watchdog, the second completes at once.
    m_workers->stories = {[](ScriptedWorker& worker) {
        worker.owner().gate.tryAcquire(1, runBoundMs);
        ScriptedWorkers::completes(worker);
    }};
    m_page->buttonUpFwPressed();
    QCOMPARE(watchdogs(), 1);
    m_workers->gate.release();
    QVERIFY(waitForEnd());
    QTRY_COMPARE(watchdogs(), 0);
    QTRY_VERIFY(m_harness->window.findChildren<firmwareUpgrade*>().isEmpty());
    QCOMPARE(m_workers->interruptedRuns(), 0);
    QVERIFY2(m_harness->prompts.boxes.first().text.startsWith(successText),
             qPrintable(m_harness->prompts.boxes.first().text));
    QVERIFY(!logLines().join(QLatin1Char('\n')).contains(QStringLiteral("WARNING: No result")));
}

void TestFirmwareRun::progressRule_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("after");
    QTest::newRow("50 places") << 12 << 50 << 50;
    QTest::newRow("0 places") << 40 << 0 << 0;
    QTest::newRow("70 places") << 90 << 70 << 70;
    QTest::newRow("80 places") << 10 << 80 << 80;
    QTest::newRow("95 places") << 10 << 95 << 95;
    QTest::newRow("100 places") << 10 << 100 << 100;
    QTest::newRow("1 advances") << 3 << 1 << 4;
    QTest::newRow("2 advances") << 30 << 2 << 32;
    QTest::newRow("1 at 100 wraps to 0") << 100 << 1 << 0;
    QTest::newRow("3 at 99 wraps to 1") << 99 << 3 << 1;
    QTest::newRow("60 at 60 wraps") << 60 << 60 << 19;
}

void TestFirmwareRun::progressRule()
{
    QFETCH(int, before);
    QFETCH(int, value);
    QFETCH(int, after);
    m_harness->ui.progressBarFirmware->setValue(before);
    m_page->changeFwProgressBar(value);
    QCOMPARE(m_harness->ui.progressBarFirmware->value(), after);
}

void TestFirmwareRun::linesArriveWhileTheLoopTurns()
{
    constexpr int lines = 20000;
    constexpr int pauseAt = 10000;
    m_harness->showDevices({makeDevice(QStringLiteral("2100"), QStringLiteral("10.0.0.2"))});
    tick({0});
    m_harness->ui.lineEditFirmware1->setText(beamlineImage());
    // Halfway the worker waits until a timer of the test has fired and seen part of the log on screen.
    m_workers->story = [](ScriptedWorker& worker) {
        worker.takeFirstSelected();
        worker.progress(0);
        for (int i = 1; i <= lines; ++i) {
            worker.say(QStringLiteral("line %1").arg(i));
            if (i % 250 == 0)
                worker.progress(1);
            if (i == pauseAt && !worker.owner().gate.tryAcquire(1, runBoundMs))
                worker.say(QStringLiteral("the event loop never turned"));
        }
        worker.progress(100);
        worker.complete();
    };
    int ticks = 0;
    int partialLog = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&]() {
        ++ticks;
        const int shown = m_harness->ui.plainTextEditFirmware->blockCount();
        if (partialLog == 0 && shown > 1 && shown < lines) {
            partialLog = shown;
            m_workers->gate.release();
        }
    });
    ticker.start(5);
    m_page->buttonUpFwPressed();
    QVERIFY(waitForEnd());
    ticker.stop();
    QVERIFY2(partialLog > 0, qPrintable(QString::number(ticks)));
    // The worker's lines, then what the rescan says of the unit's version.
    const QStringList shown = logLines().mid(0, lines);
    QCOMPARE(logLines().size(), lines + 1);
    QCOMPARE(shown.first(), QStringLiteral("line 1"));
    QCOMPARE(shown.at(pauseAt), QStringLiteral("line %1").arg(pauseAt + 1));
    QCOMPARE(shown.last(), QStringLiteral("line %1").arg(lines));
    QCOMPARE(m_harness->ui.progressBarFirmware->value(), 100);
    QVERIFY2(m_harness->prompts.boxes.first().text.startsWith(successText),
             qPrintable(m_harness->prompts.boxes.first().text));
}

void TestFirmwareRun::secondRunCannotStart()
{
    m_harness->showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.11"))});
    tick({0});
    m_harness->ui.lineEditFirmware1->setText(supplyImage);
    m_workers->story = [](ScriptedWorker& worker) {
        worker.takeFirstSelected();
        worker.owner().gate.tryAcquire(1, runBoundMs);
        worker.complete();
    };
    m_page->buttonUpFwPressed();
    QVERIFY(m_page->upgradeRunning());
    // The controls are locked, and a start that gets through anyway is refused.
    QCOMPARE(m_enableRequests, QList<bool>{false});
    m_page->updateFirmware(otherImage());
    m_page->buttonUpFwPressed();
    QTRY_COMPARE(logLines().count(QStringLiteral("WARNING: An upgrade is already running: wait for it to end.")), 2);
    QCOMPARE(m_workers->count(), 1);
    m_workers->gate.release();
    QVERIFY(waitForEnd());
    QCOMPARE(m_workers->count(), 1);
    QCOMPARE(m_workers->mostAtOnce(), 1);
    QVERIFY2(m_harness->prompts.boxes.first().text.startsWith(successText),
             qPrintable(m_harness->prompts.boxes.first().text));
    // Refusals are the pane's: the run's log file holds neither these nor a later one.
    QFile log(m_page->logFilePath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray kept = log.readAll();
    log.close();
    QVERIFY(!kept.isEmpty() && !kept.contains("already running"));
    QFile empty(m_home.filePath(QStringLiteral("empty.updt")));
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    m_page->updateFirmware(empty.fileName());
    QCOMPARE(m_workers->count(), 1);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), kept);
}

void TestFirmwareRun::motorDriverRowsTakeTheirFile()
{
    Ui::MainWindow& ui = m_harness->ui;
    m_harness->showDevices({makeDevice(QStringLiteral("4200"), QStringLiteral("10.0.0.4")),
                            makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.11"))});
    m_harness->selectRowOf(0);
    m_page->addRemoveSecondFirmware();
    QCOMPARE(ui.selectFirmwareLabel_4->text(), QStringLiteral("Communication Firmware"));
    QCOMPARE(ui.labelSelectFirmware2->text(), QStringLiteral("Control Firmware"));
    ui.lineEditFirmware1->setText(communicationImage());
    ui.lineEditFirmware2->setText(controlImage());

    tick({0});
    m_page->buttonUpFwPressed2();
    QVERIFY(waitForEnd());
    tick({0});
    m_page->buttonUpFwPressed();
    QVERIFY(waitForEnd(2));
    const QList<ScriptedWorkers::Made> made = m_workers->made();
    QCOMPARE(made.size(), 2);
    QCOMPARE(made.at(0).firmwarePath, controlImage());
    QCOMPARE(made.at(1).firmwarePath, communicationImage());
    QCOMPARE(made.at(0).selected, (QList<bool>{true, false}));
    QVERIFY2(m_harness->prompts.boxes.last().text.startsWith(successText),
             qPrintable(m_harness->prompts.boxes.last().text));
}

void TestFirmwareRun::wholeRunTakesTheFileOfItsButton()
{
    m_harness->showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.11")),
                            makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.12"))});
    tick({0, 1});
    m_harness->ui.lineEditFirmware1->setText(otherImage());
    m_harness->ui.lineEditFirmware2->setText(supplyImage);
    m_page->buttonUpFwPressed2();
    QVERIFY(waitForEnd());
    const QList<ScriptedWorkers::Made> made = m_workers->made();
    QCOMPARE(made.size(), 2);
    QCOMPARE(made.at(0).firmwarePath, supplyImage);
    QCOMPARE(made.at(1).firmwarePath, supplyImage);
}

void TestFirmwareRun::manualAddressRun()
{
    Ui::MainWindow& ui = m_harness->ui;
    ui.checkBoxManualIP->setChecked(true);
    ui.lineEditSetManualIP->setText(QStringLiteral("192.168.0.10"));
    ui.lineEditFirmware1->setText(supplyImage);
    m_page->buttonUpFwPressed();
    QVERIFY(waitForEnd());
    const QList<ScriptedWorkers::Made> made = m_workers->made();
    QCOMPARE(made.size(), 1);
    QCOMPARE(made.first().manualIp, QStringLiteral("192.168.0.10"));
    QCOMPARE(made.first().deviceCount, 0);
    QVERIFY2(m_harness->prompts.boxes.first().text.startsWith(successText),
             qPrintable(m_harness->prompts.boxes.first().text));
    QVERIFY(!ui.checkBoxManualIP->isChecked());
    QCOMPARE(m_scanRequests, 1);
    QCOMPARE(m_status.first(), QStringLiteral("Upgrading device 1 of 1: manual address 192.168.0.10"));
}

void TestFirmwareRun::blankManualAddressIsNothingToUpdate()
{
    Ui::MainWindow& ui = m_harness->ui;
    ui.checkBoxManualIP->setChecked(true);
    ui.lineEditSetManualIP->setText(QStringLiteral("   "));
    ui.lineEditFirmware1->setText(supplyImage);
    m_page->buttonUpFwPressed();
    QCOMPARE(m_workers->count(), 0);
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.first().title, QStringLiteral("Devices to Update"));
    QCOMPARE(m_harness->prompts.boxes.first().text, QStringLiteral("ERROR: Select the devices to update!"));
    QVERIFY(m_enableRequests.isEmpty());
}

void TestFirmwareRun::destroyingThePageStopsTheWorker()
{
    m_workers->story = ScriptedWorkers::waitsForInterruption;
    m_harness->showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.11"))});
    tick({0});
    m_harness->ui.lineEditFirmware1->setText(supplyImage);
    m_page->buttonUpFwPressed();
    QTRY_COMPARE(m_workers->running(), 1);
    m_page.reset();
    QCOMPARE(m_workers->endedRuns(), 1);
    QCOMPARE(m_workers->interruptedRuns(), 1);
    QVERIFY(m_harness->window.findChildren<firmwareUpgrade*>().isEmpty());
    QVERIFY(m_harness->prompts.boxes.isEmpty());
}

void TestFirmwareRun::destroyingThePageWaitsForAStubbornWorker()
{
    // A procedure that does not look at the request finishes its step first.
    m_workers->story = [](ScriptedWorker& worker) {
        worker.takeFirstSelected();
        worker.owner().gate.tryAcquire(1, runBoundMs);
        QThread::msleep(200);
        worker.complete();
    };
    m_harness->showDevices({makeDevice(QStringLiteral("2100"), QStringLiteral("10.0.0.2"))});
    tick({0});
    m_harness->ui.lineEditFirmware1->setText(beamlineImage());
    m_page->buttonUpFwPressed();
    QTRY_COMPARE(m_workers->running(), 1);
    m_workers->gate.release();
    m_page.reset();
    QCOMPARE(m_workers->endedRuns(), 1);
    QCOMPARE(m_workers->running(), 0);
    QVERIFY(m_harness->window.findChildren<firmwareUpgrade*>().isEmpty());
}

void TestFirmwareRun::closeIsHeldUntilTheWorkerEnds()
{
    QVERIFY(!m_page->holdCloseUntilIdle());
    m_workers->story = ScriptedWorkers::waitsForInterruption;
    m_harness->showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.11"))});
    tick({0});
    m_harness->ui.lineEditFirmware1->setText(supplyImage);
    m_page->buttonUpFwPressed();
    // The worker starts once the run's journal record is written.
    QTRY_COMPARE(m_workers->running(), 1);
    // Asked once; the user agrees to stop the run.
    m_harness->prompts.answer = QMessageBox::Yes;
    QVERIFY(m_page->holdCloseUntilIdle());
    QVERIFY(m_page->holdCloseUntilIdle());
    QTRY_COMPARE(m_closeRequests, 1);
    QVERIFY(!m_page->upgradeRunning());
    QCOMPARE(m_workers->interruptedRuns(), 1);
    // Closing wins over the run's own end: no box but the question, no rescan, no next device.
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.first().kind, QStringLiteral("question"));
    QCOMPARE(m_scanRequests, 0);
    QCOMPARE(
        logLines().count(QStringLiteral("Closing: the upgrade is asked to stop; the window closes once it has ended.")),
        1);
}

QTEST_MAIN(TestFirmwareRun)
#include "tst_firmwarerun.moc"
