// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakedriver.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int commandPort = 10001;
constexpr int pollMs = 20;
constexpr int trickleMs = 50;
} // namespace

FakeDriver::FakeDriver(const QString& address, Behaviour behaviour) : m_behaviour(behaviour)
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(commandPort);
    ::inet_pton(AF_INET, address.toLatin1().constData(), &local.sin_addr);
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 || ::listen(m_listenFd, 4) != 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
        return;
    }
    m_thread = std::thread([this] { serve(); });
}

FakeDriver::~FakeDriver()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listenFd >= 0)
        ::close(m_listenFd);
}

void FakeDriver::serve()
{
    while (!m_stop) {
        pollfd p{m_listenFd, POLLIN, 0};
        if (::poll(&p, 1, pollMs) <= 0)
            continue;
        const int fd = ::accept(m_listenFd, nullptr, nullptr);
        if (fd < 0)
            continue;
        answer(fd);
        ::close(fd);
    }
}

bool FakeDriver::sendAll(int fd, const QByteArray& bytes)
{
    return ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
}

void FakeDriver::answer(int fd)
{
    QByteArray received;
    while (!m_stop) {
        pollfd p{fd, POLLIN, 0};
        if (m_behaviour == Behaviour::Stream) {
            if (!sendAll(fd, QByteArray(256, 'x')))
                return;
        }
        if (::poll(&p, 1, pollMs) < 0)
            return;
        if (p.revents & POLLIN) {
            char chunk[256];
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return;
            received.append(chunk, int(n));
        }
        while (received.contains("\r\n")) {
            const int end = received.indexOf("\r\n");
            const QByteArray command = received.left(end);
            received.remove(0, end + 2);
            const bool version = command == "MVER";
            switch (m_behaviour) {
            case Behaviour::Normal:
                sendAll(fd, version ? "#MVER:KOLVEX:B:2.10\r\n" : "KV0042\r\n");
                break;
            case Behaviour::NoCr:
                sendAll(fd, version ? "#MVER:KOLVEX:B:2.11" : "KV0043");
                break;
            case Behaviour::TrickleSerial:
                if (version) {
                    sendAll(fd, "#MVER:KOLVEX:B:2.12\r\n");
                    break;
                }
                while (!m_stop && sendAll(fd, "7"))
                    ::usleep(trickleMs * 1000);
                return;
            case Behaviour::OtherModel:
                sendAll(fd, "#MVER:ZARN:B:1.0\r\n");
                break;
            case Behaviour::ThreeFields:
                sendAll(fd, "#MVER:KOLVEX:2.10\r\n");
                break;
            case Behaviour::Garbage:
                sendAll(fd, "HELLO\r\n");
                break;
            case Behaviour::Stream:
            case Behaviour::Silent:
                break;
            }
        }
    }
}
