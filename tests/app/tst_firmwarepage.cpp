// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/firmwarepage.h"
#include "common/pageharness.h"
#include "common/sampledevices.h"
#include "common/testhome.h"
#include "common/widgetanimations.h"
#include "firmware/firmwareupgrade.h"
#include "model/appsettings.h"
#include "scriptedworker.h"
#include "ui_mainwindow.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {
const QString dataDir = QStringLiteral(KESTRION_TEST_DATA "/firmware");
const QString supplyImage = dataDir + QStringLiteral("/power-supply.updt");
const QString driverImage = dataDir + QStringLiteral("/motor-driver.hex");
const QString hexFilter = QStringLiteral("Firmware files (*.hex);;All files (*.*)");
const QString flashFilter = QStringLiteral("Firmware files (*.flash);;All files (*.*)");
const QString updtFilter = QStringLiteral("Firmware files (*.updt);;All files (*.*)");

// A worker that only says who made it.
class StubWorker : public firmwareUpgrade
{
public:
    using firmwareUpgrade::firmwareUpgrade;

protected:
    void run() override { emit signalProcedureCompleted(); }
};
} // namespace

// The firmware page on the window's form alone: the second firmware row, the file filter, the chooser
// and dropped files, the selection rules, the manual address, the upgrade buttons and the saved log.
class TestFirmwarePage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void pageAttributes();
    void secondFirmwareRow_data();
    void secondFirmwareRow();
    void fileFilter_data();
    void fileFilter();
    void chooserFillsItsRow();
    void cancelledChooserChangesNothing();
    void droppedFileBecomesItsPath();
    void typedPathsAreLeftAlone_data();
    void typedPathsAreLeftAlone();
    void selectionRules_data();
    void selectionRules();
    void untickingMotorDriverFreesTheOthers();
    void manualAddressClearsTheSelection();
    void upgradeButtons_data();
    void upgradeButtons();
    void emptyLogIsNotSaved();
    void logIsSavedWhereTheUserSays();
    void unwritableLogIsReported();
    void workersComeFromTheFactory();
    void chosenFileIsCheckedBeforeStart();

private:
    std::unique_ptr<FirmwarePage> makePage(UpgradeWorkerFactory workers = {});
    void wireAsTheWindowDoes(FirmwarePage& page);
    QCheckBox* boxOf(int deviceIndex) const;

    QTemporaryDir m_home;
    std::unique_ptr<PageHarness> m_harness;
    std::unique_ptr<AppSettings> m_settings;
    QString m_fwDefaultDir;
    QString m_firmwareFilter;
    int m_updateTimeout = 120000;
};

void TestFirmwarePage::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    QVERIFY(QFileInfo::exists(supplyImage));
}

void TestFirmwarePage::init()
{
    m_harness = std::make_unique<PageHarness>();
    m_settings = std::make_unique<AppSettings>();
    m_fwDefaultDir = m_home.path();
    m_firmwareFilter = QString::fromLatin1(FirmwarePage::defaultFirmwareFilter);
}

void TestFirmwarePage::cleanup()
{
    m_harness.reset();
    m_settings.reset();
}

void TestFirmwarePage::cleanupTestCase()
{
    letWidgetAnimationsEnd();
}

std::unique_ptr<FirmwarePage> TestFirmwarePage::makePage(UpgradeWorkerFactory workers)
{
    auto page = std::make_unique<FirmwarePage>(m_harness->context(), *m_settings, m_fwDefaultDir, m_firmwareFilter,
                                               m_updateTimeout, std::move(workers));
    page->prepare();
    return page;
}

void TestFirmwarePage::wireAsTheWindowDoes(FirmwarePage& page)
{
    Ui::MainWindow& ui = m_harness->ui;
    connect(&m_harness->table, &DeviceTable::signalSelectionBoxChanged, &page, [&page]() { page.selectedToUpdate(); });
    connect(ui.checkBoxManualIP, &QCheckBox::stateChanged, &page, [&page]() { page.enableManualIP(); });
    for (QLineEdit* field : {ui.lineEditFirmware1, ui.lineEditFirmware2})
        connect(field, &QLineEdit::textChanged, &page, [&page, field]() { page.checkFirmwarePath(field); });
    for (QPushButton* button : {ui.chooseFirmwareBtn, ui.chooseFirmware2Btn})
        connect(button, &QPushButton::released, &page, [&page, button]() { page.chooseFirmware(button); });
}

