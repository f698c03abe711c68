// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/buttonkeyfilter.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {
// A window as the program's windows use the rule: installed on its buttons, passing their events on.
class ButtonWindow : public QWidget
{
public:
    ButtonWindow()
    {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(first);
        auto* inner = new QWidget;
        auto* innerLayout = new QVBoxLayout(inner);
        innerLayout->addWidget(nested);
        innerLayout->addWidget(check);
        layout->addWidget(inner);
        ButtonKeyFilter::watchButtons(this);
        layout->addWidget(later);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        ++seen;
        return ButtonKeyFilter::filter(watched, event) || QWidget::eventFilter(watched, event);
    }

    QPushButton* first = new QPushButton(QStringLiteral("First"));
    QPushButton* nested = new QPushButton(QStringLiteral("Nested"));
    QCheckBox* check = new QCheckBox(QStringLiteral("Check"));
    QPushButton* later = new QPushButton(QStringLiteral("Later"));
    int seen = 0;
};
} // namespace

// The one keyboard rule of the program's push buttons.
class TestButtonKeyFilter : public QObject
{
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void onlyPushButtonsAndKeys();
    void watchesTheButtonsPresentAtInstall();
    void spaceDoesNotPressTheFocusedButton();
    void spaceTicksAFocusedCheckBoxDespiteTheShortcut_data();
    void spaceTicksAFocusedCheckBoxDespiteTheShortcut();
};

void TestButtonKeyFilter::keys_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("consumed");
    QTest::addColumn<int>("clicks");
    QTest::newRow("Return press clicks") << int(QEvent::KeyPress) << int(Qt::Key_Return) << true << 1;
    QTest::newRow("Enter press clicks") << int(QEvent::KeyPress) << int(Qt::Key_Enter) << true << 1;
    QTest::newRow("Return release is taken") << int(QEvent::KeyRelease) << int(Qt::Key_Return) << true << 0;
    QTest::newRow("Enter release is taken") << int(QEvent::KeyRelease) << int(Qt::Key_Enter) << true << 0;
    QTest::newRow("Space press does nothing") << int(QEvent::KeyPress) << int(Qt::Key_Space) << true << 0;
    QTest::newRow("Space release does nothing") << int(QEvent::KeyRelease) << int(Qt::Key_Space) << true << 0;
    QTest::newRow("letters pass") << int(QEvent::KeyPress) << int(Qt::Key_A) << false << 0;
    QTest::newRow("Tab passes") << int(QEvent::KeyPress) << int(Qt::Key_Tab) << false << 0;
}

void TestButtonKeyFilter::keys()
{
    QFETCH(int, type);
    QFETCH(int, key);
    QFETCH(bool, consumed);
    QFETCH(int, clicks);
    QPushButton button;
    QSignalSpy clicked(&button, &QPushButton::clicked);
    QKeyEvent event(QEvent::Type(type), key, Qt::NoModifier);
    QCOMPARE(ButtonKeyFilter::filter(&button, &event), consumed);
    QCOMPARE(clicked.count(), clicks);
}

void TestButtonKeyFilter::onlyPushButtonsAndKeys()
{
    QCheckBox box;
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QVERIFY(!ButtonKeyFilter::filter(&box, &space));
    QPushButton button;
    QEvent focus(QEvent::FocusIn);
    QVERIFY(!ButtonKeyFilter::filter(&button, &focus));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QVERIFY(!ButtonKeyFilter::filter(&button, &press));
}

void TestButtonKeyFilter::watchesTheButtonsPresentAtInstall()
{
    ButtonWindow window;
    QSignalSpy nestedClicked(window.nested, &QPushButton::clicked);
    QSignalSpy laterClicked(window.later, &QPushButton::clicked);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window.nested, &press);
    QCOMPARE(nestedClicked.count(), 1);
    const int seen = window.seen;
    QApplication::sendEvent(window.check, &press);
    QApplication::sendEvent(window.later, &press);
    QCOMPARE(window.seen, seen);
    QCOMPARE(laterClicked.count(), 0);
}

void TestButtonKeyFilter::spaceDoesNotPressTheFocusedButton()
{
    ButtonWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.first->setFocus();
    QTRY_VERIFY(window.first->hasFocus());
    QSignalSpy clicked(window.first, &QPushButton::clicked);
    QTest::keyClick(window.first, Qt::Key_Space);
    QCOMPARE(clicked.count(), 0);
    QVERIFY(!window.first->isDown());
    QTest::keyClick(window.first, Qt::Key_Return);
    QCOMPARE(clicked.count(), 1);
    // A button made after the install has no rule: there Space clicks, as Qt's own behaviour does.
    window.later->setFocus();
    QTRY_VERIFY(window.later->hasFocus());
    QSignalSpy laterClicked(window.later, &QPushButton::clicked);
    QTest::keyClick(window.later, Qt::Key_Space);
    QCOMPARE(laterClicked.count(), 1);
}

void TestButtonKeyFilter::spaceTicksAFocusedCheckBoxDespiteTheShortcut_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("shortcuts");
    QTest::addColumn<bool>("ticked");
    QTest::newRow("check box ticks") << "check" << 0 << true;
    QTest::newRow("disabled check box leaves it to the shortcut") << "disabled" << 1 << false;
    QTest::newRow("push button keeps the shortcut") << "button" << 1 << false;
}

void TestButtonKeyFilter::spaceTicksAFocusedCheckBoxDespiteTheShortcut()
{
    QFETCH(QString, focus);
    QFETCH(int, shortcuts);
    QFETCH(bool, ticked);
    // A window whose Space is a shortcut, and which passes its events to the rule as the main window does.
    class ShortcutWindow : public ButtonWindow
    {
    public:
        bool event(QEvent* event) override
        {
            return ButtonKeyFilter::letSpaceTickCheckBox(event) || ButtonWindow::event(event);
        }
    };
    ShortcutWindow window;
    auto* disabled = new QCheckBox(QStringLiteral("Off"), &window);
    disabled->setEnabled(false);
    QAction scan(&window);
    scan.setShortcut(QKeySequence(Qt::Key_Space));
    window.addAction(&scan);
    QSignalSpy triggered(&scan, &QAction::triggered);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QWidget* target = focus == QLatin1String("check")    ? static_cast<QWidget*>(window.check)
                      : focus == QLatin1String("button") ? static_cast<QWidget*>(window.first)
                                                         : disabled;
    target->setFocus();
    if (target->isEnabled())
        QTRY_VERIFY(target->hasFocus());
    QTest::keyClick(target, Qt::Key_Space);
    QCOMPARE(triggered.count(), shortcuts);
    QCOMPARE(window.check->isChecked(), ticked);
    QVERIFY(!disabled->isChecked());
}

QTEST_MAIN(TestButtonKeyFilter)
#include "tst_buttonkeyfilter.moc"
