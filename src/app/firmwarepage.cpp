// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/firmwarepage.h"

#include "app/devicetable.h"
#include "app/fleetresultstable.h"
#include "app/imagechecklabel.h"
#include "dialogs/userprompts.h"
#include "firmware/dspprogmode.h"
#include "firmware/firmwarepacing.h"
#include "firmware/firmwarerun.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/fleetrun.h"
#include "firmware/upgradeoutcome.h"
#include "firmware/upgradeselection.h"
#include "firmware/upgradeverification.h"
#include "model/appsettings.h"
#include "model/device.h"
#include "ui_mainwindow.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QProgressBar>
#include <QTextStream>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {
constexpr auto kolvexFirmwareFilter = QT_TRANSLATE_NOOP("FirmwarePage", "Firmware files (*.hex);;All files (*.*)");
constexpr auto flashFirmwareFilter = QT_TRANSLATE_NOOP("FirmwarePage", "Firmware files (*.flash);;All files (*.*)");
constexpr auto anyFileFilter = QT_TRANSLATE_NOOP("FirmwarePage", "All files (*.*)");
constexpr auto noFirmwareChosen = "/...";
constexpr auto logFileName = "update_log_%1.txt";
constexpr auto logTimeFormat = "yyyy_MM_dd_HH_mm";
constexpr int progressReset = 0;
// How long destroying the window waits for a worker asked to stop: every procedure stops at its next
// safe point, and a supply that is installing finishes first; the bound covers a unit that hangs there.
constexpr unsigned long closeWaitMs = 30000;
} // namespace

FirmwarePage::FirmwarePage(const PageContext& context, AppSettings& settings, QString& fwDefaultDir,
                           QString& firmwareFilter, const int& updateTimeout, UpgradeWorkerFactory workers,
                           QObject* parent)
    : DevicePage(context, parent), m_settings(settings), m_fwDefaultDir(fwDefaultDir), m_firmwareFilter(firmwareFilter),
      m_updateTimeout(updateTimeout), m_workers(workers ? std::move(workers) : realUpgradeWorkers()),
      m_logFlush(new QTimer(this))
{
    m_logFlush->setSingleShot(true);
    m_logFlush->setInterval(0);
    connect(m_logFlush, &QTimer::timeout, this, &FirmwarePage::flushLog);
    createFleetControls();
    createImageCheckLabels();
}

FirmwarePage::~FirmwarePage()
{
    if (m_fleet) {
        disconnect(m_fleet, nullptr, this, nullptr);
        m_fleet->cancel();
        if (m_abandoned) {
            // Units that did not stop within the quit wait end with the process: the run would wait for them.
            m_fleet->setParent(nullptr);
            qWarning("The firmware upgrade of several units was still running when the window closed.");
        } else {
            // Each unit stops at its next safe point; the run waits for them.
            delete m_fleet.data();
        }
    }
    if (!m_run)
        return;
    disconnect(m_run, nullptr, this, nullptr);
    if (!m_run->stopAndWait(m_abandoned ? 0 : closeWaitMs))
        qWarning("The firmware upgrade was still running when the window closed.");
    delete m_run.data();
}

QPushButton* FirmwarePage::pageButton() const
{
    return ui().updateBtn;
}

// A run's log stays until the next run starts or the user clears it, whichever page was shown meanwhile.
void FirmwarePage::aboutToShow() {}

void FirmwarePage::setControlsEnabled(bool enable)
{
    const QList<QWidget*> controls = {ui().updateFwBtn,        ui().updateFw2Btn,        ui().chooseFirmwareBtn,
                                      ui().chooseFirmware2Btn, ui().lineEditFirmware1,   ui().lineEditFirmware2,
                                      ui().checkBoxManualIP,   ui().lineEditSetManualIP, m_canaryBox};
    for (QWidget* control : controls)
        control->setEnabled(enable);
    setCancelEnabled(!enable && upgradeRunning());
}

void FirmwarePage::setCancelEnabled(bool enable)
{
    ui().cancelFwBtn->setEnabled(enable);
}

