// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QtGlobal>

#include <algorithm>

// Firmware images for tests and benchmarks, made here and never taken from a real instrument.
//
// Every image carries its version as the ASCII text "KESTRION-FW-VERSION=" followed by the version; the
// simulator reports that version after the upgrade and the reboot. A power-supply image (.updt) holds it
// in a text head, a beamline image (.flash, Motorola S-records) in the data of its first records (or in
// its S0 header). The rest is pseudo-random and the same for the same seed.
//
//     FirmwareImages::Flash spec;
//     spec.version = QStringLiteral("2.1.07");
//     const QByteArray image = FirmwareImages::flash(spec);
//     ... upgrade through the tool ...
//     QCOMPARE(flashEvent.value("regions").toArray(), FirmwareImages::flashRegions(image));
class FirmwareImages
{
public:
    static QByteArray versionMarker() { return QByteArrayLiteral("KESTRION-FW-VERSION="); }

    // A power-supply image of exactly `size` bytes.
    static QByteArray updt(qint64 size, const QString& version, quint32 seed = 1)
    {
        QByteArray image = updtHead(version).left(int(size));
        image.reserve(int(size));
        Noise noise(seed);
        while (image.size() < size)
            image.append(noise.bytes(int(std::min<qint64>(size - image.size(), kBlock))));
        return image;
    }

    // The same image written block by block, so that a 64 MiB image never sits in memory.
    static bool writeUpdt(const QString& path, qint64 size, const QString& version, quint32 seed = 1)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        const QByteArray head = updtHead(version).left(int(size));
        qint64 written = file.write(head);
        Noise noise(seed);
        while (written >= 0 && written < size)
            written += file.write(noise.bytes(int(std::min<qint64>(size - written, kBlock))));
        return written == size && file.flush();
    }

    struct Flash
    {
        quint32 start = 0;
        // Data records, each of bytesPerRecord bytes, at consecutive addresses from start.
        int lines = 64;
        int bytesPerRecord = 32;
        // '1', '2' or '3': 16-, 24- or 32-bit addresses; the end record is S9, S8 or S7 to match.
        char type = '1';
        QString version;
        bool versionInHeader = false;
        bool countRecord = false;
        QByteArray lineEnd = QByteArrayLiteral("\r\n");
        QByteArray header = QByteArrayLiteral("kestrion test image");
        quint32 seed = 1;
    };

    // An S-record image: S0 header, the data records, an optional S5 count and the end record.
    static QByteArray flash(const Flash& spec)
    {
        const QByteArray marker = spec.version.isEmpty() ? QByteArray() : versionMarker() + spec.version.toLatin1();
        QByteArray image = record('0', 0, spec.versionInHeader ? marker : spec.header) + spec.lineEnd;
        QByteArray data = spec.versionInHeader || marker.isEmpty() ? QByteArray() : marker + '\0';
        Noise noise(spec.seed);
        const qint64 total = qint64(spec.lines) * spec.bytesPerRecord;
        data.append(noise.bytes(int(std::max<qint64>(0, total - data.size()))));
        for (int i = 0; i < spec.lines; ++i) {
            const quint32 address = spec.start + quint32(i * spec.bytesPerRecord);
            image += record(spec.type, address, data.mid(i * spec.bytesPerRecord, spec.bytesPerRecord)) + spec.lineEnd;
        }
        if (spec.countRecord)
            image += record('5', quint32(spec.lines), QByteArray()) + spec.lineEnd;
        image += record(char('0' + 10 - (spec.type - '0')), spec.start, QByteArray()) + spec.lineEnd;
        return image;
    }

    // One record as text, without line end, with its checksum.
    static QByteArray record(char type, quint32 address, const QByteArray& data)
    {
        const int width = type == '2' || type == '6' || type == '8' ? 3 : type == '3' || type == '7' ? 4 : 2;
        QByteArray bytes;
        bytes.append(char(width + data.size() + 1));
        for (int i = width - 1; i >= 0; --i)
            bytes.append(char(address >> (8 * i)));
        bytes.append(data);
        quint8 sum = 0;
        for (char byte : bytes)
            sum = quint8(sum + quint8(byte));
        bytes.append(char(~sum));
        return QByteArray("S") + type + bytes.toHex().toUpper();
    }

    // The same record with a wrong checksum.
    static QByteArray badChecksum(QByteArray line)
    {
        const int last = line.size() - 1;
        line[last] = line.at(last) == '0' ? '1' : '0';
        return line;
    }

    // What the simulator's "flash" event reports for a programming run with this image: the contiguous
    // stretches of the data records, in address order, as {"start", "length", "sha256"}.
    static QJsonArray flashRegions(const QByteArray& image)
    {
        QMap<quint64, QByteArray> stretches;
        for (QByteArray line : image.split('\n')) {
            line = line.trimmed();
            const int width = line.startsWith("S1") ? 2 : line.startsWith("S2") ? 3 : line.startsWith("S3") ? 4 : 0;
            if (width == 0)
                continue;
            const QByteArray bytes = QByteArray::fromHex(line.mid(2));
            quint64 address = 0;
            for (int i = 1; i <= width; ++i)
                address = (address << 8) | quint8(bytes.at(i));
            stretches.insert(address, bytes.mid(1 + width, bytes.size() - width - 2));
        }
        QJsonArray regions;
        for (auto it = stretches.constBegin(); it != stretches.constEnd();) {
            const quint64 start = it.key();
            QByteArray content;
            while (it != stretches.constEnd() && it.key() == start + quint64(content.size())) {
                content += it.value();
                ++it;
            }
            regions.append(QJsonObject{
                {QStringLiteral("start"), qint64(start)},
                {QStringLiteral("length"), content.size()},
                {QStringLiteral("sha256"),
                 QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex())}});
        }
        return regions;
    }

    static QString sha256Hex(const QByteArray& bytes)
    {
        return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    }

    static bool write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
               file.flush();
    }

private:
    static constexpr int kBlock = 1 << 20;

    static QByteArray updtHead(const QString& version)
    {
        QByteArray head = QByteArrayLiteral("KESTRION TEST IMAGE\n");
        if (!version.isEmpty())
            head += versionMarker() + version.toLatin1() + '\n';
        return head;
    }

    // xorshift32: fast, seeded, and with no marker text in it by any reasonable chance.
    class Noise
    {
    public:
        explicit Noise(quint32 seed) : m_state(seed == 0 ? 1 : seed) {}

        QByteArray bytes(int count)
        {
            QByteArray out(count, Qt::Uninitialized);
            char* bytes = out.data();
            for (int i = 0; i < count; ++i) {
                m_state ^= m_state << 13;
                m_state ^= m_state >> 17;
                m_state ^= m_state << 5;
                bytes[i] = char(m_state >> 24);
            }
            return out;
        }

    private:
        quint32 m_state;
    };
};
