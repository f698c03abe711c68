// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "discovery/client.h"

#include "discovery/jsonanswerguard.h"
#include "model/appsettings.h"
#include "model/device.h"
#include "model/fieldtables.h"
#include "model/wellknownports.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFuture>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutexLocker>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QThread>
#include <QThreadPool>
#include <QUdpSocket>
#include <QtConcurrent/QtConcurrentRun>

#include <cstring>
#include <limits>

namespace {
constexpr char discoveryQuery[] = "Ostravi Dev?";
constexpr char lantronixQuery[] = {'\x00', '\x01', '\x00', '\xF6'};
constexpr char versionCommand[] = "MVER\r\n";
constexpr char serialCommand[] = "MRG:22\r\n";
const QLatin1String legacyTag("Ostravi Dev:");
const QLatin1String jsonTag("Ostravi QV3:");
const QLatin1String unknownText("Unknown");
const QLatin1String dockerPrefix("docker");
const QLatin1String lineSeparator("\r\n");
const QLatin1String versionAnswerTag("#MVER");
const QLatin1String motorDriverModel("KOLVEX");
const QLatin1String xportCode("4100");
const QLatin1String motorDriverCode("4200");
const QLatin1String xportDhcp("NA");
const QLatin1String beamlineReferenceCode("2100");

// The bytes of a text constant, without its terminating zero.
template <size_t N> QByteArray textBytes(const char (&text)[N])
{
    return QByteArray::fromRawData(text, int(N - 1));
}

// Legacy answer layout (offsets from the start of the datagram).
constexpr int codeOffset = 12;
constexpr int macOffset = 14;
constexpr int macBytes = 6;
constexpr int ipOffset = 20;
constexpr int maskOffset = 24;
constexpr int gatewayOffset = 28;
constexpr int moduleIdOffset = 36;
constexpr int moduleIdBytes = 4;
constexpr int textAOffset = 44;
constexpr int textBOffset = 48;
constexpr int textCOffset = 52;
constexpr int shortTextBytes = 4;
constexpr int textCBytes = 196;
constexpr int firmwareOffset = 44;
constexpr int serialOffset = 48;

// Power-supply lines of the full-form text.
constexpr int psFirmwareLine = 0;
constexpr int psSerialLine = 1;
constexpr int psModuleIdLine = 2;
constexpr int psDhcpLine = 4;
constexpr int psMinimumLines = 4;
constexpr int psMinimumDhcpLines = 6;

// Current-transducer serials whose first pair lies in this range are in the week/year form.
constexpr int ctYearFormMin = 16;
constexpr int ctYearFormMax = 70;

// Lantronix answer: the module's answer header, then its MAC at a fixed place.
constexpr char lantronixAnswerHeader[] = {'\x00', '\x00', '\x00', '\xF7'};
constexpr int lantronixMacOffset = 24;
constexpr int lantronixMinimumSize = lantronixMacOffset + macBytes;
// A module's answer is a few dozen bytes; anything far longer is some other talk on the port.
constexpr int lantronixMaximumSize = 512;
// The multicast bit of a MAC's first byte: no module carries such an address.
constexpr char macGroupBit = 0x01;

constexpr int beamlineSerialPlainDigits = 5;

QString macText(const QByteArray& bytes, int offset)
{
    QStringList groups;
    for (int i = 0; i < macBytes; ++i)
        groups << QStringLiteral("%1").arg(uchar(bytes.at(offset + i)), 2, 16, QLatin1Char('0'));
    return groups.join(QLatin1Char(':')).toUpper();
}

QByteArray zeroFilledAnswer(const QByteArray& data)
{
    QByteArray buffer(Client::answerSize, '\0');
    const int length = qMin(data.size(), Client::answerSize);
    std::memcpy(buffer.data(), data.constData(), size_t(length));
    return buffer;
}

int fieldIndexOfKeyword(const QString& key)
{
    for (auto it = FieldMandatoryMap.cbegin(); it != FieldMandatoryMap.cend(); ++it) {
        if (it.value() == key)
            return it.key();
    }
    return -1;
}
} // namespace

Client::Client(QObject* parent)
    : QObject(parent), answerBuffer(answerSize, '\0'), querySocket(new QUdpSocket(this)),
      answerSocket(new QUdpSocket(this)), unicastSocket(new QUdpSocket(this))
{
    applyThreadCount();
}

