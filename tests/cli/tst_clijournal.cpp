// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the real kestrion-cli on the tool side of the lab tests/labs/cli-journal.json: every change it
// sends is journalled, and undo gives a unit its old address back unless someone else has it now.
// The tests build on each other's moves, in their order.
#include "clirunner.h"
#include "common/simlog.h"
#include "journal/journal.h"
#include "journal/journalfile.h"
#include "model/unitlock.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString bl1 = QStringLiteral("02:CE:00:00:00:01");
const QString bl2 = QStringLiteral("02:CE:00:00:00:02");
const QString ct1 = QStringLiteral("02:CE:00:00:00:03");
// Takes new addresses but keeps DHCP on whatever it is sent.
const QString ps1 = QStringLiteral("02:CE:00:00:00:04");
const QString fileHeader = QStringLiteral("[Ostravi]\n[Kestrion - Network Configurations]\n\n** You can edit this "
                                          "file to change the network configurations of the devices in the list "
                                          "**\n\nKey,Family,Serial Number,MAC Address,IP Address,Subnet Mask,"
                                          "Gateway\n");
} // namespace

class TestCliJournal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void setIsJournalledWithOldAndNewValues();
    void undoGivesTheUnitItsOldAddressBack();
    void undoOfTheUndoMovesItAgain();
    void undoIsRefusedWhenTheOldAddressIsTaken();
    void importIsJournalledPerRow();
    void firmwareAndUnknownChangesAreNotUndone();
    void undoNamesALaterChange();
    void dhcpLeftOnIsNotConfirmed();
    void changeWithoutRescanIsSentNotSucceeded();
    void unitClaimedByAnotherProcessIsRefused();
    void emptyAndRepeatedIdsAreRefused();

private:
    CliRunner::Result run(const QStringList& arguments, const QByteArray& input = {}) const;
    // The journal as history --json prints it, newest first.
    QJsonArray history() const;
    QString ipOf(const QString& mac) const;

    QTemporaryDir m_home;
    QTemporaryDir m_files;
};

void TestCliJournal::initTestCase()
{
    if (!SimLog::available())
        QSKIP("runs only inside the namespace harness (scripts/netns-lab.sh)");
    QVERIFY(m_home.isValid());
    QVERIFY(m_files.isValid());
}

CliRunner::Result TestCliJournal::run(const QStringList& arguments, const QByteArray& input) const
{
    return CliRunner::run(arguments, m_home.path(), input);
}

QJsonArray TestCliJournal::history() const
{
    const CliRunner::Result result = run({"history", "--json"});
    return result.exitCode == 0 ? QJsonDocument::fromJson(result.out).array() : QJsonArray();
}

QString TestCliJournal::ipOf(const QString& mac) const
{
    const QJsonArray units = QJsonDocument::fromJson(run({"scan", "--json"}).out).array();
    for (const QJsonValue& unit : units) {
        if (unit.toObject().value("MAC").toString().compare(mac, Qt::CaseInsensitive) == 0)
            return unit.toObject().value("IP").toString();
    }
    return QString();
}

