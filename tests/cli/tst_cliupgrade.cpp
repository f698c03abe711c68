// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// "kestrion-cli upgrade" on the tool side of the lab tests/labs/cli-upgrade.json, with the real pacing:
// only procedures that are quick with it (power supplies, a short flash image) are run to their end.
// Every test upgrades units of its own, so the order of the tests does not matter.
#include "clirunner.h"
#include "common/firmwareimages.h"
#include "common/simlog.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const QString ps1Mac = QStringLiteral("02:C3:00:01:00:10");
const QString ps2Mac = QStringLiteral("02:C3:00:01:00:11");
const QString ps3Mac = QStringLiteral("02:C3:00:01:00:12");
const QString psnakMac = QStringLiteral("02:C3:00:01:00:13");
const QString pssilentMac = QStringLiteral("02:C3:00:01:00:14");
const QString psfloodMac = QStringLiteral("02:C3:00:01:00:18");
const QString psjsonMac = QStringLiteral("02:C3:00:01:00:15");
const QString psmanIp = QStringLiteral("10.82.1.16");
const QString psmanMac = QStringLiteral("02:C3:00:01:00:16");
const QString psttyMac = QStringLiteral("02:C3:00:01:00:17");
const QString briskMac = QStringLiteral("02:C3:00:01:00:20");
const QString ctMac = QStringLiteral("02:C3:00:01:00:21");
const QString testerMac = QStringLiteral("02:C3:00:01:00:22");
const QString motMac = QStringLiteral("00:20:4A:03:00:30");
const QString blMac = QStringLiteral("02:C3:00:01:00:40");
const QString blrefuseMac = QStringLiteral("02:C3:00:01:00:41");
const QString blchatMac = QStringLiteral("02:C3:00:01:00:42");
const QString absentMac = QStringLiteral("02:C3:00:0F:0F:0F");
// The control scan's unicast goes to the lab side's own address: a datagram only it sends.
const QString controlTarget = QStringLiteral("10.82.1.254");
const QString newVersion = QStringLiteral("2.0.00");
const QString banner = QStringLiteral(" ===  U P D A T E   T H E   D E V I C E  ===");
constexpr int commandPort = 10001;
constexpr int discoveryPort = 30719;
// Generous: the watchdog's run ends within one installation wait (4 s) after it fires.
constexpr qint64 watchdogBoundMs = 30000;
constexpr int shortTimeoutMs = 1500;

QStringList lines(const QByteArray& output)
{
    return QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The TCP lines of the lab that a scan does not explain: a scan asks the motor driver behind its
// XPort what it is, on one connection of its own.
SimLog::Lines upgradeTraffic(const SimLog::Lines& heard)
{
    QMap<QString, QByteArray> motorConnections;
    for (const QJsonObject& line : SimLog::tcp(heard, QStringLiteral("mot"), QStringLiteral("data")))
        motorConnections[line.value("src").toString()] += SimLog::bytes(line);
    return SimLog::filter(heard, [&](const QJsonObject& line) {
        if (line.value("proto") != "tcp")
            return false;
        const bool scanQuery = line.value("unit") == "mot" && line.value("port").toInt() == commandPort &&
                               motorConnections.value(line.value("src").toString()) == "MVER\r\nMRG:22\r\n";
        return !scanQuery;
    });
}
} // namespace

class TestCliUpgrade : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void twoSuppliesInSequence();
    void failureStopsTheSequence();
    void selectionRulesSendNothing_data();
    void selectionRulesSendNothing();
    void unknownMacSendsNothing();
    void badArgumentsSendNothing_data();
    void badArgumentsSendNothing();
    void jsonGivesOneEventPerLine();
    void watchdogEndsASilentSupply();
    void floodingReportIsBounded();
    void savedTimeoutIsReadNeverWritten();
    void manualAddressSkipsScanAndIdentification();
    void recoverySupplyIsTheCatalogsUnit();
    void beamlineImageIsWritten();
    void progressBarOnlyOnATerminal();
    void damagedImageSendsNothing_data();
    void damagedImageSendsNothing();
    void imageOfAnotherFamilyNeedsForce();
    void refusalIsAFailure_data();
    void refusalIsAFailure();
    void checkSendsNothing();
    void motorDriverFileOfNoKnownDspSendsNothing();