QCheckBox* TestFirmwarePage::boxOf(int deviceIndex) const
{
    return m_harness->table.selectionBox(m_harness->table.rowOfDevice(deviceIndex));
}

void TestFirmwarePage::pageAttributes()
{
    auto page = makePage();
    Ui::MainWindow& ui = m_harness->ui;
    QCOMPARE(ui.stackedWidgetPageRight->widget(page->stackIndex()), ui.pageUpdate);
    QCOMPARE(page->pageButton(), ui.updateBtn);
    QVERIFY(page->showsSelectionColumn());
    // The firmware page keeps the family filter the user chose.
    QVERIFY(!page->removesFilter());
    QVERIFY(ui.frameDevIP->isHidden());
    ui.plainTextEditFirmware->appendPlainText(QStringLiteral("old run"));
    ui.progressBarFirmware->setValue(70);
    // A run's log and bar stay until the next run starts or the user clears them, whichever page was shown.
    page->aboutToShow();
    QCOMPARE(ui.plainTextEditFirmware->toPlainText(), QStringLiteral("old run"));
    QCOMPARE(ui.progressBarFirmware->value(), 70);
    page->clearLog();
    QVERIFY(ui.plainTextEditFirmware->toPlainText().isEmpty());
    QCOMPARE(ui.progressBarFirmware->value(), 0);
    const QList<QWidget*> controls = {ui.updateFwBtn,        ui.updateFw2Btn,       ui.chooseFirmwareBtn,
                                      ui.chooseFirmware2Btn, ui.lineEditFirmware1,  ui.lineEditFirmware2,
                                      ui.checkBoxManualIP,   ui.lineEditSetManualIP};
    page->setControlsEnabled(false);
    for (QWidget* control : controls)
        QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    page->setControlsEnabled(true);
    for (QWidget* control : controls)
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
}

void TestFirmwarePage::secondFirmwareRow_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("secondRow");
    QTest::addColumn<QString>("caption");
    QTest::newRow("motor driver") << "4200" << true << "Communication Firmware";
    QTest::newRow("xport module") << "4100" << true << "Communication Firmware";
    QTest::newRow("power supply") << "1100" << false << "Select Firmware";
    QTest::newRow("no device") << "" << false << "Select Firmware";
}

void TestFirmwarePage::secondFirmwareRow()
{
    QFETCH(QString, code);
    QFETCH(bool, secondRow);
    QFETCH(QString, caption);
    auto page = makePage();
    Ui::MainWindow& ui = m_harness->ui;
    // Shown before for a motor driver: each call starts from the plain row.
    m_harness->showDevices({makeDevice(QStringLiteral("4200"), QStringLiteral("10.0.0.4"))});
    m_harness->selectRowOf(0);
    page->addRemoveSecondFirmware();
    QVERIFY(!ui.widgetFirmware2->isHidden());
    m_harness->showDevices(code.isEmpty() ? QList<Device_t>{} : QList<Device_t>{makeDevice(code, "10.0.0.9")});
    if (!code.isEmpty())
        m_harness->selectRowOf(0);
    page->addRemoveSecondFirmware();
    QCOMPARE(!ui.widgetFirmware2->isHidden(), secondRow);
    QCOMPARE(ui.selectFirmwareLabel_4->text(), caption);
    if (secondRow)
        QCOMPARE(ui.labelSelectFirmware2->text(), QStringLiteral("Control Firmware"));
}

void TestFirmwarePage::fileFilter_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("filter");
    QTest::newRow("motor driver") << "4200" << hexFilter;
    QTest::newRow("vesk supply") << "1600" << flashFilter;
    QTest::newRow("power supply") << "1100" << updtFilter;
    QTest::newRow("supply in recovery") << "1F80" << updtFilter;
    QTest::newRow("beamline") << "2100" << flashFilter;
    QTest::newRow("transducer") << "3100" << QStringLiteral("All files (*.*)");
    QTest::newRow("board") << "5100" << QStringLiteral("All files (*.*)");
}

