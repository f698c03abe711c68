// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/statusreporter.h"
#include "common/fakeprompts.h"
#include "common/simlog.h"
#include "common/testhome.h"
#include "dialogs/newnetwsettings.h"
#include "discovery/client.h"
#include "netconf/configurationdiff.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr int fastScanMs = 250;
constexpr int settleMs = 150;
constexpr int ipRow = 0;
constexpr int maskRow = 1;
constexpr int gatewayRow = 2;
constexpr int dhcpRow = 3;

// The boxes the window showed, one "kind|title|text" line each.
QStringList shownBoxes(const FakePrompts& prompts)
{
    QStringList lines;
    for (const FakePrompts::Box& box : prompts.boxes)
        lines << QStringList{box.kind, box.title, box.text}.join(QLatin1Char('|'));
    return lines;
}

// Configuration datagrams (set packets and IP-SETUP) heard after `mark` that carry `macHex`.
int setsFor(const QString& macHex, int mark)
{
    int count = 0;
    for (const QJsonObject& line : SimLog::lines().mid(mark)) {
        const QByteArray bytes = SimLog::bytes(line);
        const QByteArray mac = QByteArray::fromHex(macHex.toLatin1());
        count += line.value("proto").toString() == QLatin1String("udp") &&
                 ((bytes.startsWith("Ostravi Set:") && bytes.mid(12, 6) == mac) ||
                  (bytes.mid(4, 8) == "IP-SETUP" && bytes.mid(14, 2) == mac.right(2)));
    }
    return count;
}

} // namespace

// The network configuration page, the multi-device dialog and the Tools
// export and import, driven through the real widgets of the main window
// against the simulated lab of tests/labs/netconf-page.json; every change is
// checked in the simulator's log and on the window's rescan.
class TestConfigurationPageSim : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void pageSavesOneDevice_data();
    void pageSavesOneDevice();
    void refusedValueSendsNothingAndSaysSo();
    void dialogAfterSortingMovesSeveral();
    void dialogSendsOnlyTheChangedRow();
    void dialogChangeTakesDhcpDeviceOffDhcp();
    void exportEditImport_data();
    void exportEditImport();

private:
    QTableWidget* deviceTable() const;
    QTableWidget* configTable() const;
    QCheckBox* dhcpBox() const;
    void scan();
    void selectDevice(const QString& mac);
    void editConfigCell(int row, const QString& text);
    NewNetwSettings* openDialog();
    void editDialogAddress(NewNetwSettings* dialog, const QString& mac, const QString& ip);
    Device_t shownDevice(const QString& mac) const;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_home;
};

void TestConfigurationPageSim::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    if (!SimLog::available())
        QSKIP("runs only inside the namespace harness");
}

void TestConfigurationPageSim::init()
{
    m_prompts = std::make_shared<FakePrompts>();
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts);
    m_window->client().scanTime = fastScanMs;
    m_window->show();
    m_window->showPage(MainWindow::pageDevices);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    scan();
}

void TestConfigurationPageSim::cleanup()
{
    m_window.reset();
}

QTableWidget* TestConfigurationPageSim::deviceTable() const
{
    return m_window->findChild<QTableWidget*>("tableWidgetDeviceFirstTable");
}

QTableWidget* TestConfigurationPageSim::configTable() const
{
    return m_window->findChild<QTableWidget*>("tableDeviceConfig");
}

QCheckBox* TestConfigurationPageSim::dhcpBox() const
{
    return qobject_cast<QCheckBox*>(configTable()->cellWidget(dhcpRow, 1));
}

void TestConfigurationPageSim::scan()
{
    QTest::mouseClick(m_window->findChild<QPushButton*>("scanBtn"), Qt::LeftButton);
    QVERIFY(m_window->devices().size() >= 8);
}

void TestConfigurationPageSim::selectDevice(const QString& mac)
{
    QTableWidget* table = deviceTable();
    for (int row = 0; row < table->rowCount(); ++row) {
        QTableWidgetItem* item = table->item(row, MainWindow::columnIp);
        const int index = item->data(Qt::UserRole).toInt();
        if (m_window->devices().at(index).mac != mac)
            continue;
        table->scrollToItem(item);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(item).center());
        QCOMPARE(table->currentRow(), row);
        return;
    }
    QFAIL(qPrintable("device not shown: " + mac));
}

