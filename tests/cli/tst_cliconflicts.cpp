// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the real kestrion-cli on the tool side of the lab tests/labs/netconf-conflicts.json.
// The refusals come first; the last test sends a duplicate on purpose.
#include "clirunner.h"
#include "common/simlog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const QString bl1 = QStringLiteral("02:CD:00:00:00:01");
const QString bl2 = QStringLiteral("02:CD:00:00:00:02");
const QString ct1 = QStringLiteral("02:CD:00:00:00:03");
const QString toolAddress = QStringLiteral("10.78.1.1");
// The control scan's unicast goes to the lab side's own address: a datagram only it sends.
const QString controlTarget = QStringLiteral("10.78.1.254");
const QString fileHeader = QStringLiteral("[Ostravi]\n[Kestrion - Network Configurations]\n\n** You can edit this "
                                          "file to change the network configurations of the devices in the list "
                                          "**\n\nKey,Family,Serial Number,MAC Address,IP Address,Subnet Mask,"
                                          "Gateway\n");

int configurationDatagrams(const SimLog::Lines& heard)
{
    // The discovery queries share the ports: only the set packet and the module's IP-SETUP count.
    const QByteArray ipSetup = QByteArray::fromHex("000000fc49502d5345545550");
    return SimLog::udpStartingWith(heard, 30719, "Ostravi Set:").size() +
           SimLog::udpStartingWith(heard, 30718, ipSetup).size();
}
} // namespace

class TestCliConflicts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void setOntoAnotherUnitExitsTwo();
    void setOntoThisComputerExitsTwo();
    void importGivingOneAddressTwiceExitsTwo();
    void importOntoAnotherUnitExitsTwoEvenOnADryRun();
    void allowDuplicateSendsIt();

private:
    CliRunner::Result run(const QStringList& arguments) const;
    // What the lab heard from `mark` until a control scan's first datagram; false when the control
    // scan was not heard.
    bool heardBeforeControlScan(int mark, SimLog::Lines& heard) const;
    QString writeFile(const QString& rows) const;

    QTemporaryDir m_home;
    QTemporaryDir m_files;
};

void TestCliConflicts::initTestCase()
{
    if (!SimLog::available())
        QSKIP("runs only inside the namespace harness (scripts/netns-lab.sh)");
    QVERIFY(m_home.isValid());
    QVERIFY(m_files.isValid());
}

CliRunner::Result TestCliConflicts::run(const QStringList& arguments) const
{
    return CliRunner::run(arguments, m_home.path());
}

bool TestCliConflicts::heardBeforeControlScan(int mark, SimLog::Lines& heard) const
{
    const CliRunner::Result control =
        run({"scan", "--range", controlTarget + QLatin1Char('-') + controlTarget, "--time", "80"});
    auto controlIndex = [mark]() {
        const SimLog::Lines after = SimLog::lines().mid(mark);
        for (int i = 0; i < after.size(); ++i) {
            if (after.at(i).value("dst").toString() == controlTarget)
                return i;
        }
        return -1;
    };
    if (!control.finished || !QTest::qWaitFor([&]() { return controlIndex() >= 0; }, 10000))
        return false;
    heard = SimLog::lines().mid(mark).mid(0, controlIndex());
    return true;
}

QString TestCliConflicts::writeFile(const QString& rows) const
{
    const QString path = m_files.filePath(QStringLiteral("conflicts.csv"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write((fileHeader + rows).toUtf8());
    return path;
}

void TestCliConflicts::setOntoAnotherUnitExitsTwo()
{
    const int mark = SimLog::lines().size();
    const CliRunner::Result result = run({"set", bl1, "--ip", "10.78.1.22", "--no-verify"});
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 2);
    const QString error = QString::fromUtf8(result.err);
    QVERIFY2(error.contains("10.78.1.22 is already used by") && error.contains(bl2) &&
                 error.contains("nothing was sent (--allow-duplicate sends it anyway)"),
             qPrintable(error));
    QVERIFY(result.out.isEmpty());
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(mark, heard));
    QCOMPARE(configurationDatagrams(heard), 0);
}

void TestCliConflicts::setOntoThisComputerExitsTwo()
{
    const int mark = SimLog::lines().size();
    const CliRunner::Result result = run({"set", ct1, "--ip", toolAddress, "--no-verify"});
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(QString::fromUtf8(result.err).contains(toolAddress + " is already used by this computer"),
             result.err.constData());
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(mark, heard));
    QCOMPARE(configurationDatagrams(heard), 0);
}

void TestCliConflicts::importGivingOneAddressTwiceExitsTwo()
{
    const QString path = writeFile("2101,Lumen,0001," + bl1 + ",10.78.1.60,255.255.255.0,10.78.1.1\n" +
                                   "3100,Corvix,0003," + ct1 + ",10.78.1.60,255.255.255.0,10.78.1.1\n");
    const int mark = SimLog::lines().size();
    const CliRunner::Result result = run({"import", path});
    QCOMPARE(result.exitCode, 2);
    const QString error = QString::fromUtf8(result.err);
    QVERIFY2(error.contains(bl1 + ": 10.78.1.60 is already used by") && error.contains(ct1 + ": 10.78.1.60") &&
                 error.contains("2 address conflict(s); nothing was sent"),
             qPrintable(error));
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(mark, heard));
    QCOMPARE(configurationDatagrams(heard), 0);
}

void TestCliConflicts::importOntoAnotherUnitExitsTwoEvenOnADryRun()
{
    const QString path = writeFile("3100,Corvix,0003," + ct1 + ",10.78.1.22,255.255.255.0,10.78.1.1\n");
    for (const QStringList& arguments : {QStringList{"import", path}, QStringList{"import", "--dry-run", path}}) {
        const int mark = SimLog::lines().size();
        const CliRunner::Result result = run(arguments);
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(QString::fromUtf8(result.err).contains(bl2 + ") at 10.78.1.22"), result.err.constData());
        SimLog::Lines heard;
        QVERIFY(heardBeforeControlScan(mark, heard));
        QCOMPARE(configurationDatagrams(heard), 0);
    }
}

void TestCliConflicts::allowDuplicateSendsIt()
{
    const int mark = SimLog::lines().size();
    const CliRunner::Result result = run({"set", bl1, "--ip", "10.78.1.22", "--no-verify", "--allow-duplicate"});
    QCOMPARE(result.exitCode, 0);
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(mark, heard));
    QCOMPARE(SimLog::settings(heard, "bl1").size(), 1);
}

QTEST_GUILESS_MAIN(TestCliConflicts)
#include "tst_cliconflicts.moc"
