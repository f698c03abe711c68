// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "linksocket.h"

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Room for a whole unicast sweep plus the echoes of our own broadcasts.
constexpr int kBufferBytes = 4 * 1024 * 1024;
constexpr int kMaxDatagram = 65536;
constexpr int kSendWaitMs = 200;

QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}
} // namespace

LinkSocket::LinkSocket(const QString& device, quint16 port, QObject* parent)
    : QObject(parent), m_device(device), m_port(port)
{}

LinkSocket::~LinkSocket()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool LinkSocket::open(QString* error)
{
    m_ifindex = int(if_nametoindex(m_device.toLocal8Bit().constData()));
    if (m_ifindex == 0) {
        *error = QStringLiteral("no interface %1 in the lab namespace").arg(m_device);
        return false;
    }
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        *error = systemError("socket");
        return false;
    }
    const int on = 1;
    const QByteArray device = m_device.toLocal8Bit();
    if (!setOption(SOL_SOCKET, SO_REUSEADDR, &on, sizeof on, "SO_REUSEADDR", error) ||
        !setOption(SOL_SOCKET, SO_BROADCAST, &on, sizeof on, "SO_BROADCAST", error) ||
        !setOption(IPPROTO_IP, IP_PKTINFO, &on, sizeof on, "IP_PKTINFO", error) ||
        !setOption(IPPROTO_IP, IP_FREEBIND, &on, sizeof on, "IP_FREEBIND", error) ||
        !setOption(SOL_SOCKET, SO_BINDTODEVICE, device.constData(), unsigned(device.size()), "SO_BINDTODEVICE", error))
        return false;
    // The forced sizes need root, which the lab namespace gives us; the plain ones are the fallback.
    if (::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &kBufferBytes, sizeof kBufferBytes) != 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &kBufferBytes, sizeof kBufferBytes);
    if (::setsockopt(m_fd, SOL_SOCKET, SO_SNDBUFFORCE, &kBufferBytes, sizeof kBufferBytes) != 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_SNDBUF, &kBufferBytes, sizeof kBufferBytes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        *error = systemError("bind");
        return false;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LinkSocket::readPending);
    return true;
}

bool LinkSocket::setOption(int level, int option, const void* value, unsigned length, const char* name, QString* error)
{
    if (::setsockopt(m_fd, level, option, value, length) == 0)
        return true;
    *error = systemError(name);
    return false;
}

bool LinkSocket::sendFrom(quint32 src, quint32 dst, quint16 dstPort, const QByteArray& data, QString* error)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(dstPort);
    to.sin_addr.s_addr = htonl(dst);
    iovec iov{const_cast<char*>(data.constData()), size_t(data.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = &to;
    message.msg_namelen = sizeof to;
    message.msg_iov = &iov;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    // The source address chooses which unit speaks; the interface keeps broadcasts on this link.
    in_pktinfo info{};
    info.ipi_ifindex = m_ifindex;
    info.ipi_spec_dst.s_addr = htonl(src);
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    for (;;) {
        if (::sendmsg(m_fd, &message, 0) == data.size())
            return true;
        if ((errno == EAGAIN || errno == ENOBUFS) && waitWritable())
            continue;
        if (errno == EINTR)
            continue;
        *error = systemError("sendmsg");
        return false;
    }
}

bool LinkSocket::waitWritable()
{
    pollfd entry{m_fd, POLLOUT, 0};
    return ::poll(&entry, 1, kSendWaitMs) == 1;
}

void LinkSocket::readPending()
{
    while (readOne()) {
    }
}

bool LinkSocket::readOne()
{
    static char buffer[kMaxDatagram];
    sockaddr_in from{};
    iovec iov{buffer, sizeof buffer};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof from;
    message.msg_iov = &iov;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t length = ::recvmsg(m_fd, &message, MSG_DONTWAIT);
    if (length < 0)
        return errno == EINTR;
    ReceivedDatagram datagram;
    datagram.src = ntohl(from.sin_addr.s_addr);
    datagram.srcPort = ntohs(from.sin_port);
    datagram.data = QByteArray(buffer, int(length));
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            datagram.dst = ntohl(info.ipi_addr.s_addr);
        }
    }
    emit datagramReceived(datagram);
    return true;
}
