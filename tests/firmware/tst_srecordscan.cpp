// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/srecordscan.h"
#include "srecordimage.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using srecordimage::Record;
using Sectors = QList<qint8>;

Q_DECLARE_METATYPE(Sectors)

namespace {
SRecordScan scanOf(const QByteArray& text)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return SRecordScan::scan(buffer);
}

QByteArray lines(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += srecordimage::line('1', quint32(i * 16), srecordimage::filler(16));
    return text;
}
} // namespace

class TestSRecordScan : public QObject
{
    Q_OBJECT

private slots:
    void sectorsInOrderOfFirstAppearance_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<Sectors>("sectors");
        const QByteArray data = srecordimage::filler(16);
        QTest::newRow("everything below 10000 is sector 0")
            << srecordimage::image({{'1', 0x0000, data}, {'1', 0x8000, data}, {'1', 0xFFE0, data}}) << Sectors{0};
        QTest::newRow("FFF0 then 10000, a later record in sector 0 adds nothing")
            << srecordimage::image({{'2', 0xFFF0, data}, {'2', 0x10000, data}, {'2', 0x0100, data}}, '2')
            << Sectors{0, 1};
        QTest::newRow("records out of order")
            << srecordimage::image(
                   {{'2', 0x30000, data}, {'2', 0x10000, data}, {'2', 0x30010, data}, {'2', 0x20000, data}}, '2')
            << Sectors{3, 1, 2};
        QTest::newRow("S3 addresses") << srecordimage::image({{'3', 0x00450000, data}, {'3', 0x00050000, data}}, '3')
                                      << Sectors{0x45, 0x05};
        QTest::newRow("a record across a sector boundary touches both")
            << srecordimage::image({{'2', 0x2FFF8, data}}, '2') << Sectors{2, 3};
        QTest::newRow("the instrument's sector is a signed byte")
            << srecordimage::image({{'3', 0x7F0000, data}, {'3', 0x800000, data}, {'3', 0xFFFF0000, data}}, '3')
            << Sectors{127, -128, -1};
        QTest::newRow("header, count and start records give no sector")
            << QByteArray(srecordimage::header() + srecordimage::line('5', 3, {}) +
                          srecordimage::line('9', 0x4000, {}) + srecordimage::line('8', 0x50000, {}) +
                          srecordimage::line('7', 0x60000, {}))
            << Sectors{};
        QTest::newRow("lower-case hexadecimal")
            << QByteArray("S2140a0000000102030405060708090A0B0C0D0E0FD4\n") << Sectors{10};
        QTest::newRow("an address that is not hexadecimal gives no sector")
            << QByteArray("S1130G00000102030405060708090A0B0C0D0E0F74\nS1\nS2\n") << Sectors{};
        QTest::newRow("Windows line endings")
            << QByteArray(srecordimage::line('2', 0x20000, data, "\r\n") + srecordimage::line('2', 0, data, "\r\n"))
            << Sectors{2, 0};
        QTest::newRow("last line without newline") << srecordimage::line('2', 0x40000, data, "") << Sectors{4};
        // The rest of a long line that happens to look like a record is data, not a record.
        QTest::newRow("a piece after 99 bytes is not a record")
            << QByteArray("S1130000" + QByteArray(91, 'A') + "S3150005000000" + QByteArray(20, 'B') + "\n")
            << Sectors{0};
        QTest::newRow("empty image") << QByteArray() << Sectors{};
    }
    void sectorsInOrderOfFirstAppearance()
    {
        QFETCH(QByteArray, image);
        QFETCH(Sectors, sectors);
        QCOMPARE(scanOf(image).sectors(), sectors);
    }

    void linesAndSteps_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("linesPerStep");
        QTest::newRow("empty") << QByteArray() << 0 << 0;
        QTest::newRow("69 lines: the bar does not move") << lines(69) << 69 << 0;
        QTest::newRow("70 lines") << lines(70) << 70 << 1;
        QTest::newRow("141 lines") << lines(141) << 141 << 2;
        QTest::newRow("a line of 99 bytes with its newline") << QByteArray(QByteArray(98, 'x') + "\n") << 1 << 0;
        QTest::newRow("a line of 99 bytes and its newline") << QByteArray(QByteArray(99, 'x') + "\n") << 2 << 0;
        QTest::newRow("a 250-byte line is three pieces") << QByteArray(QByteArray(250, 'x') + "\n") << 3 << 0;
        QTest::newRow("empty lines count") << QByteArray("\n\n\n") << 3 << 0;
        QTest::newRow("no final newline") << QByteArray("S9030000FC") << 1 << 0;
    }
    void linesAndSteps()
    {
        QFETCH(QByteArray, image);
        QFETCH(int, lineCount);
        QFETCH(int, linesPerStep);
        const SRecordScan scan = scanOf(image);
        QCOMPARE(scan.lineCount(), lineCount);
        QCOMPARE(scan.linesPerStep(), linesPerStep);
    }

    void addressWidthsByRecordType()
    {
        QCOMPARE(SRecordScan::addressDigits('1'), 4);
        QCOMPARE(SRecordScan::addressDigits('2'), 6);
        QCOMPARE(SRecordScan::addressDigits('3'), 8);
        for (const char other : {'0', '4', '5', '6', '7', '8', '9', 'x'})
            QCOMPARE(SRecordScan::addressDigits(other), 0);
    }

    void recordWithoutDataGivesItsStartSector()
    {
        QCOMPARE(SRecordScan::recordSectors(srecordimage::line('2', 0x3FFFF, {})), Sectors{3});
        // A count that does not read leaves only the start sector.
        QCOMPARE(SRecordScan::recordSectors("S2zz03FFFF00\n"), Sectors{3});
    }

    void readsAFileFromItsStart()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("image.flash")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(srecordimage::image({{'2', 0x50000, srecordimage::filler(16)}}, '2'));
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        const SRecordScan scan = SRecordScan::scan(file);
        QCOMPARE(scan.sectors(), Sectors{5});
        QCOMPARE(scan.lineCount(), 4);
    }
};

QTEST_GUILESS_MAIN(TestSRecordScan)
#include "tst_srecordscan.moc"
