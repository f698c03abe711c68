// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/configurationpage.h"
#include "common/pageharness.h"
#include "common/privatenetwork.h"
#include "common/sampledevices.h"
#include "dialogs/networkinterfaces.h"
#include "dialogs/newnetwsettings.h"
#include "journal/datalocation.h"
#include "journal/journalreader.h"
#include "journal/journalvalues.h"
#include "model/unitlock.h"
#include "model/wellknownports.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QHostAddress>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtEndian>
#include <QtTest>

#include <csignal>
#include <memory>

#include <sys/wait.h>
#include <unistd.h>

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

// A journalled network change as the sets above are written: "MAC ip mask gateway", old or new.
QString asSet(const JournalRecord& record, const QJsonObject& values)
{
    const auto value = [&values](const char* key) { return values.value(QLatin1String(key)).toString(); };
    return QStringList{record.unit.mac, value(JournalValues::ipKey), value(JournalValues::maskKey),
                       value(JournalValues::gatewayKey)}
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
    void typedAddressShowsInvalidWhileTyping_data();
    void typedAddressShowsInvalidWhileTyping();
    void multiDeviceDialogListsTheDevices();
    void multiDeviceDialogWithoutDevices();
    void importSendsOnlyDifferingRowsOnceAsked();
    void dhcpLeftOnIsNotConfirmed();
    void sharedMacIsAskedAbout();
    void unitClaimedByAnotherProcessIsNotSent();

private:
    QLineEdit* openEditor(int row);
    QStringList heardSets();
    // The changes the page journalled, each "old -> new" as the sets are written, oldest first.
    QStringList journalledSets() const;
    void recordRequests();

    std::unique_ptr<QTemporaryDir> m_data;

    std::unique_ptr<PageHarness> m_harness;
    std::unique_ptr<NetworkInterfaces> m_interfaces;
    std::unique_ptr<ConfigurationPage> m_page;
    std::unique_ptr<QUdpSocket> m_listener;
    QStringList m_requests;
    QStringList m_heard;
};

void TestConfigurationPage::init()
{
    m_data = std::make_unique<QTemporaryDir>();
    QVERIFY(m_data->isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data->path()));
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
    m_data.reset();
}

QStringList TestConfigurationPage::journalledSets() const
{
    const JournalReader::Result journal = JournalReader(DataLocation::directory()).read();
    QStringList sets;
    for (const JournalRecord& record : journal.records) {
        const bool complete = record.kind == JournalRecord::Kind::NetworkSettings &&
                              record.outcome != JournalRecord::Outcome::Unfinished && journal.warnings.isEmpty();
        sets << (complete ? asSet(record, record.before) + QStringLiteral(" -> ") + asSet(record, record.after)
                          : QStringLiteral("incomplete record"));
    }
    return sets;
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
    // Save is usable only while there is a device to save.
    m_page->setControlsEnabled(true);
    QVERIFY(!m_harness->ui.saveConfBtn->isEnabled());
    m_page->enableSave();
    QVERIFY(!m_harness->ui.saveConfBtn->isEnabled());
    m_harness->showDevices({makeDevice(QStringLiteral("2100"), QStringLiteral("127.0.0.2"))});
    m_harness->selectRowOf(0);
    m_page->enableSave();
    QVERIFY(m_harness->ui.saveConfBtn->isEnabled());
    m_harness->table.widget()->setCurrentItem(nullptr);
    m_page->enableSave();
    m_page->showDeviceNetwSet();
    QVERIFY(!m_harness->ui.saveConfBtn->isEnabled());
    // Without a device the page shows no device's values.
    QCOMPARE(m_harness->ui.tableDeviceConfig->item(0, 1)->text(), QStringLiteral("unknown"));
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
    // Recorded before it was sent, and completed: the unit, its old settings and what was sent.
    const QString mac = sent.section(QLatin1Char(' '), 0, 0);
    QCOMPARE(journalledSets(), QStringList{mac + QStringLiteral(" 127.0.0.1 255.255.255.0 10.0.0.1 -> ") + sent});
}

