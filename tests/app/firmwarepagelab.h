// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/mainwindow.h"
#include "app/upgradeworkerfactory.h"
#include "common/fakeprompts.h"
#include "common/simlog.h"
#include "firmware/firmwarepacing.h"
#include "firmware/firmwareupgrade.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMutex>
#include <QMutexLocker>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <memory>

// What every real worker of a run said, recorded on its own thread as it said it: the lines, the
// progress values and the final signals, so that a test can count them apart from what the page shows.
class WorkerRecorder
{
public:
    struct Run
    {
        QStringList logs;
        QList<int> progress;
        int errors = 0;
        int completions = 0;
        int finalSignals() const { return errors + completions; }
    };

    UpgradeWorkerFactory factory()
    {
        return [this](QObject* parent, const QString& firmwarePath, int deviceCount, const QList<bool>& selected,
                      const QList<Device_t>& devices, const QString& manualIp) {
            firmwareUpgrade* worker =
                realUpgradeWorkers()(parent, firmwarePath, deviceCount, selected, devices, manualIp);
            const int run = begin();
            QObject::connect(
                worker, &firmwareUpgrade::signalPrintMessage, worker,
                [this, run](const QString& line) { update(run, [&line](Run& r) { r.logs << line; }); },
                Qt::DirectConnection);
            QObject::connect(
                worker, &firmwareUpgrade::signalProgressBarUpdate, worker,
                [this, run](int value) { update(run, [value](Run& r) { r.progress << value; }); },
                Qt::DirectConnection);
            QObject::connect(
                worker, &firmwareUpgrade::signalErrorDetected, worker,
                [this, run]() { update(run, [](Run& r) { ++r.errors; }); }, Qt::DirectConnection);
            QObject::connect(
                worker, &firmwareUpgrade::signalProcedureCompleted, worker,
                [this, run]() { update(run, [](Run& r) { ++r.completions; }); }, Qt::DirectConnection);
            return worker;
        };
    }

    QList<Run> runs() const
    {
        QMutexLocker lock(&m_mutex);
        return m_runs;
    }
    Run last() const { return runs().value(runs().size() - 1); }

private:
    int begin()
    {
        QMutexLocker lock(&m_mutex);
        m_runs.append(Run());
        return m_runs.size() - 1;
    }
    template <typename Change> void update(int run, Change change)
    {
        QMutexLocker lock(&m_mutex);
        change(m_runs[run]);
    }

    mutable QMutex m_mutex;
    QList<Run> m_runs;
};

// The window with the real workers against the simulated lab: scans, ticks devices, chooses files through
// the prompts and presses the upgrade buttons as a user would, and waits for the run's end.
class FirmwarePageLab
{
public:
    FirmwarePageLab()
        : prompts(std::make_shared<FakePrompts>()),
          window(std::make_unique<MainWindow>(nullptr, prompts, recorder.factory()))
    {
        window->show();
        window->timeout();
        QObject::connect(bar(), &QProgressBar::valueChanged, [this](int value) { barValues << value; });
    }

    template <typename T> T* child(const char* name) const { return window->findChild<T*>(QLatin1String(name)); }
    QTableWidget* table() const { return child<QTableWidget>("tableWidgetDeviceFirstTable"); }
    QProgressBar* bar() const { return child<QProgressBar>("progressBarFirmware"); }
    QString log() const { return child<QPlainTextEdit>("plainTextEditFirmware")->toPlainText(); }

    void scan() { QTest::mouseClick(child<QPushButton>("scanBtn"), Qt::LeftButton); }

    // The row showing the device at this address, -1 when the table has none.
    int rowOf(const QString& ip) const
    {
        for (int row = 0; row < table()->rowCount(); ++row) {
            if (table()->item(row, MainWindow::columnIp)->text() == ip)
                return row;
        }
        return -1;
    }
    QString firmwareShown(const QString& ip) const
    {
        const int row = rowOf(ip);
        return row < 0 ? QString() : table()->item(row, MainWindow::columnFirmware)->text();
    }
    QString codeOf(const QString& ip) const
    {
        const int row = rowOf(ip);
        return row < 0 ? QString() : window->devices().at(window->deviceTable().deviceIndexOfRow(row)).code;
    }

    // Shows the firmware page, makes the device current (its rows follow it) and ticks it.
    bool tick(const QStringList& ips)
    {
        QTest::mouseClick(child<QPushButton>("updateBtn"), Qt::LeftButton);
        for (const QString& ip : ips) {
            const int row = rowOf(ip);
            if (row < 0)
                return false;
            table()->setCurrentCell(row, MainWindow::columnGroup);
            QCheckBox* box = window->deviceTable().selectionBox(row);
            if (!box || !box->isEnabled())
                return false;
            QTest::mouseClick(box, Qt::LeftButton);
            if (!box->isChecked())
                return false;
        }
        return true;
    }

