// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/fakeprompts.h"
#include "common/testhome.h"
#include "common/widgetanimations.h"
#include "dialogs/historydetails.h"
#include "dialogs/historydialog.h"
#include "dialogs/historytablemodel.h"
#include "journal/journal.h"
#include "journal/journalvalues.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The history window on a journal written here: a network change, an upgrade, a change that never
// ended and a last line cut off mid-write. No scan is made and nothing is sent.
class TestHistoryDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void keepsItsSizeAndOpensTheCalendarAtToday();
    void manualAddressDetailsLeaveOutWhatIsNotKnown();
    void cleanupTestCase();
    void showsNewestFirst();
    void reportsTheTornLine();
    void textFilterNarrowsTheRows();
    void timeSpanNarrowsTheRows();
    void showsTheUpgradesLogFile();
    void exportsTheRowsShownAsCsv();
    void undoOnlyForASentNetworkChange();
    void undoAsksWithOldAndNewAndNoAsDefault();

private:
    static QDateTime at(int month) { return QDateTime(QDate(2026, month, 10), QTime(10, 0)); }
    void writeJournal();
    QTableView* table() const { return m_dialog->findChild<QTableView*>(QStringLiteral("historyTable")); }
    QPushButton* undoButton() const { return m_dialog->findChild<QPushButton*>(QStringLiteral("historyUndo")); }
    QDateTimeEdit* edit(const char* name) const
    {
        return m_dialog->findChild<QDateTimeEdit*>(QString::fromLatin1(name));
    }
    QString cell(int row, int column) const { return table()->model()->index(row, column).data().toString(); }

    QTemporaryDir m_home;
    QTemporaryDir m_journalDir;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<HistoryDialog> m_dialog;
};

void TestHistoryDialog::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(m_journalDir.isValid());
    useTestHome(m_home);
    writeJournal();
}

// The filter field's clear button fades in when a test types; its animation must end before the exit.
void TestHistoryDialog::cleanupTestCase()
{
    letWidgetAnimationsEnd();
}

void TestHistoryDialog::writeJournal()
{
    Journal journal(m_journalDir.path());
    JournalRecord network;
    network.begun = at(1);
    network.unit = {QStringLiteral("00:11:22:33:44:01"), QStringLiteral("SN1001"), {}, {}, {},
                    QStringLiteral("10.0.0.5")};
    network.before = JournalValues::network(QStringLiteral("10.0.0.5"), QStringLiteral("255.255.255.0"),
                                            QStringLiteral("10.0.0.1"), QStringLiteral("0"));
    network.after = JournalValues::network(QStringLiteral("10.0.0.9"), QStringLiteral("255.255.255.0"),
                                           QStringLiteral("10.0.0.1"), QStringLiteral("0"));
    const QString networkId = journal.begin(network);
    QVERIFY2(!networkId.isEmpty(), qPrintable(journal.lastError()));
    QVERIFY(journal.complete(networkId, JournalRecord::Outcome::Succeeded, QString()));

    JournalRecord upgrade;
    upgrade.kind = JournalRecord::Kind::FirmwareUpgrade;
    upgrade.begun = at(2);
    upgrade.unit = {QStringLiteral("00:11:22:33:44:02"), QStringLiteral("SN2002"), {}, {}, {},
                    QStringLiteral("10.0.0.6")};
    upgrade.before = JournalValues::firmwareVersion(QStringLiteral("2.0"));
    upgrade.after = {{QStringLiteral("path"), QStringLiteral("/srv/firmware/ps-2.1.updt")}};
    const QString upgradeId = journal.begin(upgrade);
    QVERIFY(!upgradeId.isEmpty());
    QVERIFY(journal.complete(upgradeId, JournalRecord::Outcome::Succeeded, QString(),
                             JournalValues::upgradeResult(QStringLiteral("2.1"), QStringLiteral("/srv/logs/up.log"))));

    JournalRecord unfinished = network;
    unfinished.begun = at(3);
    unfinished.unit.mac = QStringLiteral("00:11:22:33:44:03");
    unfinished.unit.serial = QStringLiteral("SN3003");
    QVERIFY(!journal.begin(unfinished).isEmpty());

    QFile file(QDir(m_journalDir.path()).filePath(QStringLiteral("journal.jsonl")));
    QVERIFY(file.open(QIODevice::Append));
    QVERIFY(file.write("{\"type\":\"begun\",\"id\":\"torn") > 0);
}

