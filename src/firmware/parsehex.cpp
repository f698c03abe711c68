// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/parsehex.h"

#include <QFile>

namespace {
constexpr int lineBufferChars = ParseHex::maxLineChars + 1;
constexpr unsigned minLineChars = 10;
constexpr int headerBytes = 4;
constexpr int checksumBytes = 1;

constexpr unsigned char dataRecord = 0x00;
constexpr unsigned char endOfFileRecord = 0x01;
constexpr unsigned char extendedLinearAddressRecord = 0x04;
constexpr int extendedAddressBytes = 2;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool allHexDigits(const QByteArray& text)
{
    for (const char c : text) {
        if (hexDigit(c) < 0)
            return false;
    }
    return true;
}

// Pairs are read from position 1 while the pair starts inside the counted length, so a line counted
// without its last character still yields every pair.
QByteArray decodePairs(const QByteArray& line, unsigned length)
{
    QByteArray bytes;
    for (int k = 0; unsigned(1 + 2 * k) < length && 2 + 2 * k < line.size(); ++k)
        bytes.append(char(hexDigit(line.at(1 + 2 * k)) * 16 + hexDigit(line.at(2 + 2 * k))));
    return bytes;
}

unsigned char byteSum(const QByteArray& bytes)
{
    unsigned char sum = 0;
    for (const char b : bytes)
        sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(b));
    return sum;
}
} // namespace

ParseHex::ParseHex(QObject* parent) : QObject(parent) {}

int ParseHex::refuseLine(const QString& reason)
{
    m_failureReason = reason;
    return lineMalformed;
}

int ParseHex::parseHexLine(char* line, unsigned length)
{
    m_failureReason.clear();
    if (length < minLineChars || line[0] != ':')
        return refuseLine(line[0] == ':' ? tr("the line is too short for a record")
                                         : tr("the line does not start with ':'"));
    QByteArray text(line);
    if (text.endsWith('\r'))
        text.chop(1);
    const QByteArray digits = text.mid(1);
    if (!allHexDigits(digits))
        return refuseLine(tr("the line holds a character that is not a hexadecimal digit"));
    if (digits.size() % 2 != 0)
        return refuseLine(tr("the line holds an odd number of hexadecimal digits"));

    const QByteArray bytes = decodePairs(text, length);
    if (byteSum(bytes) != 0) {
        m_failureReason = tr("checksum error");
        return lineChecksumError;
    }
    const int count = static_cast<unsigned char>(bytes.at(0));
    if (bytes.size() != headerBytes + count + checksumBytes)
        return refuseLine(tr("the byte count %1 disagrees with the %2 data bytes of the line")
                              .arg(count)
                              .arg(bytes.size() - headerBytes - checksumBytes));
    const quint32 addressField =
        quint32(static_cast<unsigned char>(bytes.at(1))) << 8 | static_cast<unsigned char>(bytes.at(2));
    const unsigned char type = static_cast<unsigned char>(bytes.at(3));
    const QByteArray data = bytes.mid(headerBytes, count);

    switch (type) {
    case dataRecord:
        m_recordData.append(data);
        m_recordAddresses.append(m_extAddress + addressField);
        return lineAccepted;
    case endOfFileRecord:
        return lineAccepted;
    case extendedLinearAddressRecord:
        if (addressField != 0 || count != extendedAddressBytes)
            return refuseLine(tr("an extended address record needs address 0000 and two data bytes"));
        m_extAddress = quint32(static_cast<unsigned char>(data.at(0))) << 24 |
                       quint32(static_cast<unsigned char>(data.at(1))) << 16;
        return lineAccepted;
    default:
        return refuseLine(tr("record type %1 is not supported")
                              .arg(QString::number(type, 16).rightJustified(2, QLatin1Char('0')).toUpper()));
    }
}

int ParseHex::readLine(const QByteArray& line, int lineNumber)
{
    if (line.isEmpty())
        return refuseLine(tr("line %1: the line is empty").arg(lineNumber));
    QByteArray buffer = line;
    const int result = parseHexLine(buffer.data(), unsigned(line.size() - 1));
    if (result == lineAccepted)
        return lineAccepted;
    m_failureReason = tr("line %1: %2").arg(lineNumber).arg(m_failureReason);
    return lineMalformed;
}

int ParseHex::parseAllFile(QString path)
{
    m_recordData.clear();
    m_recordAddresses.clear();
    m_failureReason.clear();
    // Each image places itself: nothing is inherited from the file read before.
    m_extAddress = 0;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_failureReason = tr("cannot open %1: %2").arg(path, file.errorString());
        return lineMalformed;
    }
    const QByteArray content = file.readAll();
    file.close();

    QByteArray line;
    int lineNumber = 1;
    for (const char c : content) {
        if (c == '\n') {
            if (readLine(line, lineNumber) != lineAccepted)
                return lineMalformed;
            line.clear();
            ++lineNumber;
            continue;
        }
        if (line.size() == lineBufferChars - 1)
            return refuseLine(tr("line %1: longer than %2 characters").arg(lineNumber).arg(maxLineChars));
        line.append(c);
    }
    // A last line without its newline still counts: dropping it would lose a record without a word.
    if (!line.isEmpty() && readLine(line, lineNumber) != lineAccepted)
        return lineMalformed;
    if (m_recordData.isEmpty())
        return refuseLine(tr("the file holds no data records"));
    return lineAccepted;
}

DataStruct ParseHex::getDataStruct()
{
    return sectionsOf(m_recordAddresses, m_recordData);
}

DataStruct ParseHex::sectionsOf(const QList<quint32>& addresses, const QList<QByteArray>& data)
{
    DataStruct sections;
    if (data.isEmpty())
        return sections;
    sections.startAddresses.append(qint32(addresses.at(0)));
    sections.data.append(data.at(0));
    for (int i = 1; i < data.size(); ++i) {
        const quint32 previous = addresses.at(i - 1);
        const quint32 address = addresses.at(i);
        // The first record at an address wins over a repeat right after it.
        if (address == previous)
            continue;
        // Records count 16-bit words: n bytes cover n / 2 addresses.
        const quint32 expected = previous + quint32(data.at(i - 1).size() / 2);
        if (address != expected) {
            sections.startAddresses.append(qint32(address));
            sections.data.append(QByteArray());
        }
        sections.data.last().append(data.at(i));
    }
    return sections;
}
