// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/sendfirmware.h"

#include "firmware/firmwareimagecheck.h"
#include "firmware/firmwarepacing.h"
#include "firmware/unitanswer.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QThread>

namespace {
constexpr char frameStart[] = "\x0C\x0E";
constexpr char frameEnd = 0x0E;
constexpr char addressCommand[] = "\x0A\x04";
constexpr char dataCommand = 0x0C;
constexpr char writeCommand[] = "\x0B\x00";
constexpr char verifyCommand[] = "\x0D\x00";
constexpr char eraseCommand[] = "\x0E\x01";
constexpr int commandBytes = 2;
constexpr int maxReplyBytes = 4096;

const QString acknowledged = QStringLiteral("ACK\n");

QByteArray frame(const QByteArray& body)
{
    return QByteArray(frameStart, 2) + body + frameEnd;
}
} // namespace

SendFirmware::SendFirmware(const FirmwarePacing& pacing, const UpgradePorts& ports, QObject* parent)
    : QObject(parent), m_pacing(pacing), m_ports(ports)
{}

SendFirmware::SendFirmware(QObject* parent) : SendFirmware(FirmwarePacing::current(), UpgradePorts(), parent) {}

SendFirmware::~SendFirmware() = default;

QByteArray SendFirmware::addressFrame(unsigned address)
{
    QByteArray body(addressCommand, commandBytes);
    for (int shift = 24; shift >= 0; shift -= 8)
        body.append(char((address >> shift) & 0xFF));
    return frame(body);
}

QByteArray SendFirmware::dataFrame(const QByteArray& data)
{
    QByteArray body(1, dataCommand);
    body.append(char(data.size() & 0xFF));
    body.append(data);
    return frame(body);
}

QByteArray SendFirmware::writeFrame()
{
    return frame(QByteArray(writeCommand, commandBytes));
}

QByteArray SendFirmware::verifyFrame()
{
    return frame(QByteArray(verifyCommand, commandBytes));
}

QByteArray SendFirmware::eraseFrame(unsigned char sectors)
{
    return frame(QByteArray(eraseCommand, commandBytes) + char(sectors));
}

bool SendFirmware::checkAddressRange(unsigned address)
{
    return address < rangeStart || address > rangeEnd;
}

void SendFirmware::readAndSendFirmware(QString fileName, QString ip)
{
    emit signalIncreaseProgressBar();
    const FirmwareImageCheck::Result checked = FirmwareImageCheck::check(fileName, FirmwareImageKind::IntelHex);
    emit signalIncreaseProgressBar();
    if (!checked.ok) {
        emit signalErrorDetected(tr("ERROR: Parsing Failed!"));
        emit signalPrintMessage(checked.reason);
        return;
    }
    sendSections(checked.image.sections(), ip);
}

void SendFirmware::sendImage(const FirmwareImage& image, QString ip)
{
    emit signalIncreaseProgressBar();
    emit signalIncreaseProgressBar();
    sendSections(image.sections(), ip);
}

