// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/configurationpage.h"
#include "common/pageharness.h"
#include "common/privatenetwork.h"
#include "common/sampledevices.h"
#include "discovery/networkinterfaces.h"
#include "model/wellknownports.h"
#include "netconf/newnetwsettings.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QPointer>
#include <QUdpSocket>
#include <QtEndian>
#include <QtTest>

#include <memory>

namespace {
const QString sampleFile = QStringLiteral(KESTRION_TEST_DATA "/network_configuration.csv");
constexpr int dhcpRow = ConfigurationPage::dhcpRow;
constexpr int macOffset = 12;
constexpr int macBytes = 6;
constexpr int addressOffset = 20;

// What a "Ostravi Set:" datagram asks for: MAC, address, mask, gateway.
QString decodeSet(const QByteArray& packet)
{
    auto address = [&packet](int offset) {
        return QHostAddress(qFromBigEndian<quint32>(packet.constData() + offset)).toString();
    };
    return QStringList{QString::fromLatin1(packet.mid(macOffset, macBytes).toHex(':').toUpper()),
                       address(addressOffset), address(addressOffset + 4), address(addressOffset + 8)}
        .join(QLatin1Char(' '));
}
} // namespace

// The configuration page on the window's form alone, in a network namespace of its own: sends go to
// devices on loopback, where the test listens in their place.
class TestConfigurationPage : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pageAttributes();
    void resetState();
    void rowsFollowTheDevice_data();
    void rowsFollowTheDevice();
    void dhcpToggleDiscardsEdits();
    void saveSendsWhatThePageShows_data();
    void saveSendsWhatThePageShows();
    void multiDeviceDialogListsTheDevices();
    void multiDeviceDialogWithoutDevices();
    void importSendsTheFileRows();

private:
    QStringList heardSets();
    void recordRequests();

    std::unique_ptr<PageHarness> m_harness;
    std::unique_ptr<NetworkInterfaces> m_interfaces;
    std::unique_ptr<ConfigurationPage> m_page;
    std::unique_ptr<QUdpSocket> m_listener;
    QStringList m_requests;
    QStringList m_heard;
};

void TestConfigurationPage::init()
{
    m_harness = std::make_unique<PageHarness>();
    m_interfaces = std::make_unique<NetworkInterfaces>();
    m_page = std::make_unique<ConfigurationPage>(m_harness->context(), *m_interfaces);
    m_page->prepare();
    m_page->resetNetwSetTable();
    m_listener = std::make_unique<QUdpSocket>();
    QVERIFY(m_listener->bind(QHostAddress::LocalHost, port::discovery));
    m_requests.clear();
    m_heard.clear();
    recordRequests();
}

void TestConfigurationPage::cleanup()
{
    m_page.reset();
    m_interfaces.reset();
    m_harness.reset();
    m_listener.reset();
}

void TestConfigurationPage::recordRequests()
{
    connect(m_page.get(), &ConfigurationPage::signalEnableUI, this,
            [this](bool enable) { m_requests << QStringLiteral("enableUI(%1)").arg(enable); });
    connect(m_page.get(), &ConfigurationPage::signalScanDevices, this, [this]() { m_requests << "scan"; });
}

// Every settings datagram heard so far, sorted.
QStringList TestConfigurationPage::heardSets()
{
    while (m_listener->hasPendingDatagrams()) {
        const QByteArray data = m_listener->receiveDatagram().data();
        if (data.startsWith("Ostravi Set:"))
            m_heard << decodeSet(data);
    }
    m_heard.sort();
    return m_heard;
}

void TestConfigurationPage::pageAttributes()
{
    QCOMPARE(m_harness->ui.stackedWidgetPageRight->widget(m_page->stackIndex()), m_harness->ui.pageConfigure);
    QCOMPARE(m_page->pageButton(), m_harness->ui.configBtn);
    QVERIFY(m_page->removesFilter());
    QVERIFY(!m_page->showsSelectionColumn());
    m_page->setControlsEnabled(false);
    QVERIFY(!m_harness->ui.tableDeviceConfig->isEnabled());
    QVERIFY(!m_harness->ui.saveConfBtn->isEnabled());
    m_page->enableSave();
    QVERIFY(m_harness->ui.saveConfBtn->isEnabled());
}

