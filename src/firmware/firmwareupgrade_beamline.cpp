// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The beamline procedure of the upgrade worker (also used for Vesk supplies): the flash sectors that the
// S-record image touches are erased, then the image is written line by line, each line answered before
// the next is sent, and the instrument restarts.
#include "firmware/firmwarepacing.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/srecordscan.h"
#include "model/wellknownports.h"

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
    emit signalProcedureCompleted();
}

// An instrument that cannot be reached is found out by the first command, which gets no answer.
void firmwareUpgrade::connectBeamline(QTcpSocket& socket)
{
    const FirmwarePacing& pacing = FirmwarePacing::current();
    for (int attempt = 0; attempt < pacing.beamlineConnectAttempts; ++attempt) {
        socket.connectToHost(m_deviceIp, port::command, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
        const bool connected = socket.waitForConnected(pacing.connectWaitMs);
        QThread::msleep(pacing.beamlineConnectPauseMs);
        if (connected)
            break;
    }
    log(socket.state() == QAbstractSocket::ConnectedState ? tr("Device connected, continue...")
                                                          : tr("ERROR: Device unconnected"));
}

bool firmwareUpgrade::readSectors(QList<qint8>& sectors)
{
    m_firmwareFile.setFileName(m_firmwarePath);
    const bool opened = m_firmwareFile.open(QIODevice::ReadOnly);
    log(tr("Reading file..."));
    emit signalProgressBarUpdate(1);
    const SRecordScan scan = opened ? SRecordScan::scan(m_firmwareFile) : SRecordScan();
    m_linesPerStep = scan.linesPerStep();
    sectors = scan.sectors();
    log(tr("Done!\n"));
    log(tr("Erasing Lumeno memory..."));
    if (!sectors.isEmpty() && !reachesBeyondSectorRange(sectors))
        return true;
    if (!sectors.isEmpty()) {
        // A sector number that does not fit the instrument's signed byte would name a sector nobody meant.
        log(tr("ERROR: the firmware file writes at or above address 800000 (hexadecimal), beyond the "
               "flash sectors this tool can erase; nothing was sent"));
        m_firmwareFile.close();
        emit signalErrorDetected();
        return false;
    }
    log(opened ? tr("ERROR: the firmware file holds no S1, S2 or S3 record with a readable address")
               : tr("ERROR: cannot read the firmware file, ") + m_firmwareFile.errorString());
    m_firmwareFile.close();
    emit signalErrorDetected();
    return false;
}

bool firmwareUpgrade::eraseSectors(QTcpSocket& socket, const QList<qint8>& sectors)
{
    for (const qint8 sector : sectors) {
        QThread::msleep(FirmwarePacing::current().sectorErasePauseMs);
        emit signalProgressBarUpdate(1);
        sendToBeamline(socket, eraseCommand + QByteArray::number(sector) + flashCommandEnd);
        if (!beamlineAnswered(socket)) {
            m_firmwareFile.close();
            return false;
        }
    }
    log(tr("Erased!\n"));
    m_firmwareFile.close();
    // Writing after an erase with nothing to write would leave the instrument without firmware.
    if (!m_firmwareFile.open(QIODevice::ReadOnly)) {
        log(tr("ERROR: cannot read the firmware file, ") + m_firmwareFile.errorString());
        emit signalErrorDetected();
        return false;
    }
    sendToBeamline(socket, writeModeCommand);
    if (beamlineAnswered(socket))
        return true;
    m_firmwareFile.close();
    return false;
}

bool firmwareUpgrade::writeImage(QTcpSocket& socket)
{
    int linesSent = 0;
    while (!m_firmwareFile.atEnd()) {
        QThread::msleep(FirmwarePacing::current().linePauseMs);
        if (linesSent == 0)
            log(tr("Programming Device memory..."));
        sendToBeamline(socket, m_firmwareFile.readLine());
        ++linesSent;
        if (m_linesPerStep != 0 && linesSent % m_linesPerStep == 0)
            emit signalProgressBarUpdate(1);
        if (!beamlineAnswered(socket)) {
            m_firmwareFile.close();
            return false;
        }
    }
    return true;
}

bool firmwareUpgrade::restartBeamline(QTcpSocket& socket)
{
    emit signalProgressBarUpdate(fullProgress);
    log(tr("Device succesfuly updated!\n"));
    log(tr("Wait restart..."));
    m_firmwareFile.close();
    sendToBeamline(socket, endCommand);
    return beamlineAnswered(socket);
}

void firmwareUpgrade::sendToBeamline(QTcpSocket& socket, const QByteArray& command)
{
    discardPendingInput(socket);
    if (socket.state() != QAbstractSocket::ConnectedState)
        return;
    socket.write(command);
    socket.flush();
}

// Any answer counts, ended or not; only silence through every wait fails the run.
bool firmwareUpgrade::beamlineAnswered(QTcpSocket& socket)
{
    const FirmwarePacing& pacing = FirmwarePacing::current();
    QString answer;
    for (int attempt = 0; attempt < pacing.answerTries; ++attempt) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(pacing.answerWaitMs))
            continue;
        answer += QString::fromUtf8(socket.readAll());
        if (answer.contains(QLatin1Char('\r')))
            break;
    }
    if (!answer.isEmpty())
        return true;
    log(tr("ERROR: No response from the device!"));
    emit signalErrorDetected();
    return false;
}
