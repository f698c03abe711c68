// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "motorpauses.h"

#include "firmware/dspprogmode.h"
#include "firmware/sendfirmware.h"

namespace {
// The serial speed is changed twice (programming, then normal) and the pins set twice (program, normal).
constexpr int menuDialogues = 2;
constexpr int restartWaits = 2;
constexpr int pinSequences = 2;
constexpr double usPerMs = 1000.0;
} // namespace

namespace motorPauses {

QList<Item> items(const FirmwarePacing& pacing, int imageBytes)
{
    const int blocks = (imageBytes + SendFirmware::blockBytes - 1) / SendFirmware::blockBytes;
    const double menu =
        motorPauses::menuPasses * pacing.menuSilenceMs + menuTexts * pacing.menuSendPauseMs + pacing.saveExitPauseMs;
    const double pins = dspProgMode::pinSteps * (pacing.pinStepPauseUs / usPerMs + pacing.pinCommandPauseMs);
    return {
        {QStringLiteral("setup menu x2 (9 silences, 9 sends, save)"), menuDialogues * menu},
        {QStringLiteral("XPort restart waits x2"), double(restartWaits * pacing.restartSteps * pacing.restartStepMs)},
        {QStringLiteral("pin commands x2 (4 each)"), pinSequences * pins},
        {QStringLiteral("autobaud pause"), double(pacing.autobaudPauseMs)},
        {QStringLiteral("bootloader echo drain silence"), double(pacing.echoDrainSilenceMs)},
        {QStringLiteral("pause after connecting"), double(pacing.afterConnectPauseMs)},
        {QStringLiteral("erase window (first wait + silence)"),
         double(pacing.firstReplyWaitMs + SendFirmware::eraseReplyTenths * pacing.replyTenthMs)},
        {QStringLiteral("block pauses (%1 blocks)").arg(blocks), double(blocks * pacing.blockPauseMs)},
        // The transfer writes without a verify pass: no verify window.
        {QStringLiteral("verify windows (no verify pass)"), 0.0},
    };
}

double sum(const QList<Item>& items)
{
    double total = 0;
    for (const Item& item : items)
        total += item.ms;
    return total;
}

} // namespace motorPauses
