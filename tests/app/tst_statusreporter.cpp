// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/statusreporter.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QtTest>

// What the status bar says after a scan and after an action.
class TestStatusReporter : public QObject
{
    Q_OBJECT

private slots:
    void scanSummary_data();
    void scanSummary();
    void scopeCountsSelectedInterfaces();
    void messageAndSummaryShareTheBar();
};

void TestStatusReporter::scanSummary_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<int>("interfaces");
    QTest::addColumn<bool>("unicast");
    QTest::addColumn<QString>("text");
    QTest::newRow("several on several") << 9 << 2 << false << "9 devices found on 2 interfaces";
    QTest::newRow("one on one") << 1 << 1 << false << "1 device found on 1 interface";
    QTest::newRow("with unicast") << 3 << 1 << true
                                  << "3 devices found on 1 interface and in the unicast range 10.77.5.1 to 10.77.5.9";
    QTest::newRow("no interface selected") << 0 << 0 << false
                                           << "No devices found: no network interface is selected "
                                              "(Tools > Select network interfaces)";
    QTest::newRow("no interface, unicast on") << 0 << 0 << true
                                              << "No devices found: no network interface is selected "
                                                 "(Tools > Select network interfaces)";
    QTest::newRow("unicast off") << 0 << 2 << false
                                 << "No devices found on 2 interfaces; unicast scan is off (Tools > Settings)";
    QTest::newRow("nothing anywhere") << 0 << 1 << true
                                      << "No devices found on 1 interface or in the unicast range 10.77.5.1 to "
                                         "10.77.5.9";
}

void TestStatusReporter::scanSummary()
{
    QFETCH(int, devices);
    QFETCH(int, interfaces);
    QFETCH(bool, unicast);
    QFETCH(QString, text);
    StatusReporter::ScanScope scope;
    scope.selectedInterfaces = interfaces;
    scope.unicast = unicast;
    scope.unicastStart = QStringLiteral("10.77.5.1");
    scope.unicastEnd = QStringLiteral("10.77.5.9");
    QCOMPARE(StatusReporter::scanSummary(devices, scope), text);
}

void TestStatusReporter::scopeCountsSelectedInterfaces()
{
    const QList<interfaces_t> list = {{"kq0", "10.77.1.1", "255.255.255.0", true},
                                      {"kq1", "10.77.2.1", "255.255.255.0", false},
                                      {"kq2", "10.77.3.1", "255.255.255.0", true},
                                      {"docker0", "172.17.0.1", "255.255.0.0", true},
                                      {"kq3", "0.0.0.0", "0.0.0.0", true}};
    const StatusReporter::ScanScope scope = StatusReporter::scopeOf(list, true, "10.0.0.1", "10.0.0.2");
    QCOMPARE(scope.selectedInterfaces, 2);
    QVERIFY(scope.unicast);
    QCOMPARE(scope.unicastEnd, QStringLiteral("10.0.0.2"));
}

void TestStatusReporter::messageAndSummaryShareTheBar()
{
    QMainWindow window;
    StatusReporter reporter(window.statusBar());
    window.show();
    reporter.showMessage(QStringLiteral("Upgrading device 1 of 2"));
    reporter.scanStarted();
    QVERIFY(reporter.message().isEmpty());
    QCOMPARE(reporter.summary(), QStringLiteral("Scanning..."));
    StatusReporter::ScanScope scope;
    scope.selectedInterfaces = 1;
    reporter.scanFinished(2, scope);
    reporter.showMessage(QStringLiteral("New settings sent"));
    // Both stay visible: the summary is a permanent part of the bar.
    QCOMPARE(reporter.message(), QStringLiteral("New settings sent"));
    // A message cut by the summary can still be read whole.
    QCOMPARE(window.statusBar()->toolTip(), QStringLiteral("New settings sent"));
    auto* label = window.statusBar()->findChild<QLabel*>(QStringLiteral("labelScanSummary"));
    QVERIFY(label && label->isVisible());
    QCOMPARE(label->text(), QStringLiteral("2 devices found on 1 interface"));
}

QTEST_MAIN(TestStatusReporter)
#include "tst_statusreporter.moc"