    // The file through the chooser of the first or second row.
    void choose(int firmwareRow, const QString& path)
    {
        prompts->fileName = path;
        QTest::mouseClick(child<QPushButton>(firmwareRow == 1 ? "chooseFirmwareBtn" : "chooseFirmware2Btn"),
                          Qt::LeftButton);
    }

    // Presses the row's upgrade button and waits until the run has ended with its box and the window is free.
    bool upgrade(int firmwareRow, int boundMs)
    {
        const int boxesBefore = prompts->boxes.size();
        barValues.clear();
        QTest::mouseClick(child<QPushButton>(firmwareRow == 1 ? "updateFwBtn" : "updateFw2Btn"), Qt::LeftButton);
        return QTest::qWaitFor(
            [this, boxesBefore]() {
                return prompts->boxes.size() > boxesBefore && !window->firmwarePage().upgradeRunning() &&
                       child<QPushButton>("updateFwBtn")->isEnabled();
            },
            boundMs);
    }

    bool windowEnabled() const
    {
        const QList<QWidget*> controls = {child<QPushButton>("scanBtn"),      child<QPushButton>("updateFwBtn"),
                                          child<QPushButton>("updateFw2Btn"), child<QPushButton>("infoBtn"),
                                          child<QPushButton>("configBtn"),    child<QLineEdit>("lineEditFirmware1")};
        return std::all_of(controls.cbegin(), controls.cend(), [](QWidget* control) { return control->isEnabled(); });
    }

    FakePrompts::Box lastBox() const { return prompts->boxes.value(prompts->boxes.size() - 1); }

    // The simulator's log from here on.
    void markSimLog() { m_simMark = SimLog::lines().size(); }
    SimLog::Lines simLog() const { return SimLog::lines().mid(m_simMark); }

    WorkerRecorder recorder;
    std::shared_ptr<FakePrompts> prompts;
    std::unique_ptr<MainWindow> window;
    QList<int> barValues;

private:
    int m_simMark = 0;
};

// The page's log shows each worker line as one paragraph (its own line ends included): what a text
// pane holding exactly these lines would read.
inline QString asLogText(const QStringList& lines)
{
    QPlainTextEdit pane;
    for (const QString& line : lines)
        pane.appendPlainText(line);
    return pane.toPlainText();
}

// The firmware chain's pauses cut down for the variations against the simulator; the simulator's own
// delays in the labs are cut down to match. Waits for answers stay long enough for a loaded machine.
inline FirmwarePacing quickPacing()
{
    FirmwarePacing pacing;
    pacing.commandWaitMs = 1000;
    pacing.commandTotalMs = 3000;
    pacing.installWaitMs = 100;

    pacing.beamlineConnectAttempts = 3;
    pacing.beamlineConnectPauseMs = 5;
    pacing.sectorErasePauseMs = 1;
    pacing.linePauseMs = 0;
    pacing.answerWaitMs = 300;

    pacing.verifyScanPauseMs = 300;
    pacing.menuReadTotalMs = 2000;

    pacing.restartSteps = 2;
    pacing.restartStepMs = 5;
    pacing.restartEventsMs = 5;
    pacing.pinConnectWaitMs = 2000;
    pacing.pinConnectAttempts = 3;
    pacing.pinStepPauseUs = 0;
    pacing.pinCommandPauseMs = 1;
    pacing.writtenWaitMs = 5000;
    pacing.pinReplyWaitMs = 500;
    pacing.tunnelConnectAttempts = 3;
    pacing.autobaudPauseMs = 1;
    pacing.autobaudEchoWaitMs = 500;
    pacing.loaderEchoWaitMs = 50;
    // The boot ROM runs a loader 500 ms after its last byte; what comes earlier counts as part of it.
    pacing.echoDrainSilenceMs = 700;
    pacing.menuConnectWaitMs = 2000;
    pacing.menuSendPauseMs = 1;
    pacing.menuSilenceMs = 250;
    pacing.menuPromptAttempts = 20;
    pacing.saveExitPauseMs = 1;
    pacing.tunnelConnectWaitMs = 2000;
    pacing.afterConnectPauseMs = 1;
    pacing.firstReplyWaitMs = 50;
    pacing.replyTenthMs = 20;
    pacing.blockPauseMs = 1;
    return pacing;
}
