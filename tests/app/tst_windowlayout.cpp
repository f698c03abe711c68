// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "common/fakeprompts.h"
#include "common/privatenetwork.h"
#include "common/sampledevices.h"
#include "common/testhome.h"
#include "dialogs/networkinterfaces.h"
#include "dialogs/newnetwsettings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
constexpr auto widestAddress = "255.255.255.255";

// Devices whose texts are as wide as the table may have to show.
QList<Device_t> wideDevices()
{
    QList<Device_t> devices = sampleDevices();
    devices.removeLast(); // the one without an address
    Device_t wide = makeDevice(QStringLiteral("2101"), QStringLiteral("192.168.100.200"));
    wide.moduleId = QStringLiteral("BL-22-A");
    wide.firmwareVersion = QStringLiteral("12.10.3");
    wide.mac = QStringLiteral("0A:BC:DE:F0:12:34");
    devices << wide;
    return devices;
}

// The room a header section gives its text, as the style lays the label out (padding and sort arrow included).
int headerLabelWidth(const QHeaderView* header, int section)
{
    QStyleOptionHeader option;
    option.initFrom(header);
    option.rect = QRect(0, 0, header->sectionSize(section), header->height());
    option.section = section;
    option.orientation = header->orientation();
    option.text = header->model()->headerData(section, header->orientation()).toString();
    const bool sorted = header->isSortIndicatorShown() && header->sortIndicatorSection() == section;
    option.sortIndicator = sorted ? QStyleOptionHeader::SortDown : QStyleOptionHeader::None;
    return header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header).width();
}

// The header draws its sections bold beside a selected row.
int boldTextWidth(const QWidget* widget, const QString& text)
{
    QFont bold = widget->font();
    bold.setBold(true);
    return QFontMetrics(bold).horizontalAdvance(text);
}

// The room a cell gives its text: the column less its grid line and the item view's text margins.
int cellTextRoom(const QTableWidget* table, int column)
{
    const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
    const int grid = table->showGrid() ? 1 : 0;
    return table->horizontalHeader()->sectionSize(column) - grid - 2 * margin;
}
} // namespace

// The window and its dialogs at 1024 x 700 and above, with the application style sheet: every
// header and every address shows whole, measured by the widgets' geometry and fonts.
class TestWindowLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void deviceTableShowsWholeHeadersAndAddresses_data();
    void deviceTableShowsWholeHeadersAndAddresses();
    void configurationPageShowsWholeAddresses_data();
    void configurationPageShowsWholeAddresses();
    void multiDeviceDialogShowsAllSixColumns();
    void interfaceDialogShowsWholeMasks();

private:
    void showAt(const QSize& size);
    void verifyColumnsInside(const QTableWidget* table);
    void verifyHeadersFit(const QTableWidget* table);
    void verifyCellsFit(const QTableWidget* table, int column, const QStringList& probes = {});
    QTableWidget* deviceTable() const { return m_window->findChild<QTableWidget*>("tableWidgetDeviceFirstTable"); }

    QTemporaryDir m_home;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<MainWindow> m_window;
};

void TestWindowLayout::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
}

void TestWindowLayout::init()
{
    m_prompts = std::make_shared<FakePrompts>();
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts);
    for (interfaces_t& entry : m_window->networkInterfaces().interfaces())
        entry.selected = false;
    m_window->showDevices(wideDevices());
}

void TestWindowLayout::cleanup()
{
    m_window.reset();
}

void TestWindowLayout::showAt(const QSize& size)
{
    m_window->resize(size);
    m_window->show();
    m_window->showPage(MainWindow::pageDevices);
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // The window can be as small as that: nothing forces it wider.
    QTRY_COMPARE(m_window->size(), size);
}

void TestWindowLayout::verifyColumnsInside(const QTableWidget* table)
{
    const QHeaderView* header = table->horizontalHeader();
    // A page just shown lays its table out in the event loop.
    QTRY_VERIFY(header->length() <= table->viewport()->width());
    QVERIFY2(table->horizontalScrollBar()->maximum() == 0,
             qPrintable(QStringLiteral("%1 scrolls by %2 of header %3 in %4")
                            .arg(table->objectName())
                            .arg(table->horizontalScrollBar()->maximum())
                            .arg(header->length())
                            .arg(table->viewport()->width())));
    for (int column = 0; column < table->columnCount(); ++column) {
        if (table->isColumnHidden(column))
            continue;
        const int right = header->sectionViewportPosition(column) + header->sectionSize(column);
        QVERIFY2(header->sectionViewportPosition(column) >= 0 && right <= table->viewport()->width(),
                 qPrintable(QStringLiteral("%1 column %2 ends at %3 of %4")
                                .arg(table->objectName())
                                .arg(column)
                                .arg(right)
                                .arg(table->viewport()->width())));
    }
}

void TestWindowLayout::verifyHeadersFit(const QTableWidget* table)
{
    const QHeaderView* header = table->horizontalHeader();
    for (int column = 0; column < table->columnCount(); ++column) {
        if (table->isColumnHidden(column))
            continue;
        const QString text = table->horizontalHeaderItem(column)->text();
        if (text.isEmpty())
            continue;
        const int need = boldTextWidth(header, text);
        const int room = headerLabelWidth(header, column);
        QVERIFY2(need <= room, qPrintable(QStringLiteral("%1 header \"%2\" needs %3, has %4")
                                              .arg(table->objectName(), text)
                                              .arg(need)
                                              .arg(room)));
    }
}