void TestFirmwarePage::fileFilter()
{
    QFETCH(QString, code);
    QFETCH(QString, filter);
    auto page = makePage();
    QCOMPARE(m_firmwareFilter, updtFilter);
    m_harness->showDevices({makeDevice(code, QStringLiteral("10.0.0.9"))});
    m_harness->selectRowOf(0);
    page->changeFirmwareFilter();
    QCOMPARE(m_firmwareFilter, filter);
    // Without a current device the filter keeps its value.
    m_harness->table.widget()->setCurrentItem(nullptr);
    page->changeFirmwareFilter();
    QCOMPARE(m_firmwareFilter, filter);
    page->chooseFirmware(m_harness->ui.chooseFirmwareBtn);
    QCOMPARE(m_harness->prompts.openDialogs.last().filter, filter);
}

void TestFirmwarePage::chooserFillsItsRow()
{
    auto page = makePage();
    Ui::MainWindow& ui = m_harness->ui;
    FakePrompts& prompts = m_harness->prompts;
    ui.plainTextEditFirmware->appendPlainText(QStringLiteral("old run"));
    ui.progressBarFirmware->setValue(95);
    prompts.fileName = supplyImage;
    page->chooseFirmware(ui.chooseFirmwareBtn);
    QCOMPARE(prompts.openDialogs.size(), 1);
    QCOMPARE(prompts.openDialogs.first().caption, QStringLiteral("Open Firmware File"));
    QCOMPARE(prompts.openDialogs.first().path, m_home.path());
    QCOMPARE(ui.lineEditFirmware1->text(), supplyImage);
    QVERIFY(ui.lineEditFirmware2->text().isEmpty());
    QCOMPARE(m_fwDefaultDir, QDir(dataDir).absolutePath());
    QCOMPARE(AppSettings().getFwDefaultDir(), QDir(dataDir).absolutePath());
    // The last run's log stays: only a new run or the user clears it.
    QCOMPARE(ui.plainTextEditFirmware->toPlainText(), QStringLiteral("old run"));
    QCOMPARE(ui.progressBarFirmware->value(), 95);
    // The second chooser fills the second row and opens where the first file was.
    prompts.fileName = driverImage;
    page->chooseFirmware(ui.chooseFirmware2Btn);
    QCOMPARE(prompts.openDialogs.last().path, QDir(dataDir).absolutePath());
    QCOMPARE(ui.lineEditFirmware1->text(), supplyImage);
    QCOMPARE(ui.lineEditFirmware2->text(), driverImage);
    // Only the two chooser buttons choose.
    page->chooseFirmware(ui.updateFwBtn);
    page->chooseFirmware(nullptr);
    QCOMPARE(prompts.openDialogs.size(), 2);
}

void TestFirmwarePage::cancelledChooserChangesNothing()
{
    auto page = makePage();
    Ui::MainWindow& ui = m_harness->ui;
    ui.lineEditFirmware1->setText(QStringLiteral("/earlier/choice.updt"));
    ui.plainTextEditFirmware->appendPlainText(QStringLiteral("kept"));
    page->chooseFirmware(ui.chooseFirmwareBtn);
    QCOMPARE(m_harness->prompts.openDialogs.size(), 1);
    QCOMPARE(ui.lineEditFirmware1->text(), QStringLiteral("/earlier/choice.updt"));
    QCOMPARE(m_fwDefaultDir, m_home.path());
    QCOMPARE(ui.plainTextEditFirmware->toPlainText(), QStringLiteral("kept"));
}