void TestConfigurationPageSim::editConfigCell(int row, const QString& text)
{
    QTableWidget* table = configTable();
    QVERIFY(table->item(row, 1)->flags() & Qt::ItemIsEditable);
    // The table opens its editor as soon as a cell becomes current.
    table->setCurrentCell(row, 1);
    QLineEdit* editor = nullptr;
    QTRY_VERIFY((editor = table->viewport()->findChild<QLineEdit*>()) != nullptr && editor->isVisible());
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(table->item(row, 1)->text(), text);
}

Device_t TestConfigurationPageSim::shownDevice(const QString& mac) const
{
    for (const Device_t& device : m_window->devices()) {
        if (device.mac == mac)
            return device;
    }
    return {};
}

void TestConfigurationPageSim::pageSavesOneDevice_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("newIp");
    QTest::addColumn<QString>("newMask");
    QTest::addColumn<QString>("newGateway");
    QTest::addColumn<QString>("expected");
    QTest::newRow("beamline instrument") << "02:CC:00:00:00:01"
                                         << "10.77.1.121"
                                         << "255.255.0.0"
                                         << "10.77.0.1"
                                         << "10.77.1.121 255.255.0.0 10.77.0.1 ";
    QTest::newRow("power supply with DHCP on, turned off") << "02:CC:00:00:00:02"
                                                           << "10.77.1.122"
                                                           << "255.255.255.128"
                                                           << "10.77.1.2"
                                                           << "10.77.1.122 255.255.255.128 10.77.1.2 0";
    QTest::newRow("power supply in recovery mode, rows locked") << "02:CC:00:00:00:03"
                                                                << ""
                                                                << ""
                                                                << ""
                                                                << "10.77.1.23 255.255.255.0 10.77.1.1 0";
    QTest::newRow("motor driver, fixed mask and gateway") << "00:20:4A:00:00:04"
                                                          << "10.77.1.124"
                                                          << ""
                                                          << ""
                                                          << "10.77.1.124 255.255.255.0 192.168.0.1 NA";
}

void TestConfigurationPageSim::pageSavesOneDevice()
{
    QFETCH(QString, mac);
    QFETCH(QString, newIp);
    QFETCH(QString, newMask);
    QFETCH(QString, newGateway);
    QFETCH(QString, expected);
    const int start = SimLog::lines().size();
    QTest::mouseClick(m_window->findChild<QPushButton*>("configBtn"), Qt::LeftButton);
    selectDevice(mac);
    const Device_t before = shownDevice(mac);
    QCOMPARE(configTable()->item(ipRow, 1)->text(), before.ip);
    QCheckBox* box = dhcpBox();
    QVERIFY(box);

    if (before.code == QLatin1String("1100")) {
        // DHCP on shows the present addresses greyed and locked; unchecking frees them.
        QVERIFY(box->isEnabled());
        QVERIFY(box->isChecked());
        QVERIFY(!(configTable()->item(ipRow, 1)->flags() & Qt::ItemIsEditable));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(2, box->height() / 2));
        QVERIFY(!box->isChecked());
        QVERIFY(configTable()->item(ipRow, 1)->flags() & Qt::ItemIsEditable);
    } else {
        QVERIFY(!box->isEnabled());
        QCOMPARE(box->text(), QStringLiteral("N.A."));
    }
    if (before.code == QLatin1String("1F80")) {
        for (int row : {ipRow, maskRow, gatewayRow}) {
            QVERIFY(!(configTable()->item(row, 1)->flags() & Qt::ItemIsEditable));
            QCOMPARE(configTable()->item(row, 1)->foreground().color(), QColor("#808080"));
        }
    }
    if (before.code == QLatin1String("4200")) {
        QCOMPARE(configTable()->item(maskRow, 1)->text(), QStringLiteral("unknown"));
        QCOMPARE(configTable()->item(gatewayRow, 1)->text(), QStringLiteral("unknown"));
    }
    if (!newIp.isEmpty())
        editConfigCell(ipRow, newIp);
    if (!newMask.isEmpty())
        editConfigCell(maskRow, newMask);
    if (!newGateway.isEmpty())
        editConfigCell(gatewayRow, newGateway);

    QTest::mouseClick(m_window->findChild<QPushButton*>("saveConfBtn"), Qt::LeftButton);
    QCOMPARE(shownBoxes(*m_prompts).value(0),
             QStringLiteral("information|Save Network Configuration|Wait for the configuration to be applied"));
    // Unicast, then set packet and IP-SETUP on each of the two links.
    QCOMPARE(setsFor(QString(mac).remove(':'), start), 5);
    const Device_t after = shownDevice(mac);
    QCOMPARE(QStringList({after.ip, after.netmask, after.gateway, after.dhcp}).join(' '), expected);
    // The rescan keeps the changed device selected, and its page shows what it has now.
    const int current = m_window->deviceTable().currentDeviceIndex();
    QVERIFY(current >= 0);
    QCOMPARE(m_window->devices().at(current).mac, mac);
    QCOMPARE(configTable()->item(ipRow, 1)->text(), after.ip);
    QCOMPARE(m_window->statusReporter().message(),
             QStringLiteral("New settings sent to %1; it answers at %2.")
                 .arg(ConfigurationDiff::deviceLabel(after), newIp.isEmpty() ? before.ip : newIp));
    QVERIFY(m_window->findChild<QPushButton*>("saveConfBtn")->isEnabled());
}

