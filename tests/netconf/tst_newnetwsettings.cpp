// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/newnetwsettings.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

namespace {

const QList<QList<QString>> sampleRows{
    {"Power Supply Systems", "PS-1", "00:1A:2B:3C:4D:10", "10.77.1.30", "255.255.255.0", "10.77.1.1"},
    {"Beamline", "BL-2", "00:1A:2B:3C:4D:11", "10.77.1.4", "255.255.0.0", "10.77.0.1"},
    {"Current Transducers", "CT-3", "00:1A:2B:3C:4D:12", "10.77.1.200", "255.255.255.128", "10.77.1.129"},
};

} // namespace

class TestNewNetwSettings : public QObject
{
    Q_OBJECT

private slots:
    void formMatchesTheDesign();
    void fillsAndReadsBackInInputOrder();
    void stopsAtFirstShortRow();
    void sortingKeepsRowsWhole_data();
    void sortingKeepsRowsWhole();
    void identityColumnsAreLocked();
    void editedAddressIsReadBack();
    void applyShowsWaitAndSignals();
    void closeSignals();
    void resumeEditingAfterNothingWasSent();
    void addressEditorsShowInvalidText_data();
    void addressEditorsShowInvalidText();
    void buttonKeys_data();
    void buttonKeys();

private:
    static QTableWidget* table(NewNetwSettings& dialog) { return dialog.findChild<QTableWidget*>("tableNetwSet"); }
    static QPushButton* button(NewNetwSettings& dialog, const char* name)
    {
        return dialog.findChild<QPushButton*>(QLatin1String(name));
    }
};

void TestNewNetwSettings::formMatchesTheDesign()
{
    NewNetwSettings dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Device(s) Network Configuration"));
    QCOMPARE(dialog.size(), QSize(1002, 500));
    QTableWidget* t = table(dialog);
    QVERIFY(t);
    QCOMPARE(t->columnCount(), 6);
    const QStringList headers{"Family", "Serial Number", "MAC Address", "IP Address", "Subnet Mask", "Gateway"};
    for (int c = 0; c < headers.size(); ++c)
        QCOMPARE(t->horizontalHeaderItem(c)->text(), headers.at(c));
    QVERIFY(t->isSortingEnabled());
    QCOMPARE(t->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(button(dialog, "applyBtn")->text(), QStringLiteral("&Apply"));
    QCOMPARE(button(dialog, "closeBtn")->text(), QStringLiteral("&Cancel"));
    QVERIFY(dialog.findChild<QLabel*>("labelWait")->text().isEmpty());
}

void TestNewNetwSettings::fillsAndReadsBackInInputOrder()
{
    NewNetwSettings dialog;
    dialog.updateNetworkTable(sampleRows);
    QCOMPARE(dialog.readNetworkTable(), sampleRows);
}

void TestNewNetwSettings::stopsAtFirstShortRow()
{
    NewNetwSettings dialog;
    dialog.updateNetworkTable({sampleRows.at(0), {"short"}, sampleRows.at(1)});
    QCOMPARE(dialog.readNetworkTable(), QList<QList<QString>>{sampleRows.at(0)});
    NewNetwSettings empty;
    empty.updateNetworkTable({});
    QVERIFY(empty.readNetworkTable().isEmpty());
}

void TestNewNetwSettings::sortingKeepsRowsWhole_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("order");
    for (int column = 0; column < 6; ++column) {
        QTest::addRow("column %d ascending", column) << column << int(Qt::AscendingOrder);
        QTest::addRow("column %d descending", column) << column << int(Qt::DescendingOrder);
    }
}

void TestNewNetwSettings::sortingKeepsRowsWhole()
{
    QFETCH(int, column);
    QFETCH(int, order);
    NewNetwSettings dialog;
    // Sort first, then fill: the rows must still not be torn apart.
    table(dialog)->sortByColumn(column, Qt::SortOrder(order));
    dialog.updateNetworkTable(sampleRows);
    table(dialog)->sortByColumn(column, Qt::SortOrder(order));
    const QList<QList<QString>> read = dialog.readNetworkTable();
    QCOMPARE(read.size(), sampleRows.size());
    for (const QList<QString>& row : read)
        QVERIFY2(sampleRows.contains(row), qPrintable(QStringList(row).join(',')));
    for (int i = 1; i < read.size(); ++i) {
        const bool ascending = read.at(i - 1).at(column) <= read.at(i).at(column);
        QVERIFY(order == Qt::AscendingOrder ? ascending
                                            : !ascending || read.at(i - 1).at(column) == read.at(i).at(column));
    }
}

void TestNewNetwSettings::identityColumnsAreLocked()
{
    NewNetwSettings dialog;
    dialog.updateNetworkTable(sampleRows);
    QTableWidget* t = table(dialog);
    for (int row = 0; row < t->rowCount(); ++row) {
        for (int column = 0; column < 6; ++column) {
            QTableWidgetItem* item = t->item(row, column);
            const bool locked = column < 3;
            QCOMPARE(bool(item->flags() & Qt::ItemIsEditable), !locked);
            QCOMPARE(item->textAlignment(), int(Qt::AlignCenter));
            if (locked)
                QCOMPARE(item->foreground().color(), QColor("#808080"));
        }
    }
}

