// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "setupmenusession.h"

#include "eventlog.h"
#include "labconfig.h"
#include "periodicsender.h"
#include "xportmodule.h"
#include "xportmoduleconfig.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

namespace {
const QByteArray kCrLf = QByteArrayLiteral("\r\n");
const QByteArray kPrompt = QByteArrayLiteral("Your choice ? ");
const QByteArray kChannelChoice = QByteArrayLiteral("1");
const QByteArray kExitChoice = QByteArrayLiteral("8");
const QByteArray kSaveChoice = QByteArrayLiteral("9");

struct Question
{
    const char* label;
    const char* shown;
};
// The questions of entry 1 after the speed; their answers are taken and not kept.
constexpr Question kChannelQuestions[] = {
    {"I/F Mode", "4C"}, {"Flow", "00"}, {"Port No", "10001"}, {"ConnectMode", "C0"}, {"DisConnMode", "00"}};
constexpr int kQuestionCount = 1 + int(std::size(kChannelQuestions));
const QString kBaudrate = QStringLiteral("Baudrate");
// Longer input lines are cut: no answer of the menu is that long.
constexpr int kMaxLine = 256;
const QByteArray kChatterLine = QByteArrayLiteral("Waiting for the serial channel ...\r\n");
constexpr int kChatterPeriodMs = 100;
const QByteArray kEndlessPiece = QByteArrayLiteral("*** XPort busy *** XPort busy *** ");
constexpr int kEndlessPeriodMs = 20;
// A menu that floods: bytes without line end as fast as the peer reads them.
constexpr int kFloodPieceBytes = 16 * 1024;
constexpr int kFloodPeriodMs = 1;

QByteArray ipText(quint32 ip)
{
    return LabConfig::ipText(ip).toLatin1();
}
} // namespace