void TestConfigurationPageSim::refusedValueSendsNothingAndSaysSo()
{
    const QString mac = QStringLiteral("02:CC:00:00:00:05");
    QTest::mouseClick(m_window->findChild<QPushButton*>("configBtn"), Qt::LeftButton);
    selectDevice(mac);
    editConfigCell(maskRow, QStringLiteral("255.255.255.255"));
    const int start = SimLog::lines().size();
    QTest::mouseClick(m_window->findChild<QPushButton*>("saveConfBtn"), Qt::LeftButton);
    QCOMPARE(m_prompts->boxes.size(), 1);
    const QString box = shownBoxes(*m_prompts).at(0);
    QCOMPARE(box, QStringLiteral("critical|Save Network Configuration|Nothing was sent: the subnet mask "
                                 "\"255.255.255.255\" is not valid"));
    QTest::qWait(settleMs);
    QCOMPARE(SimLog::udpStartingWith(SimLog::lines().mid(start), 30719, "Ostravi Set:").size(), 0);
    QCOMPARE(SimLog::udpHeard(SimLog::lines().mid(start), 30718).size(), 0);
    QVERIFY(m_window->findChild<QPushButton*>("saveConfBtn")->isEnabled());
}

void TestConfigurationPageSim::dialogAfterSortingMovesSeveral()
{
    m_window->findChild<QAction*>("actionAdvanced_network_config")->trigger();
    auto* dialog = m_window->findChild<NewNetwSettings*>();
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    auto* table = dialog->findChild<QTableWidget*>("tableNetwSet");
    QCOMPARE(table->rowCount(), m_window->devices().size());
    // Sort by IP address through the header, as the user does.
    QHeaderView* header = table->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(3) + header->sectionSize(3) / 2, header->height() / 2));
    QVERIFY(header->isSortIndicatorShown() || table->isSortingEnabled());
    for (const QList<QString>& row : dialog->readNetworkTable()) {
        const Device_t device = shownDevice(row.at(2));
        QCOMPARE(row, (QList<QString>{device.group, device.serialNumber, device.mac, device.ip, device.netmask,
                                      device.gateway}));
    }
    const QMap<QString, QString> moves{{"02:CC:00:00:00:11", "10.77.2.131"}, {"02:CC:00:00:00:12", "10.77.2.132"}};
    for (auto it = moves.cbegin(); it != moves.cend(); ++it) {
        // Look the row up afresh: the sorted table moves a row once its address changes.
        const QList<QTableWidgetItem*> found = table->findItems(it.key(), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QTableWidgetItem* item = table->item(found.at(0)->row(), 3);
        table->scrollToItem(item);
        table->setCurrentItem(item);
        table->setFocus();
        // The edit key, one of the table's edit triggers.
        QTest::keyClick(table, Qt::Key_F2);
        QPointer<QLineEdit> editor;
        QTRY_VERIFY((editor = table->viewport()->findChild<QLineEdit*>()) != nullptr && editor->isVisible());
        editor->selectAll();
        QTest::keyClicks(editor, it.value());
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(editor.isNull() || !editor->isVisible());
        QCOMPARE(table->item(table->findItems(it.key(), Qt::MatchExactly).at(0)->row(), 3)->text(), it.value());
    }
    m_prompts->answer = QMessageBox::Yes;
    const int start = SimLog::lines().size();
    QTest::mouseClick(dialog->findChild<QPushButton*>("applyBtn"), Qt::LeftButton);
    const QStringList boxes = shownBoxes(*m_prompts);
    QCOMPARE(boxes.size(), 2);
    QVERIFY2(
        boxes.at(0).startsWith("question|Device(s) Network Configuration|Send new network settings to 2 device(s)?"),
        qPrintable(boxes.at(0)));
    QCOMPARE(boxes.at(1), QStringLiteral("information|Device(s) Network Configuration|New settings sent to 2 devices; "
                                         "2 of them answer at their new address."));
    for (auto it = moves.cbegin(); it != moves.cend(); ++it) {
        QCOMPARE(shownDevice(it.key()).ip, it.value());
        // Unicast to its present address, then set packet and IP-SETUP on each of the two links.
        QCOMPARE(setsFor(QString(it.key()).remove(':'), start), 5);
    }
    QCOMPARE(shownDevice("02:CC:00:00:00:13").ip, QStringLiteral("10.77.2.33"));
    QCOMPARE(SimLog::settings(SimLog::lines().mid(start)).size(), 2);
    QCOMPARE(m_window->statusReporter().message(),
             QStringLiteral("New settings sent to 2 devices; 2 of them answer at their new address."));
}