private:
    CliRunner::Result run(const QStringList& arguments) const;
    // What the lab heard from `mark` until a control scan's first datagram; false when the control
    // scan was not heard.
    bool heardBeforeControlScan(int mark, SimLog::Lines& heard);
    static int mark() { return SimLog::lines().size(); }
    QString writeFile(const QString& name, const QByteArray& content) const;
    QString supplyImage() const;
    QString flashImage(int lines) const;
    QJsonObject scannedRecord(const QString& mac);

    QTemporaryDir m_files;
    std::unique_ptr<QTemporaryDir> m_home;
    QByteArray m_image;
};

void TestCliUpgrade::initTestCase()
{
    if (!SimLog::available())
        QSKIP("runs only inside the namespace harness (scripts/netns-lab.sh)");
    QVERIFY(m_files.isValid());
    m_image = FirmwareImages::updt(100000, newVersion);
}

// Every test, and every row, gets a home and a configuration directory of its own.
void TestCliUpgrade::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
}

CliRunner::Result TestCliUpgrade::run(const QStringList& arguments) const
{
    return CliRunner::run(arguments, m_home->path());
}

bool TestCliUpgrade::heardBeforeControlScan(int mark, SimLog::Lines& heard)
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

QString TestCliUpgrade::writeFile(const QString& name, const QByteArray& content) const
{
    const QString path = m_files.filePath(name);
    return FirmwareImages::write(path, content) ? path : QString();
}

QString TestCliUpgrade::supplyImage() const
{
    return writeFile(QStringLiteral("supply.updt"), m_image);
}

QString TestCliUpgrade::flashImage(int lines) const
{
    FirmwareImages::Flash spec;
    spec.lines = lines;
    spec.version = QStringLiteral("3.1.08");
    return writeFile(QStringLiteral("image.flash"), FirmwareImages::flash(spec));
}

QJsonObject TestCliUpgrade::scannedRecord(const QString& mac)
{
    const CliRunner::Result scan = run({"scan", "--json"});
    for (const QJsonValue& record : QJsonDocument::fromJson(scan.out).array()) {
        if (record.toObject().value("MAC").toString().compare(mac, Qt::CaseInsensitive) == 0)
            return record.toObject();
    }
    return {};
}

// ------------------------------------------------------------------ sequences