void TestFirmwarePage::droppedFileBecomesItsPath()
{
    auto page = makePage();
    wireAsTheWindowDoes(*page);
    Ui::MainWindow& ui = m_harness->ui;
    ui.plainTextEditFirmware->appendPlainText(QStringLiteral("old run"));
    // A drop from a file manager puts the file's URL into the field, sometimes with a line end.
    ui.lineEditFirmware2->setText(QUrl::fromLocalFile(driverImage).toString() + QStringLiteral("  "));
    QCOMPARE(ui.lineEditFirmware2->text(), driverImage);
    QCOMPARE(m_fwDefaultDir, QDir(dataDir).absolutePath());
    QCOMPARE(AppSettings().getFwDefaultDir(), QDir(dataDir).absolutePath());
    QCOMPARE(ui.plainTextEditFirmware->toPlainText(), QStringLiteral("old run"));
    // The chooser then opens in the dropped file's directory.
    page->chooseFirmware(ui.chooseFirmwareBtn);
    QCOMPARE(m_harness->prompts.openDialogs.last().path, QDir(dataDir).absolutePath());
}

void TestFirmwarePage::typedPathsAreLeftAlone_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("absolute path") << "/opt/images/supply.updt";
    QTest::newRow("relative path") << "images/supply.updt";
    QTest::newRow("web address") << "http://example.invalid/supply.updt";
    QTest::newRow("half typed") << "fil";
}

void TestFirmwarePage::typedPathsAreLeftAlone()
{
    QFETCH(QString, text);
    auto page = makePage();
    wireAsTheWindowDoes(*page);
    m_harness->ui.plainTextEditFirmware->appendPlainText(QStringLiteral("kept"));
    m_harness->ui.lineEditFirmware1->setText(text);
    QCOMPARE(m_harness->ui.lineEditFirmware1->text(), text);
    QCOMPARE(m_fwDefaultDir, m_home.path());
    QCOMPARE(m_harness->ui.plainTextEditFirmware->toPlainText(), QStringLiteral("kept"));
}

void TestFirmwarePage::selectionRules_data()
{
    QTest::addColumn<QString>("ticked");
    QTest::addColumn<int>("parallel");
    QTest::addColumn<QString>("secondDriverIp");
    QTest::addColumn<QStringList>("usable");
    const QString ownModule = QStringLiteral("10.0.0.3");
    // Only devices of one catalog code form a sequence, other power-supply models included.
    QTest::newRow("power supply") << "1100" << 4 << ownModule << QStringList{"1100", "1100"};
    QTest::newRow("vesk supply") << "1600" << 4 << ownModule << QStringList{"1600"};
    // One motor driver at a time, even beside another one, when units go one after another.
    QTest::newRow("motor driver alone") << "4200" << 1 << ownModule << QStringList{"4200"};
    // Units at once: motor drivers together, each behind a module of its own.
    QTest::newRow("motor drivers at once") << "4200" << 4 << ownModule << QStringList{"4200", "4200"};
    QTest::newRow("motor drivers behind one module") << "4200" << 4 << QString() << QStringList{"4200"};
    QTest::newRow("beamline") << "2100" << 4 << ownModule << QStringList{"2100"};
}

void TestFirmwarePage::selectionRules()
{
    QFETCH(QString, ticked);
    QFETCH(int, parallel);
    QFETCH(QString, secondDriverIp);
    QFETCH(QStringList, usable);
    m_settings->setParallelUpgrades(parallel);
    auto page = makePage();
    wireAsTheWindowDoes(*page);
    QList<Device_t> devices = sampleDevices();
    const int firstDriver = int(std::find_if(devices.cbegin(), devices.cend(),
                                             [](const Device_t& unit) { return unit.code == QLatin1String("4200"); }) -
                                devices.cbegin());
    Device_t secondDriver =
        makeDevice(QStringLiteral("4200"), secondDriverIp.isEmpty() ? devices.at(firstDriver).ip : secondDriverIp);
    secondDriver.mac = QStringLiteral("02:00:00:00:42:01");
    devices << makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.1")) << secondDriver;
    m_harness->showDevices(devices);
    // Rows and devices no longer match once the user sorts.
    m_harness->table.widget()->sortItems(DeviceTable::columnIp, Qt::DescendingOrder);
    const int index = indexOfCode(ticked);
    QVERIFY(m_harness->table.rowOfDevice(index) != index);
    boxOf(index)->setChecked(true);
    QList<bool> expected = QVector<bool>(devices.size(), false).toList();
    expected[index] = true;
    QCOMPARE(m_harness->selected, expected);
    QStringList enabled;
    for (int i = 0; i < devices.size(); ++i) {
        if (boxOf(i)->isEnabled())
            enabled << devices.at(i).code;
    }
    QCOMPARE(enabled, usable);
}

