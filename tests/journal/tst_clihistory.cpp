// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// kestrion-cli history against a journal the test writes into a home of its own: one line per change,
// newest first, the JSON records, the filters, and a line cut off mid-write reported on stderr.
#include "cli/clirunner.h"
#include "journal/journal.h"
#include "journal/journalfile.h"
#include "journal/journalvalues.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString supplyMac = QStringLiteral("02:C1:00:01:00:10");
const QString beamlineMac = QStringLiteral("02:C1:00:01:00:11");
const QString arrow = QString::fromUtf8(" \u2192 ");
} // namespace

class TestCliHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void textIsNewestFirst();
    void jsonCarriesTheRecords();
    void filtersByDeviceAndSince();
    void badArgumentsSendNothing();
    void tornLineIsAWarning();
    void journalTextIsCleaned();

private:
    QString write(const QDateTime& begun, const QString& mac, JournalRecord::Kind kind, const QJsonObject& before,
                  const QJsonObject& after);
    CliRunner::Result history(const QStringList& arguments);

    QTemporaryDir m_home;
    QString m_networkId;
    QString m_upgradeId;
    QDateTime m_networkTime;
    QDateTime m_upgradeTime;
};

void TestCliHistory::initTestCase()
{
    QVERIFY(m_home.isValid());
    m_networkTime = QDateTime::currentDateTimeUtc().addDays(-3);
    m_upgradeTime = QDateTime::currentDateTimeUtc().addSecs(-60);
    m_networkId = write(m_networkTime, supplyMac, JournalRecord::Kind::NetworkSettings,
                        JournalValues::network("10.79.1.10", "255.255.255.0", "10.79.1.1", "1"),
                        JournalValues::network("10.79.1.50", "255.255.255.0", "10.79.1.1", "0"));
    m_upgradeId = write(m_upgradeTime, beamlineMac, JournalRecord::Kind::FirmwareUpgrade,
                        JournalValues::firmwareVersion("1.2"), JournalValues::firmwareFile("/lab/beamline-1.3.flash"));
    Journal journal(CliRunner::dataDirectory(m_home.path()));
    QVERIFY(journal.complete(m_networkId, JournalRecord::Outcome::Succeeded, "answers from 10.79.1.50"));
    QVERIFY(journal.complete(m_upgradeId, JournalRecord::Outcome::Failed, "no answer after the erase",
                             JournalValues::upgradeResult("1.2", "/tmp/upgrade.log")));
}

QString TestCliHistory::write(const QDateTime& begun, const QString& mac, JournalRecord::Kind kind,
                              const QJsonObject& before, const QJsonObject& after)
{
    JournalRecord record;
    record.begun = begun;
    record.user = "alice";
    record.kind = kind;
    record.unit.mac = mac;
    record.unit.serial = "SN-" + mac.right(2);
    record.unit.ip = before.value(JournalValues::ipKey).toString();
    record.before = before;
    record.after = after;
    Journal journal(CliRunner::dataDirectory(m_home.path()));
    const QString id = journal.begin(record);
    if (id.isEmpty())
        qWarning("%s", qPrintable(journal.lastError()));
    return id;
}

CliRunner::Result TestCliHistory::history(const QStringList& arguments)
{
    return CliRunner::run(QStringList{"history"} + arguments, m_home.path());
}

void TestCliHistory::textIsNewestFirst()
{
    const CliRunner::Result result = history({});
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    const QStringList lines = QString::fromUtf8(result.out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).startsWith("Time"));
    QVERIFY2(lines.at(1).contains(beamlineMac) && lines.at(1).contains("firmware upgrade") &&
                 lines.at(1).contains("file beamline-1.3.flash") &&
                 lines.at(1).contains("failed: no answer after the erase") && lines.at(1).contains("alice"),
             qPrintable(lines.at(1)));
    QVERIFY2(lines.at(2).contains(supplyMac) && lines.at(2).contains("network settings") &&
                 lines.at(2).contains("IP 10.79.1.10" + arrow + "10.79.1.50") &&
                 lines.at(2).contains("DHCP on" + arrow + "off") && lines.at(2).endsWith("succeeded"),
             qPrintable(lines.at(2)));
    QVERIFY(lines.at(2).startsWith(m_networkTime.toLocalTime().toString("yyyy-MM-dd HH:mm:ss")));
}