void TestNewNetwSettings::editedAddressIsReadBack()
{
    NewNetwSettings dialog;
    dialog.updateNetworkTable(sampleRows);
    QTableWidget* t = table(dialog);
    t->sortByColumn(3, Qt::AscendingOrder);
    // Edit through the delegate, as the user would, on the row of CT-3.
    int row = 0;
    while (t->item(row, 1)->text() != QLatin1String("CT-3"))
        ++row;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    t->setCurrentCell(row, 4);
    t->editItem(t->item(row, 4));
    QLineEdit* editor = nullptr;
    QTRY_VERIFY((editor = t->viewport()->findChild<QLineEdit*>()) != nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "255.255.0.0");
    QCOMPARE(editor->text(), QStringLiteral("255.255.0.0"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!t->viewport()->findChild<QLineEdit*>() || !t->viewport()->findChild<QLineEdit*>()->isVisible());
    const QList<QList<QString>> read = dialog.readNetworkTable();
    QList<QString> expected = sampleRows.at(2);
    expected[4] = QStringLiteral("255.255.0.0");
    QVERIFY2(read.contains(expected),
             qPrintable(QStringList(read.value(0)).join(",") + " / " + QStringList(read.value(1)).join(",") + " / " +
                        QStringList(read.value(2)).join(",")));
}

void TestNewNetwSettings::applyShowsWaitAndSignals()
{
    NewNetwSettings dialog;
    QSignalSpy apply(&dialog, &NewNetwSettings::signalApplyChanges);
    QTest::mouseClick(button(dialog, "applyBtn"), Qt::LeftButton);
    QCOMPARE(apply.count(), 1);
    QVERIFY(!button(dialog, "applyBtn")->isEnabled());
    QVERIFY(!button(dialog, "closeBtn")->isEnabled());
    QCOMPARE(dialog.findChild<QLabel*>("labelWait")->text(),
             QStringLiteral("Wait for the network configurations to be updated..."));
}

void TestNewNetwSettings::closeSignals()
{
    NewNetwSettings dialog;
    QSignalSpy close(&dialog, &NewNetwSettings::signalClose);
    QSignalSpy apply(&dialog, &NewNetwSettings::signalApplyChanges);
    QTest::mouseClick(button(dialog, "closeBtn"), Qt::LeftButton);
    QCOMPARE(close.count(), 1);
    QCOMPARE(apply.count(), 0);
}

void TestNewNetwSettings::resumeEditingAfterNothingWasSent()
{
    NewNetwSettings dialog;
    dialog.updateNetworkTable(sampleRows);
    QTest::mouseClick(button(dialog, "applyBtn"), Qt::LeftButton);
    QVERIFY(!button(dialog, "applyBtn")->isEnabled());
    dialog.resumeEditing();
    QVERIFY(button(dialog, "applyBtn")->isEnabled());
    QVERIFY(button(dialog, "closeBtn")->isEnabled());
    QVERIFY(dialog.findChild<QLabel*>("labelWait")->text().isEmpty());
    QCOMPARE(dialog.readNetworkTable(), sampleRows);
}

void TestNewNetwSettings::addressEditorsShowInvalidText_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("invalid");
    QTest::newRow("address too big") << 3 << "10.77.5.300" << true;
    QTest::newRow("address") << 3 << "10.77.5.30" << false;
    QTest::newRow("mask with a hole") << 4 << "255.0.255.0" << true;
    QTest::newRow("gateway short") << 5 << "10.77" << true;
}

void TestNewNetwSettings::addressEditorsShowInvalidText()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(bool, invalid);
    NewNetwSettings dialog;
    dialog.updateNetworkTable(sampleRows);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTableWidget* t = table(dialog);
    t->setCurrentCell(0, column);
    t->edit(t->currentIndex());
    auto* editor = t->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, typed);
    QCOMPARE(editor->text(), typed);
    QCOMPARE(editor->palette().color(QPalette::Text) == QColor("#c62828"), invalid);
    QCOMPARE(editor->toolTip().isEmpty(), !invalid);
    // Letters never get in.
    QTest::keyClicks(editor, QStringLiteral("x"));
    QCOMPARE(editor->text(), typed);
}

void TestNewNetwSettings::buttonKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("applies");
    QTest::newRow("Return clicks") << int(Qt::Key_Return) << 1;
    QTest::newRow("Enter clicks") << int(Qt::Key_Enter) << 1;
    QTest::newRow("Space does nothing") << int(Qt::Key_Space) << 0;
}

void TestNewNetwSettings::buttonKeys()
{
    QFETCH(int, key);
    QFETCH(int, applies);
    NewNetwSettings dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QPushButton* applyBtn = button(dialog, "applyBtn");
    applyBtn->setFocus();
    QSignalSpy apply(&dialog, &NewNetwSettings::signalApplyChanges);
    QTest::keyClick(applyBtn, Qt::Key(key));
    QCOMPARE(apply.count(), applies);
}

QTEST_MAIN(TestNewNetwSettings)
#include "tst_newnetwsettings.moc"
