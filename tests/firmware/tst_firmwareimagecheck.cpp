// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/firmwareimagecheck.h"

#include "common/firmwareimages.h"
#include "common/heximages.h"
#include "srecordimage.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(FirmwareImageKind)

namespace {
using Kind = FirmwareImageKind;
using srecordimage::line;

const QByteArray fourBytes("\x01\x02\x03\x04", 4);

QByteArray header(const QByteArray& end = "\n")
{
    return line('0', 0, "HDR", end);
}

// "S107000001020304EE": four bytes at 0.
QByteArray dataLine(const QByteArray& end = "\n")
{
    return line('1', 0, fourBytes, end);
}

QByteArray endLine(const QByteArray& end = "\n")
{
    return line('9', 0, {}, end);
}

QByteArray smallImage(const QByteArray& middle)
{
    return header() + middle + endLine();
}

// Hexadecimal digits in lower case; the record's 'S' stays as it is.
QByteArray lowerDigits(const QByteArray& text)
{
    QByteArray lower;
    for (const QByteArray& record : text.split('\n'))
        lower += record.left(2) + record.mid(2).toLower() + '\n';
    lower.chop(1);
    return lower;
}

QByteArray hexImage(bool crlf = true)
{
    HexImages::Layout layout;
    layout.crlf = crlf;
    return HexImages::toHex({{HexImages::imageStart, HexImages::pattern(300, 7)}}, layout);
}

// A record of the greatest count: 255 bytes after the count, 514 characters in all.
QByteArray longestRecord(const QByteArray& end = "\n")
{
    return line('1', 0x1000, srecordimage::filler(252), end);
}

// A data record at the start of the DSP's flash, after the extended address record that puts it there.
QByteArray inFlash(const QByteArray& data)
{
    return HexImages::extendedAddressRecord(0x3E) + "\n" + HexImages::record(0, 0x8000, data);
}

QString kindName(Kind kind)
{
    return FirmwareImageCheck::kindDescription(kind);
}
} // namespace

class TestFirmwareImageCheck : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;

    QString write(const QByteArray& content, const QString& suffix = QStringLiteral("img"))
    {
        const QString path = m_dir.filePath(QStringLiteral("image%1.%2").arg(++m_files).arg(suffix));
        if (!FirmwareImages::write(path, content))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void goodImagesPass_data();
    void goodImagesPass();
    void samplesAreCheckedAsTheirKind_data();
    void samplesAreCheckedAsTheirKind();
    void faults_data();
    void faults();
    void detectKind_data();
    void detectKind();
    void checkedRecordsAreWhatTheUnitIsSent();
    void messageNamesThePathAsGiven();
    void unreadablePaths_data();
    void unreadablePaths();
    void fileAboveTheSizeLimitIsRefusedUnread();
    void largePowerSupplyImagePasses();
    void overLongLineIsRefusedWithoutReadingItWhole();
    void devicesAreReadFromTheirPosition_data();
    void devicesAreReadFromTheirPosition();
    void deviceThatIsNotOpenIsOpened();
    void detectKindKeepsThePosition();
};

