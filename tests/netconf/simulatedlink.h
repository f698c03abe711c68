// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QThread>

#include <atomic>

// One datagram as the lab side heard it.
struct HeardDatagram
{
    int sequence = 0;
    qint64 elapsedMs = 0;
    QString link;
    quint16 port = 0;
    QHostAddress source;
    quint16 sourcePort = 0;
    QHostAddress destination;
    QByteArray bytes;
};

// A simulated instrument (or XPort module) on the lab side of a link.
struct SimulatedUnit
{
    QString code;
    QString mac;
    QString ip;
    QString mask;
    QString gateway;
    QString dhcp = QStringLiteral("0");
    bool xport = false;
    int setsTaken = 0;
};

// One veth link whose far end lives in a network namespace of its own,
// served by this thread. The units on it answer "Ostravi Dev?" in the JSON
// dialect and take "Ostravi Set:" and IP-SETUP datagrams addressed to them;
// they decode the bytes at the offsets the instruments use, independently of
// the tool's own encoder. Every datagram heard is recorded in arrival order,
// numbered from a counter shared by all links.
class SimulatedLink : public QThread
{
    Q_OBJECT

public:
    static constexpr int startTimeoutMs = 5000;

    SimulatedLink(QString name, QString toolCidr, QString labCidr, QObject* parent = nullptr);
    ~SimulatedLink() override;

    // Creates the link (tool side in the process's namespace) and starts serving it.
    bool bringUp();
    void addUnit(const SimulatedUnit& unit);
    QList<SimulatedUnit> units() const;
    QList<HeardDatagram> heard() const;
    void clearHeard();
    QString name() const { return m_name; }
    QString toolIp() const { return m_toolCidr.section(QLatin1Char('/'), 0, 0); }
    QString labIp() const { return m_labCidr.section(QLatin1Char('/'), 0, 0); }

    static void resetSequence();

protected:
    void run() override;

private:
    bool configureLabSide();
    void serve();
    QList<QByteArray> handle(const HeardDatagram& datagram);
    QByteArray discoveryAnswer(const SimulatedUnit& unit) const;
    void takeSettings(const QByteArray& bytes);
    void takeXportAddress(const QByteArray& bytes);
    void ownAddress(const QString& address);

    QString m_name;
    QString m_toolCidr;
    QString m_labCidr;
    mutable QMutex m_mutex;
    QList<SimulatedUnit> m_units;
    QList<HeardDatagram> m_heard;
    QSemaphore m_namespaceReady;
    QSemaphore m_linkMoved;
    QSemaphore m_serving;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_ok{false};
    std::atomic<long> m_threadId{0};
};
