// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What changed since the last scan, in the real window on the tool side of tests/labs/app-scan-changes.json.
// Between two scans the lab changes as it does on a bench: one unit is given another address, the cable
// of another one's link is pulled (kc1 goes down) and a third one's link is plugged in (kc2 comes up).
// The new unit's row is marked, the moved one's tool tip names the old and the new address, the unit
// that went away follows greyed at the end, "not seen since" the first scan, out of reach of every
// action and of the count of units shown, and the View menu's switch hides it, remembered. The command
// line's scan and the window's take turns as each other's baseline.
#include "app/devicetableitem.h"
#include "app/mainwindow.h"
#include "cli/clirunner.h"
#include "common/fakeprompts.h"
#include "common/simlog.h"
#include "common/testhome.h"
#include "dialogs/networkinterfaces.h"
#include "journal/journaltext.h"
#include "journal/scansnapshot.h"
#include "model/wellknownports.h"
#include "netconf/changedeviceconfigurations.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {
const QString stayMac = QStringLiteral("02:CC:00:00:20:10");
const QString moveMac = QStringLiteral("02:CC:00:00:20:11");
const QString goneMac = QStringLiteral("02:CC:00:00:21:12");
const QString newMac = QStringLiteral("02:CC:00:00:22:13");
const QString movedFrom = QStringLiteral("10.77.20.11");
const QString movedTo = QStringLiteral("10.77.20.41");
constexpr auto pulledLink = "kc1";
constexpr auto pluggedLink = "kc2";
constexpr int linkWaitMs = 5000;
} // namespace

class TestScanChanges : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void firstScanMarksNothing();
    void rescanShowsWhatChanged();
    void missingUnitStaysLastAndOutOfReach();
    void viewSwitchHidesMissingUnitsAndIsKept();
    void commandLineAndWindowShareTheLastScan();

private:
    bool setLink(const char* link, bool up);
    void scan(int expectedDevices);
    void moveUnit();
    QTableWidget* table() const { return m_window->findChild<QTableWidget*>("tableWidgetDeviceFirstTable"); }
    int rowOfMac(const QString& mac) const;
    // The row of the missing unit with this MAC, -1 without one.
    int missingRow(const QString& mac = goneMac) const;
    QStringList macsInRowOrder() const;
    QString shownCount() const { return m_window->findChild<QLabel*>("labelUnitsShown")->text(); }
    QAction* missingSwitch() const { return m_window->findChild<QAction*>("actionShow_Missing_Units"); }
    void newWindow();

    QTemporaryDir m_home;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<MainWindow> m_window;
    QDateTime m_firstScan;
};

void TestScanChanges::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS"))
        QSKIP("runs only inside the namespace harness");
    // The lab changes between scans by unplugging and plugging its links, which only root may do; the
    // program under test needs no root, but this test's hand on the lab does.
    if (geteuid() != 0)
        QSKIP("unplugs the lab's links between scans, which needs root");
    // The link of the unit that comes later is unplugged for the first scan.
    QVERIFY(setLink(pluggedLink, false));
    newWindow();
}

void TestScanChanges::cleanupTestCase()
{
    m_window.reset();
}

void TestScanChanges::newWindow()
{
    m_window.reset();
    m_prompts = std::make_shared<FakePrompts>();
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_window->timeout();
}

// Only links of the harness's own tool namespace, in which this test runs.
bool TestScanChanges::setLink(const char* link, bool up)
{
    const QString name = QString::fromLatin1(link);
    if (QProcess::execute(QStringLiteral("ip"), {"link", "set", name, up ? "up" : "down"}) != 0) {
        qWarning("cannot set the link %s %s", link, up ? "up" : "down");
        return false;
    }
    QFile state(QStringLiteral("/sys/class/net/%1/operstate").arg(name));
    const QByteArray wanted = up ? "up" : "down";
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < linkWaitMs) {
        if (state.open(QIODevice::ReadOnly)) {
            const QByteArray now = state.readAll().trimmed();
            state.close();
            if (now == wanted)
                return true;
        }
        QTest::qWait(20);
    }
    qWarning("the link %s did not come %s within %d ms", link, up ? "up" : "down", linkWaitMs);
    return false;
}

