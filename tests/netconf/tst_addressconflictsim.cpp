// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "common/fakeprompts.h"
#include "common/simlog.h"
#include "common/testhome.h"
#include "dialogs/newnetwsettings.h"
#include "discovery/client.h"
#include "netconf/addressconflicts.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
constexpr int fastScanMs = 250;
constexpr int settleMs = 300;
constexpr int ipRow = 0;
const QString bl1 = QStringLiteral("02:CD:00:00:00:01");
const QString bl2 = QStringLiteral("02:CD:00:00:00:02");
const QString ct1 = QStringLiteral("02:CD:00:00:00:03");
const QString toolAddress = QStringLiteral("10.78.1.1");

int configurationDatagramsSince(int mark)
{
    // The discovery queries share the ports: only the set packet and the module's IP-SETUP count.
    const QByteArray ipSetup = QByteArray::fromHex("000000fc49502d5345545550");
    return SimLog::udpStartingWith(SimLog::lines().mid(mark), 30719, "Ostravi Set:").size() +
           SimLog::udpStartingWith(SimLog::lines().mid(mark), 30718, ipSetup).size();
}
} // namespace

// Every way the window sends addresses asks before an address someone else answers at leaves,
// names that someone, and with the answer No (the default) sends nothing at all.
// Lab: tests/labs/netconf-conflicts.json; no test changes a unit.
class TestAddressConflictSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void saveOntoAnotherUnitAsks();
    void saveOntoThisComputerAsks();
    void dialogGivingOneAddressTwiceAsks();
    void importOntoAnotherUnitAsks();

private:
    Device_t shownDevice(const QString& mac) const;
    void selectDevice(const QString& mac);
    void editConfigCell(int row, const QString& text);
    void editDialogAddress(NewNetwSettings* dialog, const QString& mac, const QString& ip);
    // The single question asked, declined, with nothing heard by the lab.
    void verifyDeclinedQuestion(int mark, const QStringList& named);

    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_home;
};

void TestAddressConflictSim::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    if (!SimLog::available())
        QSKIP("runs only inside the namespace harness");
}

void TestAddressConflictSim::init()
{
    m_prompts = std::make_shared<FakePrompts>();
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts);
    m_window->client().scanTime = fastScanMs;
    m_window->show();
    m_window->showPage(MainWindow::pageDevices);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTest::mouseClick(m_window->findChild<QPushButton*>("scanBtn"), Qt::LeftButton);
    QCOMPARE(m_window->devices().size(), 3);
}

void TestAddressConflictSim::cleanup()
{
    m_window.reset();
}

Device_t TestAddressConflictSim::shownDevice(const QString& mac) const
{
    for (const Device_t& device : m_window->devices()) {
        if (device.mac == mac)
            return device;
    }
    return {};
}

void TestAddressConflictSim::selectDevice(const QString& mac)
{
    auto* table = m_window->findChild<QTableWidget*>("tableWidgetDeviceFirstTable");
    for (int row = 0; row < table->rowCount(); ++row) {
        QTableWidgetItem* item = table->item(row, MainWindow::columnIp);
        if (m_window->devices().at(item->data(Qt::UserRole).toInt()).mac != mac)
            continue;
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(item).center());
        QCOMPARE(table->currentRow(), row);
        return;
    }
    QFAIL(qPrintable("device not shown: " + mac));
}

void TestAddressConflictSim::editConfigCell(int row, const QString& text)
{
    auto* table = m_window->findChild<QTableWidget*>("tableDeviceConfig");
    // The table opens its editor as soon as a cell becomes current.
    table->setCurrentCell(row, 1);
    QLineEdit* editor = nullptr;
    QTRY_VERIFY((editor = table->viewport()->findChild<QLineEdit*>()) != nullptr && editor->isVisible());
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(table->item(row, 1)->text(), text);
}