void FirmwarePage::prepare()
{
    ui().progressBarFirmware->setValue(progressReset);
    ui().frameDevIP->hide();
}

void FirmwarePage::restartFirmwareLog()
{
    setBusy(false);
    ui().progressBarFirmware->setValue(progressReset);
    m_pendingLog.clear();
    ui().plainTextEditFirmware->clear();
}

void FirmwarePage::addRemoveSecondFirmware()
{
    ui().widgetFirmware2->hide();
    ui().selectFirmwareLabel_4->setText(tr("Select Firmware"));
    const int index = context().table.currentDeviceIndex();
    if (index != DeviceTable::noDevice && device::isKolvex(context().devices.at(index).code)) {
        ui().widgetFirmware2->show();
        ui().selectFirmwareLabel_4->setText(tr("Communication Firmware"));
        ui().labelSelectFirmware2->setText(tr("Control Firmware"));
    }
}

void FirmwarePage::changeFirmwareFilter()
{
    const int index = context().table.currentDeviceIndex();
    if (index == DeviceTable::noDevice)
        return;
    const QString code = context().devices.at(index).code;
    if (device::isKolvex(code))
        m_firmwareFilter = QString::fromLatin1(kolvexFirmwareFilter);
    else if (device::isPowerSupply(code) && device::isVeskPowerSupply(code))
        m_firmwareFilter = QString::fromLatin1(flashFirmwareFilter);
    else if (device::isPowerSupply(code))
        m_firmwareFilter = QString::fromLatin1(FirmwarePage::defaultFirmwareFilter);
    else if (device::isBeamline(code))
        m_firmwareFilter = QString::fromLatin1(flashFirmwareFilter);
    else
        m_firmwareFilter = QString::fromLatin1(anyFileFilter);
}

void FirmwarePage::setFwDirectoryFromFile(const QString& path)
{
    m_fwDefaultDir = QFileInfo(path).absolutePath();
    m_settings.setFwDefaultDir(path);
}

void FirmwarePage::chooseFirmware(const QObject* button)
{
    QLineEdit* target = button == ui().chooseFirmwareBtn    ? ui().lineEditFirmware1
                        : button == ui().chooseFirmware2Btn ? ui().lineEditFirmware2
                                                            : nullptr;
    if (!target)
        return;
    const QString path = context().prompts.openFileName(context().window, tr("Open Firmware File"), m_fwDefaultDir,
                                                        tr(m_firmwareFilter.toLatin1().constData()));
    if (path.isEmpty())
        return;
    target->setText(path);
    setFwDirectoryFromFile(path);
}

void FirmwarePage::checkFirmwarePath(QLineEdit* field)
{
    if (!field)
        return;
    const QUrl url(field->text(), QUrl::TolerantMode);
    if (!url.isLocalFile()) {
        showImageChecks();
        return;
    }
    const QString path = url.toLocalFile().trimmed();
    // Setting the text comes back here with the path, which is then checked.
    field->setText(path);
    setFwDirectoryFromFile(path);
}

void FirmwarePage::createImageCheckLabels()
{
    m_imageCheck1 = addImageCheckLabel(ui().layoutFirmware1, QStringLiteral("labelImageCheck1"));
    m_imageCheck2 = addImageCheckLabel(ui().layoutFirmware2, QStringLiteral("labelImageCheck2"));
}

// Under the row of the field, in the column that holds the row.
ImageCheckLabel* FirmwarePage::addImageCheckLabel(QLayout* row, const QString& name)
{
    auto* column = qobject_cast<QBoxLayout*>(row->parent());
    auto* label = new ImageCheckLabel(column ? column->parentWidget() : ui().lineEditFirmware1->parentWidget());
    label->setObjectName(name);
    if (column)
        column->insertWidget(column->indexOf(row) + 1, label);
    return label;
}

void FirmwarePage::showImageChecks()
{
    const std::optional<QString> code = selectionCode();
    m_imageCheck1->showCheck(ui().lineEditFirmware1->text(), code);
    m_imageCheck2->showCheck(ui().lineEditFirmware2->text(), code);
}

