// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The Intel HEX verdicts of the whole-image check against Debian's python3-intelhex on the same random
// images, and for the images both take, the records each reads from them.
//
// The images take every shape a motor driver's DSP image has, and some it never has: 16-bit word
// addresses without extended address records (read with limits that take any address), images in the
// DSP's flash with them (checked as the procedure checks them), 32-bit addresses anywhere; gaps, LF or
// CR LF, lower-case digits, empty lines, a last line without a line end. Each damaged row breaks one thing
// in every image, which the check must refuse. intelhex must refuse it too, except where it is lenient
// and the check is not, on purpose:
// - record types 02, 03 and 05, which the bootloader has no use for;
// - data outside the DSP's flash;
// - lines after the end-of-file record (two files joined), which intelhex does not read, and a missing
//   end-of-file record, without which a file cut short at a record boundary would look whole;
// - lines ended by a carriage return alone, which intelhex reads as line ends.
// Word addresses are no byte addresses: intelhex decodes each record on its own (hexreference.py), and
// two records writing one word count as an overlap, which intelhex refuses in its own addressing.
// Lines of spaces, which the check skips as blank, are never made: intelhex refuses them.
#include "common/heximages.h"
#include "firmware/firmwareimagecheck.h"
#include "firmware/heximagereader.h"
#include "hexreference.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using HexImages::Section;

