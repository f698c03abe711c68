// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/privatenetwork.h"
#include "dialogs/networkinterfaces.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

namespace {
bool ip(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("ip"), arguments) == 0;
}

bool addLink(const QString& name, const QStringList& cidrs)
{
    if (!ip({"link", "add", name, "type", "veth", "peer", "name", name + "p"}))
        return false;
    for (const QString& cidr : cidrs) {
        if (!ip({"addr", "add", cidr, "dev", name}))
            return false;
    }
    return ip({"link", "set", name, "up"}) && ip({"link", "set", name + "p", "up"});
}

QStringList describe(const QList<interfaces_t>& list)
{
    QStringList rows;
    for (const interfaces_t& record : list)
        rows << QStringLiteral("%1 %2 %3 %4").arg(record.name, record.ip, record.mask).arg(record.selected);
    return rows;
}

void clickRelease(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}
} // namespace

class TestNetworkInterfaces : public QObject
{
    Q_OBJECT

private slots:
    void onlyLoopbackGivesAnEmptyList();
    void form();
    void enumerationAndChoices();
    void cancelKeepsTheHeldList();
    void twoAddressesShareTheFirstChoice();
};

void TestNetworkInterfaces::onlyLoopbackGivesAnEmptyList()
{
    NetworkInterfaces holder;
    QVERIFY(holder.interfaces().isEmpty());
    holder.scanInterfaces();
    QVERIFY(holder.interfaces().isEmpty());
}

void TestNetworkInterfaces::form()
{
    NetworkInterfaces dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Network Interfaces"));
    QCOMPARE(dialog.size(), QSize(600, 400));
    auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("tableInterfaces"));
    QVERIFY(table);
    QCOMPARE(table->columnCount(), 4);
    QCOMPARE(table->horizontalHeaderItem(1)->text(), QStringLiteral("Name"));
    QCOMPARE(table->horizontalHeaderItem(2)->text(), QStringLiteral("IP"));
    QCOMPARE(table->horizontalHeaderItem(3)->text(), QStringLiteral("Mask"));
    QCOMPARE(table->columnWidth(0), 10);
    QCOMPARE(table->columnWidth(1), 100);
    QCOMPARE(table->columnWidth(2), 200);
    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("cancelBtn"));
    auto* save = dialog.findChild<QPushButton*>(QStringLiteral("saveNetworksBtn"));
    QVERIFY(cancel && save);
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(save->text(), QStringLiteral("Apply"));
    QVERIFY(QMetaType::type("QList<interfaces_t>") != QMetaType::UnknownType);

    dialog.showInterfacesTable({{"eth9", "10.1.2.3", "255.255.0.0", false}});
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("eth9"));
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(table->item(0, 3)->text(), QStringLiteral("255.255.0.0"));
    QCOMPARE(table->item(0, 1)->textAlignment(), int(Qt::AlignCenter));
    QVERIFY(dialog.rowCheckBox(0) && !dialog.rowCheckBox(0)->isChecked());
}

// The dialog hands its result to the holder the way the main window wires it.
void TestNetworkInterfaces::enumerationAndChoices()
{
    QVERIFY(addLink("kd1", {"10.91.0.1/24"}));
    QVERIFY(addLink("kd2", {"10.92.0.1/16"}));
    NetworkInterfaces holder;
    holder.scanInterfaces();
    QCOMPARE(describe(holder.interfaces()),
             (QStringList{"kd1 10.91.0.1 255.255.255.0 1", "kd2 10.92.0.1 255.255.0.0 1"}));

    NetworkInterfaces dialog;
    connect(&dialog, &NetworkInterfaces::signalUpdateNetworkList, &holder,
            [&holder](QList<interfaces_t> list) { holder.interfaces() = list; });
    QSignalSpy applied(&dialog, &NetworkInterfaces::signalUpdateNetworkList);
    dialog.showInterfacesTable(holder.interfaces());
    dialog.rowCheckBox(1)->setChecked(false);
    clickRelease(dialog.findChild<QPushButton*>(QStringLiteral("saveNetworksBtn")));
    QCOMPARE(applied.count(), 1);
    QVERIFY(dialog.isHidden() || !dialog.isVisible());

    holder.scanInterfaces();
    QVERIFY(addLink("kd3", {"10.93.0.1/24"}));
    holder.scanInterfaces();
    QCOMPARE(describe(holder.interfaces()), (QStringList{"kd1 10.91.0.1 255.255.255.0 1", "kd2 10.92.0.1 255.255.0.0 0",
                                                         "kd3 10.93.0.1 255.255.255.0 1"}));
    QVERIFY(ip({"link", "del", "kd3"}));
    QVERIFY(ip({"link", "del", "kd2"}));
    QVERIFY(ip({"link", "del", "kd1"}));
}

void TestNetworkInterfaces::cancelKeepsTheHeldList()
{
    QVERIFY(addLink("kd4", {"10.94.0.1/24"}));
    NetworkInterfaces holder;
    holder.scanInterfaces();
    const QStringList before = describe(holder.interfaces());
    NetworkInterfaces dialog;
    QSignalSpy closed(&dialog, &NetworkInterfaces::signalClose);
    QSignalSpy applied(&dialog, &NetworkInterfaces::signalUpdateNetworkList);
    dialog.showInterfacesTable(holder.interfaces());
    dialog.rowCheckBox(0)->setChecked(false);
    clickRelease(dialog.findChild<QPushButton*>(QStringLiteral("cancelBtn")));
    QCOMPARE(closed.count(), 1);
    QCOMPARE(applied.count(), 0);
    QCOMPARE(describe(holder.interfaces()), before);
    QVERIFY(ip({"link", "del", "kd4"}));
}

void TestNetworkInterfaces::twoAddressesShareTheFirstChoice()
{
    QVERIFY(addLink("kd5", {"10.95.0.1/24", "10.96.0.1/24"}));
    NetworkInterfaces holder;
    holder.scanInterfaces();
    QCOMPARE(holder.interfaces().size(), 2);
    holder.interfaces()[1].selected = false;
    holder.scanInterfaces();
    QCOMPARE(describe(holder.interfaces()),
             (QStringList{"kd5 10.95.0.1 255.255.255.0 1", "kd5 10.96.0.1 255.255.255.0 1"}));
    holder.interfaces()[0].selected = false;
    holder.scanInterfaces();
    QCOMPARE(describe(holder.interfaces()),
             (QStringList{"kd5 10.95.0.1 255.255.255.0 0", "kd5 10.96.0.1 255.255.255.0 0"}));
    QVERIFY(ip({"link", "del", "kd5"}));
}

int main(int argc, char** argv)
{
    // Links are made in a namespace of this process only; the host's stay untouched.
    if (!enterPrivateNetwork())
        return exitCodeWithoutNamespace();
    QApplication app(argc, argv);
    TestNetworkInterfaces test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_networkinterfaces.moc"