// The code the file is checked for at Start: empty for a manual address, none without a selection.
std::optional<QString> FirmwarePage::selectionCode() const
{
    if (!manualAddress().isEmpty())
        return QString();
    const int index = firstSelectedIndex();
    if (index < 0 || index >= context().devices.size())
        return std::nullopt;
    return context().devices.at(index).code;
}

Device_t FirmwarePage::deviceOfRow(int row) const
{
    const int index = context().table.deviceIndexOfRow(row);
    return index >= 0 && index < context().devices.size() ? context().devices.at(index) : Device_t();
}

void FirmwarePage::selectedToUpdate()
{
    const DeviceTable& table = context().table;
    QList<bool>& selected = context().selected;
    for (int row = 0; row < table.rowCount(); ++row) {
        const int index = table.deviceIndexOfRow(row);
        const QCheckBox* box = table.selectionBox(row);
        if (index >= 0 && index < selected.size() && box)
            selected[index] = box->isChecked();
    }
    disableCheckBox();
    forgetFileOfOtherFamily();
    updateCanaryDefault();
    showImageChecks();
}

// A file chosen for one family must not be carried silently into a selection of another.
void FirmwarePage::forgetFileOfOtherFamily()
{
    const int index = firstSelectedIndex();
    if (index < 0 || index >= context().devices.size())
        return;
    const std::optional<FirmwareImageKind> kind = UpgradeSelection::imageKindFor(context().devices.at(index).code);
    const bool changed = kind && m_selectionKind && *kind != *m_selectionKind;
    if (kind)
        m_selectionKind = kind;
    const bool filled = !ui().lineEditFirmware1->text().isEmpty() || !ui().lineEditFirmware2->text().isEmpty();
    if (!changed || !filled)
        return;
    ui().lineEditFirmware1->clear();
    ui().lineEditFirmware2->clear();
    emit signalStatus(tr("The firmware file was cleared: the selected units take %1 images.")
                          .arg(UpgradeSelection::fileEnding(*kind)));
}

// A box may be ticked only where the units ticked with it could be upgraded in one run.
void FirmwarePage::disableCheckBox()
{
    const DeviceTable& table = context().table;
    QList<Device_t> ticked;
    for (int row = 0; row < table.rowCount(); ++row) {
        if (table.selectionBox(row) && table.selectionBox(row)->isChecked())
            ticked << deviceOfRow(row);
    }
    for (int row = 0; row < table.rowCount(); ++row) {
        QCheckBox* box = table.selectionBox(row);
        if (box && !box->isChecked())
            box->setEnabled(selectionProblem(QList<Device_t>(ticked) << deviceOfRow(row)).isEmpty());
    }
}

void FirmwarePage::enableManualIP()
{
    const bool manual = ui().checkBoxManualIP->isChecked();
    ui().frameDevIP->setVisible(manual);
    ui().tableWidgetDeviceFirstTable->setEnabled(!manual);
    showImageChecks();
    if (!manual)
        return;
    const DeviceTable& table = context().table;
    for (int row = 0; row < table.rowCount(); ++row) {
        if (QCheckBox* box = table.selectionBox(row))
            box->setChecked(false);
    }
}

void FirmwarePage::checkAndUpgrade(const QString& path, int dsp)
{
    if (path.isEmpty() || path == QLatin1String(noFirmwareChosen)) {
        context().prompts.critical(context().window, tr("Firmware"), tr("ERROR: Please select a valid firmware!"));
        return;
    }
    m_sequenceDsp = dsp;
    updateFirmware(path);
}

// The first row programs a motor driver's communication DSP, the second its control DSP.
void FirmwarePage::buttonUpFwPressed()
{
    checkAndUpgrade(ui().lineEditFirmware1->text(), dspProgMode::programCommunication);
}

void FirmwarePage::buttonUpFwPressed2()
{
    checkAndUpgrade(ui().lineEditFirmware2->text(), dspProgMode::programControl);
}

