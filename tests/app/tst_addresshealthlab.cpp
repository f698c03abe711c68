// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/statusreporter.h"
#include "common/fakeprompts.h"
#include "common/simlog.h"
#include "common/testhome.h"
#include "discovery/client.h"
#include "netconf/configurationdiff.h"

#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
constexpr int fastScanMs = 250;
constexpr int settleMs = 150;
const QString fine = QStringLiteral("02:DD:00:00:00:02");
const QString far = QStringLiteral("02:DD:00:00:00:50");
const QString twinA = QStringLiteral("02:DD:00:00:00:21");
const QString twinB = QStringLiteral("02:DD:00:00:00:22");
const QString outside = QStringLiteral(
    "10.77.9.50 lies outside the subnets of the selected interfaces (kh0 10.77.3.0/24): it is reached by "
    "broadcast only.");
} // namespace

// A unit on a wrong subnet and two units with one address, against the simulated lab of
// tests/labs/app-address-health.json: found, marked in the table and on the pages, and the one out of
// reach moved into the tool's subnet in one confirmed step.
class TestAddressHealthLab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void marksInTheTable();
    void informationPageSaysWhatIsWrong();
    void configurationPageOffersTheMove();
    void oneConfirmedStepMovesTheUnitIntoReach();

private:
    void scan();
    int rowOf(const QString& mac) const;
    void select(const QString& mac);
    QTableWidgetItem* ipItem(const QString& mac) const;
    template <typename T> T* widget(const char* name) const { return m_window->findChild<T*>(name); }

    QTemporaryDir m_home;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<MainWindow> m_window;
};

void TestAddressHealthLab::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    if (!SimLog::available())
        QSKIP("runs only inside the namespace harness");
    m_prompts = std::make_shared<FakePrompts>();
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts);
    m_window->client().scanTime = fastScanMs;
    m_window->show();
    m_window->showPage(MainWindow::pageDevices);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    scan();
}

void TestAddressHealthLab::scan()
{
    QTest::mouseClick(widget<QPushButton>("scanBtn"), Qt::LeftButton);
    QCOMPARE(m_window->devices().size(), 4);
}

int TestAddressHealthLab::rowOf(const QString& mac) const
{
    for (int index = 0; index < m_window->devices().size(); ++index) {
        if (m_window->devices().at(index).mac == mac)
            return m_window->deviceTable().rowOfDevice(index);
    }
    return -1;
}

void TestAddressHealthLab::select(const QString& mac)
{
    QTableWidget* table = m_window->deviceTable().widget();
    const int row = rowOf(mac);
    QVERIFY(row >= 0);
    QTableWidgetItem* item = table->item(row, MainWindow::columnGroup);
    table->scrollToItem(item);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(item).center());
    QCOMPARE(table->currentRow(), row);
}

QTableWidgetItem* TestAddressHealthLab::ipItem(const QString& mac) const
{
    return m_window->deviceTable().widget()->item(rowOf(mac), MainWindow::columnIp);
}

void TestAddressHealthLab::marksInTheTable()
{
    QCOMPARE(ipItem(far)->text(), QStringLiteral("10.77.9.50"));
    QCOMPARE(ipItem(far)->toolTip(), outside);
    QVERIFY(ipItem(far)->data(Qt::DecorationRole).isValid());
    QCOMPARE(ipItem(twinA)->toolTip(),
             QStringLiteral("10.77.3.20 is also the address of %1: neither can be reached at it for sure.").arg(twinB));
    QCOMPARE(ipItem(twinB)->toolTip(),
             QStringLiteral("10.77.3.20 is also the address of %1: neither can be reached at it for sure.").arg(twinA));
    QVERIFY(ipItem(twinA)->data(Qt::DecorationRole).isValid());
    QVERIFY(ipItem(twinB)->data(Qt::DecorationRole).isValid());
    QVERIFY(ipItem(fine)->toolTip().isEmpty());
    QVERIFY(!ipItem(fine)->data(Qt::DecorationRole).isValid());
    // The marked address still shows whole beside its mark.
    QTableWidget* table = m_window->deviceTable().widget();
    const QRect cell = table->visualItemRect(ipItem(far));
    QVERIFY(table->fontMetrics().horizontalAdvance(ipItem(far)->text()) + 16 < cell.width());
}

void TestAddressHealthLab::informationPageSaysWhatIsWrong()
{
    QTest::mouseClick(widget<QPushButton>("infoBtn"), Qt::LeftButton);
    auto* info = widget<QTableWidget>("tableInfo");
    select(far);
    const int last = info->rowCount() - 1;
    QCOMPARE(info->item(last, 0)->text(), QStringLiteral("Address check:"));
    QCOMPARE(info->item(last, 1)->text(), QStringLiteral("Outside the selected subnets"));
    QCOMPARE(info->item(last, 1)->toolTip(), outside);
    select(twinA);
    QCOMPARE(info->item(info->rowCount() - 1, 1)->text(), "Address shared with " + twinB);
    select(fine);
    QCOMPARE(info->rowCount(), 10);
}