void TestFirmwareImageCheck::goodImagesPass_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Kind>("kind");

    const QByteArray s2 = fourBytes + srecordimage::filler(40);
    QTest::newRow("S0 S1 S9, LF") << smallImage(dataLine()) << Kind::SRecord;
    QTest::newRow("S0 S2 S8, LF") << header() + line('2', 0x7A0000, s2) + line('8', 0, {}) << Kind::SRecord;
    QTest::newRow("S0 S3 S7, CR LF") << header("\r\n") + line('3', 0x10000, s2, "\r\n") + line('7', 0, {}, "\r\n")
                                     << Kind::SRecord;
    QTest::newRow("made by the image helpers") << FirmwareImages::flash({}) << Kind::SRecord;
    QTest::newRow("S5 and S6 count records")
        << smallImage(dataLine() + line('5', 1, {}) + FirmwareImages::record('6', 1, {}) + '\n') << Kind::SRecord;
    QTest::newRow("trailing blank lines") << smallImage(dataLine()) + "\n\r\n\n" << Kind::SRecord;
    QTest::newRow("blank and whitespace lines in the middle")
        << header() + "\n" + dataLine() + " \t\r\n" + endLine() << Kind::SRecord;
    QTest::newRow("lower-case digits") << lowerDigits(smallImage(dataLine())) << Kind::SRecord;
    QTest::newRow("no line end after the last record") << header() + dataLine() + endLine("") << Kind::SRecord;
    QTest::newRow("data only, no header or end record") << dataLine() << Kind::SRecord;
    QTest::newRow("longest record, LF") << smallImage(longestRecord()) << Kind::SRecord;
    QTest::newRow("longest record, CR LF") << smallImage(longestRecord("\r\n")) << Kind::SRecord;
    QTest::newRow("longest record without line end") << header() + longestRecord("") << Kind::SRecord;
    QTest::newRow("last byte at 7FFFFF") << smallImage(line('3', 0x7FFFFE, "\xAA\xBB")) << Kind::SRecord;

    QTest::newRow("Intel HEX, CR LF") << hexImage() << Kind::IntelHex;
    QTest::newRow("Intel HEX, LF") << hexImage(false) << Kind::IntelHex;

    QTest::newRow("small binary") << QByteArray("\x7F\x00\x01\x02 binary", 11) << Kind::PowerSupplyImage;
    QTest::newRow("made by the image helpers, 3 MiB")
        << FirmwareImages::updt(3 * 1024 * 1024 + 5, QStringLiteral("4.2")) << Kind::PowerSupplyImage;
    QTest::newRow("text that is no image") << QByteArray("release notes\n") << Kind::PowerSupplyImage;
}

void TestFirmwareImageCheck::goodImagesPass()
{
    QFETCH(QByteArray, content);
    QFETCH(Kind, kind);
    const QString path = write(content);
    QCOMPARE(FirmwareImageCheck::detectKind(path), kind);
    const FirmwareImageCheck::Result result = FirmwareImageCheck::check(path, kind);
    QVERIFY2(result.ok, qPrintable(result.message));
    QCOMPARE(result.line, 0);
    QVERIFY(result.reason.isEmpty());
    QVERIFY(result.message.isEmpty());
}

void TestFirmwareImageCheck::samplesAreCheckedAsTheirKind_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("refusal");

    const QDir samples(QStringLiteral(KESTRION_TEST_DATA "/firmware"));
    const QMap<QString, Kind> kindBySuffix{
        {QStringLiteral("flash"), Kind::SRecord},
        {QStringLiteral("hex"), Kind::IntelHex},
        {QStringLiteral("updt"), Kind::PowerSupplyImage},
    };
    // The beamline sample holds a header and an end record only: an image that would write nothing is
    // refused like any other.
    const QMap<QString, QString> refusals{{QStringLiteral("beamline.flash"), QStringLiteral("no S1, S2 or S3")}};
    const QStringList names = samples.entryList(QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names) {
        const QString suffix = QFileInfo(name).suffix();
        QVERIFY2(kindBySuffix.contains(suffix), qPrintable(name));
        QTest::newRow(qPrintable(name)) << samples.filePath(name) << kindBySuffix.value(suffix) << refusals.value(name);
    }
}

void TestFirmwareImageCheck::samplesAreCheckedAsTheirKind()
{
    QFETCH(QString, path);
    QFETCH(Kind, kind);
    QFETCH(QString, refusal);
    QCOMPARE(FirmwareImageCheck::detectKind(path), kind);
    const FirmwareImageCheck::Result result = FirmwareImageCheck::check(path, kind);
    if (refusal.isEmpty()) {
        QVERIFY2(result.ok, qPrintable(result.message));
        return;
    }
    QVERIFY(!result.ok);
    QVERIFY2(result.reason.contains(refusal), qPrintable(result.reason));
}

