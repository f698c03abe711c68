// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/heximages.h"
#include "firmware/parsehex.h"
#include "hexreference.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <iterator>

namespace {
using HexImages::Section;
using hexreference::intelhexReading;
using hexreference::Records;
using hexreference::Reference;

QByteArray bytesOf(int count, char first)
{
    QByteArray data;
    for (int i = 0; i < count; ++i)
        data.append(char(first + i));
    return data;
}

QByteArray lines(const QList<QByteArray>& records, const QByteArray& end = "\r\n")
{
    QByteArray text;
    for (const QByteArray& line : records)
        text += line + end;
    return text;
}

Records recordsOf(const ParseHex& parser)
{
    Records records;
    for (int i = 0; i < parser.recordData().size(); ++i)
        records.append({parser.recordAddresses().at(i), parser.recordData().at(i)});
    return records;
}

QList<Section> sectionsOf(const DataStruct& sections)
{
    QList<Section> list;
    for (int i = 0; i < sections.data.size(); ++i)
        list.append(Section{quint32(sections.startAddresses.at(i)), sections.data.at(i)});
    return list;
}

// Sections that never touch one another, in a shuffled file order.
QList<Section> randomSections(QRandomGenerator& random)
{
    // Some start just below a 64 K-word boundary, so that sections run across extended addresses.
    const quint32 bases[] = {0x000000, 0x00FFC0, 0x3E8000, 0x3EFFC0, 0x3F8E00};
    quint32 next = bases[random.bounded(int(std::size(bases)))];
    QList<Section> sections;
    const int count = random.bounded(1, 6);
    for (int i = 0; i < count; ++i) {
        next += quint32(random.bounded(1, i == 0 ? 0x40 : 0x400));
        const int bytes = 2 * random.bounded(1, 700);
        sections.append(Section{next, HexImages::pattern(bytes, random.generate())});
        next += quint32(bytes / 2);
    }
    std::shuffle(sections.begin(), sections.end(), random);
    return sections;
}

} // namespace

