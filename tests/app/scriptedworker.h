// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/upgradeworkerfactory.h"
#include "firmware/firmwareupgrade.h"

#include <QAtomicInt>
#include <QDeadlineTimer>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QStringList>

#include <functional>
#include <memory>

// An upgrade worker whose thread plays a story instead of talking to a device, and a factory that
// makes them and notes what each one was given and how the threads overlapped.
//
//     auto workers = std::make_shared<ScriptedWorkers>();
//     workers->story = ScriptedWorkers::completes;
//     FirmwarePage page(context, settings, dir, filter, timeout, workers->factory());
class ScriptedWorker;

class ScriptedWorkers
{
public:
    using Story = std::function<void(ScriptedWorker&)>;

    struct Made
    {
        QString firmwarePath;
        int deviceCount = 0;
        QList<bool> selected;
        QString manualIp;
    };

    // The story of the next worker; `stories` first, one per worker, then `story` for the rest.
    Story story;
    QList<Story> stories;

    UpgradeWorkerFactory factory();

    QList<Made> made() const
    {
        QMutexLocker lock(&m_mutex);
        return m_made;
    }
    int count() const { return made().size(); }
    // The most worker threads that ever ran at the same time.
    int mostAtOnce() const { return m_most.loadAcquire(); }
    int running() const { return m_running.loadAcquire(); }
    int interruptedRuns() const { return m_interrupted.loadAcquire(); }
    int endedRuns() const { return m_ended.loadAcquire(); }

    // Stories.
    static void completes(ScriptedWorker& worker);
    static void fails(ScriptedWorker& worker);
    // Logs a line and ends, as identification does without an answer.
    static void endsQuietly(ScriptedWorker& worker);
    // Ends without a word.
    static void saysNothing(ScriptedWorker& worker);
    static void failsThenCompletes(ScriptedWorker& worker);
    // Waits for the thread's interruption request (at most a minute), then fails as a silent supply does.
    static void waitsForInterruption(ScriptedWorker& worker);

    // Released by the test: a story may wait for it.
    QSemaphore gate;

private:
    friend class ScriptedWorker;
    void started()
    {
        const int now = m_running.fetchAndAddOrdered(1) + 1;
        int most = m_most.loadAcquire();
        while (now > most && !m_most.testAndSetOrdered(most, now))
            most = m_most.loadAcquire();
    }
    void ended(bool interrupted)
    {
        if (interrupted)
            m_interrupted.fetchAndAddOrdered(1);
        m_ended.fetchAndAddOrdered(1);
        m_running.fetchAndAddOrdered(-1);
    }

    mutable QMutex m_mutex;
    QList<Made> m_made;
    QAtomicInt m_running;
    QAtomicInt m_most;
    QAtomicInt m_interrupted;
    QAtomicInt m_ended;
};

class ScriptedWorker : public firmwareUpgrade
{
public:
    ScriptedWorker(ScriptedWorkers& owner, ScriptedWorkers::Story story, QObject* parent, const QString& firmwarePath,
                   int deviceCount, const QList<bool>& selected, const QList<Device_t>& devices,
                   const QString& manualIp)
        : firmwareUpgrade(parent, firmwarePath, deviceCount, selected, devices, manualIp), m_owner(owner),
          m_story(std::move(story))
    {}

    // The device the real worker would take: the lowest selected index, -1 for none.
    int firstSelected() const
    {
        for (int i = 0; i < m_deviceCount && i < m_selected.size(); ++i) {
            if (m_selected.at(i))
                return i;
        }
        return -1;
    }
    void say(const QString& line) { emit signalPrintMessage(line, true); }
    void progress(int value) { emit signalProgressBarUpdate(value); }
    void takeFirstSelected()
    {
        if (firstSelected() >= 0)
            emit signalRemoveSelectedDevice(firstSelected());
    }
    void complete() { emit signalProcedureCompleted(); }
    void fail() { emit signalErrorDetected(); }
    bool waitForInterruption(int boundMs)
    {
        const QDeadlineTimer deadline(boundMs);
        while (!isInterruptionRequested() && !deadline.hasExpired())
            msleep(2);
        return isInterruptionRequested();
    }
    ScriptedWorkers& owner() { return m_owner; }

protected:
    void run() override
    {
        m_owner.started();
        m_story(*this);
        m_owner.ended(isInterruptionRequested());
    }

private:
    ScriptedWorkers& m_owner;
    ScriptedWorkers::Story m_story;
};

inline UpgradeWorkerFactory ScriptedWorkers::factory()
{
    return [this](QObject* parent, const QString& firmwarePath, int deviceCount, const QList<bool>& selected,
                  const QList<Device_t>& devices, const QString& manualIp) -> firmwareUpgrade* {
        Story next;
        {
            QMutexLocker lock(&m_mutex);
            next = m_made.size() < stories.size() ? stories.at(m_made.size()) : story;
            m_made.append({firmwarePath, deviceCount, selected, manualIp});
        }
        return new ScriptedWorker(*this, next, parent, firmwarePath, deviceCount, selected, devices, manualIp);
    };
}

inline void ScriptedWorkers::completes(ScriptedWorker& worker)
{
    worker.say(QStringLiteral("Device IP: scripted"));
    worker.takeFirstSelected();
    worker.progress(0);
    worker.progress(50);
    worker.progress(100);
    worker.complete();
}

inline void ScriptedWorkers::fails(ScriptedWorker& worker)
{
    worker.takeFirstSelected();
    worker.say(QStringLiteral("CRITICAL: scripted failure"));
    worker.fail();
}

inline void ScriptedWorkers::endsQuietly(ScriptedWorker& worker)
{
    worker.takeFirstSelected();
    worker.say(QStringLiteral("Try to connect..."));
    worker.say(QStringLiteral("No response from device\n"));
}

inline void ScriptedWorkers::saysNothing(ScriptedWorker& worker)
{
    Q_UNUSED(worker)
}

inline void ScriptedWorkers::failsThenCompletes(ScriptedWorker& worker)
{
    worker.takeFirstSelected();
    worker.fail();
    worker.complete();
}

inline void ScriptedWorkers::waitsForInterruption(ScriptedWorker& worker)
{
    worker.takeFirstSelected();
    worker.say(QStringLiteral("Install new firmware:"));
    if (worker.waitForInterruption(60000))
        worker.say(QStringLiteral("CRITICAL: update error: Timeout Error!"));
    worker.fail();
}
