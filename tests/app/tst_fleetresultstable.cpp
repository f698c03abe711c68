// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/fleetresultstable.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableWidget>
#include <QtTest>

namespace {
Device_t unit(int number)
{
    Device_t device;
    device.code = QStringLiteral("SP-100");
    device.group = QStringLiteral("Bench");
    device.moduleId = QString::number(number);
    device.ip = QStringLiteral("10.77.2.%1").arg(number);
    device.mac = QStringLiteral("02:00:00:00:00:%1").arg(number, 2, 16, QLatin1Char('0'));
    return device;
}

QList<Device_t> units(int count)
{
    QList<Device_t> list;
    for (int i = 1; i <= count; ++i)
        list << unit(i);
    return list;
}
} // namespace

// The results table of a fleet upgrade, on its own: a row per unit, changed in place, and the chosen
// unit's log beneath it.
class TestFleetResultsTable : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void aRowPerUnitWaiting();
    void stepsProgressAndLastMessage();
    void elapsedRunsAndFreezes();
    void choosingARowShowsItsLog();
    void newRunForgetsTheOldOne();
    void fullFleetUpdateStaysShort();

private:
    QString cell(int row, int column) const { return m_table->table()->item(row, column)->text(); }
    QProgressBar* bar(int row) const
    {
        return qobject_cast<QProgressBar*>(m_table->table()->cellWidget(row, FleetResultsTable::columnProgress));
    }

    FleetResultsTable* m_table = nullptr;
};

void TestFleetResultsTable::init()
{
    m_table = new FleetResultsTable;
    m_table->resize(800, 500);
    m_table->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_table));
}

void TestFleetResultsTable::cleanup()
{
    delete m_table;
    m_table = nullptr;
}

void TestFleetResultsTable::aRowPerUnitWaiting()
{
    m_table->setUnits(units(3));
    QTableWidget* table = m_table->table();
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(table->horizontalHeaderItem(FleetResultsTable::columnUnit)->text(), QStringLiteral("Unit"));
    QCOMPARE(table->horizontalHeaderItem(FleetResultsTable::columnStep)->text(), QStringLiteral("Step"));
    QCOMPARE(table->horizontalHeaderItem(FleetResultsTable::columnProgress)->text(), QStringLiteral("Progress"));
    QCOMPARE(table->horizontalHeaderItem(FleetResultsTable::columnElapsed)->text(), QStringLiteral("Elapsed"));
    QCOMPARE(table->horizontalHeaderItem(FleetResultsTable::columnMessage)->text(), QStringLiteral("Last message"));
    QCOMPARE(cell(1, FleetResultsTable::columnUnit), QStringLiteral("Bench, 2, 10.77.2.2"));
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(cell(row, FleetResultsTable::columnStep), QStringLiteral("waiting"));
        QCOMPARE(bar(row)->value(), 0);
        QCOMPARE(cell(row, FleetResultsTable::columnElapsed), QString());
    }
}

void TestFleetResultsTable::stepsProgressAndLastMessage()
{
    m_table->setUnits(units(2));
    m_table->setStep(0, FleetRun::Step::Identifying);
    m_table->appendMessages(0, {QStringLiteral("Try to connect..."), QStringLiteral("Device Connected!\n"), {}});
    QCOMPARE(cell(0, FleetResultsTable::columnStep), QStringLiteral("identifying"));
    QCOMPARE(cell(0, FleetResultsTable::columnMessage), QStringLiteral("Device Connected!"));
    m_table->setStep(0, FleetRun::Step::Uploading);
    m_table->setProgress(0, 40);
    QCOMPARE(bar(0)->value(), 40);
    m_table->setStep(0, FleetRun::Step::Done);
    QCOMPARE(cell(0, FleetResultsTable::columnStep), QStringLiteral("done"));
    QCOMPARE(bar(0)->value(), 100);
    m_table->setStep(1, FleetRun::Step::Failed);
    QCOMPARE(cell(1, FleetResultsTable::columnStep), QStringLiteral("failed"));
    QCOMPARE(bar(1)->value(), 0);
    QCOMPARE(m_table->step(1), FleetRun::Step::Failed);
    // Out of range says nothing and breaks nothing.
    m_table->setStep(7, FleetRun::Step::Done);
    m_table->appendMessages(-1, {QStringLiteral("x")});
}

