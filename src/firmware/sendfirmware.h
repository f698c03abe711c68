// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwarepacing.h"
#include "firmware/parsehex.h"
#include "firmware/upgradeports.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class FirmwareImage;
class QTcpSocket;

// Programs a DSP's flash through the serial bootloader, reached over the XPort's serial tunnel:
// checks the image whole (or takes one already checked), erases the flash and writes the image in blocks of 256 words.
// Every operation blocks the calling thread; the outcome is told only through the signals.
class SendFirmware : public QObject
{
    Q_OBJECT

public:
    // Word addresses a block may start at, both included.
    static constexpr unsigned rangeStart = 0x3E8000;
    static constexpr unsigned rangeEnd = 0x3F8F00;
    static constexpr int blockBytes = 512;
    static constexpr unsigned blockWords = 0x100;
    static constexpr int maxFrameDataBytes = 32;
    static constexpr unsigned char eraseSectors = 0x0B;
    static constexpr int eraseReplyTenths = 200;
    static constexpr int verifyReplyTenths = 3;
    // A section's progress steps: one before every data frame that follows this many.
    static constexpr int framesBeforeStep = 50;

    // Paced and reaching the tunnel as its worker says.
    SendFirmware(const FirmwarePacing& pacing, const UpgradePorts& ports, QObject* parent = nullptr);
    // On its own: FirmwarePacing::current() and the well-known ports.
    explicit SendFirmware(QObject* parent = nullptr);
    ~SendFirmware() override;

    // Reads and checks the file whole first: a file the DSP cannot take is refused before the erase.
    void readAndSendFirmware(QString fileName, QString ip);
    // An image that FirmwareImageCheck passed as Intel HEX.
    void sendImage(const FirmwareImage& image, QString ip);
    void writeOrVerify(bool write, QTcpSocket* socket);
    void writeSection(unsigned address, QByteArray data, bool write, QTcpSocket* socket);
    QString sendErasePacket(unsigned char sectors, QTcpSocket* socket);
    void sendAddressPacket(unsigned address, QTcpSocket* socket);
    void sendDataPacket(QByteArray data, QTcpSocket* socket);
    // Sends the write frame and returns the bootloader's confirmation of the block: "ACK\n" when written.
    QString sendWritePacket(QTcpSocket* socket);
    QString sendVerifyPacket(QTcpSocket* socket);
    void sendPacketToHost(QByteArray packet, QTcpSocket* socket);
    QString readWithTimeout(int tenths, QTcpSocket* socket);
    // True when the address lies OUTSIDE the programmable range.
    static bool checkAddressRange(unsigned address);

    static QByteArray addressFrame(unsigned address);
    static QByteArray dataFrame(const QByteArray& data);
    static QByteArray writeFrame();
    static QByteArray verifyFrame();
    static QByteArray eraseFrame(unsigned char sectors);

signals:
    void signalIncreaseProgressBar();
    void signalErrorDetected(QString errorMessage);
    void signalPrintMessage(QString errorMessage);

private:
    void sendSections(const DataStruct& sections, const QString& ip);
    bool blockRefused(unsigned address, const QString& reply);
    void countWriteFrames(const DataStruct& sections);
    int confirmWaitMs() const;
    QString readReplyLine(QTcpSocket* socket);
    void fail(const QString& message);

    FirmwarePacing m_pacing;
    UpgradePorts m_ports;
    DataStruct m_sections;
    bool m_failed = false;
    // Write frames of the present image, and how many of them the bootloader has confirmed so far.
    int m_writeFrames = 0;
    int m_writeFramesConfirmed = 0;
};