int FirmwarePage::selectedCount() const
{
    const QList<bool>& selected = context().selected;
    const int count = qMin(context().table.rowCount(), selected.size());
    return int(std::count(selected.cbegin(), selected.cbegin() + count, true));
}

// The device the worker takes: the lowest selected index.
int FirmwarePage::firstSelectedIndex() const
{
    const QList<bool>& selected = context().selected;
    const int count = qMin(context().table.rowCount(), selected.size());
    const auto first = std::find(selected.cbegin(), selected.cbegin() + count, true);
    return first == selected.cbegin() + count ? -1 : int(first - selected.cbegin());
}

// A typed address must be an IPv4 address before anything is sent to it.
bool FirmwarePage::manualAddressAccepted()
{
    const QString manual = manualAddress();
    QHostAddress address;
    if (manual.isEmpty() || (address.setAddress(manual) && address.protocol() == QAbstractSocket::IPv4Protocol))
        return true;
    context().prompts.critical(context().window, tr("Firmware Upgrade"),
                               tr("ERROR: \"%1\" is not an IPv4 address.").arg(manual));
    return false;
}

// The file is read whole before the first unit is touched: its kind must be the one the units take (or
// the user says to send it anyway), and it must be sound throughout.
bool FirmwarePage::imageAccepted(const QString& path)
{
    const int index = firstSelectedIndex();
    const bool manual = !manualAddress().isEmpty();
    const QString code = manual || index < 0 ? QString() : context().devices.value(index).code;
    const std::optional<FirmwareImageKind> wanted =
        manual ? UpgradeSelection::manualImageKind() : UpgradeSelection::imageKindFor(code);
    m_acceptOtherImageKind = false;
    if (!wanted)
        return true;
    const QString mismatch = UpgradeSelection::mismatch(path, FirmwareImageCheck::detectKind(path), code);
    if (!mismatch.isEmpty()) {
        const QMessageBox::StandardButton answer = context().prompts.question(
            context().window, tr("Firmware Upgrade"), tr("%1. Upgrade anyway?").arg(mismatch),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) {
            appendNote(tr("Upgrade not started: %1.").arg(mismatch));
            return false;
        }
        m_acceptOtherImageKind = true;
    }
    const FirmwareImageCheck::Result result = UpgradeSelection::checkImage(path, *wanted, m_acceptOtherImageKind);
    if (result.ok)
        return true;
    appendNote(result.message);
    context().prompts.critical(context().window, tr("Firmware Upgrade"),
                               result.message + QLatin1String("\n\n") + tr("Nothing was sent to the units."));
    return false;
}

// Units restart into their new firmware and answer no scan meanwhile: the rescan is repeated, a few
// times and paced, until every upgraded unit has answered.
void FirmwarePage::rescanUntilAnswered(const QList<Device_t>& upgraded)
{
    const FirmwarePacing& pacing = FirmwarePacing::current();
    for (int attempt = 1;; ++attempt) {
        emit signalScanDevices();
        const int missing = UpgradeVerification::unanswered(upgraded, context().devices);
        if (missing == 0 || attempt >= pacing.verifyScanAttempts)
            return;
        appendLog(tr("Waiting for %n upgraded unit(s) to answer after their restart...", nullptr, missing));
        flushLog();
        QEventLoop pause;
        QTimer::singleShot(pacing.verifyScanPauseMs, &pause, &QEventLoop::quit);
        pause.exec();
    }
}

QStringList FirmwarePage::selectedMacs() const
{
    QStringList macs;
    const QList<bool>& selected = context().selected;
    for (int i = 0; i < selected.size() && i < context().devices.size(); ++i) {
        if (selected.at(i))
            macs << context().devices.at(i).mac;
    }
    return macs;
}

