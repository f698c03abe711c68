// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp.h"

#include "dspbootloader.h"
#include "eventlog.h"
#include "versionmarker.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QTimer>

namespace {
const QByteArray kVersionCommand = QByteArrayLiteral("MVER");
const QByteArray kSerialCommand = QByteArrayLiteral("MRG:22");
const QByteArray kRefusal = QByteArrayLiteral("NAK");
const QByteArray kCrLf = QByteArrayLiteral("\r\n");
const QByteArray kLf = QByteArrayLiteral("\n");
// The boot ROM gives up on a stream that pauses this long; a complete one is run after the same silence.
constexpr int kLoaderQuietMs = 500;
const QByteArray kImageVersionMarker = QByteArrayLiteral("KVXVER=");
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

bool isAutobaudCharacter(char c)
{
    return c == 'a' || c == 'A';
}

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}
} // namespace

Dsp::Dsp(Role role, const UnitConfig& config, EventLog* log, QObject* parent)
    : QObject(parent), m_role(role), m_config(config), m_log(log), m_loaderQuiet(new QTimer(this)),
      m_noise(config.name + QLatin1Char('/') + name())
{
    m_bootloader = new DspBootloader(config.name, name(), &m_flash, config.module, log, this);
    connect(m_bootloader, &DspBootloader::transmit, this, &Dsp::transmit);
    m_loaderQuiet->setSingleShot(true);
    connect(m_loaderQuiet, &QTimer::timeout, this, &Dsp::onLoaderQuiet);
}

QString Dsp::name() const
{
    return m_role == Role::Communication ? QStringLiteral("communication") : QStringLiteral("control");
}

void Dsp::holdInReset()
{
    m_loaderQuiet->stop();
    m_bootloader->reset();
    m_pendingLine.clear();
    if (m_state != State::Held)
        enter(State::Held);
}

void Dsp::start(bool fromBootRom)
{
    holdInReset();
    if (fromBootRom) {
        enter(State::AwaitingAutobaud);
        return;
    }
    enter(State::Application, {{QStringLiteral("mver"), QString::fromLatin1(applicationMver())}});
    noteFlash();
}

bool Dsp::bootedFromRom() const
{
    return m_state == State::AwaitingAutobaud || m_state == State::Loading || m_state == State::Bootloader ||
           m_state == State::Failed;
}

void Dsp::receive(const QByteArray& bytes, int baud)
{
    if (bytes.isEmpty() || m_state == State::Held || m_state == State::Failed)
        return;
    if (baud != expectedBaud()) {
        note(QStringLiteral("garbled"), {{QStringLiteral("baud"), baud},
                                         {QStringLiteral("expected"), expectedBaud()},
                                         {QStringLiteral("bytes"), bytes.size()}});
        return;
    }
    switch (m_state) {
    case State::AwaitingAutobaud:
        takeAutobaud(bytes);
        return;
    case State::Loading:
        takeLoader(bytes);
        return;
    case State::Bootloader:
        m_bootloader->receive(bytes);
        return;
    case State::Application:
        takeCommands(bytes);
        return;
    case State::Held:
    case State::Failed:
        return;
    }
}

int Dsp::expectedBaud() const
{
    return m_state == State::Application ? m_config.module.normalBaud : m_config.module.programmingBaud;
}

void Dsp::takeAutobaud(const QByteArray& bytes)
{
    const char first = bytes.at(0);
    if (m_config.module.noAutobaudEcho || !isAutobaudCharacter(first)) {
        note(QStringLiteral("autobaud"),
             {{QStringLiteral("ok"), false}, {QStringLiteral("byte"), QString::fromLatin1(bytes.left(1).toHex())}});
        return;
    }
    emit transmit(bytes.left(1));
    note(QStringLiteral("autobaud"),
         {{QStringLiteral("ok"), true}, {QStringLiteral("baud"), m_config.module.programmingBaud}});
    emit autobaudEchoed();
    m_loader.clear();
    enter(State::Loading);
    if (bytes.size() > 1)
        takeLoader(bytes.mid(1));
}

void Dsp::takeLoader(const QByteArray& bytes)
{
    if (loaderFaulted(bytes))
        return;
    emit transmit(bytes);
    if (m_loader.feed(bytes) == BootStreamReader::Status::Bad)
        refuseLoader(m_loader.problem());
    else
        m_loaderQuiet->start(kLoaderQuietMs);
}

// A faulty boot ROM takes the stream without running any of it.
bool Dsp::loaderFaulted(const QByteArray& bytes)
{
    const XportModuleConfig& module = m_config.module;
    if (module.loaderReset)
        emit serialLineLost();
    else if (module.loaderRandom)
        emit transmit(m_noise.unlike(bytes));
    return module.loaderReset || module.loaderRandom || module.loaderSilent;
}