void TestFirmwareImageCheck::faults_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");

    const QByteArray good = smallImage(dataLine());
    QTest::newRow("bad checksum") << smallImage("S107000001020304EF\n") << Kind::SRecord << 2
                                  << QStringLiteral("bad checksum (is EF, should be EE)");
    QTest::newRow("bad checksum, lower case") << smallImage("S107000001020304ef\n") << Kind::SRecord << 2
                                              << QStringLiteral("bad checksum (is EF, should be EE)");
    QTest::newRow("count above the bytes") << smallImage("S108000001020304ED\n") << Kind::SRecord << 2
                                           << QStringLiteral("count 0x08 does not match the 7 bytes that follow");
    QTest::newRow("count below the bytes") << smallImage("S106000001020304EF\n") << Kind::SRecord << 2
                                           << QStringLiteral("count 0x06 does not match the 7 bytes that follow");
    QTest::newRow("non-hexadecimal digit") << smallImage("S10700G001020304EE\n") << Kind::SRecord << 2
                                           << QStringLiteral("line 2, column 7: non-hexadecimal character 'G'");
    QTest::newRow("byte above ASCII") << smallImage("S10700\xC3\xA4"
                                                    "01020304EE\n")
                                      << Kind::SRecord << 2
                                      << QStringLiteral("column 7: non-hexadecimal character 0xC3");
    QTest::newRow("CR without LF") << header("\r") + dataLine("\r") + endLine("\r") << Kind::SRecord << 1
                                   << QStringLiteral("column 17: a carriage return without a line feed");
    QTest::newRow("odd number of digits") << smallImage("S107000001020304E\n") << Kind::SRecord << 2
                                          << QStringLiteral("odd number of hexadecimal digits");
    QTest::newRow("space after the record") << smallImage(dataLine(" \n")) << Kind::SRecord << 2
                                            << QStringLiteral("column 19: spaces or tabs after the record");
    QTest::newRow("tab after the record, CR LF")
        << smallImage(dataLine("\t\r\n")) << Kind::SRecord << 2 << QStringLiteral("spaces or tabs after the record");
    QTest::newRow("unknown type S4") << smallImage("S407000001020304EE\n") << Kind::SRecord << 2
                                     << QStringLiteral("unknown record type S4");
    QTest::newRow("unknown type SX") << smallImage("SX07000001020304EE\n") << Kind::SRecord << 2
                                     << QStringLiteral("unknown record type SX");
    QTest::newRow("no type") << smallImage("S\n") << Kind::SRecord << 2 << QStringLiteral("without a record type");
    QTest::newRow("no count") << smallImage("S1\n") << Kind::SRecord << 2 << QStringLiteral("too short for an S1");
    QTest::newRow("S2 without its address")
        << smallImage("S2030000FC\n") << Kind::SRecord << 2 << QStringLiteral("too short for an S2 record");
    QTest::newRow("line without 'S'") << smallImage("X107000001020304EE\n") << Kind::SRecord << 2
                                      << QStringLiteral("does not start with 'S'");
    QTest::newRow("indented record") << smallImage(" " + dataLine()) << Kind::SRecord << 2
                                     << QStringLiteral("does not start with 'S'");
    QTest::newRow("lower-case s") << smallImage("s107000001020304EE\n") << Kind::SRecord << 2
                                  << QStringLiteral("does not start with 'S'");
    QTest::newRow("no data record") << header() + endLine() << Kind::SRecord << 0
                                    << QStringLiteral("no S1, S2 or S3 data record");
    QTest::newRow("only an empty data record")
        << smallImage(line('1', 0, {})) << Kind::SRecord << 0 << QStringLiteral("no S1, S2 or S3 data record");
    QTest::newRow("blank lines only") << QByteArray("\n \r\n\t\n") << Kind::SRecord << 0
                                      << QStringLiteral("no S1, S2 or S3 data record");
    QTest::newRow("S2 at 800000") << smallImage(dataLine() + line('2', 0x800000, "\x01")) << Kind::SRecord << 3
                                  << QStringLiteral("writes at address 800000 (hexadecimal), beyond the flash sectors");
    QTest::newRow("S3 from 7FFFFF over the limit") << smallImage(line('3', 0x7FFFFF, "\xAA\xBB")) << Kind::SRecord << 2
                                                   << QStringLiteral("writes at address 800000 (hexadecimal)");
    QTest::newRow("empty S3 record at 900000") << smallImage(dataLine() + line('3', 0x900000, {})) << Kind::SRecord << 3
                                               << QStringLiteral("writes at address 900000 (hexadecimal)");
    QTest::newRow("S3 at 1234ABCD") << smallImage(line('3', 0x1234ABCD, fourBytes)) << Kind::SRecord << 2
                                    << QStringLiteral("writes at address 1234ABCD (hexadecimal)");
    QTest::newRow("empty file") << QByteArray() << Kind::SRecord << 0 << QStringLiteral("the file is empty");
    QTest::newRow("truncated last line") << header() + dataLine() + "S107000001" << Kind::SRecord << 3
                                         << QStringLiteral("count 0x07 does not match the 3 bytes that follow");
    QTest::newRow("truncated last line, odd")
        << header() + dataLine() + "S10700000" << Kind::SRecord << 3 << QStringLiteral("odd number");
    QTest::newRow("line of 515 characters")
        << smallImage(longestRecord("0\n")) << Kind::SRecord << 2 << QStringLiteral("line longer than 514 characters");
    QTest::newRow("line of 515 characters, CR LF") << smallImage(longestRecord("0\r\n")) << Kind::SRecord << 2
                                                   << QStringLiteral("line longer than 514 characters");
    QTest::newRow("long last line without end")
        << header() + longestRecord("00") << Kind::SRecord << 2 << QStringLiteral("line longer than 514 characters");
    QTest::newRow("Intel HEX as S-records")
        << hexImage() << Kind::SRecord << 0
        << QStringLiteral("looks like %1, not %2").arg(kindName(Kind::IntelHex), kindName(Kind::SRecord));
    QTest::newRow("binary as S-records") << FirmwareImages::updt(2000, {}) << Kind::SRecord << 1
                                         << QStringLiteral("does not start with 'S'");

    QTest::newRow("S-records as Intel HEX")
        << good << Kind::IntelHex << 0
        << QStringLiteral("looks like %1, not %2").arg(kindName(Kind::SRecord), kindName(Kind::IntelHex));
    QTest::newRow("Intel HEX, line without ':'") << inFlash(fourBytes) + "\n" + "FF\n"
                                                 << Kind::IntelHex << 3 << QStringLiteral("does not start with ':'");
    QByteArray badSum = hexImage(false);
    badSum[badSum.indexOf('\n', badSum.indexOf('\n') + 1) - 1] = 'X';
    QTest::newRow("Intel HEX, non-hexadecimal digit")
        << badSum << Kind::IntelHex << 2 << QStringLiteral("non-hexadecimal character 'X'");
    QByteArray wrongSum = HexImages::record(0, 0x10, fourBytes);
    wrongSum[wrongSum.size() - 1] = wrongSum.endsWith('0') ? '1' : '0';
    QTest::newRow("Intel HEX, checksum") << inFlash(fourBytes) + "\r\n" + wrongSum + "\r\n"
                                         << Kind::IntelHex << 3 << QStringLiteral("column 18: bad checksum");
    QByteArray withNul = inFlash(fourBytes) + "\n" + HexImages::endOfFileRecord();
    withNul[withNul.indexOf(":048000") + 9] = '\0';
    QTest::newRow("Intel HEX, NUL in the data")
        << withNul << Kind::IntelHex << 2 << QStringLiteral("column 10: non-hexadecimal character 0x00");
    const int hexLines = int(hexImage().count('\n'));
    QTest::newRow("Intel HEX, two files joined")
        << hexImage() + hexImage() << Kind::IntelHex << hexLines + 1
        << QStringLiteral("a record after the end record of line %1").arg(hexLines);
    QTest::newRow("Intel HEX, a word written twice")
        << inFlash(fourBytes) + "\n" + HexImages::record(0, 0x8001, fourBytes) + "\n" + HexImages::endOfFileRecord()
        << Kind::IntelHex << 3 << QStringLiteral("writes word address 3E8001 (hexadecimal), which line 2 writes too");
    QTest::newRow("Intel HEX, outside the DSP's flash")
        << HexImages::record(0, 0x10, fourBytes) + "\n" + HexImages::endOfFileRecord() << Kind::IntelHex << 1
        << QStringLiteral("column 4: writes word addresses 10 to 11 (hexadecimal), outside the DSP's flash");
    QTest::newRow("Intel HEX, no end-of-file record") << inFlash(fourBytes) + "\n"
                                                      << Kind::IntelHex << 0 << QStringLiteral("no end-of-file record");
    QTest::newRow("Intel HEX, CR-only line ends") << hexImage().replace("\r\n", "\r") << Kind::IntelHex << 1
                                                  << QStringLiteral("column 16: a carriage return without a line feed");
    QTest::newRow("S-records, a byte written twice")
        << smallImage(dataLine() + line('1', 3, fourBytes)) << Kind::SRecord << 3
        << QStringLiteral("line 3, column 5: writes address 3 (hexadecimal), which line 2 writes too");
    QTest::newRow("S-records, S5 count off by one")
        << smallImage(dataLine() + line('5', 2, {})) << Kind::SRecord << 3
        << QStringLiteral("the count record says 2 data records, the file has 1 before it");
    QTest::newRow("S-records, a record after the end record")
        << smallImage(dataLine()) + line('1', 0x10, fourBytes) << Kind::SRecord << 4
        << QStringLiteral("a record after the end record of line 3");
    QTest::newRow("S-records, NUL in a record")
        << smallImage(QByteArray("S1070000\0", 9) + "1020304EE\n") << Kind::SRecord << 2
        << QStringLiteral("column 9: non-hexadecimal character 0x00");
    QTest::newRow("Intel HEX, no data") << HexImages::endOfFileRecord() + "\n"
                                        << Kind::IntelHex << 0 << QStringLiteral("no data records");
    QTest::newRow("Intel HEX, empty") << QByteArray() << Kind::IntelHex << 0 << QStringLiteral("the file is empty");
    QTest::newRow("binary as Intel HEX") << FirmwareImages::updt(100, {}) << Kind::IntelHex << 1
                                         << QStringLiteral("does not start with ':'");

    QTest::newRow("S-records as power-supply image")
        << good << Kind::PowerSupplyImage << 0
        << QStringLiteral("looks like an S-record image (.flash), not a power-supply image (.updt)");
    QTest::newRow("Intel HEX as power-supply image")
        << hexImage() << Kind::PowerSupplyImage << 0
        << QStringLiteral("looks like an Intel HEX image (.hex), not a power-supply image (.updt)");
    QTest::newRow("empty power-supply image")
        << QByteArray() << Kind::PowerSupplyImage << 0 << QStringLiteral("the file is empty");
}

