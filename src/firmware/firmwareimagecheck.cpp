// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/firmwareimagecheck.h"

#include "firmware/heximagereader.h"
#include "firmware/sendfirmware.h"
#include "firmware/srecordimagereader.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>

using Result = FirmwareImageCheck::Result;

namespace {
constexpr qint64 detectBytes = 4096;
constexpr qint64 chunkBytes = 1 << 20;
constexpr int typeIndex = 1;

Result failed(const QString& name, const ImageFault& fault)
{
    Result result;
    result.line = fault.line;
    result.column = fault.line > 0 ? fault.column : 0;
    result.reason = fault.line > 0 ? FirmwareImageCheck::tr("line %1, column %2: %3")
                                         .arg(QString::number(fault.line), QString::number(fault.column), fault.what)
                                   : fault.what;
    // One arg() call for both parts, so that a '%' in the path is never taken for a place marker.
    result.message = FirmwareImageCheck::tr("ERROR: %1: %2").arg(name, result.reason);
    return result;
}

Result failed(const QString& name, const QString& reason)
{
    return failed(name, ImageFault::ofFile(reason));
}

QString tooLarge(qint64 limit)
{
    return FirmwareImageCheck::tr("%1 (more than %2 bytes)").arg(qt_error_string(EFBIG)).arg(limit);
}

QString emptyFile()
{
    return FirmwareImageCheck::tr("the file is empty");
}

QString unreadable(const QIODevice& image)
{
    return FirmwareImageCheck::tr("cannot read the file: %1").arg(image.errorString());
}

bool isBlankLine(const QByteArray& text)
{
    return text.trimmed().isEmpty();
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

// The whole device as bytes, or a reason in `problem`.
QByteArray readWhole(QIODevice& image, qint64 limit, QString& problem)
{
    QByteArray content;
    if (!image.isSequential())
        content.reserve(int(qMin(limit, image.size() - image.pos())));
    while (!image.atEnd()) {
        const QByteArray chunk = image.read(chunkBytes);
        if (chunk.isEmpty()) {
            problem = unreadable(image);
            return {};
        }
        if (content.size() + chunk.size() > limit) {
            problem = tooLarge(limit);
            return {};
        }
        content += chunk;
    }
    if (content.isEmpty())
        problem = emptyFile();
    return content;
}

ImageFault readRecords(const QByteArray& content, FirmwareImageKind kind, FirmwareImage& image)
{
    if (kind == FirmwareImageKind::SRecord)
        return SRecordImageReader(FirmwareImageCheck::sRecordAddressLimit).read(content, image);
    return HexImageReader(SendFirmware::rangeStart, SendFirmware::rangeEnd, SendFirmware::blockWords)
        .read(content, image);
}

// The units take text images record by record: every record is read and checked here, and the records
// themselves are what the procedures send.
Result checkTextImage(QIODevice& image, const QString& name, FirmwareImageKind kind)
{
    const QString mismatch = kindMismatch(image, kind);
    if (!mismatch.isEmpty())
        return failed(name, mismatch);
    QString problem;
    const QByteArray content = readWhole(image, FirmwareImageCheck::maxTextImageBytes, problem);
    if (!problem.isEmpty())
        return failed(name, problem);
    Result result;
    result.image.kind = kind;
    const ImageFault fault = readRecords(content, kind, result.image);
    if (fault.isFault())
        return failed(name, fault);
    result.ok = true;
    result.image.fileBytes = content.size();
    result.image.sha256 = QCryptographicHash::hash(content, QCryptographicHash::Sha256);
    return result;
}

// The supply takes the file unchanged, so only its being readable, not empty and not a text image counts.
// It is read in chunks: these images run to hundreds of MiB.
Result checkPowerSupplyImage(QIODevice& image, const QString& name)
{
    const QString mismatch = kindMismatch(image, FirmwareImageKind::PowerSupplyImage);
    QCryptographicHash digest(QCryptographicHash::Sha256);
    QByteArray chunk(int(chunkBytes), Qt::Uninitialized);
    qint64 totalBytes = 0;
    while (!image.atEnd()) {
        const qint64 read = image.read(chunk.data(), chunkBytes);
        if (read <= 0)
            return failed(name, unreadable(image));
        totalBytes += read;
        if (totalBytes > FirmwareImageCheck::maxImageBytes)
            return failed(name, tooLarge(FirmwareImageCheck::maxImageBytes));
        digest.addData(chunk.constData(), int(read));
    }
    if (totalBytes == 0)
        return failed(name, emptyFile());
    if (!mismatch.isEmpty())
        return failed(name, mismatch);
    Result result;
    result.ok = true;
    result.image.fileBytes = totalBytes;
    result.image.dataBytes = quint64(totalBytes);
    result.image.sha256 = digest.result();
    return result;
}

Result checkOpened(QIODevice& image, const QString& name, FirmwareImageKind kind)
{
    if (!image.isReadable())
        return failed(name, FirmwareImageCheck::tr("the file is not open for reading"));
    const qint64 limit = kind == FirmwareImageKind::PowerSupplyImage ? FirmwareImageCheck::maxImageBytes
                                                                     : FirmwareImageCheck::maxTextImageBytes;
    if (!image.isSequential() && image.size() - image.pos() > limit)
        return failed(name, tooLarge(limit));
    Result result = kind == FirmwareImageKind::PowerSupplyImage ? checkPowerSupplyImage(image, name)
                                                                : checkTextImage(image, name, kind);
    result.image.kind = kind;
    result.image.path = name;
    return result;
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
        return failed(path, tr("cannot open the file: %1").arg(file.errorString()));
    return checkOpened(file, path, kind);
}

Result FirmwareImageCheck::check(QIODevice& image, const QString& name, FirmwareImageKind kind)
{
    if (!image.isOpen() && !image.open(QIODevice::ReadOnly))
        return failed(name, tr("cannot open the file: %1").arg(image.errorString()));
    return checkOpened(image, name, kind);
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