void TestConfigurationPage::resetState()
{
    QTableWidget* table = m_harness->ui.tableDeviceConfig;
    QCOMPARE(table->rowCount(), 4);
    const QStringList labels = {"New IP Address:", "New Subnet Mask:", "New Gateway:", "DHCP:"};
    const QStringList headers = {"New IP Address", "New Subnet Mask", "New Gateway", "New DHCP"};
    for (int row = 0; row < 4; ++row) {
        QCOMPARE(table->item(row, 0)->text(), labels.at(row));
        QCOMPARE(table->verticalHeaderItem(row)->text(), headers.at(row));
        QVERIFY(!(table->item(row, 0)->flags() & Qt::ItemIsEditable));
    }
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(table->item(row, 1)->text(), QStringLiteral("unknown"));
        QCOMPARE(table->item(row, 1)->foreground().color(), QColor("#808080"));
        QVERIFY(!(table->item(row, 1)->flags() & Qt::ItemIsEditable));
    }
    auto* box = qobject_cast<QCheckBox*>(table->cellWidget(dhcpRow, 1));
    QVERIFY(box);
    QVERIFY(!box->isEnabled());
    QVERIFY(!box->isChecked());
    QCOMPARE(box->text(), QStringLiteral("N.A."));
    // Without a current device the page keeps what it shows.
    m_page->showDeviceNetwSet();
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("unknown"));
}

void TestConfigurationPage::rowsFollowTheDevice_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("dhcp");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<bool>("boxEnabled");
    const QStringList all = {"127.0.0.1", "255.255.255.0", "10.0.0.1"};
    QTest::newRow("test tool: address only") << "6100"
                                             << "0" << QStringList{"127.0.0.1", "unknown", "unknown"} << false << false;
    QTest::newRow("beamline in recovery: locked") << "2180"
                                                  << "0" << all << true << false;
    QTest::newRow("vesk supply offers DHCP") << "1600"
                                             << "0" << all << false << true;
    QTest::newRow("supply on DHCP: locked") << "1100"
                                            << "1" << all << true << true;
}

void TestConfigurationPage::rowsFollowTheDevice()
{
    QFETCH(QString, code);
    QFETCH(QString, dhcp);
    QFETCH(QStringList, values);
    QFETCH(bool, locked);
    QFETCH(bool, boxEnabled);
    m_harness->showDevices({makeDevice(code, QStringLiteral("127.0.0.1"), dhcp)});
    m_harness->selectRowOf(0);
    m_page->showDeviceNetwSet();
    QTableWidget* table = m_harness->ui.tableDeviceConfig;
    for (int row = 0; row < 3; ++row)
        QCOMPARE(table->item(row, 1)->text(), values.at(row));
    QCOMPARE(!(table->item(0, 1)->flags() & Qt::ItemIsEditable), locked);
    QCOMPARE(table->item(0, 1)->foreground().color(), QColor(locked ? "#808080" : "#000000"));
    QCOMPARE(qobject_cast<QCheckBox*>(table->cellWidget(dhcpRow, 1))->isEnabled(), boxEnabled);
}

void TestConfigurationPage::dhcpToggleDiscardsEdits()
{
    m_harness->showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("127.0.0.1"), QStringLiteral("0"))});
    m_harness->selectRowOf(0);
    m_page->showDeviceNetwSet();
    QTableWidget* table = m_harness->ui.tableDeviceConfig;
    table->item(0, 1)->setText(QStringLiteral("127.0.0.99"));
    auto* box = qobject_cast<QCheckBox*>(table->cellWidget(dhcpRow, 1));
    box->setChecked(true);
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("127.0.0.1"));
    QVERIFY(!(table->item(0, 1)->flags() & Qt::ItemIsEditable));
    box->setChecked(false);
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("127.0.0.1"));
    QVERIFY(table->item(2, 1)->flags() & Qt::ItemIsEditable);
    // Only the table's own box counts.
    m_page->changeTableNetwSetState(nullptr);
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("127.0.0.1"));
}

void TestConfigurationPage::saveSendsWhatThePageShows_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("notice");
    const QString wait = QStringLiteral("Wait for the configuration to be applied");
    QTest::newRow("power supply") << "1100"
                                  << "02:00:00:00:11:00 127.0.0.5 255.255.0.0 127.0.0.254" << wait;
    // Whatever the rows hold, these two get the fixed mask and gateway.
    QTest::newRow("motor driver") << "4200"
                                  << "02:00:00:00:42:00 127.0.0.5 255.255.255.0 192.168.0.1" << wait;
    QTest::newRow("test tool") << "6100"
                               << "02:00:00:00:61:00 127.0.0.5 255.255.255.0 192.168.0.1"
                               << "IP changed! reboot device to apply.";
}