void TestWindowLayout::verifyCellsFit(const QTableWidget* table, int column, const QStringList& probes)
{
    QStringList texts = probes;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (const QTableWidgetItem* item = table->item(row, column))
            texts << item->text();
    }
    const int room = cellTextRoom(table, column);
    for (const QString& text : texts) {
        const int need = table->fontMetrics().horizontalAdvance(text);
        const bool whole = table->fontMetrics().elidedText(text, Qt::ElideRight, room) == text;
        QVERIFY2(
            need <= room && whole,
            qPrintable(
                QStringLiteral("%1 cell \"%2\" needs %3, has %4").arg(table->objectName(), text).arg(need).arg(room)));
    }
}

void TestWindowLayout::deviceTableShowsWholeHeadersAndAddresses_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("sorted");
    const QList<QPair<QString, QSize>> sizes = {{"1024x700", QSize(1024, 700)}, {"1280x720", QSize(1280, 720)}};
    for (const auto& size : sizes) {
        for (const char* page : {"infoBtn", "updateBtn", "configBtn"}) {
            for (int sorted = -1; sorted <= MainWindow::columnFirmware; ++sorted)
                QTest::addRow("%s %s sorted by %d", qPrintable(size.first), page, sorted)
                    << size.second << QString::fromLatin1(page) << sorted;
        }
    }
}

void TestWindowLayout::deviceTableShowsWholeHeadersAndAddresses()
{
    QFETCH(QSize, size);
    QFETCH(QString, page);
    QFETCH(int, sorted);
    showAt(size);
    QTest::mouseClick(m_window->findChild<QPushButton*>(page), Qt::LeftButton);
    QTableWidget* table = deviceTable();
    if (sorted >= 0)
        table->sortItems(sorted, Qt::AscendingOrder);
    // A selected row makes the headers bold.
    table->setCurrentCell(0, MainWindow::columnGroup);
    QTRY_COMPARE(m_window->size(), size);
    QCOMPARE(table->font().pixelSize(), 14);
    QCOMPARE(table->isColumnHidden(MainWindow::columnSelection), page != QLatin1String("updateBtn"));
    verifyColumnsInside(table);
    verifyHeadersFit(table);
    verifyCellsFit(table, MainWindow::columnIp, {QString::fromLatin1(widestAddress)});
    verifyCellsFit(table, MainWindow::columnModuleId);
    verifyCellsFit(table, MainWindow::columnFirmware);
}

void TestWindowLayout::configurationPageShowsWholeAddresses_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("1024x700") << QSize(1024, 700);
    QTest::newRow("1280x720") << QSize(1280, 720);
}

void TestWindowLayout::configurationPageShowsWholeAddresses()
{
    QFETCH(QSize, size);
    showAt(size);
    QTest::mouseClick(m_window->findChild<QPushButton*>("configBtn"), Qt::LeftButton);
    const int wide = wideDevices().size() - 1;
    m_window->deviceTable().widget()->setCurrentCell(m_window->deviceTable().rowOfDevice(wide),
                                                     MainWindow::columnGroup);
    auto* table = m_window->findChild<QTableWidget*>("tableDeviceConfig");
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("192.168.100.200"));
    QCOMPARE(table->font().pixelSize(), 15);
    verifyColumnsInside(table);
    verifyHeadersFit(table);
    verifyCellsFit(table, 0);
    verifyCellsFit(table, 1, {QString::fromLatin1(widestAddress)});
    // The information page's labels show whole too.
    QTest::mouseClick(m_window->findChild<QPushButton*>("infoBtn"), Qt::LeftButton);
    auto* info = m_window->findChild<QTableWidget*>("tableInfo");
    QVERIFY(info->rowCount() >= 10);
    verifyColumnsInside(info);
    verifyCellsFit(info, 0);
    verifyCellsFit(info, 1, {QString::fromLatin1(widestAddress)});
}

void TestWindowLayout::multiDeviceDialogShowsAllSixColumns()
{
    showAt(QSize(1024, 700));
    m_window->findChild<QAction*>("actionAdvanced_network_config")->trigger();
    auto* dialog = m_window->findChild<NewNetwSettings*>();
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->size(), QSize(1002, 500));
    auto* table = dialog->findChild<QTableWidget*>("tableNetwSet");
    QCOMPARE(table->columnCount(), 6);
    for (int sorted = -1; sorted < table->columnCount(); ++sorted) {
        if (sorted >= 0)
            table->sortItems(sorted, Qt::AscendingOrder);
        table->selectRow(0);
        verifyColumnsInside(table);
        verifyHeadersFit(table);
        verifyCellsFit(table, 2);
        for (int column = 3; column < 6; ++column)
            verifyCellsFit(table, column, {QString::fromLatin1(widestAddress)});
    }
}

void TestWindowLayout::interfaceDialogShowsWholeMasks()
{
    showAt(QSize(1024, 700));
    m_window->findChild<QAction*>("actionSelect_network_interfaces")->trigger();
    NetworkInterfaces* dialog = nullptr;
    for (NetworkInterfaces* candidate : m_window->findChildren<NetworkInterfaces*>()) {
        if (candidate->isVisible())
            dialog = candidate;
    }
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    dialog->showInterfacesTable({{"kq0", "10.77.1.1", "255.255.255.0", true},
                                 {"enp0s31f6", "192.168.100.200", widestAddress, false},
                                 {"wlp0s20f3", "172.16.254.254", "255.255.252.0", true}});
    auto* table = dialog->findChild<QTableWidget*>("tableInterfaces");
    table->selectRow(0);
    verifyColumnsInside(table);
    verifyHeadersFit(table);
    for (int column = 1; column < 4; ++column)
        verifyCellsFit(table, column);
    QVERIFY(dialog->rowCheckBox(1)->sizeHint().width() <= table->columnWidth(0));
}

int main(int argc, char** argv)
{
    if (!enterPrivateNetwork())
        return exitCodeWithoutNamespace();
    QApplication app(argc, argv);
    TestWindowLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowlayout.moc"