class TestParseHex : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    QString write(const QByteArray& content)
    {
        const QString path = m_dir.filePath(QStringLiteral("image%1.hex").arg(++m_files));
        if (!HexImages::writeFile(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void lineEndsGiveSameRecords();
    void adjacentRecordsFormOneSection();
    void repeatIsDroppedAndBackwardsOpensSection();
    void extendedAddressPlacesRecords();
    void unterminatedLastLine_data();
    void unterminatedLastLine();
    void refusedFiles_data();
    void refusedFiles();
    void lineLengthLimit();
    void lineDecoderResults();
    void extendedAddressStartsAtZeroForEachFile();
    void oddRecordCoversRoundedDownWords();
    void emptyParserHasNoSections();
    void agreesWithIntelhex_data();
    void agreesWithIntelhex();
    void rejectsWhatIntelhexRejects_data();
    void rejectsWhatIntelhexRejects();
};

void TestParseHex::lineEndsGiveSameRecords()
{
    // The first section runs across a 64 K-word boundary, through an extended address record.
    const QList<Section> image{{0x3EFFF0, HexImages::pattern(300, 1)}, {0x3F8000, HexImages::pattern(70, 2)}};
    HexImages::Layout crlf;
    HexImages::Layout lf;
    lf.crlf = false;
    HexImages::Layout lower = lf;
    lower.lowercase = true;

    ParseHex reference;
    QCOMPARE(reference.parseAllFile(write(HexImages::toHex(image, crlf))), 0);
    for (const HexImages::Layout& layout : {lf, lower}) {
        ParseHex parser;
        QCOMPARE(parser.parseAllFile(write(HexImages::toHex(image, layout))), 0);
        QCOMPARE(recordsOf(parser), recordsOf(reference));
    }
    QVERIFY(sectionsOf(reference.getDataStruct()) == image);
}

void TestParseHex::adjacentRecordsFormOneSection()
{
    const QByteArray first = bytesOf(32, 0x00);
    const QByteArray second = bytesOf(32, 0x40);
    const QByteArray third = bytesOf(32, 0x70);
    ParseHex parser;
    QCOMPARE(parser.parseAllFile(write(lines({HexImages::record(0, 0x0100, first), HexImages::record(0, 0x0110, second),
                                              HexImages::record(0, 0x0130, third), HexImages::endOfFileRecord()}))),
             0);
    const QList<Section> expected{{0x0100, first + second}, {0x0130, third}};
    QVERIFY(sectionsOf(parser.getDataStruct()) == expected);
}

void TestParseHex::repeatIsDroppedAndBackwardsOpensSection()
{
    const QByteArray a = bytesOf(16, 0x10);
    const QByteArray b = bytesOf(16, 0x30);
    const QByteArray c = bytesOf(16, 0x50);
    ParseHex parser;
    QCOMPARE(parser.parseAllFile(write(lines({HexImages::record(0, 0x0200, a), HexImages::record(0, 0x0200, b),
                                              HexImages::record(0, 0x0208, c), HexImages::record(0, 0x0100, b),
                                              HexImages::endOfFileRecord()}))),
             0);
    QCOMPARE(parser.recordData().size(), 4);
    const QList<Section> expected{{0x0200, a + c}, {0x0100, b}};
    QVERIFY(sectionsOf(parser.getDataStruct()) == expected);
}

void TestParseHex::extendedAddressPlacesRecords()
{
    ParseHex parser;
    QCOMPARE(
        parser.parseAllFile(write(lines({HexImages::extendedAddressRecord(0x003F),
                                         HexImages::record(0, 0x8000, bytesOf(4, 1)), HexImages::endOfFileRecord()}))),
        0);
    QCOMPARE(parser.recordAddresses(), QList<quint32>{0x3F8000});
}

void TestParseHex::unterminatedLastLine_data()
{
    QTest::addColumn<QList<QByteArray>>("records");
    const QByteArray data = HexImages::record(0, 0x0010, bytesOf(8, 0x20));
    QTest::newRow("end-of-file record last") << QList<QByteArray>{data, HexImages::endOfFileRecord()};
    // Dropping a last data record for want of a newline would lose it without a word.
    QTest::newRow("data record last") << QList<QByteArray>{data};
}

void TestParseHex::unterminatedLastLine()
{
    QFETCH(QList<QByteArray>, records);
    for (const QByteArray& end : {QByteArray("\r\n"), QByteArray("\n")}) {
        QByteArray text = lines(records, end);
        ParseHex terminated;
        QCOMPARE(terminated.parseAllFile(write(text)), 0);
        text.chop(end.size());
        ParseHex unterminated;
        QCOMPARE(unterminated.parseAllFile(write(text)), 0);
        QCOMPARE(recordsOf(unterminated), recordsOf(terminated));
        QCOMPARE(unterminated.recordData().size(), 1);
    }
}

void TestParseHex::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    const QByteArray good = HexImages::record(0, 0x0000, bytesOf(16, 0x41));
    const QByteArray end = HexImages::endOfFileRecord();
    const auto file = [&](const QByteArray& bad) { return lines({good, bad, end}); };

    QTest::newRow("type 02") << file(HexImages::record(0x02, 0, QByteArray(2, '\x10')))
                             << QStringLiteral("line 2: record type 02 is not supported");
    QTest::newRow("type 03") << file(HexImages::record(0x03, 0, QByteArray(4, '\x01')))
                             << QStringLiteral("line 2: record type 03");
    QTest::newRow("type 05") << file(HexImages::record(0x05, 0, QByteArray(4, '\x01')))
                             << QStringLiteral("line 2: record type 05");
    QTest::newRow("extended address field") << file(HexImages::record(0x04, 0x0001, QByteArray(2, '\x3F')))
                                            << QStringLiteral("line 2: an extended address record");
    QTest::newRow("extended address length") << file(HexImages::record(0x04, 0, QByteArray(3, '\x3F')))
                                             << QStringLiteral("line 2: an extended address record");

    QByteArray checksum = HexImages::record(0, 0x0008, bytesOf(16, 0x61));
    checksum[checksum.size() - 1] = checksum.endsWith('0') ? '1' : '0';
    QTest::newRow("checksum") << file(checksum) << QStringLiteral("line 2: checksum error");

    // The byte count says 17, the line holds 16 data bytes (checksum adjusted so only the count is wrong).
    QByteArray longCount = QByteArray::fromHex(HexImages::record(0, 0x0008, bytesOf(16, 0x61)).mid(1));
    longCount[0] = char(17);
    longCount[longCount.size() - 1] = char(longCount.at(longCount.size() - 1) - 1);
    QTest::newRow("byte count above the line")
        << file(':' + longCount.toHex().toUpper()) << QStringLiteral("line 2: the byte count 17 disagrees");
    QByteArray shortCount = longCount;
    shortCount[0] = char(15);
    shortCount[shortCount.size() - 1] = char(shortCount.at(shortCount.size() - 1) + 2);
    QTest::newRow("byte count below the line")
        << file(':' + shortCount.toHex().toUpper()) << QStringLiteral("line 2: the byte count 15 disagrees");

    QByteArray letter = HexImages::record(0, 0x0008, bytesOf(4, 0x61));
    letter[9] = 'G';
    QTest::newRow("not a digit") << file(letter) << QStringLiteral("line 2: the line holds a character");
    QTest::newRow("odd digits") << file(HexImages::record(0, 0x0008, bytesOf(4, 0x61)) + '0')
                                << QStringLiteral("line 2: the line holds an odd number");
    QTest::newRow("blank line") << lines({good, QByteArray(), end}, "\n")
                                << QStringLiteral("line 2: the line is empty");
    QTest::newRow("carriage return only")
        << lines({good, QByteArray(), end}) << QStringLiteral("line 2: the line does not start with ':'");
    QTest::newRow("no colon") << file(HexImages::record(0, 8, bytesOf(4, 1)).mid(1))
                              << QStringLiteral("line 2: the line does not start with ':'");
    QTest::newRow("too short") << file(":00000001") << QStringLiteral("line 2: the line is too short");
    QTest::newRow("end of file only") << lines({end}) << QStringLiteral("the file holds no data records");
    QTest::newRow("empty file") << QByteArray() << QStringLiteral("the file holds no data records");
}

void TestParseHex::refusedFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    ParseHex parser;
    QCOMPARE(parser.parseAllFile(write(content)), 1);
    QVERIFY2(parser.failureReason().startsWith(reason), qPrintable(parser.failureReason()));
}