NewNetwSettings* TestConfigurationPageSim::openDialog()
{
    m_window->findChild<QAction*>("actionAdvanced_network_config")->trigger();
    auto* dialog = m_window->findChild<NewNetwSettings*>();
    return dialog && QTest::qWaitForWindowExposed(dialog) ? dialog : nullptr;
}

void TestConfigurationPageSim::editDialogAddress(NewNetwSettings* dialog, const QString& mac, const QString& ip)
{
    auto* table = dialog->findChild<QTableWidget*>("tableNetwSet");
    const QList<QTableWidgetItem*> found = table->findItems(mac, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QTableWidgetItem* item = table->item(found.at(0)->row(), 3);
    table->scrollToItem(item);
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

void TestConfigurationPageSim::dialogSendsOnlyTheChangedRow()
{
    // Units no earlier test of this run changed: a beamline instrument and a supply on DHCP.
    const QString changed = QStringLiteral("02:CC:00:00:00:05");
    const QString onDhcp = QStringLiteral("02:CC:00:00:00:14");
    QCOMPARE(shownDevice(onDhcp).dhcp, QStringLiteral("1"));
    QPointer<NewNetwSettings> dialog = openDialog();
    QVERIFY(dialog);
    editDialogAddress(dialog, changed, QStringLiteral("10.77.1.125"));
    const int start = SimLog::lines().size();
    // Declined: nothing leaves, and the dialog stays open with the edit.
    QTest::mouseClick(dialog->findChild<QPushButton*>("applyBtn"), Qt::LeftButton);
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes.first().kind, QStringLiteral("question"));
    QCOMPARE(m_prompts->boxes.first().defaultButton, QMessageBox::No);
    const QString label = ConfigurationDiff::deviceLabel(shownDevice(changed));
    QCOMPARE(m_prompts->boxes.first().text.split('\n').mid(0, 3),
             (QStringList{"Send new network settings to 1 device(s)?", "",
                          label + QString::fromUtf8(": 10.77.1.25 \u2192 10.77.1.125")}));
    QTest::qWait(settleMs);
    QCOMPARE(SimLog::udpStartingWith(SimLog::lines().mid(start), 30719, "Ostravi Set:").size(), 0);
    QVERIFY(!dialog.isNull());
    QVERIFY(dialog->findChild<QPushButton*>("applyBtn")->isEnabled());
    // Confirmed: only the changed row is sent; the supply on DHCP hears nothing and stays on DHCP.
    m_prompts->answer = QMessageBox::Yes;
    QTest::mouseClick(dialog->findChild<QPushButton*>("applyBtn"), Qt::LeftButton);
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(setsFor(QString(changed).remove(':'), start), 5);
    QCOMPARE(SimLog::udpStartingWith(SimLog::lines().mid(start), 30719, "Ostravi Set:").size(), 3);
    QCOMPARE(setsFor(QString(onDhcp).remove(':'), start), 0);
    const SimLog::Lines sets = SimLog::settings(SimLog::lines().mid(start));
    QCOMPARE(sets.size(), 1);
    QCOMPARE(sets.first().value("unit").toString(), QStringLiteral("bl5"));
    QCOMPARE(shownDevice(changed).ip, QStringLiteral("10.77.1.125"));
    QCOMPARE(shownDevice(onDhcp).dhcp, QStringLiteral("1"));
    QCOMPARE(shownDevice(onDhcp).ip, QStringLiteral("10.77.2.34"));
}

void TestConfigurationPageSim::dialogChangeTakesDhcpDeviceOffDhcp()
{
    const QString onDhcp = QStringLiteral("02:CC:00:00:00:14");
    QCOMPARE(shownDevice(onDhcp).dhcp, QStringLiteral("1"));
    QPointer<NewNetwSettings> dialog = openDialog();
    QVERIFY(dialog);
    editDialogAddress(dialog, onDhcp, QStringLiteral("10.77.2.234"));
    m_prompts->answer = QMessageBox::Yes;
    const int start = SimLog::lines().size();
    QTest::mouseClick(dialog->findChild<QPushButton*>("applyBtn"), Qt::LeftButton);
    QVERIFY2(m_prompts->boxes.first().text.contains(": 10.77.2.34 \u2192 10.77.2.234; DHCP will be turned off"),
             qPrintable(m_prompts->boxes.first().text));
    QTRY_VERIFY(dialog.isNull());
    const SimLog::Lines sets = SimLog::settings(SimLog::lines().mid(start));
    QCOMPARE(sets.size(), 1);
    QCOMPARE(sets.first().value("dhcp").toString(), QStringLiteral("0"));
    QCOMPARE(shownDevice(onDhcp).ip, QStringLiteral("10.77.2.234"));
    QCOMPARE(shownDevice(onDhcp).dhcp, QStringLiteral("0"));
}

void TestConfigurationPageSim::exportEditImport_data()
{
    QTest::addColumn<bool>("windowsLineEnds");
    QTest::newRow("LF") << false;
    QTest::newRow("CR LF") << true;
}

void TestConfigurationPageSim::exportEditImport()
{
    QFETCH(bool, windowsLineEnds);
    const QString path = m_home.filePath(QStringLiteral("network_configuration.csv"));
    m_prompts->fileName = path;
    m_window->findChild<QAction*>("actionExport_network_configuration")->trigger();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray text = file.readAll();
    file.close();
    const Device_t target = shownDevice("02:CC:00:00:00:13");
    const QString moved = windowsLineEnds ? QStringLiteral("10.77.2.143") : QStringLiteral("10.77.2.153");
    QVERIFY(text.contains(QString("," + target.ip + ",").toLatin1()));
    text.replace(QString("," + target.ip + ",").toLatin1(), QString("," + moved + ",").toLatin1());
    // A unit the scan did not find is listed and left alone.
    text += "2100,Lumen,0099,02:CC:00:00:00:99,10.77.1.99,255.255.255.0,10.77.1.1\n";
    if (windowsLineEnds)
        text.replace("\n", "\r\n");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();

    m_prompts->boxes.clear();
    const int start = SimLog::lines().size();
    // Asked first: declining sends nothing.
    m_window->findChild<QAction*>("actionImport_network_configuration")->trigger();
    QCOMPARE(m_prompts->boxes.size(), 1);
    const QString question = m_prompts->boxes.first().text;
    QCOMPARE(question.split('\n').mid(0, 3), (QStringList{"Send new network settings to 1 device(s)?", "",
                                                          ConfigurationDiff::deviceLabel(target) + ": " + target.ip +
                                                              QString::fromUtf8(" \u2192 ") + moved}));
    QVERIFY2(question.contains("Not found by the last scan, so not sent (1 row(s)):\n  02:CC:00:00:00:99 (10.77.1.99)"),
             qPrintable(question));
    QTest::qWait(settleMs);
    QCOMPARE(SimLog::udpStartingWith(SimLog::lines().mid(start), 30719, "Ostravi Set:").size(), 0);
    m_prompts->boxes.clear();
    m_prompts->answer = QMessageBox::Yes;
    m_window->findChild<QAction*>("actionImport_network_configuration")->trigger();
    QCOMPARE(shownBoxes(*m_prompts).last(), "information|Import network configuration|New settings sent to " +
                                                ConfigurationDiff::deviceLabel(target) + "; it answers at " + moved +
                                                ".");
    QCOMPARE(shownDevice(target.mac).ip, moved);
    QCOMPARE(shownDevice(target.mac).gateway, target.gateway);
    // The rows equal to what the units have, and the unknown one, were not sent.
    QCOMPARE(SimLog::udpStartingWith(SimLog::lines().mid(start), 30719, "Ostravi Set:").size(), 3);
    QCOMPARE(setsFor(QString(target.mac).remove(':'), start), 5);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TestConfigurationPageSim test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_configurationpagesim.moc"