void TestFirmwarePage::untickingMotorDriverFreesTheOthers()
{
    auto page = makePage();
    wireAsTheWindowDoes(*page);
    m_harness->showDevices(sampleDevices());
    const int driver = indexOfCode(QStringLiteral("4200"));
    boxOf(driver)->setChecked(true);
    QVERIFY(!boxOf(0)->isEnabled());
    boxOf(driver)->setChecked(false);
    // Every unit with a firmware procedure: not the current transducer, the MicroTCA board or the test tool.
    const QStringList withoutProcedure = {QStringLiteral("3100"), QStringLiteral("5100"), QStringLiteral("6100")};
    for (int i = 0; i < m_harness->devices.size(); ++i)
        QCOMPARE(boxOf(i)->isEnabled(), !withoutProcedure.contains(m_harness->devices.at(i).code));
    QVERIFY(!m_harness->selected.contains(true));
}

void TestFirmwarePage::manualAddressClearsTheSelection()
{
    auto page = makePage();
    wireAsTheWindowDoes(*page);
    Ui::MainWindow& ui = m_harness->ui;
    m_harness->showDevices(sampleDevices());
    boxOf(0)->setChecked(true);
    QVERIFY(m_harness->selected.at(0));
    ui.checkBoxManualIP->setChecked(true);
    QVERIFY(!ui.frameDevIP->isHidden());
    QVERIFY(!ui.tableWidgetDeviceFirstTable->isEnabled());
    QVERIFY(!boxOf(0)->isChecked());
    QVERIFY(!m_harness->selected.contains(true));
    ui.checkBoxManualIP->setChecked(false);
    QVERIFY(ui.frameDevIP->isHidden());
    QVERIFY(ui.tableWidgetDeviceFirstTable->isEnabled());
}

void TestFirmwarePage::upgradeButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("manual");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString noFile = QStringLiteral("ERROR: Please select a valid firmware!");
    const QString noDevice = QStringLiteral("ERROR: Select the devices to update!");
    const QString done = QStringLiteral("Device succesfuly updated!");
    QTest::newRow("no file") << 1 << "" << false << true << "Firmware" << noFile;
    QTest::newRow("placeholder") << 1 << "/..." << false << true << "Firmware" << noFile;
    QTest::newRow("second row empty") << 2 << "" << false << true << "Firmware" << noFile;
    QTest::newRow("nothing selected") << 1 << supplyImage << false << false << "Devices to Update" << noDevice;
    QTest::newRow("device selected") << 1 << supplyImage << false << true << "Firmware Upgrade" << done;
    // The second row's own file, told apart from the first row's by its name.
    const QString secondImage = m_home.filePath(QStringLiteral("second-supply.updt"));
    QFile::remove(secondImage);
    QVERIFY(QFile::copy(supplyImage, secondImage));
    QTest::newRow("second row") << 2 << secondImage << false << true << "Firmware Upgrade" << done;
    // A typed address needs no device in the table.
    QTest::newRow("manual address") << 1 << supplyImage << true << false << "Firmware Upgrade" << done;
}

