// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/terminationsignal.h"

#include <QSignalSpy>
#include <QtTest>

#include <csignal>

// SIGTERM reaches the interface thread as a signal instead of ending the program on the spot.
class TestTerminationSignal : public QObject
{
    Q_OBJECT

private slots:
    void sigtermBecomesASignal();
};

void TestTerminationSignal::sigtermBecomesASignal()
{
    TerminationSignal termination;
    QSignalSpy received(&termination, &TerminationSignal::received);
    QCOMPARE(::raise(SIGTERM), 0);
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 1, 5000);
    QCOMPARE(::raise(SIGTERM), 0);
    QTRY_COMPARE_WITH_TIMEOUT(received.count(), 2, 5000);
}

QTEST_GUILESS_MAIN(TestTerminationSignal)
#include "tst_terminationsignal.moc"