void TestScanChanges::scan(int expectedDevices)
{
    m_window->findChild<QAction*>("actionNew_Scan")->trigger();
    QCOMPARE(m_window->devices().size(), expectedDevices);
}

int TestScanChanges::rowOfMac(const QString& mac) const
{
    for (int row = 0; row < m_window->deviceTable().rowCount(); ++row) {
        const int index = m_window->deviceTable().deviceIndexOfRow(row);
        if (index >= 0 && m_window->devices().at(index).mac == mac)
            return row;
    }
    return -1;
}

int TestScanChanges::missingRow(const QString& mac) const
{
    for (int row = 0; row < table()->rowCount(); ++row) {
        const ScanDifference::Removed* unit = m_window->deviceTable().missingUnitOfRow(row);
        if (unit && unit->device.mac == mac)
            return row;
    }
    return -1;
}

QStringList TestScanChanges::macsInRowOrder() const
{
    QStringList macs;
    for (int row = 0; row < table()->rowCount(); ++row) {
        const ScanDifference::Removed* missing = m_window->deviceTable().missingUnitOfRow(row);
        const int index = m_window->deviceTable().deviceIndexOfRow(row);
        macs << (missing ? missing->device.mac : index >= 0 ? m_window->devices().at(index).mac : QString());
    }
    return macs;
}

void TestScanChanges::moveUnit()
{
    changeNetworkConfiguration sender;
    QVERIFY2(sender.sendNewConfig(m_window->networkInterfaces().interfaces(), moveMac, port::command,
                                  changeNetworkConfiguration::parseAddress(movedTo),
                                  changeNetworkConfiguration::parseAddress(QStringLiteral("255.255.255.0")),
                                  changeNetworkConfiguration::parseAddress(QStringLiteral("10.77.20.1")), 0,
                                  QHostAddress(movedFrom)),
             qPrintable(sender.lastError()));
    QTRY_VERIFY_WITH_TIMEOUT(!SimLog::settings(SimLog::lines(), QStringLiteral("move")).isEmpty(), linkWaitMs);
}

void TestScanChanges::firstScanMarksNothing()
{
    scan(3);
    QCOMPARE(m_window->deviceTable().missingRowCount(), 0);
    QCOMPARE(table()->rowCount(), 3);
    for (int row = 0; row < table()->rowCount(); ++row) {
        QCOMPARE(table()->item(row, MainWindow::columnGroup)->toolTip(), QString());
        QVERIFY(!table()->item(row, MainWindow::columnGroup)->data(Qt::DecorationRole).isValid());
    }
    QCOMPARE(shownCount(), QStringLiteral("3 of 3 units shown"));
    // The window keeps its scan where the command line keeps its own: the next scan of either compares with it.
    const std::optional<ScanSnapshot::Scan> kept = ScanSnapshot().load();
    QVERIFY(kept);
    QCOMPARE(kept->devices.size(), 3);
    QVERIFY(QFile::exists(m_home.path() + "/.local/share/Ostravi/Kestrion/" + ScanSnapshot::fileName));
    m_firstScan = kept->taken;
}

