// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLabel>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QtTest>

#include "dialogs/dialog.h"

class TestDialog : public QObject
{
    Q_OBJECT

private slots:
    void textAndTitleAreShown_data();
    void textAndTitleAreShown();
    void textIsReadOnly();
    void footerShowsTheMakersLogo();
    void markdownIsRendered();
};

void TestDialog::textAndTitleAreShown_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("changelog") << "Changelog"
                               << "# Kestrion changelog\n\n## 1.0.0\n";
    // Markup must come out as typed: the viewers show plain text.
    QTest::newRow("markup stays literal") << "About"
                                          << "<b>bold</b> & <i>more</i>";
    QTest::newRow("empty resource") << "Supported Devices"
                                    << "";
}

void TestDialog::textAndTitleAreShown()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    Dialog dialog;
    dialog.setText(text);
    dialog.setTitle(title);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), title);
    QCOMPARE(dialog.findChild<QTextEdit*>(QStringLiteral("textEdit"))->toPlainText(), text);
}

void TestDialog::textIsReadOnly()
{
    Dialog dialog;
    dialog.setText(QStringLiteral("fixed"));
    dialog.show();
    auto* edit = dialog.findChild<QTextEdit*>(QStringLiteral("textEdit"));
    QVERIFY(edit->isEnabled());
    QVERIFY(edit->isReadOnly());
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("typed"));
    QCOMPARE(edit->toPlainText(), QStringLiteral("fixed"));
}

void TestDialog::markdownIsRendered()
{
    Dialog dialog;
    dialog.setMarkdown(QStringLiteral("# Kestrion changelog\n\n## 1.0.0\n\n- first\n- second\n"));
    auto* edit = dialog.findChild<QTextEdit*>(QStringLiteral("textEdit"));
    QCOMPARE(edit->toPlainText(), QStringLiteral("Kestrion changelog\n1.0.0\nfirst\nsecond"));
    QTextBlock block = edit->document()->begin();
    QCOMPARE(block.blockFormat().headingLevel(), 1);
    QCOMPARE(block.next().blockFormat().headingLevel(), 2);
    QVERIFY(block.next().next().textList());
    QVERIFY(edit->isReadOnly());
}

void TestDialog::footerShowsTheMakersLogo()
{
    Dialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* logo = dialog.findChild<QLabel*>(QStringLiteral("labelLogo"));
    QVERIFY(logo);
    QVERIFY(logo->isVisible());
    QVERIFY(!logo->pixmap(Qt::ReturnByValue).isNull());
    const QImage expected(QStringLiteral(":/images/resources/images/ostravi_logo.png"));
    QVERIFY(!expected.isNull());
    QCOMPARE(logo->pixmap(Qt::ReturnByValue).size(), expected.size());
}

QTEST_MAIN(TestDialog)
#include "tst_dialog.moc"
