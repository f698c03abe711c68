// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "common/fakeprompts.h"
#include "common/testhome.h"
#include "dialogs/historydialog.h"
#include "dialogs/newnetwsettings.h"
#include "journal/datalocation.h"
#include "journal/journal.h"
#include "journal/journalvalues.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

// A day with eighteen simulated units on two links (tests/labs/app-everyday.json), through the real
// window's widgets and keys: finding a unit, the compact view, rescans that keep the view, the keyboard,
// numbering new units, clean fields and the web button's warning.
class TestEverydayUse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void searchFiltersWithTheFamilyFilter();
    void compactViewFitsTwentyRowsAndIsKept();
    void rescanKeepsTheView();
    void keyboardAlone();
    void numberingFillsFreeAddressesAndFlagsConflicts();
    void fieldsAreShownClean();
    void webButtonWarnsAtAnUnreachableAddress_data();
    void webButtonWarnsAtAnUnreachableAddress();
    void undoFromTheHistoryUpdatesTheTable();

private:
    void scan();
    QTableWidget* table() const { return m_window->findChild<QTableWidget*>("tableWidgetDeviceFirstTable"); }
    int rowOfMac(const QString& mac) const;
    QStringList macsInRowOrder() const;
    QString shownCount() const { return m_window->findChild<QLabel*>("labelUnitsShown")->text(); }

    QTemporaryDir m_home;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<MainWindow> m_window;
};

void TestEverydayUse::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS"))
        QSKIP("runs only inside the namespace harness");
}

void TestEverydayUse::init()
{
    m_prompts = std::make_shared<FakePrompts>();
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_window->timeout();
}

void TestEverydayUse::cleanup()
{
    // The compact view is kept in the settings; the next case starts with the pictures.
    if (auto* compact = m_window->findChild<QAction*>("actionCompact_View"); compact->isChecked())
        compact->trigger();
    m_window.reset();
}

void TestEverydayUse::scan()
{
    m_window->findChild<QAction*>("actionNew_Scan")->trigger();
    QCOMPARE(m_window->devices().size(), 18);
}

int TestEverydayUse::rowOfMac(const QString& mac) const
{
    for (int row = 0; row < table()->rowCount(); ++row) {
        const int index = m_window->deviceTable().deviceIndexOfRow(row);
        if (m_window->devices().at(index).mac == mac)
            return row;
    }
    return -1;
}

QStringList TestEverydayUse::macsInRowOrder() const
{
    QStringList macs;
    for (int row = 0; row < table()->rowCount(); ++row)
        macs << m_window->devices().at(m_window->deviceTable().deviceIndexOfRow(row)).mac;
    return macs;
}

void TestEverydayUse::searchFiltersWithTheFamilyFilter()
{
    scan();
    QCOMPARE(shownCount(), QStringLiteral("18 of 18 units shown"));
    QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier);
    auto* field = m_window->findChild<QLineEdit*>("lineEditSearch");
    QCOMPARE(QApplication::focusWidget(), field);
    const struct
    {
        const char* text;
        int shown;
    } searches[] = {{"kv0940", 1}, {"00:20:4a", 3}, {"10.77.8.", 7}, {"Lumen", 4}, {"nothing like it", 0}};
    for (const auto& search : searches) {
        field->clear();
        QTest::keyClicks(field, QString::fromLatin1(search.text));
        QCOMPARE(m_window->deviceTable().shownRowCount(), search.shown);
        QCOMPARE(shownCount(), QStringLiteral("%1 of 18 units shown").arg(search.shown));
    }
    // The family filter narrows the search further, and the search the family filter.
    field->clear();
    QTest::keyClicks(field, QStringLiteral("10.77.9."));
    QCOMPARE(shownCount(), QStringLiteral("10 of 18 units shown"));
    QTest::mouseClick(m_window->findChild<QPushButton*>("filterBtn"), Qt::LeftButton);
    m_window->findChild<QComboBox*>("comboBoxDeviceFilter")->setCurrentIndex(1);
    QCOMPARE(shownCount(), QStringLiteral("4 of 18 units shown"));
    // Esc empties the search, as its clear button does.
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(field->text().isEmpty());
    QCOMPARE(shownCount(), QStringLiteral("4 of 18 units shown"));
    // Ctrl+Shift+F is the family filter's own key now.
    QTest::keyClick(m_window.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(shownCount(), QStringLiteral("18 of 18 units shown"));
}

void TestEverydayUse::compactViewFitsTwentyRowsAndIsKept()
{
    scan();
    auto* compact = m_window->findChild<QAction*>("actionCompact_View");
    QVERIFY(!compact->isChecked());
    QCOMPARE(table()->rowHeight(0), DeviceTable::pictureRowHeight);
    compact->trigger();
    QVERIFY2(
        table()->viewport()->height() >= 20 * table()->rowHeight(0),
        qPrintable(
            QStringLiteral("%1 px for rows of %2 px").arg(table()->viewport()->height()).arg(table()->rowHeight(0))));
    QVERIFY(table()->item(0, MainWindow::columnIcon)->data(Qt::DecorationRole).isValid());
    // The next start remembers the choice.
    m_window.reset();
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts);
    QVERIFY(m_window->findChild<QAction*>("actionCompact_View")->isChecked());
}