// A rescan rebuilds the table: the units still waiting for their upgrade stay ticked.
void FirmwarePage::reselect(const QStringList& macs)
{
    // A table the rescan did not rebuild still has its selection.
    if (!selectedMacs().isEmpty())
        return;
    const DeviceTable& table = context().table;
    for (int row = 0; row < table.rowCount(); ++row) {
        const int index = table.deviceIndexOfRow(row);
        QCheckBox* box = table.selectionBox(row);
        if (box && index >= 0 && index < context().devices.size() && macs.contains(context().devices.at(index).mac))
            box->setChecked(true);
    }
    selectedToUpdate();
}

// Empty while the manual option is off.
QString FirmwarePage::manualAddress() const
{
    return ui().checkBoxManualIP->isChecked() ? ui().lineEditSetManualIP->text().trimmed() : QString();
}

void FirmwarePage::updateFirmware(QString firmwarePath)
{
    if (upgradeRunning()) {
        appendNote(tr("WARNING: An upgrade is already running: wait for it to end."));
        return;
    }
    const bool manual = !manualAddress().isEmpty();
    if (!manual && selectedCount() == 0) {
        context().prompts.critical(context().window, tr("Devices to Update"),
                                   tr("ERROR: Select the devices to update!"));
        return;
    }
    if (!manualAddressAccepted() || !imageAccepted(firmwarePath))
        return;
    restartFirmwareLog();
    m_logFile.start();
    m_report.begin(manual ? QStringList() : selectedUnitNames());
    m_cancelRequested = false;
    m_abandoned = false;
    m_completedUnits.clear();
    // Every device of the run takes this file, whichever row's button started it.
    m_sequencePath = firmwarePath;
    m_sequenceTotal = manual ? 1 : selectedCount();
    m_sequencePosition = 0;
    if (!manual && runsAsFleet(m_sequenceTotal)) {
        startFleet(selectedUnits());
        return;
    }
    m_results->hide();
    startNextDevice();
}

void FirmwarePage::startNextDevice()
{
    const QString manual = manualAddress();
    const int index = firstSelectedIndex();
    const QList<Device_t>& devices = context().devices;
    const Device_t target = index >= 0 && index < devices.size() ? devices.at(index) : Device_t();
    m_currentDevice = index >= 0 ? unitName(target) : tr("manual address %1").arg(manual);
    m_report.started(m_currentDevice);
    m_currentUnit = target;
    ++m_sequencePosition;
    m_lastWorkerLine.clear();

    emit signalEnableUI(false);
    firmwareUpgrade* worker =
        m_workers(context().window, m_sequencePath, context().table.rowCount(), context().selected, devices, manual);
    worker->setAcceptOtherImageKind(m_acceptOtherImageKind);
    worker->setMotorDriverDsp(m_sequenceDsp);
    // The window's child, as the worker always was: the window outlives the page's part in a run.
    auto* run = new FirmwareRun(worker, m_updateTimeout, context().window);
    run->setLogFile(logFilePath());
    run->setJournalCompletionDeferred(true);
    m_run = run;
    connectRun(run);
    run->start();
    setCancelEnabled(true);
    emit signalStatus(
        tr("Upgrading device %1 of %2: %3").arg(m_sequencePosition).arg(m_sequenceTotal).arg(m_currentDevice));
}

void FirmwarePage::connectRun(FirmwareRun* run)
{
    connect(run, &FirmwareRun::message, this, &FirmwarePage::writeFwUpLog);
    connect(run, &FirmwareRun::progress, this, &FirmwarePage::changeFwProgressBar);
    connect(run, &FirmwareRun::watchdogExpired, this, &FirmwarePage::onWatchdogExpired);
    connect(run->worker(), &firmwareUpgrade::signalRemoveSelectedDevice, this, &FirmwarePage::removeSelectedDev);
    connect(run, &FirmwareRun::finished, this, [this, run](const UpgradeOutcome& outcome) {
        if (run == m_run)
            onRunFinished(outcome);
    });
}

void FirmwarePage::onWatchdogExpired(int timeoutMs)
{
    appendLog(tr("WARNING: No result after %1 ms: the upgrade is asked to stop.").arg(timeoutMs));
}

