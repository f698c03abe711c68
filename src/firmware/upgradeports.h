// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/wellknownports.h"

#include <QtGlobal>

// The TCP ports the firmware chain reaches a unit on. Each worker is handed its own when it is made, and
// passes them to the helpers it makes; the defaults are the instruments' ports, and tests hand fakes'
// ports that the system picked.
struct UpgradePorts
{
    quint16 command = port::command;       // identification, text commands; a motor driver's serial tunnel
    quint16 upload = port::upload;         // power-supply firmware upload
    quint16 setupMenu = port::setupMenu;   // XPort setup menu
    quint16 pinControl = port::pinControl; // XPort configurable pins
};