// The harness's rescan leaves the table as it was: the supply still shows DHCP on.
void TestConfigurationPage::dhcpLeftOnIsNotConfirmed()
{
    m_harness->showDevices({makeDevice(QStringLiteral("1100"), QStringLiteral("127.0.0.1"), QStringLiteral("1"))});
    m_harness->selectRowOf(0);
    m_page->showDeviceNetwSet();
    qobject_cast<QCheckBox*>(m_harness->ui.tableDeviceConfig->cellWidget(dhcpRow, 1))->setChecked(false);
    QString status;
    connect(m_page.get(), &ConfigurationPage::signalStatus, this, [&status](const QString& text) { status = text; });
    m_page->saveNewConfiguration();
    QTRY_COMPARE(heardSets().size(), 1);
    QVERIFY2(status.endsWith(QStringLiteral("; not confirmed: DHCP on, sent off.")), qPrintable(status));
    const JournalReader::Result journal = JournalReader(DataLocation::directory()).read();
    QCOMPARE(journal.records.size(), 1);
    QCOMPARE(journal.records.first().outcome, JournalRecord::Outcome::NotConfirmed);
    QCOMPARE(journal.records.first().message, QStringLiteral("the rescan shows DHCP on, sent off"));
}

// Sent by MAC, a change reaches every unit that answers with it: the page asks first, No by default.
void TestConfigurationPage::sharedMacIsAskedAbout()
{
    Device_t device = makeDevice(QStringLiteral("2100"), QStringLiteral("127.0.0.1"));
    device.sharedMacAddresses = QStringList{QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.9")};
    m_harness->showDevices({device});
    m_harness->selectRowOf(0);
    m_page->showDeviceNetwSet();
    m_harness->ui.tableDeviceConfig->setItem(0, 1, new QTableWidgetItem(QStringLiteral("127.0.0.5")));
    m_page->saveNewConfiguration();
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.first().kind, QStringLiteral("question"));
    QCOMPARE(m_harness->prompts.boxes.first().defaultButton, QMessageBox::No);
    QVERIFY2(m_harness->prompts.boxes.first().text.startsWith(
                 QStringLiteral("2 units answer with this MAC: 127.0.0.1, 127.0.0.9.")),
             qPrintable(m_harness->prompts.boxes.first().text));
    QTest::qWait(50);
    QVERIFY(heardSets().isEmpty());
}

// Another process (a child of the test) upgrades the unit: the page sends nothing and names it.
void TestConfigurationPage::unitClaimedByAnotherProcessIsNotSent()
{
    const Device_t device = makeDevice(QStringLiteral("1100"), QStringLiteral("127.0.0.1"), QStringLiteral("0"));
    int ready[2];
    QVERIFY(::pipe(ready) == 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        const UnitLock claim(device.mac, UnitLock::Purpose::Upgrade);
        const char state = claim.isHeld() ? 'y' : 'n';
        if (::write(ready[1], &state, 1) == 1)
            ::pause();
        ::_exit(0);
    }
    char state = 0;
    const bool held = ::read(ready[0], &state, 1) == 1 && state == 'y';
    m_harness->showDevices({device});
    m_harness->selectRowOf(0);
    m_page->showDeviceNetwSet();
    m_harness->ui.tableDeviceConfig->setItem(0, 1, new QTableWidgetItem(QStringLiteral("127.0.0.5")));
    m_page->saveNewConfiguration();
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    QVERIFY(held);
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    const QString text = m_harness->prompts.boxes.first().text;
    QVERIFY2(text.startsWith(QStringLiteral("Nothing was sent: ") + device.mac.toUpper() +
                             QStringLiteral(" is being upgraded by tst_configurationpage, process ") +
                             QString::number(holder) + QStringLiteral(", since ")),
             qPrintable(text));
    QTest::qWait(200);
    QVERIFY(heardSets().isEmpty());
}

QLineEdit* TestConfigurationPage::openEditor(int row)
{
    QTableWidget* table = m_harness->ui.tableDeviceConfig;
    table->setCurrentCell(row, 1);
    table->edit(table->model()->index(row, 1));
    return table->viewport()->findChild<QLineEdit*>();
}