void TestFirmwareImageCheck::faults()
{
    QFETCH(QByteArray, content);
    QFETCH(Kind, kind);
    QFETCH(int, line);
    QFETCH(QString, reason);
    const QString path = write(content);
    const FirmwareImageCheck::Result result = FirmwareImageCheck::check(path, kind);
    QVERIFY(!result.ok);
    QVERIFY2(result.reason.contains(reason), qPrintable(result.reason));
    QCOMPARE(result.line, line);
    QVERIFY2(result.message.startsWith(QStringLiteral("ERROR: ") + path + QStringLiteral(": ")),
             qPrintable(result.message));
    QVERIFY2(result.message.endsWith(result.reason), qPrintable(result.message));

    // The same verdict for the same bytes in memory.
    QBuffer buffer(&content);
    const FirmwareImageCheck::Result fromMemory = FirmwareImageCheck::check(buffer, path, kind);
    QCOMPARE(fromMemory.ok, result.ok);
    QCOMPARE(fromMemory.line, result.line);
    QCOMPARE(fromMemory.reason, result.reason);
}

// Blank lines are not sent; a last record without a line end gets its neighbours'; the ranges and the digest
// describe what is sent.
void TestFirmwareImageCheck::checkedRecordsAreWhatTheUnitIsSent()
{
    const QByteArray content = header("\r\n") + " \t\r\n" + dataLine("\r\n") + "\n" + line('1', 4, fourBytes, "");
    const FirmwareImageCheck::Result srecords = FirmwareImageCheck::check(write(content), Kind::SRecord);
    QVERIFY2(srecords.ok, qPrintable(srecords.message));
    QCOMPARE(srecords.image.records,
             (QList<QByteArray>{header("\r\n"), dataLine("\r\n"), line('1', 4, fourBytes, "\r\n")}));
    QCOMPARE(srecords.image.rangesText(), QStringLiteral("0-7"));
    QCOMPARE(srecords.image.dataBytes, quint64(8));
    QCOMPARE(srecords.image.sha256, QCryptographicHash::hash(content, QCryptographicHash::Sha256));

    HexImages::Layout layout;
    layout.recordBytes = 16;
    const QList<HexImages::Section> sections{{HexImages::imageStart, HexImages::pattern(40, 3)},
                                             {HexImages::imageStart + 0x100, HexImages::pattern(6, 4)}};
    const FirmwareImageCheck::Result hex =
        FirmwareImageCheck::check(write(HexImages::toHex(sections, layout)), Kind::IntelHex);
    QVERIFY2(hex.ok, qPrintable(hex.message));
    QCOMPARE(hex.image.sections().startAddresses, (QList<qint32>{0x3E8000, 0x3E8100}));
    QCOMPARE(hex.image.sections().data, (QList<QByteArray>{sections.at(0).data, sections.at(1).data}));
    QCOMPARE(hex.image.rangesText(), QStringLiteral("3E8000-3E8013, 3E8100-3E8102"));
}

