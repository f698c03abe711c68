// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The power-supply procedure of the upgrade worker: output and DC-link checks on the command port, the
// file streamed unchanged to the upload port, the installation report followed, then a reboot.
#include "firmware/boundedtext.h"
#include "firmware/firmwarepacing.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/powersupplyanswers.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

namespace {
constexpr qint64 chunkBytes = 16384;
// Chunks handed to the connection in one write: one kernel write per 16 KiB chunk costs about half the
// link's throughput, and the supply sees the same byte stream either way.
constexpr int chunksPerWrite = 16;
constexpr int chunksPerStep = 200;
constexpr int progressAfterConnect = 3;
constexpr int installTargetStart = 50;
constexpr int fullProgress = 100;
constexpr auto statusCommand = "MST\r\n";
constexpr auto dcLinkVoltageCommand = "MRP\r\n";
constexpr auto dcLinkLimitCommand = "MRG:83\r\n";
constexpr auto rebootCommand = "MREBOOT\r\n";

void connectTo(QTcpSocket& socket, const QString& address, quint16 port, int waitMs)
{
    socket.connectToHost(address, port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    socket.waitForConnected(waitMs);
}

bool isWaitError(const QTcpSocket& socket)
{
    const QAbstractSocket::SocketError error = socket.error();
    // A connection that is gone cannot end the wait in any other way.
    return socket.state() != QAbstractSocket::ConnectedState ||
           (error != QAbstractSocket::SocketTimeoutError && error != QAbstractSocket::UnknownSocketError);
}
} // namespace

void firmwareUpgrade::firmwareUpdatePowerSupplies(bool checkDcLink)
{
    if (!powerSupplyIsIdle(checkDcLink))
        return;

    log(tr("\nFIRMWARE UPDATE..."));
    log(tr("Selected Firmware File:"));
    log(m_firmwarePath);
    emit signalProgressBarUpdate(0);
    if (!openFirmwareFile())
        return;

    QTcpSocket upload;
    if (!connectUploadPort(upload))
        return;
    int progress = progressAfterConnect;
    bool interrupted = false;
    if (!uploadFirmware(upload, progress, interrupted))
        return;

    bool timedOut = interrupted;
    QString reply;
    if (!interrupted && !waitForInstallation(upload, progress, timedOut, reply))
        return;
    upload.close();
    log(tr("Update Socket Closed!"));

    if (timedOut) {
        // Only the installation report's own bound is a failure of the supply's.
        if (interrupted || isInterruptionRequested())
            markStoppedOnRequest();
        if (!interrupted)
            log(tr("WARNING: The upload had ended when the upgrade was stopped: the supply is installing the image "
                   "and cannot be stopped. Check it once it has restarted."));
        // The reason names the step the stop came in; the line after it is the supply procedure's own.
        if (interrupted)
            log(tr("ERROR: The upgrade was stopped on request during the upload of the image."));
        else if (isInterruptionRequested())
            log(tr("ERROR: The upgrade was stopped on request while the supply was installing the image; its "
                   "installation report was not followed to the end."));
        log(tr("CRITICAL: update error: Timeout Error!"));
        log(tr("\nERROR: Unexpected Error"));
        fail();
        return;
    }
    if (!PowerSupplyAnswers::isAccepted(reply)) {
        // Only "#ACK" confirms the image; a report that ends otherwise is no refusal the supply explained.
        log(PowerSupplyAnswers::isRefused(reply)
                ? tr("CRITICAL: update error: ") + PowerSupplyAnswers::refusalReason(reply)
                : tr("CRITICAL: update error: the supply's report ended neither with #ACK nor with #NAK: \"%1\"")
                      .arg(UnitAnswer::quote(PowerSupplyAnswers::finalLine(reply).toUtf8())));
        log(tr("\nERROR: Unexpected Error"));
        fail();
        return;
    }
    log(tr("Firmware Updated!"));
    emit signalProgressBarUpdate(fullProgress);
    rebootPowerSupply();
    complete();
}

// The output must be off and, where asked, the DC link within its limit; a supply that does not
// answer the status request is let through.
bool firmwareUpgrade::powerSupplyIsIdle(bool checkDcLink)
{
    QTcpSocket command;
    connectTo(command, m_deviceIp, m_ports.command, m_pacing.connectWaitMs);
    const QString status = sendCommand(&command, QLatin1String(statusCommand));
    const std::optional<bool> outputOn = PowerSupplyAnswers::outputOn(status);
    if (!outputOn) {
        reportUnreadableStatus(status);
        command.close();
        fail();
        return false;
    }
    if (*outputOn) {
        log(tr("CRITICAL: module is in ON mode! PLEASE PUT IT IN OFF BEFORE TO PERFORM A FIRMWARE UPDATE"));
        command.close();
        fail();
        return false;
    }
    if (checkDcLink) {
        const QString voltage = sendCommand(&command, QLatin1String(dcLinkVoltageCommand));
        const QString limit = sendCommand(&command, QLatin1String(dcLinkLimitCommand));
        const PowerSupplyAnswers::DcLinkCheck check = PowerSupplyAnswers::checkDcLink(voltage, limit);
        if (check.verdict != PowerSupplyAnswers::DcLink::Within) {
            log(check.message);
            command.close();
            fail();
            return false;
        }
    }
    command.close();
    return true;
}

// A status that cannot be read may hide an output that is on: the upgrade does not start.
void firmwareUpgrade::reportUnreadableStatus(const QString& status)
{
    if (status.isEmpty())
        log(tr("ERROR: The supply did not answer its status request (MST): its output may be on. Nothing was "
               "sent."));
    else if (status.contains(QLatin1String("NAK")))
        log(tr("ERROR: The supply refused its status request (MST): \"%1\". Nothing was sent.")
                .arg(UnitAnswer::quote(status.toUtf8())));
    else
        log(tr("ERROR: The supply's status answer cannot be read: \"%1\"; its output may be on. Nothing was "
               "sent.")
                .arg(UnitAnswer::quote(status.toUtf8())));
}

bool firmwareUpgrade::openFirmwareFile()
{
    log(tr("\nFirmware File Opening..."));
    m_firmwareFile.setFileName(m_firmwarePath);
    if (!m_firmwareFile.open(QIODevice::ReadOnly)) {
        m_firmwareFile.close();
        log(tr("CRITICAL: error in file opening, ") + m_firmwareFile.errorString());
        fail();
        return false;
    }
    // The supply takes the file as it is on disk: one that changed since the check is not what was checked.
    if (m_image.path == m_firmwarePath && m_image.fileBytes > 0 && m_firmwareFile.size() != m_image.fileBytes) {
        log(tr("ERROR: the firmware file changed after it was checked (%1 bytes then, %2 now); nothing was sent.")
                .arg(m_image.fileBytes)
                .arg(m_firmwareFile.size()));
        m_firmwareFile.close();
        fail();
        return false;
    }
    log(tr("Firmware Opened!"));
    emit signalProgressBarUpdate(1);
    return true;
}

bool firmwareUpgrade::connectUploadPort(QTcpSocket& upload)
{
    log(tr("\nCreate socket to update firmware..."));
    connectTo(upload, m_deviceIp, m_ports.upload, m_pacing.connectWaitMs);
    if (upload.state() != QAbstractSocket::ConnectedState) {
        log(tr("CRITICAL: socket error, ") + upload.errorString());
        log(tr("Please check that your device is connected and try again..."));
        upload.close();
        m_firmwareFile.close();
        fail();
        return false;
    }
    log(tr("Socket Connection to ") + m_deviceIp);
    log(tr("Socket Opened!"));
    emit signalProgressBarUpdate(2);
    log(tr("\nFirmware upload in progress..."));
    discardPendingInput(upload);
    return true;
}

// Streams the file in chunks; interrupted tells whether the watchdog asked the thread to stop meanwhile.
bool firmwareUpgrade::uploadFirmware(QTcpSocket& upload, int& progress, bool& interrupted)
{
    int chunks = 0;
    QByteArray pending;
    interrupted = false;
    while (!interrupted) {
        interrupted = isInterruptionRequested();
        const QByteArray chunk = m_firmwareFile.read(chunkBytes);
        if (chunk.isEmpty())
            break;
        pending += chunk;
        if (++chunks % chunksPerStep == 0) {
            emit signalProgressBarUpdate(1);
            ++progress;
        }
        if (chunks % chunksPerWrite != 0 && !interrupted && !m_firmwareFile.atEnd())
            continue;
        if (!writeUploadChunks(upload, pending))
            return false;
        if (!waitUntilDrained(upload))
            interrupted = true;
    }
    if (!pending.isEmpty() && !writeUploadChunks(upload, pending))
        return false;
    log(tr("Fiwmware uploaded!"));
    m_firmwareFile.close();
    log(tr("\nInstall new firmware:"));
    return true;
}

// Hands the chunks read so far to the connection; false (reported) when it cannot take them.
bool firmwareUpgrade::writeUploadChunks(QTcpSocket& upload, QByteArray& pending)
{
    if (upload.state() != QAbstractSocket::ConnectedState || upload.write(pending) < 0) {
        log(tr("CRITICAL: Packet transmitted with erros"));
        upload.close();
        m_firmwareFile.close();
        fail();
        return false;
    }
    pending.clear();
    return true;
}

// A supply that stops reading must not make the rest of the file pile up in memory: no chunk is read
// until those written have left. False when the thread was asked to stop meanwhile.
bool firmwareUpgrade::waitUntilDrained(QTcpSocket& upload)
{
    while (upload.bytesToWrite() > 0 && upload.state() == QAbstractSocket::ConnectedState) {
        upload.waitForBytesWritten(m_pacing.chunkWrittenWaitMs);
        if (isInterruptionRequested())
            return false;
    }
    return true;
}

// Follows the installation report until its final answer (left in reply), a socket error (false, reported)
// or the watchdog (timedOut). The bar creeps by one step per wait towards the percentage the supply reports.
bool firmwareUpgrade::waitForInstallation(QTcpSocket& upload, int progress, bool& timedOut, QString& reply)
{
    int target = installTargetStart;
    // A supply that reports for ever is no more use than a silent one: the wait has a bound of its own
    // behind the page's watchdog.
    const QDeadlineTimer deadline(m_pacing.installTotalMs);
    // A report that floods reaches the log as its two ends and the count of what lay between.
    BoundedText report;
    const auto logHeldBack = [this, &report] {
        for (const QString& line : report.finish())
            log(line);
    };
    while (true) {
        if (deadline.hasExpired()) {
            logHeldBack();
            log(tr("ERROR: The installation report did not end within %1 ms.").arg(m_pacing.installTotalMs));
            timedOut = true;
            return true;
        }
        const bool interrupted = isInterruptionRequested();
        reply.clear();
        // Data may already have come in while the last chunk drained.
        if (upload.bytesAvailable() > 0 || upload.waitForReadyRead(m_pacing.installWaitMs)) {
            reply = QString::fromUtf8(upload.read(m_pacing.commandMaxBytes));
            if (PowerSupplyAnswers::isFinal(reply)) {
                logHeldBack();
                completeFinalLine(upload, reply);
                timedOut = interrupted;
                return true;
            }
        }
        if (isWaitError(upload)) {
            logHeldBack();
            log(tr("CRITICAL: socket error, ") + upload.errorString());
            upload.close();
            fail();
            return false;
        }
        target = qMax(target, PowerSupplyAnswers::progress(reply).value_or(target));
        if (!reply.isEmpty()) {
            const QString text = PowerSupplyAnswers::withoutProgressLines(reply);
            const QString head = report.take(text);
            if (!head.isEmpty() || text.isEmpty())
                log(head);
        }
        if (target > progress) {
            emit signalProgressBarUpdate(1);
            ++progress;
        }
        if (interrupted) {
            logHeldBack();
            timedOut = true;
            return true;
        }
    }
}

// The final answer may arrive in pieces ("#AC", "K\r\n"): it is read on, within bounds, until its line ends.
void firmwareUpgrade::completeFinalLine(QTcpSocket& upload, QString& reply)
{
    const FirmwarePacing& pacing = m_pacing;
    for (int attempt = 0; attempt < pacing.answerTries && !PowerSupplyAnswers::finalLineEnded(reply); ++attempt) {
        if (reply.size() >= pacing.commandMaxBytes)
            break;
        if (upload.bytesAvailable() > 0 || upload.waitForReadyRead(pacing.installWaitMs))
            reply += QString::fromUtf8(upload.read(pacing.commandMaxBytes - reply.size()));
    }
}

void firmwareUpgrade::rebootPowerSupply()
{
    QTcpSocket command;
    connectTo(command, m_deviceIp, m_ports.command, m_pacing.connectWaitMs);
    const QString answer = sendCommand(&command, QLatin1String(rebootCommand));
    log(tr("\nFIRMWARE SUCCESSFULLY UPDATED!"));
    command.close();
    if (PowerSupplyAnswers::rebootAcknowledged(answer))
        return;
    log(tr("\nWARNING: CANNOT REBOOT! PLEASE REBOOT MANUALLY"));
    if (!answer.isEmpty())
        log(tr("WARNING: The supply answered the reboot request with \"%1\".").arg(UnitAnswer::quote(answer.toUtf8())));
}
