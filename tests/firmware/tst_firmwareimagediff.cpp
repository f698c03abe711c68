// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The S-record verdicts of the whole-image check against those of srecord's srec_cat on the same random
// images: one accepts an image exactly when the other does.
//
// Only faults that both readers refuse are made: checksums, counts, lengths, non-hexadecimal characters,
// record types and a cut last line. Where srec_cat is lenient the check is not, on purpose, and those
// images are never made:
// - srec_cat skips a line that does not start with 'S' (also a lower-case 's' or an indented record) as
//   garbage, with a warning; the check refuses it, since the unit would be sent that line;
// - srec_cat takes an image without data (with a warning); the check refuses it, as it would erase nothing
//   and write nothing;
// - srec_cat takes data at any address; the check refuses data beyond the sectors the unit can erase.
// The other way round, srec_cat refuses a wrong S5 count and overlapping records with differing bytes,
// which the check does not look at: the images keep their S5 counts right and their records apart.
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

enum class Damage { None, Checksum, Count, Length, NonHexadecimal, RecordType, CutLastLine };

QString tool()
{
    return QStandardPaths::findExecutable(QStringLiteral("srec_cat"));
}

int below(QRandomGenerator& random, int bound)
{
    return int(random.bounded(quint32(bound)));
}

// A header, data records that never overlap and stay below the erase limit, the S5 count and the end record.
QList<QByteArray> randomRecordLines(QRandomGenerator& random)
{
    const QList<QByteArray> typeSets{"1", "2", "3", "23", "123"};
    const QByteArray types = typeSets.at(below(random, typeSets.size()));
    const QList<srecordimage::Record> records = srecordimage::randomRecords(
        random, types, FirmwareImageCheck::sRecordAddressLimit, 1 + below(random, 20), true);
    const char widest = *std::max_element(types.cbegin(), types.cend());
    QList<QByteArray> lines{srecordimage::line('0', 0, "HDR", {})};
    for (const srecordimage::Record& record : records)
        lines << srecordimage::line(record.type, record.address, record.data, {});
    const QByteArray trailer = srecordimage::trailer(widest, records.size());
    for (const QByteArray& line : trailer.split('\n')) {
        if (!line.isEmpty())
            lines << line;
    }
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
    case Damage::None:
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
    QList<QByteArray> lines = randomRecordLines(random);
    if (below(random, 4) == 0) {
        for (QByteArray& line : lines)
            line = lowerDigits(line);
    }
    const int damagedLine = damage == Damage::CutLastLine ? lines.size() - 1 : below(random, lines.size());
    lines[damagedLine] = damaged(random, lines.at(damagedLine), damage);
    if (damage != Damage::CutLastLine && below(random, 4) == 0)
        lines.insert(1 + below(random, lines.size()), below(random, 2) == 0 ? QByteArray() : QByteArray(" \t"));

    const QByteArray end = below(random, 2) == 0 ? QByteArray("\n") : QByteArray("\r\n");
    QByteArray image = lines.join(end);
    const bool lastLineEnds = damage != Damage::CutLastLine && below(random, 5) != 0;
    if (lastLineEnds)
        image += end + (below(random, 4) == 0 ? end : QByteArray());
    return image;
}

bool acceptedBySrecCat(const QString& path, QString& failure)
{
    QProcess cat;
    cat.start(tool(), {path, QStringLiteral("-o"), QStringLiteral("/dev/null")});
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
    }
    void verdictsMatchSrecCat()
    {
        QFETCH(Damage, damage);
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        const bool shouldPass = damage == Damage::None;
        for (int i = 0; i < imagesPerRow; ++i) {
            const QString path = m_dir.filePath(QStringLiteral("image-%1-%2.flash").arg(seed).arg(i));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QVERIFY(file.write(randomImage(random, damage)) > 0);
            file.close();

            QString toolSays;
            const bool toolAccepts = acceptedBySrecCat(path, toolSays);
            const FirmwareImageCheck::Result result = FirmwareImageCheck::check(path, FirmwareImageKind::SRecord);
            const QString both = QStringLiteral("%1\n  check: %2\n  srec_cat: %3")
                                     .arg(path, result.ok ? QStringLiteral("accepted") : result.message, toolSays);
            QVERIFY2(result.ok == toolAccepts, qPrintable(both));
            // Without this, a generator that made no faults (or only faults) would pass unnoticed.
            QVERIFY2(result.ok == shouldPass, qPrintable(both));
        }
    }
};

QTEST_GUILESS_MAIN(TestFirmwareImageDifferential)
#include "tst_firmwareimagediff.moc"
