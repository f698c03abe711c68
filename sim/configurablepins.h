// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QtGlobal>

// The XPort's three configurable pins as its pin-control service sees them: 9-byte commands (code, 32-bit
// mask, 32-bit value, least significant byte first) answered by 5 bytes (code, 32-bit register).
class ConfigurablePins
{
public:
    static constexpr int kCommandLength = 9;
    static constexpr int kReplyLength = 5;
    static constexpr quint32 kPins = 0x7;

    // The reply to one command; empty for a code the module does not know.
    QByteArray apply(const QByteArray& command);

    // Bit n set: pin n is high. Pins left as inputs are pulled high.
    quint32 levels() const;
    quint32 directions() const { return m_outputs; }
    quint32 activeLow() const { return m_activeLow; }
    quint32 states() const;

private:
    enum Code : quint8 {
        GetFunctions = 0x10,
        GetDirections = 0x11,
        GetActiveLevels = 0x12,
        GetStates = 0x13,
        SetDirections = 0x19,
        SetActiveLevels = 0x1A,
        SetStates = 0x1B
    };

    static void setMasked(quint32& reg, quint32 mask, quint32 value);
    bool result(quint8 code, quint32 mask, quint32 value, quint32* reg);

    quint32 m_outputs = 0;
    quint32 m_activeLow = 0;
    quint32 m_drivenStates = 0;
};
