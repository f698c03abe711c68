// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "common/fakeprompts.h"
#include "common/testhome.h"
#include "dialogs/networkinterfaces.h"
#include "discovery/client.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

// Scans from the real controls against the simulated lab of tests/labs/app-scan.json.
class TestMainWindowScan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void scanButtonFillsTable();
    void scanActionAndUnselectedInterfaces();

private:
    QStringList shownAddresses() const;
    QTableWidget* table() const { return m_window->findChild<QTableWidget*>("tableWidgetDeviceFirstTable"); }

    QTemporaryDir m_home;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindowScan::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    // This test talks to the simulator only; refuse to run outside the harness.
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS"))
        QSKIP("runs only inside the namespace harness");
}

void TestMainWindowScan::init()
{
    m_prompts = std::make_shared<FakePrompts>();
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts);
    m_window->show();
}

void TestMainWindowScan::cleanup()
{
    m_window.reset();
}

QStringList TestMainWindowScan::shownAddresses() const
{
    QStringList addresses;
    for (int row = 0; row < table()->rowCount(); ++row)
        addresses << table()->item(row, MainWindow::columnIp)->text();
    return addresses;
}

void TestMainWindowScan::scanButtonFillsTable()
{
    auto* scan = m_window->findChild<QPushButton*>("scanBtn");
    auto* bar = m_window->findChild<QProgressBar*>("progressBar");
    QSignalSpy progress(&m_window->client(), &Client::signalUpdateProgressBar);
    // The event loop keeps running while the scan listens: timers fire and the controls stay disabled.
    int ticks = 0;
    bool disabledDuringScan = true;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&]() {
        ++ticks;
        disabledDuringScan = disabledDuringScan && !scan->isEnabled();
    });
    ticker.start(10);
    QTest::mouseClick(scan, Qt::LeftButton);
    ticker.stop();
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    QVERIFY(disabledDuringScan);
    QCOMPARE(progress.count(), 82);
    QCOMPARE(bar->value(), 100);
    QVERIFY(scan->isEnabled());
    QVERIFY(m_window->findChild<QAction*>("actionNew_Scan")->isEnabled());

    QTableWidget* devices = table();
    QCOMPARE(devices->rowCount(), 4);
    QCOMPARE(m_window->devices().size(), 4);
    QCOMPARE(m_window->selectedForUpgrade(), (QList<bool>{false, false, false, false}));
    QStringList expected = {"10.77.1.10", "10.77.1.2", "10.77.1.30", "10.77.1.5"};
    QStringList shown = shownAddresses();
    shown.sort();
    expected.sort();
    QCOMPARE(shown, expected);
    for (int row = 0; row < devices->rowCount(); ++row) {
        const int index = devices->item(row, MainWindow::columnGroup)->data(Qt::UserRole).toInt();
        const Device_t& device = m_window->devices().at(index);
        QCOMPARE(devices->item(row, MainWindow::columnIp)->text(), device.ip);
        QCOMPARE(devices->item(row, MainWindow::columnModuleId)->text(), device.moduleId);
        const bool pictureExists = QFile::exists(m_window->getDeviceIcon(device.code, device.brand));
        QCOMPARE(devices->item(row, MainWindow::columnIcon)->data(Qt::DecorationRole).isValid(), pictureExists);
    }

    // The header sorts addresses by number, and each row keeps its own device.
    devices->horizontalHeader()->setSortIndicator(MainWindow::columnIp, Qt::AscendingOrder);
    QCOMPARE(shownAddresses(), (QStringList{"10.77.1.2", "10.77.1.5", "10.77.1.10", "10.77.1.30"}));
    for (int row = 0; row < devices->rowCount(); ++row) {
        auto* box = qobject_cast<QCheckBox*>(devices->cellWidget(row, MainWindow::columnSelection));
        QCOMPARE(m_window->devices().at(box->property("deviceIndex").toInt()).ip, shownAddresses().at(row));
    }
    devices->setCurrentCell(2, MainWindow::columnGroup);
    auto* info = m_window->findChild<QTableWidget*>("tableInfo");
    QCOMPARE(info->item(6, 1)->text(), QStringLiteral("10.77.1.10"));
    QCOMPARE(info->item(9, 1)->text(), QStringLiteral("ON"));
    QCOMPARE(info->rowCount(), 11);
    QCOMPARE(info->item(10, 0)->text(), QStringLiteral("Temperature"));
    QVERIFY(m_prompts->boxes.isEmpty());
}

void TestMainWindowScan::scanActionAndUnselectedInterfaces()
{
    m_window->findChild<QAction*>("actionNew_Scan")->trigger();
    QCOMPARE(table()->rowCount(), 4);
    // An interface the user left out stays out of the next scan, which then finds nothing.
    QList<interfaces_t> none = m_window->networkInterfaces().interfaces();
    for (interfaces_t& entry : none)
        entry.selected = false;
    m_window->onSaveNetworkList(none);
    m_window->findChild<QAction*>("actionNew_Scan")->trigger();
    QCOMPARE(m_window->deviceTable().rowCount(), 0);
    // What the scan before found stays listed, greyed, as not answering now.
    QCOMPARE(m_window->deviceTable().missingRowCount(), 4);
    QCOMPARE(table()->rowCount(), 4);
    QVERIFY(m_window->selectedForUpgrade().isEmpty());
    QVERIFY(m_window->findChild<QPushButton*>("scanBtn")->isEnabled());
}

QTEST_MAIN(TestMainWindowScan)
#include "tst_mainwindowscan.moc"