void TestConfigurationPage::typedAddressShowsInvalidWhileTyping_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("octet too big") << 0 << "10.77.5.300"
                                   << "the IP address \"10.77.5.300\" is not valid";
    QTest::newRow("short address") << 0 << "10.77.5"
                                   << "the IP address \"10.77.5\" is not valid";
    QTest::newRow("mask with a hole") << 1 << "255.0.255.0"
                                      << "the subnet mask \"255.0.255.0\" is not valid";
    QTest::newRow("letters refused") << 2 << "10.0.0.x"
                                     << "the gateway \"10.0.0.\" is not valid";
    QTest::newRow("valid address") << 0 << "127.0.0.7"
                                   << "";
}

void TestConfigurationPage::typedAddressShowsInvalidWhileTyping()
{
    QFETCH(int, row);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    m_harness->showDevices({makeDevice(QStringLiteral("2100"), QStringLiteral("127.0.0.1"))});
    m_harness->selectRowOf(0);
    m_page->showDeviceNetwSet();
    QLineEdit* editor = openEditor(row);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, typed);
    const QColor red(QStringLiteral("#c62828"));
    QCOMPARE(editor->palette().color(QPalette::Text) == red, !refusal.isEmpty());
    QCOMPARE(editor->toolTip(), refusal);
    const QString committed = editor->text();
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(m_harness->ui.tableDeviceConfig->item(row, 1)->text(), committed);
    m_page->saveNewConfiguration();
    if (refusal.isEmpty()) {
        QTRY_COMPARE(heardSets().size(), 1);
        return;
    }
    // The refusal names the text as the user typed it, and nothing leaves.
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.first().kind, QStringLiteral("critical"));
    QCOMPARE(m_harness->prompts.boxes.first().text, "Nothing was sent: " + refusal);
    QCOMPARE(m_requests, QStringList{});
    QTest::qWait(50);
    QVERIFY(heardSets().isEmpty());
}

void TestConfigurationPage::multiDeviceDialogListsTheDevices()
{
    // The test listens at 127.0.0.1, where the beamline instrument is.
    QList<Device_t> devices = {makeDevice(QStringLiteral("2100"), QStringLiteral("127.0.0.1")),
                               makeDevice(QStringLiteral("1100"), QStringLiteral("127.0.0.2"), QStringLiteral("1"))};
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
    auto* apply = dialog->findChild<QPushButton*>(QStringLiteral("applyBtn"));
    // Apply without a change sends nothing, says so and leaves the dialog open for editing.
    dialog->onApply();
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.last().kind, QStringLiteral("information"));
    QCOMPARE(m_harness->prompts.boxes.last().text,
             QStringLiteral("No device's settings would change, so nothing was sent."));
    QVERIFY(m_requests.isEmpty());
    QVERIFY(!dialog.isNull() && apply->isEnabled());
    // A changed row is shown to the user first; No sends nothing and keeps the edit.
    auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("tableNetwSet"));
    table->item(0, 3)->setText(QStringLiteral("127.0.0.12"));
    dialog->onApply();
    QCOMPARE(m_harness->prompts.boxes.last().kind, QStringLiteral("question"));
    QCOMPARE(m_harness->prompts.boxes.last().defaultButton, QMessageBox::No);
    QCOMPARE(m_harness->prompts.boxes.last().text,
             QStringLiteral("Send new network settings to 1 device(s)?\n\n"
                            "Group 2100 SN2100 (02:00:00:00:21:00): 127.0.0.1 \u2192 127.0.0.12\n\n"
                            "1 device(s) keep their settings and are sent nothing."));
    QVERIFY(m_requests.isEmpty());
    QTest::qWait(50);
    QVERIFY(heardSets().isEmpty());
    QVERIFY(!dialog.isNull() && apply->isEnabled());
    QCOMPARE(table->item(0, 3)->text(), QStringLiteral("127.0.0.12"));
    // Yes sends the changed row alone, reports, rescans and closes the dialog.
    m_harness->prompts.answer = QMessageBox::Yes;
    dialog->onApply();
    // Said after the rescan, which here leaves the table as it was: the unit is named as not moved.
    QCOMPARE(m_harness->prompts.boxes.last().kind, QStringLiteral("warning"));
    QCOMPARE(m_harness->prompts.boxes.last().title, QStringLiteral("Device(s) Network Configuration"));
    QCOMPARE(m_harness->prompts.boxes.last().text,
             QStringLiteral("New settings sent to Group 2100 SN2100 (02:00:00:00:21:00); not confirmed: "
                            "IP 127.0.0.1, sent 127.0.0.12."));
    QCOMPARE(m_requests, (QStringList{"enableUI(0)", "enableUI(1)", "scan"}));
    QTRY_VERIFY(dialog.isNull());
    QTRY_COMPARE(heardSets(), QStringList{"02:00:00:00:21:00 127.0.0.12 255.255.255.0 10.0.0.1"});
    // Each use opens a new dialog; closing one deletes it.
    m_page->showAdvancedNetwConf();
    dialog = m_harness->window.findChild<NewNetwSettings*>();
    QVERIFY(dialog);
    dialog->onClose();
    QTRY_VERIFY(dialog.isNull());
}