void FirmwarePage::writeFwUpLog(const QString& message)
{
    if (!message.trimmed().isEmpty())
        m_lastWorkerLine = message.trimmed();
    m_report.noteLogLine(message);
    followInstallation(message);
    appendLog(message);
}

void FirmwarePage::appendLog(const QString& message)
{
    m_pendingLog << message;
    if (!m_logFlush->isActive())
        m_logFlush->start();
}

void FirmwarePage::appendNote(const QString& message)
{
    flushLog();
    ui().plainTextEditFirmware->appendPlainText(message);
}

// One paragraph per message, as appending them one by one would give.
void FirmwarePage::flushLog()
{
    m_logFlush->stop();
    if (m_pendingLog.isEmpty())
        return;
    const QString text = m_pendingLog.join(QLatin1Char('\n'));
    ui().plainTextEditFirmware->appendPlainText(text);
    m_pendingLog.clear();
    m_logFile.append(text);
}

void FirmwarePage::changeFwProgressBar(int value)
{
    QProgressBar* bar = ui().progressBarFirmware;
    // A step is added to the bar; a stage sets it. While a supply installs, steps tell nothing.
    const bool stage = firmwareUpgrade::nextProgress(1, value) == value;
    if (m_installing && !stage)
        return;
    if (stage)
        setBusy(false);
    bar->setValue(firmwareUpgrade::nextProgress(bar->value(), value));
}

void FirmwarePage::stopUpdateProcedure()
{
    if (!upgradeRunning())
        finishWithFailure();
}

void FirmwarePage::updateNextDevice()
{
    if (!upgradeRunning())
        continueSequence();
}

void FirmwarePage::removeSelectedDev(int index)
{
    const DeviceTable& table = context().table;
    if (QCheckBox* box = table.selectionBox(table.rowOfDevice(index)))
        box->setChecked(false);
    QList<bool>& selected = context().selected;
    if (index >= 0 && index < selected.size())
        selected[index] = false;
}

void FirmwarePage::onRunFinished(const UpgradeOutcome& outcome)
{
    releaseRun();
    setBusy(false);
    if (m_closeRequested) {
        if (outcome.succeeded())
            m_report.upgraded();
        else
            m_report.cancelled();
        appendLog(tr("The upgrade was stopped for quitting; the log is in %1.").arg(logFilePath()));
        flushLog();
        emit signalCloseWindow();
        return;
    }
    flushLog();
    if (m_cancelRequested) {
        if (outcome.succeeded()) {
            m_report.upgraded();
            if (!m_currentUnit.mac.isEmpty())
                m_completedUnits << m_currentUnit;
        } else
            m_report.cancelled();
        finishCancelled();
        return;
    }
    switch (outcome.result()) {
    case UpgradeOutcome::Result::Upgraded:
        m_report.upgraded();
        if (!m_currentUnit.mac.isEmpty())
            m_completedUnits << m_currentUnit;
        continueSequence();
        break;
    case UpgradeOutcome::Result::Failed:
        m_report.failed();
        finishWithFailure();
        break;
    case UpgradeOutcome::Result::NoResult:
        reportEndWithoutResult();
        m_report.failed();
        finishWithFailure();
        break;
    }
}

// The worker has finished: the run may go, with its worker and watchdog.
void FirmwarePage::releaseRun()
{
    if (m_run && m_run->outcome().succeeded() && !m_currentUnit.mac.isEmpty()) {
        m_awaitingRescan.append({m_currentUnit, m_run});
    } else if (m_run) {
        m_run->completeJournal({});
        m_run->deleteLater();
    }
    m_run = nullptr;
    setCancelEnabled(false);
}

void FirmwarePage::continueSequence()
{
    if (selectedCount() == 0) {
        finishWithSuccess();
        return;
    }
    if (m_sequencePath.isEmpty())
        buttonUpFwPressed();
    else
        startNextDevice();
}

