// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "configurablepins.h"

#include <QtEndian>

namespace {
constexpr int kMaskAt = 1;
constexpr int kValueAt = 5;
constexpr quint32 kAllGeneralPurpose = ConfigurablePins::kPins;
} // namespace

QByteArray ConfigurablePins::apply(const QByteArray& command)
{
    if (command.size() != kCommandLength)
        return {};
    const quint8 code = quint8(command.at(0));
    const quint32 mask = qFromLittleEndian<quint32>(command.constData() + kMaskAt);
    const quint32 value = qFromLittleEndian<quint32>(command.constData() + kValueAt);
    quint32 reg = 0;
    if (!result(code, mask, value, &reg))
        return {};
    QByteArray reply(kReplyLength, '\0');
    reply[0] = char(code);
    qToLittleEndian<quint32>(reg & kPins, reply.data() + 1);
    return reply;
}

bool ConfigurablePins::result(quint8 code, quint32 mask, quint32 value, quint32* reg)
{
    switch (code) {
    case SetDirections:
        setMasked(m_outputs, mask, value);
        [[fallthrough]];
    case GetDirections:
        *reg = m_outputs;
        return true;
    case SetActiveLevels:
        setMasked(m_activeLow, mask, value);
        [[fallthrough]];
    case GetActiveLevels:
        *reg = m_activeLow;
        return true;
    case SetStates:
        setMasked(m_drivenStates, mask, value);
        [[fallthrough]];
    case GetStates:
        *reg = states();
        return true;
    case GetFunctions:
        *reg = kAllGeneralPurpose;
        return true;
    }
    return false;
}

void ConfigurablePins::setMasked(quint32& reg, quint32 mask, quint32 value)
{
    reg = ((reg & ~mask) | (value & mask)) & kPins;
}

quint32 ConfigurablePins::states() const
{
    // An input reads active when its pulled-up level is its active level.
    const quint32 inputStates = ~m_activeLow & ~m_outputs;
    return ((m_drivenStates & m_outputs) | inputStates) & kPins;
}

quint32 ConfigurablePins::levels() const
{
    const quint32 driven = (m_drivenStates ^ m_activeLow) & m_outputs;
    return (driven | ~m_outputs) & kPins;
}