Client::~Client() = default;

// ---------------------------------------------------------------- scan

QList<Device_t> Client::startScan(QList<interfaces_t>& interfaces)
{
    replaceAnswerSockets();
    connect(answerSocket, &QUdpSocket::readyRead, this, &Client::onNewResponse);
    connect(unicastSocket, &QUdpSocket::readyRead, this, &Client::onHandleUnicastResponse);
    emit signalUpdateProgressBar(progressReset);
    prepareRecvSockets();
    clearDevicesList();
    unicastResponders.clear();
    m_answersIgnored = false;
    m_foreignLantronixAnswers = 0;
    {
        QMutexLocker locker(&lantronixMutex);
        lantronixDevices.clear();
        m_motorRecords.clear();
        applyThreadCount();
        m_motorPhaseDeadline = QDeadlineTimer(qint64(qMax(0, scanTime)) + motorQueryBound());
        m_queryWhileListening = true;
    }
    if (flagSendUnicast)
        sendUnicast(generateIpList(startIp, endIp));
    sendBroadcast(interfaces);
    waitForResponses(progressSteps);
    // Nothing is decoded after the listening time: answers still on their way end with the sockets,
    // also when the progress receiver lets the event loop run again below.
    releaseScanSockets();
    disconnect(answerSocket, &QUdpSocket::readyRead, this, &Client::onNewResponse);
    disconnect(unicastSocket, &QUdpSocket::readyRead, this, &Client::onHandleUnicastResponse);

    queryMotorDrivers();
    discardDevice();
    emit signalUpdateProgressBar(progressFull);
    return devices();
}

// Candidates get the room that the distinct decoded answers leave under maxScanRecords.
void Client::queryMotorDrivers()
{
    const QList<Device_t> records = finishMotorQueries();
    discardDevice();
    const int room = qMax(0, maxScanRecords - devices().size());
    if (records.size() > room)
        m_answersIgnored = true;
    for (int i = 0; i < qMin(room, records.size()); ++i)
        addDevice(records.at(i));
}

// Called with lantronixMutex held, from the decoding of a module's answer.
void Client::startMotorQuery(const Device_t& candidate)
{
    const QDeadlineTimer deadline = m_motorPhaseDeadline;
    m_motorQueries.append(QtConcurrent::run(QThreadPool::globalInstance(), [this, candidate, deadline] {
        const Device_t record = xportRecord(candidate.ip, candidate.mac, deadline);
        QMutexLocker locker(&lantronixMutex);
        m_motorRecords.insert(candidate.mac, record);
    }));
}

// Waits for the queries still running (each ends by the phase's deadline) and gives their records in
// the order of the candidates.
QList<Device_t> Client::finishMotorQueries()
{
    QList<QFuture<void>> running;
    {
        QMutexLocker locker(&lantronixMutex);
        m_queryWhileListening = false;
        running.swap(m_motorQueries);
    }
    for (QFuture<void>& query : running)
        query.waitForFinished();
    QMutexLocker locker(&lantronixMutex);
    QList<Device_t> records;
    records.reserve(lantronixDevices.size());
    for (auto candidate = lantronixDevices.cbegin(); candidate != lantronixDevices.cend(); ++candidate)
        records.append(m_motorRecords.value(candidate.key()));
    m_motorRecords.clear();
    return records;
}

void Client::takeSettings(AppSettings& settings)
{
    scanTime = settings.getScanTime();
    flagSendUnicast = settings.getFlagSendUnicastMessage();
    startIp = settings.getStartIP();
    endIp = settings.getEndIP();
    nThreads = settings.getNumbeOfThreads();
    waitWritten = settings.getWaitForBytesWritten();
    waitRead = settings.getWaitForReadyRead();
    waitConnected = settings.getWaitForConnected();
}

void Client::clearDevicesList()
{
    QMutexLocker locker(&devicesMutex);
    foundDevices.clear();
}

QList<Device_t> Client::devices() const
{
    QMutexLocker locker(&devicesMutex);
    return foundDevices;
}