void TestHistoryDialog::init()
{
    m_prompts = std::make_shared<FakePrompts>();
    m_dialog = std::make_unique<HistoryDialog>(nullptr, m_prompts.get(), m_journalDir.path());
    m_dialog->show();
}

void TestHistoryDialog::cleanup()
{
    m_dialog.reset();
}

void TestHistoryDialog::showsNewestFirst()
{
    QCOMPARE(table()->model()->rowCount(), 3);
    QVERIFY(cell(0, HistoryTableModel::columnUnit).contains(QStringLiteral("00:11:22:33:44:03")));
    QVERIFY(cell(1, HistoryTableModel::columnUnit).contains(QStringLiteral("00:11:22:33:44:02")));
    QVERIFY(cell(2, HistoryTableModel::columnUnit).contains(QStringLiteral("00:11:22:33:44:01")));
    QVERIFY(cell(2, HistoryTableModel::columnChange).contains(QStringLiteral("10.0.0.9")));
    QVERIFY(!cell(0, HistoryTableModel::columnOutcome).isEmpty());
}

void TestHistoryDialog::reportsTheTornLine()
{
    auto* status = m_dialog->findChild<QLabel*>(QStringLiteral("historyStatus"));
    QVERIFY(status);
    QVERIFY(!status->isHidden());
    QVERIFY2(status->text().contains(QStringLiteral("journal.jsonl")), qPrintable(status->text()));
}

void TestHistoryDialog::textFilterNarrowsTheRows()
{
    auto* filter = m_dialog->findChild<QLineEdit*>(QStringLiteral("historyFilter"));
    QTest::keyClicks(filter, QStringLiteral("SN2002"));
    QCOMPARE(table()->model()->rowCount(), 1);
    QVERIFY(cell(0, HistoryTableModel::columnUnit).contains(QStringLiteral("SN2002")));
    filter->clear();
    QTest::keyClicks(filter, QStringLiteral("ps-2.1.updt"));
    QCOMPARE(table()->model()->rowCount(), 1);
    filter->clear();
    QTest::keyClicks(filter, QStringLiteral("44:0"));
    QCOMPARE(table()->model()->rowCount(), 3);
    QTest::keyClicks(filter, QStringLiteral("1"));
    QCOMPARE(table()->model()->rowCount(), 1);
}

void TestHistoryDialog::timeSpanNarrowsTheRows()
{
    edit("historySince")->setDateTime(QDateTime(QDate(2026, 2, 1), QTime(0, 0)));
    QCOMPARE(table()->model()->rowCount(), 2);
    edit("historyUntil")->setDateTime(QDateTime(QDate(2026, 3, 1), QTime(0, 0)));
    QCOMPARE(table()->model()->rowCount(), 1);
    QVERIFY(cell(0, HistoryTableModel::columnUnit).contains(QStringLiteral("SN2002")));
    edit("historySince")->setDateTime(edit("historySince")->minimumDateTime());
    QCOMPARE(table()->model()->rowCount(), 2);
}

void TestHistoryDialog::showsTheUpgradesLogFile()
{
    table()->selectRow(1);
    const QString details = m_dialog->findChild<QPlainTextEdit*>(QStringLiteral("historyDetails"))->toPlainText();
    QVERIFY2(details.contains(QStringLiteral("/srv/logs/up.log")), qPrintable(details));
    QVERIFY(details.contains(QStringLiteral("SN2002")));
}

void TestHistoryDialog::exportsTheRowsShownAsCsv()
{
    QTest::keyClicks(m_dialog->findChild<QLineEdit*>(QStringLiteral("historyFilter")), QStringLiteral("10.0.0.9"));
    QCOMPARE(table()->model()->rowCount(), 2);
    m_prompts->fileName = QDir(m_home.path()).filePath(QStringLiteral("history.csv"));
    QTest::mouseClick(m_dialog->findChild<QPushButton*>(QStringLiteral("historyExport")), Qt::LeftButton);
    QCOMPARE(m_prompts->saveDialogs.size(), 1);
    QFile file(m_prompts->fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.first(), QStringLiteral("Time,User,Unit,Kind,Change,Outcome"));
    QVERIFY(lines.at(1).contains(QStringLiteral("00:11:22:33:44:03")));
    QVERIFY2(lines.at(2).contains(QStringLiteral("10.0.0.5 → 10.0.0.9")), qPrintable(lines.at(2)));
}