void TestCliUpgrade::twoSuppliesInSequence()
{
    const int before = mark();
    const CliRunner::Result result =
        run({"upgrade", "--mac", ps1Mac, "--mac", ps2Mac.toLower(), "--file", supplyImage(), "--parallel", "1"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    const QStringList out = lines(result.out);
    const int first = out.indexOf("== " + ps1Mac + " (10.82.1.10): 1 of 2 ==");
    const int second = out.indexOf("== " + ps2Mac + " (10.82.1.11): 2 of 2 ==");
    QVERIFY(first >= 0 && second > first);
    QVERIFY(out.mid(first, second - first).contains(ps1Mac + ": upgraded"));
    QCOMPARE(out.at(out.size() - 3), ps2Mac + ": upgraded");
    // The rescan after the run shows both with the image's version.
    QVERIFY2(out.at(out.size() - 2).endsWith("(" + ps1Mac + "): 1.0.00 \u2192 " + newVersion),
             qPrintable(out.join('\n')));
    QVERIFY(out.last().endsWith("(" + ps2Mac + "): 1.0.00 \u2192 " + newVersion));
    QCOMPARE(out.count(banner), 2);
    QVERIFY(out.contains("Device IP: 10.82.1.10") && out.contains("Device IP: 10.82.1.11"));

    // Each supply took the whole image, the first before the second was contacted.
    const SimLog::Lines after = SimLog::lines().mid(before);
    const QString digest = FirmwareImages::sha256Hex(m_image);
    for (const QString& unit : {QStringLiteral("ps1"), QStringLiteral("ps2")}) {
        const SimLog::Lines uploads = SimLog::events(after, "upload", unit);
        QCOMPARE(uploads.size(), 1);
        QCOMPARE(uploads.first().value("sha256").toString(), digest);
        QCOMPARE(uploads.first().value("fw").toString(), newVersion);
    }
    const double firstDone = SimLog::events(after, "upload", "ps1").first().value("t").toDouble();
    QVERIFY(SimLog::tcp(after, "ps2", "connect").first().value("t").toDouble() >= firstDone);

    // After their reboot both answer a scan with the new version.
    QTRY_COMPARE_WITH_TIMEOUT(scannedRecord(ps1Mac).value("FW").toString(), newVersion, 10000);
    QCOMPARE(scannedRecord(ps2Mac).value("FW").toString(), newVersion);
}

// One after another with a failure limit of one: the first failure stops the sequence.
void TestCliUpgrade::failureStopsTheSequence()
{
    const int before = mark();
    const CliRunner::Result result = run({"upgrade", "--mac", psnakMac, "--mac", ps3Mac, "--file", supplyImage(),
                                          "--parallel", "1", "--max-failures", "1"});
    QCOMPARE(result.exitCode, 1);
    // The supply's reason keeps its own line end.
    QVERIFY(lines(result.out).contains("CRITICAL: update error: wrong model\r"));
    QCOMPARE(lines(result.err),
             QStringList({"kestrion-cli upgrade: " + psnakMac + ": update error: wrong model",
                          "kestrion-cli upgrade: the failure limit (1) was reached: no further unit was started",
                          "kestrion-cli upgrade: not upgraded: " + ps3Mac}));
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(SimLog::events(heard, "upload", "psnak").size(), 1);
    QCOMPARE(SimLog::tcp(heard, "ps3").size(), 0);
}

// ------------------------------------------------------------------ refusals

void TestCliUpgrade::selectionRulesSendNothing_data()
{
    QTest::addColumn<QStringList>("macs");
    QTest::addColumn<QString>("message");
    QTest::newRow("two catalog codes") << QStringList{ps3Mac, briskMac}
                                       << "one catalog code per run: " + ps3Mac + " is 1100, " + briskMac +
                                              " is 1200; nothing was sent";
    QTest::newRow("motor driver with another")
        << QStringList{motMac, ps3Mac} << motMac + " is a motor driver: it is upgraded alone; nothing was sent";
    QTest::newRow("another with a motor driver")
        << QStringList{ps3Mac, motMac} << motMac + " is a motor driver: it is upgraded alone; nothing was sent";
    QTest::newRow("current transducer")
        << QStringList{ctMac}
        << ctMac + " is a current transducer: their firmware cannot be upgraded; nothing was sent";
    QTest::newRow("no procedure") << QStringList{testerMac}
                                  << testerMac + " (code 6100) has no firmware upgrade procedure; nothing was sent";
}

void TestCliUpgrade::selectionRulesSendNothing()
{
    QFETCH(QStringList, macs);
    QFETCH(QString, message);
    QStringList arguments{"upgrade", "--file", supplyImage()};
    for (const QString& mac : macs)
        arguments << "--mac" << mac;
    const int before = mark();
    const CliRunner::Result result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(lines(result.err), QStringList{"kestrion-cli upgrade: " + message});
    QVERIFY(result.out.isEmpty());
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    // Only the scan was heard.
    QVERIFY(!SimLog::udpHeard(heard, discoveryPort).isEmpty());
    QCOMPARE(upgradeTraffic(heard).size(), 0);
}

void TestCliUpgrade::unknownMacSendsNothing()
{
    const int before = mark();
    const CliRunner::Result result = run({"upgrade", "--mac", ps3Mac, "--mac", absentMac, "--file", supplyImage()});
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(lines(result.err), QStringList{"kestrion-cli upgrade: no instrument with the MAC address " + absentMac +
                                            " answered; nothing was sent"});
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(upgradeTraffic(heard).size(), 0);
}

void TestCliUpgrade::badArgumentsSendNothing_data()
{
    const QString image = m_files.filePath(QStringLiteral("supply.updt"));
    const QString missing = m_files.filePath(QStringLiteral("missing.updt"));
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("address not IPv4") << QStringList{"--ip", "10.82.1", "--file", image}
                                      << "--ip: \"10.82.1\" is not an IPv4 address";
    QTest::newRow("loopback address") << QStringList{"--ip", "127.0.0.1", "--file", image}
                                      << "--ip: 127.0.0.1 cannot be the address of a device";
    QTest::newRow("bad MAC") << QStringList{"--mac", "02:C3:00:01:00", "--file", image}
                             << "--mac: \"02:C3:00:01:00\" is not a MAC address (six hexadecimal pairs such as "
                                "00:1A:2B:3C:4D:5E)";
    QTest::newRow("MAC twice") << QStringList{"--mac", ps3Mac, "--mac", ps3Mac.toLower(), "--file", image}
                               << "--mac: " + ps3Mac + " is given twice";
    QTest::newRow("unknown interface") << QStringList{"--mac", ps3Mac, "--file", image, "--interface", "nosuch0"}
                                       << "--interface: the host has no IPv4 interface named \"nosuch0\"";
    QTest::newRow("missing file") << QStringList{"--mac", ps3Mac, "--file", missing}
                                  << "--file: \"" + missing + "\" does not exist";
    QTest::newRow("directory") << QStringList{"--mac", ps3Mac, "--file", m_files.path()}
                               << "--file: \"" + m_files.path() + "\" is not a file";
    QTest::newRow("no file") << QStringList{"--mac", ps3Mac} << "--file is missing";
    QTest::newRow("no device") << QStringList{"--file", image} << "--mac or --ip is missing";
    QTest::newRow("both kinds of device")
        << QStringList{"--mac", ps3Mac, "--ip", "10.82.1.12", "--file", image} << "--mac and --ip do not go together";
    QTest::newRow("time-out not a number") << QStringList{"--mac", ps3Mac, "--file", image, "--timeout", "soon"}
                                           << "--timeout: \"soon\" is not a number from 1 to 999000";
    QTest::newRow("time-out zero") << QStringList{"--mac", ps3Mac, "--file", image, "--timeout", "0"}
                                   << "--timeout: \"0\" is not a number from 1 to 999000";
    QTest::newRow("none at once") << QStringList{"--mac", ps3Mac, "--file", image, "--parallel", "0"}
                                  << "--parallel: \"0\" is not a number from 1 to 32";
    QTest::newRow("too many at once") << QStringList{"--mac", ps3Mac, "--file", image, "--parallel", "33"}
                                      << "--parallel: \"33\" is not a number from 1 to 32";
    QTest::newRow("no failure allowed") << QStringList{"--mac", ps3Mac, "--file", image, "--max-failures", "0"}
                                        << "--max-failures: \"0\" is not a number from 1 to 999";
    QTest::newRow("canary both ways") << QStringList{"--mac", ps3Mac, "--file", image, "--canary", "--no-canary"}
                                      << "--canary and --no-canary do not go together";
}

void TestCliUpgrade::badArgumentsSendNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QVERIFY(!supplyImage().isEmpty());
    const int before = mark();
    const CliRunner::Result result = run(QStringList{"upgrade"} + arguments);
    QCOMPARE(result.exitCode, 2);
    const QStringList err = lines(result.err);
    QCOMPARE(err.size(), 1);
    QVERIFY2(err.first().startsWith("kestrion-cli upgrade: " + message), qPrintable(err.first()));
    QVERIFY(result.out.isEmpty());
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(heard.size(), 0);
}

// ------------------------------------------------------------------ output and time-out

void TestCliUpgrade::jsonGivesOneEventPerLine()
{
    const QString file = supplyImage();
    const CliRunner::Result result = run({"upgrade", "--json", "--mac", psjsonMac, "--file", file});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    QList<QJsonObject> events;
    for (const QByteArray& line : result.out.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        QVERIFY2(error.error == QJsonParseError::NoError && document.isObject(), line.constData());
        QCOMPARE(document.object().value("device").toString(), psjsonMac);
        events << document.object();
    }
    QVERIFY(events.size() > 3);
    QCOMPARE(events.first(), (QJsonObject{{"event", "start"},
                                          {"device", psjsonMac},
                                          {"ip", "10.82.1.15"},
                                          {"index", 1},
                                          {"count", 1},
                                          {"file", QFileInfo(file).absoluteFilePath()}}));
    QCOMPARE(events.at(events.size() - 2), (QJsonObject{{"event", "done"}, {"device", psjsonMac}}));
    QCOMPARE(events.last(), (QJsonObject{{"event", "verified"},
                                         {"device", psjsonMac},
                                         {"versionBefore", "1.0.00"},
                                         {"versionAfter", newVersion},
                                         {"verified", true}}));
    QStringList texts;
    QList<int> bar;
    for (const QJsonObject& event : events.mid(1, events.size() - 3)) {
        const QString kind = event.value("event").toString();
        QVERIFY2(kind == "log" || kind == "progress", qPrintable(kind));
        if (kind == "log")
            texts << event.value("text").toString();
        else
            bar << event.value("value").toInt(-1);
    }
    QCOMPARE(texts.first(), banner);
    QVERIFY(texts.contains("Fiwmware uploaded!"));
    QCOMPARE(texts.last(), QStringLiteral("\nFIRMWARE SUCCESSFULLY UPDATED!"));
    // Absolute positions after the page's rule, reported batched (the latest position of each flush): the bar
    // climbs and ends full.
    QVERIFY(!bar.isEmpty() && bar.first() < 100);
    QCOMPARE(bar.last(), 100);
    for (int i = 1; i < bar.size(); ++i)
        QVERIFY2(bar.at(i) >= bar.at(i - 1),
                 qPrintable(QStringLiteral("bar %1 after %2").arg(bar.at(i)).arg(bar.at(i - 1))));
}

void TestCliUpgrade::watchdogEndsASilentSupply()
{
    QElapsedTimer clock;
    clock.start();
    const CliRunner::Result result =
        run({"upgrade", "--mac", pssilentMac, "--file", supplyImage(), "--timeout", QString::number(shortTimeoutMs)});
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(elapsed >= shortTimeoutMs && elapsed < watchdogBoundMs, qPrintable(QString::number(elapsed)));
    // The step the stop came in comes first: it is the reason the journal keeps.
    const QStringList out = lines(result.out);
    const int step = out.indexOf("ERROR: The upgrade was stopped on request while the supply was installing the "
                                 "image; its installation report was not followed to the end.");
    QVERIFY2(step >= 0 && step < out.indexOf("CRITICAL: update error: Timeout Error!"), result.out.constData());
    QCOMPARE(lines(result.err),
             QStringList{"kestrion-cli upgrade: " + pssilentMac +
                         ": no result within 1500 ms: stopped by the watchdog: ERROR: The upgrade was stopped on "
                         "request while the supply was installing the image; its installation report was not "
                         "followed to the end."});
}

// 4 MiB of installation report reach the output as its first and last 64 Ki characters and a count.
void TestCliUpgrade::floodingReportIsBounded()
{
    const CliRunner::Result result = run({"upgrade", "--json", "--mac", psfloodMac, "--file", supplyImage()});
    QCOMPARE(result.exitCode, 0);
    qInfo("%lld bytes of output", qint64(result.out.size()));
    QVERIFY2(result.out.size() < 1024 * 1024, qPrintable(QString::number(result.out.size())));
    const QRegularExpressionMatch count =
        QRegularExpression(QStringLiteral("\\[(\\d+) characters of the unit's text left out\\]"))
            .match(QString::fromUtf8(result.out));
    QVERIFY2(count.hasMatch(), result.out.right(2000).constData());
    // All but the two ends and the piece that came with the verdict.
    QVERIFY2(count.captured(1).toLongLong() > 4194304 - 3 * 65536, qPrintable(count.captured(1)));
    QVERIFY(result.out.contains("installing: block checked"));
}

void TestCliUpgrade::savedTimeoutIsReadNeverWritten()
{
    const QString settings = CliRunner::settingsPath(m_home->path());
    QVERIFY(QDir().mkpath(QFileInfo(settings).path()));
    const QByteArray saved = "[update]\ntimeout=" + QByteArray::number(shortTimeoutMs) + "\n";
    QVERIFY(FirmwareImages::write(settings, saved));
    const CliRunner::Result result = run({"upgrade", "--mac", pssilentMac, "--file", supplyImage()});
    QCOMPARE(result.exitCode, 1);
    QVERIFY(result.err.contains("no result within 1500 ms"));
    QFile file(settings);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), saved);
}

