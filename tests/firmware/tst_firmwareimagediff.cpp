// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The S-record verdicts of the whole-image check against those of srecord's srec_cat on the same random
// images, and for the images both take, the bytes each reads from them.
//
// The images take every shape a beamline instrument is sent (S1, S2 and S3 records, gaps, S5 or S6
// counts or none, LF or CR LF, lower-case digits, blank lines, a last line without a line end); each
// damaged row breaks one thing in every image, which the check must refuse. srec_cat must refuse it too,
// except where it is lenient and the check is not, on purpose:
// - srec_cat skips a line that does not start with 'S' (a lower-case 's', an indented record, a NUL
//   first) as garbage, with a warning; the check refuses it, since the unit would be sent that line;
// - srec_cat reads records after the end record with a warning (two files joined); the check refuses
//   them, as the unit would stop at the end record.
// Images it never sees here, being lenient there too: an image without data (the check refuses it, as it
// would erase nothing and write nothing), data beyond the sectors the unit can erase, and records that
// overlap with equal bytes (the check refuses every address written twice).
#include "firmware/firmwareimagecheck.h"
#include "srecordimage.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {
constexpr int toolWaitMs = 30000;
constexpr int imagesPerRow = 50;
constexpr int typeIndex = 1;
constexpr int digitsIndex = 2;

enum class Damage {
    None,
    Checksum,
    Count,
    Length,
    NonHexadecimal,
    RecordType,
    CutLastLine,
    Overlap,
    CountRecord,
    AfterEnd,
    StrangeByte,
    NotRecordMark,
    CarriageReturnOnly
};

// Where srec_cat may take what the check refuses: see the top of this file.
bool refusedOnPurpose(Damage damage)
{
    return damage == Damage::AfterEnd || damage == Damage::NotRecordMark;
}

QString tool()
{
    return QStandardPaths::findExecutable(QStringLiteral("srec_cat"));
}

int below(QRandomGenerator& random, int bound)
{
    return int(random.bounded(quint32(bound)));
}

// A second record over part of another, with other bytes.
srecordimage::Record overlapping(QRandomGenerator& random, const srecordimage::Record& record)
{
    const int shift = below(random, record.data.size());
    QByteArray data = record.data.mid(shift);
    for (char& byte : data)
        byte = char(~byte);
    return {record.type, record.address + quint32(shift), data};
}

// A header, data records that stay below the erase limit, a count (S5, S6 or none) and the end record.
QList<QByteArray> randomRecordLines(QRandomGenerator& random, Damage damage)
{
    const QList<QByteArray> typeSets{"1", "2", "3", "23", "123"};
    const QByteArray types = typeSets.at(below(random, typeSets.size()));
    QList<srecordimage::Record> records = srecordimage::randomRecords(
        random, types, FirmwareImageCheck::sRecordAddressLimit, 1 + below(random, 20), true);
    if (damage == Damage::Overlap)
        records.insert(below(random, records.size() + 1),
                       overlapping(random, records.at(below(random, records.size()))));
    const char widest = *std::max_element(types.cbegin(), types.cend());
    QList<QByteArray> lines{srecordimage::line('0', 0, "HDR", {})};
    for (const srecordimage::Record& record : records)
        lines << srecordimage::line(record.type, record.address, record.data, {});
    const int count = records.size() + (damage == Damage::CountRecord ? (below(random, 2) == 0 ? -1 : 1) : 0);
    if (damage == Damage::CountRecord || below(random, 4) != 0)
        lines << srecordimage::line(below(random, 3) == 0 ? '6' : '5', quint32(count), {}, {});
    lines << srecordimage::line(widest == '3' ? '7' : (widest == '2' ? '8' : '9'), 0, {}, {});
    return lines;
}

char otherHexDigit(QRandomGenerator& random, char digit)
{
    const QByteArray digits("0123456789ABCDEF");
    char other = digit;
    while (QChar::toUpper(uint(other)) == QChar::toUpper(uint(digit)))
        other = digits.at(below(random, digits.size()));
    return other;
}

QByteArray withChecksum(QByteArray bytes)
{
    quint8 sum = 0;
    for (int i = 0; i < bytes.size() - 1; ++i)
        sum = quint8(sum + quint8(bytes.at(i)));
    bytes[bytes.size() - 1] = char(~sum);
    return bytes;
}

