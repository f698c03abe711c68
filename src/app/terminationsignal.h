// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM into a signal on the interface thread, so that a terminated program ends as a closed
// window does: a running upgrade stopped at its safe point and its log saved. Only one instance may
// exist; the handler does nothing but write one byte to a pipe.
class TerminationSignal : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignal(QObject* parent = nullptr);
    ~TerminationSignal() override;

signals:
    void received();

private:
    static void handle(int signalNumber);
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
