// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The motor-driver procedure of the upgrade worker.
#include "firmware/firmwareupgrade.h"

#include "firmware/dspprogmode.h"
#include "firmware/firmwarepacing.h"
#include "firmware/sendfirmware.h"
#include "firmware/xportconfiguration.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {
constexpr int programmingBaudRate = 38400;
constexpr int normalBaudRate = 921600;
constexpr int progressStart = 0;
constexpr int progressTransferred = 70;
constexpr int progressComplete = 100;
} // namespace

void firmwareUpgrade::firmwareKolvexUpdate()
{
    emit signalProgressBarUpdate(progressStart);
    emit signalPrintMessage(tr("Update Kolvex Firmware:"), true);
    const int dsp = motorDriverDsp();
    if (dsp == dspProgMode::normalMode) {
        fail();
        return;
    }
    emit signalPrintMessage(dsp == dspProgMode::programCommunication
                                ? tr("The 'Communication DSP' will be programmed...")
                                : tr("The 'Control DSP' will be programmed..."),
                            true);

    if (isInterruptionRequested()) {
        log(tr("ERROR: The upgrade was stopped before the module was touched."));
        markStoppedOnRequest();
        fail();
        return;
    }
    emit signalPrintMessage(tr("Set Baudrate to 38400..."), true);
    m_errorDetected = false;
    // Nothing is stored by the module until the menu's save: a failure here leaves it as it was.
    if (!setXportBaudRate(programmingBaudRate)) {
        fail();
        return;
    }
    m_dspSelector = dsp;
    waitForXportRestart();
    emit signalPrintMessage(tr("Done!"), true);
    updateDspKolvex(m_deviceIp, m_firmwarePath, dsp);
}

// The row the file was chosen in decides which DSP it programs; a file whose name names the other DSP
// was chosen in the wrong row. Without a row (older callers) the name decides. normalMode: refused, logged.
int firmwareUpgrade::motorDriverDsp()
{
    const QString name = QFileInfo(m_firmwarePath).fileName();
    const bool namesCommunication = name.contains(QLatin1String(communicationDspMarker));
    const bool namesControl = name.contains(QLatin1String(controlDspMarker));
    if (m_dspRow == dspProgMode::programCommunication && namesControl && !namesCommunication) {
        log(tr("ERROR: %1 is named for the control DSP: choose it in the \"Control Firmware\" row.").arg(name));
        return dspProgMode::normalMode;
    }
    if (m_dspRow == dspProgMode::programControl && namesCommunication && !namesControl) {
        log(tr("ERROR: %1 is named for the communication DSP: choose it in the \"Communication Firmware\" row.")
                .arg(name));
        return dspProgMode::normalMode;
    }
    if (m_dspRow == dspProgMode::programCommunication || m_dspRow == dspProgMode::programControl)
        return m_dspRow;
    // Without a row the whole path decides, as it always has.
    if (m_firmwarePath.contains(QLatin1String(communicationDspMarker)))
        return dspProgMode::programCommunication;
    if (m_firmwarePath.contains(QLatin1String(controlDspMarker)))
        return dspProgMode::programControl;
    log(tr("ERROR: wrong Firmware!"));
    log(tr("ERROR: Which DSP %1 is for is not known: its name holds neither \"%2\" nor \"%3\". Choose it in the "
           "row of its DSP on the firmware page, or give --dsp on the command line.")
            .arg(name, QLatin1String(communicationDspMarker), QLatin1String(controlDspMarker)));
    return dspProgMode::normalMode;
}

void firmwareUpgrade::updateDspKolvex(QString ip, QString firmwarePath, int dsp)
{
    if (!programDsp(ip, firmwarePath, dsp)) {
        restoreKolvexModule(true);
        fail();
        return;
    }
    emit signalProgressBarUpdate(progressTransferred);

    emit signalPrintMessage(tr("Set Baudrate to 921600..."), true);
    if (!setXportBaudRate(normalBaudRate)) {
        restoreKolvexModule(true);
        fail();
        return;
    }
    emit signalPrintMessage(tr("Done!"), true);
    waitForXportRestart();
    onLantronixTimeoutReset();
}

void firmwareUpgrade::onLantronixTimeoutReset()
{
    {
        dspProgMode pins(m_pacing, m_ports);
        connect(&pins, &dspProgMode::signalIncreaseProgressBar, this, &firmwareUpgrade::onIncreaseProgressBar,
                Qt::DirectConnection);
        connect(&pins, &dspProgMode::signalError, this, &firmwareUpgrade::onErrorDetected, Qt::DirectConnection);
        emit signalPrintMessage(tr("Lantronix Ready!"), true);
        emit signalPrintMessage(tr("Reset DSP..."), true);
        pins.setProgMode(dspProgMode::normalMode, m_deviceIp);
    }
    if (m_errorDetected) {
        restoreKolvexModule(false);
        fail();
        return;
    }
    emit signalProgressBarUpdate(progressComplete);
    emit signalPrintMessage(tr("Process completed! wait for restart..."), true);
    complete();
}

