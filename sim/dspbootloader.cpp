// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dspbootloader.h"

#include "dspflash.h"
#include "eventlog.h"
#include "xportmoduleconfig.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QTimer>
#include <QtEndian>

namespace {
const QByteArray kAck = QByteArrayLiteral("ACK\n");
const QByteArray kNak = QByteArrayLiteral("NAK\n");
constexpr int kAddressLength = 4;
constexpr int kEraseLength = 1;

QString hexAddress(quint32 address)
{
    return QStringLiteral("%1").arg(address, 6, 16, QLatin1Char('0')).toUpper();
}
} // namespace

DspBootloader::DspBootloader(const QString& unit, const QString& dsp, DspFlash* flash, const XportModuleConfig& module,
                             EventLog* log, QObject* parent)
    : QObject(parent), m_unit(unit), m_dsp(dsp), m_flash(flash), m_module(module), m_log(log),
      m_eraseTimer(new QTimer(this))
{
    m_eraseTimer->setSingleShot(true);
    m_eraseTimer->setTimerType(Qt::PreciseTimer);
    connect(m_eraseTimer, &QTimer::timeout, this, &DspBootloader::finishErase);
}

void DspBootloader::reset()
{
    m_eraseTimer->stop();
    m_waiting.clear();
    m_reader.clear();
    m_hasAddress = false;
    m_block.clear();
}

void DspBootloader::receive(const QByteArray& bytes)
{
    m_waiting += m_reader.feed(bytes);
    handleWaiting();
}

// While an erase runs, the frames wait, as in the bootloader's receive buffer.
void DspBootloader::handleWaiting()
{
    while (!m_waiting.isEmpty() && !m_eraseTimer->isActive())
        handle(m_waiting.takeFirst());
}

void DspBootloader::handle(const BootloaderFrameReader::Frame& frame)
{
    switch (frame.kind) {
    case BootloaderFrameReader::Kind::Stray:
        m_log->problem(m_unit, QStringLiteral("%1 DSP bootloader: %2").arg(m_dsp, frame.problem));
        return;
    case BootloaderFrameReader::Kind::Unclosed:
        refuse(frame.problem);
        return;
    case BootloaderFrameReader::Kind::Command:
        break;
    }
    if (!hasValidLength(frame.command, frame.payload.size())) {
        refuse(QStringLiteral("command %1 with %2 payload bytes")
                   .arg(frame.command, 2, 16, QLatin1Char('0'))
                   .arg(frame.payload.size()));
        return;
    }
    switch (frame.command) {
    case Address:
        takeAddress(frame.payload);
        return;
    case Data:
        takeData(frame.payload);
        return;
    case Write:
        writeBlock();
        return;
    case Verify:
        verifyBlock();
        return;
    case Erase:
        startErase(quint8(frame.payload.at(0)));
        return;
    }
}

bool DspBootloader::hasValidLength(quint8 command, int length) const
{
    switch (command) {
    case Address:
        return length == kAddressLength;
    case Data:
        return length <= kMaxDataFrame;
    case Write:
    case Verify:
        return length == 0;
    case Erase:
        return length == kEraseLength;
    }
    return false;
}

void DspBootloader::takeAddress(const QByteArray& payload)
{
    m_address = qFromBigEndian<quint32>(payload.constData());
    m_hasAddress = true;
    m_block.clear();
}

void DspBootloader::takeData(const QByteArray& payload)
{
    if (!m_hasAddress) {
        refuse(QStringLiteral("data frame before any address frame"));
        return;
    }
    if (m_block.size() + payload.size() > kMaxBlockBytes) {
        refuse(QStringLiteral("block at %1 grows beyond %2 bytes").arg(hexAddress(m_address)).arg(kMaxBlockBytes));
        return;
    }
    m_block += payload;
}

void DspBootloader::writeBlock()
{
    if (!m_hasAddress || m_block.isEmpty()) {
        refuse(QStringLiteral("write frame without an address and data"));
        return;
    }
    quint32 unerased = 0;
    const DspFlash::WriteResult result = m_flash->write(m_address, m_block, &unerased);
    QJsonObject fields = blockFields();
    fields.insert(QStringLiteral("ok"), result == DspFlash::WriteResult::Written);
    note(QStringLiteral("write"), fields);
    if (result == DspFlash::WriteResult::OutsideFlash)
        refuse(
            QStringLiteral("write of %1 bytes at %2 outside the flash").arg(m_block.size()).arg(hexAddress(m_address)));
    else if (result == DspFlash::WriteResult::NotErased)
        refuse(QStringLiteral("write at %1 over flash not erased").arg(hexAddress(unerased)));
}

void DspBootloader::verifyBlock()
{
    const bool equal = m_hasAddress && !m_block.isEmpty() && m_flash->matches(m_address, m_block);
    const bool ok = equal && !m_module.verifyMismatch;
    QJsonObject fields = blockFields();
    fields.insert(QStringLiteral("ok"), ok);
    note(QStringLiteral("verify"), fields);
    emit transmit(ok ? kAck : kNak);
}

void DspBootloader::startErase(quint8 selection)
{
    m_eraseSelection = selection;
    m_eraseTimer->start(m_module.eraseDelayMs);
}

void DspBootloader::finishErase()
{
    QList<DspFlash::Span> erased;
    const bool ok = !m_module.eraseRefused && m_flash->erase(m_eraseSelection, &erased);
    QJsonArray spans;
    for (const DspFlash::Span& span : erased)
        spans.append(
            QJsonObject{{QStringLiteral("start"), qint64(span.start)}, {QStringLiteral("words"), qint64(span.words)}});
    note(
        QStringLiteral("erase"),
        {{QStringLiteral("sectors"), m_eraseSelection}, {QStringLiteral("ok"), ok}, {QStringLiteral("erased"), spans}});
    emit transmit(ok ? kAck : kNak);
    handleWaiting();
}

void DspBootloader::refuse(const QString& why)
{
    m_log->problem(m_unit, QStringLiteral("%1 DSP bootloader: %2").arg(m_dsp, why));
    emit transmit(kNak);
}

void DspBootloader::note(const QString& event, QJsonObject fields)
{
    fields.insert(QStringLiteral("event"), event);
    fields.insert(QStringLiteral("unit"), m_unit);
    fields.insert(QStringLiteral("dsp"), m_dsp);
    m_log->event(fields);
}

QJsonObject DspBootloader::blockFields() const
{
    return {{QStringLiteral("address"), qint64(m_address)},
            {QStringLiteral("bytes"), m_block.size()},
            {QStringLiteral("sha256"),
             QString::fromLatin1(QCryptographicHash::hash(m_block, QCryptographicHash::Sha256).toHex())}};
}
