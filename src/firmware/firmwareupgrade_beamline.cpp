// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The beamline procedure of the upgrade worker (also used for Vesk supplies): the flash sectors that the
// S-record image touches are erased, then the image is written line by line, each line confirmed before
// the next is sent, and the instrument restarts. Only a confirmation lets the run go on: a refusal or an
// answer that confirms nothing ends it where it stands, and the restart is then never sent.
#include "firmware/firmwarepacing.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/srecordscan.h"
#include "firmware/unitanswer.h"

#include <QTcpSocket>

#include <algorithm>

namespace {
constexpr int fullProgress = 100;
constexpr auto eraseCommand = "EPCSER:";
constexpr char flashCommandEnd = '\r';
constexpr auto writeModeCommand = "EPCSWR\r";
constexpr auto endCommand = "E\r\n";

bool reachesBeyondSectorRange(const QList<qint8>& sectors)
{
    return std::any_of(sectors.cbegin(), sectors.cend(), [](qint8 sector) { return sector < 0; });
}
} // namespace

void firmwareUpgrade::firmwareUpdateBeamline()
{
    QTcpSocket socket;
    connectBeamline(socket);
    QList<qint8> sectors;
    if (!readSectors(sectors) || !eraseSectors(socket, sectors) || !writeImage(socket) || !restartBeamline(socket))
        return;
    socket.close();
    log(tr("Remote update succesful!"));
    log(tr("Kestrion has finished to update the device with success."));
    complete();
}

// An instrument that cannot be reached is found out by the first command, which gets no answer.
void firmwareUpgrade::connectBeamline(QTcpSocket& socket)
{
    const FirmwarePacing& pacing = m_pacing;
    for (int attempt = 0; attempt < pacing.beamlineConnectAttempts; ++attempt) {
        socket.connectToHost(m_deviceIp, m_ports.command, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
        const bool connected = socket.waitForConnected(pacing.connectWaitMs);
        QThread::msleep(pacing.beamlineConnectPauseMs);
        if (connected)
            break;
    }
    log(socket.state() == QAbstractSocket::ConnectedState ? tr("Device connected, continue...")
                                                          : tr("ERROR: Device unconnected"));
}

// The sectors come from the checked image's records, which are also what is written: the file is not
// read again, so nothing unchecked can reach the flash.
bool firmwareUpgrade::readSectors(QList<qint8>& sectors)
{
    log(tr("Reading file..."));
    emit signalProgressBarUpdate(1);
    const SRecordScan scan = SRecordScan::scanRecords(m_image.records);
    m_linesPerStep = scan.linesPerStep();
    sectors = scan.sectors();
    log(tr("Done!\n"));
    log(tr("Erasing Lumeno memory..."));
    if (m_image.kind == FirmwareImageKind::SRecord && !sectors.isEmpty() && !reachesBeyondSectorRange(sectors))
        return true;
    if (!sectors.isEmpty() && m_image.kind == FirmwareImageKind::SRecord) {
        // A sector number that does not fit the instrument's signed byte would name a sector nobody meant.
        log(tr("ERROR: the firmware file writes at or above address 800000 (hexadecimal), beyond the "
               "flash sectors this tool can erase; nothing was sent"));
        fail();
        return false;
    }
    log(tr("ERROR: the firmware file holds no S1, S2 or S3 record with a readable address"));
    fail();
    return false;
}

bool firmwareUpgrade::eraseSectors(QTcpSocket& socket, const QList<qint8>& sectors)
{
    for (const qint8 sector : sectors) {
        if (stoppedBefore(tr("the erase of sector %1").arg(sector)))
            return false;
        QThread::msleep(m_pacing.sectorErasePauseMs);
        emit signalProgressBarUpdate(1);
        // From the first erase on, the flash no longer holds the old firmware.
        if (sendToBeamline(socket, eraseCommand + QByteArray::number(sector) + flashCommandEnd))
            m_flashTouched = true;
        if (!beamlineConfirmed(socket, tr("the erase of sector %1").arg(sector), UnitAnswer::Expect::Acknowledge))
            return false;
    }
    log(tr("Erased!\n"));
    sendToBeamline(socket, writeModeCommand);
    return beamlineConfirmed(socket, QStringLiteral("EPCSWR"), UnitAnswer::Expect::Acknowledge);
}

bool firmwareUpgrade::writeImage(QTcpSocket& socket)
{
    int linesSent = 0;
    for (const QByteArray& record : qAsConst(m_image.records)) {
        if (stoppedBefore(tr("image line %1").arg(linesSent + 1)))
            return false;
        QThread::msleep(m_pacing.linePauseMs);
        if (linesSent == 0)
            log(tr("Programming Device memory..."));
        sendToBeamline(socket, record);
        ++linesSent;
        if (m_linesPerStep != 0 && linesSent % m_linesPerStep == 0)
            emit signalProgressBarUpdate(1);
        if (!beamlineConfirmed(socket, tr("image line %1").arg(linesSent), UnitAnswer::Expect::LineTaken))
            return false;
    }
    return true;
}

bool firmwareUpgrade::restartBeamline(QTcpSocket& socket)
{
    emit signalProgressBarUpdate(fullProgress);
    log(tr("Device succesfuly updated!\n"));
    log(tr("Wait restart..."));
    sendToBeamline(socket, endCommand);
    return beamlineConfirmed(socket, QStringLiteral("E"), UnitAnswer::Expect::Acknowledge);
}

bool firmwareUpgrade::sendToBeamline(QTcpSocket& socket, const QByteArray& command)
{
    discardPendingInput(socket);
    if (socket.state() != QAbstractSocket::ConnectedState)
        return false;
    socket.write(command);
    socket.flush();
    return true;
}

// The answer must confirm the step: a refusal, silence or anything else ends the run with the unit's words.
bool firmwareUpgrade::beamlineConfirmed(QTcpSocket& socket, const QString& step, UnitAnswer::Expect expect)
{
    const FirmwarePacing& pacing = m_pacing;
    const UnitAnswer answer = UnitAnswer::read(socket, pacing.answerTries, pacing.answerWaitMs,
                                               pacing.answerTries * pacing.answerWaitMs, pacing.commandMaxBytes);
    switch (answer.verdict(expect)) {
    case UnitAnswer::Verdict::Confirmed:
        return true;
    case UnitAnswer::Verdict::Silent:
        log(tr("ERROR: No response from the device!"));
        break;
    case UnitAnswer::Verdict::Refused:
        log(tr("ERROR: the unit refused %1: \"%2\"").arg(step, answer.quoted()));
        break;
    case UnitAnswer::Verdict::Unexpected:
        log(tr("ERROR: the unit did not confirm %1; it answered \"%2\"").arg(step, answer.quoted()));
        break;
    }
    reportFlashIncomplete();
    fail();
    return false;
}

// A stop asked for (Cancel, the watchdog, closing the window) takes effect between two exchanges, never
// inside one: the unit is not left with half a line.
bool firmwareUpgrade::stoppedBefore(const QString& step)
{
    if (!isInterruptionRequested())
        return false;
    log(tr("ERROR: The upgrade was stopped before %1.").arg(step));
    reportFlashIncomplete();
    markStoppedOnRequest();
    fail();
    return true;
}

void firmwareUpgrade::reportFlashIncomplete()
{
    if (!m_flashTouched)
        return;
    log(tr("ERROR: The unit's flash is incomplete: the restart was not sent. Upgrade it again with a good "
           "image before it is restarted."));
}