void TestCliJournal::setIsJournalledWithOldAndNewValues()
{
    const CliRunner::Result result = run({"set", bl1, "--ip", "10.81.1.41"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    const QJsonArray records = history();
    QCOMPARE(records.size(), 1);
    const QJsonObject record = records.first().toObject();
    QCOMPARE(record.value("kind").toString(), QStringLiteral("network"));
    QCOMPARE(record.value("unit").toObject().value("mac").toString().toUpper(), bl1);
    QCOMPARE(record.value("old").toObject().value("ip").toString(), QStringLiteral("10.81.1.21"));
    QCOMPARE(record.value("new").toObject().value("ip").toString(), QStringLiteral("10.81.1.41"));
    QCOMPARE(record.value("old").toObject().value("mask").toString(),
             record.value("new").toObject().value("mask").toString());
    QCOMPARE(record.value("outcome").toString(), QStringLiteral("succeeded"));
    QVERIFY2(record.value("message").toString().contains("10.81.1.41"), qPrintable(record.value("message").toString()));
}

void TestCliJournal::undoGivesTheUnitItsOldAddressBack()
{
    const QString id = history().first().toObject().value("id").toString();
    QVERIFY(!id.isEmpty());
    const CliRunner::Result result = run({"undo", id, "--yes"});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(QString::fromUtf8(result.out).contains("10.81.1.41 → 10.81.1.21"), result.out.constData());
    QCOMPARE(ipOf(bl1), QStringLiteral("10.81.1.21"));
    const QJsonObject undo = history().first().toObject();
    QCOMPARE(undo.value("kind").toString(), QStringLiteral("undo"));
    QCOMPARE(undo.value("undoes").toString(), id);
    QCOMPARE(undo.value("old").toObject().value("ip").toString(), QStringLiteral("10.81.1.41"));
    QCOMPARE(undo.value("new").toObject().value("ip").toString(), QStringLiteral("10.81.1.21"));
    QCOMPARE(undo.value("outcome").toString(), QStringLiteral("succeeded"));
}

void TestCliJournal::undoOfTheUndoMovesItAgain()
{
    const QString id = history().first().toObject().value("id").toString();
    // Without --yes it asks: no answer, or any but yes, sends nothing.
    for (const QByteArray& answer : {QByteArray(), QByteArray("n\n")}) {
        const CliRunner::Result declined = run({"undo", id}, answer);
        QCOMPARE(declined.exitCode, 1);
        QVERIFY2(declined.out.contains("Send the old settings? [y/N]"), declined.out.constData());
        QVERIFY2(declined.err.contains("not confirmed; nothing was sent"), declined.err.constData());
    }
    QCOMPARE(history().first().toObject().value("id").toString(), id);
    QCOMPARE(run({"undo", id}, "y\n").exitCode, 0);
    QCOMPARE(ipOf(bl1), QStringLiteral("10.81.1.41"));
    QCOMPARE(history().first().toObject().value("undoes").toString(), id);
}

void TestCliJournal::undoIsRefusedWhenTheOldAddressIsTaken()
{
    QCOMPARE(run({"set", bl2, "--ip", "10.81.1.42"}).exitCode, 0);
    const QString moveOfBl2 = history().first().toObject().value("id").toString();
    QCOMPARE(run({"set", ct1, "--ip", "10.81.1.22"}).exitCode, 0);
    const int journalled = history().size();
    const CliRunner::Result result = run({"undo", moveOfBl2, "--yes"});
    QCOMPARE(result.exitCode, 2);
    const QString error = QString::fromUtf8(result.err);
    QVERIFY2(error.contains("10.81.1.22 is already used by") && error.contains(ct1) &&
                 error.contains("nothing was sent"),
             qPrintable(error));
    QCOMPARE(history().size(), journalled);
    QCOMPARE(ipOf(bl2), QStringLiteral("10.81.1.42"));
}

void TestCliJournal::importIsJournalledPerRow()
{
    const QString path = m_files.filePath("lab.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write((fileHeader + "2102,Lumen,0002," + bl2 + ",10.81.1.52,255.255.255.0,10.81.1.1\n").toUtf8());
    file.close();
    QCOMPARE(run({"import", path}).exitCode, 0);
    const QJsonObject record = history().first().toObject();
    QCOMPARE(record.value("unit").toObject().value("mac").toString().toUpper(), bl2);
    QCOMPARE(record.value("old").toObject().value("ip").toString(), QStringLiteral("10.81.1.42"));
    QCOMPARE(record.value("new").toObject().value("ip").toString(), QStringLiteral("10.81.1.52"));
    QCOMPARE(record.value("new").toObject().value("dhcp").toString(), QStringLiteral("off"));
    // An import does not rescan: sent, not checked.
    QCOMPARE(record.value("outcome").toString(), QStringLiteral("sent"));
}

void TestCliJournal::firmwareAndUnknownChangesAreNotUndone()
{
    Journal journal(CliRunner::dataDirectory(m_home.path()));
    JournalRecord upgrade;
    upgrade.kind = JournalRecord::Kind::FirmwareUpgrade;
    upgrade.unit.mac = bl1;
    const QString id = journal.begin(upgrade);
    QVERIFY2(!id.isEmpty(), qPrintable(journal.lastError()));
    const CliRunner::Result firmware = run({"undo", id, "--yes"});
    QCOMPARE(firmware.exitCode, 2);
    QVERIFY2(firmware.err.contains("firmware is not undone"), firmware.err.constData());
    QCOMPARE(run({"undo", "no-such-change", "--yes"}).exitCode, 3);
}

// bl2 was moved to 10.81.1.42, then imported to 10.81.1.52: undoing the move would take the import back too.
void TestCliJournal::undoNamesALaterChange()
{
    const QJsonArray records = history();
    QString move;
    QString import;
    for (const QJsonValue& value : records) {
        const QJsonObject record = value.toObject();
        if (record.value("unit").toObject().value("mac").toString().toUpper() != bl2)
            continue;
        const QString ip = record.value("new").toObject().value("ip").toString();
        if (ip == QLatin1String("10.81.1.42"))
            move = record.value("id").toString();
        else if (ip == QLatin1String("10.81.1.52"))
            import = record.value("id").toString();
    }
    QVERIFY(!move.isEmpty() && !import.isEmpty());
    const CliRunner::Result declined = run({"undo", move}, "n\n");
    QCOMPARE(declined.exitCode, 1);
    const QString out = QString::fromUtf8(declined.out);
    QVERIFY2(out.contains("the unit was changed again since: change " + import) &&
                 out.contains("IP 10.81.1.42 → 10.81.1.52") && out.contains("Send the old settings? [y/N]"),
             qPrintable(out));
    QCOMPARE(history().size(), records.size());
    QCOMPARE(ipOf(bl2), QStringLiteral("10.81.1.52"));
}

// Last: it leaves a repeated line in the journal.
void TestCliJournal::emptyAndRepeatedIdsAreRefused()
{
    const CliRunner::Result empty = run({"undo", "", "--yes"});
    QCOMPARE(empty.exitCode, 2);
    QVERIFY2(empty.err.contains("the change id is empty"), empty.err.constData());
    const QString id = history().first().toObject().value("id").toString();
    QFile file(CliRunner::dataDirectory(m_home.path()) + '/' + JournalFile::currentName);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray begun;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.contains("\"begun\"") && line.contains(id.toUtf8()))
            begun = line;
    }
    QVERIFY(!begun.isEmpty());
    file.write(begun + '\n');
    file.close();
    const int journalled = history().size();
    const CliRunner::Result repeated = run({"undo", id, "--yes"});
    QCOMPARE(repeated.exitCode, 1);
    QVERIFY2(repeated.err.contains("the journal holds 2 changes with the id " + id.toUtf8() + "; nothing is undone"),
             repeated.err.constData());
    QCOMPARE(history().size(), journalled);
}

void TestCliJournal::dhcpLeftOnIsNotConfirmed()
{
    const CliRunner::Result result = run({"set", ps1, "--dhcp", "off", "--ip", "10.81.1.34"});
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(ps1.toUtf8() + ": not confirmed: the rescan shows DHCP on, sent off"),
             result.err.constData());
    const QJsonObject record = history().first().toObject();
    QCOMPARE(record.value("unit").toObject().value("mac").toString().toUpper(), ps1);
    QCOMPARE(record.value("outcome").toString(), QStringLiteral("not confirmed"));
    QCOMPARE(record.value("message").toString(), QStringLiteral("the rescan shows DHCP on, sent off"));
}

