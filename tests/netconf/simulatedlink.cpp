// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulatedlink.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QProcess>
#include <QUdpSocket>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <linux/sockios.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

constexpr quint16 instrumentPort = 30719;
constexpr quint16 lantronixPort = 30718;
constexpr int pollMs = 5;
// A unit takes a moment to answer; an answer within microseconds is not what the tool meets.
constexpr unsigned long answerDelayMs = 3;
constexpr char discoveryQuery[] = "Ostravi Dev?";
constexpr char setTag[] = "Ostravi Set:";
constexpr char jsonTag[] = "Ostravi QV3:";
constexpr int setLength = 36;
constexpr int ipSetupLength = 20;

std::atomic<int> g_sequence{0};
QElapsedTimer g_clock;

// The kernel's arrival time of the datagram just read, so that a busy machine that reads two datagrams at
// once does not make them look simultaneous; the test's own clock when the kernel has no stamp.
// The stamp is taken when the sender's write hands the datagram over, so gaps between stamps are the
// pauses the sender made, however late this thread gets to read.
qint64 arrivalMs(int descriptor)
{
    timeval stamp{};
    if (::ioctl(descriptor, SIOCGSTAMP, &stamp) != 0)
        return g_clock.elapsed();
    return qint64(stamp.tv_sec) * 1000 + stamp.tv_usec / 1000;
}

// The kernel stamps datagrams as they arrive only once some socket wants stamps; before that a stamp is
// the moment of the read, which on a loaded machine comes long after the send. Asked for at bind time,
// every datagram the tool sends is stamped as it arrives.
bool stampOnArrival(const QUdpSocket& socket)
{
    const int on = 1;
    return ::setsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_TIMESTAMP, &on, sizeof on) == 0;
}

bool ip(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("ip"), arguments);
    if (!process.waitForFinished(SimulatedLink::startTimeoutMs) || process.exitCode() != 0) {
        std::fprintf(stderr, "ip %s failed: %s\n", qPrintable(arguments.join(' ')),
                     process.readAllStandardError().constData());
        return false;
    }
    return true;
}

QString dotted(const QByteArray& bytes, int at)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(quint8(bytes.at(at)))
        .arg(quint8(bytes.at(at + 1)))
        .arg(quint8(bytes.at(at + 2)))
        .arg(quint8(bytes.at(at + 3)));
}

QByteArray macBytes(const QString& mac)
{
    return QByteArray::fromHex(mac.toLatin1().replace(':', ""));
}

} // namespace

SimulatedLink::SimulatedLink(QString name, QString toolCidr, QString labCidr, QObject* parent)
    : QThread(parent), m_name(std::move(name)), m_toolCidr(std::move(toolCidr)), m_labCidr(std::move(labCidr))
{
    if (!g_clock.isValid())
        g_clock.start();
}

SimulatedLink::~SimulatedLink()
{
    m_stop = true;
    m_linkMoved.release();
    wait(startTimeoutMs);
}

void SimulatedLink::resetSequence()
{
    g_sequence = 0;
}

bool SimulatedLink::bringUp()
{
    start();
    if (!m_namespaceReady.tryAcquire(1, startTimeoutMs))
        return false;
    const QString peer = m_name + QLatin1Char('p');
    const bool linked = m_ok && ip({"link", "add", m_name, "type", "veth", "peer", "name", peer}) &&
                        ip({"link", "set", peer, "netns", QString::number(m_threadId)}) &&
                        ip({"addr", "add", m_toolCidr, "dev", m_name}) && ip({"link", "set", m_name, "up"});
    m_ok = m_ok && linked;
    m_linkMoved.release();
    return m_serving.tryAcquire(1, startTimeoutMs) && m_ok;
}

void SimulatedLink::run()
{
    // The namespace belongs to this thread alone; the tool side stays in the process's.
    m_ok = unshare(CLONE_NEWNET) == 0;
    m_threadId = static_cast<long>(syscall(SYS_gettid));
    m_namespaceReady.release();
    m_linkMoved.acquire();
    if (m_stop || !m_ok || !configureLabSide()) {
        m_ok = false;
        m_serving.release();
        return;
    }
    serve();
}

bool SimulatedLink::configureLabSide()
{
    const QString peer = m_name + QLatin1Char('p');
    return ip({"link", "set", "lo", "up"}) && ip({"addr", "add", m_labCidr, "dev", peer}) &&
           ip({"link", "set", peer, "up"});
}

