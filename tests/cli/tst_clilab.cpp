// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the real kestrion-cli on the tool side of the lab tests/labs/cli-lab.json.
// The tests run in declaration order: the read-only ones first, then the ones that
// move units (each its own unit), then import, which writes what the lab then holds.
#include "clirunner.h"
#include "common/simlog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const QString ps1Mac = QStringLiteral("02:C1:00:01:00:10");
const QString bl1Mac = QStringLiteral("02:C1:00:01:00:11");
const QString moverMac = QStringLiteral("02:C1:00:01:00:20");
const QString stubbornMac = QStringLiteral("02:C1:00:01:00:21");
const QString rec1Mac = QStringLiteral("02:C1:00:01:00:22");
const QString testerMac = QStringLiteral("02:C1:00:01:00:23");
const QString uniMac = QStringLiteral("02:C1:00:01:00:30");
const QString strayMac = QStringLiteral("02:C1:00:02:00:21");
const QString xp1Mac = QStringLiteral("00:20:4A:02:00:40");
const QString imp1Mac = QStringLiteral("02:C1:00:02:00:30");
const QString imp2Mac = QStringLiteral("02:C1:00:02:00:31");
const QString absentMac = QStringLiteral("02:C1:00:0F:0F:0F");
const QByteArray setTag = "Ostravi Set:";
const QByteArray ipSetupHead = QByteArray::fromHex("000000fc49502d5345545550");
const QStringList keywords{"CODE", "ID",  "FAMILY", "DEVICE",  "BRAND",   "SN",
                           "FW",   "MAC", "IP",     "NETMASK", "GATEWAY", "DHCP"};
// The control scan's unicast goes to the lab side's own address on kc0: a datagram only it sends.
const QString controlTarget = QStringLiteral("10.79.1.254");
const QString fileHeader = QStringLiteral("[Ostravi]\n[Kestrion - Network Configurations]\n\n** You can edit this "
                                          "file to change the network configurations of the devices in the list "
                                          "**\n\nKey,Family,Serial Number,MAC Address,IP Address,Subnet Mask,"
                                          "Gateway\n");
// The command line's CSV carries DHCP as a last column, which the configuration file has not.
const QString csvHeader = QString(fileHeader).replace(QStringLiteral("Gateway\n"), QStringLiteral("Gateway,DHCP\n"));

// A unit's DHCP word in the command line's output, from what the lab file gives it.
QString dhcpWord(const QString& dhcp)
{
    return dhcp == QLatin1String("1")   ? QStringLiteral("on")
           : dhcp == QLatin1String("0") ? QStringLiteral("off")
                                        : QStringLiteral("unknown");
}

struct CatalogEntry
{
    QString family;
    QString group;
    QString description;
};

// The catalog rows of the codes in the lab, copied from the catalog by hand.
const QMap<QString, CatalogEntry> catalog{
    {"1100", {"Power Supply Systems", "Aurel", "Bipolar precision power supply, 20 A"}},
    {"1700", {"Power Supply Systems", "Pelgrin", "Quench-protected superconducting magnet supply"}},
    {"2100", {"Beamline", "Lumen", "Beam position monitor electronics"}},
    {"2101", {"Beamline", "Lumen", "Beam position monitor electronics, variant 1"}},
    {"2180", {"Beamline", "Lumen Recovery", "Beamline instrument in recovery mode"}},
    {"3100", {"Current Transducers", "Corvix", "Zero-flux DC current transducer"}},
    {"4200", {"Power Supply Systems", "Kolvex", "Two-axis motor driver"}},
    {"6100", {"Ostravi Tools", "Dravo", "Network and firmware test tool"}},
};

// Module identifier, serial and firmware that the legacy units' raw bytes decode to.
const QMap<QString, QStringList> decodedBytes{
    {"bl1", {"BL01", "12Y34W567", "1.2.03"}},        {"mover", {"MV01", "7", "3.0.00"}},
    {"stubborn", {"CTX-9", "51Y32W5476", "3.1.04"}}, {"rec1", {"RC01", "12345", "0.1.00"}},
    {"tester", {"DRV", "f7Y55Wc010", "6.1.00"}},     {"imp1", {"IM01", "9", "3.0.00"}},
    {"imp2", {"Unknown", "10A32X547", "3.1.05"}},
};

QString text(const QJsonObject& object, const char* key, const QString& fallback = QString())
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isString() ? value.toString() : fallback;
}

QStringList lines(const QByteArray& output)
{
    return QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool isConfiguration(const QJsonObject& line)
{
    const QByteArray bytes = SimLog::bytes(line);
    return line.value("proto").toString() == QLatin1String("udp") &&
           (bytes.startsWith(setTag) || bytes.startsWith(ipSetupHead));
}

QByteArray macBytes(const QString& mac)
{
    return QByteArray::fromHex(mac.toLatin1().replace(':', ""));
}
} // namespace