// ------------------------------------------------------------------ other paths

void TestCliUpgrade::manualAddressSkipsScanAndIdentification()
{
    const int before = mark();
    const CliRunner::Result result = run({"upgrade", "--ip", psmanIp, "--file", supplyImage()});
    QCOMPARE(result.exitCode, 0);
    const QStringList out = lines(result.out);
    QCOMPARE(out.first(), "== " + psmanIp + " (" + psmanIp + "): 1 of 1 ==");
    QCOMPARE(out.last(), psmanIp + ": upgraded");
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(SimLog::udpHeard(heard, discoveryPort).size(), 0);
    QCOMPARE(SimLog::events(heard, "upload", "psman").first().value("sha256").toString(),
             FirmwareImages::sha256Hex(m_image));
    const QByteArray commands = SimLog::tcpReceived(heard, "psman", commandPort);
    QVERIFY2(!commands.contains("VER"), commands.constData());
    QVERIFY(commands.startsWith("MST\r\n"));
}

// Its answer's code bytes are 1F 80: the catalog's supply in recovery mode, upgraded by its MAC.
void TestCliUpgrade::recoverySupplyIsTheCatalogsUnit()
{
    const QJsonObject record = scannedRecord(psmanMac);
    QCOMPARE(record.value("CODE").toString(), QStringLiteral("1F80"));
    QCOMPARE(record.value("FAMILY").toString(), QStringLiteral("Power Supply Recovery"));
    const CliRunner::Result result = run({"upgrade", "--mac", psmanMac.toLower(), "--file", supplyImage()});
    QVERIFY2(result.exitCode == 0, result.err.constData());
    QVERIFY(lines(result.out).contains(psmanMac + ": upgraded"));
}