void TestFirmwareImageCheck::detectKind_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<Kind>("kind");

    QTest::newRow("S-records") << smallImage(dataLine()) << QStringLiteral("flash") << Kind::SRecord;
    QTest::newRow("S-records named .updt") << smallImage(dataLine()) << QStringLiteral("updt") << Kind::SRecord;
    QTest::newRow("S-records after blank lines")
        << "\n  \r\n\t\n" + smallImage(dataLine()) << QStringLiteral("flash") << Kind::SRecord;
    QTest::newRow("damaged S-records") << QByteArray("S4zz\n") << QStringLiteral("flash") << Kind::SRecord;
    QTest::newRow("Intel HEX") << hexImage() << QStringLiteral("hex") << Kind::IntelHex;
    QTest::newRow("Intel HEX named .flash") << hexImage() << QStringLiteral("flash") << Kind::IntelHex;
    QTest::newRow("binary") << FirmwareImages::updt(9000, QStringLiteral("1.0")) << QStringLiteral("updt")
                            << Kind::PowerSupplyImage;
    QTest::newRow("binary named .hex") << FirmwareImages::updt(100, {}) << QStringLiteral("hex")
                                       << Kind::PowerSupplyImage;
    QTest::newRow("empty") << QByteArray() << QStringLiteral("flash") << Kind::PowerSupplyImage;
    QTest::newRow("blank lines only") << QByteArray("\n\n  \n") << QStringLiteral("flash") << Kind::PowerSupplyImage;
    QTest::newRow("'S' alone") << QByteArray("S\n") << QStringLiteral("flash") << Kind::PowerSupplyImage;
    QTest::newRow("'S' and a letter") << QByteArray("SX0300\n") << QStringLiteral("flash") << Kind::PowerSupplyImage;
    QTest::newRow("lower-case 's'") << lowerDigits(dataLine()).toLower() << QStringLiteral("flash")
                                    << Kind::PowerSupplyImage;
    QTest::newRow("indented record") << " " + dataLine() << QStringLiteral("flash") << Kind::PowerSupplyImage;
    QTest::newRow("NUL before the record")
        << QByteArray(1, '\0') + dataLine() << QStringLiteral("flash") << Kind::PowerSupplyImage;
    QTest::newRow("record after the first 4 KiB")
        << QByteArray(4096, '\n') + dataLine() << QStringLiteral("flash") << Kind::PowerSupplyImage;
}