class TestCliLab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void interfacesMarksThoseAScanUses();
    void jsonMatchesTheLabFieldByField();
    void csvIsTheConfigurationFile();
    void exportWritesWhatCsvPrints();
    void tableShowsEveryUnit();
    void interfaceChoiceLimitsTheScan();
    void unicastRangeReachesAUnicastOnlyUnit();
    void unscannedInterfaceIsRefused();
    void exportLeavesTheFileWhenNothingAnswers();
    void savedSettingsAreReadNeverWritten();
    void missingSettingsFileStaysMissing();

    void badArgumentsSendNothing_data();
    void badArgumentsSendNothing();
    void unknownMacSendsNothing();
    void settingsTheDeviceCannotTakeSendNothing_data();
    void settingsTheDeviceCannotTakeSendNothing();

    void setMovesAUnitAndSeesItThere();
    void setBringsAStrayUnitIntoItsSubnet();
    void setFailsWhenTheUnitDoesNotMove();
    void setKeepsTheMotorDriversFixedNetwork();
    void setTesterAsksForARestart();
    void setSwitchesDhcpOff();
    void setWithoutVerifyDoesNotRescan();

    void importDryRunSendsNothing();
    void importSendsOnlyTheRowsThatDiffer();

private:
    CliRunner::Result run(const QStringList& arguments) const;
    QJsonArray scanJson(const QStringList& extra = {});
    QJsonObject unitNamed(const QString& name) const;
    QJsonObject linkNamed(const QString& name) const;
    QJsonObject expectedRecord(const QJsonObject& unit) const;
    QStringList answeringUnits() const;
    // What the lab heard from `mark` until a control scan's first datagram; false when
    // the control scan was not heard.
    bool heardBeforeControlScan(int mark, SimLog::Lines& heard);
    static int mark() { return SimLog::lines().size(); }
    QString writeFile(const QString& name, const QString& content) const;
    QString exportedFile();

    QJsonObject m_lab;
    QTemporaryDir m_files;
    std::unique_ptr<QTemporaryDir> m_home;
};

void TestCliLab::initTestCase()
{
    if (!SimLog::available())
        QSKIP("runs only inside the namespace harness (scripts/netns-lab.sh)");
    QFile lab(qEnvironmentVariable("KESTRION_LAB"));
    QVERIFY(lab.open(QIODevice::ReadOnly));
    m_lab = QJsonDocument::fromJson(lab.readAll()).object();
    QVERIFY(!m_lab.value("units").toArray().isEmpty());
    QVERIFY(m_files.isValid());
}

// Every test, and every row, gets a home and a configuration directory of its own.
void TestCliLab::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
}

CliRunner::Result TestCliLab::run(const QStringList& arguments) const
{
    return CliRunner::run(arguments, m_home->path());
}

QJsonArray TestCliLab::scanJson(const QStringList& extra)
{
    const CliRunner::Result result = run(QStringList{"scan", "--json"} + extra);
    if (!result.finished || (result.exitCode != 0 && result.exitCode != 3))
        return {};
    return QJsonDocument::fromJson(result.out).array();
}

QJsonObject TestCliLab::unitNamed(const QString& name) const
{
    for (const QJsonValue& unit : m_lab.value("units").toArray()) {
        if (unit.toObject().value("name").toString() == name)
            return unit.toObject();
    }
    return {};
}

QJsonObject TestCliLab::linkNamed(const QString& name) const
{
    for (const QJsonValue& link : m_lab.value("links").toArray()) {
        if (link.toObject().value("name").toString() == name)
            return link.toObject();
    }
    return {};
}

// The units a default scan finds: every one off the docker bridge that answers broadcasts.
QStringList TestCliLab::answeringUnits() const
{
    QStringList names;
    for (const QJsonValue& value : m_lab.value("units").toArray()) {
        const QJsonObject unit = value.toObject();
        const QString answer = text(unit, "answer", QStringLiteral("both"));
        if (unit.value("link").toString() != QLatin1String("docker0") &&
            (answer == QLatin1String("both") || answer == QLatin1String("broadcast")))
            names << unit.value("name").toString();
    }
    return names;
}