void TestAddressConflictSim::editDialogAddress(NewNetwSettings* dialog, const QString& mac, const QString& ip)
{
    auto* table = dialog->findChild<QTableWidget*>("tableNetwSet");
    const QList<QTableWidgetItem*> found = table->findItems(mac, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QTableWidgetItem* item = table->item(found.at(0)->row(), 3);
    table->setCurrentItem(item);
    table->setFocus();
    QTest::keyClick(table, Qt::Key_F2);
    QPointer<QLineEdit> editor;
    QTRY_VERIFY((editor = table->viewport()->findChild<QLineEdit*>()) != nullptr && editor->isVisible());
    editor->selectAll();
    QTest::keyClicks(editor, ip);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(table->item(table->findItems(mac, Qt::MatchExactly).at(0)->row(), 3)->text(), ip);
}

void TestAddressConflictSim::verifyDeclinedQuestion(int mark, const QStringList& named)
{
    QCOMPARE(m_prompts->boxes.size(), 1);
    const FakePrompts::Box box = m_prompts->boxes.first();
    QCOMPARE(box.kind, QStringLiteral("question"));
    QCOMPARE(box.defaultButton, QMessageBox::No);
    for (const QString& text : named)
        QVERIFY2(box.text.contains(text), qPrintable(box.text + "\nlacks: " + text));
    QTest::qWait(settleMs);
    QCOMPARE(configurationDatagramsSince(mark), 0);
}

void TestAddressConflictSim::saveOntoAnotherUnitAsks()
{
    QTest::mouseClick(m_window->findChild<QPushButton*>("configBtn"), Qt::LeftButton);
    selectDevice(bl1);
    editConfigCell(ipRow, QStringLiteral("10.78.1.22"));
    const int mark = SimLog::lines().size();
    QTest::mouseClick(m_window->findChild<QPushButton*>("saveConfBtn"), Qt::LeftButton);
    verifyDeclinedQuestion(mark, {AddressConflicts::unitLabel(shownDevice(bl2)) + " at 10.78.1.22"});
    QVERIFY(m_window->findChild<QPushButton*>("saveConfBtn")->isEnabled());
}

void TestAddressConflictSim::saveOntoThisComputerAsks()
{
    QTest::mouseClick(m_window->findChild<QPushButton*>("configBtn"), Qt::LeftButton);
    selectDevice(ct1);
    editConfigCell(ipRow, toolAddress);
    const int mark = SimLog::lines().size();
    QTest::mouseClick(m_window->findChild<QPushButton*>("saveConfBtn"), Qt::LeftButton);
    verifyDeclinedQuestion(mark, {toolAddress + " is already used by this computer (kz0)"});
}

void TestAddressConflictSim::dialogGivingOneAddressTwiceAsks()
{
    m_window->findChild<QAction*>("actionAdvanced_network_config")->trigger();
    QPointer<NewNetwSettings> dialog = m_window->findChild<NewNetwSettings*>();
    QVERIFY(dialog && QTest::qWaitForWindowExposed(dialog));
    editDialogAddress(dialog, bl1, QStringLiteral("10.78.1.50"));
    editDialogAddress(dialog, ct1, QStringLiteral("10.78.1.50"));
    const int mark = SimLog::lines().size();
    QTest::mouseClick(dialog->findChild<QPushButton*>("applyBtn"), Qt::LeftButton);
    verifyDeclinedQuestion(mark, {"[CONFLICT]", AddressConflicts::unitLabel(shownDevice(bl1)),
                                  AddressConflicts::unitLabel(shownDevice(ct1))});
    // Declined: the dialog stays open for another try.
    QVERIFY(!dialog.isNull());
    QVERIFY(dialog->findChild<QPushButton*>("applyBtn")->isEnabled());
}

void TestAddressConflictSim::importOntoAnotherUnitAsks()
{
    QTemporaryDir files;
    QVERIFY(files.isValid());
    QFile file(files.filePath("conflict.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Ostravi]\n[Kestrion - Network Configurations]\n\n** You can edit this file to change the network "
               "configurations of the devices in the list **\n\nKey,Family,Serial Number,MAC Address,IP Address,"
               "Subnet Mask,Gateway\n3100,Corvix,0003,02:CD:00:00:00:03,10.78.1.21,255.255.255.0,10.78.1.1\n");
    file.close();
    m_prompts->fileName = file.fileName();
    const int mark = SimLog::lines().size();
    m_window->findChild<QAction*>("actionImport_network_configuration")->trigger();
    verifyDeclinedQuestion(mark, {"[CONFLICT]", AddressConflicts::unitLabel(shownDevice(bl1)) + " at 10.78.1.21"});
}

QTEST_MAIN(TestAddressConflictSim)
#include "tst_addressconflictsim.moc"