QString Client::scanWarning() const
{
    QStringList warnings;
    if (m_answersIgnored)
        warnings << tr("more than %1 answers; the rest were ignored").arg(maxScanRecords);
    if (m_foreignLantronixAnswers > 0)
        warnings
            << tr("%1 answers on %2 were not XPort answers").arg(m_foreignLantronixAnswers.load()).arg(port::lantronix);
    return warnings.join(QStringLiteral("; "));
}

// The worst single exchange: the queries run side by side, so a lab the pool can take at once
// needs no more, and a module that accepts and never answers cannot hold the scan longer.
int Client::motorQueryBound() const
{
    if (motorQueryTime > 0)
        return motorQueryTime;
    const qint64 line = qint64(answerLineTimeoutFactor) * qMax(0, waitRead);
    const qint64 exchange = qint64(qMax(0, waitConnected)) + 2 * qint64(qMax(0, waitWritten)) + 2 * line;
    return int(qMin<qint64>(exchange, std::numeric_limits<int>::max()));
}

// A setting of 0 threads would stall every motor-driver query for ever.
void Client::applyThreadCount()
{
    QThreadPool::globalInstance()->setMaxThreadCount(qMax(1, nThreads));
}

void Client::replaceAnswerSockets()
{
    delete answerSocket;
    answerSocket = new QUdpSocket(this);
    delete unicastSocket;
    unicastSocket = new QUdpSocket(this);
}

void Client::prepareRecvSockets()
{
    if (!answerSocket->bind(QHostAddress(QHostAddress::Broadcast), port::discovery, QUdpSocket::ShareAddress))
        return;
    answerSocket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, answerReceiveBufferBytes);
}

void Client::sendBroadcast(const QList<interfaces_t>& interfaces)
{
    for (const interfaces_t& hostInterface : interfaces) {
        if (!scansInterface(hostInterface))
            continue;
        const QHostAddress address(hostInterface.ip);
        // The query leaves from the socket that hears the direct answers. A second socket bound to the
        // same address and port only to send would, until it is closed, take the unicast answers
        // itself: on a busy machine a unit answers before that close, and its answer is lost with it.
        if (QUdpSocket* replies = listenForDirectReplies(address)) {
            replies->writeDatagram(textBytes(discoveryQuery), QHostAddress(QHostAddress::Broadcast), port::discovery);
        } else if (querySocket->bind(address, port::discovery, QUdpSocket::ShareAddress)) {
            querySocket->writeDatagram(textBytes(discoveryQuery), QHostAddress(QHostAddress::Broadcast),
                                       port::discovery);
            querySocket->close();
        } else {
            continue;
        }
        sendLantronixQuery(address, QHostAddress(hostInterface.mask));
    }
}

bool Client::scansInterface(const interfaces_t& hostInterface)
{
    return hostInterface.selected && !hostInterface.name.startsWith(dockerPrefix) &&
           QHostAddress(hostInterface.ip) != QHostAddress(QHostAddress::AnyIPv4);
}

// The broadcast answer socket cannot hear a unit that answers our interface address
// by unicast; this socket does. Bound before the query leaves, so no answer is early.
QUdpSocket* Client::listenForDirectReplies(const QHostAddress& address)
{
    auto* socket = new QUdpSocket(this);
    if (!socket->bind(address, port::discovery, QUdpSocket::ShareAddress)) {
        delete socket;
        return nullptr;
    }
    connect(socket, &QUdpSocket::readyRead, this, &Client::onNewResponse);
    replySockets.append(socket);
    return socket;
}

void Client::sendLantronixQuery(const QHostAddress& address, const QHostAddress& mask)
{
    auto* socket = new QUdpSocket(this);
    if (!socket->bind(address, port::lantronix, QUdpSocket::ShareAddress)) {
        delete socket;
        return;
    }
    const quint32 ip = address.toIPv4Address();
    const quint32 netmask = mask.toIPv4Address();
    const QHostAddress directedBroadcast((ip & netmask) | ~netmask);
    socket->writeDatagram(QByteArray::fromRawData(lantronixQuery, sizeof lantronixQuery), directedBroadcast,
                          port::lantronix);
    connect(socket, &QUdpSocket::readyRead, this, &Client::onNewResponse);
    lantronixSockets.append(socket);
}