// The record the lab file says a unit gives: its present settings, the fields of its
// answer, and the catalog row of its code.
QJsonObject TestCliLab::expectedRecord(const QJsonObject& unit) const
{
    QJsonObject record;
    for (const QString& keyword : keywords)
        record.insert(keyword, QString());
    const QString kind = text(unit, "kind");
    const QString mac = text(unit, "mac");
    const QString ip = text(unit, "ip");
    const QString mask = text(unit, "mask", QStringLiteral("255.255.255.0"));
    const QString gateway = text(unit, "gateway", text(linkNamed(text(unit, "link")), "toolIp"));
    const QString dhcp = text(unit, "dhcp", QStringLiteral("0"));
    QJsonObject extra;
    if (kind == QLatin1String("legacy")) {
        const QString code = text(unit, "code").toLower();
        record["CODE"] = code;
        record["FAMILY"] = catalog.value(code).group;
        record["DEVICE"] = catalog.value(code).description;
        record["MAC"] = mac.toUpper();
        record["IP"] = ip;
        record["NETMASK"] = mask;
        record["GATEWAY"] = gateway;
        const QJsonObject psInfo = unit.value("psInfo").toObject();
        if (!psInfo.isEmpty()) {
            record["ID"] = text(psInfo, "id");
            record["SN"] = text(psInfo, "sn");
            record["FW"] = text(psInfo, "fw");
            record["DHCP"] = dhcp;
        } else {
            const QStringList decoded = decodedBytes.value(text(unit, "name"));
            record["ID"] = decoded.value(0);
            record["SN"] = decoded.value(1);
            record["FW"] = decoded.value(2);
        }
    } else if (kind == QLatin1String("json")) {
        const QMap<QString, QString> present{
            {"MAC", mac}, {"IP", ip}, {"NETMASK", mask}, {"GATEWAY", gateway}, {"DHCP", dhcp}};
        const QJsonObject answer = unit.value("object").toObject();
        for (auto it = answer.constBegin(); it != answer.constEnd(); ++it) {
            QString value = it.value().toString();
            // The unit keeps the lab's text of a member only while it names the present value.
            if (present.contains(it.key()) && value.compare(present.value(it.key()), Qt::CaseInsensitive) != 0)
                value = present.value(it.key());
            if (keywords.contains(it.key()))
                record[it.key()] = value;
            else
                extra.insert(it.key(), value);
        }
    } else {
        const QJsonObject driver = unit.value("driver").toObject();
        const QString serial = text(driver, "serial");
        record["CODE"] = QStringLiteral("4200");
        record["ID"] = serial;
        record["SN"] = serial;
        record["FW"] = text(driver, "mver").section(QLatin1Char(':'), 3);
        record["FAMILY"] = catalog.value("4200").group;
        record["DEVICE"] = catalog.value("4200").description;
        record["MAC"] = mac.toUpper();
        record["IP"] = ip;
        record["NETMASK"] = QStringLiteral("255.255.255.0");
        record["GATEWAY"] = QStringLiteral("192.168.0.1");
        record["DHCP"] = QStringLiteral("NA");
    }
    record["DHCP"] = dhcpWord(record.value("DHCP").toString());
    const CatalogEntry entry = catalog.value(record.value("CODE").toString());
    record["catalogFamily"] = entry.family;
    record["catalogGroup"] = entry.group;
    record["catalogDescription"] = entry.description;
    record["extra"] = extra;
    return record;
}