void FirmwarePage::finishWithSuccess()
{
    flushLog();
    const int updated = m_sequenceTotal;
    m_sequenceTotal = 0;
    m_sequencePath.clear();
    const QStringList versions = verifyUpgradedUnits();
    const QString text = runEndText(tr("Device succesfuly updated!"), versions);
    context().prompts.information(context().window, tr("Firmware Upgrade"), text);
    // A unit upgraded at a typed address has no record to compare; the table is brought up to date all the same.
    if (versions.isEmpty())
        emit signalScanDevices();
    // After the rescan, which puts its own report on the status bar.
    if (updated > 0)
        emit signalStatus(
            tr("Upgrade complete: %1 of %2 updated; log: %3").arg(updated).arg(updated).arg(logFilePath()));
    ui().checkBoxManualIP->setChecked(false);
    emit signalEnableUI(true);
}

void FirmwarePage::finishWithFailure()
{
    flushLog();
    if (m_sequenceTotal > 0)
        emit signalStatus(tr("Upgrade failed on device %1 of %2: %3; log: %4")
                              .arg(m_sequencePosition)
                              .arg(m_sequenceTotal)
                              .arg(m_currentDevice, logFilePath()));
    m_sequenceTotal = 0;
    m_sequencePath.clear();
    // The units upgraded before the failure show their new versions.
    const QStringList versions = verifyUpgradedUnits();
    emit signalEnableUI(true);
    context().prompts.critical(context().window, tr("Firmware Upgrade"),
                               runEndText(tr("ERROR: Updating failed!"), versions));
}

void FirmwarePage::finishCancelled()
{
    emit signalStatus(tr("Upgrade cancelled on device %1 of %2: %3; log: %4")
                          .arg(m_sequencePosition)
                          .arg(m_sequenceTotal)
                          .arg(m_currentDevice, logFilePath()));
    m_sequenceTotal = 0;
    m_sequencePath.clear();
    const QStringList versions = verifyUpgradedUnits();
    emit signalEnableUI(true);
    context().prompts.warning(context().window, tr("Firmware Upgrade"),
                              runEndText(tr("WARNING: The upgrade was cancelled."), versions));
}

// The headline, every unit of the run with its outcome, the versions seen after the run and the log's file.
QString FirmwarePage::runEndText(const QString& headline, const QStringList& versions) const
{
    QStringList parts = {headline};
    if (!m_report.isEmpty())
        parts << m_report.lines().join(QLatin1Char('\n'));
    if (!versions.isEmpty())
        parts << versions.join(QLatin1Char('\n'));
    if (!logFilePath().isEmpty())
        parts << tr("Log: %1").arg(logFilePath());
    return parts.join(QLatin1String("\n\n"));
}

QString FirmwarePage::unitName(const Device_t& unit) const
{
    return QStringList({unit.group, unit.ip}).join(QLatin1Char(' ')).trimmed();
}

// In the order the run takes them: the lowest device index first.
QStringList FirmwarePage::selectedUnitNames() const
{
    QStringList names;
    const QList<bool>& selected = context().selected;
    const int count = qMin(context().table.rowCount(), selected.size());
    for (int i = 0; i < count && i < context().devices.size(); ++i) {
        if (selected.at(i))
            names << unitName(context().devices.at(i));
    }
    return names;
}

void FirmwarePage::followInstallation(const QString& message)
{
    if (message.contains(QLatin1String("Install new firmware:"))) {
        m_installing = true;
        setBusy(true);
    }
}

void FirmwarePage::setBusy(bool busy)
{
    if (!busy)
        m_installing = false;
    QProgressBar* bar = ui().progressBarFirmware;
    if (busy)
        bar->setRange(0, 0);
    else if (bar->maximum() == 0)
        bar->setRange(0, 100);
}

void FirmwarePage::cancelUpgrade()
{
    if (!upgradeRunning() || m_cancelRequested)
        return;
    m_cancelRequested = true;
    if (m_fleet) {
        setCancelEnabled(false);
        appendLog(tr("Cancel: every unit in flight stops at its next safe point; no further unit is started."));
        flushLog();
        m_fleet->cancel();
        return;
    }
    setCancelEnabled(false);
    appendLog(
        tr("Cancel: the upgrade of %1 stops at its next safe point; no further unit is started.").arg(m_currentDevice));
    if (m_installing)
        appendLog(tr("The unit is installing the uploaded firmware and cannot be stopped: wait for its report."));
    m_run->cancel();
}

