// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/informationpage.h"
#include "common/pageharness.h"
#include "common/sampledevices.h"
#include "ui_mainwindow.h"

#include <QtTest>

// The information page on the window's form alone: the rows of the selected device and the web button.
class TestInformationPage : public QObject
{
    Q_OBJECT

private slots:
    void pageAttributes();
    void noCurrentDeviceLeavesTableEmpty();
    void extraFieldsTakeTheirFirstKey();
    void webButtonFollowsTheDevice_data();
    void webButtonFollowsTheDevice();
    void browserThatFailsIsReported();
};

void TestInformationPage::pageAttributes()
{
    PageHarness harness;
    InformationPage page(harness.context());
    QCOMPARE(page.stackIndex(), 1);
    QCOMPARE(harness.ui.stackedWidgetPageRight->widget(page.stackIndex()), harness.ui.pageInfo);
    QCOMPARE(page.pageButton(), harness.ui.infoBtn);
    QVERIFY(page.removesFilter());
    QVERIFY(!page.showsSelectionColumn());
    page.prepare();
    QVERIFY(harness.ui.frameWeb->isHidden());
    QCOMPARE(harness.ui.tableInfo->columnWidth(0), 150);
}

void TestInformationPage::noCurrentDeviceLeavesTableEmpty()
{
    PageHarness harness;
    InformationPage page(harness.context());
    harness.showDevices(sampleDevices());
    harness.selectRowOf(0);
    page.writeAddInfo();
    QCOMPARE(harness.ui.tableInfo->rowCount(), 10 + 2);
    harness.ui.progressBar->setValue(40);
    harness.table.widget()->setCurrentItem(nullptr);
    page.writeAddInfo();
    QCOMPARE(harness.ui.tableInfo->rowCount(), 0);
    // Nothing shown, so the scan's progress stays as it is.
    QCOMPARE(harness.ui.progressBar->value(), 40);
    harness.selectRowOf(0);
    page.writeAddInfo();
    page.clear();
    QCOMPARE(harness.ui.tableInfo->rowCount(), 0);
}

void TestInformationPage::extraFieldsTakeTheirFirstKey()
{
    PageHarness harness;
    InformationPage page(harness.context());
    Device_t device = makeDevice(QStringLiteral("2100"), QStringLiteral("10.0.0.2"), QStringLiteral("0"));
    device.additionalInfo = {{{QStringLiteral("b-second"), QStringLiteral("2")}, {QStringLiteral("a-first"), "1"}},
                             {},
                             {{QStringLiteral("Uptime"), QStringLiteral("5 d")}}};
    harness.showDevices({device});
    harness.selectRowOf(0);
    page.writeAddInfo();
    QTableWidget* info = harness.ui.tableInfo;
    // An empty entry adds no row.
    QCOMPARE(info->rowCount(), 12);
    QCOMPARE(info->item(9, 1)->text(), QStringLiteral("OFF"));
    QCOMPARE(info->item(10, 0)->text(), QStringLiteral("a-first"));
    QCOMPARE(info->item(10, 1)->text(), QStringLiteral("1"));
    QCOMPARE(info->item(11, 0)->text(), QStringLiteral("Uptime"));
    // The label column is wide enough for its longest label.
    QVERIFY(info->columnWidth(0) >= info->fontMetrics().horizontalAdvance(QStringLiteral("Device Description:")));
}

void TestInformationPage::webButtonFollowsTheDevice_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("offered");
    QTest::newRow("power supply") << "1100" << true;
    QTest::newRow("brand-variant supply") << "1900" << true;
    QTest::newRow("motor driver") << "4200" << false;
    QTest::newRow("vesk supply") << "1600" << false;
    QTest::newRow("test tool") << "6100" << false;
}

void TestInformationPage::webButtonFollowsTheDevice()
{
    QFETCH(QString, code);
    QFETCH(bool, offered);
    PageHarness harness;
    InformationPage page(harness.context());
    harness.showDevices(
        {makeDevice(QStringLiteral("2100"), QStringLiteral("10.0.0.2")), makeDevice(code, QStringLiteral("10.0.0.9"))});
    harness.selectRowOf(1);
    page.showWebInterface();
    QCOMPARE(!harness.ui.frameWeb->isHidden(), offered);
    page.openWebInterface();
    QCOMPARE(harness.prompts.urls, offered ? QList<QUrl>{QUrl("http://10.0.0.9/")} : QList<QUrl>{});
    harness.selectRowOf(0);
    page.showWebInterface();
    QVERIFY(harness.ui.frameWeb->isHidden());
}

void TestInformationPage::browserThatFailsIsReported()
{
    PageHarness harness;
    InformationPage page(harness.context());
    harness.prompts.urlOpens = false;
    harness.showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.9"))});
    harness.selectRowOf(0);
    page.openWebInterface();
    QCOMPARE(harness.prompts.boxes.size(), 1);
    QCOMPARE(harness.prompts.boxes.first().kind, QStringLiteral("warning"));
    QCOMPARE(harness.prompts.boxes.first().title, QStringLiteral("Web Interface"));
    QCOMPARE(harness.prompts.boxes.first().text, QStringLiteral("Unable to open http://10.0.0.9/ in the browser."));
}

QTEST_MAIN(TestInformationPage)
#include "tst_informationpage.moc"