void TestConfigurationPage::multiDeviceDialogWithoutDevices()
{
    m_page->showAdvancedNetwConf();
    QPointer<NewNetwSettings> dialog = m_harness->window.findChild<NewNetwSettings*>();
    QVERIFY(dialog);
    dialog->onApply();
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.first().kind, QStringLiteral("information"));
    QCOMPARE(m_harness->prompts.boxes.first().title, QStringLiteral("Device(s) Network Configuration"));
    QVERIFY(m_requests.isEmpty());
    QVERIFY(!dialog.isNull());
    QVERIFY(heardSets().isEmpty());
}

void TestConfigurationPage::importSendsOnlyDifferingRowsOnceAsked()
{
    // The file's supply row equals the supply found; its beamline row differs; its motor driver was not found.
    Device_t supply = makeDevice(QStringLiteral("1100"), QStringLiteral("127.0.0.21"), QStringLiteral("1"));
    supply.gateway = QStringLiteral("127.0.0.1");
    m_harness->showDevices({supply, makeDevice(QStringLiteral("2100"), QStringLiteral("127.0.0.1"))});
    m_harness->prompts.fileName = sampleFile;
    m_page->importNetworkConfiguration();
    QCOMPARE(m_harness->prompts.openDialogs.size(), 1);
    QCOMPARE(m_harness->prompts.openDialogs.first().filter,
             QStringLiteral("Network configuration (*.csv);;All files (*.*)"));
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.last().kind, QStringLiteral("question"));
    QCOMPARE(m_harness->prompts.boxes.last().title, QStringLiteral("Import network configuration"));
    QCOMPARE(m_harness->prompts.boxes.last().text,
             QStringLiteral("Send new network settings to 1 device(s)?\n\n"
                            "Group 2100 SN2100 (02:00:00:00:21:00): 127.0.0.1 \u2192 127.0.0.23, "
                            "mask 255.255.255.0 \u2192 255.255.0.0, gateway 10.0.0.1 \u2192 127.0.0.1\n\n"
                            "Not found by the last scan, so not sent (1 row(s)):\n"
                            "  00:20:4A:00:00:04 (127.0.0.22)\n\n"
                            "1 device(s) keep their settings and are sent nothing."));
    QVERIFY(m_requests.isEmpty());
    QTest::qWait(50);
    QVERIFY(heardSets().isEmpty());
    m_harness->prompts.answer = QMessageBox::Yes;
    m_page->importNetworkConfiguration();
    QCOMPARE(m_harness->prompts.boxes.last().title, QStringLiteral("Import network configuration"));
    QVERIFY2(m_harness->prompts.boxes.last().text.contains(QStringLiteral("not confirmed: ")),
             qPrintable(m_harness->prompts.boxes.last().text));
    QCOMPARE(m_requests, (QStringList{"enableUI(0)", "enableUI(1)", "scan"}));
    QTRY_COMPARE(heardSets(), QStringList{"02:00:00:00:21:00 127.0.0.23 255.255.0.0 127.0.0.1"});
    // Only the row that was sent is journalled.
    QCOMPARE(journalledSets(), QStringList{"02:00:00:00:21:00 127.0.0.1 255.255.255.0 10.0.0.1 -> 02:00:00:00:21:00 "
                                           "127.0.0.23 255.255.0.0 127.0.0.1"});
    // A cancelled file dialog does nothing.
    m_harness->prompts.fileName.clear();
    m_page->importNetworkConfiguration();
    QCOMPARE(m_requests.size(), 3);
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
