// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every fixed pause and bounded wait of the firmware chain, in one place. The defaults are the
// instruments' own pacing. Each worker holds its own copy, handed to the helpers it makes, so that
// runs side by side never share one.
struct FirmwarePacing
{
    // Worker and power-supply procedure.
    int connectWaitMs = 500;      // identification, command and upload connections
    int commandWaitMs = 10000;    // one wait for a command answer
    int commandTotalMs = 30000;   // bound of a whole command exchange
    int commandMaxBytes = 4096;   // bound of an answer that never ends its line
    int chunkWrittenWaitMs = 500; // one upload chunk draining
    int installWaitMs = 4000;     // one wait for the installation report
    int installTotalMs = 600000;  // bound of the whole installation report

    // Beamline procedure.
    int beamlineConnectAttempts = 10;
    int beamlineConnectPauseMs = 200;
    int sectorErasePauseMs = 200;
    int linePauseMs = 1;
    int answerWaitMs = 10000;
    int answerTries = 3;

    // Motor-driver procedure: the XPort restarting after a change of its serial settings.
    int restartSteps = 10;
    int restartStepMs = 1000;
    int restartEventsMs = 100;

    // Configurable pins and bootloader load.
    int pinConnectWaitMs = 5000;
    int pinConnectAttempts = 10;
    int pinStepPauseUs = 100;
    int pinCommandPauseMs = 100;
    int writtenWaitMs = 30000;
    int pinReplyWaitMs = 1000;
    int tunnelConnectAttempts = 10;
    int autobaudPauseMs = 1000;
    int autobaudEchoWaitMs = 3000;
    int loaderEchoWaitMs = 1000;
    int echoDrainSilenceMs = 5000;
    int echoDrainTotalMs = 60000; // bound of the whole drain, against a line that never falls silent

    // Setup menu.
    int menuConnectWaitMs = 4000;
    int menuSendPauseMs = 100;
    int menuSilenceMs = 1000;
    int menuPromptAttempts = 20;
    int menuReadTotalMs = 15000;  // bound of one read of the menu, against a module that never falls silent
    int menuReadMaxBytes = 65536; // what one read of the menu keeps at most
    int saveExitPauseMs = 1000;

    // The rescan after a run: a unit restarts into its new firmware and answers no scan meanwhile.
    int verifyScanAttempts = 4;
    int verifyScanPauseMs = 3000;

    // Bootloader transfer.
    int tunnelConnectWaitMs = 5000;
    int afterConnectPauseMs = 1000;
    int firstReplyWaitMs = 1000;
    int replyTenthMs = 100;
    int blockPauseMs = 1000;

    // The pacing a worker (or a helper made on its own) copies when it is made: a new worker reads it
    // once, and what changes it afterwards reaches only the workers made after the change.
    static const FirmwarePacing& current();
    static void setCurrent(const FirmwarePacing& pacing);
};