void TestCliUpgrade::beamlineImageIsWritten()
{
    FirmwareImages::Flash spec;
    spec.lines = 40;
    spec.version = QStringLiteral("3.1.07");
    const QByteArray image = FirmwareImages::flash(spec);
    const int before = mark();
    const CliRunner::Result result =
        run({"upgrade", "--mac", blMac, "--file", writeFile(QStringLiteral("beamline.flash"), image)});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(lines(result.out).contains("Kestrion has finished to update the device with success."));
    QTRY_COMPARE(SimLog::events(SimLog::lines().mid(before), "reboot", "bl").size(), 1);
    const SimLog::Lines after = SimLog::lines().mid(before);
    const QJsonObject flash = SimLog::events(after, "flash", "bl").first();
    QCOMPARE(flash.value("refused").toInt(-1), 0);
    QCOMPARE(flash.value("regions").toArray(), FirmwareImages::flashRegions(image));
    QCOMPARE(SimLog::events(after, "reboot", "bl").first().value("fw").toString(), spec.version);
}

// The bar is drawn on standard error only when that is a terminal; a pseudo-terminal stands in for one.
void TestCliUpgrade::progressBarOnlyOnATerminal()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python))
        QSKIP("needs /usr/bin/python3 for a pseudo-terminal");
    const QString terminal = m_files.filePath(QStringLiteral("terminal.txt"));
    const QString output = m_files.filePath(QStringLiteral("output.txt"));
    // Standard error on the terminal, standard output into a file; the terminal is read to its end.
    const QString script = QStringLiteral("import os, pty, subprocess, sys\n"
                                          "master, slave = pty.openpty()\n"
                                          "with open(sys.argv[2], 'wb') as out:\n"
                                          "    child = subprocess.Popen(sys.argv[3:], stdout=out, stderr=slave)\n"
                                          "os.close(slave)\n"
                                          "seen = b''\n"
                                          "while True:\n"
                                          "    try:\n"
                                          "        chunk = os.read(master, 4096)\n"
                                          "    except OSError:\n"
                                          "        break\n"
                                          "    if not chunk:\n"
                                          "        break\n"
                                          "    seen += chunk\n"
                                          "open(sys.argv[1], 'wb').write(seen)\n"
                                          "sys.exit(child.wait())\n");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_home->path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), CliRunner::configDirectory(m_home->path()));
    process.setProcessEnvironment(environment);
    process.start(python, {"-c", script, terminal, output, CliRunner::program(), "upgrade", "--mac", psttyMac, "--file",
                           supplyImage()});
    QVERIFY(process.waitForFinished(CliRunner::timeoutMs));
    QCOMPARE(process.exitCode(), 0);
    QFile seen(terminal);
    QVERIFY(seen.open(QIODevice::ReadOnly));
    const QByteArray bar = seen.readAll();
    QVERIFY2(bar.contains("\r\x1b[K["), bar.constData());
    QVERIFY2(bar.contains("] 100% " + psttyMac.toLatin1()), bar.constData());
    QVERIFY2(bar.contains("]   0% " + psttyMac.toLatin1()), bar.constData());
    // The terminal holds the bar alone, and standard output the log alone.
    QVERIFY(!bar.contains("Fiwmware uploaded!"));
    QFile log(output);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray text = log.readAll();
    QVERIFY(text.contains("Fiwmware uploaded!"));
    QVERIFY(!text.contains('\x1b'));
}

