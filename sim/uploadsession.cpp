// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "uploadsession.h"

#include "firmwareservices.h"
#include "periodicsender.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {
constexpr int kReadSize = 256 * 1024;
constexpr int kFullPercent = 100;
const QByteArray kProgress = QByteArrayLiteral("$:");
const QByteArray kSuccess = QByteArrayLiteral("#ACK\r\n");
const QByteArray kRefusal = QByteArrayLiteral("#NAK:");
const QByteArray kLineEnd = QByteArrayLiteral("\r\n");
const QByteArray kEmptyImage = QByteArrayLiteral("empty image");
// Neither an acceptance nor a refusal: the line a unit sends when it lost its verdict.
const QByteArray kBareHash = QByteArrayLiteral("#\r\n");
constexpr int kChatterPeriodMs = 100;
// A flooding report: lines of text as fast as the peer reads them.
const QByteArray kFloodLine = QByteArrayLiteral("installing: block checked, all well so far\n");
constexpr int kFloodLinesPerPiece = 256;
constexpr int kFloodPeriodMs = 1;
constexpr int kChatterTopPercent = 99;
const QString kEndQuiet = QStringLiteral("quiet");
const QString kEndLength = QStringLiteral("length");
const QString kEndDropped = QStringLiteral("dropped");
const QString kEndClosed = QStringLiteral("closed");
} // namespace

UploadSession::UploadSession(QTcpSocket* socket, FirmwareServices* unit)
    : QObject(unit), m_socket(socket), m_unit(unit), m_buffer(kReadSize, Qt::Uninitialized), m_quiet(new QTimer(this)),
      m_report(new QTimer(this))
{
    m_socket->setParent(this);
    m_peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
    m_unit->log().connected(FirmwareServices::kUploadPort, m_peer);
    m_unit->log().upgradeBegins(m_peer);
    m_quiet->setSingleShot(true);
    m_quiet->setInterval(m_unit->config().upload.quietMs);
    connect(m_quiet, &QTimer::timeout, this, [this] { complete(kEndQuiet); });
    connect(m_report, &QTimer::timeout, this, &UploadSession::reportStep);
    connect(m_socket, &QTcpSocket::readyRead, this, &UploadSession::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &UploadSession::onDisconnected);
    connect(m_unit, &FirmwareServices::rebooting, m_socket, [this] { m_socket->abort(); });
    // The supply has no idea when the image ends unless told its length: it waits for a quiet line.
    if (m_unit->config().upload.length == 0)
        m_quiet->start();
}

void UploadSession::onReadyRead()
{
    for (;;) {
        const qint64 size = m_socket->read(m_buffer.data(), m_buffer.size());
        if (size <= 0)
            break;
        m_unit->log().receivedUpload(FirmwareServices::kUploadPort, m_peer, m_buffer.constData(), size);
        if (m_state == State::Receiving)
            take(m_buffer.constData(), size);
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            break;
    }
}

void UploadSession::take(const char* data, qint64 size)
{
    const qint64 used = std::min(size, bytesWanted());
    m_bytes += used;
    if (m_unit->config().upload.digest)
        m_digest.add(data, used);
    if (!m_marker.isDone())
        m_marker.feed(data, used);
    const UploadConfig& upload = m_unit->config().upload;
    if (upload.mode == UploadMode::Drop && m_bytes == upload.dropAfter)
        complete(kEndDropped);
    else if (upload.length > 0 && m_bytes == upload.length)
        complete(kEndLength);
    else if (upload.length == 0)
        m_quiet->start();
}

qint64 UploadSession::bytesWanted() const
{
    const UploadConfig& upload = m_unit->config().upload;
    qint64 wanted = std::numeric_limits<qint64>::max();
    if (upload.mode == UploadMode::Drop)
        wanted = upload.dropAfter - m_bytes;
    if (upload.length > 0)
        wanted = std::min(wanted, upload.length - m_bytes);
    return wanted;
}

void UploadSession::complete(const QString& end)
{
    if (m_state != State::Receiving)
        return;
    m_state = State::Installing;
    m_quiet->stop();
    const bool hashed = m_unit->config().upload.digest;
    m_unit->log().upload(m_bytes, hashed ? m_digest.result() : QByteArray(), end, m_marker.version());
    if (end == kEndDropped) {
        m_state = State::Done;
        m_socket->abort();
        return;
    }
    if (end != kEndClosed)
        install();
}

void UploadSession::install()
{
    const UploadConfig& upload = m_unit->config().upload;
    if (upload.mode == UploadMode::Silent) {
        m_state = State::Done;
        return;
    }
    if (m_bytes == 0 && upload.mode == UploadMode::Normal) {
        finish(kRefusal + kEmptyImage + kLineEnd);
        return;
    }
    if (upload.mode == UploadMode::Chatter) {
        chatter();
        return;
    }
    if (upload.mode == UploadMode::Flood) {
        flood();
        return;
    }
    m_step = 0;
    m_report->start(upload.reportSteps > 0 ? upload.reportMs / upload.reportSteps : upload.reportMs);
}

void UploadSession::reportStep()
{
    const UploadConfig& upload = m_unit->config().upload;
    ++m_step;
    if (m_step <= upload.reportSteps) {
        m_socket->write(kProgress + QByteArray::number(kFullPercent * m_step / upload.reportSteps) + '\n');
        return;
    }
    m_report->stop();
    if (upload.mode == UploadMode::Nak) {
        finish(kRefusal + upload.nakReason.toLatin1() + kLineEnd);
        return;
    }
    // Without a verdict the image is not taken; the connection stays open and silent.
    if (upload.mode == UploadMode::Hash) {
        finish(kBareHash);
        return;
    }
    m_unit->installAtReboot(m_marker.version());
    finish(kSuccess);
}

// A report that climbs to 99 % and stays there, one line every period, for as long as the peer listens.
void UploadSession::chatter()
{
    auto* sender = new PeriodicSender(
        m_socket, kChatterPeriodMs,
        [percent = 0]() mutable {
            percent = std::min(percent + 1, kChatterTopPercent);
            return kProgress + QByteArray::number(percent) + '\n';
        },
        this);
    sender->start(true);
}

// floodBytes of report text, then the verdict: the image is taken as in mode normal.
void UploadSession::flood()
{
    const QByteArray piece = kFloodLine.repeated(kFloodLinesPerPiece);
    auto* sender = new PeriodicSender(
        m_socket, kFloodPeriodMs,
        [this, piece, left = m_unit->config().upload.floodBytes]() mutable {
            if (left <= 0)
                return QByteArray();
            const QByteArray next = piece.left(int(std::min<qint64>(left, piece.size())));
            left -= next.size();
            if (left <= 0) {
                m_unit->installAtReboot(m_marker.version());
                return next + kSuccess;
            }
            return next;
        },
        this);
    sender->start(true);
}

void UploadSession::finish(const QByteArray& answer)
{
    m_state = State::Done;
    m_socket->write(answer);
}

void UploadSession::onDisconnected()
{
    complete(kEndClosed);
    m_state = State::Done;
    m_report->stop();
    m_unit->log().upgradeEnds(m_peer);
    deleteLater();
}