void TestEverydayUse::rescanKeepsTheView()
{
    scan();
    const QStringList firstOrder = macsInRowOrder();
    scan();
    // Units answer in a different order from scan to scan; the table does not follow.
    QCOMPARE(macsInRowOrder(), firstOrder);

    // Sorted by a click on the group header, where the two motor drivers sort equal.
    QHeaderView* header = table()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(MainWindow::columnGroup) + 5, header->height() / 2));
    QCOMPARE(header->sortIndicatorSection(), MainWindow::columnGroup);
    const Qt::SortOrder order = header->sortIndicatorOrder();
    const QStringList sorted = macsInRowOrder();
    table()->setCurrentCell(rowOfMac(QStringLiteral("00:20:4A:00:09:41")), MainWindow::columnGroup);
    QTRY_VERIFY(table()->verticalScrollBar()->maximum() > 0);
    table()->verticalScrollBar()->setValue(table()->verticalScrollBar()->maximum() / 2);
    const int scroll = table()->verticalScrollBar()->value();
    QVERIFY(scroll > 0);

    scan();
    QCOMPARE(header->sortIndicatorSection(), MainWindow::columnGroup);
    QCOMPARE(header->sortIndicatorOrder(), order);
    QCOMPARE(macsInRowOrder(), sorted);
    QCOMPARE(m_window->devices().at(m_window->deviceTable().currentDeviceIndex()).mac,
             QStringLiteral("00:20:4A:00:09:41"));
    QCOMPARE(table()->verticalScrollBar()->value(), scroll);
}

void TestEverydayUse::keyboardAlone()
{
    scan();
    // The table is one stop: Tab leaves it, the arrows move inside it.
    table()->setFocus();
    table()->setCurrentCell(0, MainWindow::columnGroup);
    QTest::keyClick(table(), Qt::Key_Down);
    QCOMPARE(table()->currentRow(), 1);
    QTest::keyClick(table(), Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != table());

    // From the search field to the table, every Tab stop can be seen: the folded family box is none.
    auto* field = m_window->findChild<QLineEdit*>("lineEditSearch");
    field->setFocus();
    for (int stops = 0; QApplication::focusWidget() != table(); ++stops) {
        QVERIFY(stops < 20);
        QWidget* stop = QApplication::focusWidget();
        QVERIFY2(stop && stop->isVisible() && stop->width() > 0, stop ? qPrintable(stop->objectName()) : "none");
        QTest::keyClick(stop, Qt::Key_Tab);
    }

    // Every menu and every entry has an access letter of its own within its menu.
    QMenuBar* bar = m_window->menuBar();
    QSet<QChar> titles;
    for (QAction* menuAction : bar->actions()) {
        const int amp = menuAction->text().indexOf('&');
        QVERIFY2(amp >= 0, qPrintable(menuAction->text()));
        QVERIFY(!titles.contains(menuAction->text().at(amp + 1).toLower()));
        titles << menuAction->text().at(amp + 1).toLower();
        QSet<QChar> letters;
        for (QAction* entry : menuAction->menu()->actions()) {
            if (entry->isSeparator())
                continue;
            const int at = entry->text().indexOf('&');
            QVERIFY2(at >= 0, qPrintable(entry->text()));
            QVERIFY2(!letters.contains(entry->text().at(at + 1).toLower()), qPrintable(entry->text()));
            letters << entry->text().at(at + 1).toLower();
        }
    }
    // Alt+F opens File.
    auto* file = m_window->findChild<QMenu*>("menuFile");
    QTest::keyClick(m_window.get(), Qt::Key_F, Qt::AltModifier);
    QTRY_VERIFY(file->isVisible());
    QTest::keyClick(file, Qt::Key_Escape);
    QTRY_VERIFY(!file->isVisible());
}

