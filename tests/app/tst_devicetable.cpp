// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/devicetable.h"
#include "app/devicetableitem.h"
#include "common/pageharness.h"
#include "common/sampledevices.h"
#include "journal/journaltext.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QSignalSpy>
#include <QtTest>

// The device table on the window's form alone: rows, the device index of a row and the row of a
// device whatever the sort order, the one current-device signal, the family filter, and the marks of
// what changed since the scan before.
class TestDeviceTable : public QObject
{
    Q_OBJECT

private slots:
    void rowsCarryTheirDeviceIndex();
    void rowsBeyondTheListAreNotMade();
    void lookupsSurviveSorting();
    void refillStartsUnsorted();
    void currentDeviceSignal();
    void currentIndexOutOfRangeIsNoDevice();
    void selectionBoxSignal();
    void familyDigit_data();
    void familyDigit();
    void toggleFilter();
    void hiddenFamilies_data();
    void hiddenFamilies();
    void filterFollowsSelectionOnlyAfterFirstOne();
    void addressMarksFollowTheChosenInterfaces();
    void selectByMacKeepsToShownRows();
    void changesSinceTheLastScanAreMarked();
    void missingUnitsStayLastWhateverTheSort();
    void missingUnitsFollowTheFiltersAndTheSwitch();

private:
    // The sample devices now; before them one had another address, one was not there and one more answered.
    static ScanChanges sampleChanges();
    QStringList shownCodes(const PageHarness& harness) const;
};

QStringList TestDeviceTable::shownCodes(const PageHarness& harness) const
{
    QStringList codes;
    for (int row = 0; row < harness.table.rowCount(); ++row) {
        if (!harness.table.widget()->isRowHidden(row))
            codes << harness.devices.at(harness.table.deviceIndexOfRow(row)).code;
    }
    codes.sort();
    return codes;
}

void TestDeviceTable::rowsCarryTheirDeviceIndex()
{
    PageHarness harness;
    harness.showDevices(sampleDevices());
    const DeviceTable& table = harness.table;
    QCOMPARE(table.rowCount(), sampleDevices().size());
    // Rows go in by MAC, so that units that sort equal keep one order from scan to scan.
    QString previousMac;
    for (int row = 0; row < table.rowCount(); ++row) {
        const int index = table.deviceIndexOfRow(row);
        QCOMPARE(table.rowOfDevice(index), row);
        QCOMPARE(table.selectionBox(row)->property("deviceIndex").toInt(), index);
        QVERIFY(sampleDevices().at(index).mac > previousMac);
        previousMac = sampleDevices().at(index).mac;
        QCOMPARE(table.widget()->cellWidget(row, DeviceTable::columnSelection), table.selectionBox(row));
    }
    QCOMPARE(table.rowOfDevice(sampleDevices().size()), -1);
    QVERIFY(!table.selectionBox(table.rowCount()));
    QCOMPARE(DeviceTable::deviceIndexOf(nullptr), int(DeviceTable::noDevice));
    QTableWidgetItem textOnly(QStringLiteral("no index"));
    QCOMPARE(DeviceTable::deviceIndexOf(&textOnly), int(DeviceTable::noDevice));
}

void TestDeviceTable::rowsBeyondTheListAreNotMade()
{
    PageHarness harness;
    harness.devices = sampleDevices().mid(0, 2);
    harness.table.appendRows(5);
    QCOMPARE(harness.table.rowCount(), 2);
}

void TestDeviceTable::lookupsSurviveSorting()
{
    PageHarness harness;
    harness.showDevices(sampleDevices());
    DeviceTable& table = harness.table;
    table.widget()->sortItems(DeviceTable::columnIp, Qt::DescendingOrder);
    QVERIFY(table.deviceIndexOfRow(0) != 0);
    for (int index = 0; index < harness.devices.size(); ++index) {
        const int row = table.rowOfDevice(index);
        QCOMPARE(table.deviceIndexOfRow(row), index);
        QCOMPARE(table.widget()->item(row, DeviceTable::columnIp)->text(), harness.devices.at(index).ip);
        QCOMPARE(table.selectionBox(row)->property("deviceIndex").toInt(), index);
    }
}