void TestCliHistory::jsonCarriesTheRecords()
{
    const CliRunner::Result result = history({"--json"});
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 0);
    const QJsonArray records = QJsonDocument::fromJson(result.out).array();
    QCOMPARE(records.size(), 2);
    const QJsonObject upgrade = records.at(0).toObject();
    QCOMPARE(upgrade.value("id").toString(), m_upgradeId);
    QCOMPARE(upgrade.value("kind").toString(), QStringLiteral("firmware"));
    QCOMPARE(upgrade.value("outcome").toString(), QStringLiteral("failed"));
    QCOMPARE(upgrade.value("unit").toObject().value("mac").toString(), beamlineMac);
    QCOMPARE(upgrade.value("old").toObject().value("firmwareVersion").toString(), QStringLiteral("1.2"));
    QCOMPARE(upgrade.value("new").toObject().value("file").toString(), QStringLiteral("/lab/beamline-1.3.flash"));
    QCOMPARE(upgrade.value("result").toObject().value("logFile").toString(), QStringLiteral("/tmp/upgrade.log"));
    const QJsonObject network = records.at(1).toObject();
    QCOMPARE(network.value("id").toString(), m_networkId);
    QCOMPARE(network.value("user").toString(), QStringLiteral("alice"));
    QCOMPARE(network.value("new").toObject().value("ip").toString(), QStringLiteral("10.79.1.50"));
    QCOMPARE(QDateTime::fromString(network.value("timeUtc").toString(), Qt::ISODateWithMs), m_networkTime);
    QCOMPARE(QDateTime::fromString(network.value("timeLocal").toString(), Qt::ISODateWithMs), m_networkTime);
    QVERIFY(network.contains("completedUtc"));
}

void TestCliHistory::filtersByDeviceAndSince()
{
    const CliRunner::Result byDevice = history({"--device", supplyMac.toLower().replace(':', '-'), "--json"});
    QCOMPARE(byDevice.exitCode, 0);
    const QJsonArray supply = QJsonDocument::fromJson(byDevice.out).array();
    QCOMPARE(supply.size(), 1);
    QCOMPARE(supply.at(0).toObject().value("id").toString(), m_networkId);

    const QString yesterday = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
    const CliRunner::Result recent = history({"--since", yesterday, "--json"});
    QCOMPARE(recent.exitCode, 0);
    const QJsonArray recentRecords = QJsonDocument::fromJson(recent.out).array();
    QCOMPARE(recentRecords.size(), 1);
    QCOMPARE(recentRecords.at(0).toObject().value("id").toString(), m_upgradeId);

    const CliRunner::Result searched = history({"--search", "BEAMLINE-1.3"});
    QCOMPARE(searched.exitCode, 0);
    QCOMPARE(QString::fromUtf8(searched.out).split('\n', Qt::SkipEmptyParts).size(), 2);
}

void TestCliHistory::badArgumentsSendNothing()
{
    const CliRunner::Result badMac = history({"--device", "02:C1"});
    QCOMPARE(badMac.exitCode, 2);
    QVERIFY(badMac.out.isEmpty());
    const CliRunner::Result badDate = history({"--since", "last week"});
    QCOMPARE(badDate.exitCode, 2);
    QVERIFY(badDate.err.contains("--since"));
}

// Last: it leaves the cut-off line in the journal, as a power failure would.
void TestCliHistory::tornLineIsAWarning()
{
    QFile file(CliRunner::dataDirectory(m_home.path()) + '/' + JournalFile::currentName);
    QVERIFY(file.open(QIODevice::Append));
    file.write("{\"record\":\"begun\",\"id\":\"cut");
    file.close();
    const CliRunner::Result result = history({"--json"});
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.contains("journal.jsonl:5"), result.err.constData());
    QCOMPARE(QJsonDocument::fromJson(result.out).array().size(), 2);
}

// A journal someone edited, and a unit that reports NUL bytes as its version: nothing of it reaches the
// terminal as control characters, and the NUL bytes are not even stored.
void TestCliHistory::journalTextIsCleaned()
{
    const QString mac = QStringLiteral("02:C1:00:01:00:12");
    JournalRecord record;
    record.begun = QDateTime::currentDateTimeUtc();
    record.user = QStringLiteral("\x1b]0;owned\x07mallory");
    record.kind = JournalRecord::Kind::FirmwareUpgrade;
    record.unit.mac = mac;
    record.unit.serial = QStringLiteral("\x1b[2JSN-12");
    record.before = JournalValues::firmwareVersion(QString::fromLatin1("\0\0\0\0", 4));
    record.after = JournalValues::firmwareFile(QStringLiteral("/lab/beam\x1b[31mline.flash"));
    Journal journal(CliRunner::dataDirectory(m_home.path()));
    const QString id = journal.begin(record);
    QVERIFY2(!id.isEmpty(), qPrintable(journal.lastError()));
    QVERIFY(journal.complete(id, JournalRecord::Outcome::Failed, QStringLiteral("unit said \x1b[5mno\r")));

    const CliRunner::Result text = history({"--device", mac});
    QCOMPARE(text.exitCode, 0);
    for (const char byte : text.out)
        QVERIFY2(byte == '\n' || uchar(byte) >= 0x20, text.out.toHex(' ').constData());
    QVERIFY2(text.out.contains("]0;ownedmallory") && text.out.contains("[2JSN-12") &&
                 text.out.contains("failed: unit said [5mno"),
             text.out.constData());
    const CliRunner::Result json = history({"--json", "--device", mac});
    const QJsonObject stored = QJsonDocument::fromJson(json.out).array().first().toObject();
    QCOMPARE(stored.value("old").toObject().value(JournalValues::firmwareVersionKey).toString(), QString());
}

QTEST_GUILESS_MAIN(TestCliHistory)
#include "tst_clihistory.moc"
