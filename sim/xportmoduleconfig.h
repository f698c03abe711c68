// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonValue>
#include <QString>

// How an XPort module and the motor driver behind it behave: the "module" member of an xport unit.
struct XportModuleConfig
{
    int restartMs = 10000;
    int bannerWindowMs = 3000;
    int initialBaud = 921600;
    int programmingBaud = 38400;
    int normalBaud = 921600;
    int eraseDelayMs = 2000;

    bool pinsUnreachable = false;
    bool pinsWrongReply = false;
    bool menuSilent = false;
    bool menuNoPrompt = false;
    bool tunnelUnreachable = false;
    bool noAutobaudEcho = false;
    bool eraseRefused = false;
    bool verifyMismatch = false;
    bool loaderSilent = false;
    bool loaderReset = false;
    bool loaderRandom = false;
    bool tunnelChatter = false;
    bool menuChatter = false;
    bool menuEndless = false;
    bool menuFlood = false;
    bool writeChatter = false;
    bool writeFlood = false;

    // An absent member keeps every default; a mistake is described in *error.
    bool parse(const QJsonValue& value, QString* error);

    static bool isSerialSpeed(int baud);

private:
    bool parseFaults(const QJsonValue& value, QString* error);
};