void SendFirmware::sendSections(const DataStruct& sections, const QString& ip)
{
    const FirmwarePacing& pacing = m_pacing;
    m_sections = sections;
    QTcpSocket socket;
    socket.connectToHost(ip, m_ports.command, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    if (!socket.waitForConnected(pacing.tunnelConnectWaitMs)) {
        emit signalErrorDetected(tr("ERROR: Connection Failed!!"));
        return;
    }
    QThread::msleep(ulong(pacing.afterConnectPauseMs));

    const QString eraseReply = sendErasePacket(eraseSectors, &socket);
    if (eraseReply != acknowledged) {
        emit signalErrorDetected(tr("ERROR: Flash Erase failed!"));
        emit signalPrintMessage(eraseReply.isEmpty() ? tr("ERROR: The bootloader did not answer the erase.")
                                                     : tr("ERROR: The bootloader answered the erase with \"%1\".")
                                                           .arg(UnitAnswer::quote(eraseReply.toLatin1())));
        socket.close();
        return;
    }
    emit signalPrintMessage(tr("Memory erased!"));
    writeOrVerify(true, &socket);
}

QString SendFirmware::sendErasePacket(unsigned char sectors, QTcpSocket* socket)
{
    emit signalIncreaseProgressBar();
    emit signalPrintMessage(tr("Send Erase Packet..."));
    sendPacketToHost(eraseFrame(sectors), socket);
    emit signalPrintMessage(tr("Erase Timeout 20s"));
    return readWithTimeout(eraseReplyTenths, socket);
}

void SendFirmware::writeOrVerify(bool write, QTcpSocket* socket)
{
    emit signalPrintMessage(tr("Write memory..."));
    const DataStruct& sections = m_sections;
    m_failed = false;
    countWriteFrames(sections);
    for (int i = 0; i < sections.data.size() && !m_failed; ++i)
        writeSection(unsigned(sections.startAddresses.at(i)), sections.data.at(i), write, socket);
    if (!m_failed)
        emit signalPrintMessage(tr("Writing completed!"));
    socket->close();
}

// Each block of every section ends in one write frame: a failure names the frame among all of them.
void SendFirmware::countWriteFrames(const DataStruct& sections)
{
    m_writeFrames = 0;
    m_writeFramesConfirmed = 0;
    for (const QByteArray& data : sections.data)
        m_writeFrames += (int(data.size()) + blockBytes - 1) / blockBytes;
}

void SendFirmware::writeSection(unsigned address, QByteArray data, bool write, QTcpSocket* socket)
{
    const FirmwarePacing& pacing = m_pacing;
    int position = 0;
    int framesSinceStep = 0;
    while (position < data.size()) {
        if (checkAddressRange(address)) {
            fail(tr("ERROR: address are outside the programmable address range"));
            return;
        }
        sendAddressPacket(address, socket);
        const int blockEnd = qMin(position + blockBytes, int(data.size()));
        while (position < blockEnd) {
            // Between two frames is where a stop leaves the bootloader in a known state.
            if (QThread::currentThread()->isInterruptionRequested()) {
                fail(tr("ERROR: The upgrade was stopped before the block at word address %1 was complete.")
                         .arg(QStringLiteral("%1").arg(address, 6, 16, QLatin1Char('0')).toUpper()));
                return;
            }
            const int take = qMin(maxFrameDataBytes, blockEnd - position);
            if (framesSinceStep > framesBeforeStep) {
                emit signalIncreaseProgressBar();
                framesSinceStep = 1;
            } else {
                ++framesSinceStep;
            }
            sendDataPacket(data.mid(position, take), socket);
            position += take;
        }
        if (write) {
            if (blockRefused(address, sendWritePacket(socket)))
                return;
        } else if (sendVerifyPacket(socket) != acknowledged) {
            fail(tr("ERROR: verify failed!"));
            return;
        }
        QThread::msleep(ulong(pacing.blockPauseMs));
        address += blockWords;
    }
}

// A block counts as written only when the bootloader says so; anything else (a refusal, silence, talk
// that is no answer) ends the run at this write frame.
bool SendFirmware::blockRefused(unsigned address, const QString& reply)
{
    if (reply == acknowledged) {
        ++m_writeFramesConfirmed;
        return false;
    }
    const QString where = QStringLiteral("%1").arg(address, 6, 16, QLatin1Char('0')).toUpper();
    const QString frame = QString::number(m_writeFramesConfirmed + 1);
    const QString frames = QString::number(qMax(m_writeFrames, m_writeFramesConfirmed + 1));
    if (reply.isEmpty())
        fail(tr("ERROR: The bootloader did not confirm write frame %1 of %2 (the block at word address %3): no "
                "answer within %4 ms.")
                 .arg(frame, frames, where)
                 .arg(confirmWaitMs()));
    else if (reply.startsWith(QLatin1String("NAK")))
        fail(tr("ERROR: The bootloader refused write frame %1 of %2 (the block at word address %3): \"%4\"")
                 .arg(frame, frames, where, UnitAnswer::quote(reply.toLatin1())));
    else
        fail(tr("ERROR: The bootloader did not confirm write frame %1 of %2 (the block at word address %3); it "
                "answered \"%4\"")
                 .arg(frame, frames, where, UnitAnswer::quote(reply.toLatin1())));
    return true;
}

void SendFirmware::fail(const QString& message)
{
    m_failed = true;
    emit signalErrorDetected(message);
}

void SendFirmware::sendAddressPacket(unsigned address, QTcpSocket* socket)
{
    sendPacketToHost(addressFrame(address), socket);
}

void SendFirmware::sendDataPacket(QByteArray data, QTcpSocket* socket)
{
    sendPacketToHost(dataFrame(data), socket);
}

// The bootloader says nothing about a block it wrote, so the write is followed by a verify of the same
// block, which it always answers: "ACK\n" confirms that the block is in the flash. A refused write is
// answered "NAK\n" before the verify's own answer.
QString SendFirmware::sendWritePacket(QTcpSocket* socket)
{
    sendPacketToHost(writeFrame(), socket);
    sendPacketToHost(verifyFrame(), socket);
    return readReplyLine(socket);
}

int SendFirmware::confirmWaitMs() const
{
    return m_pacing.firstReplyWaitMs + verifyReplyTenths * m_pacing.replyTenthMs;
}

// The first line of the answer, as soon as it is complete: talk that never ends a line is cut at
// maxReplyBytes, and an answer that does not come is given up after confirmWaitMs().
QString SendFirmware::readReplyLine(QTcpSocket* socket)
{
    const QDeadlineTimer deadline(confirmWaitMs());
    QByteArray reply;
    while (!reply.contains('\n') && reply.size() < maxReplyBytes) {
        if (socket->bytesAvailable() == 0 &&
            (deadline.hasExpired() || !socket->waitForReadyRead(int(deadline.remainingTime()))))
            break;
        reply.append(socket->read(maxReplyBytes - reply.size()));
    }
    const int end = reply.indexOf('\n');
    return QString::fromLatin1(end < 0 ? reply : reply.left(end + 1));
}

QString SendFirmware::sendVerifyPacket(QTcpSocket* socket)
{
    sendPacketToHost(verifyFrame(), socket);
    return readWithTimeout(verifyReplyTenths, socket);
}

void SendFirmware::sendPacketToHost(QByteArray packet, QTcpSocket* socket)
{
    if (socket->state() != QAbstractSocket::ConnectedState)
        return;
    socket->write(packet);
    socket->flush();
    socket->waitForBytesWritten(m_pacing.writtenWaitMs);
}

QString SendFirmware::readWithTimeout(int tenths, QTcpSocket* socket)
{
    const FirmwarePacing& pacing = m_pacing;
    socket->waitForReadyRead(pacing.firstReplyWaitMs);
    QByteArray reply;
    // A bootloader that never falls silent is cut off after twice its silence wait, and what it says is
    // kept only up to a size no real reply comes near.
    const QDeadlineTimer deadline(2 * tenths * pacing.replyTenthMs);
    while (!deadline.hasExpired() && reply.size() < maxReplyBytes &&
           socket->waitForReadyRead(int(qMin<qint64>(tenths * pacing.replyTenthMs, deadline.remainingTime()))))
        reply.append(socket->read(maxReplyBytes - reply.size()));
    // A reply that came during the first wait and nothing after it still counts.
    reply.append(socket->read(qMax(0, maxReplyBytes - reply.size())));
    const int nul = reply.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? reply : reply.left(nul));
}
