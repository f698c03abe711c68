// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/iptablewidgetitem.h"
#include "app/mainwindow.h"
#include "app/statusreporter.h"
#include "common/fakeprompts.h"
#include "common/sampledevices.h"
#include "common/testhome.h"
#include "dialogs/dialog.h"
#include "dialogs/historydialog.h"
#include "dialogs/historytablemodel.h"
#include "dialogs/networkinterfaces.h"
#include "dialogs/settings.h"
#include "discovery/client.h"
#include "journal/journal.h"
#include "journal/journalvalues.h"
#include "model/device.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startUpState();
    void menuActions_data();
    void menuActions();
    void ipSortOrder_data();
    void ipSortOrder();
    void tableFill();
    void deviceIndexTravelsWithSorting();
    void deviceIcon_data();
    void deviceIcon();
    void familyFilter_data();
    void familyFilter();
    void filterFollowsSelection_data();
    void filterFollowsSelection();
    void keyboard_data();
    void keyboard();
    void informationRows_data();
    void informationRows();
    void webFrame_data();
    void webFrame();
    void enableUiRestoresControls();
    void configurationPage_data();
    void configurationPage();
    void saveWithoutSelection();
    void previousInstallation_data();
    void previousInstallation();
    void fullScreenText();
    void firmwarePageShowsSelectionColumn();
    void settingsReactions();
    void updateCheckWithoutTool();
    void interfaceSelection_data();
    void interfaceSelection();
    void textViewers_data();
    void textViewers();
    void refusedSaveIsReported();
    void exportAndBadImport();
    void spaceTicksTheFocusedCheckBox();
    void spaceElsewhereScans();
    void scanStatusNamesTheLikelyCause();
    void selectingKeepsTheScanProgress();
    void filterNeverLeavesAHiddenDeviceOnAPage_data();
    void filterNeverLeavesAHiddenDeviceOnAPage();
    void saveNeedsASelectedDevice();
    void firstStartFitsTheScreen();
    void windowGeometryIsRemembered_data();
    void windowGeometryIsRemembered();
    void historyOpensFromTheToolsMenu();

private:
    void createWindow();
    void selectDevice(int deviceIndex);
    int rowOfDevice(int deviceIndex) const;
    QTableWidget* deviceTable() const { return m_window->findChild<QTableWidget*>("tableWidgetDeviceFirstTable"); }
    template <typename T> T* widget(const char* name) const { return m_window->findChild<T*>(name); }

    QTemporaryDir m_home;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::initTestCase()
{
    QVERIFY(m_home.isValid());
    // The window's store and the previous-installation check must see a private home only.
    useTestHome(m_home);
}

void TestMainWindow::createWindow()
{
    m_prompts = std::make_shared<FakePrompts>();
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts);
    // No test here may send discovery traffic: every interface is left out of scans.
    for (interfaces_t& entry : m_window->networkInterfaces().interfaces())
        entry.selected = false;
    m_window->show();
}

void TestMainWindow::init()
{
    if (QString(QTest::currentTestFunction()) != QLatin1String("previousInstallation"))
        createWindow();
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    m_prompts.reset();
}

int TestMainWindow::rowOfDevice(int deviceIndex) const
{
    for (int row = 0; row < deviceTable()->rowCount(); ++row) {
        if (deviceTable()->item(row, MainWindow::columnGroup)->data(Qt::UserRole).toInt() == deviceIndex)
            return row;
    }
    return -1;
}

void TestMainWindow::selectDevice(int deviceIndex)
{
    const int row = rowOfDevice(deviceIndex);
    QVERIFY(row >= 0);
    deviceTable()->setCurrentCell(row, MainWindow::columnGroup);
}

void TestMainWindow::startUpState()
{
    auto* pages = widget<QStackedWidget>("stackedWidget");
    QCOMPARE(pages->currentIndex(), int(MainWindow::pageLogo));
    QCOMPARE(widget<QStackedWidget>("stackedWidgetPageRight")->currentIndex(), int(MainWindow::rightPageInfo));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Kestrion"));
    QTableWidget* table = deviceTable();
    QCOMPARE(table->columnCount(), 6);
    const QStringList headers = {"Selection", "Icon", "Group", "Module ID", "IP Address", "Firmware"};
    for (int column = 0; column < headers.size(); ++column)
        QCOMPARE(table->horizontalHeaderItem(column)->text(), headers.at(column));
    QVERIFY(table->isColumnHidden(MainWindow::columnSelection));
    QVERIFY(table->isSortingEnabled());
    QCOMPARE(table->rowCount(), 0);
    QCOMPARE(table->horizontalHeader()->sectionResizeMode(MainWindow::columnSelection), QHeaderView::Fixed);
    QCOMPARE(table->horizontalHeader()->sectionSize(MainWindow::columnIcon), 96);
    // The filter starts removed.
    QCOMPARE(widget<QComboBox>("comboBoxDeviceFilter")->maximumWidth(), 0);
    QCOMPARE(widget<QAction>("actionApply_Filter")->text(), QStringLiteral("Apply F&ilter"));
    QVERIFY(widget<QFrame>("frameWeb")->isHidden());
    QVERIFY(widget<QFrame>("frameDevIP")->isHidden());
    QVERIFY(widget<QFrame>("frameManualIp")->isHidden());
    QVERIFY(!widget<QPushButton>("saveConfBtn")->isEnabled());
    QCOMPARE(widget<QTableWidget>("tableDeviceConfig")->item(0, 1)->text(), QStringLiteral("unknown"));
    // The store was created with its defaults and copied into the engine.
    QVERIFY(QFile::exists(m_home.path() + "/.config/Ostravi/Kestrion/kestrionConfig.ini"));
    QCOMPARE(m_window->client().scanTime, 200);
    QCOMPARE(m_window->client().waitRead, 1000);
    QCOMPARE(m_window->updateTimeout(), 120000);
    QTRY_COMPARE_WITH_TIMEOUT(pages->currentIndex(), int(MainWindow::pageDevices), 4000);
    QVERIFY(m_prompts->boxes.isEmpty());
}