void TestCliJournal::changeWithoutRescanIsSentNotSucceeded()
{
    QCOMPARE(run({"set", ct1, "--ip", "10.81.1.33", "--no-verify"}).exitCode, 0);
    const QJsonObject record = history().first().toObject();
    QCOMPARE(record.value("new").toObject().value("ip").toString(), QStringLiteral("10.81.1.33"));
    QCOMPARE(record.value("outcome").toString(), QStringLiteral("sent"));
    QCOMPARE(record.value("message").toString(), QStringLiteral("not checked by a rescan"));
}

// Another process (here a child of the test) holds bl2 as an upgrade does; its end, however abrupt,
// frees the unit.
void TestCliJournal::unitClaimedByAnotherProcessIsRefused()
{
    int ready[2];
    QVERIFY(::pipe(ready) == 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        const UnitLock claim(bl2, UnitLock::Purpose::Upgrade);
        const char state = claim.isHeld() ? 'y' : 'n';
        if (::write(ready[1], &state, 1) == 1)
            ::pause();
        ::_exit(0);
    }
    char state = 0;
    QVERIFY(::read(ready[0], &state, 1) == 1 && state == 'y');
    const int journalled = history().size();
    const int before = SimLog::lines().size();
    const QString holderText = "is being upgraded by tst_clijournal, process " + QString::number(holder) + ", since ";
    const QString path = m_files.filePath("claimed.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write((fileHeader + "2102,Lumen,0002," + bl2 + ",10.81.1.62,255.255.255.0,10.81.1.1\n").toUtf8());
    file.close();
    for (const QStringList& arguments :
         {QStringList{"set", bl2, "--ip", "10.81.1.61", "--no-verify"}, QStringList{"import", path}}) {
        const CliRunner::Result refused = run(arguments);
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.err.contains((bl2 + ' ' + holderText).toUtf8()) && refused.err.contains("nothing was sent"),
                 refused.err.constData());
    }
    QCOMPARE(history().size(), journalled);
    QCOMPARE(SimLog::settings(SimLog::lines().mid(before), "bl2").size(), 0);
    ::kill(holder, SIGKILL);
    QCOMPARE(::waitpid(holder, nullptr, 0), holder);
    QCOMPARE(run({"set", bl2, "--ip", "10.81.1.61"}).exitCode, 0);
}

QTEST_GUILESS_MAIN(TestCliJournal)
#include "tst_clijournal.moc"