void TestScanChanges::rescanShowsWhatChanged()
{
    // The current unit and the sort stay as the user left them.
    QHeaderView* header = table()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(MainWindow::columnIp) + 5, header->height() / 2));
    QCOMPARE(header->sortIndicatorSection(), MainWindow::columnIp);
    table()->setCurrentCell(rowOfMac(stayMac), MainWindow::columnGroup);

    moveUnit();
    QVERIFY(setLink(pulledLink, false));
    QVERIFY(setLink(pluggedLink, true));
    scan(3);
    QCOMPARE(header->sortIndicatorSection(), MainWindow::columnIp);
    QCOMPARE(m_window->devices().at(m_window->deviceTable().currentDeviceIndex()).mac, stayMac);

    const QTableWidgetItem* added = table()->item(rowOfMac(newMac), MainWindow::columnGroup);
    QVERIFY2(
        added->toolTip().startsWith(QStringLiteral("New since the last scan (%1)").arg(JournalText::time(m_firstScan))),
        qPrintable(added->toolTip()));
    QVERIFY(added->data(Qt::DecorationRole).isValid());
    QVERIFY(added->background().style() != Qt::NoBrush);

    const int movedRow = rowOfMac(moveMac);
    QCOMPARE(table()->item(movedRow, MainWindow::columnIp)->text(), movedTo);
    const QString arrowed = QStringLiteral("IP Address: %1 \u2192 %2").arg(movedFrom, movedTo);
    for (int column : {MainWindow::columnGroup, MainWindow::columnIp, MainWindow::columnFirmware}) {
        const QString tip = table()->item(movedRow, column)->toolTip();
        QVERIFY2(tip.contains(QStringLiteral("Changed since the last scan")) && tip.contains(arrowed), qPrintable(tip));
    }
    QVERIFY(table()->item(movedRow, MainWindow::columnGroup)->background().style() != Qt::NoBrush);
    QVERIFY(table()->item(movedRow, MainWindow::columnGroup)->background() != added->background());

    const QTableWidgetItem* stay = table()->item(rowOfMac(stayMac), MainWindow::columnGroup);
    QCOMPARE(stay->toolTip(), QString());
    QCOMPARE(stay->background().style(), Qt::NoBrush);

    // The unit that went away: greyed at the end, since the first scan.
    QCOMPARE(m_window->deviceTable().missingRowCount(), 1);
    QCOMPARE(table()->rowCount(), 4);
    QCOMPARE(missingRow(), 3);
    const QTableWidgetItem* gone = table()->item(3, MainWindow::columnGroup);
    QVERIFY2(gone->text().contains(QStringLiteral("not seen since %1").arg(JournalText::time(m_firstScan))),
             qPrintable(gone->text()));
    QVERIFY(DeviceTableItem::isMissing(*gone));
    QCOMPARE(table()->item(3, MainWindow::columnIp)->text(), QStringLiteral("10.77.21.12"));
    QCOMPARE(shownCount(), QStringLiteral("3 of 3 units shown, 1 missing"));

    // This scan is the baseline of the next, in either program.
    const std::optional<ScanSnapshot::Scan> kept = ScanSnapshot().load();
    QVERIFY(kept);
    QStringList keptMacs;
    for (const Device_t& device : kept->devices)
        keptMacs << device.mac;
    keptMacs.sort();
    QCOMPARE(keptMacs, (QStringList{stayMac, moveMac, newMac}));
}

void TestScanChanges::missingUnitStaysLastAndOutOfReach()
{
    QTableWidget* view = table();
    const int row = missingRow();
    QCOMPARE(row, view->rowCount() - 1);
    // Nothing to tick, click or select: no action can take it.
    QVERIFY(!m_window->deviceTable().selectionBox(row));
    for (int column = 0; column < view->columnCount(); ++column)
        QCOMPARE(view->item(row, column)->flags(), Qt::NoItemFlags);
    view->setCurrentCell(rowOfMac(stayMac), MainWindow::columnGroup);
    view->scrollToItem(view->item(row, MainWindow::columnGroup));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualItemRect(view->item(row, MainWindow::columnGroup)).center());
    QCOMPARE(m_window->devices().at(m_window->deviceTable().currentDeviceIndex()).mac, stayMac);
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    QVERIFY(m_window->deviceTable().currentDeviceIndex() >= 0);
    QCOMPARE(m_window->deviceTable().deviceIndexOfRow(row), int(DeviceTable::noDevice));

    // Sorted by any column, either way, it stays last.
    QHeaderView* header = view->horizontalHeader();
    for (int column : {MainWindow::columnGroup, MainWindow::columnModuleId, MainWindow::columnIp}) {
        for (int click = 0; click < 2; ++click) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
            QCOMPARE(header->sortIndicatorSection(), column);
            QCOMPARE(macsInRowOrder().last(), goneMac);
        }
    }

    // The search finds it too, and counts it apart from the units found.
    auto* field = m_window->findChild<QLineEdit*>("lineEditSearch");
    QTest::keyClicks(field, QStringLiteral("21:12"));
    QCOMPARE(shownCount(), QStringLiteral("0 of 3 units shown, 1 missing"));
    field->clear();
    QTest::keyClicks(field, QStringLiteral("22:13"));
    QCOMPARE(shownCount(), QStringLiteral("1 of 3 units shown"));
    field->clear();
    QCOMPARE(shownCount(), QStringLiteral("3 of 3 units shown, 1 missing"));
}

