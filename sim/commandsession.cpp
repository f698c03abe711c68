// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandsession.h"

#include "firmwareservices.h"
#include "floodsender.h"
#include "periodicsender.h"
#include "srecordline.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

namespace {
const QByteArray kIdentify = QByteArrayLiteral("VER");
const QByteArray kStatus = QByteArrayLiteral("MST");
const QByteArray kDcLink = QByteArrayLiteral("MRP");
const QByteArray kDcLinkLimit = QByteArrayLiteral("MRG:83");
const QByteArray kReboot = QByteArrayLiteral("MREBOOT");
const QByteArray kErase = QByteArrayLiteral("EPCSER:");
const QByteArray kStartWriting = QByteArrayLiteral("EPCSWR");
const QByteArray kEndProgramming = QByteArrayLiteral("E");
const QByteArray kAccepted = QByteArrayLiteral("#AK");
const QByteArray kRefusal = QByteArrayLiteral("#NAK:");
const QByteArray kUnreadable = QByteArrayLiteral("ERR");
const QByteArray kLineEnd = QByteArrayLiteral("\r\n");
const QByteArray kBusy = QByteArrayLiteral("#INFO:busy\r\n");
const QByteArray kGarbledStatus = QByteArrayLiteral("#MST:ZZ?Q");
// A line that never ends: pieces without CR or LF.
const QByteArray kEndlessPiece = QByteArrayLiteral("#INFO:busy busy busy busy busy busy ");
const QByteArray kDripByte = QByteArrayLiteral(".");
constexpr int kChatterPeriodMs = 100;
constexpr int kEndlessPeriodMs = 20;
constexpr int kDripPeriodMs = 1000;
constexpr quint16 kOutputOnBit = 0x0001;
// Bound against a peer that sends without line ends.
constexpr int kMaxPendingLine = 64 * 1024;

int lineEnd(const QByteArray& bytes)
{
    for (int i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) == '\r' || bytes.at(i) == '\n')
            return i;
    }
    return -1;
}

QByteArray numberText(double value)
{
    return QByteArray::number(value, 'g', 10);
}
} // namespace

