// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/xportconfiguration.h"

#include "firmware/firmwarepacing.h"

#include <QDeadlineTimer>
#include <QThread>

namespace {
const QString enterKey = QStringLiteral("\r\n");
// Whatever text is given, the banner is answered by a press of Enter (the line-end flag is clear).
const QString bannerAnswer = QStringLiteral("\n\r");
} // namespace

xPortConfiguration::xPortConfiguration(const FirmwarePacing& pacing, const UpgradePorts& ports, QObject* parent)
    : QObject(parent), m_pacing(pacing), m_ports(ports)
{}

xPortConfiguration::xPortConfiguration(QObject* parent)
    : xPortConfiguration(FirmwarePacing::current(), UpgradePorts(), parent)
{}

void xPortConfiguration::connectAndConfigure(QString ip, int baudRate)
{
    m_baudRate = QString::number(baudRate);
    m_socket.connectToHost(ip, m_ports.setupMenu);
    if (!m_socket.waitForConnected(m_pacing.menuConnectWaitMs)) {
        m_socket.abort();
        emit signalError(tr("ERROR: Connection to port 9999 failed!"));
        return;
    }
    configureDevice();
}

void xPortConfiguration::configureDevice()
{
    m_sendFirst = false;
    awaitNextPrompt();
    sendAndSearch(bannerAnswer, QString::fromLatin1(bannerPrompt));
    if (m_failed)
        return;
    enterSetupMode();
    m_sendFirst = true;
    setParameter(QString::fromLatin1(serialMenuChoice), QString::fromLatin1(baudRateQuestion), m_baudRate);
    if (m_failed)
        return;
    saveAndExit();
}

void xPortConfiguration::enterSetupMode()
{
    sendAndSearch(QString(), QString::fromLatin1(menuPrompt));
}

void xPortConfiguration::setParameter(QString choice, QString question, QString value)
{
    m_lineEnd = true;
    m_found = false;
    awaitNextPrompt();
    sendAndSearch(choice, question);
    if (m_failed)
        return;
    m_lineEnd = true;
    m_found = false;
    awaitNextPrompt();
    sendAndSearch(value, QString::fromLatin1(menuPrompt));
}

void xPortConfiguration::saveAndExit()
{
    m_lineEnd = true;
    sendAndSearch(QString::fromLatin1(saveAndExitChoice), QString());
    // The module stores the settings and restarts; the caller waits for it to come back.
    QThread::msleep(ulong(m_pacing.saveExitPauseMs));
}

void xPortConfiguration::sendAndSearch(QString text, QString prompt)
{
    if (m_sendFirst) {
        sendData(text);
        recData();
        searchTermChar(prompt);
    } else {
        recData();
        searchTermChar(prompt);
        sendData(text);
    }
}

void xPortConfiguration::sendData(QString text)
{
    if (m_failed)
        return;
    if (!text.isEmpty() && m_socket.state() == QAbstractSocket::ConnectedState) {
        QByteArray bytes = enterKey.toLocal8Bit();
        if (m_lineEnd) {
            bytes = (text + enterKey).toLocal8Bit();
            m_lineEnd = false;
        }
        const FirmwarePacing& pacing = m_pacing;
        QThread::msleep(ulong(pacing.menuSendPauseMs));
        m_socket.write(bytes);
        m_socket.waitForBytesWritten(pacing.writtenWaitMs);
    }
    emit signalIncreaseProgressBar();
}

// The menu's text ends when the module falls silent; a module that never does, or floods, is cut off at
// the read's overall bound and size and the run ends there.
void xPortConfiguration::recData()
{
    m_receiveBuffer.clear();
    if (m_failed)
        return;
    const FirmwarePacing& pacing = m_pacing;
    const QDeadlineTimer deadline(pacing.menuReadTotalMs);
    for (;;) {
        const int wait = int(qMin<qint64>(pacing.menuSilenceMs, qMax<qint64>(0, deadline.remainingTime())));
        const bool arrived = m_socket.waitForReadyRead(wait);
        m_receiveBuffer.append(m_socket.read(qMax(0, pacing.menuReadMaxBytes - m_receiveBuffer.size())));
        // Only a whole silence ends the menu's text: a wait cut short by the bound says nothing about the
        // module, which may be between two pieces of a line that never ends.
        const bool fellSilent =
            !arrived && (wait >= pacing.menuSilenceMs || m_socket.state() != QAbstractSocket::ConnectedState);
        if (fellSilent)
            return;
        if (m_receiveBuffer.size() >= pacing.menuReadMaxBytes) {
            fail(tr("ERROR: The XPort setup menu sent %1 bytes without falling silent, the most one read takes: "
                    "there was no menu to answer.")
                     .arg(m_receiveBuffer.size()));
            return;
        }
        if (deadline.hasExpired())
            break;
    }
    fail(tr("ERROR: The XPort setup menu never fell silent within %1 ms: there was no menu to answer.")
             .arg(pacing.menuReadTotalMs));
}

void xPortConfiguration::searchTermChar(QString prompt)
{
    if (m_failed)
        return;
    if (prompt.isEmpty() || m_receiveBuffer.contains(prompt.toLatin1())) {
        m_found = true;
        return;
    }
    if (m_found)
        return;
    if (m_socket.state() != QAbstractSocket::ConnectedState) {
        fail(tr("ERROR: Connection to port 9999 lost!"));
        return;
    }
    if (--m_searchesLeft <= 0) {
        fail(tr("ERROR: XPort setup menu did not show \"%1\"!").arg(prompt));
        return;
    }
    sendAndSearch(enterKey, prompt);
}

void xPortConfiguration::awaitNextPrompt()
{
    m_searchesLeft = m_pacing.menuPromptAttempts;
}

void xPortConfiguration::fail(const QString& message)
{
    m_failed = true;
    m_socket.abort();
    emit signalError(message);
}