void Dsp::onLoaderQuiet()
{
    if (m_loader.status() != BootStreamReader::Status::Complete) {
        refuseLoader(m_loader.problem());
        return;
    }
    QJsonArray blocks;
    for (const BootStreamReader::Block& block : m_loader.blocks())
        blocks.append(QJsonObject{{QStringLiteral("destination"), qint64(block.destination)},
                                  {QStringLiteral("words"), block.words}});
    note(QStringLiteral("loader"), {{QStringLiteral("ok"), true},
                                    {QStringLiteral("bytes"), m_loader.size()},
                                    {QStringLiteral("entry"), qint64(m_loader.entryPoint())},
                                    {QStringLiteral("blocks"), blocks}});
    enter(State::Bootloader);
}

void Dsp::refuseLoader(const QString& problem)
{
    m_loaderQuiet->stop();
    note(QStringLiteral("loader"), {{QStringLiteral("ok"), false},
                                    {QStringLiteral("bytes"), m_loader.size()},
                                    {QStringLiteral("problem"), problem}});
    m_log->problem(m_config.name, QStringLiteral("%1 DSP refused the loader stream: %2").arg(name(), problem));
    enter(State::Failed);
}

void Dsp::takeCommands(const QByteArray& bytes)
{
    const QByteArray mver = applicationMver();
    // An erased flash without a new image holds no program: nothing answers.
    if (mver.isEmpty())
        return;
    m_pendingLine += bytes;
    if (m_pendingLine.size() > kMaxPendingLine)
        m_pendingLine = m_pendingLine.right(kMaxPendingLine);
    // Commands end with CR LF, flash commands with CR alone: either byte closes a line.
    const QByteArray ending = m_config.tcp == TcpMode::NoCr ? kLf : kCrLf;
    for (int end = lineEnd(m_pendingLine); end >= 0; end = lineEnd(m_pendingLine)) {
        const QByteArray line = m_pendingLine.left(end);
        m_pendingLine.remove(0, end + 1);
        if (!line.isEmpty())
            emit transmit(answerTo(line) + ending);
    }
}

QByteArray Dsp::answerTo(const QByteArray& command) const
{
    if (command == kVersionCommand)
        return applicationMver();
    if (command == kSerialCommand)
        return m_config.serial;
    return kRefusal;
}

QByteArray Dsp::applicationMver() const
{
    if (m_flash.holdsFactoryImage())
        return m_config.mver;
    const QByteArray version = versionIn(m_flash.programmedRanges());
    if (version.isEmpty())
        return {};
    return m_config.mver.left(m_config.mver.lastIndexOf(':') + 1) + version;
}

QByteArray Dsp::versionIn(const QList<DspFlash::Range>& ranges)
{
    VersionMarker marker(kImageVersionMarker);
    for (const DspFlash::Range& range : ranges)
        marker.feed(range.bytes);
    return marker.version().toLatin1();
}

void Dsp::enter(State state, QJsonObject fields)
{
    static const QHash<int, QString> names = {
        {int(State::Held), QStringLiteral("reset")},      {int(State::AwaitingAutobaud), QStringLiteral("bootRom")},
        {int(State::Loading), QStringLiteral("loading")}, {int(State::Bootloader), QStringLiteral("bootloader")},
        {int(State::Failed), QStringLiteral("failed")},   {int(State::Application), QStringLiteral("application")}};
    m_state = state;
    fields.insert(QStringLiteral("state"), names.value(int(state)));
    note(QStringLiteral("dsp"), fields);
}

void Dsp::note(const QString& event, QJsonObject fields)
{
    fields.insert(QStringLiteral("event"), event);
    fields.insert(QStringLiteral("unit"), m_config.name);
    fields.insert(QStringLiteral("dsp"), name());
    m_log->event(fields);
}

// What a test compares with an image's data: the written runs and their digests.
void Dsp::noteFlash()
{
    const QList<DspFlash::Range> ranges = m_flash.programmedRanges();
    QJsonArray list;
    QByteArray all;
    for (const DspFlash::Range& range : ranges) {
        list.append(QJsonObject{{QStringLiteral("start"), qint64(range.start)},
                                {QStringLiteral("words"), range.words()},
                                {QStringLiteral("sha256"), sha256(range.bytes)}});
        all += range.bytes;
    }
    note(QStringLiteral("flash"), {{QStringLiteral("factory"), m_flash.holdsFactoryImage()},
                                   {QStringLiteral("ranges"), list},
                                   {QStringLiteral("sha256"), sha256(all)},
                                   {QStringLiteral("version"), QString::fromLatin1(versionIn(ranges))}});
}
