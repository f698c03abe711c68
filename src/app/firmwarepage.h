// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/devicepage.h"
#include "app/upgradelogfile.h"
#include "app/upgraderunreport.h"
#include "app/upgradeworkerfactory.h"
#include "firmware/firmwareimagecheck.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <optional>

class AppSettings;
class FleetRescan;
class FleetResultsTable;
class FleetRun;
class ImageCheckLabel;
class QLayout;
class QCheckBox;
class QLineEdit;
class FirmwareRun;
class QTimer;
class UpgradeOutcome;
class firmwareUpgrade;

// The firmware page: the devices ticked in the table's selection column (or an address typed by
// hand), the firmware files chosen or dropped for them, the upgrade buttons and the upgrade log.
//
// With one unit, a typed address or "update/parallel" at 1, an upgrade run takes the selected devices one
// after another, one FirmwareRun (a worker thread under its watchdog) each; the page acts on a run's outcome
// once its thread has ended, so that a worker that ends without saying how still gives the window back.
// Several units with a larger setting go to a FleetRun, which takes up to that many at once and reports
// each unit on its own row of the results table.
class FirmwarePage : public DevicePage
{
    Q_OBJECT

public:
    static constexpr int stackPage = 0;
    static constexpr const char* defaultFirmwareFilter = QT_TR_NOOP("Firmware files (*.updt);;All files (*.*)");
    // From this many units on, a run upgrades one unit first unless the user says otherwise.
    static constexpr int canaryFromUnits = 5;

    // `fwDefaultDir` and `firmwareFilter` are the window's: the chooser's start directory and file filter;
    // `updateTimeout` its watchdog time for one device, in milliseconds.
    FirmwarePage(const PageContext& context, AppSettings& settings, QString& fwDefaultDir, QString& firmwareFilter,
                 const int& updateTimeout, UpgradeWorkerFactory workers, QObject* parent = nullptr);
    // Asks a running worker to stop and waits for it (bounded): its thread must not outlive the window.
    ~FirmwarePage() override;

    int stackIndex() const override { return stackPage; }
    QPushButton* pageButton() const override;
    bool showsSelectionColumn() const override { return true; }
    bool removesFilter() const override { return false; }
    void aboutToShow() override;
    void setControlsEnabled(bool enable) override;

    // The manual-address frame hidden and the progress at 0, as at start-up.
    void prepare();
    const UpgradeWorkerFactory& workers() const { return m_workers; }

    void addRemoveSecondFirmware();
    void changeFirmwareFilter();
    // The chooser of the row whose button this is; any other sender does nothing.
    void chooseFirmware(const QObject* button);
    // A dropped file arrives as a file URL: it becomes the plain path. Typed paths are left alone.
    void checkFirmwarePath(QLineEdit* field);
    void selectedToUpdate();
    void disableCheckBox();
    void enableManualIP();
    void buttonUpFwPressed();
    void buttonUpFwPressed2();
    void updateFirmware(QString firmwarePath);
    void downloadLog();
    void restartFirmwareLog();
    // The user's Clear Log: the page's copy only, the run's file stays.
    void clearLog() { restartFirmwareLog(); }
    // Stops the running unit at its next safe point; no further unit is started.
    void cancelUpgrade();
    // The file the last run's log is written to; empty before the first run.
    QString logFilePath() const { return m_logFile.path(); }
    // The name of the unit being upgraded, for questions about it.
    QString currentUnit() const { return m_currentDevice; }
    // How long a quit waits for the running unit's safe point before the window goes regardless.
    void setQuitWaitMs(int ms) { m_quitWaitMs = ms; }

    // What the running worker reports.
    void writeFwUpLog(const QString& message);
    void changeFwProgressBar(int value);
    // A failure or completion told from outside a run; while a run goes on, its own outcome decides.
    void stopUpdateProcedure();
    void updateNextDevice();
    void removeSelectedDev(int index);

    // A fleet run's own rescans are let through: they ask the units it upgraded for their new versions.
    bool upgradeRunning() const { return !m_run.isNull() || (!m_fleet.isNull() && !m_fleetRescanning); }
    bool fleetRunning() const { return !m_fleet.isNull(); }
    FleetResultsTable* resultsTable() const { return m_results; }
    QCheckBox* canaryBox() const { return m_canaryBox; }
    // True while a worker runs and the window must stay. With `ask`, the user is asked first whether to
    // stop the run (No keeps it running); then the worker is asked to stop and the page asks the window
    // to close once it has ended, or once the quit wait is over.
    bool holdCloseUntilIdle(bool ask = true);

signals:
    void signalEnableUI(bool enable);
    void signalScanDevices();
    // One line for the status bar: which device is being upgraded, and how the run ended.
    void signalStatus(const QString& message);
    void signalCloseWindow();

private:
    void setFwDirectoryFromFile(const QString& path);
    void checkAndUpgrade(const QString& path, int dsp);
    bool manualAddressAccepted();
    bool imageAccepted(const QString& path);
    void forgetFileOfOtherFamily();
    QStringList verifyUpgradedUnits();
    void rescanUntilAnswered(const QList<Device_t>& upgraded);
    QStringList selectedMacs() const;
    void reselect(const QStringList& macs);
    Device_t deviceOfRow(int row) const;

