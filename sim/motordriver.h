// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "unitconfig.h"

#include <QObject>

class Dsp;
class EventLog;

// The drive behind the XPort: two DSPs whose reset and boot-mode inputs hang on the module's pins, and
// the module's serial line, which reaches the DSP booted from ROM, or else the communication DSP.
//   pin 2 (bit 2): reset of both DSPs, low holds them;
//   pin 1 (bit 1): boot mode of the communication DSP, low boots its ROM serial loader;
//   pin 0 (bit 0): boot mode of the control DSP, low boots its ROM serial loader.
// As on the board, the boot inputs are read only when the reset is released.
class MotorDriver : public QObject
{
    Q_OBJECT
public:
    static constexpr quint32 kResetPin = 0x4;
    static constexpr quint32 kCommunicationBootPin = 0x2;
    static constexpr quint32 kControlBootPin = 0x1;

    MotorDriver(const UnitConfig& config, EventLog* log, QObject* parent = nullptr);

    void setPinLevels(quint32 levels);
    void receive(const QByteArray& bytes, int baud);

signals:
    void transmit(const QByteArray& bytes);
    void autobaudEchoed();
    void serialLineLost();

private:
    Dsp* listener() const;

    const UnitConfig& m_config;
    EventLog* m_log;
    Dsp* m_communication;
    Dsp* m_control;
    quint32 m_levels;
};