void TestMainWindow::menuActions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shortcut");
    QTest::newRow("scan") << "actionNew_Scan"
                          << "&New Scan"
                          << "Space";
    QTest::newRow("quit") << "actionQuit"
                          << "&Quit"
                          << "Ctrl+Q";
    QTest::newRow("full screen") << "actionToogle_Full_Screen"
                                 << "Toggle &Full Screen"
                                 << "F11";
    QTest::newRow("filter") << "actionApply_Filter"
                            << "Apply F&ilter"
                            << "Ctrl+Shift+F";
    QTest::newRow("updates") << "actionCheck_for_updates"
                             << "Check for &updates"
                             << "";
    QTest::newRow("interfaces") << "actionSelect_network_interfaces"
                                << "Select network &interfaces"
                                << "";
    QTest::newRow("settings") << "actionSettings"
                              << "&Settings"
                              << "";
    QTest::newRow("multi") << "actionAdvanced_network_config"
                           << "&Device(s) Network Configuration"
                           << "";
    QTest::newRow("import") << "actionImport_network_configuration"
                            << "I&mport network configuration…"
                            << "";
    QTest::newRow("export") << "actionExport_network_configuration"
                            << "&Export network configuration…"
                            << "";
    QTest::newRow("history") << "actionHistory"
                             << "&History"
                             << "";
    QTest::newRow("changelog") << "actionChangelog"
                               << "&Changelog"
                               << "";
    QTest::newRow("supported") << "actionShow_supported_devices"
                               << "Show supported &devices"
                               << "";
    QTest::newRow("about") << "actionAbout"
                           << "&About"
                           << "";
}

void TestMainWindow::menuActions()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, shortcut);
    auto* action = m_window->findChild<QAction*>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->shortcut().toString(), shortcut);
}

void TestMainWindow::ipSortOrder_data()
{
    QTest::addColumn<QString>("left");
    QTest::addColumn<QString>("right");
    QTest::addColumn<bool>("less");
    QTest::newRow("numeric, not textual") << "10.0.0.2"
                                          << "10.0.0.10" << true;
    QTest::newRow("numeric reverse") << "10.0.0.10"
                                     << "10.0.0.2" << false;
    QTest::newRow("first byte counts most") << "9.255.255.255"
                                            << "10.0.0.0" << true;
    QTest::newRow("equal") << "192.168.0.1"
                           << "192.168.0.1" << false;
    QTest::newRow("text against address") << "abc"
                                          << "10.0.0.1" << false;
    QTest::newRow("address against text") << "10.0.0.1"
                                          << "abc" << true;
    QTest::newRow("empty against address") << ""
                                           << "10.0.0.1" << true;
}

void TestMainWindow::ipSortOrder()
{
    QFETCH(QString, left);
    QFETCH(QString, right);
    QFETCH(bool, less);
    QCOMPARE(IpTableWidgetItem(left) < IpTableWidgetItem(right), less);
}

void TestMainWindow::tableFill()
{
    const QList<Device_t> devices = sampleDevices();
    m_window->showDevices(devices);
    QTableWidget* table = deviceTable();
    QCOMPARE(table->rowCount(), devices.size());
    QCOMPARE(m_window->selectedForUpgrade(), QList<bool>(QVector<bool>(devices.size(), false).toList()));
    for (int row = 0; row < table->rowCount(); ++row) {
        const int index = table->item(row, MainWindow::columnGroup)->data(Qt::UserRole).toInt();
        const Device_t& device = devices.at(index);
        for (int column = 0; column < table->columnCount(); ++column)
            QCOMPARE(table->item(row, column)->data(Qt::UserRole).toInt(), index);
        QCOMPARE(table->item(row, MainWindow::columnGroup)->text(), device.group);
        QCOMPARE(table->item(row, MainWindow::columnModuleId)->text(), device.moduleId);
        QCOMPARE(table->item(row, MainWindow::columnIp)->text(), device.ip);
        QCOMPARE(table->item(row, MainWindow::columnFirmware)->text(), device.firmwareVersion);
        QCOMPARE(table->item(row, MainWindow::columnIp)->textAlignment(), int(Qt::AlignCenter));
        auto* box = qobject_cast<QCheckBox*>(table->cellWidget(row, MainWindow::columnSelection));
        QVERIFY(box);
        QCOMPARE(box->property("deviceIndex").toInt(), index);
        QVERIFY(!box->isChecked());
        // Current transducers are never upgraded from here.
        QCOMPARE(box->isEnabled(), device.code != QLatin1String("3100"));
        // A picture that exists is shown; a missing one leaves the cell empty.
        const QString iconPath = m_window->getDeviceIcon(device.code, device.brand);
        const QVariant decoration = table->item(row, MainWindow::columnIcon)->data(Qt::DecorationRole);
        QCOMPARE(decoration.isValid(), QFile::exists(iconPath));
        QVERIFY(table->item(row, MainWindow::columnIcon)->text().isEmpty());
    }
    // A new list replaces the old one as a whole.
    m_window->showDevices(devices.mid(0, 2));
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(m_window->selectedForUpgrade().size(), 2);
}

void TestMainWindow::deviceIndexTravelsWithSorting()
{
    m_window->showDevices(sampleDevices());
    QTableWidget* table = deviceTable();
    table->sortItems(MainWindow::columnIp, Qt::AscendingOrder);
    QStringList shown;
    for (int row = 0; row < table->rowCount(); ++row)
        shown << table->item(row, MainWindow::columnIp)->text();
    const QStringList expected = {"10.0.0.2",  "10.0.0.4",  "10.0.0.5",     "10.0.0.6",      "10.0.0.7",
                                  "10.0.0.10", "10.0.0.30", "192.168.0.10", "not-an-address"};
    QCOMPARE(shown, expected);
    // Selecting a sorted row shows that row's own device on the information page.
    for (int row = 0; row < table->rowCount(); ++row) {
        table->setCurrentCell(row, MainWindow::columnModuleId);
        auto* info = widget<QTableWidget>("tableInfo");
        QCOMPARE(info->item(6, 1)->text(), shown.at(row));
        auto* box = qobject_cast<QCheckBox*>(table->cellWidget(row, MainWindow::columnSelection));
        const int index = box->property("deviceIndex").toInt();
        QCOMPARE(m_window->devices().at(index).ip, shown.at(row));
    }
}