void TestParseHex::lineLengthLimit()
{
    // 58 data bytes make a record of 127 characters: the longest a line may be, its line end excluded.
    const QByteArray longest = HexImages::record(0, 0x0000, bytesOf(58, 0x01));
    QCOMPARE(longest.size(), ParseHex::maxLineChars);
    ParseHex lf;
    QCOMPARE(lf.parseAllFile(write(lines({longest, HexImages::endOfFileRecord()}, "\n"))), 0);
    QCOMPARE(lf.recordData().value(0).size(), 58);
    // With its carriage return the same line has 128 characters.
    ParseHex crlf;
    QCOMPARE(crlf.parseAllFile(write(lines({longest, HexImages::endOfFileRecord()}, "\r\n"))), 1);
    QVERIFY2(crlf.failureReason().startsWith(QStringLiteral("line 1: longer than 127 characters")),
             qPrintable(crlf.failureReason()));
}

void TestParseHex::lineDecoderResults()
{
    ParseHex parser;
    QByteArray data = HexImages::record(0, 0x0010, bytesOf(4, 0x30));
    // The file reader counts a LF-only line without its last character; every pair is still read.
    QCOMPARE(parser.parseHexLine(data.data(), unsigned(data.size() - 1)), 0);
    QCOMPARE(parser.recordData().value(0), bytesOf(4, 0x30));
    QByteArray eof = HexImages::endOfFileRecord();
    QCOMPARE(parser.parseHexLine(eof.data(), unsigned(eof.size())), 0);
    QByteArray broken = data;
    broken[broken.size() - 1] = broken.endsWith('0') ? '1' : '0';
    QCOMPARE(parser.parseHexLine(broken.data(), unsigned(broken.size())), 2);
    QCOMPARE(parser.recordData().size(), 1);
    QByteArray segment = HexImages::record(0x02, 0, QByteArray(2, '\0'));
    QCOMPARE(parser.parseHexLine(segment.data(), unsigned(segment.size())), 1);
}

