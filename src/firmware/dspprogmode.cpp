// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/dspprogmode.h"

#include "firmware/firmwarepacing.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

static void initFirmwareResource()
{
    // The bootloader lives in a static library: make sure it is linked in.
    Q_INIT_RESOURCE(firmware);
}

namespace {
constexpr char setDirections = 0x19;
constexpr char setActiveLevels = 0x1A;
constexpr char setCurrentStates = 0x1B;
constexpr quint32 bootPins = 0x07;
constexpr quint32 allOutputs = 0x07;
constexpr quint32 activeHigh = 0x00;
constexpr quint32 allInactive = 0x00;
// Value bits 2 1 0 per mode: every pin high runs both DSPs; one pin low holds that DSP in its boot ROM.
constexpr quint32 normalPattern = 0x07;
constexpr quint32 programCommunicationPattern = 0x05;
constexpr quint32 programControlPattern = 0x06;

constexpr int pinInstallStep = 3;
constexpr int drainProgressSteps = 5;
constexpr int echoDrainSeconds = 5;
constexpr char autobaudCharacter = 'a';
// An echo longer than what was sent is wrong whatever follows: this much more is enough to tell.
constexpr int echoSlackBytes = 64;

QByteArray littleEndian(quint32 value)
{
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(char((value >> shift) & 0xFF));
    return bytes;
}

QByteArray pinCommand(char code, quint32 mask, quint32 value)
{
    return code + littleEndian(mask) + littleEndian(value);
}

QByteArray pinReply(char code, quint32 result)
{
    return code + littleEndian(result);
}

void processPendingEvents()
{
    QCoreApplication::processEvents();
}
} // namespace

dspProgMode::dspProgMode(const FirmwarePacing& pacing, const UpgradePorts& ports, QObject* parent)
    : QObject(parent), m_pacing(pacing), m_ports(ports),
      m_commands{
          pinCommand(setDirections, bootPins, allOutputs),
          pinCommand(setActiveLevels, bootPins, activeHigh),
          pinCommand(setCurrentStates, bootPins, allInactive),
          QByteArray(9, '\0'),
      },
      m_responses{
          pinReply(setDirections, allOutputs),
          pinReply(setActiveLevels, activeHigh),
          pinReply(setCurrentStates, allInactive),
          QByteArray(5, '\0'),
      },
      m_descriptions{
          QStringLiteral("Set directions: Output"),
          QStringLiteral("Set active levels: Active High"),
          QStringLiteral("Set current states: Reset"),
          QString(),
      }
{}

dspProgMode::dspProgMode(QObject* parent) : dspProgMode(FirmwarePacing::current(), UpgradePorts(), parent) {}

void dspProgMode::step()
{
    emit signalIncreaseProgressBar();
    processPendingEvents();
}

void dspProgMode::setProgMode(int mode, QString ip)
{
    m_ip = ip;
    switch (mode) {
    case normalMode:
        m_commands[pinInstallStep] = pinCommand(setCurrentStates, bootPins, normalPattern);
        m_responses[pinInstallStep] = pinReply(setCurrentStates, normalPattern);
        m_descriptions[pinInstallStep] = QStringLiteral("Set current states: NORMAL");
        break;
    case programCommunication:
        m_commands[pinInstallStep] = pinCommand(setCurrentStates, bootPins, programCommunicationPattern);
        m_responses[pinInstallStep] = pinReply(setCurrentStates, programCommunicationPattern);
        m_descriptions[pinInstallStep] = QStringLiteral("Set current states: Prog. Communication");
        break;
    case programControl:
        m_commands[pinInstallStep] = pinCommand(setCurrentStates, bootPins, programControlPattern);
        m_responses[pinInstallStep] = pinReply(setCurrentStates, programControlPattern);
        m_descriptions[pinInstallStep] = QStringLiteral("Set current states: Prog. Control");
        break;
    default:
        break;
    }
    sendCommands();
}

void dspProgMode::sendCommands()
{
    const FirmwarePacing& pacing = m_pacing;
    bool connected = false;
    for (int attempt = 0; attempt < pacing.pinConnectAttempts && !connected; ++attempt) {
        step();
        m_socket.abort();
        m_socket.connectToHost(m_ip, m_ports.pinControl);
        connected = m_socket.waitForConnected(pacing.pinConnectWaitMs);
    }
    if (!connected) {
        m_socket.abort();
        emit signalError(tr("ERROR: Connection to port 30704 failed!"));
        return;
    }
    for (int j = 0; j < pinSteps; ++j) {
        QThread::usleep(ulong(pacing.pinStepPauseUs));
        writeData(m_commands.at(j));
        // A wrong reply does not stop the sequence: the remaining pins are still set.
        checkResponse(m_responses.at(j));
        step();
    }
    m_socket.disconnectFromHost();
}