    int selectedCount() const;
    int firstSelectedIndex() const;
    QString manualAddress() const;
    void startNextDevice();
    void connectRun(FirmwareRun* run);
    void onWatchdogExpired(int timeoutMs);
    void onRunFinished(const UpgradeOutcome& outcome);
    void releaseRun();
    void completeJournalsAfterRescan();
    void continueSequence();
    void finishWithSuccess();
    void finishWithFailure();
    void reportEndWithoutResult();
    void appendLog(const QString& message);
    // A refusal before any run: shown in the pane, kept out of the last run's log file.
    void appendNote(const QString& message);
    void flushLog();
    void finishCancelled();
    QString runEndText(const QString& headline, const QStringList& versions) const;
    QString unitName(const Device_t& unit) const;
    QStringList selectedUnitNames() const;
    void followInstallation(const QString& message);
    void setBusy(bool busy);
    void setCancelEnabled(bool enable);
    void onQuitWaitOver();
    void cancelRunning();

    // The run of many units at once (firmwarepage_fleet.cpp).
    void createFleetControls();
    QList<Device_t> selectedUnits() const;
    QString selectionProblem(const QList<Device_t>& units) const;
    bool runsAsFleet(int unitCount) const;
    void startFleet(const QList<Device_t>& units);
    firmwareUpgrade* makeFleetWorker(const Device_t& unit);
    void connectFleet(FleetRun* fleet);
    void onFleetMessages(int index, const QStringList& lines);
    void onFleetUnitFinished(int index, const UpgradeOutcome& outcome);
    void onFleetFinished();
    void showFleetProgress();
    QList<Device_t> rescanForFleet(const QList<Device_t>& units);
    void updateCanaryDefault();

    // What the check finds in each chosen file, under its field, before Start.
    void createImageCheckLabels();
    ImageCheckLabel* addImageCheckLabel(QLayout* row, const QString& name);
    void showImageChecks();
    std::optional<QString> selectionCode() const;

    AppSettings& m_settings;
    QString& m_fwDefaultDir;
    QString& m_firmwareFilter;
    const int& m_updateTimeout;
    UpgradeWorkerFactory m_workers;

    QPointer<FirmwareRun> m_run;
    bool m_closeRequested = false;
    // The run over the selected devices: its firmware file, its length and where it stands.
    QString m_sequencePath;
    int m_sequenceTotal = 0;
    int m_sequencePosition = 0;
    QString m_currentDevice;
    // The DSP the run's file is for (the row whose button started it) and whether the user chose to send
    // a file of another kind than the units take.
    int m_sequenceDsp = 0;
    bool m_acceptOtherImageKind = false;
    // The unit being upgraded, and those whose upgrade completed, as they were before the run.
    Device_t m_currentUnit;
    QList<Device_t> m_completedUnits;
    // The runs of upgraded units, kept until the closing rescan has given their journal records the
    // version each unit reports now.
    QList<QPair<Device_t, QPointer<FirmwareRun>>> m_awaitingRescan;
    // The image kind the selected units took when the selection last changed.
    std::optional<FirmwareImageKind> m_selectionKind;
    // Log lines wait here for the next turn of the event loop, so that a burst of lines costs one append.
    QStringList m_pendingLog;
    QTimer* m_logFlush = nullptr;
    QString m_lastWorkerLine;
    UpgradeLogFile m_logFile;
    UpgradeRunReport m_report;
    bool m_cancelRequested = false;
    // A supply installing its new firmware reports nothing the bar could show: the bar is busy meanwhile.
    bool m_installing = false;
    bool m_abandoned = false;
    int m_quitWaitMs = 30000;

    QPointer<FleetRun> m_fleet;
    FleetResultsTable* m_results = nullptr;
    QCheckBox* m_canaryBox = nullptr;
    FleetRescan* m_rescan = nullptr;
    QStringList m_fleetNames;
    bool m_fleetRescanning = false;
    ImageCheckLabel* m_imageCheck1 = nullptr;
    ImageCheckLabel* m_imageCheck2 = nullptr;
};