void TestDeviceTable::refillStartsUnsorted()
{
    PageHarness harness;
    harness.showDevices(sampleDevices());
    harness.table.widget()->horizontalHeader()->setSortIndicator(DeviceTable::columnIp, Qt::DescendingOrder);
    // Refilled, the table lists its devices by MAC; keeping the user's sort is the window's business.
    harness.showDevices(sampleDevices());
    QCOMPARE(harness.table.widget()->horizontalHeader()->sortIndicatorSection(), -1);
    for (int row = 1; row < harness.table.rowCount(); ++row)
        QVERIFY(sampleDevices().at(harness.table.deviceIndexOfRow(row - 1)).mac <
                sampleDevices().at(harness.table.deviceIndexOfRow(row)).mac);
    QVERIFY(harness.table.widget()->isSortingEnabled());
}

void TestDeviceTable::currentDeviceSignal()
{
    PageHarness harness;
    harness.showDevices(sampleDevices());
    harness.table.widget()->sortItems(DeviceTable::columnIp, Qt::AscendingOrder);
    QSignalSpy changed(&harness.table, &DeviceTable::signalCurrentDeviceChanged);
    const int motorDriver = indexOfCode(QStringLiteral("4200"));
    harness.selectRowOf(motorDriver);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.takeFirst().at(0).toInt(), motorDriver);
    QCOMPARE(harness.table.currentDeviceIndex(), motorDriver);
    // Another column of the same row changes nothing; another row does.
    harness.table.widget()->setCurrentCell(harness.table.rowOfDevice(motorDriver), DeviceTable::columnIp);
    QCOMPARE(changed.count(), 0);
    harness.selectRowOf(0);
    QCOMPARE(changed.takeFirst().at(0).toInt(), 0);
    // Emptying the table leaves no current device, and says so.
    harness.table.clear();
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).toInt(), int(DeviceTable::noDevice));
    QCOMPARE(harness.table.currentDeviceIndex(), int(DeviceTable::noDevice));
}

void TestDeviceTable::currentIndexOutOfRangeIsNoDevice()
{
    PageHarness harness;
    harness.showDevices(sampleDevices());
    harness.selectRowOf(3);
    // The rows still point into a list that has since shrunk.
    harness.devices = sampleDevices().mid(0, 2);
    QCOMPARE(harness.table.currentDeviceIndex(), int(DeviceTable::noDevice));
}

void TestDeviceTable::selectionBoxSignal()
{
    PageHarness harness;
    harness.showDevices(sampleDevices());
    QSignalSpy changed(&harness.table, &DeviceTable::signalSelectionBoxChanged);
    harness.table.selectionBox(0)->setChecked(true);
    harness.table.selectionBox(0)->setChecked(false);
    QCOMPARE(changed.count(), 2);
    // Current transducers are never upgraded from here.
    QVERIFY(!harness.table.selectionBox(harness.table.rowOfDevice(indexOfCode(QStringLiteral("3100"))))->isEnabled());
}

void TestDeviceTable::familyDigit_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("digit");
    QTest::newRow("power supply") << "1100" << 1;
    QTest::newRow("beamline") << "2100" << 2;
    QTest::newRow("transducer") << "3100" << 3;
    QTest::newRow("motor driver counts as power supply") << "4200" << 1;
    QTest::newRow("xport module too") << "4100" << 1;
    QTest::newRow("board") << "5100" << 5;
    QTest::newRow("tool") << "6100" << 6;
    QTest::newRow("letter") << "F100" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestDeviceTable::familyDigit()
{
    QFETCH(QString, code);
    QFETCH(int, digit);
    QCOMPARE(DeviceTable::familyDigit(makeDevice(code, QStringLiteral("10.0.0.1"))), digit);
}

void TestDeviceTable::toggleFilter()
{
    PageHarness harness;
    harness.filterOff = true;
    harness.table.toggleFilter();
    QVERIFY(!harness.filterOff);
    QCOMPARE(harness.ui.comboBoxDeviceFilter->maximumWidth(), int(DeviceTable::unlimitedWidth));
    QCOMPARE(harness.ui.actionApply_Filter->text(), QStringLiteral("Remove F&ilter"));
    harness.table.toggleFilter();
    QVERIFY(harness.filterOff);
    QCOMPARE(harness.ui.comboBoxDeviceFilter->maximumWidth(), 0);
    QCOMPARE(harness.ui.actionApply_Filter->text(), QStringLiteral("Apply F&ilter"));
}

void TestDeviceTable::hiddenFamilies_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QStringList>("visible");
    QTest::newRow("power supplies") << 0 << QStringList{"1100", "1600", "1900", "1F80", "4200"};
    QTest::newRow("beamline") << 1 << QStringList{"2100"};
    QTest::newRow("transducers") << 2 << QStringList{"3100"};
}