CommandSession::CommandSession(QTcpSocket* socket, FirmwareServices* unit)
    : QObject(unit), m_socket(socket), m_unit(unit)
{
    m_socket->setParent(this);
    m_peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
    m_unit->log().connected(FirmwareServices::kCommandPort, m_peer);
    connect(m_socket, &QTcpSocket::readyRead, this, &CommandSession::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    connect(m_unit, &FirmwareServices::rebooting, m_socket, [this] { m_socket->disconnectFromHost(); });
    // A chattering unit is never silent, not even before the first command.
    if (m_unit->config().answers == AnswerStyle::Chatter && m_unit->config().hostileAfter == 0)
        startTalking();
}

void CommandSession::onReadyRead()
{
    const QByteArray chunk = m_socket->readAll();
    if (chunk.isEmpty())
        return;
    m_unit->log().received(FirmwareServices::kCommandPort, m_peer, chunk);
    m_pending += chunk;
    if (m_pending.size() > kMaxPendingLine)
        m_pending = m_pending.right(kMaxPendingLine);
    handlePending();
}

void CommandSession::handlePending()
{
    // Commands end with CR LF, flash commands with CR alone: either byte closes a line.
    while (!m_busy && !m_silent && m_socket->state() == QAbstractSocket::ConnectedState) {
        const int end = lineEnd(m_pending);
        if (end < 0)
            return;
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (!line.isEmpty())
            handleLine(line);
    }
}

void CommandSession::handleLine(const QByteArray& line)
{
    ++m_commands;
    if (isHostile())
        answerHostile();
    else
        handleNormally(line);
}

void CommandSession::handleNormally(const QByteArray& line)
{
    if (handleFlash(line) || handleCommand(line))
        return;
    refuse(line, QByteArrayLiteral("unknown command"), false);
}

bool CommandSession::isHostile() const
{
    const FirmwareConfig& config = m_unit->config();
    return config.answers != AnswerStyle::Normal && m_commands > config.hostileAfter;
}

// The command is taken and does nothing: no erase, no write, no reboot, and nothing that confirms it.
void CommandSession::answerHostile()
{
    switch (m_unit->config().answers) {
    case AnswerStyle::Chatter:
        m_socket->write(kBusy);
        startTalking();
        return;
    case AnswerStyle::Random:
        m_socket->write(m_unit->noise().answer());
        return;
    case AnswerStyle::Endless:
    case AnswerStyle::Drip:
        startTalking();
        return;
    case AnswerStyle::Flood:
        if (!m_flood)
            m_flood = new FloodSender(m_socket, m_unit->config().floodBytes, this);
        m_flood->start();
        return;
    case AnswerStyle::Normal:
        return;
    }
}

void CommandSession::startTalking()
{
    if (!m_talker) {
        switch (m_unit->config().answers) {
        case AnswerStyle::Endless:
            m_talker = new PeriodicSender(m_socket, kEndlessPeriodMs, kEndlessPiece, this);
            break;
        case AnswerStyle::Drip:
            m_talker = new PeriodicSender(m_socket, kDripPeriodMs, kDripByte, this);
            break;
        default:
            m_talker = new PeriodicSender(m_socket, kChatterPeriodMs, kBusy, this);
            break;
        }
    }
    // A chatter line has just answered the command; the stream and the drip begin with it.
    m_talker->start(m_unit->config().answers != AnswerStyle::Chatter);
}

bool CommandSession::handleCommand(const QByteArray& command)
{
    if (command == kIdentify)
        identify();
    else if (command == kStatus)
        status();
    else if (command == kDcLink)
        dcLink();
    else if (command == kDcLinkLimit)
        dcLinkLimit();
    else if (command == kReboot)
        reboot();
    else
        return false;
    return true;
}

bool CommandSession::handleFlash(const QByteArray& command)
{
    if (command.startsWith(kErase))
        erase(command.mid(kErase.size()));
    else if (command == kStartWriting)
        startWriting();
    else if (command == kEndProgramming)
        endProgramming();
    else if (command.startsWith('S'))
        writeLine(command);
    else
        return false;
    return true;
}

void CommandSession::identify()
{
    if (!m_unit->config().identifies) {
        refuse(kIdentify, QByteArrayLiteral("not ready"), false);
        return;
    }
    answer("#VER:" + m_unit->config().model.toLatin1() + ':' + m_unit->version().toLatin1());
}

void CommandSession::status()
{
    const FirmwareConfig& config = m_unit->config();
    if (config.statusAnswer == StatusStyle::Silent)
        return;
    if (config.statusAnswer == StatusStyle::Garbage) {
        answer(kGarbledStatus);
        return;
    }
    const quint16 value = (config.status & ~kOutputOnBit) | (config.outputOn ? kOutputOnBit : 0);
    answer("#MST:" + QByteArray::number(value, 16).toUpper().rightJustified(4, '0'));
}

void CommandSession::dcLink()
{
    const FirmwareConfig& config = m_unit->config();
    // Field 1 is the DC-link voltage; the output current follows it.
    answer("#MRP:" + (config.readable ? numberText(config.dcLink) + ":0.00" : kUnreadable));
}

void CommandSession::dcLinkLimit()
{
    const FirmwareConfig& config = m_unit->config();
    answer("#MRG:83:" + (config.readable ? numberText(config.dcLinkLimit) : kUnreadable));
}

void CommandSession::reboot()
{
    switch (m_unit->config().reboot) {
    case RebootMode::Refuse:
        refuse(kReboot, QByteArrayLiteral("reboot refused"), false);
        return;
    case RebootMode::Ack:
        answer(kAccepted);
        break;
    case RebootMode::Silent:
        break;
    }
    m_unit->reboot();
}

void CommandSession::erase(const QByteArray& sector)
{
    bool ok = false;
    const int number = sector.toInt(&ok);
    if (!ok || !m_unit->flash().erase(number)) {
        refuse(kErase + sector, QByteArrayLiteral("bad sector"), true);
        return;
    }
    m_unit->log().erase(number);
    m_busy = true;
    QTimer::singleShot(m_unit->config().flash.eraseMs, this, [this] {
        m_busy = false;
        answerFlash(kAccepted);
        handlePending();
    });
}

void CommandSession::startWriting()
{
    m_writing = true;
    m_lines = 0;
    m_refusedLines = 0;
    m_marker = VersionMarker();
    m_unit->flash().startRun();
    answerFlash(kAccepted);
}

void CommandSession::writeLine(const QByteArray& line)
{
    if (!m_writing) {
        refuse(line, QByteArrayLiteral("not in write mode"), true);
        return;
    }
    ++m_lines;
    // A unit that hangs at this line answers nothing more on this connection.
    if (m_lines == m_unit->config().flash.silentAtLine) {
        m_silent = true;
        return;
    }
    // A unit whose flash fails at this line: a good record refused, nothing of it written.
    if (m_lines == m_unit->config().flash.refuseLine) {
        ++m_refusedLines;
        refuse(line, QByteArrayLiteral("write failed"), true);
        return;
    }
    const SRecordLine record = SRecordLine::parse(line);
    QByteArray problem;
    if (record.problem() == SRecordLine::Problem::Checksum)
        problem = QByteArrayLiteral("checksum");
    else if (!record.isValid())
        problem = QByteArrayLiteral("format");
    else if (record.isData() && !m_unit->flash().write(record.address(), record.data()))
        problem = QByteArrayLiteral("not erased");
    if (!problem.isEmpty()) {
        ++m_refusedLines;
        refuse(line, problem, true);
        return;
    }
    if (record.isData() || record.isHeader())
        m_marker.feed(record.data());
    answerFlash(kAccepted);
}

void CommandSession::endProgramming()
{
    answerFlash(kAccepted);
    if (m_writing) {
        m_unit->log().flash(m_lines, m_refusedLines, m_unit->flash().writtenRegions());
        // A run with refused lines leaves a broken image: the unit keeps reporting its old version.
        if (m_refusedLines == 0)
            m_unit->installAtReboot(m_marker.version());
        m_writing = false;
    }
    m_unit->reboot();
}

void CommandSession::answer(const QByteArray& text)
{
    m_socket->write(text + kLineEnd);
}

void CommandSession::answerFlash(const QByteArray& text)
{
    m_socket->write(text + m_unit->config().flash.answerEnd);
}

void CommandSession::refuse(const QByteArray& command, const QByteArray& reason, bool flash)
{
    m_unit->log().refused(command, QString::fromLatin1(reason));
    if (flash)
        answerFlash(kRefusal + reason);
    else
        answer(kRefusal + reason);
}