QList<QHostAddress> Client::generateIpList(const QHostAddress& start, const QHostAddress& end)
{
    QList<QHostAddress> list;
    if (start.protocol() != QAbstractSocket::IPv4Protocol || end.protocol() != QAbstractSocket::IPv4Protocol)
        return list;
    const quint32 first = start.toIPv4Address();
    const quint32 last = end.toIPv4Address();
    if (first > last)
        return list;
    const quint32 networkAddress = first & 0xFFFFFF00u;
    const quint32 broadcastAddress = first | 0x000000FFu;
    // 64-bit counter: an end of 255.255.255.255 must not wrap around.
    for (quint64 value = first; value <= last && list.size() < maxSweepAddresses; ++value) {
        const auto address = quint32(value);
        if (address == networkAddress || address == broadcastAddress)
            continue;
        list.append(QHostAddress(address));
    }
    return list;
}

void Client::sendUnicast(const QList<QHostAddress>& list)
{
    if (!unicastSocket || list.isEmpty())
        return;
    for (const QHostAddress& address : list)
        unicastSocket->writeDatagram(textBytes(discoveryQuery), address, port::discovery);
}

// Each slice ends at its own point from the start, so the time spent decoding in one progress step
// is taken from the next slice instead of adding up: the listening time stays what was asked.
void Client::waitForResponses(int steps)
{
    if (steps <= 0)
        return;
    const int step = scanTime / steps;
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= steps; ++i) {
        const qint64 wait = qint64(i) * step - clock.elapsed();
        if (wait > 0)
            QThread::msleep(ulong(wait));
        m_decodeTurnEnd.setRemainingTime(qMax(step, minimumDecodeTurnMs));
        // The receiver lets the event loop run here: that is when answers are decoded.
        emit signalUpdateProgressBar(progressStep);
    }
}

void Client::releaseScanSockets()
{
    if (answerSocket->isOpen())
        answerSocket->close();
    if (unicastSocket->isOpen())
        unicastSocket->close();
    for (QUdpSocket* socket : lantronixSockets + replySockets) {
        disconnect(socket, nullptr, this, nullptr);
        if (socket->isOpen())
            socket->close();
        socket->deleteLater();
    }
    lantronixSockets.clear();
    replySockets.clear();
}

void Client::discardDevice()
{
    QMutexLocker locker(&devicesMutex);
    keepFirstOfEachMac(foundDevices);
}

// A unit answering twice (two interfaces, broadcast and unicast) gives its own address again: no second unit.
// A flood of answers under one MAC is not listed address by address: a few tell the user enough.
static void noteSharedMac(Device_t& kept, const QString& ip)
{
    constexpr int listedAddresses = 16;
    if (ip == kept.ip || kept.sharedMacAddresses.size() >= listedAddresses || kept.sharedMacAddresses.contains(ip))
        return;
    if (kept.sharedMacAddresses.isEmpty())
        kept.sharedMacAddresses << kept.ip;
    kept.sharedMacAddresses << ip;
}

void Client::keepFirstOfEachMac(QList<Device_t>& devices)
{
    QHash<QString, int> seen;
    seen.reserve(devices.size());
    QList<Device_t> kept;
    kept.reserve(devices.size());
    for (const Device_t& record : qAsConst(devices)) {
        const auto first = seen.constFind(record.mac);
        if (first == seen.constEnd()) {
            seen.insert(record.mac, kept.size());
            kept.append(record);
            continue;
        }
        // One row per MAC, but a second unit behind it must not pass unnoticed.
        noteSharedMac(kept[*first], record.ip);
    }
    devices.swap(kept);
}

bool Client::recordsFull() const
{
    QMutexLocker locker(&devicesMutex);
    return foundDevices.size() >= maxScanRecords;
}

// At least one datagram per notification: a socket that is notified and read nothing is not notified
// again, and would miss the rest of the scan.
bool Client::decodeTurnOver(int handled) const
{
    return handled >= maxDatagramsPerTurn || (handled > 0 && m_decodeTurnEnd.hasExpired());
}

void Client::onNewResponse()
{
    auto* socket = qobject_cast<QUdpSocket*>(sender());
    if (!socket || socket->state() != QAbstractSocket::BoundState)
        return;
    for (int handled = 0; !decodeTurnOver(handled) && socket->hasPendingDatagrams(); ++handled) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (!datagram.isValid())
            break;
        handleAnswerDatagram(socket, datagram);
    }
}