void TestFirmwarePage::upgradeButtons()
{
    QFETCH(int, button);
    QFETCH(QString, path);
    QFETCH(bool, manual);
    QFETCH(bool, tick);
    QFETCH(QString, title);
    QFETCH(QString, text);
    ScriptedWorkers workers;
    workers.story = ScriptedWorkers::completes;
    auto page = makePage(workers.factory());
    wireAsTheWindowDoes(*page);
    Ui::MainWindow& ui = m_harness->ui;
    if (!manual)
        m_harness->showDevices(sampleDevices());
    if (tick)
        boxOf(0)->setChecked(true);
    ui.checkBoxManualIP->setChecked(manual);
    // The field starts empty: the address is always one the user typed. The workers here are scripted.
    if (manual)
        ui.lineEditSetManualIP->setText(QStringLiteral("10.0.0.99"));
    (button == 1 ? ui.lineEditFirmware1 : ui.lineEditFirmware2)->setText(path);
    (button == 1 ? ui.lineEditFirmware2 : ui.lineEditFirmware1)->setText(supplyImage);
    if (button == 1)
        page->buttonUpFwPressed();
    else
        page->buttonUpFwPressed2();
    QTRY_COMPARE(m_harness->prompts.boxes.size(), 1);
    QTRY_VERIFY(!page->upgradeRunning());
    const bool started = text == QLatin1String("Device succesfuly updated!");
    QCOMPARE(m_harness->prompts.boxes.first().kind,
             started ? QStringLiteral("information") : QStringLiteral("critical"));
    QCOMPARE(m_harness->prompts.boxes.first().title, title);
    // A completed run adds what the rescan says of each unit's version.
    if (started)
        QVERIFY(m_harness->prompts.boxes.first().text.startsWith(text));
    else
        QCOMPARE(m_harness->prompts.boxes.first().text, text);
    QCOMPARE(workers.count(), started ? 1 : 0);
    if (started)
        QCOMPARE(workers.made().first().firmwarePath, path);
}

void TestFirmwarePage::emptyLogIsNotSaved()
{
    auto page = makePage();
    m_harness->prompts.fileName = m_home.filePath(QStringLiteral("never.txt"));
    page->downloadLog();
    QVERIFY(m_harness->prompts.saveDialogs.isEmpty());
    QVERIFY(!QFileInfo::exists(m_harness->prompts.fileName));
}