void TestScanChanges::viewSwitchHidesMissingUnitsAndIsKept()
{
    QAction* shown = missingSwitch();
    QVERIFY(shown);
    QVERIFY(shown->isCheckable());
    QVERIFY(shown->isChecked());
    QVERIFY(shown->text().contains(QLatin1Char('&')));
    auto* viewMenu = m_window->findChild<QMenu*>("menuView");
    QVERIFY(viewMenu->actions().contains(shown));

    shown->trigger();
    QVERIFY(table()->isRowHidden(missingRow()));
    QCOMPARE(shownCount(), QStringLiteral("3 of 3 units shown"));
    shown->trigger();
    QVERIFY(!table()->isRowHidden(missingRow()));
    shown->trigger();

    // The next window starts with them hidden, and its rescan keeps them so.
    newWindow();
    QVERIFY(!missingSwitch()->isChecked());
    QVERIFY(setLink(pulledLink, true));
    QVERIFY(setLink(pluggedLink, false));
    scan(3);
    const int row = missingRow(newMac);
    QVERIFY(row >= 0);
    QVERIFY(table()->isRowHidden(row));
    QCOMPARE(shownCount(), QStringLiteral("3 of 3 units shown"));
    missingSwitch()->trigger();
    QVERIFY(!table()->isRowHidden(row));
    QVERIFY2(table()->item(row, MainWindow::columnIp)->text() == QStringLiteral("10.77.22.13"),
             qPrintable(table()->item(row, MainWindow::columnIp)->text()));
}

void TestScanChanges::commandLineAndWindowShareTheLastScan()
{
    const QStringList cliScan{"scan", "--diff", "--json", "--time", "1500"};
    // Against the window's scan, the lab as the window left it has not changed.
    const CliRunner::Result same = CliRunner::run(cliScan, m_home.path());
    QVERIFY2(same.finished && same.exitCode == 0, same.err.constData());
    const QJsonObject unchanged = QJsonDocument::fromJson(same.out).object().value("difference").toObject();
    QVERIFY2(!unchanged.value("previousScan").isNull(), same.out.constData());
    for (const char* part : {"added", "removed", "changed"})
        QVERIFY2(unchanged.value(part).toArray().isEmpty(), same.out.constData());

    QVERIFY(setLink(pluggedLink, true));
    const CliRunner::Result added = CliRunner::run(cliScan, m_home.path());
    QVERIFY2(added.finished && added.exitCode == 0, added.err.constData());
    const QJsonArray found =
        QJsonDocument::fromJson(added.out).object().value("difference").toObject().value("added").toArray();
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().toObject().value("MAC").toString(), newMac);

    // The command line's scan is the window's baseline now: the unit it found is no news to the window.
    scan(4);
    QCOMPARE(m_window->deviceTable().missingRowCount(), 0);
    for (int row = 0; row < table()->rowCount(); ++row)
        QCOMPARE(table()->item(row, MainWindow::columnGroup)->toolTip(), QString());
    QCOMPARE(shownCount(), QStringLiteral("4 of 4 units shown"));
}

QTEST_MAIN(TestScanChanges)
#include "tst_scanchanges.moc"