void Client::handleAnswerDatagram(QUdpSocket* socket, const QNetworkDatagram& datagram)
{
    if (socket != answerSocket && !replySockets.contains(socket)) {
        parseKolvexResponse(datagram);
        return;
    }
    // Beyond the cap an answer is not even decoded: a flood costs a read, no more.
    if (recordsFull())
        m_answersIgnored = true;
    else
        readDeviceResponse(datagram);
}

void Client::onHandleUnicastResponse()
{
    for (int handled = 0; !decodeTurnOver(handled) && unicastSocket->hasPendingDatagrams(); ++handled) {
        const QNetworkDatagram datagram = unicastSocket->receiveDatagram();
        if (!datagram.isValid())
            break;
        handleUnicastDatagram(datagram);
    }
}

void Client::handleUnicastDatagram(const QNetworkDatagram& datagram)
{
    const QByteArray data = datagram.data();
    if (data.isEmpty() || unicastResponders.contains(datagram.senderAddress()))
        return;
    if (recordsFull()) {
        m_answersIgnored = true;
        return;
    }
    unicastResponders.insert(datagram.senderAddress());
    const QByteArray buffer = zeroFilledAnswer(data);
    const QString tag = QString::fromLatin1(buffer.constData(), tagSize);
    if (tag == legacyTag) {
        setAnswerBuffer(buffer);
        legacyResponse();
    } else if (tag == jsonTag) {
        qv3Response(QString::fromLatin1(data.mid(tagSize, answerSize - tagSize)));
    }
}

// ---------------------------------------------------------------- answer decoding

void Client::readDeviceResponse(const QNetworkDatagram& datagram)
{
    const QByteArray buffer = zeroFilledAnswer(datagram.data());
    const QString tag = QString::fromLatin1(buffer.constData(), int(qstrnlen(buffer.constData(), tagSize)));
    if (tag == legacyTag) {
        setAnswerBuffer(buffer);
        legacyResponse();
    } else if (tag == jsonTag) {
        QString text = QString::fromUtf8(buffer.constData(), int(qstrnlen(buffer.constData(), answerSize)));
        text.remove(jsonTag);
        qv3Response(text);
    }
}

void Client::setAnswerBuffer(const QByteArray& bytes)
{
    answerBuffer = zeroFilledAnswer(bytes);
}

void Client::legacyResponse()
{
    Device_t record;
    record.code = getId();
    record.moduleId = getHardwareId(record.code);
    record.group = getName(record.code);
    record.description = getDescription(record.code);
    record.serialNumber = getSerialNumber(record.code);
    record.firmwareVersion = getFirmwareVersion(record.code);
    record.mac = getMacAddress();
    record.ip = getIpAddress();
    record.netmask = getMask();
    record.gateway = getGateway();
    record.dhcp = getDhcp(record.code);
    addDevice(record);
}

void Client::qv3Response(QString text)
{
    const QByteArray json = text.toUtf8();
    if (!jsonanswer::isAcceptable(json))
        return;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return;
    const QJsonObject object = document.object();
    Device_t record;
    QStringList keys = object.keys();
    keys.sort();
    for (const QString& key : qAsConst(keys)) {
        const QJsonValue value = object.value(key);
        const QString valueText = value.isString() ? value.toString() : QString();
        const int field = fieldIndexOfKeyword(key);
        if (field >= 0)
            setDeviceField(record, EnumFieldMandatory(field), valueText);
        else
            record.additionalInfo.append(QMap<QString, QString>{{key, valueText}});
    }
    addDevice(record);
}

void Client::addDevice(const Device_t& device)
{
    QMutexLocker locker(&devicesMutex);
    if (foundDevices.size() >= maxScanRecords) {
        m_answersIgnored = true;
        return;
    }
    foundDevices.append(device);
}

QString Client::getId() const
{
    QString code = QStringLiteral("%1%2")
                       .arg(uchar(answerBuffer.at(codeOffset)), 2, 16, QLatin1Char('0'))
                       .arg(uchar(answerBuffer.at(codeOffset + 1)), 2, 16, QLatin1Char('0'))
                       .toUpper();
    // An unlisted beamline variant is handled as its base model.
    if (code.startsWith(QLatin1Char('2')) && getGroupId(code).isEmpty())
        code = code.left(2) + QStringLiteral("00");
    return code;
}