void TestDeviceTable::hiddenFamilies()
{
    QFETCH(int, entry);
    QFETCH(QStringList, visible);
    PageHarness harness;
    harness.showDevices(sampleDevices());
    harness.ui.comboBoxDeviceFilter->setCurrentIndex(entry);
    // While the filter is removed nothing is hidden.
    harness.table.hideOtherFamilies();
    QCOMPARE(shownCodes(harness).size(), sampleDevices().size());
    harness.table.toggleFilter();
    harness.table.hideOtherFamilies();
    QCOMPARE(shownCodes(harness), visible);
    harness.table.showAllRows();
    QCOMPARE(shownCodes(harness).size(), sampleDevices().size());
}

void TestDeviceTable::filterFollowsSelectionOnlyAfterFirstOne()
{
    PageHarness harness;
    harness.showDevices(sampleDevices());
    harness.noSelectionYet = true;
    harness.selectRowOf(indexOfCode(QStringLiteral("3100")));
    harness.table.followCurrentDevice();
    QCOMPARE(harness.ui.comboBoxDeviceFilter->currentIndex(), 0);
    harness.noSelectionYet = false;
    harness.table.followCurrentDevice();
    QCOMPARE(harness.ui.comboBoxDeviceFilter->currentIndex(), 2);
    // A board has no entry: the chosen family stays.
    harness.selectRowOf(indexOfCode(QStringLiteral("5100")));
    harness.table.followCurrentDevice();
    QCOMPARE(harness.ui.comboBoxDeviceFilter->currentIndex(), 2);
}

void TestDeviceTable::addressMarksFollowTheChosenInterfaces()
{
    PageHarness harness;
    // The samples sit in 10.0.0.0/24, except the supply in recovery mode (192.168.0.10).
    QList<interfaces_t> interfaces = {{"kq0", "10.0.0.1", "255.255.255.0", true}};
    harness.devices = sampleDevices();
    harness.table.judgeAddresses(interfaces);
    harness.showDevices(sampleDevices());
    const int recovery = indexOfCode("1F80");
    auto ipItem = [&harness](int index) {
        return harness.table.widget()->item(harness.table.rowOfDevice(index), DeviceTable::columnIp);
    };
    QVERIFY(ipItem(recovery)->data(Qt::DecorationRole).isValid());
    QVERIFY(ipItem(recovery)->toolTip().startsWith("192.168.0.10 lies outside the subnets"));
    QVERIFY(!ipItem(indexOfCode("2100"))->data(Qt::DecorationRole).isValid());
    // Choosing no interface leaves nothing to be outside of: the marks go.
    interfaces[0].selected = false;
    harness.table.judgeAddresses(interfaces);
    QVERIFY(!ipItem(recovery)->data(Qt::DecorationRole).isValid());
    QVERIFY(ipItem(recovery)->toolTip().isEmpty());
}

void TestDeviceTable::selectByMacKeepsToShownRows()
{
    PageHarness harness;
    harness.showDevices(sampleDevices());
    QVERIFY(harness.table.selectDeviceWithMac("02:00:00:00:21:00"));
    QCOMPARE(harness.table.currentDeviceIndex(), indexOfCode("2100"));
    QVERIFY(harness.table.selectDeviceWithMac("02:00:00:00:31:00"));
    QCOMPARE(harness.table.currentDeviceIndex(), indexOfCode("3100"));
    QVERIFY(!harness.table.selectDeviceWithMac("02:00:00:00:99:99"));
    harness.table.widget()->setRowHidden(harness.table.rowOfDevice(indexOfCode("2100")), true);
    QVERIFY(!harness.table.selectDeviceWithMac("02:00:00:00:21:00"));
}

ScanChanges TestDeviceTable::sampleChanges()
{
    ScanSnapshot::Scan previous;
    previous.taken = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);
    previous.devices = sampleDevices();
    previous.devices[indexOfCode("2100")].ip = QStringLiteral("10.0.0.99");
    previous.devices.removeAt(indexOfCode("3100"));
    previous.devices.append(makeDevice("2200", "10.0.0.77"));
    return ScanChanges(ScanDifference::between(previous, sampleDevices()));
}

