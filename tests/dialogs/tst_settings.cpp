// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

#include "common/fakeprompts.h"
#include "dialogs/settings.h"

namespace {

// The values the main window passes in at start: the settings store's defaults.
constexpr int defaultScanTime = 200;
constexpr int defaultUpdateTimeout = 120000;
constexpr int defaultThreads = 10;
constexpr int defaultParallel = 4;
constexpr int defaultMaxFailures = 3;
constexpr int defaultWait = 1000;

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void formHasItsControls_data();
    void formHasItsControls();
    void spinBoxRanges_data();
    void spinBoxRanges();
    void windowAndButtons();
    void tabOrderFollowsTheForm();

    void untouchedApplyEmitsOnlyUnicastFlagAndClose();
    void scanTimeoutIsRoundedToTheControl();
    void editedValuesAreEmitted_data();
    void editedValuesAreEmitted();
    void cancelEmitsOnlyClose();
    void upgradeRunLimits_data();
    void upgradeRunLimits();

    void addressValidationDrivesApply_data();
    void addressValidationDrivesApply();
    void disabledApplySaysWhy_data();
    void disabledApplySaysWhy();
    void uncheckingUnicastEnablesApplyAndFields();
    void unicastUncheckedIgnoresAddressFields();
    void unicastCheckedEmitsRange();
    void showFlagUnicastSetsTheFields();

    void unicastRangeBound_data();
    void unicastRangeBound();

    void returnClicksFocusedButtonSpaceDoesNothing();

private:
    void fillWithDefaults();
    void recordSignals();
    template <typename T> T* child(const char* name);

    FakePrompts* m_prompts = nullptr;
    Settings* m_dialog = nullptr;
    QStringList m_emitted;
};