// Another count, with the checksum made right for it, so that only the count is wrong.
QByteArray wrongCount(QRandomGenerator& random, const QByteArray& record)
{
    QByteArray bytes = QByteArray::fromHex(record.mid(digitsIndex));
    const quint8 count = quint8(bytes.at(0));
    quint8 other = count;
    while (other == count)
        other = quint8(below(random, 256));
    bytes[0] = char(other);
    return record.left(digitsIndex) + withChecksum(bytes).toHex().toUpper();
}

// One digit or one pair of digits fewer.
QByteArray wrongLength(QRandomGenerator& random, QByteArray record)
{
    const int digits = record.size() - digitsIndex;
    if (below(random, 2) == 0)
        return record.remove(digitsIndex + below(random, digits), 1);
    return record.remove(digitsIndex + 2 * below(random, digits / 2), 2);
}

QByteArray damaged(QRandomGenerator& random, QByteArray record, Damage damage)
{
    const int digits = record.size() - digitsIndex;
    switch (damage) {
    case Damage::Checksum:
        record[record.size() - 1] = otherHexDigit(random, record.at(record.size() - 1));
        return record;
    case Damage::Count:
        return wrongCount(random, record);
    case Damage::Length:
        return wrongLength(random, record);
    case Damage::NonHexadecimal: {
        const QByteArray strangers("GHXZgxz!#.-_ \t");
        record[digitsIndex + below(random, digits)] = strangers.at(below(random, strangers.size()));
        return record;
    }
    case Damage::RecordType: {
        // Never another valid type: S1 read as S3 is a valid record with another address.
        const QByteArray types("4ABXZa:-");
        record[typeIndex] = types.at(below(random, types.size()));
        return record;
    }
    case Damage::CutLastLine:
        return record.left(1 + below(random, record.size() - 1));
    case Damage::StrangeByte: {
        // Never a carriage return last: that would make a CR LF line end.
        const QByteArray strangers = QByteArray("\0\x7F\x80\xFF\t \rG", 9);
        const int at = 1 + below(random, record.size());
        const char stranger =
            strangers.at(below(random, at == record.size() ? strangers.size() - 2 : strangers.size()));
        return below(random, 2) == 0 || at == record.size() ? record.insert(at, stranger)
                                                            : record.replace(at, 1, &stranger, 1);
    }
    case Damage::NotRecordMark: {
        const QByteArray marks = QByteArray("\0s :\xC2", 5);
        record[0] = marks.at(below(random, marks.size()));
        return record;
    }
    default:
        break;
    }
    return record;
}

QByteArray lowerDigits(const QByteArray& record)
{
    return record.left(digitsIndex) + record.mid(digitsIndex).toLower();
}

// Line ends, letter case and blank lines vary; both readers take all of them.
QByteArray randomImage(QRandomGenerator& random, Damage damage)
{
    if (damage == Damage::AfterEnd) {
        QByteArray first = randomImage(random, Damage::None);
        return (first.endsWith('\n') ? first : first + '\n') + randomImage(random, Damage::None);
    }
    QList<QByteArray> lines = randomRecordLines(random, damage);
    if (below(random, 4) == 0) {
        for (QByteArray& line : lines)
            line = lowerDigits(line);
    }
    const int damagedLine = damage == Damage::CutLastLine ? lines.size() - 1 : below(random, lines.size());
    lines[damagedLine] = damaged(random, lines.at(damagedLine), damage);
    if (damage != Damage::CutLastLine && below(random, 4) == 0)
        lines.insert(1 + below(random, lines.size()), below(random, 2) == 0 ? QByteArray() : QByteArray(" \t"));

    QByteArray end = below(random, 2) == 0 ? QByteArray("\n") : QByteArray("\r\n");
    if (damage == Damage::CarriageReturnOnly)
        end = "\r";
    QByteArray image = lines.join(end);
    const bool lastLineEnds = damage != Damage::CutLastLine && below(random, 5) != 0;
    if (lastLineEnds)
        image += end + (below(random, 4) == 0 ? end : QByteArray());
    return image;
}

// The file's records as the unit gets them: blank lines left out, the last line ended like the others.
QByteArray recordsToSend(const QByteArray& image)
{
    const QByteArray end = image.contains("\r\n") ? "\r\n" : "\n";
    QByteArray records;
    for (const QByteArray& line : image.split('\n')) {
        if (!line.trimmed().isEmpty())
            records += line.endsWith('\r') ? line + '\n' : line + end;
    }
    return records;
}