QString Client::getMacAddress() const
{
    return macText(answerBuffer, macOffset);
}

QString Client::dottedAddress(int offset) const
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(uchar(answerBuffer.at(offset)))
        .arg(uchar(answerBuffer.at(offset + 1)))
        .arg(uchar(answerBuffer.at(offset + 2)))
        .arg(uchar(answerBuffer.at(offset + 3)));
}

QString Client::getIpAddress() const
{
    return dottedAddress(ipOffset);
}

QString Client::getMask() const
{
    return dottedAddress(maskOffset);
}

QString Client::getGateway() const
{
    return dottedAddress(gatewayOffset);
}

QString Client::textPart(int offset, int width) const
{
    const char* start = answerBuffer.constData() + offset;
    return QString::fromLocal8Bit(start, int(qstrnlen(start, size_t(width))));
}

QString Client::getAdditionalInfo(bool full) const
{
    const QString partC = textPart(textCOffset, textCBytes);
    if (!full)
        return partC;
    return textPart(textAOffset, shortTextBytes) + textPart(textBOffset, shortTextBytes) + partC;
}

QStringList Client::powerSupplyLines() const
{
    return getAdditionalInfo(true).split(lineSeparator);
}

// The Vesk power supply encodes its identity the way the beamline instruments do.
QString Client::ruleFamily(const QString& code)
{
    if (device::isVeskPowerSupply(code))
        return getGroupId(beamlineReferenceCode);
    return getGroupId(code);
}

QString Client::getHardwareId(QString code) const
{
    const QString family = ruleFamily(code);
    if (family == FamilyIDMap.value(POWER_SUPPLY_SYSTEMS)) {
        const QStringList lines = powerSupplyLines();
        return lines.size() >= psMinimumLines ? lines.at(psModuleIdLine) : unknownText;
    }
    if (family == FamilyIDMap.value(BEAMLINE)) {
        QString id;
        for (int i = 0; i < moduleIdBytes; ++i)
            id += QChar::fromLatin1(answerBuffer.at(moduleIdOffset + i));
        return id;
    }
    if (family == FamilyIDMap.value(CURRENT_TRANSDUCERS) || family == FamilyIDMap.value(TOOLS)) {
        const QString shortText = getAdditionalInfo(false);
        return shortText.isEmpty() ? unknownText : shortText;
    }
    return unknownText;
}

QString Client::getFirmwareVersion(QString code) const
{
    if (ruleFamily(code) == FamilyIDMap.value(POWER_SUPPLY_SYSTEMS)) {
        const QStringList lines = powerSupplyLines();
        return lines.size() >= psMinimumLines ? lines.at(psFirmwareLine) : unknownText;
    }
    const auto character = [this](int i) { return QChar::fromLatin1(answerBuffer.at(firmwareOffset + i)); };
    return QString(character(0)) + QLatin1Char('.') + character(1) + QLatin1Char('.') + character(2) + character(3);
}

QString Client::getDhcp(QString code) const
{
    if (getGroupId(code) != FamilyIDMap.value(POWER_SUPPLY_SYSTEMS))
        return QString();
    const QStringList lines = powerSupplyLines();
    return lines.size() >= psMinimumDhcpLines ? lines.at(psDhcpLine) : unknownText;
}

QString Client::getSerialNumber(QString code) const
{
    const QString family = ruleFamily(code);
    if (family == FamilyIDMap.value(POWER_SUPPLY_SYSTEMS)) {
        const QStringList lines = powerSupplyLines();
        return lines.size() >= psMinimumLines ? lines.at(psSerialLine) : unknownText;
    }
    if (family == FamilyIDMap.value(BEAMLINE))
        return beamlineSerial();
    if (family == FamilyIDMap.value(CURRENT_TRANSDUCERS))
        return currentTransducerSerial();
    if (family == FamilyIDMap.value(TOOLS))
        return toolSerial();
    return unknownText;
}

QString Client::beamlineSerial() const
{
    const auto byteAt = [this](int i) { return quint32(uchar(answerBuffer.at(serialOffset + i))); };
    const auto number = qint32(byteAt(0) << 24 | byteAt(1) << 16 | byteAt(2) << 8 | byteAt(3));
    QString serial = QString::number(number);
    if (serial.size() > beamlineSerialPlainDigits) {
        serial.insert(2, QLatin1Char('Y'));
        serial.insert(5, QLatin1Char('W'));
    }
    return serial;
}