template <typename T> T* TestSettings::child(const char* name)
{
    auto* widget = m_dialog->findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

void TestSettings::init()
{
    m_prompts = new FakePrompts;
    m_dialog = new Settings(nullptr, m_prompts);
    m_emitted.clear();
    fillWithDefaults();
    recordSignals();
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
}

void TestSettings::cleanup()
{
    delete m_dialog;
    delete m_prompts;
}

void TestSettings::fillWithDefaults()
{
    m_dialog->showBroadcastTime(defaultScanTime);
    m_dialog->showTimeout(defaultUpdateTimeout);
    m_dialog->showFlagManualIP(false);
    m_dialog->showFlagUnicast(false);
    m_dialog->showStartIP(QHostAddress(QStringLiteral("192.168.0.1")));
    m_dialog->showStopIP(QHostAddress(QStringLiteral("192.168.0.254")));
    m_dialog->showNumbeOfThreads(defaultThreads);
    m_dialog->showWaitForBytesWritten(defaultWait);
    m_dialog->showWaitForReadyRead(defaultWait);
    m_dialog->showWaitForConnected(defaultWait);
    m_dialog->showParallelUpgrades(defaultParallel);
    m_dialog->showMaxFailures(defaultMaxFailures);
}

void TestSettings::recordSignals()
{
    auto record = [this](const char* name) {
        return [this, name](auto value) {
            m_emitted << QStringLiteral("%1(%2)").arg(QLatin1String(name), QVariant(value).toString());
        };
    };
    auto recordAddress = [this](const char* name) {
        return [this, name](const QHostAddress& ip) {
            m_emitted << QStringLiteral("%1(%2)").arg(QLatin1String(name), ip.toString());
        };
    };
    connect(m_dialog, &Settings::signalChangeBroadcastTime, this, record("broadcastTime"));
    connect(m_dialog, &Settings::signalChangeTimeout, this, record("timeout"));
    connect(m_dialog, &Settings::signalChangeFlagManualIP, this, record("manualIP"));
    connect(m_dialog, &Settings::signalChangeFlagUnicast, this, record("unicast"));
    connect(m_dialog, &Settings::signalChangeStartIp, this, recordAddress("startIp"));
    connect(m_dialog, &Settings::signalChangeEndIp, this, recordAddress("endIp"));
    connect(m_dialog, &Settings::signalChangeNumbeOfThreads, this, record("threads"));
    connect(m_dialog, &Settings::signalChangeWaitForBytesWritten, this, record("waitWritten"));
    connect(m_dialog, &Settings::signalChangeWaitForReadyRead, this, record("waitRead"));
    connect(m_dialog, &Settings::signalChangeWaitForConnected, this, record("waitConnected"));
    connect(m_dialog, &Settings::signalChangeParallelUpgrades, this, record("parallel"));
    connect(m_dialog, &Settings::signalChangeMaxFailures, this, record("maxFailures"));
    connect(m_dialog, &Settings::signalClose, this, [this] { m_emitted << QStringLiteral("close"); });
}

void TestSettings::formHasItsControls_data()
{
    QTest::addColumn<QString>("labelName");
    QTest::addColumn<QString>("text");
    QTest::newRow("scan timeout") << "labelBroadcastTime"
                                  << "Scan Timeout [s] ";
    QTest::newRow("unicast range") << "labelUnicastRange"
                                   << "Unicast Scan Range";
    QTest::newRow("update timeout") << "labelTimeout"
                                    << "Update Timeout [s]";
    QTest::newRow("warning") << "labelWarning"
                             << "*This option works only for Power Supplies in Recovery Mode";
    QTest::newRow("threads") << "labelThreadsNumber"
                             << "Number of Threads";
    QTest::newRow("bytes written") << "labelWaitForBytesWritten"
                                   << "Wait for bytes written [ms]";
    QTest::newRow("ready read") << "labelWaitForReadyRead"
                                << "Wait for ready read [ms]";
    QTest::newRow("connected") << "labelWaitForConnected"
                               << "Wait for connected [ms]";
    QTest::newRow("units at once") << "labelParallel"
                                   << "Units at once";
    QTest::newRow("failure limit") << "labelMaxFailures"
                                   << "Failure limit";
    QTest::newRow("scan group") << "labelScanOptions"
                                << "Scan Options";
    QTest::newRow("update group") << "labelFirmwareOptions"
                                  << "Firmware Update Options";
    QTest::newRow("upgrade runs group") << "labelUpgradeRuns"
                                        << "Upgrade Runs";
    QTest::newRow("tcp group") << "labelTcpOptions"
                               << "TCP Options";
}

void TestSettings::formHasItsControls()
{
    QFETCH(QString, labelName);
    QFETCH(QString, text);
    auto* label = m_dialog->findChild<QLabel*>(labelName);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
}

void TestSettings::spinBoxRanges_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("step");
    QTest::newRow("scan timeout") << "doubleSpinBoxBroadcastTime" << 2 << 0.0 << 99.99 << 1.0;
    QTest::newRow("update timeout") << "doubleSpinBoxTimeout" << 0 << 0.0 << 1000.0 << 1.0;
    QTest::newRow("threads") << "doubleSpinBoxThreadsNumber" << 0 << 0.0 << 50.0 << 1.0;
    QTest::newRow("bytes written") << "doubleSpinBoxWaitForBytesWritten" << 0 << 0.0 << 10000.0 << 100.0;
    QTest::newRow("ready read") << "doubleSpinBoxWaitForReadyRead" << 0 << 0.0 << 10000.0 << 100.0;
    QTest::newRow("connected") << "doubleSpinBoxWaitForConnected" << 0 << 0.0 << 10000.0 << 100.0;
}

void TestSettings::spinBoxRanges()
{
    QFETCH(QString, name);
    auto* box = m_dialog->findChild<QDoubleSpinBox*>(name);
    QVERIFY(box);
    QTEST(box->decimals(), "decimals");
    QTEST(box->minimum(), "minimum");
    QTEST(box->maximum(), "maximum");
    QTEST(box->singleStep(), "step");
}

