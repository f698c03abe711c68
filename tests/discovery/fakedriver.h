// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

// A motor driver's command port on a loopback address, served by a plain thread
// so that it answers while the test's own thread blocks in the engine.
class FakeDriver
{
public:
    enum class Behaviour { Normal, NoCr, Stream, TrickleSerial, Silent, OtherModel, ThreeFields, Garbage };

    FakeDriver(const QString& address, Behaviour behaviour);
    ~FakeDriver();
    bool listening() const { return m_listenFd >= 0; }

private:
    void serve();
    void answer(int fd);
    bool sendAll(int fd, const QByteArray& bytes);

    Behaviour m_behaviour;
    int m_listenFd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