QString Client::signedHexByte(int offset) const
{
    // QString::number would print a negative value as its unsigned 64-bit pattern.
    const int value = qint8(answerBuffer.at(offset));
    const QString hex = value < 0 ? QLatin1Char('-') + QString::number(-value, 16) : QString::number(value, 16);
    return swapCorvixSerialNumber(hex);
}

QString Client::currentTransducerSerial() const
{
    QStringList pairs;
    for (int i = 0; i < 4; ++i)
        pairs << signedHexByte(serialOffset + i);
    const int leading = pairs.at(0).toInt();
    if (leading >= ctYearFormMin && leading <= ctYearFormMax)
        return pairs.at(0) + QLatin1Char('Y') + pairs.at(1) + QLatin1Char('W') + pairs.at(2) + pairs.at(3);
    QString serial = pairs.join(QString());
    if (serial.at(2).toUpper() != QLatin1Char('A')) {
        serial.insert(2, QLatin1Char('A'));
        serial.remove(8, 1);
    }
    serial.insert(5, QLatin1Char('X'));
    return serial.toUpper();
}

QString Client::toolSerial() const
{
    QStringList pairs;
    for (int i = 0; i < 4; ++i)
        pairs << signedHexByte(serialOffset + i);
    return pairs.at(0) + QLatin1Char('Y') + pairs.at(1) + QLatin1Char('W') + pairs.at(2) + pairs.at(3);
}

QString Client::swapCorvixSerialNumber(QString digits)
{
    if (digits.isEmpty())
        return digits;
    if (digits.size() == 1)
        digits.prepend(QLatin1Char('0'));
    const int last = digits.size() - 1;
    return QString(digits.at(last)) + digits.at(last - 1);
}

QString Client::getGroupId(QString code)
{
    return device::getFamily(code);
}

QString Client::getName(QString code)
{
    return device::getGroup(code);
}

QString Client::getDescription(QString code)
{
    return device::getDesc(code);
}

// ---------------------------------------------------------------- motor drivers

// Any host may send to the port; only what has the module's header, a size an answer has, a unit's MAC
// and a sender that is a unit's address becomes a candidate. The rest is counted for the scan's warning.
bool Client::isXportAnswer(const QNetworkDatagram& datagram)
{
    const QByteArray data = datagram.data();
    if (data.size() < lantronixMinimumSize || data.size() > lantronixMaximumSize)
        return false;
    if (!data.startsWith(QByteArray::fromRawData(lantronixAnswerHeader, sizeof lantronixAnswerHeader)))
        return false;
    const QByteArray mac = data.mid(lantronixMacOffset, macBytes);
    if (mac == QByteArray(macBytes, '\0') || (mac.at(0) & macGroupBit))
        return false;
    const QHostAddress sender = datagram.senderAddress();
    return !sender.isNull() && !sender.isMulticast() && sender != QHostAddress(QHostAddress::AnyIPv4) &&
           sender != QHostAddress(QHostAddress::Broadcast);
}

void Client::parseKolvexResponse(const QNetworkDatagram& datagram)
{
    if (!isXportAnswer(datagram)) {
        // The socket also hears the query itself (ours looped back, or another tool's): no answer, no fault.
        if (datagram.data() != QByteArray::fromRawData(lantronixQuery, sizeof lantronixQuery))
            ++m_foreignLantronixAnswers;
        return;
    }
    const QByteArray data = datagram.data();
    Device_t candidate;
    candidate.code = xportCode;
    candidate.mac = macText(data, lantronixMacOffset);
    candidate.ip = datagram.senderAddress().toString();
    QMutexLocker locker(&lantronixMutex);
    if (lantronixDevices.contains(candidate.mac))
        return;
    if (lantronixDevices.size() >= maxScanRecords) {
        m_answersIgnored = true;
        return;
    }
    lantronixDevices.insert(candidate.mac, candidate);
    if (m_queryWhileListening)
        startMotorQuery(candidate);
}

