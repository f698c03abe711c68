// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bootstreamreader.h"
#include "dspflash.h"
#include "noisesource.h"
#include "unitconfig.h"

#include <QJsonObject>
#include <QObject>

class DspBootloader;
class EventLog;
class QTimer;

// One of the motor driver's DSPs on the serial line. Out of reset it either runs its application from
// flash (text commands at the normal speed) or its boot ROM: autobaud at the programming speed, then the
// loader stream, then the loaded bootloader. Bytes at any other speed arrive as garbage and are dropped.
class Dsp : public QObject
{
    Q_OBJECT
public:
    enum class Role { Communication, Control };

    Dsp(Role role, const UnitConfig& config, EventLog* log, QObject* parent = nullptr);

    QString name() const;
    void holdInReset();
    void start(bool fromBootRom);
    bool isHeld() const { return m_state == State::Held; }
    bool bootedFromRom() const;
    void receive(const QByteArray& bytes, int baud);

    // The version the lab's marker names in the written flash, runs in address order; empty without one.
    static QByteArray versionIn(const QList<DspFlash::Range>& ranges);

signals:
    void transmit(const QByteArray& bytes);
    // The boot ROM took the autobaud character and echoed it.
    void autobaudEchoed();
    // The board went down under the module: the module resets its tunnel connections.
    void serialLineLost();

private:
    enum class State { Held, AwaitingAutobaud, Loading, Bootloader, Failed, Application };

    int expectedBaud() const;
    void takeAutobaud(const QByteArray& bytes);
    void takeLoader(const QByteArray& bytes);
    bool loaderFaulted(const QByteArray& bytes);
    void onLoaderQuiet();
    void refuseLoader(const QString& problem);
    void takeCommands(const QByteArray& bytes);
    QByteArray answerTo(const QByteArray& command) const;
    QByteArray applicationMver() const;
    void enter(State state, QJsonObject fields = {});
    void note(const QString& event, QJsonObject fields);
    void noteFlash();

    Role m_role;
    const UnitConfig& m_config;
    EventLog* m_log;
    State m_state = State::Application;
    DspFlash m_flash;
    DspBootloader* m_bootloader;
    BootStreamReader m_loader;
    QTimer* m_loaderQuiet;
    NoiseSource m_noise;
    QByteArray m_pendingLine;
};
