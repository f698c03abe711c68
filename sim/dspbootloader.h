// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bootloaderframereader.h"

#include <QJsonObject>
#include <QObject>

class DspFlash;
class EventLog;
class QTimer;
struct XportModuleConfig;

// The serial bootloader that the boot ROM has loaded into a DSP: takes address and data frames into a
// block of up to 256 words, writes or verifies it against the flash, erases sectors. Successful address,
// data and write frames are not answered; erase and verify are answered "ACK\n" or "NAK\n", and every
// frame refused for any reason "NAK\n".
class DspBootloader : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxBlockBytes = 512;
    static constexpr int kMaxDataFrame = 32;

    DspBootloader(const QString& unit, const QString& dsp, DspFlash* flash, const XportModuleConfig& module,
                  EventLog* log, QObject* parent = nullptr);

    // Drops everything in progress, an erase included: the DSP was reset.
    void reset();
    void receive(const QByteArray& bytes);

signals:
    void transmit(const QByteArray& bytes);

private:
    enum Command : quint8 { Address = 0x0A, Write = 0x0B, Data = 0x0C, Verify = 0x0D, Erase = 0x0E };

    void handleWaiting();
    void handle(const BootloaderFrameReader::Frame& frame);
    bool hasValidLength(quint8 command, int length) const;
    void takeAddress(const QByteArray& payload);
    void takeData(const QByteArray& payload);
    void writeBlock();
    void verifyBlock();
    void startErase(quint8 selection);
    void finishErase();
    void refuse(const QString& why);
    void note(const QString& event, QJsonObject fields);
    QJsonObject blockFields() const;

    QString m_unit;
    QString m_dsp;
    DspFlash* m_flash;
    const XportModuleConfig& m_module;
    EventLog* m_log;
    BootloaderFrameReader m_reader;
    bool m_hasAddress = false;
    quint32 m_address = 0;
    QByteArray m_block;
    QTimer* m_eraseTimer;
    quint8 m_eraseSelection = 0;
    QList<BootloaderFrameReader::Frame> m_waiting;
};