void TestSettings::windowAndButtons()
{
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Settings"));
    QCOMPARE(m_dialog->size(), QSize(600, 400));
    QCOMPARE(m_dialog->minimumSize(), QSize(600, 400));
    QCOMPARE(m_dialog->maximumSize(), QSize(600, 400));
    QCOMPARE(m_dialog->styleSheet(),
             QStringLiteral(
                 "\n#frameAppearance,  #frameBroadcast, #frameManualIP, #frameTimeout, "
                 "#frameTcpOptions, #frameUpgradeRuns\n{\n\tbackground-color: #fafafa;\n\tborder-radius: 10px;\n}"));
    for (const char* frame : {"frameBroadcast", "frameTimeout", "frameTcpOptions", "frameUpgradeRuns"})
        QVERIFY2(m_dialog->findChild<QFrame*>(QLatin1String(frame)), frame);

    auto* cancel = child<QPushButton>("closeBtn");
    auto* apply = child<QPushButton>("applyBtn");
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(apply->text(), QStringLiteral("Apply"));
    QVERIFY(!cancel->icon().isNull());
    QVERIFY(!apply->icon().isNull());
    QVERIFY(!apply->autoDefault());
    QVERIFY(!apply->isDefault());
    QVERIFY(!cancel->isDefault());

    QCOMPARE(child<QCheckBox>("checkBoxEnableUnicast")->text(), QStringLiteral("Enable Unicast Scan"));
    QCOMPARE(child<QCheckBox>("checkBoxEnable")->text(), QStringLiteral("Enable Manual IP Option*"));

    Settings fresh(nullptr, m_prompts);
    auto* start = fresh.findChild<QLineEdit*>(QStringLiteral("lineEditStart"));
    auto* stop = fresh.findChild<QLineEdit*>(QStringLiteral("lineEditStop"));
    QCOMPARE(start->text(), QStringLiteral("192.168.0.10"));
    QCOMPARE(stop->text(), QStringLiteral("192.168.0.20"));
    QVERIFY(!start->isEnabled());
    QVERIFY(!stop->isEnabled());
    QVERIFY(!fresh.findChild<QCheckBox*>(QStringLiteral("checkBoxEnableUnicast"))->isChecked());
}

void TestSettings::tabOrderFollowsTheForm()
{
    child<QCheckBox>("checkBoxEnableUnicast")->setChecked(true);
    m_dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog));
    const QList<QWidget*> order{child<QLineEdit>("lineEditStart"),
                                child<QLineEdit>("lineEditStop"),
                                child<QDoubleSpinBox>("doubleSpinBoxBroadcastTime"),
                                child<QDoubleSpinBox>("doubleSpinBoxTimeout"),
                                child<QCheckBox>("checkBoxEnable"),
                                child<QSpinBox>("spinBoxParallel"),
                                child<QSpinBox>("spinBoxMaxFailures"),
                                child<QPushButton>("closeBtn"),
                                child<QPushButton>("applyBtn")};
    order.first()->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(order.first()->hasFocus());
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY2(order[i]->hasFocus(), qPrintable(order[i]->objectName()));
    }
}

void TestSettings::untouchedApplyEmitsOnlyUnicastFlagAndClose()
{
    // 120000 ms shows as 120 s and comes back unchanged: no time-out signal.
    QCOMPARE(child<QDoubleSpinBox>("doubleSpinBoxTimeout")->value(), 120.0);
    QTest::mouseClick(child<QPushButton>("applyBtn"), Qt::LeftButton);
    QCOMPARE(m_emitted, QStringList({"unicast(false)", "close"}));
}

void TestSettings::scanTimeoutIsRoundedToTheControl()
{
    m_dialog->showBroadcastTime(1234);
    QCOMPARE(child<QDoubleSpinBox>("doubleSpinBoxBroadcastTime")->text(), QStringLiteral("1.23"));
    QTest::mouseClick(child<QPushButton>("applyBtn"), Qt::LeftButton);
    QCOMPARE(m_emitted, QStringList({"broadcastTime(1230)", "unicast(false)", "close"}));
}

