// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/firmwarepacing.h"

// The motor-driver chain's pauses cut down for tests against the loopback fakes. The menu's silence
// stays long enough for a fake on a busy machine to answer within one receive pass.
inline FirmwarePacing shortMotorPacing()
{
    FirmwarePacing pacing;
    pacing.restartSteps = 2;
    pacing.restartStepMs = 5;
    pacing.restartEventsMs = 5;

    pacing.pinConnectWaitMs = 2000;
    pacing.pinConnectAttempts = 3;
    pacing.pinStepPauseUs = 0;
    pacing.pinCommandPauseMs = 1;
    pacing.writtenWaitMs = 5000;
    pacing.pinReplyWaitMs = 300;
    pacing.tunnelConnectAttempts = 3;
    pacing.autobaudPauseMs = 1;
    pacing.autobaudEchoWaitMs = 300;
    pacing.loaderEchoWaitMs = 50;
    pacing.echoDrainSilenceMs = 100;

    pacing.menuConnectWaitMs = 2000;
    pacing.menuSendPauseMs = 1;
    pacing.menuSilenceMs = 250;
    pacing.menuPromptAttempts = 4;
    pacing.saveExitPauseMs = 1;

    pacing.tunnelConnectWaitMs = 2000;
    pacing.afterConnectPauseMs = 1;
    pacing.firstReplyWaitMs = 50;
    pacing.replyTenthMs = 2;
    pacing.blockPauseMs = 1;
    return pacing;
}
