// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/device_t.h"
#include "model/interfaces_t.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFuture>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>

class AppSettings;

class QNetworkDatagram;
class QTcpSocket;
class QUdpSocket;

// The discovery engine: one scan queries every selected interface by limited
// broadcast (and optionally a unicast range), asks the Lantronix modules for
// their MACs, then asks the motor drivers behind them what they are.
// Answers are decoded only while the receiver of signalUpdateProgressBar lets
// the event loop run, between the listening slices of a scan.
class Client : public QObject
{
    Q_OBJECT

public:
    static constexpr int answerSize = 2048;
    static constexpr int tagSize = 12;
    static constexpr int progressSteps = 80;
    static constexpr int progressReset = 0;
    static constexpr int progressStep = 1;
    static constexpr int progressFull = 100;
    // Larger unicast ranges are cut to this many addresses (and refused by the settings dialog).
    static constexpr int maxSweepAddresses = 65536;
    // A motor driver's answer line never comes near this; a unit streaming without CR is cut here.
    static constexpr int maxAnswerLineBytes = 1024;
    // The whole of one answer line must arrive within this many read time-outs.
    static constexpr int answerLineTimeoutFactor = 2;
    // Room for the answers of a few hundred units arriving while the scan blocks between slices.
    static constexpr int answerReceiveBufferBytes = 4 * 1024 * 1024;
    // One scan keeps at most this many answer records, and as many motor-driver candidates: far above
    // any real lab, and small enough that a flood of forged answers cannot exhaust time or memory.
    static constexpr int maxScanRecords = 10000;
    // One notification of one socket handles at most this many datagrams, so that a flooded socket
    // leaves the others their turn.
    static constexpr int maxDatagramsPerTurn = 1024;
    // Each progress step may decode for one listening slice, and at least this long when the slices are
    // shorter; what is decoded late only shortens the next slice's wait.
    static constexpr int minimumDecodeTurnMs = 2;

    explicit Client(QObject* parent = nullptr);
    ~Client() override;

    // Runs one complete scan; blocks for the listening time and the motor-driver queries.
    QList<Device_t> startScan(QList<interfaces_t>& interfaces);
    void clearDevicesList();
    // The eight configuration members from the stored settings, as the window and the command line
    // both hand them over.
    void takeSettings(AppSettings& settings);
    // The records collected so far (the decoders append here).
    QList<Device_t> devices() const;
    // Empty, or why the last scan's list is incomplete ("more than N answers; the rest were ignored") or
    // what it left out ("N answers on 30718 were not XPort answers"); both joined by "; ".
    QString scanWarning() const;
    bool answersIgnored() const { return m_answersIgnored; }

    int scanTime = 200;
    bool flagSendUnicast = false;
    QHostAddress startIp{QStringLiteral("192.168.0.1")};
    QHostAddress endIp{QStringLiteral("192.168.0.254")};
    int nThreads = 10;
    int waitWritten = 1000;
    int waitRead = 2000;
    int waitConnected = 3000;
    // All motor-driver queries of one scan together end within this many ms; 0 (the default) stands for
    // one complete exchange at the three waits above, see motorQueryBound().
    int motorQueryTime = 0;
    int motorQueryBound() const;

    // Whether a scan queries this interface: selected, not a docker bridge, and with an address.
    static bool scansInterface(const interfaces_t& hostInterface);
    // Every address from start to end, less start's .0 and .255; at most maxSweepAddresses.
    static QList<QHostAddress> generateIpList(const QHostAddress& start, const QHostAddress& end);
    // Removes every later record whose MAC repeats an earlier one.
    void discardDevice();
    // The same on any list, in one pass: the first record of each MAC stays, in its place, and notes the
    // addresses of the others (Device_t::sharedMacAddresses).
    static void keepFirstOfEachMac(QList<Device_t>& devices);

    // Answer decoding: a datagram from the broadcast answer socket.
    void readDeviceResponse(const QNetworkDatagram& datagram);
    void legacyResponse();
    void qv3Response(QString text);

    // Field getters on answerBuffer (a legacy answer).
    QString getId() const;
    QString getMacAddress() const;
    QString getIpAddress() const;
    QString getMask() const;
    QString getGateway() const;
    QString getAdditionalInfo(bool full) const;
    QString getHardwareId(QString code) const;
    QString getFirmwareVersion(QString code) const;
    QString getSerialNumber(QString code) const;
    QString getDhcp(QString code) const;