void TestFirmwareImageCheck::detectKind()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, suffix);
    QFETCH(Kind, kind);
    QCOMPARE(FirmwareImageCheck::detectKind(write(content, suffix)), kind);
    QBuffer buffer(&content);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(FirmwareImageCheck::detectKind(buffer), kind);
}

void TestFirmwareImageCheck::messageNamesThePathAsGiven()
{
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("sub dir")));
    const QString path = m_dir.filePath(QStringLiteral("sub dir/../100%1 done.flash"));
    QVERIFY(FirmwareImages::write(path, smallImage("S107000001020304EF\n")));
    const FirmwareImageCheck::Result lineFault = FirmwareImageCheck::check(path, Kind::SRecord);
    QCOMPARE(lineFault.message, QStringLiteral("ERROR: ") + path +
                                    QStringLiteral(": line 2, column 17: bad checksum (is EF, should be EE)"));

    QVERIFY(FirmwareImages::write(path, header()));
    const FirmwareImageCheck::Result fileFault = FirmwareImageCheck::check(path, Kind::SRecord);
    QCOMPARE(fileFault.message, QStringLiteral("ERROR: ") + path + QStringLiteral(": no S1, S2 or S3 data record"));
}

void TestFirmwareImageCheck::unreadablePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << m_dir.filePath(QStringLiteral("missing.flash"))
                             << QStringLiteral("No such file or directory");
    QTest::newRow("directory") << m_dir.path() << QStringLiteral("directory");
}