void dspProgMode::writeData(QByteArray command)
{
    const FirmwarePacing& pacing = m_pacing;
    QThread::msleep(ulong(pacing.pinCommandPauseMs));
    // A service that has hung up gets nothing; its missing reply is reported by the check.
    if (m_socket.state() != QAbstractSocket::ConnectedState)
        return;
    m_socket.write(command);
    m_socket.waitForBytesWritten(pacing.writtenWaitMs);
    m_socket.waitForReadyRead(pacing.pinReplyWaitMs);
}

bool dspProgMode::checkResponse(QByteArray expected)
{
    if (m_socket.readAll() == expected)
        return true;
    emit signalError(tr("ERROR: GPIO not configured correctly!"));
    return false;
}

void dspProgMode::loadBootloader()
{
    const FirmwarePacing& pacing = m_pacing;
    bool connected = false;
    for (int attempt = 0; attempt < pacing.tunnelConnectAttempts && !connected; ++attempt) {
        if (attempt > 0)
            step();
        m_socket.abort();
        m_socket.connectToHost(m_ip, m_ports.command);
        connected = m_socket.waitForConnected(pacing.pinConnectWaitMs);
    }
    if (!connected) {
        m_socket.abort();
        emit signalError(tr("ERROR: Connection Failed!!"));
        return;
    }
    emit signalIncreaseProgressBar();
    QThread::msleep(ulong(pacing.autobaudPauseMs));
    emit signalIncreaseProgressBar();

    // The boot ROM measures the speed on this character and echoes it once it has locked on.
    m_socket.write(QByteArray(1, autobaudCharacter));
    m_socket.flush();
    m_socket.waitForBytesWritten(pacing.writtenWaitMs);
    m_socket.waitForReadyRead(pacing.autobaudEchoWaitMs);
    if (m_socket.readAll() != QByteArray(1, autobaudCharacter)) {
        m_socket.disconnectFromHost();
        emit signalError(tr("ERROR: autobaud failed!"));
        return;
    }

    emit signalIncreaseProgressBar();
    initFirmwareResource();
    QFile bootloader(QString::fromLatin1(bootloaderResource));
    if (!bootloader.open(QIODevice::ReadOnly)) {
        m_socket.disconnectFromHost();
        emit signalError(tr("ERROR: Bootloader File not found!"));
        return;
    }
    const QByteArray stream = bootloader.readAll();
    emit signalIncreaseProgressBar();
    m_socket.write(stream);
    const QDeadlineTimer written(pacing.writtenWaitMs);
    while (m_socket.bytesToWrite() > 0 && m_socket.waitForBytesWritten(int(written.remainingTime()))) {
    }
    m_socket.waitForReadyRead(pacing.loaderEchoWaitMs);
    // The boot ROM echoes every byte it took: anything else means the loader is not running.
    const QByteArray echo = drain(echoDrainSeconds, stream.size() + echoSlackBytes);
    m_socket.disconnectFromHost();
    if (echo != stream)
        emit signalError(echoMismatch(stream, echo));
}

QString dspProgMode::echoMismatch(const QByteArray& sent, const QByteArray& echo)
{
    int same = 0;
    while (same < sent.size() && same < echo.size() && sent.at(same) == echo.at(same))
        ++same;
    if (echo.isEmpty())
        return tr("ERROR: The boot ROM did not echo the bootloader (%1 bytes sent, none came back).").arg(sent.size());
    return tr("ERROR: The boot ROM's echo of the bootloader differs from what was sent: %1 bytes sent, %2 came "
              "back, the first %3 of them as sent.")
        .arg(sent.size())
        .arg(echo.size())
        .arg(same);
}

void dspProgMode::readWithTimeout(int seconds)
{
    drain(seconds, 0);
}

// Reads until the line falls silent, keeping at most `keep` bytes; a line that never falls silent ends the
// drain at its overall bound, so a chattering tunnel cannot hold the run.
QByteArray dspProgMode::drain(int seconds, qint64 keep)
{
    QByteArray kept;
    const QDeadlineTimer deadline(m_pacing.echoDrainTotalMs);
    // The pacing holds the silence of the loader's five-second drain; other lengths scale with it.
    const int silenceMs = seconds * m_pacing.echoDrainSilenceMs / echoDrainSeconds;
    int steps = 0;
    for (;;) {
        if (steps < drainProgressSteps) {
            emit signalIncreaseProgressBar();
            ++steps;
        }
        processPendingEvents();
        // What an earlier wait already brought in is part of the echo too.
        if (m_socket.bytesAvailable() == 0 &&
            (deadline.hasExpired() ||
             !m_socket.waitForReadyRead(int(qMin<qint64>(silenceMs, deadline.remainingTime())))))
            break;
        const QByteArray data = m_socket.readAll();
        kept += data.left(int(qMax<qint64>(0, keep - kept.size())));
        // An echo longer than what was kept is wrong already: no need to wait for the line to fall silent.
        if (deadline.hasExpired() || (keep > 0 && kept.size() >= keep))
            break;
    }
    return kept;
}