void SimulatedLink::serve()
{
    QUdpSocket instrument;
    QUdpSocket lantronix;
    const auto mode = QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint;
    m_ok = instrument.bind(QHostAddress::AnyIPv4, instrumentPort, mode) &&
           lantronix.bind(QHostAddress::AnyIPv4, lantronixPort, mode) && stampOnArrival(instrument) &&
           stampOnArrival(lantronix);
    m_serving.release();
    pollfd descriptors[2] = {{static_cast<int>(instrument.socketDescriptor()), POLLIN, 0},
                             {static_cast<int>(lantronix.socketDescriptor()), POLLIN, 0}};
    while (!m_stop && m_ok) {
        // Both ports at once, so that arrival order and times are recorded as they happen.
        if (::poll(descriptors, 2, pollMs) <= 0)
            continue;
        for (QUdpSocket* socket : {&instrument, &lantronix}) {
            while (socket->hasPendingDatagrams()) {
                const QNetworkDatagram datagram = socket->receiveDatagram();
                HeardDatagram heard;
                heard.sequence = ++g_sequence;
                heard.elapsedMs = arrivalMs(static_cast<int>(socket->socketDescriptor()));
                heard.link = m_name;
                heard.port = socket->localPort();
                heard.source = datagram.senderAddress();
                heard.sourcePort = static_cast<quint16>(datagram.senderPort());
                heard.destination = datagram.destinationAddress();
                heard.bytes = datagram.data();
                const QList<QByteArray> answers = handle(heard);
                if (!answers.isEmpty())
                    QThread::msleep(answerDelayMs);
                for (const QByteArray& answer : answers)
                    socket->writeDatagram(answer, heard.source, heard.sourcePort);
            }
        }
    }
}

QList<QByteArray> SimulatedLink::handle(const HeardDatagram& datagram)
{
    QMutexLocker lock(&m_mutex);
    m_heard.append(datagram);
    const QByteArray& bytes = datagram.bytes;
    if (datagram.port == lantronixPort) {
        takeXportAddress(bytes);
        return {};
    }
    if (bytes.startsWith(setTag)) {
        takeSettings(bytes);
        return {};
    }
    QList<QByteArray> answers;
    if (bytes == QByteArray(discoveryQuery)) {
        for (const SimulatedUnit& unit : qAsConst(m_units)) {
            if (!unit.xport)
                answers.append(discoveryAnswer(unit));
        }
    }
    return answers;
}

QByteArray SimulatedLink::discoveryAnswer(const SimulatedUnit& unit) const
{
    QJsonObject object{{"CODE", unit.code},
                       {"ID", "SIM"},
                       {"FAMILY", "Simulated"},
                       {"DEVICE", "Simulated"},
                       {"SN", "SN-" + unit.mac.right(2)},
                       {"FW", "1.0"},
                       {"MAC", unit.mac},
                       {"IP", unit.ip},
                       {"NETMASK", unit.mask},
                       {"GATEWAY", unit.gateway},
                       {"DHCP", unit.dhcp}};
    return QByteArray(jsonTag) + QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void SimulatedLink::takeSettings(const QByteArray& bytes)
{
    if (bytes.size() != setLength)
        return;
    const QByteArray mac = bytes.mid(12, 6);
    for (SimulatedUnit& unit : m_units) {
        if (unit.xport || macBytes(unit.mac) != mac)
            continue;
        unit.ip = dotted(bytes, 20);
        ownAddress(unit.ip);
        unit.mask = dotted(bytes, 24);
        unit.gateway = dotted(bytes, 28);
        unit.dhcp = QString::number(quint8(bytes.at(32)));
        ++unit.setsTaken;
    }
}

void SimulatedLink::takeXportAddress(const QByteArray& bytes)
{
    if (bytes.size() != ipSetupLength || bytes.left(4) != QByteArray::fromHex("000000fc") ||
        bytes.mid(4, 8) != "IP-SETUP" || bytes.mid(12, 2) != QByteArray(2, '\0'))
        return;
    for (SimulatedUnit& unit : m_units) {
        if (!unit.xport || macBytes(unit.mac).right(2) != bytes.mid(14, 2))
            continue;
        unit.ip = dotted(bytes, 16);
        ownAddress(unit.ip);
        ++unit.setsTaken;
    }
}

void SimulatedLink::ownAddress(const QString& address)
{
    // Runs on the serving thread, inside the lab namespace. An address already there is fine.
    QProcess::execute(QStringLiteral("ip"), {"addr", "replace", address + "/32", "dev", m_name + QLatin1Char('p')});
}

void SimulatedLink::addUnit(const SimulatedUnit& unit)
{
    {
        QMutexLocker lock(&m_mutex);
        m_units.append(unit);
    }
    // The unit owns its present address, so that unicasts to it arrive.
    const QString labNamespace = QStringLiteral("--net=/proc/%1/ns/net").arg(m_threadId);
    QProcess::execute(QStringLiteral("nsenter"),
                      {labNamespace, "ip", "addr", "replace", unit.ip + "/32", "dev", m_name + QLatin1Char('p')});
}

QList<SimulatedUnit> SimulatedLink::units() const
{
    QMutexLocker lock(&m_mutex);
    return m_units;
}

QList<HeardDatagram> SimulatedLink::heard() const
{
    QMutexLocker lock(&m_mutex);
    return m_heard;
}

void SimulatedLink::clearHeard()
{
    QMutexLocker lock(&m_mutex);
    m_heard.clear();
}
