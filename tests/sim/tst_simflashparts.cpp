// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/firmwareimages.h"
#include "flashmemory.h"
#include "srecordline.h"
#include "versionmarker.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The simulator's pieces behind flash programming and version reporting, and the test image generator,
// checked against each other and against srec_cat.
class TestSimFlashParts : public QObject
{
    Q_OBJECT
private slots:
    void markerFoundAcrossEverySplit();
    void markerEdges_data();
    void markerEdges();

    void recordsRead_data();
    void recordsRead();
    void recordsOfSrecCat_data();
    void recordsOfSrecCat();

    void flashTakesOnlyErasedBytes();
    void flashRegionsMergeTouchingWrites();

    void generatedImageAgreesWithSrecCat_data();
    void generatedImageAgreesWithSrecCat();
};

namespace {
QString srecCat()
{
    return QStandardPaths::findExecutable(QStringLiteral("srec_cat"));
}

bool run(const QString& program, const QStringList& arguments, QString* why)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *why = QString::fromLocal8Bit(process.readAllStandardError());
        return false;
    }
    return true;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

void TestSimFlashParts::markerFoundAcrossEverySplit()
{
    const QByteArray stream = QByteArray(100, 'x') + "KESTRION-FW-VERSION=2.1.07\n" + QByteArray(50, 'y');
    for (int first = 0; first <= stream.size(); ++first) {
        for (int second = first; second <= stream.size(); second += 7) {
            VersionMarker marker;
            marker.feed(stream.left(first));
            marker.feed(stream.mid(first, second - first));
            marker.feed(stream.mid(second));
            QVERIFY2(marker.version() == QStringLiteral("2.1.07"),
                     qPrintable(QStringLiteral("%1/%2").arg(first).arg(second)));
        }
    }
    // One byte at a time.
    VersionMarker bytewise;
    for (char byte : stream)
        bytewise.feed(&byte, 1);
    QCOMPARE(bytewise.version(), QStringLiteral("2.1.07"));
}

void TestSimFlashParts::markerEdges_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("expected");

    QTest::newRow("none") << QByteArray("KESTRION-FW-VERSIO=1.0") << QString();
    QTest::newRow("at the very end") << QByteArray("abcKESTRION-FW-VERSION=1.2.3") << "1.2.3";
    QTest::newRow("first one wins") << QByteArray("KESTRION-FW-VERSION=1.0\0KESTRION-FW-VERSION=2.0", 47) << "1.0";
    QTest::newRow("an empty one is skipped")
        << QByteArray("KESTRION-FW-VERSION= KESTRION-FW-VERSION=3.0-rc_1;") << "3.0-rc_1";
    QTest::newRow("ends at a NUL") << QByteArray("KESTRION-FW-VERSION=4.0\0"
                                                 "5",
                                                 25)
                                   << "4.0";
    QTest::newRow("at most 32 characters")
        << QByteArray("KESTRION-FW-VERSION=" + QByteArray(40, '9')) << QString(32, QLatin1Char('9'));
}

void TestSimFlashParts::markerEdges()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, expected);

    VersionMarker marker;
    marker.feed(stream);
    QCOMPARE(marker.version(), expected);
}

void TestSimFlashParts::recordsRead_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("problem");
    QTest::addColumn<char>("type");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QByteArray>("data");

    const int none = int(SRecordLine::Problem::None);
    const int format = int(SRecordLine::Problem::Format);
    const int checksum = int(SRecordLine::Problem::Checksum);
    QTest::newRow("S0 header") << QByteArray("S00600004844521B") << none << '0' << 0u << QByteArray("HDR");
    QTest::newRow("S1") << QByteArray("S1130000285F245F2212226A000424290008237C2A") << none << '1' << 0u
                        << QByteArray::fromHex("285F245F2212226A000424290008237C");
    QTest::newRow("S2") << FirmwareImages::record('2', 0x123456, "ab") << none << '2' << 0x123456u << QByteArray("ab");
    QTest::newRow("S3") << FirmwareImages::record('3', 0x89ABCDEF, "z") << none << '3' << 0x89ABCDEFu
                        << QByteArray("z");
    QTest::newRow("lower-case hex") << FirmwareImages::record('1', 0xBEEF, "q").toLower().replace("s1", "S1") << none
                                    << '1' << 0xBEEFu << QByteArray("q");
    QTest::newRow("S9 end") << QByteArray("S9030000FC") << none << '9' << 0u << QByteArray();
    QTest::newRow("checksum") << QByteArray("S9030000FD") << checksum << char(0) << 0u << QByteArray();
    QTest::newRow("count too big") << QByteArray("S9040000FB") << format << char(0) << 0u << QByteArray();
    QTest::newRow("odd digits") << QByteArray("S9030000F") << format << char(0) << 0u << QByteArray();
    QTest::newRow("not hex") << QByteArray("S9030G00FC") << format << char(0) << 0u << QByteArray();
    QTest::newRow("S4 is reserved") << QByteArray("S4030000FC") << format << char(0) << 0u << QByteArray();
    QTest::newRow("no S") << QByteArray("X9030000FC") << format << char(0) << 0u << QByteArray();
    QTest::newRow("count short of the address") << QByteArray("S202000000") << format << char(0) << 0u << QByteArray();
    QTest::newRow("empty") << QByteArray() << format << char(0) << 0u << QByteArray();
}

