// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "motordriver.h"

#include "configurablepins.h"
#include "dsp.h"
#include "eventlog.h"

MotorDriver::MotorDriver(const UnitConfig& config, EventLog* log, QObject* parent)
    : QObject(parent), m_config(config), m_log(log),
      m_communication(new Dsp(Dsp::Role::Communication, config, log, this)),
      m_control(new Dsp(Dsp::Role::Control, config, log, this)), m_levels(ConfigurablePins::kPins)
{
    connect(m_communication, &Dsp::transmit, this, &MotorDriver::transmit);
    connect(m_control, &Dsp::transmit, this, &MotorDriver::transmit);
    for (Dsp* dsp : {m_communication, m_control}) {
        connect(dsp, &Dsp::autobaudEchoed, this, &MotorDriver::autobaudEchoed);
        connect(dsp, &Dsp::serialLineLost, this, &MotorDriver::serialLineLost);
    }
}

void MotorDriver::setPinLevels(quint32 levels)
{
    const bool wasRunning = (m_levels & kResetPin) != 0;
    const bool running = (levels & kResetPin) != 0;
    m_levels = levels;
    if (wasRunning && !running) {
        m_communication->holdInReset();
        m_control->holdInReset();
    } else if (!wasRunning && running) {
        m_communication->start((levels & kCommunicationBootPin) == 0);
        m_control->start((levels & kControlBootPin) == 0);
    }
}

void MotorDriver::receive(const QByteArray& bytes, int baud)
{
    if (m_communication->bootedFromRom() && m_control->bootedFromRom()) {
        m_log->problem(m_config.name,
                       QStringLiteral("both DSPs boot from ROM: the serial line is shared, nothing answers"));
        return;
    }
    if (Dsp* dsp = listener())
        dsp->receive(bytes, baud);
}

Dsp* MotorDriver::listener() const
{
    if (m_control->bootedFromRom())
        return m_control;
    if (m_communication->isHeld())
        return nullptr;
    return m_communication;
}