void TestFirmwareImageCheck::unreadablePaths()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    QCOMPARE(FirmwareImageCheck::detectKind(path), Kind::PowerSupplyImage);
    for (const Kind kind : {Kind::PowerSupplyImage, Kind::SRecord, Kind::IntelHex}) {
        const FirmwareImageCheck::Result result = FirmwareImageCheck::check(path, kind);
        QVERIFY(!result.ok);
        QCOMPARE(result.line, 0);
        QVERIFY2(result.reason.startsWith(QStringLiteral("cannot open the file: ")), qPrintable(result.reason));
        QVERIFY2(result.reason.contains(reason), qPrintable(result.reason));
        QCOMPARE(result.message, QStringLiteral("ERROR: %1: %2").arg(path, result.reason));
    }
}

void TestFirmwareImageCheck::fileAboveTheSizeLimitIsRefusedUnread()
{
    // A sparse file: no disk space, and any attempt to read it whole would take seconds.
    const QString path = m_dir.filePath(QStringLiteral("huge.updt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(smallImage(dataLine())) > 0);
    QVERIFY(file.resize(FirmwareImageCheck::maxImageBytes + 1));
    file.close();
    QElapsedTimer timer;
    timer.start();
    for (const Kind kind : {Kind::PowerSupplyImage, Kind::SRecord, Kind::IntelHex}) {
        const FirmwareImageCheck::Result result = FirmwareImageCheck::check(path, kind);
        QVERIFY(!result.ok);
        QCOMPARE(result.line, 0);
        const qint64 limit =
            kind == Kind::PowerSupplyImage ? FirmwareImageCheck::maxImageBytes : FirmwareImageCheck::maxTextImageBytes;
        QVERIFY2(result.reason.contains(QString::number(limit)), qPrintable(result.reason));
    }
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(QFile::remove(path));

    // At the limit the file is read.
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(FirmwareImageCheck::maxTextImageBytes));
    file.close();
    const FirmwareImageCheck::Result atLimit = FirmwareImageCheck::check(path, Kind::SRecord);
    QCOMPARE(atLimit.line, 1);
    QVERIFY2(atLimit.reason.contains(QStringLiteral("longer than 514")), qPrintable(atLimit.reason));
    QVERIFY(QFile::remove(path));
}

void TestFirmwareImageCheck::largePowerSupplyImagePasses()
{
    const QString path = m_dir.filePath(QStringLiteral("large.updt"));
    QVERIFY(FirmwareImages::writeUpdt(path, 40 * 1024 * 1024 + 3, QStringLiteral("9.9")));
    const FirmwareImageCheck::Result result = FirmwareImageCheck::check(path, Kind::PowerSupplyImage);
    QVERIFY2(result.ok, qPrintable(result.message));
    QVERIFY(QFile::remove(path));
}

void TestFirmwareImageCheck::overLongLineIsRefusedWithoutReadingItWhole()
{
    QByteArray content = header() + "S1";
    content.append(QByteArray(16 * 1024 * 1024, 'A'));
    content.append('\n');
    QBuffer buffer(&content);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    const FirmwareImageCheck::Result result = FirmwareImageCheck::check(buffer, QStringLiteral("long"), Kind::SRecord);
    QCOMPARE(result.line, 2);
    QCOMPARE(result.reason, QStringLiteral("line 2, column 515: line longer than 514 characters"));
}

void TestFirmwareImageCheck::devicesAreReadFromTheirPosition_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Kind>("kind");
    QTest::newRow("S-records") << smallImage(dataLine()) << Kind::SRecord;
    QTest::newRow("Intel HEX") << hexImage() << Kind::IntelHex;
    QTest::newRow("power-supply image") << FirmwareImages::updt(5000, {}) << Kind::PowerSupplyImage;
}

