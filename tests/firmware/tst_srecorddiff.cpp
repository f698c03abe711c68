// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The sectors that the first pass finds, against the data ranges that srecord's own reader finds in the
// same images.
#include "firmware/srecordscan.h"
#include "srecordimage.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using srecordimage::Record;
using UnsignedSectors = QList<quint8>;

namespace {
constexpr int toolWaitMs = 30000;

QString tool(const char* name)
{
    return QStandardPaths::findExecutable(QLatin1String(name));
}

// Every 64 KiB sector that a data range reported by srec_info covers, as unsigned bytes.
bool sectorsByTool(const QString& path, QSet<quint8>& sectors, QString& failure)
{
    QProcess info;
    info.start(tool("srec_info"), {path});
    if (!info.waitForFinished(toolWaitMs) || info.exitCode() != 0) {
        failure = QString::fromLocal8Bit(info.readAllStandardError());
        return false;
    }
    const QString report = QString::fromLocal8Bit(info.readAllStandardOutput());
    const QRegularExpression range(QStringLiteral("([0-9A-Fa-f]+) - ([0-9A-Fa-f]+)"));
    for (QRegularExpressionMatchIterator it = range.globalMatch(report); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const quint64 first = match.captured(1).toULongLong(nullptr, 16) / 65536;
        const quint64 last = match.captured(2).toULongLong(nullptr, 16) / 65536;
        for (quint64 sector = first; sector <= last; ++sector)
            sectors.insert(quint8(sector));
    }
    return true;
}

// srec_cat must take the image as well-formed, or the comparison says nothing.
bool readableByTool(const QString& path, QString& failure)
{
    QProcess cat;
    cat.start(tool("srec_cat"), {path, QStringLiteral("-o"), QStringLiteral("/dev/null")});
    if (!cat.waitForFinished(toolWaitMs) || cat.exitCode() != 0) {
        failure = QString::fromLocal8Bit(cat.readAllStandardError());
        return false;
    }
    return true;
}

UnsignedSectors unsignedSectors(const QList<qint8>& sectors)
{
    UnsignedSectors result;
    for (const qint8 sector : sectors)
        result << quint8(sector);
    return result;
}
} // namespace

class TestSRecordDifferential : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (tool("srec_cat").isEmpty() || tool("srec_info").isEmpty())
            QSKIP("srec_cat and srec_info (Debian package srecord) are needed to compare with");
        QVERIFY(m_dir.isValid());
    }

    void sectorsMatchTheDataRangesOfSrecord_data()
    {
        QTest::addColumn<QByteArray>("types");
        QTest::addColumn<quint64>("addressSpace");
        QTest::addColumn<int>("records");
        QTest::addColumn<bool>("acrossBoundaries");
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 4; ++seed) {
            QTest::addRow("S1, seed %u", seed) << QByteArray("1") << quint64(0x10000) << 40 << false << seed;
            QTest::addRow("S2, seed %u", seed) << QByteArray("2") << quint64(0x800000) << 60 << true << seed;
            QTest::addRow("S3, seed %u", seed) << QByteArray("3") << quint64(0x800000) << 60 << true << seed;
            QTest::addRow("mixed, seed %u", seed) << QByteArray("123") << quint64(0x400000) << 80 << true << seed;
            QTest::addRow("S3 over 32 bits, seed %u", seed)
                << QByteArray("3") << quint64(0x100000000) << 40 << true << seed;
            QTest::addRow("few sectors, seed %u", seed) << QByteArray("23") << quint64(0x40000) << 100 << true << seed;
        }
    }
    void sectorsMatchTheDataRangesOfSrecord()
    {
        QFETCH(QByteArray, types);
        QFETCH(quint64, addressSpace);
        QFETCH(int, records);
        QFETCH(bool, acrossBoundaries);
        QFETCH(quint32, seed);

        QRandomGenerator random(seed);
        const QList<Record> image = srecordimage::randomRecords(random, types, addressSpace, records, acrossBoundaries);
        const char widest = *std::max_element(types.cbegin(), types.cend());
        const QString path = m_dir.filePath(QStringLiteral("image-%1-%2.flash").arg(QLatin1String(types)).arg(seed));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(srecordimage::image(image, widest));
        file.close();

        QString failure;
        QVERIFY2(readableByTool(path, failure), qPrintable(failure));
        QSet<quint8> expected;
        QVERIFY2(sectorsByTool(path, expected, failure), qPrintable(failure));

        QVERIFY(file.open(QIODevice::ReadOnly));
        const UnsignedSectors found = unsignedSectors(SRecordScan::scan(file).sectors());
        const QSet<quint8> foundSet(found.cbegin(), found.cend());
        QCOMPARE(found.size(), foundSet.size());
        QCOMPARE(foundSet, expected);
        QCOMPARE(found, srecordimage::sectorsInOrder(image));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestSRecordDifferential)
#include "tst_srecorddiff.moc"
