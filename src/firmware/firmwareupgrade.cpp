// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/firmwareupgrade.h"

#include "firmware/firmwarepacing.h"
#include "firmware/upgradeselection.h"
#include "model/device.h"

#include <QElapsedTimer>
#include <QTcpSocket>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace {
#ifdef Q_OS_LINUX
// The kernel may let a sleep of this thread run this much past its end (the default is 50 µs).
constexpr unsigned long sleepSlackNs = 1;
#endif
// Waits of one command exchange; the exchange as a whole is bounded by the pacing's total and size.
constexpr int commandWaitLimit = 10240;
constexpr auto versionCommand = "VER\r\n";
constexpr auto motorDriverVersionCommand = "MVER\r\n";
constexpr auto refusal = "NAK";

QString textUpToNul(const QByteArray& data)
{
    const int nul = data.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? data : data.left(nul));
}
} // namespace

firmwareUpgrade::firmwareUpgrade(QObject* parent, QString firmwarePath, int deviceCount, QList<bool> selected,
                                 QList<Device_t> devices, QString manualIp)
    : QThread(parent), m_firmwarePath(std::move(firmwarePath)), m_deviceCount(deviceCount),
      m_selected(std::move(selected)), m_devices(std::move(devices)), m_manualIp(std::move(manualIp)),
      m_deviceCode(QStringLiteral(""))
{
    // Whatever part of the run reports it, the first error line is the reason a failure gives.
    connect(this, &firmwareUpgrade::signalPrintMessage, this, &firmwareUpgrade::noteErrorLine, Qt::DirectConnection);
}

firmwareUpgrade::~firmwareUpgrade()
{
    wait();
}

int firmwareUpgrade::nextProgress(int bar, int value)
{
    static constexpr int absolutePositions[] = {0, 50, 70, 80, 95, 100};
    static constexpr int wrap = 101;
    for (const int position : absolutePositions) {
        if (value == position)
            return value;
    }
    return ((bar + value) % wrap + wrap) % wrap;
}

void firmwareUpgrade::onIncreaseProgressBar()
{
    emit signalProgressBarUpdate(1);
}

void firmwareUpgrade::onErrorDetected(QString errorMessage)
{
    m_errorDetected = true;
    emit signalPrintMessage(errorMessage, true);
}

void firmwareUpgrade::onPrintMessage(QString message)
{
    emit signalPrintMessage(message, true);
}

void firmwareUpgrade::onLantronixTimeout()
{
    emit signalPrintMessage(tr("Lantronix Ready!"), true);
    updateDspKolvex(m_deviceIp, m_firmwarePath, m_dspSelector);
}

void firmwareUpgrade::run()
{
#ifdef Q_OS_LINUX
    // The default slack makes the beamline's 1 ms pause per line last 1.1 ms: 2 s more on a 20,000-line image.
    prctl(PR_SET_TIMERSLACK, sleepSlackNs);
#endif
    m_outcome = UpgradeOutcome();
    m_firstErrorLine.clear();
    m_stoppedOnRequest = false;
    const bool deviceTaken = upgradeFirstSelected();
    // A failed unit ends the run: the manual address is not tried after it.
    if (!m_manualIp.isEmpty() && !m_outcome.failed())
        upgradeManualAddress();
    if (!deviceTaken && m_manualIp.isEmpty()) {
        log(tr("ERROR: No device to upgrade: none is selected and no address was given."));
        fail();
    }
    announceOutcome();
}

Device_t firmwareUpgrade::unitToUpgrade() const
{
    for (int i = 0; i < m_deviceCount && i < m_devices.size() && i < m_selected.size(); ++i)
        if (m_selected.at(i))
            return m_devices.at(i);
    Device_t manual;
    manual.ip = m_manualIp;
    return manual;
}

// False when no device is selected.
bool firmwareUpgrade::upgradeFirstSelected()
{
    for (int i = 0; i < m_deviceCount && i < m_devices.size() && i < m_selected.size(); ++i) {
        m_deviceCode = m_devices.at(i).code;
        if (!m_selected.at(i))
            continue;
        m_deviceIp = m_devices.at(i).ip;
        logBanner(m_deviceIp);
        emit signalRemoveSelectedDevice(i);
        // A family without a procedure is refused by identification, with its own message.
        const std::optional<FirmwareImageKind> kind = UpgradeSelection::imageKindFor(m_deviceCode);
        if (kind && !imageIsSound(*kind))
            return true;
        if (device::isXport(m_deviceCode))
            firmwareKolvexUpdate();
        else if (device::isPsRecovery(m_deviceCode))
            firmwareUpdatePowerSupplies(false);
        else
            connectTcpClient();
        return true;
    }
    return false;
}

void firmwareUpgrade::upgradeManualAddress()
{
    logBanner(m_manualIp);
    m_deviceIp = m_manualIp;
    if (imageIsSound(UpgradeSelection::manualImageKind()))
        firmwareUpdatePowerSupplies(false);
}

void firmwareUpgrade::complete()
{
    if (!m_outcome.failed())
        m_outcome = UpgradeOutcome::upgraded();
}

void firmwareUpgrade::fail()
{
    if (m_outcome.failed())
        return;
    const QString reason = m_firstErrorLine.isEmpty() ? tr("the upgrade failed") : m_firstErrorLine;
    m_outcome = UpgradeOutcome::failure(reason, m_stoppedOnRequest);
}