    // Catalog forwards.
    static QString getGroupId(QString code);
    static QString getName(QString code);
    static QString getDescription(QString code);

    static QString swapCorvixSerialNumber(QString digits);
    // Safe from the worker tasks of the motor-driver queries.
    void addDevice(const Device_t& device);

    // Motor drivers behind their Lantronix modules.
    void parseKolvexResponse(const QNetworkDatagram& datagram);
    // Whether a datagram on the Lantronix port is a module's answer to the discovery query.
    static bool isXportAnswer(const QNetworkDatagram& datagram);
    int foreignLantronixAnswers() const { return m_foreignLantronixAnswers; }
    void processKolvexDevices(const QVector<Device_t>& candidates);
    void readXportInfo(QString ip, QString mac);
    // The same, with every wait cut at the deadline of the whole motor-driver phase.
    void readXportInfo(QString ip, QString mac, QDeadlineTimer phaseDeadline);
    // The record one module's query gives: a motor driver's, or the plain module's when no driver answers.
    Device_t xportRecord(const QString& ip, const QString& mac, QDeadlineTimer phaseDeadline);
    QList<Device_t> lantronixCandidates() const;

signals:
    void signalUpdateProgressBar(int value);

public slots:
    void onNewResponse();
    void onHandleUnicastResponse();

private:
    void replaceAnswerSockets();
    void prepareRecvSockets();
    void sendBroadcast(const QList<interfaces_t>& interfaces);
    void sendLantronixQuery(const QHostAddress& address, const QHostAddress& mask);
    QUdpSocket* listenForDirectReplies(const QHostAddress& address);
    void sendUnicast(const QList<QHostAddress>& list);
    void waitForResponses(int steps);
    void releaseScanSockets();
    void queryMotorDrivers();
    void startMotorQuery(const Device_t& candidate);
    QList<Device_t> finishMotorQueries();
    bool recordsFull() const;
    bool decodeTurnOver(int handled) const;
    void handleAnswerDatagram(QUdpSocket* socket, const QNetworkDatagram& datagram);
    void handleUnicastDatagram(const QNetworkDatagram& datagram);
    void applyThreadCount();

    void setAnswerBuffer(const QByteArray& bytes);
    QString textPart(int offset, int width) const;
    QStringList powerSupplyLines() const;
    QString signedHexByte(int offset) const;
    QString currentTransducerSerial() const;
    QString toolSerial() const;
    QString beamlineSerial() const;
    QString dottedAddress(int offset) const;
    static QString ruleFamily(const QString& code);
    QString readAnswerLine(QTcpSocket& socket, int timeout, QDeadlineTimer phaseDeadline) const;

    QByteArray answerBuffer;
    QList<Device_t> foundDevices;
    QUdpSocket* querySocket = nullptr;
    QUdpSocket* answerSocket = nullptr;
    QUdpSocket* unicastSocket = nullptr;
    QSet<QHostAddress> unicastResponders;
    mutable QMutex devicesMutex;
    mutable QMutex lantronixMutex;
    QHash<QString, Device_t> lantronixDevices;
    // During a scan each module is queried as soon as it answers, while the scan still listens, so that
    // what is left after the listening time is only the queries of the last modules to answer. The
    // records wait here (under lantronixMutex) and join the list after the listening time.
    bool m_queryWhileListening = false;
    QDeadlineTimer m_motorPhaseDeadline;
    QList<QFuture<void>> m_motorQueries;
    QHash<QString, Device_t> m_motorRecords;
    QList<QUdpSocket*> lantronixSockets;
    // One per queried interface, on its address and the discovery port, for units
    // that answer the query's source directly instead of by broadcast.
    QList<QUdpSocket*> replySockets;
    // Where the present progress step stops decoding.
    QDeadlineTimer m_decodeTurnEnd;
    // Set by the decoders and the worker tasks when the list or the candidates were full.
    std::atomic<bool> m_answersIgnored{false};
    // Datagrams on the Lantronix port of this scan that were no module's answer.
    std::atomic<int> m_foreignLantronixAnswers{0};
};
