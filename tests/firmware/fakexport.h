// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmware/upgradeports.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QThread>

class FakeXportServices;

// An XPort with a motor driver behind it, on 127.0.0.1: the configurable pins, the setup menu and the
// serial tunnel to a DSP that waits in its boot ROM or runs the bootloader, each on a port that the system
// picks (ports() tells them, to hand to the code under test). Served from a thread of its own, so that it answers while
// the test's thread blocks in the code under test. Read what it saw once that code has returned.
class FakeXport
{
public:
    struct Options
    {
        bool pinService = true;
        bool menuService = true;
        bool tunnelService = true;
        // Connections served by the pins and the menu; later ones are closed at once (-1: all).
        int pinSessions = -1;
        int menuSessions = -1;

        // Pins: the reply to this command of a connection (counted from 0) comes in two pieces, or not at all.
        int splitReplyCommand = -1;
        int splitDelayMs = 400;
        int silentCommand = -1;

        // Setup menu.
        bool banner = true;         // the banner comes as soon as a client connects
        bool menuReturns = true;    // the menu prompt comes back after the serial port's questions
        int questionsAfterBaud = 2; // questions of the serial menu after "Baudrate"

        // Tunnel.
        QByteArray autobaudReply = "a";
        bool autobaudNeedsBootMode = false; // the boot ROM answers only at 38400 baud with a DSP held in boot
        bool echoLoader = true;
        QByteArray eraseReply = "ACK\n";
        int eraseReplyDelayMs = 20;
    };

    struct Block
    {
        quint32 address = 0;
        QByteArray data;
    };

    // What the services saw; guarded by the fake's mutex.
    struct Record
    {
        QList<QByteArray> pinCommands;
        int pinConnections = 0;
        quint32 pinDirections = 0;
        quint32 pinActiveLevels = 0;
        quint32 pinStates = 0x07;
        QByteArray menuReceived;
        int menuConnections = 0;
        int baudRate = 921600;
        QList<int> storedBaudRates;
        int tunnelConnections = 0;
        QByteArray autobaudReceived;
        QByteArray loaderReceived;
        QList<QByteArray> frames;
        QList<Block> blocks;
        int erases = 0;
        int garbageBytes = 0;
    };

    explicit FakeXport(const Options& options);
    FakeXport();
    ~FakeXport();
    FakeXport(const FakeXport&) = delete;
    FakeXport& operator=(const FakeXport&) = delete;

    bool listening() const { return m_listening; }
    const UpgradePorts& ports() const { return m_ports; }
    Record record() const;
    void setBaudRate(int baudRate);

private:
    Options m_options;
    mutable QMutex m_mutex;
    Record m_record;
    QThread m_thread;
    FakeXportServices* m_services = nullptr;
    bool m_listening = false;
    UpgradePorts m_ports;
};