// Reports arrive directly on this thread, so m_errorDetected already tells the outcome on return.
bool firmwareUpgrade::setXportBaudRate(int baudRate)
{
    xPortConfiguration configuration(m_pacing, m_ports);
    connect(&configuration, &xPortConfiguration::signalIncreaseProgressBar, this,
            &firmwareUpgrade::onIncreaseProgressBar, Qt::DirectConnection);
    connect(&configuration, &xPortConfiguration::signalError, this, &firmwareUpgrade::onErrorDetected,
            Qt::DirectConnection);
    configuration.connectAndConfigure(m_deviceIp, baudRate);
    return !m_errorDetected;
}

void firmwareUpgrade::waitForXportRestart()
{
    const FirmwarePacing& pacing = m_pacing;
    for (int i = 0; i < pacing.restartSteps; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, pacing.restartEventsMs);
        QThread::msleep(ulong(pacing.restartStepMs));
    }
}

bool firmwareUpgrade::programDsp(const QString& ip, const QString& firmwarePath, int dsp)
{
    dspProgMode pins(m_pacing, m_ports);
    SendFirmware transfer(m_pacing, m_ports);
    connect(&pins, &dspProgMode::signalIncreaseProgressBar, this, &firmwareUpgrade::onIncreaseProgressBar,
            Qt::DirectConnection);
    connect(&pins, &dspProgMode::signalError, this, &firmwareUpgrade::onErrorDetected, Qt::DirectConnection);
    connect(&transfer, &SendFirmware::signalIncreaseProgressBar, this, &firmwareUpgrade::onIncreaseProgressBar,
            Qt::DirectConnection);
    connect(&transfer, &SendFirmware::signalErrorDetected, this, &firmwareUpgrade::onErrorDetected,
            Qt::DirectConnection);
    connect(&transfer, &SendFirmware::signalPrintMessage, this, &firmwareUpgrade::onPrintMessage, Qt::DirectConnection);
    m_errorDetected = false;

    // A stop asked for between the steps leaves the flash as it was; the module is restored after it.
    const auto stopped = [this](const QString& step) {
        if (!isInterruptionRequested())
            return false;
        markStoppedOnRequest();
        onErrorDetected(tr("ERROR: The upgrade was stopped before %1.").arg(step));
        return true;
    };
    emit signalPrintMessage(tr("Set GPIO..."), true);
    pins.setProgMode(dsp, ip);
    if (m_errorDetected || stopped(tr("the bootloader was loaded")))
        return false;
    emit signalPrintMessage(tr("Done!"), true);
    emit signalPrintMessage(tr("Load Bootloader..."), true);
    pins.loadBootloader();
    if (m_errorDetected || stopped(tr("the flash was erased")))
        return false;
    emit signalPrintMessage(tr("Done!"), true);
    emit signalPrintMessage(tr("Program..."), true);
    // The image checked before the run began is the one sent; a file given otherwise is checked here.
    if (m_image.kind == FirmwareImageKind::IntelHex && m_image.path == firmwarePath)
        transfer.sendImage(m_image, ip);
    else
        transfer.readAndSendFirmware(firmwarePath, ip);
    if (m_errorDetected) {
        // The transfer stops between two frames once asked to, and says so.
        if (isInterruptionRequested())
            markStoppedOnRequest();
        return false;
    }
    emit signalPrintMessage(tr("Done!"), true);
    return true;
}

// After a failed run the module goes back to what the user had: 921600 baud and both DSPs running.
// The failure stays a failure; this only keeps the driver from being left in boot mode unnoticed.
void firmwareUpgrade::restoreKolvexModule(bool serialSpeedToo)
{
    bool restored = true;
    const auto noteFailure = [this, &restored](QString message) {
        restored = false;
        onPrintMessage(message);
    };
    if (serialSpeedToo) {
        emit signalPrintMessage(tr("Restoring the module: serial speed back to 921600..."), true);
        xPortConfiguration configuration(m_pacing, m_ports);
        connect(&configuration, &xPortConfiguration::signalError, this, noteFailure, Qt::DirectConnection);
        configuration.connectAndConfigure(m_deviceIp, normalBaudRate);
        if (restored) {
            emit signalPrintMessage(tr("Restoring the module: waiting for the XPort to restart..."), true);
            waitForXportRestart();
        }
    }
    emit signalPrintMessage(tr("Restoring the module: pins back to normal operation..."), true);
    {
        dspProgMode pins(m_pacing, m_ports);
        connect(&pins, &dspProgMode::signalError, this, noteFailure, Qt::DirectConnection);
        pins.setProgMode(dspProgMode::normalMode, m_deviceIp);
    }
    if (restored)
        emit signalPrintMessage(tr("Restoring the module: done, pins at normal operation and the "
                                   "serial speed at 921600."),
                                true);
    else
        emit signalPrintMessage(tr("WARNING: The module could not be restored: check its pins and "
                                   "serial speed before using the motor driver!"),
                                true);
}
