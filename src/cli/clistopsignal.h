// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a signal on the event loop while an upgrade runs, so that the units in flight
// are stopped at their safe points instead of the program dying half way through a flash. Only one instance
// may exist; the handler does nothing but write one byte to a socket pair.
class CliStopSignal : public QObject
{
    Q_OBJECT

public:
    explicit CliStopSignal(QObject* parent = nullptr);
    // The default actions again: a second signal after the run ends the program as usual.
    ~CliStopSignal() override;

signals:
    void received(int signalNumber);

private:
    static void handle(int signalNumber);
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
