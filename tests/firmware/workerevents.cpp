// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "workerevents.h"

#include "common/privatenetwork.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

namespace {
// The page's progress convention: these values place the bar, any other is added modulo 101.
bool isAbsolute(int value)
{
    return value == 0 || value == 50 || value == 70 || value == 80 || value == 95 || value == 100;
}
} // namespace

WorkerEvents::WorkerEvents(firmwareUpgrade& worker)
{
    connect(&worker, &firmwareUpgrade::signalPrintMessage, this, [this](const QString& message, bool append) {
        Q_UNUSED(append)
        events << QStringLiteral("log:") + message;
        logs << message;
    });
    connect(&worker, &firmwareUpgrade::signalProgressBarUpdate, this, &WorkerEvents::onProgress);
    connect(&worker, &firmwareUpgrade::signalRemoveSelectedDevice, this,
            [this](int index) { events << QStringLiteral("remove:%1").arg(index); });
    connect(&worker, &firmwareUpgrade::signalErrorDetected, this, [this] {
        events << QStringLiteral("error");
        ++errors;
    });
    connect(&worker, &firmwareUpgrade::signalProcedureCompleted, this, [this] {
        events << QStringLiteral("completed");
        ++completions;
    });
    connect(&worker, &QThread::finished, this, [this] { finished = true; });
}

void WorkerEvents::onProgress(int value)
{
    events << QStringLiteral("progress:%1").arg(value);
    progress << value;
    bar = isAbsolute(value) ? value : (bar + value) % 101;
    if (bar < 100)
        highestBarBelowFull = qMax(highestBarBelowFull, bar);
}

QStringList WorkerEvents::logsAfter(const QString& line) const
{
    const int index = logs.indexOf(line);
    return index < 0 ? QStringList() : logs.mid(index + 1);
}

QStringList WorkerEvents::eventsFrom(const QString& event) const
{
    for (int i = 0; i < events.size(); ++i) {
        if (events.at(i).startsWith(event))
            return events.mid(i);
    }
    return {};
}

UpgradeRun::UpgradeRun(const QList<Device_t>& devices, const QList<bool>& selected, const QString& firmwarePath,
                       const QString& manualIp)
    : worker(nullptr, firmwarePath, devices.size(), selected, devices, manualIp), events(worker)
{}

bool UpgradeRun::runToEnd(int timeoutMs)
{
    // An event loop rather than QTest::qWait, which sleeps between rounds and would slow every exchange
    // with the scripted instruments down.
    QEventLoop loop;
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    worker.start();
    loop.exec();
    QCoreApplication::processEvents();
    return events.finished;
}

namespace upgradetest {

Device_t device(const QString& code, const QString& ip)
{
    Device_t record;
    record.code = code;
    record.ip = ip;
    record.mac = QStringLiteral("00:1A:2B:3C:4D:5E");
    return record;
}

FirmwarePacing shortPacing()
{
    FirmwarePacing pacing;
    pacing.connectWaitMs = 300;
    pacing.commandWaitMs = 100;
    pacing.commandTotalMs = 400;
    pacing.chunkWrittenWaitMs = 20;
    pacing.installWaitMs = 50;
    pacing.beamlineConnectAttempts = 3;
    pacing.beamlineConnectPauseMs = 5;
    pacing.sectorErasePauseMs = 1;
    pacing.linePauseMs = 0;
    pacing.answerWaitMs = 100;
    pacing.answerTries = 3;
    // The motor-driver chain, so that a run that reaches it ends soon too.
    pacing.restartSteps = 1;
    pacing.restartStepMs = 10;
    pacing.restartEventsMs = 10;
    pacing.pinConnectWaitMs = 100;
    pacing.pinConnectAttempts = 1;
    pacing.pinCommandPauseMs = 1;
    pacing.writtenWaitMs = 200;
    pacing.pinReplyWaitMs = 100;
    pacing.tunnelConnectAttempts = 1;
    pacing.autobaudPauseMs = 1;
    pacing.autobaudEchoWaitMs = 100;
    pacing.echoDrainSilenceMs = 50;
    pacing.menuConnectWaitMs = 100;
    pacing.menuSendPauseMs = 1;
    pacing.menuSilenceMs = 50;
    pacing.menuPromptAttempts = 1;
    pacing.saveExitPauseMs = 1;
    pacing.tunnelConnectWaitMs = 100;
    pacing.afterConnectPauseMs = 1;
    pacing.firstReplyWaitMs = 100;
    pacing.replyTenthMs = 10;
    pacing.blockPauseMs = 1;
    return pacing;
}

bool enterTestNetwork()
{
    if (!enterPrivateNetwork())
        return false;
    // Sent out through loopback to an address that is not local, a connection request is never answered.
    const int status =
        QProcess::execute(QStringLiteral("ip"), {QStringLiteral("route"), QStringLiteral("add"),
                                                 QLatin1String(unansweredAddress) + QStringLiteral("/32"),
                                                 QStringLiteral("dev"), QStringLiteral("lo")});
    if (status != 0) {
        std::fprintf(stderr, "cannot route %s through loopback\n", unansweredAddress);
        return false;
    }
    return true;
}

bool limitSendBuffers()
{
    QFile sendBuffers(QStringLiteral("/proc/sys/net/ipv4/tcp_wmem"));
    return sendBuffers.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
           sendBuffers.write("4096 16384 65536\n") > 0;
}

} // namespace upgradetest
