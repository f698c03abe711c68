// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "dialogs/userprompts.h"

namespace {

constexpr int pollMs = 20;

// What the box looked like while it was open.
struct Seen
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    bool linksOpen = false;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Waits for the modal box, notes what it shows and presses the given button.
void answerNextBox(Seen* seen, QMessageBox::StandardButton press)
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) {
        QTimer::singleShot(pollMs, [seen, press] { answerNextBox(seen, press); });
        return;
    }
    seen->title = box->windowTitle();
    seen->text = box->text();
    seen->icon = box->icon();
    seen->format = box->textFormat();
    const QLabel* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    seen->linksOpen = label && (label->textInteractionFlags() & Qt::LinksAccessibleByKeyboard);
    seen->defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
    box->button(press)->click();
}

} // namespace

class TestUserPrompts : public QObject
{
    Q_OBJECT

private slots:
    void criticalShowsItsText_data();
    void criticalShowsItsText();
    void informationShowsItsText();
    void questionReturnsTheAnswer_data();
    void questionReturnsTheAnswer();
};

void TestUserPrompts::criticalShowsItsText_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("linksOpen");
    QTest::newRow("plain") << int(Qt::PlainText) << "Range <too> large" << false;
    QTest::newRow("rich with link") << int(Qt::RichText) << "see <a href=\"https://example.invalid\">here</a>" << true;
}

void TestUserPrompts::criticalShowsItsText()
{
    QFETCH(int, format);
    QFETCH(QString, text);
    QFETCH(bool, linksOpen);
    UserPrompts presenter;
    Seen seen;
    QTimer::singleShot(0, [&seen] { answerNextBox(&seen, QMessageBox::Ok); });
    presenter.critical(nullptr, QStringLiteral("Updates"), text, Qt::TextFormat(format));
    QCOMPARE(seen.title, QStringLiteral("Updates"));
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(int(seen.format), format);
    QCOMPARE(seen.linksOpen, linksOpen);
}

void TestUserPrompts::informationShowsItsText()
{
    UserPrompts presenter;
    Seen seen;
    QTimer::singleShot(0, [&seen] { answerNextBox(&seen, QMessageBox::Ok); });
    presenter.information(nullptr, QStringLiteral("Updates"), QStringLiteral("No updates available."));
    QCOMPARE(seen.text, QStringLiteral("No updates available."));
    QCOMPARE(seen.icon, QMessageBox::Information);
}

void TestUserPrompts::questionReturnsTheAnswer_data()
{
    QTest::addColumn<int>("press");
    QTest::newRow("yes") << int(QMessageBox::Yes);
    QTest::newRow("no") << int(QMessageBox::No);
}

void TestUserPrompts::questionReturnsTheAnswer()
{
    QFETCH(int, press);
    UserPrompts presenter;
    Seen seen;
    const auto button = QMessageBox::StandardButton(press);
    QTimer::singleShot(0, [&seen, button] { answerNextBox(&seen, button); });
    const QMessageBox::StandardButton answer =
        presenter.question(nullptr, QStringLiteral("Updates"), QStringLiteral("Upgrade?"),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    QCOMPARE(answer, button);
    QCOMPARE(seen.icon, QMessageBox::Question);
    QCOMPARE(seen.defaultButton, QMessageBox::No);
}

QTEST_MAIN(TestUserPrompts)
#include "tst_userprompts.moc"