void TestMainWindow::deviceIcon_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("brand");
    QTest::addColumn<QString>("path");
    const QString images = ":/images/resources/images/";
    QTest::newRow("brand variant") << "1900"
                                   << "VALDIS" << images + "halvo_va.png";
    QTest::newRow("first brand") << "1900"
                                 << "NORRETH" << images + "halvo_no.png";
    QTest::newRow("last brand") << "1900"
                                << "TORQUIL" << images + "halvo_to.png";
    QTest::newRow("unknown brand") << "1900"
                                   << "ACME" << images + "halvo.png";
    QTest::newRow("no brand") << "1900"
                              << "" << images + "halvo.png";
    QTest::newRow("brand on other model") << "1100"
                                          << "VALDIS" << QString();
    QTest::newRow("unknown code") << "9999"
                                  << "VALDIS" << QString();
}

void TestMainWindow::deviceIcon()
{
    QFETCH(QString, code);
    QFETCH(QString, brand);
    QFETCH(QString, path);
    const QString expected = path.isEmpty() ? device::getImage(code) : path;
    QCOMPARE(m_window->getDeviceIcon(code, brand), expected);
}

void TestMainWindow::familyFilter_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<QStringList>("visible");
    QTest::newRow("power supplies with motor drivers") << 0 << QStringList{"1100", "4200", "1600", "1F80", "1900"};
    QTest::newRow("beamline") << 1 << QStringList{"2100"};
    QTest::newRow("current transducers") << 2 << QStringList{"3100"};
}

void TestMainWindow::familyFilter()
{
    QFETCH(int, entry);
    QFETCH(QStringList, visible);
    m_window->showDevices(sampleDevices());
    auto* filterButton = widget<QPushButton>("filterBtn");
    auto* box = widget<QComboBox>("comboBoxDeviceFilter");
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->itemText(1), QStringLiteral("Beamline Instrumentation"));
    QTest::mouseClick(filterButton, Qt::LeftButton);
    QCOMPARE(box->maximumWidth(), 16777215);
    QCOMPARE(widget<QAction>("actionApply_Filter")->text(), QStringLiteral("Remove F&ilter"));
    box->setCurrentIndex(entry);
    QStringList shown;
    for (int row = 0; row < deviceTable()->rowCount(); ++row) {
        if (!deviceTable()->isRowHidden(row))
            shown << m_window->devices().at(deviceTable()->item(row, 1)->data(Qt::UserRole).toInt()).code;
    }
    shown.sort();
    visible.sort();
    QCOMPARE(shown, visible);
    // Removing the filter shows every row again.
    QTest::mouseClick(filterButton, Qt::LeftButton);
    QCOMPARE(box->maximumWidth(), 0);
    for (int row = 0; row < deviceTable()->rowCount(); ++row)
        QVERIFY(!deviceTable()->isRowHidden(row));
}

void TestMainWindow::filterFollowsSelection_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("expectedEntry");
    QTest::newRow("beamline") << "2100" << 1;
    QTest::newRow("motor driver counts as power supply") << "4200" << 0;
    QTest::newRow("transducer") << "3100" << 2;
    // Families without an entry keep the chosen one (starting from beamline here).
    QTest::newRow("board keeps entry") << "5100" << 1;
    QTest::newRow("tool keeps entry") << "6100" << 1;
}

void TestMainWindow::filterFollowsSelection()
{
    QFETCH(QString, code);
    QFETCH(int, expectedEntry);
    m_window->showDevices(sampleDevices());
    auto* box = widget<QComboBox>("comboBoxDeviceFilter");
    box->setCurrentIndex(1);
    // Select while the filter is removed, then apply it: the filter follows the selected device.
    selectDevice(indexOfCode(code));
    m_window->onHideFilterComboBox();
    QCOMPARE(box->currentIndex(), expectedEntry);
    QVERIFY(!box->currentText().isEmpty());
}

void TestMainWindow::keyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("clicks");
    QTest::newRow("space does nothing") << int(Qt::Key_Space) << 0;
    QTest::newRow("return clicks") << int(Qt::Key_Return) << 1;
    QTest::newRow("enter clicks") << int(Qt::Key_Enter) << 1;
    QTest::newRow("other keys pass") << int(Qt::Key_A) << 0;
}

void TestMainWindow::keyboard()
{
    QFETCH(int, key);
    QFETCH(int, clicks);
    // Every push button of the window has the filter, including those on hidden pages.
    auto* button = widget<QPushButton>("infoBtn");
    QSignalSpy released(button, &QPushButton::released);
    // Space is the New Scan shortcut; keep those scans short (no interface is selected anyway).
    m_window->client().scanTime = 0;
    // A key press delivered to the button as the event loop would, without the shortcut map.
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Space ? " " : "");
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, key == Qt::Key_Space ? " " : "");
    button->setFocus();
    QApplication::sendEvent(button, &press);
    QApplication::sendEvent(button, &release);
    QCOMPARE(released.count(), clicks);
    QCOMPARE(button->isEnabled(), clicks == 0);
    for (QPushButton* other : m_window->findChildren<QPushButton*>()) {
        QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
        QSignalSpy otherReleased(other, &QPushButton::released);
        QApplication::sendEvent(other, &space);
        QCOMPARE(otherReleased.count(), 0);
    }
}

void TestMainWindow::informationRows_data()
{
    QTest::addColumn<QString>("dhcp");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("extraRows");
    QTest::newRow("on") << "1"
                        << "ON" << 0;
    QTest::newRow("off") << "0"
                         << "OFF" << 1;
    QTest::newRow("empty") << ""
                           << "Not Available" << 2;
    QTest::newRow("other text") << "yes"
                                << "Not Available" << 0;
}