QList<Device_t> Client::lantronixCandidates() const
{
    QMutexLocker locker(&lantronixMutex);
    return lantronixDevices.values();
}

// One deadline for the whole phase: a query still waiting when it passes ends at once, and one not
// yet started only adds its candidate's record, so modules that accept and never answer (or answer
// a byte at a time) cannot hold the scan however many there are.
void Client::processKolvexDevices(const QVector<Device_t>& candidates)
{
    const QDeadlineTimer phaseDeadline(motorQueryBound());
    QList<QFuture<void>> futures;
    futures.reserve(candidates.size());
    for (const Device_t& candidate : candidates) {
        futures.append(QtConcurrent::run(QThreadPool::globalInstance(), [this, candidate, phaseDeadline] {
            readXportInfo(candidate.ip, candidate.mac, phaseDeadline);
        }));
    }
    for (QFuture<void>& future : futures)
        future.waitForFinished();
}

void Client::readXportInfo(QString ip, QString mac)
{
    readXportInfo(ip, mac, QDeadlineTimer(motorQueryBound()));
}

namespace {
// A configured wait, cut at the phase's deadline (0 once it has passed).
int waitWithin(int wait, const QDeadlineTimer& deadline)
{
    return int(qMax<qint64>(0, qMin<qint64>(wait, deadline.remainingTime())));
}
} // namespace

void Client::readXportInfo(QString ip, QString mac, QDeadlineTimer phaseDeadline)
{
    addDevice(xportRecord(ip, mac, phaseDeadline));
}

Device_t Client::xportRecord(const QString& ip, const QString& mac, QDeadlineTimer phaseDeadline)
{
    Device_t record;
    record.code = xportCode;
    record.mac = mac.toUpper();
    record.ip = ip;
    record.netmask = QLatin1String(kolvexNetwork::fixedMask);
    record.gateway = QLatin1String(kolvexNetwork::fixedGateway);
    record.dhcp = xportDhcp;
    if (phaseDeadline.hasExpired()) {
        return record;
    }

    QTcpSocket socket;
    socket.connectToHost(ip, port::command, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    if (!socket.waitForConnected(waitWithin(waitConnected, phaseDeadline))) {
        return record;
    }
    socket.write(textBytes(versionCommand));
    socket.waitForBytesWritten(waitWithin(waitWritten, phaseDeadline));
    const QString version = readAnswerLine(socket, waitRead, phaseDeadline);
    if (!version.startsWith(versionAnswerTag)) {
        socket.disconnectFromHost();
        return record;
    }
    const QStringList fields = version.split(QLatin1Char(':'));
    if (fields.size() == 4 && fields.at(0) == versionAnswerTag && fields.at(1) == motorDriverModel) {
        record.code = motorDriverCode;
        record.firmwareVersion = fields.at(3);
        socket.write(textBytes(serialCommand));
        socket.waitForBytesWritten(waitWithin(waitWritten, phaseDeadline));
        record.serialNumber = readAnswerLine(socket, waitRead, phaseDeadline);
        record.moduleId = record.serialNumber;
    }
    socket.disconnectFromHost();
    record.group = getName(record.code);
    record.description = getDescription(record.code);
    return record;
}

// Ends at the first CR, when no data comes for timeout ms, when the line grows past
// maxAnswerLineBytes, when it has taken answerLineTimeoutFactor timeouts in all or when the
// motor-driver phase is over: a unit that streams without CR must not hold up the scan.
QString Client::readAnswerLine(QTcpSocket& socket, int timeout, QDeadlineTimer phaseDeadline) const
{
    QByteArray buffer;
    QDeadlineTimer deadline(qint64(answerLineTimeoutFactor) * qMax(0, timeout));
    if (phaseDeadline.deadline() < deadline.deadline())
        deadline = phaseDeadline;
    while (!buffer.contains('\r') && buffer.size() < maxAnswerLineBytes) {
        if (socket.bytesAvailable() == 0) {
            const int wait = waitWithin(timeout, deadline);
            if (wait <= 0 || !socket.waitForReadyRead(wait))
                break;
        }
        buffer += socket.read(maxAnswerLineBytes - buffer.size());
    }
    const int textLength = int(qstrnlen(buffer.constData(), size_t(buffer.size())));
    return QString::fromLatin1(buffer.constData(), textLength).trimmed();
}