void TestConfigurationPage::saveSendsWhatThePageShows()
{
    QFETCH(QString, code);
    QFETCH(QString, sent);
    QFETCH(QString, notice);
    m_harness->showDevices({makeDevice(code, QStringLiteral("127.0.0.1"), QStringLiteral("0"))});
    m_harness->selectRowOf(0);
    m_page->showDeviceNetwSet();
    QTableWidget* table = m_harness->ui.tableDeviceConfig;
    table->setItem(0, 1, new QTableWidgetItem(QStringLiteral("127.0.0.5")));
    table->setItem(1, 1, new QTableWidgetItem(QStringLiteral("255.255.0.0")));
    table->setItem(2, 1, new QTableWidgetItem(QStringLiteral("127.0.0.254")));
    m_page->saveNewConfiguration();
    QTRY_COMPARE(heardSets(), QStringList{sent});
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.first().title, QStringLiteral("Save Network Configuration"));
    QCOMPARE(m_harness->prompts.boxes.first().text, notice);
    QCOMPARE(m_requests, (QStringList{"enableUI(0)", "enableUI(1)", "scan"}));
}

void TestConfigurationPage::multiDeviceDialogListsTheDevices()
{
    QList<Device_t> devices = {makeDevice(QStringLiteral("2100"), QStringLiteral("127.0.0.2")),
                               makeDevice(QStringLiteral("1100"), QStringLiteral("127.0.0.1"))};
    m_harness->showDevices(devices);
    m_page->showAdvancedNetwConf();
    QPointer<NewNetwSettings> dialog = m_harness->window.findChild<NewNetwSettings*>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QList<QList<QString>> rows;
    for (const Device_t& device : devices)
        rows.append({device.group, device.serialNumber, device.mac, device.ip, device.netmask, device.gateway});
    QCOMPARE(dialog->readNetworkTable(), rows);
    // Apply sends every row (what reaches the units is the simulator tests' business) and asks for a rescan.
    dialog->onApply();
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.last().title, QStringLiteral("Upload csv-file"));
    QCOMPARE(m_harness->prompts.boxes.last().text, QStringLiteral("upload completed!"));
    QCOMPARE(m_requests, QStringList{"scan"});
    QTRY_VERIFY(dialog.isNull());
    // Each use opens a new dialog; closing one deletes it.
    m_page->showAdvancedNetwConf();
    dialog = m_harness->window.findChild<NewNetwSettings*>();
    QVERIFY(dialog);
    dialog->onClose();
    QTRY_VERIFY(dialog.isNull());
    QCOMPARE(m_requests, QStringList{"scan"});
}

void TestConfigurationPage::multiDeviceDialogWithoutDevices()
{
    m_page->showAdvancedNetwConf();
    QPointer<NewNetwSettings> dialog = m_harness->window.findChild<NewNetwSettings*>();
    QVERIFY(dialog);
    dialog->onApply();
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.first().kind, QStringLiteral("critical"));
    QCOMPARE(m_harness->prompts.boxes.first().title, QStringLiteral("Upload csv-file"));
    QVERIFY(m_harness->prompts.boxes.first().text.startsWith(QStringLiteral("Error: incorrect file")));
    QCOMPARE(m_requests, QStringList{"scan"});
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(heardSets().isEmpty());
}

void TestConfigurationPage::importSendsTheFileRows()
{
    m_harness->prompts.fileName = sampleFile;
    m_page->importNetworkConfiguration();
    QCOMPARE(m_harness->prompts.openDialogs.size(), 1);
    QCOMPARE(m_harness->prompts.openDialogs.first().filter,
             QStringLiteral("Network configuration (*.csv);;All files (*.*)"));
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.last().text, QStringLiteral("upload completed!"));
    QCOMPARE(m_requests, QStringList{"scan"});
    // A cancelled file dialog does nothing.
    m_harness->prompts.fileName.clear();
    m_page->importNetworkConfiguration();
    QCOMPARE(m_requests, QStringList{"scan"});
}

int main(int argc, char** argv)
{
    if (!enterPrivateNetwork())
        return exitCodeWithoutNamespace();
    QApplication app(argc, argv);
    TestConfigurationPage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_configurationpage.moc"