void TestFleetResultsTable::elapsedRunsAndFreezes()
{
    QCOMPARE(FleetResultsTable::elapsedText(0), QStringLiteral("0:00"));
    QCOMPARE(FleetResultsTable::elapsedText(61500), QStringLiteral("1:01"));
    QCOMPARE(FleetResultsTable::elapsedText(3723000), QStringLiteral("1:02:03"));
    m_table->setUnits(units(1));
    m_table->setStep(0, FleetRun::Step::Identifying);
    QCOMPARE(cell(0, FleetResultsTable::columnElapsed), QStringLiteral("0:00"));
    // Any later time will do: on a loaded machine a tick may come seconds late.
    QTRY_VERIFY_WITH_TIMEOUT(cell(0, FleetResultsTable::columnElapsed) != QStringLiteral("0:00"), 3000);
    m_table->setStep(0, FleetRun::Step::Cancelled);
    const QString frozen = cell(0, FleetResultsTable::columnElapsed);
    QTest::qWait(FleetResultsTable::elapsedTickMs + 200);
    QCOMPARE(cell(0, FleetResultsTable::columnElapsed), frozen);
    QCOMPARE(cell(0, FleetResultsTable::columnStep), QStringLiteral("cancelled"));
}

void TestFleetResultsTable::choosingARowShowsItsLog()
{
    m_table->setUnits(units(3));
    m_table->appendMessages(0, {QStringLiteral("first unit")});
    m_table->appendMessages(2, {QStringLiteral("third unit, line 1"), QStringLiteral("third unit, line 2")});
    QSignalSpy chosen(m_table, &FleetResultsTable::unitChosen);
    QTableWidget* table = m_table->table();
    const QRect rect = table->visualItemRect(table->item(2, FleetResultsTable::columnUnit));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(m_table->chosenUnit(), 2);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first().first().toInt(), 2);
    QCOMPARE(m_table->unitLogPane()->toPlainText(), QStringLiteral("third unit, line 1\nthird unit, line 2"));
    // The chosen unit's new lines follow; another unit's do not.
    m_table->appendMessages(2, {QStringLiteral("third unit, line 3")});
    m_table->appendMessages(0, {QStringLiteral("first unit again")});
    QCOMPARE(m_table->unitLogPane()->toPlainText(),
             QStringLiteral("third unit, line 1\nthird unit, line 2\nthird unit, line 3"));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(0, FleetResultsTable::columnStep)).center());
    QCOMPARE(m_table->unitLogPane()->toPlainText(), QStringLiteral("first unit\nfirst unit again"));
}

void TestFleetResultsTable::newRunForgetsTheOldOne()
{
    m_table->setUnits(units(4));
    m_table->appendMessages(1, {QStringLiteral("old")});
    m_table->chooseUnit(1);
    m_table->setUnits(units(2));
    QCOMPARE(m_table->table()->rowCount(), 2);
    QCOMPARE(m_table->unitLog(1), QString());
    QCOMPARE(m_table->unitLogPane()->toPlainText(), QString());
}

// What a run with 32 units in flight hands the table per batch: each unit's step, progress and lines.
void TestFleetResultsTable::fullFleetUpdateStaysShort()
{
    constexpr int fleet = FleetRun::maxParallel;
    m_table->setUnits(units(fleet));
    m_table->chooseUnit(5);
    qint64 longest = 0;
    for (int batch = 0; batch < 40; ++batch) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < fleet; ++i) {
            m_table->setStep(i, batch < 20 ? FleetRun::Step::Uploading : FleetRun::Step::Writing);
            m_table->setProgress(i, batch * 2);
            QStringList lines;
            for (int line = 0; line < 20; ++line)
                lines << QStringLiteral("unit %1 batch %2 line %3").arg(i).arg(batch).arg(line);
            m_table->appendMessages(i, lines);
        }
        QCoreApplication::processEvents();
        longest = qMax(longest, clock.elapsed());
    }
    QVERIFY2(longest < 50, qPrintable(QStringLiteral("a batch took %1 ms").arg(longest)));
    QCOMPARE(m_table->unitLog(5).count(QLatin1Char('\n')) + 1, 40 * 20);
}

QTEST_MAIN(TestFleetResultsTable)
#include "tst_fleetresultstable.moc"