void TestSettings::editedValuesAreEmitted_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("scan timeout 99.5 s") << "doubleSpinBoxBroadcastTime" << 99.5 << "broadcastTime(99500)";
    QTest::newRow("update timeout 300 s") << "doubleSpinBoxTimeout" << 300.0 << "timeout(300000)";
    QTest::newRow("update timeout 0") << "doubleSpinBoxTimeout" << 0.0 << "timeout(0)";
    QTest::newRow("threads 0") << "doubleSpinBoxThreadsNumber" << 0.0 << "threads(0)";
    QTest::newRow("threads 50") << "doubleSpinBoxThreadsNumber" << 50.0 << "threads(50)";
    QTest::newRow("bytes written") << "doubleSpinBoxWaitForBytesWritten" << 2500.0 << "waitWritten(2500)";
    QTest::newRow("ready read") << "doubleSpinBoxWaitForReadyRead" << 0.0 << "waitRead(0)";
    QTest::newRow("connected") << "doubleSpinBoxWaitForConnected" << 10000.0 << "waitConnected(10000)";
}

void TestSettings::editedValuesAreEmitted()
{
    QFETCH(QString, control);
    QFETCH(double, value);
    QFETCH(QString, expected);
    m_dialog->findChild<QDoubleSpinBox*>(control)->setValue(value);
    QTest::mouseClick(child<QPushButton>("applyBtn"), Qt::LeftButton);
    QCOMPARE(m_emitted, QStringList({expected, "unicast(false)", "close"}));
}

void TestSettings::cancelEmitsOnlyClose()
{
    child<QDoubleSpinBox>("doubleSpinBoxBroadcastTime")->setValue(5);
    child<QDoubleSpinBox>("doubleSpinBoxThreadsNumber")->setValue(3);
    child<QCheckBox>("checkBoxEnable")->setChecked(true);
    child<QCheckBox>("checkBoxEnableUnicast")->setChecked(true);
    QTest::mouseClick(child<QPushButton>("closeBtn"), Qt::LeftButton);
    QCOMPARE(m_emitted, QStringList({"close"}));
}

void TestSettings::upgradeRunLimits_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("typed");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one unit at a time") << "spinBoxParallel" << 1 << QStringList{"parallel(1)"};
    QTest::newRow("most units at once") << "spinBoxParallel" << 32 << QStringList{"parallel(32)"};
    QTest::newRow("more than the most") << "spinBoxParallel" << 33 << QStringList{"parallel(3)"};
    QTest::newRow("default kept") << "spinBoxParallel" << defaultParallel << QStringList{};
    QTest::newRow("failure limit 10") << "spinBoxMaxFailures" << 10 << QStringList{"maxFailures(10)"};
    QTest::newRow("failure limit 0") << "spinBoxMaxFailures" << 0 << QStringList{};
}

// Typed as the user types them: a key that would leave what the store accepts is refused.
void TestSettings::upgradeRunLimits()
{
    QFETCH(QString, control);
    QFETCH(int, typed);
    QFETCH(QStringList, expected);
    auto* box = m_dialog->findChild<QSpinBox*>(control);
    QVERIFY(box);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QString::number(typed));
    box->interpretText();
    QTest::mouseClick(child<QPushButton>("applyBtn"), Qt::LeftButton);
    QCOMPARE(m_emitted, expected + QStringList({"unicast(false)", "close"}));
}

void TestSettings::addressValidationDrivesApply_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("applyEnabled");
    QTest::newRow("incomplete start") << "lineEditStart"
                                      << "192.168.0." << false;
    QTest::newRow("complete start") << "lineEditStart"
                                    << "192.168.0.7" << true;
    QTest::newRow("IPv6 start") << "lineEditStart"
                                << "fe80::1" << false;
    QTest::newRow("IPv6 loopback stop") << "lineEditStop"
                                        << "::1" << false;
    QTest::newRow("empty stop") << "lineEditStop"
                                << "" << false;
    QTest::newRow("word stop") << "lineEditStop"
                               << "gateway" << false;
    QTest::newRow("octet too big") << "lineEditStop"
                                   << "192.168.0.256" << false;
    QTest::newRow("valid stop") << "lineEditStop"
                                << "10.0.0.20" << true;
}

void TestSettings::addressValidationDrivesApply()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, applyEnabled);
    child<QCheckBox>("checkBoxEnableUnicast")->setChecked(true);
    auto* edit = m_dialog->findChild<QLineEdit*>(field);
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, text);
    QCOMPARE(child<QPushButton>("applyBtn")->isEnabled(), applyEnabled);
}

