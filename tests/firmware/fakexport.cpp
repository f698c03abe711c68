// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakexport.h"

#include <QHash>
#include <QHostAddress>
#include <QMutexLocker>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <iterator>

namespace {
constexpr int pinCommandBytes = 9;
constexpr char setDirections = 0x19;
constexpr char setActiveLevels = 0x1A;
constexpr char setCurrentStates = 0x1B;
constexpr quint32 communicationInBoot = 0x05;
constexpr quint32 controlInBoot = 0x06;
constexpr int programmingBaudRate = 38400;

const QByteArray bannerText = "*** Fake XPort ***\r\nPress Enter for Setup Mode \r\n";
const QByteArray menuText = "\r\nChange Setup:\r\n  0 Server\r\n  1 Channel 1\r\n  8 Exit without save\r\n"
                            "  9 Save and exit            Your choice ? ";
const QByteArray questions[] = {"I/F Mode (4C) ? ", "Flow (00) ? ", "Port No (10001) ? ", "ConnectMode (C0) ? "};

quint32 littleEndian(const QByteArray& bytes, int at)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | quint8(bytes.at(at + i));
    return value;
}

quint32 bigEndian(const QByteArray& bytes, int at)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | quint8(bytes.at(at + i));
    return value;
}

QByteArray littleEndianBytes(quint32 value)
{
    QByteArray bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(char((value >> shift) & 0xFF));
    return bytes;
}
} // namespace

class FakeXportServices : public QObject
{
public:
    FakeXportServices(const FakeXport::Options& options, QMutex& mutex, FakeXport::Record& record)
        : m_options(options), m_mutex(mutex), m_record(record)
    {}

    // Each service on a port that the system picks; a service left out gets a port where nothing listens.
    bool listen(UpgradePorts& ports)
    {
        const QHostAddress loopback(QHostAddress::LocalHost);
        bool ok =
            serve(Service::pins, m_options.pinService, &FakeXportServices::pinSession, loopback, ports.pinControl);
        ok = serve(Service::menu, m_options.menuService, &FakeXportServices::menuSession, loopback, ports.setupMenu) &&
             ok;
        ok = serve(Service::tunnel, m_options.tunnelService, &FakeXportServices::tunnelSession, loopback,
                   ports.command) &&
             ok;
        return ok;
    }

private:
    enum class Service { pins, menu, tunnel };
    enum class Menu { banner, choice, baudRate, question, stuck };
    enum class Tunnel { unknown, bootRom, loader };
    struct Session
    {
        QByteArray input;
        int commands = 0;
        Menu menu = Menu::banner;
        int question = 0;
        int pendingBaudRate = 0;
        Tunnel tunnel = Tunnel::unknown;
        FakeXport::Block block;
    };

    using Handler = void (FakeXportServices::*)(QTcpSocket*, Session&);

    bool serve(Service service, bool offered, Handler handler, const QHostAddress& address, quint16& port)
    {
        auto* server = new QTcpServer(this);
        connect(server, &QTcpServer::newConnection, this, [this, server, handler, service] {
            while (QTcpSocket* socket = server->nextPendingConnection())
                accept(socket, handler, service);
        });
        const bool listening = server->listen(address, 0);
        port = server->serverPort();
        if (!offered)
            server->close();
        return listening;
    }