void TestAddressHealthLab::configurationPageOffersTheMove()
{
    QTest::mouseClick(widget<QPushButton>("configBtn"), Qt::LeftButton);
    auto* frame = widget<QFrame>("frameAddressHealth");
    auto* move = widget<QPushButton>("moveSubnetBtn");
    select(fine);
    QVERIFY(frame->isHidden());
    // Two units with one address are marked, but there is no subnet to move them into.
    select(twinB);
    QVERIFY(!frame->isHidden());
    QVERIFY(move->isHidden());
    select(far);
    QVERIFY(!frame->isHidden());
    QCOMPARE(widget<QLabel>("labelAddressHealth")->text(), outside);
    QVERIFY(!move->isHidden());
    QCOMPARE(move->text(), QStringLiteral("Move into kh0 subnet"));
    // Declined: the proposal is in the table for the user to see or edit, and nothing is sent.
    const int start = SimLog::lines().size();
    m_prompts->answer = QMessageBox::No;
    QTest::mouseClick(move, Qt::LeftButton);
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes.first().title, QStringLiteral("Move into kh0 subnet"));
    QCOMPARE(m_prompts->boxes.first().defaultButton, QMessageBox::No);
    const Device_t device = m_window->devices().at(m_window->deviceTable().currentDeviceIndex());
    QCOMPARE(m_prompts->boxes.first().text,
             QString::fromUtf8("Move %1 into the subnet of kh0?\n\n10.77.9.50 \u2192 10.77.3.3, gateway 10.77.9.1 "
                               "\u2192 10.77.3.254")
                 .arg(ConfigurationDiff::deviceLabel(device)));
    auto* config = widget<QTableWidget>("tableDeviceConfig");
    QCOMPARE(config->item(0, 1)->text(), QStringLiteral("10.77.3.3"));
    QCOMPARE(config->item(1, 1)->text(), QStringLiteral("255.255.255.0"));
    QCOMPARE(config->item(2, 1)->text(), QStringLiteral("10.77.3.254"));
    QTest::qWait(settleMs);
    QCOMPARE(SimLog::udpStartingWith(SimLog::lines().mid(start), 30719, "Ostravi Set:").size(), 0);
    QVERIFY(SimLog::settings(SimLog::lines().mid(start)).isEmpty());
}

void TestAddressHealthLab::oneConfirmedStepMovesTheUnitIntoReach()
{
    QTest::mouseClick(widget<QPushButton>("configBtn"), Qt::LeftButton);
    select(far);
    m_prompts->boxes.clear();
    m_prompts->answer = QMessageBox::Yes;
    const int start = SimLog::lines().size();
    QTest::mouseClick(widget<QPushButton>("moveSubnetBtn"), Qt::LeftButton);
    QCOMPARE(m_prompts->boxes.size(), 2);
    QCOMPARE(m_prompts->boxes.at(1).text, QStringLiteral("Wait for the configuration to be applied"));
    const SimLog::Lines sets = SimLog::settings(SimLog::lines().mid(start));
    QCOMPARE(sets.size(), 1);
    QCOMPARE(sets.first().value("unit").toString(), QStringLiteral("far"));
    QCOMPARE(sets.first().value("ip").toString(), QStringLiteral("10.77.3.3"));
    QCOMPARE(sets.first().value("gateway").toString(), QStringLiteral("10.77.3.254"));
    // The rescan found it at its new address, in reach and no longer marked, and it stays selected.
    QCOMPARE(m_window->devices().size(), 4);
    QCOMPARE(ipItem(far)->text(), QStringLiteral("10.77.3.3"));
    // What the tool tip still says is the move itself, as a change since the scan before.
    const QString tip = ipItem(far)->toolTip();
    QVERIFY2(tip.startsWith(QStringLiteral("Changed since the last scan")) &&
                 tip.contains(QString::fromUtf8("IP Address: 10.77.9.50 \u2192 10.77.3.3")),
             qPrintable(tip));
    QVERIFY(!ipItem(far)->data(Qt::DecorationRole).isValid());
    QCOMPARE(m_window->devices().at(m_window->deviceTable().currentDeviceIndex()).mac, far);
    QVERIFY(widget<QFrame>("frameAddressHealth")->isHidden());
    QCOMPARE(widget<QTableWidget>("tableDeviceConfig")->item(0, 1)->text(), QStringLiteral("10.77.3.3"));
    QVERIFY(m_window->statusReporter().message().endsWith(QStringLiteral("; it answers at 10.77.3.3.")));
    // The twins are still marked: moving one unit touched no other.
    QVERIFY(!ipItem(twinA)->toolTip().isEmpty());
}

QTEST_MAIN(TestAddressHealthLab)
#include "tst_addresshealthlab.moc"