SetupMenuSession::SetupMenuSession(QTcpSocket* socket, XportModule* module, QObject* parent)
    : QObject(parent), m_socket(socket), m_module(module), m_baud(module->baud()), m_bannerWindow(new QTimer(this))
{
    m_socket->setParent(this);
    m_peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
    m_module->log()->tcpConnect(m_module->config().name, m_peer, XportModule::kSetupPort);
    connect(m_socket, &QTcpSocket::readyRead, this, &SetupMenuSession::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    // A menu that never speaks also never closes: the peer has to give up.
    if (m_module->config().module.menuSilent)
        return;
    if (talksForEver()) {
        send(banner());
        talk();
        return;
    }
    m_bannerWindow->setSingleShot(true);
    connect(m_bannerWindow, &QTimer::timeout, this, &SetupMenuSession::onBannerWindowOver);
    m_bannerWindow->start(m_module->config().module.bannerWindowMs);
    send(banner());
}

bool SetupMenuSession::talksForEver() const
{
    const XportModuleConfig& faults = m_module->config().module;
    return faults.menuChatter || faults.menuEndless || faults.menuFlood;
}

// A menu stuck after its banner: it neither closes nor ever asks for a choice.
void SetupMenuSession::talk()
{
    const XportModuleConfig& faults = m_module->config().module;
    if (faults.menuChatter)
        (new PeriodicSender(m_socket, kChatterPeriodMs, kChatterLine, this))->start(false);
    if (faults.menuEndless)
        (new PeriodicSender(m_socket, kEndlessPeriodMs, kEndlessPiece, this))->start(false);
    if (faults.menuFlood)
        (new PeriodicSender(m_socket, kFloodPeriodMs, QByteArray(kFloodPieceBytes, '*'), this))->start(false);
}

void SetupMenuSession::onReadyRead()
{
    const QByteArray chunk = m_socket->readAll();
    if (chunk.isEmpty())
        return;
    m_module->log()->tcpData(m_module->config().name, m_peer, chunk, XportModule::kSetupPort);
    if (m_module->config().module.menuSilent || talksForEver())
        return;
    // A line ends at CR or LF; the LF of a CR LF pair ends nothing more.
    for (const char c : chunk) {
        const bool swallowed = c == '\n' && m_afterCr;
        m_afterCr = c == '\r';
        if (swallowed)
            continue;
        if (c == '\r' || c == '\n')
            takeLine(std::exchange(m_pending, QByteArray()));
        else if (m_pending.size() < kMaxLine)
            m_pending += c;
    }
}

void SetupMenuSession::takeLine(const QByteArray& line)
{
    switch (m_stage) {
    case Stage::Banner:
        m_bannerWindow->stop();
        note({{QStringLiteral("entered"), true}});
        m_stage = Stage::Menu;
        send(settings() + menu());
        return;
    case Stage::Menu:
        choose(line.trimmed());
        return;
    case Stage::Channel:
        answer(line.trimmed());
        return;
    case Stage::Closed:
        return;
    }
}

void SetupMenuSession::onBannerWindowOver()
{
    if (m_stage == Stage::Banner)
        closeWith({}, QStringLiteral("timeout"));
}

void SetupMenuSession::choose(const QByteArray& choice)
{
    note({{QStringLiteral("choice"), QString::fromLatin1(choice)}});
    if (choice == kChannelChoice) {
        m_stage = Stage::Channel;
        m_question = 0;
        send(kCrLf);
        ask();
    } else if (choice == kExitChoice) {
        closeWith(QByteArrayLiteral("\r\nExiting without save !\r\n"), QStringLiteral("exit"));
    } else if (choice == kSaveChoice) {
        m_stage = Stage::Closed;
        send(QByteArrayLiteral("\r\nParameters stored ...\r\n"));
        note({{QStringLiteral("closed"), QStringLiteral("save")}});
        // Last: the restart drops this connection with all others.
        m_module->saveAndRestart(m_baud);
    } else {
        send(menu());
    }
}

void SetupMenuSession::answer(const QByteArray& text)
{
    if (m_question == 0) {
        bool number = false;
        const int baud = text.toInt(&number);
        const bool accepted = text.isEmpty() || (number && XportModuleConfig::isSerialSpeed(baud));
        note({{QStringLiteral("question"), kBaudrate},
              {QStringLiteral("answer"), QString::fromLatin1(text)},
              {QStringLiteral("accepted"), accepted}});
        if (!accepted) {
            ask();
            return;
        }
        if (!text.isEmpty())
            m_baud = baud;
    }
    if (++m_question < kQuestionCount) {
        ask();
        return;
    }
    m_stage = Stage::Menu;
    send(settings() + menu());
}

void SetupMenuSession::ask()
{
    if (m_question == 0) {
        send(QByteArrayLiteral("Baudrate (") + QByteArray::number(m_baud) + QByteArrayLiteral(") ? "));
        return;
    }
    const Question& question = kChannelQuestions[m_question - 1];
    send(kCrLf + question.label + QByteArrayLiteral(" (") + question.shown + QByteArrayLiteral(") ? "));
}

QByteArray SetupMenuSession::banner() const
{
    const QByteArray mac = m_module->config().mac.toHex().toUpper();
    return QByteArrayLiteral("*** Lantronix XPort Device Server ***\r\nMAC address ") + mac +
           QByteArrayLiteral("\r\nSoftware version V6.10.0.0 (simulated)\r\n\r\nPress Enter for Setup Mode \r\n\r\n");
}

QByteArray SetupMenuSession::settings() const
{
    const UnitConfig& config = m_module->config();
    return QByteArrayLiteral("\r\n*** basic parameters\r\nHardware: Ethernet TPI\r\nIP addr ") +
           ipText(m_module->ip()) + QByteArrayLiteral(", gateway ") + ipText(config.gateway) +
           QByteArrayLiteral(", netmask ") + ipText(config.mask) +
           QByteArrayLiteral("\r\n\r\n*** Channel 1\r\nBaudrate ") + QByteArray::number(m_baud) +
           QByteArrayLiteral(", I/F Mode 4C, Flow 00\r\nPort 10001\r\nConnect Mode : C0\r\n");
}

QByteArray SetupMenuSession::menu() const
{
    const QByteArray prompt = m_module->config().module.menuNoPrompt ? QByteArray() : kPrompt;
    return QByteArrayLiteral("\r\nChange Setup:\r\n  0 Server\r\n  1 Channel 1\r\n  5 Expert\r\n  6 Security\r\n"
                             "  7 Defaults\r\n  8 Exit without save\r\n  9 Save and exit            ") +
           prompt;
}

void SetupMenuSession::send(const QByteArray& text)
{
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->write(text);
}

void SetupMenuSession::closeWith(const QByteArray& text, const QString& how)
{
    m_stage = Stage::Closed;
    send(text);
    m_socket->flush();
    m_socket->disconnectFromHost();
    note({{QStringLiteral("closed"), how}});
}

void SetupMenuSession::note(QJsonObject fields)
{
    fields.insert(QStringLiteral("event"), QStringLiteral("menu"));
    fields.insert(QStringLiteral("unit"), m_module->config().name);
    m_module->log()->event(fields);
}