// A procedure that ended without saying how is a failure too: the page and the command line wait for a result.
void firmwareUpgrade::announceOutcome()
{
    if (!m_outcome.hasResult()) {
        log(tr("ERROR: The upgrade ended without a result."));
        // Gone quiet after a stop was asked for, it stopped as asked.
        if (isInterruptionRequested())
            markStoppedOnRequest();
        fail();
    }
    if (m_outcome.succeeded())
        emit signalProcedureCompleted();
    else
        emit signalErrorDetected();
}

void firmwareUpgrade::noteErrorLine(const QString& message)
{
    if (m_firstErrorLine.isEmpty())
        m_firstErrorLine = UpgradeOutcome::errorLineOf(message);
}

QString firmwareUpgrade::sendCommand(QTcpSocket* socket, QString command)
{
    const FirmwarePacing& pacing = m_pacing;
    QString answer;
    discardPendingInput(*socket);
    if (socket->state() != QAbstractSocket::ConnectedState)
        return answer;
    socket->write(command.toLatin1());
    socket->flush();

    QElapsedTimer elapsed;
    elapsed.start();
    qint64 received = 0;
    for (int wait = 0; wait < commandWaitLimit; ++wait) {
        const qint64 left = pacing.commandTotalMs - elapsed.elapsed();
        if (left <= 0)
            break;
        if (socket->bytesAvailable() == 0 && !socket->waitForReadyRead(int(qMin<qint64>(pacing.commandWaitMs, left)))) {
            if (socket->state() != QAbstractSocket::ConnectedState)
                break;
            continue;
        }
        // A peer that never ends its line must not make the answer grow without bound.
        const QByteArray data = socket->read(pacing.commandMaxBytes - received);
        received += data.size();
        answer += textUpToNul(data);
        if (answer.contains(QLatin1Char('\r')) || received >= pacing.commandMaxBytes)
            break;
    }
    return answer;
}

void firmwareUpgrade::connectTcpClient()
{
    m_connected = false;
    log(tr("Try to connect..."));
    QTcpSocket socket;
    socket.connectToHost(m_deviceIp, m_ports.command, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    if (!socket.waitForConnected(m_pacing.connectWaitMs)) {
        // A connection still being set up after the wait is no more use than a refused one.
        socket.abort();
        log(tr("Device Unconnected! exit..."));
        fail();
        return;
    }
    log(tr("Device Connected!"));
    m_connected = true;
    log(tr("Check version..."));
    const QString command = identificationCommand();
    if (command.isEmpty()) {
        log(device::isCurrentTr(m_deviceCode) ? tr("ERROR: Current Transdurers are not supported!")
                                              : tr("ERROR: Unrecognized device family!"));
        fail();
        return;
    }
    const QString answer = sendCommand(&socket, command);
    socket.close();
    log(socket.state() != QAbstractSocket::UnconnectedState ? tr("ERROR: Device still connected")
                                                            : tr("Socket closed, continue..."));
    // A run that stops here must say so: the page and the command line wait for its outcome.
    if (answer.isEmpty()) {
        log(tr("No response from device"));
        fail();
        return;
    }
    if (answer.contains(QLatin1String(refusal))) {
        log(tr("ERROR: the unit refused identification: \"%1\"").arg(UnitAnswer::quote(answer.toUtf8())));
        fail();
        return;
    }
    log(tr("Device name: ") + answer);
    chooseFirmwareType();
}

void firmwareUpgrade::chooseFirmwareType()
{
    if (device::isVeskPowerSupply(m_deviceCode))
        firmwareUpdateBeamline();
    else if (device::isKolvex(m_deviceCode))
        firmwareKolvexUpdate();
    else if (device::isZarn(m_deviceCode))
        firmwareUpdatePowerSupplies(true);
    else if (device::isPowerSupply(m_deviceCode))
        firmwareUpdatePowerSupplies(false);
    else if (device::isBeamline(m_deviceCode))
        firmwareUpdateBeamline();
}

// Empty for a family that has no firmware procedure.
QString firmwareUpgrade::identificationCommand()
{
    if (device::isPowerSupply(m_deviceCode)) {
        if (device::isVeskPowerSupply(m_deviceCode))
            return QLatin1String(versionCommand);
        if (device::isKolvex(m_deviceCode))
            return QLatin1String(motorDriverVersionCommand);
        return QLatin1String(versionCommand);
    }
    if (device::isBeamline(m_deviceCode))
        return QLatin1String(versionCommand);
    return {};
}

// Also what has reached the host but not yet the socket's buffer: it cannot be the answer to what comes next.
void firmwareUpgrade::discardPendingInput(QTcpSocket& socket)
{
    if (socket.state() == QAbstractSocket::ConnectedState)
        socket.waitForReadyRead(0);
    if (socket.isOpen())
        socket.readAll();
}

// The whole file is read before anything is sent: a damaged image must not reach a unit half way.
bool firmwareUpgrade::imageIsSound(FirmwareImageKind wanted)
{
    const FirmwareImageCheck::Result result =
        UpgradeSelection::checkImage(m_firmwarePath, wanted, m_acceptOtherImageKind);
    if (result.ok) {
        m_image = result.image;
        return true;
    }
    log(result.message);
    log(tr("ERROR: The firmware file was refused before anything was sent to the unit."));
    fail();
    return false;
}

void firmwareUpgrade::log(const QString& message)
{
    emit signalPrintMessage(message, true);
}

void firmwareUpgrade::logBanner(const QString& address)
{
    log(tr(" ===  U P D A T E   T H E   D E V I C E  ==="));
    log(tr("Device IP: ") + address);
    log(tr("Firmware : ") + m_firmwarePath);
}