// ------------------------------------------------------------------ what reaches a unit

void TestCliUpgrade::damagedImageSendsNothing_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("line");
    FirmwareImages::Flash spec;
    spec.lines = 6;
    QList<QByteArray> image = FirmwareImages::flash(spec).split('\n');
    image[2] = FirmwareImages::badChecksum(image.at(2).trimmed()) + "\r";
    QTest::newRow("beamline image with a bad checksum")
        << blMac << "damaged.flash" << image.join('\n') << "line 3, column ";
    // The motor driver's module is not even asked for its setup menu.
    QTest::newRow("motor-driver image with a line that is no record")
        << motMac << "Kolvex_Communication_DSP_damaged.hex"
        << QByteArray(":02000004003EBC\r\n:10800000000102030405060708090A0B0C0D0E0FF8\r\nnot a record\r\n"
                      ":00000001FF\r\n")
        << "line 3";
    // Word address 0 lies below the DSP's flash: refused before the DSP is erased.
    QTest::newRow("motor-driver image outside the DSP's flash")
        << motMac << "Kolvex_Communication_DSP_low.hex"
        << QByteArray(":10000000000102030405060708090A0B0C0D0E0F78\r\n:00000001FF\r\n") << "line 1, column 4: ";
}

void TestCliUpgrade::damagedImageSendsNothing()
{
    QFETCH(QString, mac);
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, line);
    const QString path = writeFile(name, content);
    const int before = mark();
    const CliRunner::Result result = run({"upgrade", "--mac", mac, "--file", path});
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    const QStringList err = lines(result.err);
    QCOMPARE(err.size(), 1);
    QVERIFY2(err.first().startsWith("kestrion-cli upgrade: " + QFileInfo(path).absoluteFilePath() + ": "),
             qPrintable(err.first()));
    QVERIFY2(err.first().contains(line), qPrintable(err.first()));
    QVERIFY(err.first().endsWith("; nothing was sent"));
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(upgradeTraffic(heard).size(), 0);
}