bool TestCliLab::heardBeforeControlScan(int mark, SimLog::Lines& heard)
{
    const CliRunner::Result control = run(
        {"scan", "--interface", "kc0", "--range", controlTarget + QLatin1Char('-') + controlTarget, "--time", "80"});
    // The unicast sweep leaves before the broadcasts: the control's first datagram ends the window.
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

QString TestCliLab::writeFile(const QString& name, const QString& content) const
{
    const QString path = m_files.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(content.toUtf8());
    return path;
}

// ------------------------------------------------------------------ read-only commands

void TestCliLab::interfacesMarksThoseAScanUses()
{
    const int before = mark();
    CliRunner::Result result = run({"interfaces"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(lines(result.out),
             (QStringList{"Scan  Name     Address    Mask", "yes   kc0      10.79.1.1  255.255.255.0",
                          "yes   kc1      10.79.2.1  255.255.255.0", "no    docker0  10.79.3.1  255.255.255.0"}));
    result = run({"interfaces", "--interface", "kc1", "--interface", "docker0"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(lines(result.out).mid(1),
             (QStringList{"no    kc0      10.79.1.1  255.255.255.0", "yes   kc1      10.79.2.1  255.255.255.0",
                          "no    docker0  10.79.3.1  255.255.255.0"}));
    QVERIFY(result.err.isEmpty());
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(heard.size(), 0);
}

void TestCliLab::jsonMatchesTheLabFieldByField()
{
    const CliRunner::Result result = run({"scan", "--json"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QVERIFY(document.isArray());
    QMap<QString, QJsonObject> byMac;
    for (const QJsonValue& value : document.array())
        byMac.insert(value.toObject().value("MAC").toString().toUpper(), value.toObject());
    const QStringList expectedUnits = answeringUnits();
    QCOMPARE(document.array().size(), expectedUnits.size());
    for (const QString& name : expectedUnits) {
        const QJsonObject unit = unitNamed(name);
        const QJsonObject expected = expectedRecord(unit);
        const QJsonObject actual = byMac.value(text(unit, "mac").toUpper());
        QVERIFY2(!actual.isEmpty(), qPrintable(name + " was not found"));
        QCOMPARE(QStringList(actual.keys()), QStringList(expected.keys()));
        for (const QString& key : expected.keys()) {
            const QString where = name + QLatin1Char('.') + key;
            QVERIFY2(actual.value(key) == expected.value(key),
                     qPrintable(where + ": " + QJsonDocument(QJsonObject{{key, actual.value(key)}}).toJson() +
                                " expected " + QJsonDocument(QJsonObject{{key, expected.value(key)}}).toJson()));
        }
    }
}

void TestCliLab::csvIsTheConfigurationFile()
{
    const CliRunner::Result result = run({"scan", "--csv"});
    QCOMPARE(result.exitCode, 0);
    const QString output = QString::fromUtf8(result.out);
    QVERIFY(output.startsWith(csvHeader));
    QSet<QString> rows;
    for (const QString& row : output.mid(csvHeader.size()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        rows.insert(row);
    QSet<QString> expected;
    for (const QString& name : answeringUnits()) {
        const QJsonObject record = expectedRecord(unitNamed(name));
        QStringList fields;
        for (const char* key : {"CODE", "FAMILY", "SN", "MAC", "IP", "NETMASK", "GATEWAY", "DHCP"})
            fields << record.value(QLatin1String(key)).toString();
        expected.insert(fields.join(QLatin1Char(',')));
    }
    QCOMPARE(rows, expected);
}

QString TestCliLab::exportedFile()
{
    const QString path = m_files.filePath(QStringLiteral("export.csv"));
    QFile::remove(path);
    const CliRunner::Result result = run({"export", path});
    if (result.exitCode != 0)
        return QString();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void TestCliLab::exportWritesWhatCsvPrints()
{
    const QString written = exportedFile();
    const CliRunner::Result printed = run({"scan", "--csv"});
    QCOMPARE(printed.exitCode, 0);
    QVERIFY(written.startsWith(fileHeader));
    // Two scans may list the units in another order; the file has no DHCP column.
    QStringList writtenRows = written.split(QLatin1Char('\n'));
    QStringList printedRows;
    const QString printedFile = QString::fromUtf8(printed.out);
    QVERIFY(printedFile.startsWith(csvHeader));
    for (const QString& row : QString(fileHeader + printedFile.mid(csvHeader.size())).split(QLatin1Char('\n')))
        printedRows << (row.count(QLatin1Char(',')) == 7 ? row.section(QLatin1Char(','), 0, 6) : row);
    writtenRows.sort();
    printedRows.sort();
    QCOMPARE(writtenRows, printedRows);
}

void TestCliLab::tableShowsEveryUnit()
{
    const CliRunner::Result result = run({"scan"});
    QCOMPARE(result.exitCode, 0);
    const QStringList table = lines(result.out);
    QVERIFY(table.first().startsWith("Code  Group"));
    QCOMPARE(table.size(), 1 + answeringUnits().size());
    for (const QString& name : answeringUnits()) {
        const QJsonObject record = expectedRecord(unitNamed(name));
        const QRegularExpression cells(QRegularExpression::escape(record.value("MAC").toString()) + "\\s+" +
                                       QRegularExpression::escape(record.value("IP").toString()) + "\\s+" +
                                       QRegularExpression::escape(record.value("NETMASK").toString()) + "\\s");
        QVERIFY2(QString::fromUtf8(result.out).contains(cells), qPrintable(name));
    }
}

void TestCliLab::interfaceChoiceLimitsTheScan()
{
    const int before = mark();
    const QJsonArray found = scanJson({"--interface", "kc1"});
    QStringList macs;
    for (const QJsonValue& record : found)
        macs << record.toObject().value("MAC").toString().toUpper();
    macs.sort();
    QStringList expected;
    for (const QString& name : answeringUnits()) {
        if (text(unitNamed(name), "link") == QLatin1String("kc1"))
            expected << text(unitNamed(name), "mac").toUpper();
    }
    expected.sort();
    QCOMPARE(macs, expected);
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QVERIFY(!SimLog::udpHeard(heard, 30719, "kc1").isEmpty());
    QVERIFY(SimLog::udpHeard(heard, 30719, "kc0").isEmpty());
    QVERIFY(SimLog::udpHeard(heard, 30718, "kc0").isEmpty());
}

void TestCliLab::unicastRangeReachesAUnicastOnlyUnit()
{
    auto hasUni = [](const QJsonArray& found) {
        for (const QJsonValue& record : found) {
            if (record.toObject().value("MAC").toString() == uniMac)
                return true;
        }
        return false;
    };
    QVERIFY(!hasUni(scanJson({"--interface", "kc0"})));
    QVERIFY(hasUni(scanJson({"--interface", "kc0", "--range", "10.79.1.29-10.79.1.31"})));
}

// A scan never asks a docker bridge: choosing one alone is refused with the reason, and nothing is sent.
void TestCliLab::unscannedInterfaceIsRefused()
{
    const int before = mark();
    const CliRunner::Result result = run({"scan", "--json", "--interface", "docker0"});
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    QCOMPARE(lines(result.err),
             QStringList{"kestrion-cli scan: --interface: a scan does not use \"docker0\": docker bridges and "
                         "interfaces without an address are left out (it can use: kc0, kc1)"});
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(heard.size(), 0);
}

void TestCliLab::exportLeavesTheFileWhenNothingAnswers()
{
    const QString path = writeFile("kept.csv", "what was there\n");
    const CliRunner::Result result = run({"export", "--interface", "docker0", path});
    QCOMPARE(result.exitCode, 2);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("what was there\n"));
}

void TestCliLab::savedSettingsAreReadNeverWritten()
{
    const QString settings = CliRunner::settingsPath(m_home->path());
    QVERIFY(QDir().mkpath(QFileInfo(settings).absolutePath()));
    // A partial file, as a hand edit leaves it: the companion must neither complete nor reorder it.
    const QByteArray content = "[scan]\nsendUnicast=true\nstartIp=10.79.1.29\nendIp=10.79.1.31\nscanTime=240\n"
                               "[custom]\nnote=kept as it is\n";
    QFile file(settings);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    const QDateTime written = QFileInfo(settings).lastModified();

    bool uniFound = false;
    for (const QJsonValue& record : scanJson({"--interface", "kc0"}))
        uniFound = uniFound || record.toObject().value("MAC").toString() == uniMac;
    QVERIFY2(uniFound, "the saved unicast range was not used");
    const QString exportPath = m_files.filePath("settings-export.csv");
    for (const QStringList& arguments :
         {QStringList{"interfaces"}, QStringList{"export", "--interface", "kc1", exportPath},
          QStringList{"import", "--dry-run", "--interface", "kc1", exportPath},
          QStringList{"set", imp2Mac, "--ip", "10.79.2.31", "--no-verify", "--interface", "kc1"}}) {
        const CliRunner::Result result = run(arguments);
        QVERIFY2(result.exitCode == 0, qPrintable(arguments.join(' ') + ": " + QString::fromUtf8(result.err)));
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
    QCOMPARE(QFileInfo(settings).lastModified(), written);
    QCOMPARE(QDir(QFileInfo(settings).absolutePath()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{"kestrionConfig.ini"});
}

void TestCliLab::missingSettingsFileStaysMissing()
{
    QCOMPARE(run({"scan", "--interface", "kc1"}).exitCode, 0);
    QCOMPARE(run({"interfaces"}).exitCode, 0);
    QVERIFY(!QFileInfo::exists(CliRunner::configDirectory(m_home->path())));
}

// ------------------------------------------------------------------ bad usage

void TestCliLab::badArgumentsSendNothing_data()
{
    const QString headerOnly = writeFile("header-only.csv", fileHeader);
    const QString badRow = writeFile("bad-row.csv", fileHeader + "2100,Lumen,9," + imp1Mac +
                                                        ",10.79.2.30,255.255.255.0,10.79.2.1\n2100,Lumen,7," +
                                                        moverMac + ",10.79.2.999,255.255.255.0,10.79.2.1\n");
    const QString shortRow = writeFile("short-row.csv", fileHeader + "2100,Lumen,9," + imp1Mac + ",10.79.2.30\n");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const QString ip = QStringLiteral("10.79.1.50");
    QTest::newRow("no command") << QStringList{} << "kestrion-cli: no command given";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << "unknown command \"frobnicate\"";
    QTest::newRow("unknown option") << QStringList{"scan", "--bogus"} << "Unknown option 'bogus'";
    QTest::newRow("option without value") << QStringList{"set", moverMac, "--ip"} << "Missing value after '--ip'";
    QTest::newRow("json and csv") << QStringList{"scan", "--json", "--csv"} << "--json and --csv exclude each other";
    QTest::newRow("unexpected argument") << QStringList{"scan", "extra"} << "unexpected argument \"extra\"";
    QTest::newRow("unknown interface") << QStringList{"scan", "--interface", "nosuch0"}
                                       << "no IPv4 interface named \"nosuch0\" (it has: kc0, kc1, docker0)";
    QTest::newRow("loopback interface") << QStringList{"interfaces", "--interface", "lo"}
                                        << "no IPv4 interface named \"lo\"";
    QTest::newRow("range without end") << QStringList{"scan", "--range", "10.79.1.5"} << "not of the form START-END";
    QTest::newRow("range reversed") << QStringList{"scan", "--range", "10.79.1.9-10.79.1.5"}
                                    << "the start 10.79.1.9 lies above the end 10.79.1.5";
    QTest::newRow("range not IPv4") << QStringList{"scan", "--range", "10.79.1-10.79.1.9"}
                                    << "--range: \"10.79.1\" is not an IPv4 address";
    QTest::newRow("range too wide") << QStringList{"scan", "--range", "10.0.0.1-10.2.0.1"}
                                    << "spans more than 65536 addresses";
    QTest::newRow("time zero") << QStringList{"scan", "--time", "0"} << "--time: \"0\" is not a number from 1 to 99000";
    QTest::newRow("time not a number") << QStringList{"export", "--time", "soon", "x.csv"} << "--time: \"soon\"";
    QTest::newRow("time too long") << QStringList{"scan", "--time", "99001"} << "--time: \"99001\"";
    QTest::newRow("set without MAC") << QStringList{"set", "--ip", ip} << "MAC is missing";
    QTest::newRow("MAC of five groups") << QStringList{"set", "02:C1:00:01:00", "--ip", ip}
                                        << "MAC: \"02:C1:00:01:00\" is not a MAC address";
    QTest::newRow("MAC with a non-hex group")
        << QStringList{"set", "02:C1:00:01:00:ZZ", "--ip", ip} << "is not a MAC address";
    QTest::newRow("address out of range")
        << QStringList{"set", moverMac, "--ip", "300.1.1.1"} << "--ip: \"300.1.1.1\" is not an IPv4 address";
    QTest::newRow("address short form") << QStringList{"set", moverMac, "--ip", "10.79.1"}
                                        << "--ip: \"10.79.1\" is not an IPv4 address";
    QTest::newRow("address IPv6") << QStringList{"set", moverMac, "--ip", "fe80::1"}
                                  << "--ip: \"fe80::1\" is not an IPv4 address";
    QTest::newRow("address loopback") << QStringList{"set", moverMac, "--ip", "127.0.0.1"}
                                      << "--ip: 127.0.0.1 cannot be the address of a device";
    QTest::newRow("address broadcast") << QStringList{"set", moverMac, "--ip", "255.255.255.255"}
                                       << "cannot be the address of a device";
    QTest::newRow("address zero") << QStringList{"set", moverMac, "--ip", "0.0.0.0"}
                                  << "--ip: 0.0.0.0 cannot be the address of a device";
    QTest::newRow("mask with a gap") << QStringList{"set", moverMac, "--ip", ip, "--mask", "255.0.255.0"}
                                     << "--mask: \"255.0.255.0\" is not a subnet mask";
    QTest::newRow("mask all ones") << QStringList{"set", moverMac, "--ip", ip, "--mask", "255.255.255.255"}
                                   << "is not a subnet mask";
    QTest::newRow("gateway not IPv4") << QStringList{"set", moverMac, "--ip", ip, "--gateway", "router"}
                                      << "--gateway: \"router\" is not an IPv4 address";
    QTest::newRow("dhcp neither on nor off")
        << QStringList{"set", moverMac, "--dhcp", "maybe"} << "--dhcp: \"maybe\" is neither on nor off";
    QTest::newRow("set without address") << QStringList{"set", moverMac} << "--ip is missing";
    QTest::newRow("set with two MACs") << QStringList{"set", moverMac, bl1Mac, "--ip", ip} << "unexpected argument";
    QTest::newRow("set on unknown interface")
        << QStringList{"set", moverMac, "--ip", ip, "--interface", "eth9"} << "no IPv4 interface named \"eth9\"";
    QTest::newRow("export without file") << QStringList{"export"} << "FILE is missing";
    QTest::newRow("export into missing folder")
        << QStringList{"export", "/nonexistent-folder/lab.csv"} << "the folder /nonexistent-folder does not exist";
    QTest::newRow("export onto a folder") << QStringList{"export", m_files.path()} << "is a folder";
    QTest::newRow("import missing file") << QStringList{"import", "/nonexistent-folder/lab.csv"}
                                         << "/nonexistent-folder/lab.csv does not exist";
    QTest::newRow("import without rows") << QStringList{"import", headerOnly}
                                         << "holds no power-supply, beamline or current-transducer rows";
    QTest::newRow("import bad row") << QStringList{"import", badRow}
                                    << "device row 2, IP address: \"10.79.2.999\" is not an IPv4 address";
    QTest::newRow("import short row") << QStringList{"import", "--dry-run", shortRow} << "has 5 of 7 fields";
}

void TestCliLab::badArgumentsSendNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const int before = mark();
    const CliRunner::Result result = run(arguments);
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.out.isEmpty(), result.out.constData());
    const QStringList errorLines = lines(result.err);
    QCOMPARE(errorLines.size(), 1);
    QVERIFY2(errorLines.first().contains(message), qPrintable(errorLines.first()));
    QVERIFY(errorLines.first().startsWith("kestrion-cli"));
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(heard.size(), 0);
}

void TestCliLab::unknownMacSendsNothing()
{
    const int before = mark();
    const CliRunner::Result result = run({"set", absentMac, "--ip", "10.79.1.77"});
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(lines(result.err), QStringList{"kestrion-cli set: no instrument with the MAC address " + absentMac +
                                            " answered; nothing was sent"});
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QVERIFY(!SimLog::udpHeard(heard, 30719).isEmpty());
    QCOMPARE(SimLog::filter(heard, isConfiguration).size(), 0);
}

void TestCliLab::settingsTheDeviceCannotTakeSendNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("recovery mode") << QStringList{"set", rec1Mac, "--ip", "10.79.1.122"}
                                   << rec1Mac + " is in recovery mode: its network settings cannot be changed";
    QTest::newRow("DHCP on a beamline unit")
        << QStringList{"set", bl1Mac, "--dhcp", "on"} << bl1Mac + " cannot use DHCP: only power supplies can";
    QTest::newRow("DHCP on a motor driver")
        << QStringList{"set", xp1Mac, "--dhcp", "ON"} << xp1Mac + " cannot use DHCP: only power supplies can";
    QTest::newRow("address for a DHCP unit") << QStringList{"set", ps1Mac, "--ip", "10.79.1.110"}
                                             << ps1Mac + " uses DHCP: add --dhcp off to give it fixed addresses";
    QTest::newRow("address with DHCP on") << QStringList{"set", ps1Mac, "--dhcp", "on", "--gateway", "10.79.1.2"}
                                          << "--ip, --mask and --gateway do not go with --dhcp on";
}

void TestCliLab::settingsTheDeviceCannotTakeSendNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const int before = mark();
    const CliRunner::Result result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(lines(result.err), QStringList{"kestrion-cli set: " + message + "; nothing was sent"});
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(SimLog::filter(heard, isConfiguration).size(), 0);
}

// ------------------------------------------------------------------ set

void TestCliLab::setMovesAUnitAndSeesItThere()
{
    const int before = mark();
    const CliRunner::Result result = run({"set", moverMac.toLower(), "--ip", "10.79.1.120", "--gateway", "10.79.1.2"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    QCOMPARE(lines(result.out),
             (QStringList{moverMac + ": sent IP 10.79.1.20 \u2192 10.79.1.120, mask 255.255.255.0, gateway "
                                     "10.79.1.1 \u2192 10.79.1.2, DHCP off",
                          moverMac + ": answers from 10.79.1.120, DHCP off"}));
    const SimLog::Lines settings = SimLog::settings(SimLog::lines().mid(before), "mover");
    QCOMPARE(settings.size(), 1);
    QCOMPARE(settings.first().value("ip").toString(), QStringLiteral("10.79.1.120"));
    QCOMPARE(settings.first().value("mask").toString(), QStringLiteral("255.255.255.0"));
    QCOMPARE(settings.first().value("gateway").toString(), QStringLiteral("10.79.1.2"));
    // As the window sends it: unicast to the present address, then a broadcast on every interface.
    const SimLog::Lines sets = SimLog::udpStartingWith(SimLog::lines().mid(before), 30719, setTag);
    QStringList destinations;
    for (const QJsonObject& line : sets) {
        QCOMPARE(SimLog::bytes(line).mid(12, 6), macBytes(moverMac));
        destinations << line.value("link").toString() + QLatin1Char('>') + line.value("dst").toString();
    }
    QCOMPARE(destinations,
             (QStringList{"kc0>10.79.1.20", "kc0>255.255.255.255", "kc1>255.255.255.255", "docker0>255.255.255.255"}));
}

void TestCliLab::setBringsAStrayUnitIntoItsSubnet()
{
    // The unit answers with its MAC in lower case; the command line names it in upper case.
    const CliRunner::Result result = run({"set", strayMac, "--ip", "10.79.2.50", "--mask", "255.255.255.0", "--gateway",
                                          "10.79.2.1", "--interface", "kc1"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(lines(result.out).last().endsWith("answers from 10.79.2.50, DHCP off"));
    bool found = false;
    for (const QJsonValue& record : scanJson({"--interface", "kc1"})) {
        const QJsonObject object = record.toObject();
        if (object.value("MAC").toString() == strayMac.toLower()) {
            found = true;
            QCOMPARE(object.value("IP").toString(), QStringLiteral("10.79.2.50"));
            QCOMPARE(object.value("GATEWAY").toString(), QStringLiteral("10.79.2.1"));
            QCOMPARE(object.value("extra").toObject().value("AA").toString(), QStringLiteral("first"));
        }
    }
    QVERIFY(found);
}

void TestCliLab::setFailsWhenTheUnitDoesNotMove()
{
    const int before = mark();
    const CliRunner::Result result = run({"set", stubbornMac, "--ip", "10.79.1.121", "--time", "100"});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(lines(result.err), QStringList{"kestrion-cli set: " + stubbornMac +
                                            ": not confirmed: the rescan shows IP 10.79.1.21, sent 10.79.1.121"});
    QVERIFY(!SimLog::udpStartingWith(SimLog::lines().mid(before), 30719, setTag).isEmpty());
    QCOMPARE(SimLog::settings(SimLog::lines().mid(before), "stubborn").size(), 0);
}

void TestCliLab::setKeepsTheMotorDriversFixedNetwork()
{
    const int before = mark();
    const CliRunner::Result result =
        run({"set", xp1Mac, "--ip", "10.79.2.41", "--mask", "255.255.0.0", "--interface", "kc1"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(lines(result.err), QStringList{"kestrion-cli set: note: " + xp1Mac +
                                            " keeps its fixed mask 255.255.255.0 and gateway 192.168.0.1"});
    QCOMPARE(lines(result.out).last(), xp1Mac + ": answers from 10.79.2.41, DHCP off");
    const SimLog::Lines heard = SimLog::lines().mid(before);
    const SimLog::Lines sets = SimLog::udpStartingWith(heard, 30719, setTag);
    QVERIFY(!sets.isEmpty());
    for (const QJsonObject& line : sets)
        QCOMPARE(SimLog::bytes(line).mid(20, 12).toHex(), QByteArray("0a4f0229ffffff00c0a80001"));
    const SimLog::Lines ipSetup = SimLog::udpStartingWith(heard, 30718, ipSetupHead);
    QCOMPARE(ipSetup.size(), 1);
    QCOMPARE(SimLog::bytes(ipSetup.first()).mid(14).toHex(), QByteArray("00400a4f0229"));
    QCOMPARE(SimLog::settings(heard, "xp1").size(), 1);
}

void TestCliLab::setTesterAsksForARestart()
{
    const int before = mark();
    const CliRunner::Result result = run({"set", testerMac, "--ip", "10.79.1.123", "--interface", "kc0"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(lines(result.out).last(), QStringLiteral("IP changed! reboot device to apply."));
    const SimLog::Lines sets = SimLog::udpStartingWith(SimLog::lines().mid(before), 30719, setTag);
    QVERIFY(!sets.isEmpty());
    // Its present mask and gateway (255.255.0.0, 10.79.1.254) give way to the fixed ones.
    for (const QJsonObject& line : sets)
        QCOMPARE(SimLog::bytes(line).mid(24, 8).toHex(), QByteArray("ffffff00c0a80001"));
}

void TestCliLab::setSwitchesDhcpOff()
{
    const CliRunner::Result result = run({"set", ps1Mac, "--dhcp", "off", "--ip", "10.79.1.110"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY(lines(result.out).first().endsWith("DHCP off"));
    QCOMPARE(lines(result.out).last(), ps1Mac + ": answers from 10.79.1.110, DHCP off");
    for (const QJsonValue& record : scanJson({"--interface", "kc0"})) {
        if (record.toObject().value("MAC").toString() == ps1Mac)
            QCOMPARE(record.toObject().value("DHCP").toString(), QStringLiteral("off"));
    }
}

void TestCliLab::setWithoutVerifyDoesNotRescan()
{
    const int before = mark();
    const CliRunner::Result result = run({"set", bl1Mac, "--ip", "10.79.1.111", "--no-verify", "--interface", "kc0"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(lines(result.out).size(), 1);
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    // One scan before the send, none after it.
    QCOMPARE(SimLog::udpStartingWith(heard, 30719, "Ostravi Dev?").size(), 1);
    QCOMPARE(SimLog::settings(heard, "bl1").size(), 1);
}

// ------------------------------------------------------------------ import

void TestCliLab::importDryRunSendsNothing()
{
    QString file = exportedFile();
    QVERIFY(file.contains(imp1Mac + ",10.79.2.30,"));
    file.replace(imp1Mac + ",10.79.2.30,", imp1Mac + ",10.79.2.60,");
    file += "2100,Lumen,77," + absentMac + ",10.79.2.77,255.255.255.0,10.79.2.1\n";
    const QString path = writeFile("import.csv", file);
    const int before = mark();
    const CliRunner::Result result = run({"import", "--dry-run", path});
    QCOMPARE(result.exitCode, 0);
    const QStringList report = lines(result.out);
    QVERIFY(report.contains(imp1Mac + ": IP 10.79.2.30 \u2192 10.79.2.60"));
    QVERIFY(report.contains(imp2Mac + ": unchanged"));
    QVERIFY(report.contains(absentMac + ": not found, not sent"));
    QCOMPARE(report.last(), QStringLiteral("Dry run: 1 row(s) would be sent; nothing was sent."));
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    QCOMPARE(SimLog::filter(heard, isConfiguration).size(), 0);
}

void TestCliLab::importSendsOnlyTheRowsThatDiffer()
{
    const QString path = m_files.filePath("import.csv");
    QVERIFY(QFile::exists(path));
    const int before = mark();
    const CliRunner::Result result = run({"import", path});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(lines(result.out).last(), QStringLiteral("Sent 1 row(s)."));
    SimLog::Lines heard;
    QVERIFY(heardBeforeControlScan(before, heard));
    const SimLog::Lines sets = SimLog::udpStartingWith(heard, 30719, setTag);
    QVERIFY(!sets.isEmpty());
    for (const QJsonObject& line : sets)
        QCOMPARE(SimLog::bytes(line).mid(12, 6), macBytes(imp1Mac));
    const SimLog::Lines changed = SimLog::settings(heard);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().value("unit").toString(), QStringLiteral("imp1"));
    QCOMPARE(changed.first().value("ip").toString(), QStringLiteral("10.79.2.60"));
    // Read again, the file now matches the lab: nothing is left to send.
    const CliRunner::Result again = run({"import", "--dry-run", path});
    QCOMPARE(lines(again.out).last(), QStringLiteral("Dry run: 0 row(s) would be sent; nothing was sent."));
}

QTEST_GUILESS_MAIN(TestCliLab)
#include "tst_clilab.moc"
