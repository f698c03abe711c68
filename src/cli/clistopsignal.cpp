// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/clistopsignal.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int pipeEnds[2] = {-1, -1};
constexpr int handledSignals[] = {SIGTERM, SIGINT};
} // namespace

CliStopSignal::CliStopSignal(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeEnds) != 0) {
        qWarning("SIGTERM and SIGINT are not handled: no socket pair.");
        return;
    }
    m_notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CliStopSignal::readPipe);
    struct sigaction action = {};
    action.sa_handler = &CliStopSignal::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : handledSignals)
        ::sigaction(number, &action, nullptr);
}

CliStopSignal::~CliStopSignal()
{
    if (!m_notifier)
        return;
    for (const int number : handledSignals)
        ::signal(number, SIG_DFL);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

// Async-signal-safe: one write, nothing else.
void CliStopSignal::handle(int signalNumber)
{
    if (pipeEnds[0] < 0)
        return;
    const char byte = char(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, sizeof(byte));
}

void CliStopSignal::readPipe()
{
    m_notifier->setEnabled(false);
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(pipeEnds[1], &byte, sizeof(byte));
    m_notifier->setEnabled(true);
    emit received(int(byte));
}