void TestMainWindow::informationRows()
{
    QFETCH(QString, dhcp);
    QFETCH(QString, shown);
    QFETCH(int, extraRows);
    Device_t device = makeDevice("2100", "10.0.0.2", dhcp);
    for (int i = 0; i < extraRows; ++i)
        device.additionalInfo.append({{QStringLiteral("Key%1").arg(i), QStringLiteral("Value%1").arg(i)},
                                      {QStringLiteral("Later%1").arg(i), QStringLiteral("Ignored")}});
    m_window->showDevices({device});
    widget<QProgressBar>("progressBar")->setValue(50);
    deviceTable()->setCurrentCell(0, MainWindow::columnGroup);
    auto* info = widget<QTableWidget>("tableInfo");
    QCOMPARE(info->rowCount(), 10 + extraRows);
    const QStringList labels = {
        "Module ID:",   "Group:",      "Device Description:", "Serial Number:", "Firmware Version:",
        "MAC Address:", "IP Address:", "SubnetMask:",         "Gateway:",       "DHCP:"};
    const QStringList values = {device.moduleId,        device.group, device.description, device.serialNumber,
                                device.firmwareVersion, device.mac,   device.ip,          device.netmask,
                                device.gateway,         shown};
    for (int row = 0; row < 10; ++row) {
        QCOMPARE(info->item(row, 0)->text(), labels.at(row));
        QCOMPARE(info->item(row, 1)->text(), values.at(row));
    }
    for (int i = 0; i < extraRows; ++i) {
        QCOMPARE(info->item(10 + i, 0)->text(), QStringLiteral("Key%1").arg(i));
        QCOMPARE(info->item(10 + i, 1)->text(), QStringLiteral("Value%1").arg(i));
    }
    // Selecting a device leaves the scan progress as the last scan left it.
    QCOMPARE(widget<QProgressBar>("progressBar")->value(), 50);
    // Pressing the info button shows the page with the filter removed and the selection column hidden.
    QTest::mouseClick(widget<QPushButton>("infoBtn"), Qt::LeftButton);
    QCOMPARE(widget<QStackedWidget>("stackedWidgetPageRight")->currentIndex(), int(MainWindow::rightPageInfo));
    QVERIFY(!widget<QPushButton>("infoBtn")->isEnabled());
    QVERIFY(deviceTable()->isColumnHidden(MainWindow::columnSelection));
    // Losing the current item empties the table.
    m_window->showDevices({});
    QCOMPARE(info->rowCount(), 0);
}

void TestMainWindow::webFrame_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("visible");
    QTest::newRow("power supply") << "1100" << true;
    QTest::newRow("recovery supply") << "1F80" << true;
    QTest::newRow("motor driver") << "4200" << false;
    QTest::newRow("xport module") << "4100" << false;
    QTest::newRow("vesk supply") << "1600" << false;
    QTest::newRow("beamline") << "2100" << false;
    QTest::newRow("transducer") << "3100" << false;
    QTest::newRow("unknown") << "9999" << false;
}

void TestMainWindow::webFrame()
{
    QFETCH(QString, code);
    QFETCH(bool, visible);
    m_window->showDevices({makeDevice(code, "10.0.0.9")});
    auto* frame = widget<QFrame>("frameWeb");
    QVERIFY(frame->isHidden());
    deviceTable()->setCurrentCell(0, MainWindow::columnGroup);
    QCOMPARE(!frame->isHidden(), visible);
    QTest::mouseClick(widget<QPushButton>("webBtn"), Qt::LeftButton);
    QCOMPARE(m_prompts->urls, visible ? QList<QUrl>{QUrl("http://10.0.0.9/")} : QList<QUrl>{});
    // A selection change without a current item hides the frame.
    deviceTable()->setCurrentItem(nullptr);
    deviceTable()->clearSelection();
    QVERIFY(frame->isHidden());
}

void TestMainWindow::enableUiRestoresControls()
{
    // Save comes back only with a device to save.
    m_window->showDevices({makeDevice("2100", "10.0.0.2")});
    deviceTable()->setCurrentCell(0, MainWindow::columnGroup);
    const QStringList names = {"scanBtn", "infoBtn", "configBtn", "updateBtn", "updateFwBtn", "saveConfBtn"};
    m_window->enableUI(false);
    for (const QString& name : names)
        QVERIFY2(!m_window->findChild<QWidget*>(name)->isEnabled(), qPrintable(name));
    QVERIFY(!widget<QAction>("actionNew_Scan")->isEnabled());
    QVERIFY(!deviceTable()->isEnabled());
    m_window->enableUI(true);
    for (const QString& name : names)
        QVERIFY2(m_window->findChild<QWidget*>(name)->isEnabled(), qPrintable(name));
    QVERIFY(widget<QAction>("actionNew_Scan")->isEnabled());
    QVERIFY(deviceTable()->isEnabled());
}

void TestMainWindow::configurationPage_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("dhcp");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<bool>("boxEnabled");
    QTest::addColumn<bool>("boxChecked");
    const QStringList all = {"10.0.0.9", "255.255.255.0", "10.0.0.1"};
    QTest::newRow("supply, dhcp off") << "1100"
                                      << "0" << all << true << true << false;
    QTest::newRow("supply, dhcp on greys rows") << "1100"
                                                << "1" << all << false << true << true;
    QTest::newRow("motor driver: address only")
        << "4200"
        << "0" << QStringList{"10.0.0.9", "unknown", "unknown"} << true << false << false;
    QTest::newRow("recovery locked") << "1F80"
                                     << "0" << all << false << false << false;
    QTest::newRow("beamline, no dhcp box") << "2100"
                                           << "1" << all << true << false << false;
}

void TestMainWindow::configurationPage()
{
    QFETCH(QString, code);
    QFETCH(QString, dhcp);
    QFETCH(QStringList, values);
    QFETCH(bool, editable);
    QFETCH(bool, boxEnabled);
    QFETCH(bool, boxChecked);
    m_window->showDevices({makeDevice(code, "10.0.0.9", dhcp)});
    QTest::mouseClick(widget<QPushButton>("configBtn"), Qt::LeftButton);
    QCOMPARE(widget<QStackedWidget>("stackedWidgetPageRight")->currentIndex(), int(MainWindow::rightPageConfigure));
    deviceTable()->setCurrentCell(0, MainWindow::columnGroup);
    QVERIFY(widget<QPushButton>("saveConfBtn")->isEnabled());
    auto* table = widget<QTableWidget>("tableDeviceConfig");
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("New IP Address:"));
    QCOMPARE(table->item(3, 0)->text(), QStringLiteral("DHCP:"));
    for (int row = 0; row < 3; ++row)
        QCOMPARE(table->item(row, 1)->text(), values.at(row));
    QCOMPARE(bool(table->item(0, 1)->flags() & Qt::ItemIsEditable), editable);
    QVERIFY(!(table->item(0, 0)->flags() & Qt::ItemIsEditable));
    auto* box = qobject_cast<QCheckBox*>(table->cellWidget(3, 1));
    QVERIFY(box);
    QCOMPARE(box->isEnabled(), boxEnabled);
    QCOMPARE(box->isChecked(), boxChecked);
    QCOMPARE(box->text(), boxEnabled ? QString() : QStringLiteral("N.A."));
    if (boxChecked) {
        // Turning DHCP off gives back the device's own values, editable.
        box->setChecked(false);
        QVERIFY(table->item(0, 1)->flags() & Qt::ItemIsEditable);
        QCOMPARE(table->item(1, 1)->text(), values.at(1));
    }
}