void TestCliUpgrade::imageOfAnotherFamilyNeedsForce()
{
    const QString path = flashImage(8);
    int before = mark();
    const CliRunner::Result refused = run({"upgrade", "--mac", ps3Mac, "--file", path});
    QCOMPARE(refused.exitCode, 2);
    QCOMPARE(lines(refused.err),
             QStringList{"kestrion-cli upgrade: image.flash looks like an S-record image; the selected units are power "
                         "supplies, which take .updt images; nothing was sent (--force sends it anyway)"});
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(upgradeTraffic(heard).size(), 0);

    before = mark();
    const CliRunner::Result forced = run({"upgrade", "--force", "--mac", ps3Mac, "--file", path});
    QCOMPARE(forced.exitCode, 0);
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(SimLog::events(heard, "upload", "ps3").first().value("bytes").toInt(), int(QFileInfo(path).size()));
}

void TestCliUpgrade::refusalIsAFailure_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("error");
    QTest::newRow("a good line refused") << blrefuseMac << "blrefuse"
                                         << "ERROR: the unit refused image line 2: \"#NAK:write failed\\r\\n\"";
    QTest::newRow("chatter instead of a confirmation")
        << blchatMac << "blchat"
        << "ERROR: the unit did not confirm the erase of sector 0; it answered \"#INFO:busy\\r\\n\"";
}