void TestDeviceTable::changesSinceTheLastScanAreMarked()
{
    PageHarness harness;
    harness.table.setScanChanges(sampleChanges());
    harness.showDevices(sampleDevices());
    const QTableWidget* table = harness.table.widget();
    const int moved = harness.table.rowOfDevice(indexOfCode("2100"));
    const QString when = JournalText::time(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC));
    QCOMPARE(table->item(moved, DeviceTable::columnGroup)->toolTip(),
             QString::fromUtf8("Changed since the last scan (%1):\nIP Address: 10.0.0.99 \u2192 %2")
                 .arg(when, sampleDevices().at(indexOfCode("2100")).ip));
    const int added = harness.table.rowOfDevice(indexOfCode("3100"));
    QCOMPARE(table->item(added, DeviceTable::columnIp)->toolTip(),
             QStringLiteral("New since the last scan (%1)").arg(when));
    QVERIFY(table->item(added, DeviceTable::columnGroup)->data(Qt::DecorationRole).isValid());
    QVERIFY(table->item(added, DeviceTable::columnGroup)->background() !=
            table->item(moved, DeviceTable::columnGroup)->background());
    const int same = harness.table.rowOfDevice(indexOfCode("1100"));
    QCOMPARE(table->item(same, DeviceTable::columnGroup)->toolTip(), QString());
    QCOMPARE(table->item(same, DeviceTable::columnGroup)->background().style(), Qt::NoBrush);

    // The next fill without a comparison marks nothing and lists nothing missing.
    harness.table.setScanChanges(ScanChanges());
    harness.showDevices(sampleDevices());
    QCOMPARE(harness.table.missingRowCount(), 0);
    QCOMPARE(table->item(harness.table.rowOfDevice(indexOfCode("3100")), DeviceTable::columnIp)->toolTip(), QString());
}

void TestDeviceTable::missingUnitsStayLastWhateverTheSort()
{
    PageHarness harness;
    harness.table.setScanChanges(sampleChanges());
    harness.showDevices(sampleDevices());
    DeviceTable& table = harness.table;
    QCOMPARE(table.rowCount(), sampleDevices().size());
    QCOMPARE(table.missingRowCount(), 1);
    const int last = table.widget()->rowCount() - 1;
    QCOMPARE(last, table.rowCount());
    for (int column :
         {DeviceTable::columnGroup, DeviceTable::columnModuleId, DeviceTable::columnIp, DeviceTable::columnFirmware}) {
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            table.widget()->horizontalHeader()->setSortIndicator(column, order);
            QVERIFY(table.missingUnitOfRow(last));
            QCOMPARE(table.missingUnitOfRow(last)->device.code, QStringLiteral("2200"));
            QCOMPARE(table.deviceIndexOfRow(last), int(DeviceTable::noDevice));
            QVERIFY(!table.selectionBox(last));
            for (int row = 0; row < last; ++row)
                QVERIFY(!table.missingUnitOfRow(row));
        }
    }
    const QTableWidgetItem* group = table.widget()->item(last, DeviceTable::columnGroup);
    QVERIFY(DeviceTableItem::isMissing(*group));
    QCOMPARE(group->flags(), Qt::NoItemFlags);
    QVERIFY2(group->text().startsWith(QStringLiteral("Group 2200 (not seen since ")), qPrintable(group->text()));
}

void TestDeviceTable::missingUnitsFollowTheFiltersAndTheSwitch()
{
    PageHarness harness;
    DeviceTable& table = harness.table;
    QSignalSpy shown(&table, &DeviceTable::signalRowsShown);
    table.setScanChanges(sampleChanges());
    harness.showDevices(sampleDevices());
    const int missing = table.rowCount();
    table.showAllRows();
    QCOMPARE(shown.last(), (QVariantList{sampleDevices().size(), sampleDevices().size(), 1}));
    // The family filter: the missing unit is a beamline unit.
    table.toggleFilter();
    harness.ui.comboBoxDeviceFilter->setCurrentIndex(0);
    table.hideOtherFamilies();
    QVERIFY(table.widget()->isRowHidden(missing));
    harness.ui.comboBoxDeviceFilter->setCurrentIndex(1);
    table.hideOtherFamilies();
    QVERIFY(!table.widget()->isRowHidden(missing));
    QCOMPARE(shown.last().at(2).toInt(), 1);
    table.toggleFilter();
    // The search finds it by what it was.
    table.setRowFilter([](const Device_t& device) { return device.ip == QLatin1String("10.0.0.77"); });
    QVERIFY(!table.widget()->isRowHidden(missing));
    QCOMPARE(table.shownRowCount(), 0);
    QCOMPARE(table.shownMissingRowCount(), 1);
    table.setRowFilter({});
    table.setMissingShown(false);
    QVERIFY(table.widget()->isRowHidden(missing));
    QCOMPARE(shown.last(), (QVariantList{sampleDevices().size(), sampleDevices().size(), 0}));
    table.setMissingShown(true);
    QVERIFY(!table.widget()->isRowHidden(missing));
}

QTEST_MAIN(TestDeviceTable)
#include "tst_devicetable.moc"