void TestMainWindow::saveWithoutSelection()
{
    m_window->onSaveNewConfiguration();
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes.first().kind, QStringLiteral("critical"));
    QCOMPARE(m_prompts->boxes.first().title, QStringLiteral("Save Network Configuration"));
    QCOMPARE(m_prompts->boxes.first().text, QStringLiteral("ERROR: no devices selected!"));
    QVERIFY(widget<QPushButton>("scanBtn")->isEnabled());
    QVERIFY(deviceTable()->isEnabled());
}

void TestMainWindow::previousInstallation_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("remains");
    QTest::newRow("none") << QString() << true << true << false << false;
    QTest::newRow("kept on no") << "bin/kestrion" << true << false << true << true;
    QTest::newRow("removed on yes") << "bin/kestrion" << true << true << true << false;
    QTest::newRow("maintenance tool") << "maintenancetool" << true << true << true << false;
    QTest::newRow("program two levels down") << "Tools/bin/Kestrion" << true << true << true << false;
    // A folder of the same name that holds no installation is someone's files: nothing is asked.
    QTest::newRow("other files") << "notes/kestrion.txt" << false << true << false << true;
    QTest::newRow("not executable") << "bin/kestrion" << false << true << false << true;
    QTest::newRow("too deep") << "a/b/c/kestrion" << true << true << false << true;
}

void TestMainWindow::previousInstallation()
{
    QFETCH(QString, content);
    QFETCH(bool, executable);
    QFETCH(bool, answerYes);
    QFETCH(bool, asked);
    QFETCH(bool, remains);
    const QString old = m_home.path() + "/Ostravi/Kestrion";
    QDir(old).removeRecursively();
    if (!content.isEmpty()) {
        const QString file = old + "/" + content;
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QFile marker(file);
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        if (executable)
            QVERIFY(marker.setPermissions(marker.permissions() | QFile::ExeOwner));
    }
    m_prompts = std::make_shared<FakePrompts>();
    m_prompts->answer = answerYes ? QMessageBox::Yes : QMessageBox::No;
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts);
    QCOMPARE(m_prompts->boxes.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(m_prompts->boxes.first().title, QStringLiteral("Previous Installation Found"));
        QCOMPARE(m_prompts->boxes.first().text,
                 QStringLiteral("A previous installation was found in:\n%1\n\nDo you want to remove it?")
                     .arg(QDir(old).absolutePath()));
        QCOMPARE(m_prompts->boxes.first().buttons, QMessageBox::Yes | QMessageBox::No);
        // Return on the question keeps the folder.
        QCOMPARE(m_prompts->boxes.first().defaultButton, QMessageBox::No);
    }
    QCOMPARE(QDir(old).exists(), remains);
    if (remains && !content.isEmpty())
        QVERIFY(QFile::exists(old + "/" + content));
    QDir(m_home.path() + "/Ostravi").removeRecursively();
}

void TestMainWindow::fullScreenText()
{
    auto* action = widget<QAction>("actionToogle_Full_Screen");
    action->trigger();
    QCOMPARE(action->text(), QStringLiteral("Show &Normal"));
    QTRY_VERIFY(m_window->isFullScreen());
    action->trigger();
    QCOMPARE(action->text(), QStringLiteral("Toogle &Full Screen"));
}

void TestMainWindow::firmwarePageShowsSelectionColumn()
{
    m_window->showDevices(sampleDevices());
    QTest::mouseClick(widget<QPushButton>("updateBtn"), Qt::LeftButton);
    QCOMPARE(widget<QStackedWidget>("stackedWidgetPageRight")->currentIndex(), int(MainWindow::rightPageUpdate));
    QVERIFY(!deviceTable()->isColumnHidden(MainWindow::columnSelection));
    // At least the 80 pixels of the design, and wide enough for its header.
    QVERIFY(deviceTable()->horizontalHeader()->sectionSize(MainWindow::columnSelection) >= 80);
    QVERIFY(!widget<QPushButton>("updateBtn")->isEnabled());
    // Ticking one power supply keeps only boxes of the same code usable.
    const int supplyRow = rowOfDevice(indexOfCode("1100"));
    qobject_cast<QCheckBox*>(deviceTable()->cellWidget(supplyRow, 0))->setChecked(true);
    QVERIFY(m_window->selectedForUpgrade().at(indexOfCode("1100")));
    QVERIFY(!qobject_cast<QCheckBox*>(deviceTable()->cellWidget(rowOfDevice(indexOfCode("1600")), 0))->isEnabled());
    // Pressing upgrade without a file explains why nothing happens.
    QTest::mouseClick(widget<QPushButton>("updateFwBtn"), Qt::LeftButton);
    QCOMPARE(m_prompts->boxes.last().text, QStringLiteral("ERROR: Please select a valid firmware!"));
    QTest::mouseClick(widget<QPushButton>("infoBtn"), Qt::LeftButton);
    QVERIFY(deviceTable()->isColumnHidden(MainWindow::columnSelection));
}

void TestMainWindow::settingsReactions()
{
    m_window->findChild<QAction*>("actionSettings")->trigger();
    auto* dialog = m_window->findChild<Settings*>();
    QVERIFY(dialog);
    AppSettings& store = m_window->settings();
    // Accepted values change both the engine and the store.
    emit dialog->signalChangeBroadcastTime(1230);
    QCOMPARE(m_window->client().scanTime, 1230);
    QCOMPARE(store.getScanTime(), 1230);
    emit dialog->signalChangeWaitForConnected(500);
    QCOMPARE(m_window->client().waitConnected, 500);
    QCOMPARE(store.getWaitForConnected(), 500);
    emit dialog->signalChangeFlagManualIP(true);
    QVERIFY(m_window->flagManualIP());
    QVERIFY(!widget<QFrame>("frameManualIp")->isHidden());
    emit dialog->signalChangeStartIp(QHostAddress("10.0.0.5"));
    QCOMPARE(m_window->client().startIp, QHostAddress("10.0.0.5"));
    // Out-of-range values hold for this run only: the store refuses them.
    emit dialog->signalChangeBroadcastTime(99500);
    QCOMPARE(m_window->client().scanTime, 99500);
    QCOMPARE(store.getScanTime(), 1230);
    emit dialog->signalChangeNumbeOfThreads(0);
    QCOMPARE(m_window->client().nThreads, 0);
    QCOMPARE(store.getNumbeOfThreads(), 10);
    emit dialog->signalChangeTimeout(1000000);
    QCOMPARE(m_window->updateTimeout(), 1000000);
    QCOMPARE(store.getTimeout(), 120000);
    emit dialog->signalChangeEndIp(QHostAddress("127.0.0.1"));
    QCOMPARE(store.getEndIP(), QHostAddress("192.168.0.254"));
    emit dialog->signalClose();
    QTRY_VERIFY(!m_window->findChild<Settings*>());
}