void TestFirmwareImageCheck::devicesAreReadFromTheirPosition()
{
    QFETCH(QByteArray, content);
    QFETCH(Kind, kind);
    const QByteArray prefix("junk before the image\n");
    QByteArray bytes = prefix + content;
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QVERIFY(buffer.seek(prefix.size()));
    const FirmwareImageCheck::Result result = FirmwareImageCheck::check(buffer, QStringLiteral("in memory"), kind);
    QVERIFY2(result.ok, qPrintable(result.message));
    QVERIFY(buffer.atEnd());

    // At its end a device holds nothing more.
    const FirmwareImageCheck::Result atEnd = FirmwareImageCheck::check(buffer, QStringLiteral("in memory"), kind);
    QVERIFY(!atEnd.ok);
    QCOMPARE(atEnd.reason, QStringLiteral("the file is empty"));
}

void TestFirmwareImageCheck::deviceThatIsNotOpenIsOpened()
{
    QByteArray content = smallImage(dataLine());
    QBuffer buffer(&content);
    QVERIFY2(FirmwareImageCheck::check(buffer, QStringLiteral("closed"), Kind::SRecord).ok, "closed buffer");

    QBuffer writeOnly(&content);
    QVERIFY(writeOnly.open(QIODevice::WriteOnly | QIODevice::Append));
    const FirmwareImageCheck::Result result = FirmwareImageCheck::check(writeOnly, QStringLiteral("w"), Kind::SRecord);
    QVERIFY(!result.ok);
    QCOMPARE(result.reason, QStringLiteral("the file is not open for reading"));
    QCOMPARE(FirmwareImageCheck::detectKind(writeOnly), Kind::PowerSupplyImage);
}

void TestFirmwareImageCheck::detectKindKeepsThePosition()
{
    QFile file(write(hexImage()));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.seek(0));
    QCOMPARE(FirmwareImageCheck::detectKind(file), Kind::IntelHex);
    QCOMPARE(file.pos(), qint64(0));
    QVERIFY(FirmwareImageCheck::check(file, file.fileName(), Kind::IntelHex).ok);
}

QTEST_GUILESS_MAIN(TestFirmwareImageCheck)
#include "tst_firmwareimagecheck.moc"