void TestSettings::disabledApplySaysWhy_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<QString>("reason");
    QTest::newRow("both fine") << "192.168.0.1"
                               << "192.168.0.9"
                               << "";
    QTest::newRow("incomplete start") << "192.168.0."
                                      << "192.168.0.9"
                                      << "Unicast Scan Range: the start address \"192.168.0.\" is not a complete "
                                         "IPv4 address.";
    QTest::newRow("short form end") << "192.168.0.1"
                                    << "10.1"
                                    << "Unicast Scan Range: the end address \"10.1\" is not a complete IPv4 "
                                       "address.";
    QTest::newRow("empty start") << ""
                                 << "192.168.0.9"
                                 << "Unicast Scan Range: the start address is empty.";
    QTest::newRow("empty end, IPv6 start")
        << "fe80::1"
        << ""
        << "Unicast Scan Range: start \"fe80::1\" and end \"\" are not complete IPv4 "
           "addresses.";
}

void TestSettings::disabledApplySaysWhy()
{
    QFETCH(QString, start);
    QFETCH(QString, stop);
    QFETCH(QString, reason);
    child<QCheckBox>("checkBoxEnableUnicast")->setChecked(true);
    // Fixing one field while the other is still wrong keeps Apply off: both fields are judged.
    child<QLineEdit>("lineEditStop")->setText(stop);
    child<QLineEdit>("lineEditStart")->setText(start);
    auto* apply = child<QPushButton>("applyBtn");
    auto* label = child<QLabel>("labelApplyProblem");
    QCOMPARE(apply->isEnabled(), reason.isEmpty());
    QCOMPARE(label->text(), reason);
    QCOMPARE(apply->toolTip(), reason);
    QCOMPARE(label->isVisible(), true);
    const QColor red("#c62828");
    QCOMPARE(child<QLineEdit>("lineEditStart")->palette().color(QPalette::Text) == red, reason.contains("start"));
    QCOMPARE(child<QLineEdit>("lineEditStop")->palette().color(QPalette::Text) == red, reason.contains("end"));
    // Without unicast the range does not matter.
    child<QCheckBox>("checkBoxEnableUnicast")->setChecked(false);
    QVERIFY(apply->isEnabled());
    QVERIFY(label->text().isEmpty());
}

void TestSettings::uncheckingUnicastEnablesApplyAndFields()
{
    auto* unicast = child<QCheckBox>("checkBoxEnableUnicast");
    unicast->setChecked(true);
    QVERIFY(child<QLineEdit>("lineEditStart")->isEnabled());
    QVERIFY(child<QLineEdit>("lineEditStop")->isEnabled());
    child<QLineEdit>("lineEditStart")->setText(QStringLiteral("192.168.0."));
    QVERIFY(!child<QPushButton>("applyBtn")->isEnabled());
    child<QLineEdit>("lineEditStart")->setText(QStringLiteral("192.168.0.9"));
    QVERIFY(child<QPushButton>("applyBtn")->isEnabled());
    child<QLineEdit>("lineEditStart")->setText(QStringLiteral("192.168.0."));
    unicast->setChecked(false);
    QVERIFY(child<QPushButton>("applyBtn")->isEnabled());
    QVERIFY(!child<QLineEdit>("lineEditStart")->isEnabled());
    QVERIFY(!child<QLineEdit>("lineEditStop")->isEnabled());
}

void TestSettings::unicastUncheckedIgnoresAddressFields()
{
    child<QLineEdit>("lineEditStart")->setText(QStringLiteral("garbage"));
    child<QLineEdit>("lineEditStop")->setText(QStringLiteral("1.1.1.1"));
    child<QCheckBox>("checkBoxEnableUnicast")->setChecked(true);
    child<QCheckBox>("checkBoxEnableUnicast")->setChecked(false);
    QTest::mouseClick(child<QPushButton>("applyBtn"), Qt::LeftButton);
    QCOMPARE(m_emitted, QStringList({"unicast(false)", "close"}));
    QVERIFY(m_prompts->boxes.isEmpty());
}