// Rescans and compares each upgraded unit's version with the one it had before: only a changed version
// shows that the unit took the new firmware. The lines go to the log as well.
QStringList FirmwarePage::verifyUpgradedUnits()
{
    const QList<Device_t> upgraded = m_completedUnits;
    m_completedUnits.clear();
    if (upgraded.isEmpty())
        return {};
    const QStringList stillSelected = selectedMacs();
    rescanUntilAnswered(upgraded);
    reselect(stillSelected);
    completeJournalsAfterRescan();
    QStringList lines;
    for (const Device_t& unit : upgraded)
        lines << UpgradeVerification(unit, context().devices).logLine();
    for (const QString& line : lines)
        appendLog(line);
    flushLog();
    return lines;
}

void FirmwarePage::completeJournalsAfterRescan()
{
    for (const auto& awaiting : qAsConst(m_awaitingRescan)) {
        if (!awaiting.second)
            continue;
        const UpgradeVerification verification(awaiting.first, context().devices);
        awaiting.second->completeJournal(verification.answered() ? verification.versionAfter() : QString());
        awaiting.second->deleteLater();
    }
    m_awaitingRescan.clear();
}

void FirmwarePage::reportEndWithoutResult()
{
    const QString what = m_lastWorkerLine.isEmpty() ? tr("no response from the device")
                                                    : tr("its last message was \"%1\"").arg(m_lastWorkerLine);
    appendLog(tr("ERROR: The upgrade ended without a result: %1.").arg(what));
}

bool FirmwarePage::holdCloseUntilIdle(bool ask)
{
    if (!upgradeRunning() || m_abandoned)
        return false;
    if (m_closeRequested)
        return true;
    if (ask) {
        const QMessageBox::StandardButton answer = context().prompts.question(
            context().window, tr("Quit"),
            tr("An upgrade is running on %1. Stopping now may leave it without working firmware. Quit anyway?")
                .arg(m_currentDevice),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes || !upgradeRunning())
            return upgradeRunning();
    }
    m_closeRequested = true;
    appendLog(tr("Closing: the upgrade is asked to stop; the window closes once it has ended."));
    if (m_installing)
        appendLog(tr("The unit is installing the uploaded firmware and cannot be stopped."));
    flushLog();
    cancelRunning();
    QTimer::singleShot(m_quitWaitMs, this, &FirmwarePage::onQuitWaitOver);
    return true;
}

void FirmwarePage::cancelRunning()
{
    if (m_run)
        m_run->cancel();
    if (m_fleet)
        m_fleet->cancel();
}

// The worker did not reach a safe point in time: its log is saved and the window goes regardless.
void FirmwarePage::onQuitWaitOver()
{
    if (!upgradeRunning())
        return;
    m_abandoned = true;
    appendLog(tr("WARNING: The upgrade of %1 did not stop within %2 s; quitting while it runs.")
                  .arg(m_currentDevice)
                  .arg(m_quitWaitMs / 1000));
    flushLog();
    emit signalCloseWindow();
}

void FirmwarePage::downloadLog()
{
    const QString log = ui().plainTextEditFirmware->toPlainText();
    if (log.isEmpty())
        return;
    const QString name =
        QString::fromLatin1(logFileName).arg(QDateTime::currentDateTime().toString(QString::fromLatin1(logTimeFormat)));
    const QString proposed =
        QDir::homePath() + QDir::separator() + QStringLiteral("Downloads") + QDir::separator() + name;
    const QString path =
        context().prompts.saveFileName(context().window, tr("Save File"), proposed, tr("Text files (*.txt)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        context().prompts.critical(context().window, tr("Save File"),
                                   tr("Unable to write %1: %2").arg(path, file.errorString()));
        return;
    }
    QTextStream(&file) << log;
}