void TestMainWindow::updateCheckWithoutTool()
{
    // The test binary runs from the build tree, with no maintenance tool two levels up: the user is sent
    // to the package manager, nothing else happens.
    widget<QAction>("actionCheck_for_updates")->trigger();
    QTRY_COMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes.first().kind, QStringLiteral("information"));
    QCOMPARE(m_prompts->boxes.first().title, QStringLiteral("Updates"));
    QVERIFY(m_prompts->boxes.first().text.contains(QStringLiteral("package manager")));
}

void TestMainWindow::interfaceSelection_data()
{
    QTest::addColumn<bool>("apply");
    QTest::newRow("apply replaces the held list") << true;
    QTest::newRow("cancel keeps it") << false;
}

void TestMainWindow::interfaceSelection()
{
    QFETCH(bool, apply);
    const QList<interfaces_t> before = m_window->networkInterfaces().interfaces();
    widget<QAction>("actionSelect_network_interfaces")->trigger();
    NetworkInterfaces* dialog = nullptr;
    for (NetworkInterfaces* candidate : m_window->findChildren<NetworkInterfaces*>()) {
        if (candidate->isVisible())
            dialog = candidate;
    }
    QVERIFY(dialog);
    QPointer<NetworkInterfaces> alive(dialog);
    QList<interfaces_t> chosen = {
        {QStringLiteral("kx9"), QStringLiteral("10.9.9.1"), QStringLiteral("255.0.0.0"), false}};
    if (apply)
        emit dialog->signalUpdateNetworkList(chosen);
    else
        emit dialog->signalClose();
    QTRY_VERIFY(alive.isNull());
    const QList<interfaces_t> after = m_window->networkInterfaces().interfaces();
    const QList<interfaces_t>& expected = apply ? chosen : before;
    QCOMPARE(after.size(), expected.size());
    for (int i = 0; i < after.size(); ++i) {
        QCOMPARE(after.at(i).name, expected.at(i).name);
        QCOMPARE(after.at(i).selected, expected.at(i).selected);
    }
}

void TestMainWindow::textViewers_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("resource");
    QTest::newRow("changelog") << "actionChangelog"
                               << "Changelog"
                               << ":/otherFiles/changelogNEW.md";
    QTest::newRow("about") << "actionAbout"
                           << "About"
                           << ":/files/resources/about";
    QTest::newRow("supported") << "actionShow_supported_devices"
                               << "Supported Devices"
                               << ":/files/resources/supportedDevices";
}

void TestMainWindow::textViewers()
{
    QFETCH(QString, action);
    QFETCH(QString, title);
    QFETCH(QString, resource);
    auto* trigger = m_window->findChild<QAction*>(action);
    trigger->trigger();
    trigger->trigger();
    // Modeless, and a new window per request.
    const QList<Dialog*> dialogs = m_window->findChildren<Dialog*>();
    QCOMPARE(dialogs.size(), 2);
    QCOMPARE(dialogs.first()->windowTitle(), title);
    QVERIFY(!dialogs.first()->isModal());
    QFile file(resource);
    QVERIFY(file.open(QIODevice::ReadOnly));
    auto* text = dialogs.first()->findChild<QTextEdit*>("textEdit");
    QVERIFY(text);
    const QString source = QString::fromLatin1(file.readAll());
    if (action != QLatin1String("actionChangelog")) {
        QCOMPARE(text->toPlainText(), source);
        return;
    }
    // The changelog is shown rendered: headings and list items, no Markdown marks.
    const QTextDocument* document = text->document();
    int headings = 0;
    int listItems = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        headings += block.blockFormat().headingLevel() > 0 ? 1 : 0;
        listItems += block.textList() ? 1 : 0;
    }
    QVERIFY(headings >= 2);
    QVERIFY(listItems >= 2);
    QVERIFY(source.startsWith("# "));
    QVERIFY(!text->toPlainText().contains("## "));
    QVERIFY(!text->toPlainText().contains("\n- "));
    QVERIFY(text->toPlainText().startsWith(source.section('\n', 0, 0).mid(2)));
}

void TestMainWindow::refusedSaveIsReported()
{
    m_window->showDevices({makeDevice("1100", "10.0.0.9", "0")});
    QTest::mouseClick(widget<QPushButton>("configBtn"), Qt::LeftButton);
    deviceTable()->setCurrentCell(0, MainWindow::columnGroup);
    widget<QTableWidget>("tableDeviceConfig")->item(0, 1)->setText("300.1.1.1");
    QSignalSpy progress(&m_window->client(), &Client::signalUpdateProgressBar);
    QTest::mouseClick(widget<QPushButton>("saveConfBtn"), Qt::LeftButton);
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes.first().kind, QStringLiteral("critical"));
    QCOMPARE(m_prompts->boxes.first().title, QStringLiteral("Save Network Configuration"));
    QVERIFY2(m_prompts->boxes.first().text.startsWith("Nothing was sent"), qPrintable(m_prompts->boxes.first().text));
    // No rescan as if it had worked, and the window is usable again.
    QCOMPARE(progress.count(), 0);
    QCOMPARE(deviceTable()->rowCount(), 1);
    QVERIFY(widget<QPushButton>("saveConfBtn")->isEnabled());
    QVERIFY(widget<QPushButton>("scanBtn")->isEnabled());
}