void TestCliUpgrade::refusalIsAFailure()
{
    QFETCH(QString, mac);
    QFETCH(QString, unit);
    QFETCH(QString, error);
    const int before = mark();
    const CliRunner::Result result = run({"upgrade", "--mac", mac, "--file", flashImage(8)});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(lines(result.out).contains(error), result.out.constData());
    QVERIFY(!result.out.contains(": upgraded"));
    QVERIFY(!result.out.contains("success"));
    // The reason is the unit's answer, as the window names it, without the log's level.
    QCOMPARE(lines(result.err),
             QStringList{"kestrion-cli upgrade: " + mac + ": " + error.mid(error.indexOf(": ") + 2)});
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QVERIFY(SimLog::events(heard, "reboot", unit).isEmpty());
    QVERIFY(!SimLog::tcpReceived(heard, unit, commandPort).contains("E\r\n"));
}

// ------------------------------------------------------------------ check

void TestCliUpgrade::checkSendsNothing()
{
    const QByteArray hex(":02000004003EBC\r\n:10800000000102030405060708090A0B0C0D0E0FF8\r\n:00000001FF\r\n");
    const QString path = writeFile(QStringLiteral("Kolvex_Control_DSP.hex"), hex);
    const int before = mark();
    const CliRunner::Result good = run({"check", "--mac", motMac, "--json", path});
    QCOMPARE(good.exitCode, 0);
    const QJsonObject object = QJsonDocument::fromJson(good.out).object();
    QCOMPARE(object.value("kind").toString(), QStringLiteral("intelhex"));
    QCOMPARE(object.value("ranges").toArray(), (QJsonArray{QJsonObject{{"first", "3E8000"}, {"last", "3E8007"}}}));
    QCOMPARE(object.value("rangeUnit").toString(), QStringLiteral("words"));
    QCOMPARE(object.value("dataBytes").toInt(), 16);
    QCOMPARE(object.value("fileBytes").toInt(), hex.size());
    QCOMPARE(object.value("sha256").toString().toLatin1(),
             QCryptographicHash::hash(hex, QCryptographicHash::Sha256).toHex());
    // A beamline unit takes S-records: the file is refused for it, as upgrade would refuse it.
    const CliRunner::Result other = run({"check", "--mac", blMac, path});
    QCOMPARE(other.exitCode, 2);
    QVERIFY2(other.err.endsWith("; nothing would be sent\n"), other.err.constData());
    const CliRunner::Result absent = run({"check", "--json", "--mac", absentMac, path});
    QCOMPARE(absent.exitCode, 3);
    QCOMPARE(QJsonDocument::fromJson(absent.out).object().value("ok"), QJsonValue(false));
    QCOMPARE(run({"check", "--code", "3100", path}).exitCode, 2);
    const CliRunner::Result byContent = run({"check", path});
    QCOMPARE(byContent.exitCode, 0);
    QVERIFY(lines(byContent.out).contains("Address ranges: 3E8000-3E8007 (16-bit words)"));
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(upgradeTraffic(heard).size(), 0);
}

// The procedure would refuse these too, but only after the run began: exit 1 instead of 2.
void TestCliUpgrade::motorDriverFileOfNoKnownDspSendsNothing()
{
    const QByteArray hex(":02000004003EBC\r\n:10800000000102030405060708090A0B0C0D0E0FF8\r\n:00000001FF\r\n");
    const QString control = writeFile(QStringLiteral("Kolvex_Control_DSP.hex"), hex);
    const QString unnamed = writeFile(QStringLiteral("driver.hex"), hex);
    const int before = mark();
    const CliRunner::Result other = run({"upgrade", "--mac", motMac, "--dsp", "communication", "--file", control});
    QCOMPARE(other.exitCode, 2);
    QCOMPARE(lines(other.err), QStringList{"kestrion-cli upgrade: --dsp communication: Kolvex_Control_DSP.hex is "
                                           "named for the control DSP; nothing was sent"});
    const CliRunner::Result unknown = run({"upgrade", "--mac", motMac, "--file", unnamed});
    QCOMPARE(unknown.exitCode, 2);
    QVERIFY2(unknown.err.startsWith("kestrion-cli upgrade: which DSP driver.hex is for is not known"),
             unknown.err.constData());
    QVERIFY(unknown.err.endsWith("; nothing was sent\n"));
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(upgradeTraffic(heard).size(), 0);
}

QTEST_GUILESS_MAIN(TestCliUpgrade)
#include "tst_cliupgrade.moc"