namespace {
constexpr int imagesPerRow = 300;
constexpr quint32 flashStart = 0x3E8000;
constexpr quint32 flashEnd = 0x3F8F00; // the start of the last block, and here of nothing more

enum class Damage {
    None,
    Checksum,
    Count,
    Length,
    NonHexadecimal,
    RecordType,
    EndWithData,
    CutLastLine,
    Overlap,
    AfterEnd,
    MissingEnd,
    StrangeByte,
    NotRecordMark,
    CarriageReturnOnly,
    UnitRecordType,
    OutsideFlash
};
enum class Shape { Words16, Flash, Words32 };

bool refusedOnPurpose(Damage damage)
{
    return damage == Damage::UnitRecordType || damage == Damage::OutsideFlash || damage == Damage::AfterEnd ||
           damage == Damage::MissingEnd || damage == Damage::CarriageReturnOnly;
}

int below(QRandomGenerator& random, int bound)
{
    return int(random.bounded(quint32(bound)));
}

// Sections that never touch, in shuffled file order, all below `end`.
QList<Section> randomSections(QRandomGenerator& random, quint32 start, quint32 end)
{
    QList<Section> sections;
    quint32 next = start;
    for (int i = 1 + below(random, 4); i > 0; --i) {
        const quint32 words = quint32(1 + below(random, 300));
        next += quint32(1 + below(random, 0x400));
        if (next + words > end)
            break;
        sections.append(Section{next, HexImages::pattern(int(2 * words), random.generate())});
        next += words;
    }
    if (sections.isEmpty())
        sections.append(Section{start, HexImages::pattern(2, random.generate())});
    std::shuffle(sections.begin(), sections.end(), random);
    return sections;
}

QList<Section> sectionsOf(QRandomGenerator& random, Shape shape, Damage damage)
{
    switch (shape) {
    case Shape::Words16:
        return randomSections(random, quint32(below(random, 0xF000)), 0x10000);
    case Shape::Flash: {
        QList<Section> sections = randomSections(random, flashStart + quint32(below(random, 0xF000)), flashEnd);
        if (damage == Damage::OutsideFlash) {
            const quint32 outside = below(random, 2) == 0 ? flashStart - 1 - quint32(below(random, 0x800))
                                                          : flashEnd + 0x100 + quint32(below(random, 0x800));
            sections.insert(below(random, sections.size() + 1), Section{outside, HexImages::pattern(2, 1)});
        }
        return sections;
    }
    case Shape::Words32:
        break;
    }
    // Some just below a 64 K-word boundary, so that a section runs across extended addresses.
    const quint32 start = below(random, 2) == 0 ? random.bounded(0x10000u, 0xFFF00000u)
                                                : quint32(1 + below(random, 0xFFEF)) * 0x10000 - 0x80;
    return randomSections(random, start, start + 0x80000);
}

QByteArray withChecksum(QByteArray bytes)
{
    quint8 sum = 0;
    for (int i = 0; i < bytes.size() - 1; ++i)
        sum = quint8(sum + quint8(bytes.at(i)));
    bytes[bytes.size() - 1] = char(-sum);
    return bytes;
}

QByteArray hexLine(const QByteArray& bytes)
{
    return ':' + withChecksum(bytes).toHex().toUpper();
}

// A record over part of a data record, with other bytes; it goes right after that record, under the
// same extended address.
QByteArray overlapping(QRandomGenerator& random, const QByteArray& line)
{
    QByteArray bytes = QByteArray::fromHex(line.mid(1));
    const int words = (bytes.size() - 5) / 2;
    const int shift = below(random, words);
    const quint16 address = quint16((quint8(bytes.at(1)) << 8 | quint8(bytes.at(2))) + shift);
    QByteArray data = bytes.mid(4 + 2 * shift, bytes.size() - 5 - 2 * shift);
    for (char& byte : data)
        byte = char(~byte);
    return HexImages::record(0x00, address, data);
}

QByteArray damaged(QRandomGenerator& random, QByteArray line, Damage damage)
{
    const int digits = line.size() - 1;
    switch (damage) {
    case Damage::Checksum:
        line[line.size() - 1] = line.endsWith('0') ? '1' : '0';
        return line;
    case Damage::Count: {
        QByteArray bytes = QByteArray::fromHex(line.mid(1));
        bytes[0] = char(quint8(bytes.at(0)) + 1 + below(random, 255));
        return hexLine(bytes);
    }
    case Damage::Length:
        return below(random, 2) == 0 ? line.remove(1 + below(random, digits), 1)
                                     : line.remove(1 + 2 * below(random, digits / 2), 2);
    case Damage::NonHexadecimal:
        line[1 + below(random, digits)] = QByteArray("GHXZgxz!#.-_ ").at(below(random, 13));
        return line;
    case Damage::RecordType: {
        QByteArray bytes = QByteArray::fromHex(line.mid(1));
        bytes[3] = char(6 + below(random, 250));
        return hexLine(bytes);
    }
    case Damage::CutLastLine:
        return line.left(1 + below(random, line.size() - 1));
    case Damage::StrangeByte: {
        const QByteArray strangers = QByteArray("\0\x7F\x80\xFF\t \rG", 8);
        const int at = 1 + below(random, line.size());
        const char stranger = strangers.at(below(random, at == line.size() ? strangers.size() - 2 : strangers.size()));
        return below(random, 2) == 0 || at == line.size() ? line.insert(at, stranger)
                                                          : line.replace(at, 1, &stranger, 1);
    }
    case Damage::NotRecordMark:
        line[0] = QByteArray("\0 ;S\xC2", 5).at(below(random, 5));
        return line;
    default:
        return line;
    }
}

QByteArray unitRecord(QRandomGenerator& random)
{
    switch (below(random, 3)) {
    case 0:
        return HexImages::record(0x02, 0, QByteArray::fromHex("1000"));
    case 1:
        return HexImages::record(0x03, 0, QByteArray::fromHex("00001000"));
    default:
        return HexImages::record(0x05, 0, QByteArray::fromHex("003E8000"));
    }
}

QByteArray randomImage(QRandomGenerator& random, Shape shape, Damage damage)
{
    if (damage == Damage::AfterEnd) {
        const QByteArray first = randomImage(random, shape, Damage::None);
        return (first.endsWith('\n') ? first : first + '\n') + randomImage(random, shape, Damage::None);
    }
    HexImages::Layout layout;
    layout.recordBytes = 2 * (1 + below(random, 16));
    layout.lowercase = below(random, 4) == 0;
    layout.crlf = false;
    layout.finalNewline = false;
    layout.addressRecordFirst = shape != Shape::Words16;
    QList<QByteArray> lines = HexImages::toHex(sectionsOf(random, shape, damage), layout).split('\n');
    int target = damage == Damage::CutLastLine ? lines.size() - 1 : below(random, lines.size());
    // Only data records can be overlapped; the end-of-file record is last.
    while (damage == Damage::Overlap && QByteArray::fromHex(lines.at(target).mid(7, 2)).at(0) != 0)
        target = below(random, lines.size() - 1);
    if (damage == Damage::Overlap)
        lines.insert(target + 1, overlapping(random, lines.at(target)));
    else if (damage == Damage::UnitRecordType)
        lines.insert(below(random, lines.size()), unitRecord(random));
    else if (damage == Damage::MissingEnd)
        lines.removeLast();
    else if (damage == Damage::EndWithData)
        lines.last() = HexImages::record(0x01, 0, HexImages::pattern(1 + below(random, 4), random.generate()));
    else
        lines[target] = damaged(random, lines.at(target), damage);
    if (damage != Damage::CutLastLine && below(random, 4) == 0)
        lines.insert(1 + below(random, lines.size()), QByteArray());

    const QByteArray end = damage == Damage::CarriageReturnOnly ? "\r" : (below(random, 2) == 0 ? "\n" : "\r\n");
    QByteArray image = lines.join(end);
    if (damage != Damage::CutLastLine && below(random, 5) != 0)
        image += end + (below(random, 4) == 0 ? end : QByteArray());
    return image;
}

hexreference::Records recordsOf(const FirmwareImage& image)
{
    hexreference::Records records;
    for (int i = 0; i < image.recordData.size(); ++i)
        records.append({image.recordAddresses.at(i), image.recordData.at(i)});
    return records;
}

// The procedure's own check for images in the flash; for the others the reader with limits that take any
// 32-bit word address.
FirmwareImageCheck::Result checked(const QString& path, const QByteArray& content, Shape shape)
{
    if (shape == Shape::Flash)
        return FirmwareImageCheck::check(path, FirmwareImageKind::IntelHex);
    FirmwareImageCheck::Result result;
    const ImageFault fault = HexImageReader(0, 0xFFFFFF00, 0x100).read(content, result.image);
    result.ok = !fault.isFault();
    result.message = QStringLiteral("line %1, column %2: %3").arg(fault.line).arg(fault.column).arg(fault.what);
    return result;
}
} // namespace