void TestHistoryDialog::undoOnlyForASentNetworkChange()
{
    // Without a scanner the dialog has no way to send.
    table()->selectRow(2);
    QVERIFY(!undoButton()->isEnabled());
    m_dialog->setScanner({[] { return QList<Device_t>(); }, [] { return QList<interfaces_t>(); }});
    QVERIFY(undoButton()->isEnabled());
    table()->selectRow(1);
    QVERIFY(!undoButton()->isEnabled());
    table()->selectRow(0);
    QVERIFY(!undoButton()->isEnabled());
    table()->selectRow(2);
    m_dialog->setSendingAllowed(false);
    QVERIFY(!undoButton()->isEnabled());
    m_dialog->setSendingAllowed(true);
    QVERIFY(undoButton()->isEnabled());
}

void TestHistoryDialog::undoAsksWithOldAndNewAndNoAsDefault()
{
    int scans = 0;
    m_dialog->setScanner({[&scans] {
                              ++scans;
                              return QList<Device_t>();
                          },
                          [] { return QList<interfaces_t>(); }});
    table()->selectRow(2);
    m_prompts->answer = QMessageBox::No;
    QTest::mouseClick(undoButton(), Qt::LeftButton);
    QCOMPARE(m_prompts->boxes.size(), 1);
    const FakePrompts::Box& box = m_prompts->boxes.first();
    QCOMPARE(box.kind, QStringLiteral("question"));
    QCOMPARE(box.defaultButton, QMessageBox::No);
    QVERIFY2(box.text.contains(QStringLiteral("10.0.0.9 → 10.0.0.5")), qPrintable(box.text));
    QCOMPARE(scans, 0);
    QCOMPARE(table()->model()->rowCount(), 3);
}

// The window makes the dialog anew each time it opens it.
void TestHistoryDialog::keepsItsSizeAndOpensTheCalendarAtToday()
{
    m_dialog->resize(820, 450);
    m_dialog->close();
    m_dialog = std::make_unique<HistoryDialog>(nullptr, m_prompts.get(), m_journalDir.path());
    m_dialog->show();
    QCOMPARE(m_dialog->size(), QSize(820, 450));
    auto* since = m_dialog->findChild<QDateTimeEdit*>(QStringLiteral("historySince"));
    // As the popup shows it, set to the bound's date first.
    since->calendarWidget()->setSelectedDate(since->date());
    QShowEvent shown;
    QApplication::sendEvent(since->calendarWidget(), &shown);
    QCOMPARE(since->calendarWidget()->yearShown(), QDate::currentDate().year());
    QCOMPARE(since->calendarWidget()->monthShown(), QDate::currentDate().month());
    // A digit typed into "any" starts a date (which part it types over is the locale's), and the list follows.
    since->setFocus();
    QTest::keyClick(since, Qt::Key_1);
    QVERIFY(since->dateTime().date().year() > 2000);
    int fromThen = 0;
    for (int month : {1, 2, 3})
        fromThen += at(month) >= since->dateTime() ? 1 : 0;
    QCOMPARE(table()->model()->rowCount(), fromThen);
}

// An upgrade at a manual address knows the address alone.
void TestHistoryDialog::manualAddressDetailsLeaveOutWhatIsNotKnown()
{
    JournalRecord upgrade;
    upgrade.kind = JournalRecord::Kind::FirmwareUpgrade;
    upgrade.unit.ip = QStringLiteral("10.0.0.7");
    const QStringList lines = HistoryDetails::text(upgrade).split(QLatin1Char('\n'));
    QVERIFY2(lines.contains(QStringLiteral("Unit: IP 10.0.0.7")), qPrintable(lines.join('|')));
    QVERIFY(!lines.join('|').contains(QStringLiteral("Device:")));
    upgrade.unit = {
        QStringLiteral("00:11:22:33:44:01"), QStringLiteral("SN1"),     QStringLiteral("1100"), QStringLiteral("Aurel"),
        QStringLiteral("Bipolar supply"),    QStringLiteral("10.0.0.5")};
    const QString full = HistoryDetails::text(upgrade);
    QVERIFY2(full.contains(QStringLiteral("Unit: MAC 00:11:22:33:44:01, serial SN1, IP 10.0.0.5\n"
                                          "Device: Bipolar supply (code 1100, family Aurel)")),
             qPrintable(full));
}

QTEST_MAIN(TestHistoryDialog)
#include "tst_historydialog.moc"
