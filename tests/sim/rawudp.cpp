// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "rawudp.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kMaxDatagram = 65536;

sockaddr_in socketAddress(const QString& address, quint16 port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    inet_pton(AF_INET, address.toLatin1().constData(), &result.sin_addr);
    return result;
}
} // namespace

RawUdp::RawUdp() : m_fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
{
    const int on = 1;
    ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    ::setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
}

RawUdp::~RawUdp()
{
    ::close(m_fd);
}

bool RawUdp::fail(const char* what)
{
    m_error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

bool RawUdp::bind(const QString& address, quint16 port, const QString& device)
{
    if (!device.isEmpty()) {
        const QByteArray name = device.toLatin1();
        if (::setsockopt(m_fd, SOL_SOCKET, SO_BINDTODEVICE, name.constData(), socklen_t(name.size())) != 0)
            return fail("SO_BINDTODEVICE");
    }
    const sockaddr_in local = socketAddress(address, port);
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        return fail("bind");
    return true;
}

bool RawUdp::sendTo(const QString& address, quint16 port, const QByteArray& data)
{
    const sockaddr_in to = socketAddress(address, port);
    if (::sendto(m_fd, data.constData(), size_t(data.size()), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) !=
        data.size())
        return fail("sendto");
    return true;
}

quint16 RawUdp::localPort() const
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
}

QList<RawUdp::Datagram> RawUdp::receiveFor(int ms)
{
    QList<Datagram> result;
    QElapsedTimer clock;
    clock.start();
    static char buffer[kMaxDatagram];
    for (qint64 left = ms; left > 0; left = ms - clock.elapsed()) {
        pollfd entry{m_fd, POLLIN, 0};
        if (::poll(&entry, 1, int(left)) != 1)
            continue;
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t size =
            ::recvfrom(m_fd, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &length);
        if (size < 0)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
        result.append(
            {QString::fromLatin1(text), ntohs(from.sin_port), QByteArray(buffer, int(size)), clock.elapsed()});
    }
    return result;
}