Q_DECLARE_METATYPE(Damage)

class TestHexImageDifferential : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("probe.hex"));
        QVERIFY(HexImages::writeFile(path, HexImages::endOfFileRecord()));
        const hexreference::Reference probe = hexreference::intelhexReading(path);
        if (probe.skipped)
            QSKIP(qPrintable(probe.skipReason));
    }

    void verdictsMatchIntelhex_data()
    {
        QTest::addColumn<Damage>("damage");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("valid") << Damage::None << 201u;
        QTest::newRow("checksum") << Damage::Checksum << 202u;
        QTest::newRow("count") << Damage::Count << 203u;
        QTest::newRow("length") << Damage::Length << 204u;
        QTest::newRow("non-hexadecimal character") << Damage::NonHexadecimal << 205u;
        QTest::newRow("unknown record type") << Damage::RecordType << 206u;
        QTest::newRow("cut last line") << Damage::CutLastLine << 207u;
        QTest::newRow("end-of-file record with data") << Damage::EndWithData << 216u;
        QTest::newRow("overlap with other bytes") << Damage::Overlap << 208u;
        QTest::newRow("records after the end-of-file record") << Damage::AfterEnd << 209u;
        QTest::newRow("no end-of-file record") << Damage::MissingEnd << 210u;
        QTest::newRow("NUL or a byte outside the format") << Damage::StrangeByte << 211u;
        QTest::newRow("no ':' first") << Damage::NotRecordMark << 212u;
        QTest::newRow("CR-only line ends") << Damage::CarriageReturnOnly << 213u;
        QTest::newRow("record type 02, 03 or 05") << Damage::UnitRecordType << 214u;
        QTest::newRow("data outside the flash") << Damage::OutsideFlash << 215u;
    }
    void verdictsMatchIntelhex()
    {
        QFETCH(Damage, damage);
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        QList<Shape> shapes;
        QList<QByteArray> contents;
        QStringList paths;
        for (int i = 0; i < imagesPerRow; ++i) {
            shapes << (damage == Damage::OutsideFlash ? Shape::Flash : Shape(below(random, 3)));
            contents << randomImage(random, shapes.last(), damage);
            paths << m_dir.filePath(QStringLiteral("image-%1-%2.hex").arg(seed).arg(i));
            QVERIFY(HexImages::writeFile(paths.last(), contents.last()));
        }
        const QList<hexreference::Reference> references = hexreference::intelhexReadings(paths);
        for (int i = 0; i < imagesPerRow; ++i) {
            const hexreference::Reference& reference = references.at(i);
            const bool intelhexAccepts = reference.error.isEmpty() && reference.overlap == 0;
            const FirmwareImageCheck::Result result = checked(paths.at(i), contents.at(i), shapes.at(i));
            const QString both = QStringLiteral("%1 (shape %2)\n  check: %3\n  intelhex: %4")
                                     .arg(paths.at(i))
                                     .arg(int(shapes.at(i)))
                                     .arg(result.ok ? QStringLiteral("accepted") : result.message,
                                          intelhexAccepts ? QStringLiteral("accepted") : reference.error);
            QVERIFY2(result.ok == (damage == Damage::None), qPrintable(both));
            QVERIFY2(result.ok == intelhexAccepts || (intelhexAccepts && refusedOnPurpose(damage)), qPrintable(both));
            if (!result.ok)
                continue;
            QVERIFY2(reference.end > 0 && !reference.afterEnd, qPrintable(both));
            QVERIFY2(recordsOf(result.image) == reference.records, qPrintable(both));
        }
    }
};

QTEST_GUILESS_MAIN(TestHexImageDifferential)
#include "tst_heximagediff.moc"