void TestMainWindow::exportAndBadImport()
{
    m_window->showDevices(sampleDevices());
    const QString path = m_home.path() + "/export.csv";
    m_prompts->fileName = path;
    widget<QAction>("actionExport_network_configuration")->trigger();
    QCOMPARE(m_prompts->boxes.last().kind, QStringLiteral("information"));
    QFile exported(path);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QByteArray content = exported.readAll();
    QVERIFY(content.contains("02:00:00:00:11:00"));
    QVERIFY(content.contains("10.0.0.30"));
    // A file that is no configuration file is refused with the reason, and nothing is sent.
    const QString bad = m_home.path() + "/bad.csv";
    QFile badFile(bad);
    QVERIFY(badFile.open(QIODevice::WriteOnly));
    badFile.write("not,a,configuration\n");
    badFile.close();
    m_prompts->fileName = bad;
    m_window->client().scanTime = 0;
    widget<QAction>("actionImport_network_configuration")->trigger();
    QCOMPARE(m_prompts->boxes.last().kind, QStringLiteral("critical"));
    QCOMPARE(m_prompts->boxes.last().title, QStringLiteral("Upload csv-file"));
    QVERIFY(m_prompts->boxes.last().text.startsWith("Error: incorrect file"));
    QVERIFY(m_prompts->boxes.last().text.contains("holds no power-supply"));
    // A device line cut short names the line.
    QVERIFY(badFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    badFile.write("Key,Family\n1100,Aurel,42,02:00:00:00:11:00,10.0.0.30\n");
    badFile.close();
    widget<QAction>("actionImport_network_configuration")->trigger();
    QVERIFY(m_prompts->boxes.last().text.startsWith("Error: incorrect file"));
    QVERIFY(m_prompts->boxes.last().text.contains("Line 2"));
    // An unwritable export target is reported and writes nothing.
    m_prompts->fileName = m_home.path() + "/missing-dir/export.csv";
    widget<QAction>("actionExport_network_configuration")->trigger();
    QCOMPARE(m_prompts->boxes.last().kind, QStringLiteral("critical"));
}

void TestMainWindow::spaceTicksTheFocusedCheckBox()
{
    m_window->client().scanTime = 0;
    m_window->showDevices(sampleDevices());
    m_window->showPage(MainWindow::pageDevices);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTest::mouseClick(widget<QPushButton>("updateBtn"), Qt::LeftButton);
    const int row = rowOfDevice(indexOfCode("2100"));
    auto* box = qobject_cast<QCheckBox*>(deviceTable()->cellWidget(row, MainWindow::columnSelection));
    QVERIFY(box && box->isEnabled());
    QSignalSpy progress(&m_window->client(), &Client::signalUpdateProgressBar);
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    // Through the shortcut map, as a real key press goes.
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(box->isChecked());
    QCOMPARE(progress.count(), 0);
    QCOMPARE(deviceTable()->rowCount(), sampleDevices().size());
    QVERIFY(m_window->selectedForUpgrade().at(indexOfCode("2100")));
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(!box->isChecked());
    QCOMPARE(progress.count(), 0);
}

void TestMainWindow::spaceElsewhereScans()
{
    m_window->client().scanTime = 0;
    m_window->showDevices(sampleDevices());
    m_window->showPage(MainWindow::pageDevices);
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QSignalSpy progress(&m_window->client(), &Client::signalUpdateProgressBar);
    deviceTable()->setFocus();
    QTRY_VERIFY(deviceTable()->hasFocus());
    QTest::keyClick(deviceTable(), Qt::Key_Space);
    QTRY_VERIFY(progress.count() > 0);
    // Nothing is selected for scanning here, so the new scan finds nothing.
    QTRY_COMPARE(deviceTable()->rowCount(), 0);
}

void TestMainWindow::scanStatusNamesTheLikelyCause()
{
    m_window->client().scanTime = 0;
    QCOMPARE(m_window->statusReporter().summary(), QStringLiteral("No scan yet: press Scan or Space"));
    m_window->onScanDevices();
    QCOMPARE(m_window->statusReporter().summary(),
             QStringLiteral("No devices found: no network interface is selected (Tools > Select network interfaces)"));
    QVERIFY(m_window->statusBar()->isVisible());
    // With the lab's empty link selected, nothing answers and unicast is off.
    QList<interfaces_t> lab;
    m_window->networkInterfaces().scanInterfaces();
    for (interfaces_t entry : m_window->networkInterfaces().interfaces()) {
        entry.selected = entry.name == QLatin1String("kw0");
        lab << entry;
    }
    m_window->onSaveNetworkList(lab);
    m_window->onScanDevices();
    QCOMPARE(m_window->statusReporter().summary(),
             QStringLiteral("No devices found on 1 interface; unicast scan is off (Tools > Settings)"));
    // A page's report lands beside it.
    m_window->showStatus(QStringLiteral("Upgrading 2 of 3"));
    QCOMPARE(m_window->statusReporter().message(), QStringLiteral("Upgrading 2 of 3"));
    m_window->onScanDevices();
    QVERIFY(m_window->statusReporter().message().isEmpty());
}

void TestMainWindow::selectingKeepsTheScanProgress()
{
    m_window->client().scanTime = 0;
    m_window->onScanDevices();
    QCOMPARE(widget<QProgressBar>("progressBar")->value(), 100);
    m_window->showDevices(sampleDevices());
    selectDevice(indexOfCode("2100"));
    QCOMPARE(widget<QTableWidget>("tableInfo")->item(6, 1)->text(), QStringLiteral("10.0.0.2"));
    QCOMPARE(widget<QProgressBar>("progressBar")->value(), 100);
}

void TestMainWindow::filterNeverLeavesAHiddenDeviceOnAPage_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("entry");
    // A MicroTCA board has no filter entry: applying the filter hides it.
    QTest::newRow("board, info page") << "infoBtn"
                                      << "5100" << -1;
    QTest::newRow("board, firmware page") << "updateBtn"
                                          << "5100" << -1;
    // Choosing another family hides the selected device.
    QTest::newRow("beamline, then supplies") << "infoBtn"
                                             << "2100" << 0;
    QTest::newRow("supply, then transducers, firmware page") << "updateBtn"
                                                             << "1100" << 2;
}