void TestSimFlashParts::recordsRead()
{
    QFETCH(QByteArray, line);
    QFETCH(int, problem);
    QFETCH(char, type);
    QFETCH(quint32, address);
    QFETCH(QByteArray, data);

    const SRecordLine record = SRecordLine::parse(line);
    QCOMPARE(int(record.problem()), problem);
    if (!record.isValid())
        return;
    QCOMPARE(record.type(), type);
    QCOMPARE(record.address(), address);
    QCOMPARE(record.data(), data);
}

void TestSimFlashParts::recordsOfSrecCat_data()
{
    QTest::addColumn<int>("addressLength");
    QTest::addColumn<quint32>("offset");

    QTest::newRow("S1") << 2 << 0x1000u;
    QTest::newRow("S2") << 3 << 0x0FFF00u;
    QTest::newRow("S3") << 4 << 0x80000000u;
}

void TestSimFlashParts::recordsOfSrecCat()
{
    QFETCH(int, addressLength);
    QFETCH(quint32, offset);
    if (srecCat().isEmpty())
        QSKIP("srec_cat (Debian package srecord) is not installed");

    QTemporaryDir dir;
    const QString binary = dir.filePath(QStringLiteral("image.bin"));
    const QString records = dir.filePath(QStringLiteral("image.srec"));
    const QByteArray content = FirmwareImages::updt(3000, QString(), 5);
    QVERIFY(FirmwareImages::write(binary, content));
    QString why;
    QVERIFY2(run(srecCat(),
                 {binary, QStringLiteral("-Binary"), QStringLiteral("-offset"), QString::number(offset),
                  QStringLiteral("-o"), records, QStringLiteral("-Motorola"),
                  QStringLiteral("-address-length=%1").arg(addressLength)},
                 &why),
             qPrintable(why));

    QByteArray decoded;
    quint32 next = offset;
    int dataRecords = 0;
    for (const QByteArray& line : readAll(records).split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        const SRecordLine record = SRecordLine::parse(line.trimmed());
        QVERIFY2(record.isValid(), line.constData());
        if (!record.isData())
            continue;
        QCOMPARE(record.type(), char('0' + addressLength - 1));
        QCOMPARE(record.address(), next);
        next += quint32(record.data().size());
        decoded += record.data();
        ++dataRecords;
    }
    QVERIFY(dataRecords > 10);
    QCOMPARE(decoded, content);
}

void TestSimFlashParts::flashTakesOnlyErasedBytes()
{
    FlashMemory flash;
    QVERIFY(!flash.write(0x100, "old"));
    QVERIFY(!flash.erase(-1));
    QVERIFY(!flash.erase(FlashMemory::kSectors));
    QVERIFY(flash.erase(0));
    QCOMPARE(flash.read(0xFFFE, 4), QByteArray::fromHex("ffff0000"));
    QVERIFY(flash.write(0x100, "new"));
    QVERIFY(!flash.write(0x102, "x"));
    // Across a sector border both sectors must have been erased.
    QVERIFY(!flash.write(0xFFFE, "abcd"));
    QVERIFY(flash.erase(1));
    QVERIFY(flash.write(0xFFFE, "abcd"));
    QCOMPARE(flash.read(0xFFFC, 8), QByteArray::fromHex("ffff") + "abcd" + QByteArray::fromHex("ffff"));
    QVERIFY(flash.erase(0));
    QCOMPARE(flash.read(0x100, 3), QByteArray::fromHex("ffffff"));
}