// The memory the data records of the sent records fill, from address 0, gaps as zeros: what srec_cat's
// binary output holds.
QByteArray memoryOf(const FirmwareImage& image)
{
    QByteArray memory;
    for (const QByteArray& record : image.records) {
        const int addressBytes = record.at(typeIndex) - '0' + 1;
        if (addressBytes < 2 || addressBytes > 4)
            continue;
        const QByteArray bytes = QByteArray::fromHex(record.mid(digitsIndex).trimmed());
        int address = 0;
        for (int i = 1; i <= addressBytes; ++i)
            address = address << 8 | quint8(bytes.at(i));
        const QByteArray data = bytes.mid(1 + addressBytes, bytes.size() - 2 - addressBytes);
        if (memory.size() < address + data.size())
            memory.append(QByteArray(address + data.size() - memory.size(), '\0'));
        memory.replace(address, data.size(), data);
    }
    return memory;
}

bool acceptedBySrecCat(const QString& path, QString& failure, const QStringList& output = {"/dev/null"})
{
    QProcess cat;
    cat.start(tool(), QStringList{path, QStringLiteral("-o")} + output);
    if (!cat.waitForFinished(toolWaitMs)) {
        cat.kill();
        cat.waitForFinished(toolWaitMs);
        failure = QStringLiteral("srec_cat did not finish");
        return false;
    }
    failure = QString::fromLocal8Bit(cat.readAllStandardError()).trimmed();
    return cat.exitStatus() == QProcess::NormalExit && cat.exitCode() == 0;
}
} // namespace

Q_DECLARE_METATYPE(Damage)

class TestFirmwareImageDifferential : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        if (tool().isEmpty())
            QSKIP("srec_cat (Debian package srecord) is needed to compare with");
        QVERIFY(m_dir.isValid());
    }

    void verdictsMatchSrecCat_data()
    {
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("valid") << Damage::None << 101u;
        QTest::newRow("checksum") << Damage::Checksum << 102u;
        QTest::newRow("count") << Damage::Count << 103u;
        QTest::newRow("length") << Damage::Length << 104u;
        QTest::newRow("non-hexadecimal character") << Damage::NonHexadecimal << 105u;
        QTest::newRow("record type") << Damage::RecordType << 106u;
        QTest::newRow("cut last line") << Damage::CutLastLine << 107u;
        QTest::newRow("overlap with other bytes") << Damage::Overlap << 108u;
        QTest::newRow("wrong count record") << Damage::CountRecord << 109u;
        QTest::newRow("records after the end record") << Damage::AfterEnd << 110u;
        QTest::newRow("NUL or a byte outside the format") << Damage::StrangeByte << 111u;
        QTest::newRow("no 'S' first") << Damage::NotRecordMark << 112u;
        QTest::newRow("CR-only line ends") << Damage::CarriageReturnOnly << 113u;
    }
    void verdictsMatchSrecCat()
    {
        QFETCH(Damage, damage);
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        const bool shouldPass = damage == Damage::None;
        for (int i = 0; i < imagesPerRow; ++i) {
            const QString path = m_dir.filePath(QStringLiteral("image-%1-%2.flash").arg(seed).arg(i));
            const QByteArray content = randomImage(random, damage);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QVERIFY(file.write(content) > 0);
            file.close();

            QString toolSays;
            const bool toolAccepts = acceptedBySrecCat(path, toolSays);
            const FirmwareImageCheck::Result result = FirmwareImageCheck::check(path, FirmwareImageKind::SRecord);
            const QString both = QStringLiteral("%1\n  check: %2\n  srec_cat: %3")
                                     .arg(path, result.ok ? QStringLiteral("accepted") : result.message, toolSays);
            // Without this, a generator that made no faults (or only faults) would pass unnoticed.
            QVERIFY2(result.ok == shouldPass, qPrintable(both));
            QVERIFY2(result.ok == toolAccepts || (toolAccepts && refusedOnPurpose(damage)), qPrintable(both));
            if (!result.ok)
                continue;
            QCOMPARE(QByteArray(result.image.records.join()), recordsToSend(content));
            const QString memory = path + QStringLiteral(".bin");
            QVERIFY2(acceptedBySrecCat(path, toolSays, {memory, QStringLiteral("-binary")}), qPrintable(toolSays));
            QFile written(memory);
            QVERIFY(written.open(QIODevice::ReadOnly));
            QVERIFY2(written.readAll() == memoryOf(result.image), qPrintable(path));
        }
    }
};

QTEST_GUILESS_MAIN(TestFirmwareImageDifferential)
#include "tst_firmwareimagediff.moc"
