// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/firmwareimagecheck.h"

#include "firmware/parsehex.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>

using Result = FirmwareImageCheck::Result;

namespace {
constexpr qint64 detectBytes = 4096;
constexpr qint64 chunkBytes = 1 << 20;

// 'S', the type digit, then at most 255 counted bytes and the count itself, as hexadecimal digit pairs.
constexpr int maxRecordChars = 2 + 2 + 255 * 2;
// One more than a record with CR LF: a piece that long without its line feed is an over-long line.
constexpr qint64 recordPieceBytes = maxRecordChars + 3;
constexpr int typeIndex = 1;
constexpr int digitsIndex = 2;

Result passed()
{
    Result result;
    result.ok = true;
    return result;
}

Result failed(const QString& name, int line, const QString& reason)
{
    Result result;
    result.line = line;
    result.reason = reason;
    // One arg() call for all parts, so that a '%' in the path is never taken for a place marker.
    result.message = line > 0
                         ? FirmwareImageCheck::tr("ERROR: %1: line %2: %3").arg(name, QString::number(line), reason)
                         : FirmwareImageCheck::tr("ERROR: %1: %2").arg(name, reason);
    return result;
}

QString upperHex(quint64 value, int width = 0)
{
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

QString tooLarge()
{
    return FirmwareImageCheck::tr("%1 (more than %2 bytes)")
        .arg(qt_error_string(EFBIG))
        .arg(FirmwareImageCheck::maxImageBytes);
}

QString emptyFile()
{
    return FirmwareImageCheck::tr("the file is empty");
}

QString unreadable(const QIODevice& image)
{
    return FirmwareImageCheck::tr("cannot read the file: %1").arg(image.errorString());
}

// Why the content is not of the kind it is checked as, or empty. Only a clear sign counts: a text image
// checked as the other text kind or as a power-supply image; anything else is left to the kind's own checks.
QString kindMismatch(QIODevice& image, FirmwareImageKind kind)
{
    const FirmwareImageKind looksLike = FirmwareImageCheck::detectKind(image);
    if (looksLike == kind || looksLike == FirmwareImageKind::PowerSupplyImage)
        return {};
    return FirmwareImageCheck::tr("looks like %1, not %2")
        .arg(FirmwareImageCheck::kindDescription(looksLike), FirmwareImageCheck::kindDescription(kind));
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isPrintable(char c)
{
    return c > ' ' && c < 0x7F;
}

// Control characters and bytes above ASCII would disappear in the log, so they are shown by their value.
QString shownCharacter(char c)
{
    if (isPrintable(c))
        return QStringLiteral("'%1'").arg(QLatin1Char(c));
    return QStringLiteral("0x") + upperHex(quint8(c), 2);
}

int addressBytesOf(char type)
{
    switch (type) {
    case '0':
    case '1':
    case '5':
    case '9':
        return 2;
    case '2':
    case '6':
    case '8':
        return 3;
    case '3':
    case '7':
        return 4;
    default:
        return 0;
    }
}

bool isDataRecord(char type)
{
    return type == '1' || type == '2' || type == '3';
}

QByteArray withoutLineEnd(QByteArray piece)
{
    if (piece.endsWith('\n'))
        piece.chop(1);
    if (piece.endsWith('\r'))
        piece.chop(1);
    return piece;
}

bool isBlankLine(const QByteArray& text)
{
    return text.trimmed().isEmpty();
}

// The fault of the characters after the type, or empty when they are an even number of hexadecimal digits.
QString digitsFault(const QByteArray& text)
{
    for (int i = digitsIndex; i < text.size(); ++i) {
        if (isHexDigit(text.at(i)))
            continue;
        // Trailing blanks get their own words: they are invisible in most editors.
        const bool blanksToTheEnd = std::all_of(text.cbegin() + i, text.cend(), isBlank);
        if (blanksToTheEnd)
            return FirmwareImageCheck::tr("spaces or tabs after the record, from column %1").arg(i + 1);
        return FirmwareImageCheck::tr("non-hexadecimal character %1 at column %2")
            .arg(shownCharacter(text.at(i)))
            .arg(i + 1);
    }
    if ((text.size() - digitsIndex) % 2 != 0)
        return FirmwareImageCheck::tr("an odd number of hexadecimal digits after the record type");
    return {};
}

// Ones' complement of the low byte of the sum of count, address and data.
quint8 checksumOf(const QByteArray& countedBytes)
{
    quint8 sum = 0;
    for (const char byte : countedBytes)
        sum = quint8(sum + quint8(byte));
    return quint8(~sum);
}

quint64 bigEndian(const QByteArray& bytes)
{
    quint64 value = 0;
    for (const char byte : bytes)
        value = value << 8 | quint8(byte);
    return value;
}

struct DataRange
{
    bool isData = false;
    quint64 first = 0;
    quint64 bytes = 0;
};

// The fault of one record line (without its line end), or empty; `range` gets the bytes a data record writes.
QString recordFault(const QByteArray& text, DataRange& range)
{
    if (text.at(0) != 'S')
        return FirmwareImageCheck::tr("the line does not start with 'S'");
    if (text.size() <= typeIndex)
        return FirmwareImageCheck::tr("the line ends after 'S', without a record type");
    const char type = text.at(typeIndex);
    const int addressBytes = addressBytesOf(type);
    if (addressBytes == 0)
        return FirmwareImageCheck::tr("unknown record type S%1")
            .arg(isPrintable(type) ? QString(QLatin1Char(type)) : shownCharacter(type));
    const QString digits = digitsFault(text);
    if (!digits.isEmpty())
        return digits;

    const QByteArray bytes = QByteArray::fromHex(text.mid(digitsIndex));
    const int following = bytes.size() - 1;
    if (bytes.isEmpty())
        return FirmwareImageCheck::tr("too short for an S%1 record").arg(QLatin1Char(type));
    const int count = quint8(bytes.at(0));
    if (count != following)
        return FirmwareImageCheck::tr("count 0x%1 does not match the %2 bytes that follow")
            .arg(upperHex(quint64(count), 2))
            .arg(following);
    if (count < addressBytes + 1)
        return FirmwareImageCheck::tr("too short for an S%1 record").arg(QLatin1Char(type));

    const quint8 expected = checksumOf(bytes.left(following));
    const quint8 found = quint8(bytes.at(bytes.size() - 1));
    if (found != expected)
        return FirmwareImageCheck::tr("bad checksum (is %1, should be %2)")
            .arg(upperHex(found, 2), upperHex(expected, 2));

    range = {};
    if (isDataRecord(type))
        range = {true, bigEndian(bytes.mid(1, addressBytes)), quint64(count - addressBytes - 1)};
    return {};
}

// The first address of the range that the beamline procedure cannot erase, or empty when there is none.
// A data record without data counts as one byte: the procedure picks the sectors to erase from the
// record's address all the same.
QString addressFault(const DataRange& range)
{
    const quint64 limit = FirmwareImageCheck::sRecordAddressLimit;
    if (!range.isData || range.first + qMax<quint64>(range.bytes, 1) <= limit)
        return {};
    return FirmwareImageCheck::tr("writes at address %1 (hexadecimal), beyond the flash sectors that can be erased")
        .arg(upperHex(qMax(range.first, limit)));
}

// The unit takes the image one line at a time, so every line must be a whole record: a fault anywhere is
// found before the first sector is erased.
Result checkSRecords(QIODevice& image, const QString& name)
{
    const QString mismatch = kindMismatch(image, FirmwareImageKind::SRecord);
    if (!mismatch.isEmpty())
        return failed(name, 0, mismatch);
    int lineNumber = 0;
    qint64 totalBytes = 0;
    bool writesData = false;
    while (!image.atEnd()) {
        const QByteArray piece = image.readLine(recordPieceBytes);
        if (piece.isEmpty())
            return failed(name, 0, unreadable(image));
        ++lineNumber;
        totalBytes += piece.size();
        if (totalBytes > FirmwareImageCheck::maxImageBytes)
            return failed(name, 0, tooLarge());
        const QByteArray text = withoutLineEnd(piece);
        if (text.size() > maxRecordChars)
            return failed(name, lineNumber,
                          FirmwareImageCheck::tr("line longer than %1 characters").arg(maxRecordChars));
        if (isBlankLine(text))
            continue;
        DataRange range;
        QString fault = recordFault(text, range);
        if (fault.isEmpty())
            fault = addressFault(range);
        if (!fault.isEmpty())
            return failed(name, lineNumber, fault);
        writesData = writesData || range.bytes > 0;
    }
    if (lineNumber == 0)
        return failed(name, 0, emptyFile());
    if (!writesData)
        return failed(name, 0, FirmwareImageCheck::tr("no S1, S2 or S3 data record"));
    return passed();
}

// The parser puts the line number in front of its reason; the number goes into the result's line of its
// own. The pattern comes from the parser's own (possibly translated) text.
void moveLineNumber(QString& reason, int& line)
{
    const QString format = ParseHex::tr("line %1: %2");
    const int numberAt = format.indexOf(QLatin1String("%1"));
    const int textAt = format.indexOf(QLatin1String("%2"));
    if (numberAt < 0 || textAt < numberAt)
        return;
    const QRegularExpression pattern(
        QLatin1Char('^') + QRegularExpression::escape(format.left(numberAt)) + QStringLiteral("(\\d+)") +
            QRegularExpression::escape(format.mid(numberAt + 2, textAt - numberAt - 2)) + QStringLiteral("(.*)") +
            QRegularExpression::escape(format.mid(textAt + 2)) + QLatin1Char('$'),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = pattern.match(reason);
    if (!match.hasMatch())
        return;
    line = match.captured(1).toInt();
    reason = match.captured(2);
}

Result parseHexFile(const QString& path, const QString& name)
{
    ParseHex parser;
    if (parser.parseAllFile(path) == ParseHex::lineAccepted)
        return passed();
    QString reason = parser.failureReason();
    int line = 0;
    moveLineNumber(reason, line);
    return failed(name, line, reason);
}

// The parser reads files only: a device's content goes through a temporary copy.
Result checkIntelHexCopy(QIODevice& image, const QString& name)
{
    QTemporaryFile copy;
    if (!copy.open())
        return failed(name, 0, FirmwareImageCheck::tr("cannot make a temporary copy: %1").arg(copy.errorString()));
    qint64 totalBytes = 0;
    while (!image.atEnd()) {
        const QByteArray chunk = image.read(chunkBytes);
        if (chunk.isEmpty())
            return failed(name, 0, unreadable(image));
        totalBytes += chunk.size();
        if (totalBytes > FirmwareImageCheck::maxImageBytes)
            return failed(name, 0, tooLarge());
        if (copy.write(chunk) != chunk.size())
            return failed(name, 0, FirmwareImageCheck::tr("cannot make a temporary copy: %1").arg(copy.errorString()));
    }
    if (totalBytes == 0)
        return failed(name, 0, emptyFile());
    copy.close();
    return parseHexFile(copy.fileName(), name);
}

// `path` names the device's file when the device is that file from its start; the parser reads it itself.
Result checkIntelHex(QIODevice& image, const QString& name, const QString& path)
{
    const QString mismatch = kindMismatch(image, FirmwareImageKind::IntelHex);
    if (!mismatch.isEmpty())
        return failed(name, 0, mismatch);
    if (path.isEmpty())
        return checkIntelHexCopy(image, name);
    if (image.size() == 0)
        return failed(name, 0, emptyFile());
    return parseHexFile(path, name);
}

// The supply takes the file unchanged, so only its being readable, not empty and not a text image counts.
// It is read in chunks: these images run to hundreds of MiB.
Result checkPowerSupplyImage(QIODevice& image, const QString& name)
{
    const QString mismatch = kindMismatch(image, FirmwareImageKind::PowerSupplyImage);
    QByteArray chunk(int(chunkBytes), Qt::Uninitialized);
    qint64 totalBytes = 0;
    while (!image.atEnd()) {
        const qint64 read = image.read(chunk.data(), chunkBytes);
        if (read <= 0)
            return failed(name, 0, unreadable(image));
        totalBytes += read;
        if (totalBytes > FirmwareImageCheck::maxImageBytes)
            return failed(name, 0, tooLarge());
    }
    if (totalBytes == 0)
        return failed(name, 0, emptyFile());
    if (!mismatch.isEmpty())
        return failed(name, 0, mismatch);
    return passed();
}

Result checkOpened(QIODevice& image, const QString& name, FirmwareImageKind kind, const QString& path)
{
    if (!image.isReadable())
        return failed(name, 0, FirmwareImageCheck::tr("the file is not open for reading"));
    if (!image.isSequential() && image.size() - image.pos() > FirmwareImageCheck::maxImageBytes)
        return failed(name, 0, tooLarge());
    switch (kind) {
    case FirmwareImageKind::SRecord:
        return checkSRecords(image, name);
    case FirmwareImageKind::IntelHex:
        return checkIntelHex(image, name, path);
    case FirmwareImageKind::PowerSupplyImage:
        break;
    }
    return checkPowerSupplyImage(image, name);
}
} // namespace

FirmwareImageKind FirmwareImageCheck::detectKind(QIODevice& image)
{
    if (!image.isReadable())
        return FirmwareImageKind::PowerSupplyImage;
    const QByteArray start = image.peek(detectBytes);
    for (const QByteArray& line : start.split('\n')) {
        if (isBlankLine(line))
            continue;
        if (line.startsWith(':'))
            return FirmwareImageKind::IntelHex;
        if (line.size() > typeIndex && line.at(0) == 'S' && line.at(typeIndex) >= '0' && line.at(typeIndex) <= '9')
            return FirmwareImageKind::SRecord;
        break;
    }
    return FirmwareImageKind::PowerSupplyImage;
}

FirmwareImageKind FirmwareImageCheck::detectKind(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FirmwareImageKind::PowerSupplyImage;
    return detectKind(file);
}

Result FirmwareImageCheck::check(const QString& path, FirmwareImageKind kind)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(path, 0, tr("cannot open the file: %1").arg(file.errorString()));
    return checkOpened(file, path, kind, path);
}

Result FirmwareImageCheck::check(QIODevice& image, const QString& name, FirmwareImageKind kind)
{
    if (!image.isOpen() && !image.open(QIODevice::ReadOnly))
        return failed(name, 0, tr("cannot open the file: %1").arg(image.errorString()));
    return checkOpened(image, name, kind, QString());
}

QString FirmwareImageCheck::kindDescription(FirmwareImageKind kind)
{
    switch (kind) {
    case FirmwareImageKind::SRecord:
        return tr("an S-record image (.flash)");
    case FirmwareImageKind::IntelHex:
        return tr("an Intel HEX image (.hex)");
    case FirmwareImageKind::PowerSupplyImage:
        break;
    }
    return tr("a power-supply image (.updt)");
}