void TestParseHex::extendedAddressStartsAtZeroForEachFile()
{
    ParseHex first;
    QCOMPARE(
        first.parseAllFile(write(lines({HexImages::extendedAddressRecord(0x003F),
                                        HexImages::record(0, 0x8000, bytesOf(2, 1)), HexImages::endOfFileRecord()}))),
        0);
    QCOMPARE(first.extAddress(), quint32(0x3F0000));
    ParseHex second;
    QCOMPARE(
        second.parseAllFile(write(lines({HexImages::record(0, 0x8000, bytesOf(2, 1)), HexImages::endOfFileRecord()}))),
        0);
    QCOMPARE(second.recordAddresses(), QList<quint32>{0x8000});
}

void TestParseHex::oddRecordCoversRoundedDownWords()
{
    ParseHex parser;
    QCOMPARE(
        parser.parseAllFile(write(lines({HexImages::record(0, 0x0010, bytesOf(3, 1)),
                                         HexImages::record(0, 0x0011, bytesOf(2, 9)), HexImages::endOfFileRecord()}))),
        0);
    const QList<Section> expected{{0x0010, bytesOf(3, 1) + bytesOf(2, 9)}};
    QVERIFY(sectionsOf(parser.getDataStruct()) == expected);
}

void TestParseHex::emptyParserHasNoSections()
{
    ParseHex parser;
    const DataStruct sections = parser.getDataStruct();
    QVERIFY(sections.startAddresses.isEmpty());
    QVERIFY(sections.data.isEmpty());
}

void TestParseHex::agreesWithIntelhex_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 16; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void TestParseHex::agreesWithIntelhex()
{
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    const QList<Section> image = randomSections(random);
    HexImages::Layout layout;
    layout.recordBytes = 2 * random.bounded(1, 29);
    layout.crlf = random.bounded(2) == 0;
    layout.lowercase = random.bounded(3) == 0;
    layout.addressRecordFirst = random.bounded(4) != 0;
    for (int i = 0; i < 3; ++i)
        layout.repeatedRecords.insert(random.bounded(20));
    const QString path = write(HexImages::toHex(image, layout));

    const Reference reference = intelhexReading(path);
    if (reference.skipped)
        QSKIP(qPrintable(reference.skipReason));
    QVERIFY2(reference.error.isEmpty(), qPrintable(reference.error));
    ParseHex parser;
    QCOMPARE(parser.parseAllFile(path), 0);
    QCOMPARE(recordsOf(parser), reference.records);
    QVERIFY(sectionsOf(parser.getDataStruct()) == image);
}

void TestParseHex::rejectsWhatIntelhexRejects_data()
{
    QTest::addColumn<int>("mutation");
    QTest::newRow("checksum digit") << 0;
    QTest::newRow("data byte missing") << 1;
    QTest::newRow("byte count raised") << 2;
    QTest::newRow("odd digit count") << 3;
}

void TestParseHex::rejectsWhatIntelhexRejects()
{
    QFETCH(int, mutation);
    QList<QByteArray> text = HexImages::toHex(HexImages::versionedImage(QStringLiteral("1.00"), 512)).split('\n');
    const int target = 3;
    QByteArray& line = text[target];
    line.chop(1); // its carriage return
    switch (mutation) {
    case 0:
        line[line.size() - 1] = line.endsWith('0') ? '1' : '0';
        break;
    case 1:
        line.remove(9, 2);
        break;
    case 2:
        line[2] = char(line.at(2) + 1);
        break;
    default:
        line.append('7');
        break;
    }
    line.append('\r');
    const QString path = write(text.join('\n'));

    const Reference reference = intelhexReading(path);
    if (reference.skipped)
        QSKIP(qPrintable(reference.skipReason));
    QVERIFY2(!reference.error.isEmpty(), "intelhex accepted the mutated file");
    ParseHex parser;
    QCOMPARE(parser.parseAllFile(path), 1);
    QVERIFY2(parser.failureReason().startsWith(QStringLiteral("line %1:").arg(target + 1)),
             qPrintable(parser.failureReason()));
}

QTEST_GUILESS_MAIN(TestParseHex)
#include "tst_parsehex.moc"