void TestEverydayUse::numberingFillsFreeAddressesAndFlagsConflicts()
{
    scan();
    m_window->findChild<QAction*>("actionAdvanced_network_config")->trigger();
    auto* dialog = m_window->findChild<NewNetwSettings*>();
    QVERIFY(dialog);
    QApplication::setActiveWindow(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    auto* rows = dialog->findChild<QTableWidget*>("tableNetwSet");
    // Select the four beamline units with the keyboard: the dialog's table is one stop too.
    rows->setFocus();
    QList<int> beamline;
    for (int row = 0; row < rows->rowCount(); ++row) {
        if (rows->item(row, 2)->text().startsWith(QLatin1String("02:EE:00:00:09:2")))
            beamline << row;
    }
    QCOMPARE(beamline.size(), 4);
    rows->clearSelection();
    for (int row : beamline)
        rows->selectionModel()->select(rows->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(dialog, Qt::Key_N, Qt::AltModifier);
    auto* start = dialog->findChild<QLineEdit*>("lineEditStartAddress");
    QCOMPARE(QApplication::focusWidget(), start);
    QTest::keyClicks(start, QStringLiteral("10.77.9.20"));
    QTest::keyClick(start, Qt::Key_Return);
    // 10.77.9.20 to .23 are the units' own, so the numbering starts after them.
    QStringList numbered;
    for (int row : beamline)
        numbered << rows->item(row, 3)->text();
    QCOMPARE(numbered, (QStringList{"10.77.9.24", "10.77.9.25", "10.77.9.26", "10.77.9.27"}));
    QVERIFY(dialog->isVisible());
    QVERIFY(m_prompts->boxes.isEmpty());

    // One address typed by hand that the AMC board keeps: flagged, and No is the default.
    rows->item(beamline.last(), 3)->setText(QStringLiteral("10.77.9.35"));
    QTest::keyClick(start, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), dialog->findChild<QPushButton*>("numberBtn"));
    dialog->findChild<QPushButton*>("applyBtn")->setFocus();
    QTest::keyClick(dialog->findChild<QPushButton*>("applyBtn"), Qt::Key_Return);
    QCOMPARE(m_prompts->boxes.size(), 1);
    const FakePrompts::Box box = m_prompts->boxes.first();
    QCOMPARE(box.kind, QStringLiteral("question"));
    QCOMPARE(box.defaultButton, QMessageBox::No);
    QVERIFY2(box.text.contains(QStringLiteral("10.77.9.35 for Lumen 0923")) && box.text.contains("[CONFLICT]"),
             qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral("10.77.9.24")), qPrintable(box.text));
    // Declined: nothing sent, the dialog is there to mend the row.
    QVERIFY(dialog->findChild<QPushButton*>("applyBtn")->isEnabled());
}

void TestEverydayUse::fieldsAreShownClean()
{
    scan();
    const int nul = rowOfMac(QStringLiteral("02:EE:00:00:08:16"));
    QVERIFY(nul >= 0);
    QCOMPARE(table()->item(nul, MainWindow::columnModuleId)->text(), QString());
    const int plain = rowOfMac(QStringLiteral("00:20:4A:00:09:42"));
    QCOMPARE(table()->item(plain, MainWindow::columnGroup)->text(),
             QStringLiteral("XPort module \u2014 no motor driver answered"));
}

void TestEverydayUse::webButtonWarnsAtAnUnreachableAddress_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<bool>("warned");
    QTest::addColumn<bool>("openAnyway");
    QTest::addColumn<int>("opened");
    QTest::newRow("in the subnet: opened at once") << "02:EE:00:00:08:10" << false << false << 1;
    QTest::newRow("outside, declined") << "02:EE:00:00:07:50" << true << false << 0;
    QTest::newRow("outside, opened anyway") << "02:EE:00:00:07:50" << true << true << 1;
}

void TestEverydayUse::webButtonWarnsAtAnUnreachableAddress()
{
    QFETCH(QString, mac);
    QFETCH(bool, warned);
    QFETCH(bool, openAnyway);
    QFETCH(int, opened);
    scan();
    table()->setCurrentCell(rowOfMac(mac), MainWindow::columnGroup);
    auto* web = m_window->findChild<QPushButton*>("webBtn");
    QVERIFY(web->isVisible());
    m_prompts->answer = openAnyway ? QMessageBox::Yes : QMessageBox::No;
    QTest::mouseClick(web, Qt::LeftButton);
    QCOMPARE(m_prompts->boxes.size(), warned ? 1 : 0);
    if (warned)
        QVERIFY2(m_prompts->boxes.first().text.contains(QStringLiteral("broadcast only")),
                 qPrintable(m_prompts->boxes.first().text));
    QCOMPARE(m_prompts->urls.size(), opened);
}

// Last: the unit stays where the undo puts it. The table shows it there, as the command line's undo would.
void TestEverydayUse::undoFromTheHistoryUpdatesTheTable()
{
    scan();
    const QString mac = QStringLiteral("02:EE:00:00:08:11");
    const Device_t now = m_window->devices().at(m_window->deviceTable().deviceIndexOfRow(rowOfMac(mac)));
    Journal journal(DataLocation::directory());
    JournalRecord change;
    change.unit.mac = mac;
    change.unit.ip = now.ip;
    change.before =
        JournalValues::network(QStringLiteral("10.77.8.61"), now.netmask, now.gateway, QStringLiteral("off"));
    change.after = JournalValues::network(now);
    const QString id = journal.begin(change);
    QVERIFY(journal.complete(id, JournalRecord::Outcome::Succeeded, QString()));
    m_window->findChild<QAction*>("actionHistory")->trigger();
    auto* history = m_window->findChild<HistoryDialog*>();
    QVERIFY(history);
    history->findChild<QTableView*>()->selectRow(0);
    m_prompts->answer = QMessageBox::Yes;
    QTest::mouseClick(history->findChild<QPushButton*>(QStringLiteral("historyUndo")), Qt::LeftButton);
    QTRY_COMPARE(m_window->devices().at(m_window->deviceTable().deviceIndexOfRow(rowOfMac(mac))).ip,
                 QStringLiteral("10.77.8.61"));
    history->close();
}

QTEST_MAIN(TestEverydayUse)
#include "tst_everydayuse.moc"