void TestSimFlashParts::flashRegionsMergeTouchingWrites()
{
    FlashMemory flash;
    QVERIFY(flash.erase(0) && flash.erase(1) && flash.erase(2));
    QVERIFY(flash.write(0x100, "first"));
    flash.startRun();
    QVERIFY(flash.write(0x20010, "cc"));
    QVERIFY(flash.write(0x20000, QByteArray(16, 'b')));
    QVERIFY(flash.write(0x0FFF0, QByteArray(16, 'a')));
    QVERIFY(flash.write(0x10000, "a2"));
    const QList<FlashMemory::Region> regions = flash.writtenRegions();
    QCOMPARE(regions.size(), 2);
    QCOMPARE(regions.at(0).start, 0x0FFF0u);
    QCOMPARE(regions.at(0).length, quint64(18));
    QCOMPARE(regions.at(0).sha256, QCryptographicHash::hash(QByteArray(16, 'a') + "a2", QCryptographicHash::Sha256));
    QCOMPARE(regions.at(1).start, 0x20000u);
    QCOMPARE(regions.at(1).length, quint64(18));
    QCOMPARE(regions.at(1).sha256, QCryptographicHash::hash(QByteArray(16, 'b') + "cc", QCryptographicHash::Sha256));
}

void TestSimFlashParts::generatedImageAgreesWithSrecCat_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<quint32>("start");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("bytesPerRecord");

    QTest::newRow("S1") << '1' << 0x0100u << 50 << 32;
    QTest::newRow("S2 across sectors") << '2' << 0x0FF00u << 300 << 16;
    QTest::newRow("S3 high") << '3' << 0x00800000u << 20 << 64;
}

void TestSimFlashParts::generatedImageAgreesWithSrecCat()
{
    QFETCH(char, type);
    QFETCH(quint32, start);
    QFETCH(int, lines);
    QFETCH(int, bytesPerRecord);
    if (srecCat().isEmpty())
        QSKIP("srec_cat (Debian package srecord) is not installed");

    FirmwareImages::Flash spec;
    spec.type = type;
    spec.start = start;
    spec.lines = lines;
    spec.bytesPerRecord = bytesPerRecord;
    spec.version = QStringLiteral("5.4.32");
    spec.countRecord = true;
    const QByteArray image = FirmwareImages::flash(spec);
    QTemporaryDir dir;
    const QString records = dir.filePath(QStringLiteral("image.flash"));
    const QString binary = dir.filePath(QStringLiteral("image.bin"));
    QVERIFY(FirmwareImages::write(records, image));
    // srec_cat checks every checksum and the count record while it reads.
    QString why;
    QVERIFY2(run(srecCat(),
                 {records, QStringLiteral("-Motorola"), QStringLiteral("-offset"), QStringLiteral("-%1").arg(start),
                  QStringLiteral("-o"), binary, QStringLiteral("-Binary")},
                 &why),
             qPrintable(why));
    const QByteArray content = readAll(binary);
    QCOMPARE(content.size(), lines * bytesPerRecord);
    QVERIFY(content.startsWith("KESTRION-FW-VERSION=5.4.32"));

    const QJsonArray regions = FirmwareImages::flashRegions(image);
    QCOMPARE(regions.size(), 1);
    QCOMPARE(regions.first().toObject().value("start").toDouble(), double(start));
    QCOMPARE(regions.first().toObject().value("length").toInt(), content.size());
    QCOMPARE(regions.first().toObject().value("sha256").toString(), FirmwareImages::sha256Hex(content));

    // The simulator's own reading of the same image gives the same bytes and the version.
    FlashMemory flash;
    VersionMarker marker;
    for (int sector = 0; sector < FlashMemory::kSectors; ++sector)
        flash.erase(sector);
    flash.startRun();
    for (const QByteArray& line : image.split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        const SRecordLine record = SRecordLine::parse(line.trimmed());
        QVERIFY(record.isValid());
        if (record.isData()) {
            QVERIFY(flash.write(record.address(), record.data()));
            marker.feed(record.data());
        }
    }
    QCOMPARE(marker.version(), QStringLiteral("5.4.32"));
    QCOMPARE(flash.writtenRegions().size(), 1);
    QCOMPARE(QString::fromLatin1(flash.writtenRegions().first().sha256.toHex()), FirmwareImages::sha256Hex(content));
}

QTEST_GUILESS_MAIN(TestSimFlashParts)
#include "tst_simflashparts.moc"