void TestSettings::unicastCheckedEmitsRange()
{
    child<QCheckBox>("checkBoxEnableUnicast")->setChecked(true);
    child<QCheckBox>("checkBoxEnable")->setChecked(true);
    QTest::mouseClick(child<QPushButton>("applyBtn"), Qt::LeftButton);
    QCOMPARE(m_emitted,
             QStringList({"manualIP(true)", "unicast(true)", "startIp(192.168.0.1)", "endIp(192.168.0.254)", "close"}));
}

void TestSettings::showFlagUnicastSetsTheFields()
{
    m_dialog->showFlagUnicast(true);
    QVERIFY(child<QCheckBox>("checkBoxEnableUnicast")->isChecked());
    QVERIFY(child<QLineEdit>("lineEditStart")->isEnabled());
    QVERIFY(child<QLineEdit>("lineEditStop")->isEnabled());
    QCOMPARE(child<QLineEdit>("lineEditStart")->text(), QStringLiteral("192.168.0.1"));
    QCOMPARE(child<QLineEdit>("lineEditStop")->text(), QStringLiteral("192.168.0.254"));
    m_dialog->showFlagUnicast(false);
    QVERIFY(!child<QLineEdit>("lineEditStart")->isEnabled());
    QVERIFY(!child<QLineEdit>("lineEditStop")->isEnabled());
}

void TestSettings::unicastRangeBound_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("one address") << "10.0.0.5"
                                 << "10.0.0.5" << true;
    QTest::newRow("exactly 65536") << "10.0.0.0"
                                   << "10.0.255.255" << true;
    QTest::newRow("65537") << "10.0.0.0"
                           << "10.1.0.0" << false;
    QTest::newRow("a /8") << "10.0.0.0"
                          << "10.255.255.255" << false;
    QTest::newRow("whole space") << "0.0.0.0"
                                 << "255.255.255.255" << false;
    QTest::newRow("end below start") << "192.168.0.20"
                                     << "192.168.0.10" << false;
    // Only the field edited last enables Apply; the other may still be unusable.
    QTest::newRow("start incomplete") << "192.168.0."
                                      << "192.168.0.10" << false;
    QTest::newRow("end IPv6") << "192.168.0.1"
                              << "fe80::1" << false;
}

void TestSettings::unicastRangeBound()
{
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(bool, accepted);
    QCOMPARE(Settings::maxUnicastRangeAddresses, quint64(65536));
    child<QCheckBox>("checkBoxEnableUnicast")->setChecked(true);
    child<QLineEdit>("lineEditStart")->setText(start);
    child<QLineEdit>("lineEditStop")->setText(end);
    child<QPushButton>("applyBtn")->setEnabled(true);
    QTest::mouseClick(child<QPushButton>("applyBtn"), Qt::LeftButton);
    if (accepted) {
        QVERIFY(m_prompts->boxes.isEmpty());
        QCOMPARE(m_emitted, QStringList({"unicast(true)", QStringLiteral("startIp(%1)").arg(start),
                                         QStringLiteral("endIp(%1)").arg(end), "close"}));
        return;
    }
    QCOMPARE(m_prompts->boxes.size(), 1);
    const FakePrompts::Box box = m_prompts->boxes.first();
    QCOMPARE(box.kind, QStringLiteral("critical"));
    QCOMPARE(box.title, QStringLiteral("Settings"));
    QVERIFY2(box.text.contains(start) && box.text.contains(end), qPrintable(box.text));
    QVERIFY(m_emitted.isEmpty());
    QVERIFY(m_dialog->isVisible());
}

void TestSettings::returnClicksFocusedButtonSpaceDoesNothing()
{
    auto* cancel = child<QPushButton>("closeBtn");
    cancel->setFocus();
    QTRY_VERIFY(cancel->hasFocus());
    QTest::keyClick(cancel, Qt::Key_Space);
    QVERIFY(m_emitted.isEmpty());
    QTest::keyClick(cancel, Qt::Key_Return);
    QCOMPARE(m_emitted, QStringList({"close"}));
    m_emitted.clear();
    auto* apply = child<QPushButton>("applyBtn");
    apply->setFocus();
    QTRY_VERIFY(apply->hasFocus());
    QTest::keyClick(apply, Qt::Key_Enter);
    QCOMPARE(m_emitted, QStringList({"unicast(false)", "close"}));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
