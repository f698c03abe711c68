// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

// The ports of the instruments and of the Lantronix modules, named once for the whole program.
namespace port {
// UDP: discovery query and answers, and the "Ostravi Set:" settings datagram.
inline constexpr quint16 discovery = 30719;
// UDP: Lantronix discovery and the IP-SETUP datagram.
inline constexpr quint16 lantronix = 30718;
// TCP: instrument text commands; on a motor driver the XPort's serial tunnel.
inline constexpr quint16 command = 10001;
// TCP: power-supply firmware upload.
inline constexpr quint16 upload = 13192;
// TCP: XPort setup menu.
inline constexpr quint16 setupMenu = 9999;
// TCP: XPort configurable pins.
inline constexpr quint16 pinControl = 30704;
} // namespace port

// A motor driver behind its XPort keeps a fixed mask and gateway whatever the user types.
namespace kolvexNetwork {
inline constexpr char fixedMask[] = "255.255.255.0";
inline constexpr char fixedGateway[] = "192.168.0.1";
} // namespace kolvexNetwork