void TestFirmwarePage::logIsSavedWhereTheUserSays()
{
    auto page = makePage();
    FakePrompts& prompts = m_harness->prompts;
    m_harness->ui.plainTextEditFirmware->appendPlainText(QStringLiteral("Connecting to 10.0.0.9"));
    m_harness->ui.plainTextEditFirmware->appendPlainText(QStringLiteral("Fiwmware uploaded!"));
    // Cancelled: nothing is written.
    page->downloadLog();
    QCOMPARE(prompts.saveDialogs.size(), 1);
    const FakePrompts::FileDialog dialog = prompts.saveDialogs.first();
    QCOMPARE(dialog.caption, QStringLiteral("Save File"));
    QCOMPARE(dialog.filter, QStringLiteral("Text files (*.txt)"));
    const QRegularExpression proposed(
        QStringLiteral("^%1/Downloads/update_log_\\d{4}_\\d{2}_\\d{2}_\\d{2}_\\d{2}\\.txt$")
            .arg(QRegularExpression::escape(QDir::homePath())));
    QVERIFY2(proposed.match(dialog.path).hasMatch(), qPrintable(dialog.path));
    QVERIFY(dialog.path.contains(QDate::currentDate().toString(QStringLiteral("yyyy_MM_dd"))) ||
            dialog.path.contains(QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyy_MM_dd"))));
    // Chosen: the log replaces whatever the file held.
    prompts.fileName = m_home.filePath(QStringLiteral("saved-log.txt"));
    QFile file(prompts.fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("an older and much longer log that must not survive\n");
    file.close();
    page->downloadLog();
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromUtf8(file.readAll()), QStringLiteral("Connecting to 10.0.0.9\nFiwmware uploaded!"));
    QVERIFY(prompts.boxes.isEmpty());
}

void TestFirmwarePage::unwritableLogIsReported()
{
    auto page = makePage();
    m_harness->ui.plainTextEditFirmware->appendPlainText(QStringLiteral("line"));
    m_harness->prompts.fileName = m_home.filePath(QStringLiteral("missing-dir/log.txt"));
    page->downloadLog();
    QCOMPARE(m_harness->prompts.boxes.size(), 1);
    QCOMPARE(m_harness->prompts.boxes.first().kind, QStringLiteral("critical"));
    QCOMPARE(m_harness->prompts.boxes.first().title, QStringLiteral("Save File"));
    QVERIFY(m_harness->prompts.boxes.first().text.startsWith(QStringLiteral("Unable to write ")));
}

void TestFirmwarePage::workersComeFromTheFactory()
{
    QStringList calls;
    auto page = makePage([&calls](QObject* parent, const QString& path, int count, const QList<bool>& selected,
                                  const QList<Device_t>& devices, const QString& manualIp) -> firmwareUpgrade* {
        calls << QStringLiteral("%1 %2 %3").arg(path).arg(count).arg(manualIp);
        return new StubWorker(parent, path, count, selected, devices, manualIp);
    });
    QObject owner;
    std::unique_ptr<firmwareUpgrade> worker(page->workers()(&owner, supplyImage, 2, {true, false}, {}, QString()));
    QVERIFY(dynamic_cast<StubWorker*>(worker.get()));
    QCOMPARE(worker->parent(), &owner);
    QCOMPARE(calls, QStringList{supplyImage + QStringLiteral(" 2 ")});
    // Without a factory the page makes the real worker.
    auto plain = makePage();
    std::unique_ptr<firmwareUpgrade> real(plain->workers()(nullptr, supplyImage, 1, {true}, {}, QString()));
    QVERIFY(real);
    QVERIFY(!dynamic_cast<StubWorker*>(real.get()));
}

// The check's verdict shows under the field as soon as a file is chosen, for the units then selected.
void TestFirmwarePage::chosenFileIsCheckedBeforeStart()
{
    auto page = makePage();
    wireAsTheWindowDoes(*page);
    Ui::MainWindow& ui = m_harness->ui;
    auto* label = m_harness->window.findChild<QLabel*>(QStringLiteral("labelImageCheck1"));
    QVERIFY(label && label->isHidden());
    m_harness->showDevices({makeDevice(QStringLiteral("4200"), QStringLiteral("10.0.0.4")),
                            makeDevice(QStringLiteral("1100"), QStringLiteral("10.0.0.5"))});
    auto choose = [&](const QString& name, const QByteArray& content) {
        m_harness->prompts.fileName = m_home.filePath(name);
        QFile file(m_harness->prompts.fileName);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        QTest::mouseClick(ui.chooseFirmwareBtn, Qt::LeftButton);
    };
    const QByteArray hex(":02000004003EBC\r\n:10800000000102030405060708090A0B0C0D0E0FF8\r\n:00000001FF\r\n");
    choose(QStringLiteral("driver.hex"), hex);
    const QString digest = QCryptographicHash::hash(hex, QCryptographicHash::Sha256).toHex().left(8);
    QCOMPARE(label->text(), "Intel HEX image: 3E8000-3E8007 (words), 16 bytes, SHA-256 " + digest + QChar(0x2026));
    QVERIFY(!label->isHidden());
    auto* column = qobject_cast<QBoxLayout*>(ui.layoutFirmware1->parent());
    QVERIFY(column && column->indexOf(label) == column->indexOf(ui.layoutFirmware1) + 1);
    QVERIFY(label->palette().color(QPalette::WindowText) != Qt::red);
    boxOf(0)->setChecked(true);
    choose(QStringLiteral("low.hex"), ":10000000000102030405060708090A0B0C0D0E0F78\r\n:00000001FF\r\n");
    QVERIFY2(label->text().startsWith("line 1, column 4: "), qPrintable(label->text()));
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::red));
    // The selection decides the kind: a motor driver takes no S-records.
    choose(QStringLiteral("beamline.flash"), "S1130000000102030405060708090A0B0C0D0E0F74\r\nS9030000FC\r\n");
    QCOMPARE(label->text(), QStringLiteral("beamline.flash looks like an S-record image; the selected units are motor "
                                           "drivers, which take .hex images"));
    // Another family's selection clears the file, and the line with it.
    boxOf(0)->setChecked(false);
    boxOf(1)->setChecked(true);
    QVERIFY(ui.lineEditFirmware1->text().isEmpty());
    QVERIFY(label->isHidden());
}

QTEST_MAIN(TestFirmwarePage)
#include "tst_firmwarepage.moc"
