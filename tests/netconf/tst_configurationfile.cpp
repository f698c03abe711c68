// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netconf/changedeviceconfigurations.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

Device_t makeDevice(const QString& code, const QString& group, const QString& sn, const QString& macTail)
{
    Device_t device;
    device.code = code;
    device.group = group;
    device.serialNumber = sn;
    device.mac = QStringLiteral("00:1A:2B:3C:4D:") + macTail;
    device.ip = QStringLiteral("10.77.1.") + QString::number(macTail.toInt(nullptr, 16));
    device.netmask = QStringLiteral("255.255.255.0");
    device.gateway = QStringLiteral("10.77.1.1");
    device.dhcp = QStringLiteral("0");
    return device;
}

const QByteArray expectedHeader = "[Ostravi]\n[Kestrion - Network Configurations]\n\n** You can edit this file to "
                                  "change the network configurations of the devices in the list **\n\n"
                                  "Key,Family,Serial Number,MAC Address,IP Address,Subnet Mask,Gateway\n";

} // namespace

// The comma-separated file: exact bytes written, and the rows read back from
// files as users edit them.
class TestConfigurationFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void writesExactBytes();
    void roundTripKeepsInstrumentRows();
    void readsEditedFiles_data();
    void readsEditedFiles();
    void unreadableFileGivesNothing();
    void unwritablePathWritesNothing();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    void writeRaw(const QString& name, const QByteArray& bytes) const;

    QTemporaryDir m_dir;
    QList<Device_t> m_devices;
};

void TestConfigurationFile::init()
{
    QVERIFY(m_dir.isValid());
    m_devices = {makeDevice("1100", "PS Group", "PS-1", "10"),       makeDevice("2102", "BL Group", "BL-2", "11"),
                 makeDevice("3100", "CT Group", "CT-3", "12"),       makeDevice("4100", "Kolvex", "NA", "13"),
                 makeDevice("5100", "MicroTCA Group", "MT-5", "14"), makeDevice("6100", "Tools", "TT-6", "15"),
                 makeDevice("9999", "Unknown", "U-7", "16")};
}

void TestConfigurationFile::writeRaw(const QString& name, const QByteArray& bytes) const
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void TestConfigurationFile::writesExactBytes()
{
    changeNetworkConfiguration conf;
    conf.downloadNetwConf(m_devices.mid(0, 2), path("out.csv"));
    QFile file(path("out.csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expectedHeader +
                                 "1100,PS Group,PS-1,00:1A:2B:3C:4D:10,10.77.1.16,255.255.255.0,10.77.1.1\n"
                                 "2102,BL Group,BL-2,00:1A:2B:3C:4D:11,10.77.1.17,255.255.255.0,10.77.1.1\n");
}

void TestConfigurationFile::roundTripKeepsInstrumentRows()
{
    changeNetworkConfiguration conf;
    conf.downloadNetwConf(m_devices, path("all.csv"));
    const QList<QList<QString>> rows = conf.readNewNetwConfFile(path("all.csv"));
    // Motor-driver codes belong to the power-supply family in the catalog, so they come back too;
    // MicroTCA boards, tools and unknown codes are written but not read.
    QList<QList<QString>> expected;
    for (const Device_t& d : qAsConst(m_devices).mid(0, 4))
        expected.append({d.group, d.serialNumber, d.mac, d.ip, d.netmask, d.gateway});
    QCOMPARE(rows, expected);
}

void TestConfigurationFile::readsEditedFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<QList<QString>>>("expected");
    const QList<QString> ps{"PS Group", "PS-1", "00:1A:2B:3C:4D:10", "10.77.1.50", "255.255.0.0", "10.77.0.1"};
    const QList<QString> bl{"BL Group", "BL-2", "00:1A:2B:3C:4D:11", "10.77.1.51", "255.255.255.0", "10.77.1.1"};
    const QByteArray psLine = "1100,PS Group,PS-1,00:1A:2B:3C:4D:10,10.77.1.50,255.255.0.0,10.77.0.1";
    const QByteArray blLine = "2102,BL Group,BL-2,00:1A:2B:3C:4D:11,10.77.1.51,255.255.255.0,10.77.1.1";
    QByteArray lf = expectedHeader + psLine + "\n" + blLine + "\n";
    QByteArray crlf = lf;
    crlf.replace("\n", "\r\n");
    QTest::newRow("LF") << lf << QList<QList<QString>>{ps, bl};
    QTest::newRow("CR LF keeps the gateway clean") << crlf << QList<QList<QString>>{ps, bl};
    QTest::newRow("no line end after last line") << QByteArray(psLine + "\n" + blLine) << QList<QList<QString>>{ps, bl};
    QTest::newRow("CR at end of file") << QByteArray(psLine + "\r\n" + blLine + "\r") << QList<QList<QString>>{ps, bl};
    QTest::newRow("extra fields ignored") << QByteArray(psLine + "\n" + blLine + ",comment\n")
                                          << QList<QList<QString>>{ps, {bl.mid(0, 5) << "10.77.1.1"}};
    QTest::newRow("foreign lines skipped")
        << QByteArray("6100,Tools,T,00:00:00:00:00:01,1.2.3.4\n\nrandom text\n" + psLine + "\n")
        << QList<QList<QString>>{ps};
    QTest::newRow("a short instrument line empties everything")
        << QByteArray(psLine + "\n" + "2102,BL Group,BL-2,00:1A:2B:3C:4D:11,10.77.1.51,255.255.255.0\n")
        << QList<QList<QString>>();
    QTest::newRow("header only") << expectedHeader << QList<QList<QString>>();
    QTest::newRow("empty file") << QByteArray() << QList<QList<QString>>();
}

void TestConfigurationFile::readsEditedFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<QList<QString>>, expected);
    writeRaw("edited.csv", content);
    changeNetworkConfiguration conf;
    QCOMPARE(conf.readNewNetwConfFile(path("edited.csv")), expected);
}

void TestConfigurationFile::unreadableFileGivesNothing()
{
    changeNetworkConfiguration conf;
    QVERIFY(conf.readNewNetwConfFile(path("missing.csv")).isEmpty());
    QVERIFY(conf.lastError().contains(QLatin1String("missing.csv")));
}

void TestConfigurationFile::unwritablePathWritesNothing()
{
    changeNetworkConfiguration conf;
    const QString target = path("no-such-dir/out.csv");
    conf.downloadNetwConf(m_devices, target);
    QVERIFY(!QFile::exists(target));
    QVERIFY(conf.lastError().contains(QLatin1String("out.csv")));
}

QTEST_GUILESS_MAIN(TestConfigurationFile)
#include "tst_configurationfile.moc"