void TestMainWindow::filterNeverLeavesAHiddenDeviceOnAPage()
{
    QFETCH(QString, page);
    QFETCH(QString, selected);
    QFETCH(int, entry);
    m_window->showDevices(sampleDevices());
    QTest::mouseClick(widget<QPushButton>(qPrintable(page)), Qt::LeftButton);
    selectDevice(indexOfCode(selected));
    auto* info = widget<QTableWidget>("tableInfo");
    QVERIFY(info->rowCount() >= 10);
    QTest::mouseClick(widget<QPushButton>("filterBtn"), Qt::LeftButton);
    if (entry >= 0)
        widget<QComboBox>("comboBoxDeviceFilter")->setCurrentIndex(entry);
    const int row = rowOfDevice(indexOfCode(selected));
    QVERIFY(deviceTable()->isRowHidden(row));
    QCOMPARE(m_window->deviceTable().currentDeviceIndex(), int(DeviceTable::noDevice));
    QCOMPARE(info->rowCount(), 0);
    QCOMPARE(widget<QTableWidget>("tableDeviceConfig")->item(0, 1)->text(), QStringLiteral("unknown"));
    QVERIFY(widget<QFrame>("frameWeb")->isHidden());
    QVERIFY(!widget<QPushButton>("saveConfBtn")->isEnabled());
    // Every device the pages could show is one the table shows.
    for (int visibleRow = 0; visibleRow < deviceTable()->rowCount(); ++visibleRow) {
        if (deviceTable()->isRowHidden(visibleRow))
            continue;
        deviceTable()->setCurrentCell(visibleRow, MainWindow::columnGroup);
        QVERIFY(!deviceTable()->isRowHidden(deviceTable()->currentRow()));
    }
}

void TestMainWindow::saveNeedsASelectedDevice()
{
    m_window->showDevices(sampleDevices());
    QTest::mouseClick(widget<QPushButton>("configBtn"), Qt::LeftButton);
    auto* save = widget<QPushButton>("saveConfBtn");
    QVERIFY(!save->isEnabled());
    selectDevice(indexOfCode("2100"));
    QVERIFY(save->isEnabled());
    deviceTable()->setCurrentItem(nullptr);
    deviceTable()->clearSelection();
    QVERIFY(!save->isEnabled());
    // A rescan empties the table: nothing left to save.
    selectDevice(indexOfCode("2100"));
    m_window->client().scanTime = 0;
    m_window->onScanDevices();
    QVERIFY(!save->isEnabled());
}

void TestMainWindow::firstStartFitsTheScreen()
{
    // No size stored yet: the form's 1280 x 720, but no more than the screen offers (nor less than the
    // window needs: the test screen is smaller than any the window is made for).
    const QSize screen = m_window->screen()->availableGeometry().size();
    QCOMPARE(m_window->size(), QSize(1280, 720).boundedTo(screen).expandedTo(m_window->minimumSizeHint()));
}

void TestMainWindow::windowGeometryIsRemembered_data()
{
    QTest::addColumn<bool>("fullScreen");
    QTest::newRow("normal") << false;
    QTest::newRow("full screen") << true;
}

void TestMainWindow::windowGeometryIsRemembered()
{
    QFETCH(bool, fullScreen);
    const QString file = m_home.path() + "/.config/Ostravi/Kestrion/kestrionConfig.ini";
    m_window->resize(1100, 760);
    if (fullScreen)
        widget<QAction>("actionToogle_Full_Screen")->trigger();
    QTRY_COMPARE(m_window->isFullScreen(), fullScreen);
    const QSize normalSize = fullScreen ? m_window->normalGeometry().size() : m_window->size();
    QVERIFY(m_window->close());
    {
        QSettings stored(file, QSettings::IniFormat);
        stored.beginGroup("window");
        QCOMPARE(stored.childKeys(), (QStringList{"fullScreen", "geometry"}));
        QCOMPARE(stored.value("fullScreen").toBool(), fullScreen);
        stored.endGroup();
        // The preferences keep their thirteen keys, each in its own section.
        QStringList preferences = stored.allKeys().filter(QRegularExpression("^(scan|update|tcp)/"));
        QCOMPARE(preferences.size(), 13);
    }
    m_window.reset();
    createWindow();
    QTRY_COMPARE(m_window->isFullScreen(), fullScreen);
    QCOMPARE(widget<QAction>("actionToogle_Full_Screen")->text(),
             fullScreen ? QStringLiteral("Show &Normal") : QStringLiteral("Toggle &Full Screen"));
    if (fullScreen)
        widget<QAction>("actionToogle_Full_Screen")->trigger();
    QTRY_VERIFY(!m_window->isFullScreen());
    QTRY_COMPARE(m_window->size(), normalSize);
    QFile::remove(file);
}

// The window's history reads the journal of the user's data directory, here the test's home, and holds
// its undo back whenever the window holds its sending actions back.
void TestMainWindow::historyOpensFromTheToolsMenu()
{
    Journal journal;
    JournalRecord change;
    change.unit.mac = QStringLiteral("00:11:22:33:44:55");
    change.before = JournalValues::network(QStringLiteral("10.0.0.5"), QStringLiteral("255.255.255.0"),
                                           QStringLiteral("10.0.0.1"), QStringLiteral("0"));
    change.after = JournalValues::network(QStringLiteral("10.0.0.9"), QStringLiteral("255.255.255.0"),
                                          QStringLiteral("10.0.0.1"), QStringLiteral("0"));
    const QString id = journal.begin(change);
    QVERIFY2(!id.isEmpty(), qPrintable(journal.lastError()));
    QVERIFY(journal.complete(id, JournalRecord::Outcome::Succeeded, QString()));

    m_window->findChild<QAction*>(QStringLiteral("actionHistory"))->trigger();
    auto* history = m_window->findChild<HistoryDialog*>();
    QVERIFY(history);
    QVERIFY(history->isVisible());
    auto* table = history->findChild<QTableView*>(QStringLiteral("historyTable"));
    QVERIFY(table->model()->rowCount() >= 1);
    QVERIFY(table->model()
                ->index(0, HistoryTableModel::columnUnit)
                .data()
                .toString()
                .contains(QStringLiteral("00:11:22:33:44:55")));
    table->selectRow(0);
    auto* undo = history->findChild<QPushButton*>(QStringLiteral("historyUndo"));
    QVERIFY(undo->isEnabled());
    m_window->enableUI(false);
    QVERIFY(!undo->isEnabled());
    m_window->enableUI(true);
    QVERIFY(undo->isEnabled());
    history->close();
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