    void accept(QTcpSocket* socket, Handler handler, Service service)
    {
        int served = 0;
        int limit = -1;
        {
            QMutexLocker lock(&m_mutex);
            if (service == Service::pins) {
                served = ++m_record.pinConnections;
                limit = m_options.pinSessions;
            } else if (service == Service::menu) {
                served = ++m_record.menuConnections;
                limit = m_options.menuSessions;
            } else {
                served = ++m_record.tunnelConnections;
            }
        }
        if (limit >= 0 && served > limit) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            return;
        }
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, handler, service] {
            const QByteArray chunk = socket->readAll();
            if (service == Service::menu) {
                QMutexLocker lock(&m_mutex);
                m_record.menuReceived.append(chunk);
            }
            Session& session = m_sessions[socket];
            session.input.append(chunk);
            (this->*handler)(socket, session);
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { m_sessions.remove(socket); });
        if (service == Service::menu && m_options.banner)
            socket->write(bannerText);
    }

    void pinSession(QTcpSocket* socket, Session& session)
    {
        while (session.input.size() >= pinCommandBytes) {
            const QByteArray command = session.input.left(pinCommandBytes);
            session.input.remove(0, pinCommandBytes);
            const QByteArray reply = applyPinCommand(command);
            const int index = session.commands++;
            if (index == m_options.silentCommand)
                continue;
            if (index == m_options.splitReplyCommand) {
                socket->write(reply.left(2));
                QPointer<QTcpSocket> alive(socket);
                QTimer::singleShot(m_options.splitDelayMs, this, [alive, reply] {
                    if (alive)
                        alive->write(reply.mid(2));
                });
                continue;
            }
            socket->write(reply);
        }
    }

    QByteArray applyPinCommand(const QByteArray& command)
    {
        QMutexLocker lock(&m_mutex);
        m_record.pinCommands.append(command);
        const char code = command.at(0);
        const quint32 mask = littleEndian(command, 1);
        const quint32 value = littleEndian(command, 5);
        quint32* target = code == setDirections      ? &m_record.pinDirections
                          : code == setActiveLevels  ? &m_record.pinActiveLevels
                          : code == setCurrentStates ? &m_record.pinStates
                                                     : nullptr;
        if (!target)
            return code + littleEndianBytes(0xFFFFFFFF);
        *target = (*target & ~mask) | (value & mask);
        return code + littleEndianBytes(*target);
    }

    void menuSession(QTcpSocket* socket, Session& session)
    {
        int end;
        while ((end = session.input.indexOf("\r\n")) >= 0) {
            const QByteArray line = session.input.left(end);
            session.input.remove(0, end + 2);
            menuLine(socket, session, line);
        }
    }

    void menuLine(QTcpSocket* socket, Session& session, const QByteArray& line)
    {
        switch (session.menu) {
        case Menu::banner:
            if (!m_options.banner)
                return;
            socket->write(menuText);
            session.menu = Menu::choice;
            return;
        case Menu::choice:
            if (line == "1") {
                socket->write("\r\nBaudrate (" + QByteArray::number(currentBaudRate()) + ") ? ");
                session.menu = Menu::baudRate;
            } else if (line == "9") {
                saveAndRestart(socket, session);
            } else {
                socket->write(menuText);
            }
            return;
        case Menu::baudRate:
            if (!line.isEmpty())
                session.pendingBaudRate = line.toInt();
            session.question = 0;
            session.menu = Menu::question;
            nextQuestion(socket, session);
            return;
        case Menu::question:
            nextQuestion(socket, session);
            return;
        case Menu::stuck:
            return;
        }
    }

    void nextQuestion(QTcpSocket* socket, Session& session)
    {
        if (session.question < m_options.questionsAfterBaud) {
            socket->write(questions[session.question % int(std::size(questions))]);
            ++session.question;
            return;
        }
        if (m_options.menuReturns) {
            socket->write(menuText);
            session.menu = Menu::choice;
        } else {
            session.menu = Menu::stuck;
        }
    }

    void saveAndRestart(QTcpSocket* socket, Session& session)
    {
        {
            QMutexLocker lock(&m_mutex);
            if (session.pendingBaudRate > 0) {
                m_record.baudRate = session.pendingBaudRate;
                m_record.storedBaudRates.append(session.pendingBaudRate);
            }
        }
        socket->write("\r\nParameters stored ...\r\n");
        socket->disconnectFromHost();
    }

    int currentBaudRate()
    {
        QMutexLocker lock(&m_mutex);
        return m_record.baudRate;
    }

    void tunnelSession(QTcpSocket* socket, Session& session)
    {
        if (session.tunnel == Tunnel::unknown && !session.input.isEmpty())
            session.tunnel = session.input.at(0) == 'a' ? Tunnel::bootRom : Tunnel::loader;
        if (session.tunnel == Tunnel::bootRom)
            bootRom(socket, session);
        else if (session.tunnel == Tunnel::loader)
            loader(socket, session);
    }

    void bootRom(QTcpSocket* socket, Session& session)
    {
        QMutexLocker lock(&m_mutex);
        if (m_record.autobaudReceived.isEmpty()) {
            m_record.autobaudReceived = session.input.left(1);
            session.input.remove(0, 1);
            const bool inBoot = m_record.pinStates == communicationInBoot || m_record.pinStates == controlInBoot;
            const bool answers =
                !m_options.autobaudNeedsBootMode || (inBoot && m_record.baudRate == programmingBaudRate);
            if (answers)
                socket->write(m_options.autobaudReply);
        }
        m_record.loaderReceived.append(session.input);
        if (m_options.echoLoader)
            socket->write(session.input);
        session.input.clear();
    }

    void loader(QTcpSocket* socket, Session& session)
    {
        for (;;) {
            QByteArray& in = session.input;
            if (in.size() < 3)
                return;
            if (in.at(0) != '\x0C' || in.at(1) != '\x0E') {
                dropGarbage(in);
                continue;
            }
            const char command = in.at(2);
            int length = 0;
            switch (command) {
            case '\x0A':
                length = 9;
                break;
            case '\x0C':
                if (in.size() < 4)
                    return;
                length = quint8(in.at(3)) + 5;
                break;
            case '\x0B':
            case '\x0D':
                length = 5;
                break;
            case '\x0E':
                length = 6;
                break;
            default:
                dropGarbage(in);
                continue;
            }
            if (in.size() < length)
                return;
            const QByteArray frame = in.left(length);
            in.remove(0, length);
            if (frame.at(length - 1) != '\x0E') {
                QMutexLocker lock(&m_mutex);
                m_record.garbageBytes += length;
                continue;
            }
            loaderFrame(socket, session, frame);
        }
    }

    void dropGarbage(QByteArray& in)
    {
        in.remove(0, 1);
        QMutexLocker lock(&m_mutex);
        ++m_record.garbageBytes;
    }

    void loaderFrame(QTcpSocket* socket, Session& session, const QByteArray& frame)
    {
        QMutexLocker lock(&m_mutex);
        m_record.frames.append(frame);
        switch (frame.at(2)) {
        case '\x0A':
            session.block = FakeXport::Block{bigEndian(frame, 4), QByteArray()};
            break;
        case '\x0C':
            session.block.data.append(frame.mid(4, frame.size() - 5));
            break;
        case '\x0B':
            m_record.blocks.append(session.block);
            session.block.data.clear();
            break;
        case '\x0D':
            socket->write("ACK\n");
            break;
        case '\x0E': {
            ++m_record.erases;
            QPointer<QTcpSocket> alive(socket);
            const QByteArray reply = m_options.eraseReply;
            QTimer::singleShot(m_options.eraseReplyDelayMs, this, [alive, reply] {
                if (alive)
                    alive->write(reply);
            });
            break;
        }
        default:
            break;
        }
    }

    const FakeXport::Options& m_options;
    QMutex& m_mutex;
    FakeXport::Record& m_record;
    QHash<QTcpSocket*, Session> m_sessions;
};

FakeXport::FakeXport() : FakeXport(Options()) {}

FakeXport::FakeXport(const Options& options) : m_options(options)
{
    m_thread.start();
    m_services = new FakeXportServices(m_options, m_mutex, m_record);
    m_services->moveToThread(&m_thread);
    QMetaObject::invokeMethod(
        m_services, [this] { m_listening = m_services->listen(m_ports); }, Qt::BlockingQueuedConnection);
}

FakeXport::~FakeXport()
{
    QMetaObject::invokeMethod(
        m_services, [this] { delete m_services; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

FakeXport::Record FakeXport::record() const
{
    QMutexLocker lock(&m_mutex);
    return m_record;
}

void FakeXport::setBaudRate(int baudRate)
{
    QMutexLocker lock(&m_mutex);
    m_record.baudRate = baudRate;
}
