// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/statusreporter.h"
#include "app/translations.h"
#include "common/fakeprompts.h"
#include "common/testhome.h"
#include "dialogs/networkinterfaces.h"
#include "discovery/client.h"
#include "model/qtcompat.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

// The window as a German-speaking user starts it: the program's own German texts and Qt's German
// standard buttons, loaded for the locale before the window is made.
class TestGermanWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void menusAndHeadersAreGerman();
    void messagesAreGerman();
    void logLevelsAndShortcutsStay();
    void qtStandardButtonsAreGerman();

private:
    template <typename T> T* widget(const char* name) const { return m_window->findChild<T*>(name); }

    QTemporaryDir m_home;
    QStringList m_loaded;
    std::shared_ptr<FakePrompts> m_prompts;
    std::unique_ptr<MainWindow> m_window;
};

void TestGermanWindow::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
    const QLocale german(QLocale::German, QLocale::Germany);
    QLocale::setDefault(german);
    m_loaded = Translations::install(*qApp, german);
    QVERIFY2(m_loaded.contains(QStringLiteral(":/i18n/kestrion_de.qm")), qPrintable(m_loaded.join(QLatin1Char(' '))));
}

void TestGermanWindow::init()
{
    m_prompts = std::make_shared<FakePrompts>();
    m_window = std::make_unique<MainWindow>(nullptr, m_prompts);
    // No discovery traffic: every interface is left out of scans.
    for (interfaces_t& entry : m_window->networkInterfaces().interfaces())
        entry.selected = false;
    m_window->client().scanTime = 0;
    m_window->show();
}

void TestGermanWindow::cleanup()
{
    m_window.reset();
    m_prompts.reset();
}

// A menu text without its access letter's mark, which each language places where it fits.
static QString withoutAccessMark(QString text)
{
    return text.remove(QLatin1Char('&'));
}

void TestGermanWindow::menusAndHeadersAreGerman()
{
    QCOMPARE(withoutAccessMark(widget<QMenu>("menuFile")->title()), QStringLiteral("Datei"));
    QCOMPARE(withoutAccessMark(widget<QMenu>("menuView")->title()), QStringLiteral("Ansicht"));
    QCOMPARE(withoutAccessMark(widget<QMenu>("menuTools")->title()), QStringLiteral("Werkzeuge"));
    QCOMPARE(withoutAccessMark(widget<QMenu>("menuHelp")->title()), QStringLiteral("Hilfe"));
    QVERIFY(widget<QMenu>("menuFile")->title().contains(QLatin1Char('&')));
    QCOMPARE(withoutAccessMark(widget<QAction>("actionNew_Scan")->text()), QStringLiteral("Neue Suche"));
    QCOMPARE(withoutAccessMark(widget<QAction>("actionApply_Filter")->text()), QStringLiteral("Filter anwenden"));

    auto* table = widget<QTableWidget>("tableWidgetDeviceFirstTable");
    QStringList headers;
    for (int column = 0; column < table->columnCount(); ++column)
        headers << table->horizontalHeaderItem(column)->text();
    QCOMPARE(headers, QStringList({"Auswahl", "Symbol", "Gruppe", "Modul-ID", "IP-Adresse", "Firmware"}));
    QCOMPARE(m_window->statusReporter().summary(),
             QStringLiteral("Noch keine Suche: Drücken Sie „Suchen“ oder die Leertaste"));
}

void TestGermanWindow::messagesAreGerman()
{
    m_window->onButtonUpFwPressed();
    QCOMPARE(m_prompts->boxes.size(), 1);
    QCOMPARE(m_prompts->boxes.last().kind, QStringLiteral("critical"));
    QCOMPARE(m_prompts->boxes.last().text, QStringLiteral("ERROR: Bitte wählen Sie eine gültige Firmware!"));

    m_window->onScanDevices();
    QCOMPARE(m_window->statusReporter().summary(),
             QStringLiteral("Keine Geräte gefunden: Keine Netzwerkschnittstelle ausgewählt "
                            "(Werkzeuge > Netzwerkschnittstellen auswählen)"));
}

// The level words of the log and the key names of the shortcuts are the same in every language.
void TestGermanWindow::logLevelsAndShortcutsStay()
{
    QCOMPARE(widget<QAction>("actionNew_Scan")->shortcut(), QKeySequence(Qt::Key_Space));
    QCOMPARE(widget<QAction>("actionQuit")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(widget<QAction>("actionApply_Filter")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    QVERIFY(QCoreApplication::translate("firmwareUpgrade", "ERROR: Device unconnected").startsWith("ERROR: "));
}

void TestGermanWindow::qtStandardButtonsAreGerman()
{
    const QString qtGerman = qtcompat::qtTranslationsPath() + QLatin1String("/qtbase_de.qm");
    if (!QFile::exists(qtGerman))
        QSKIP("Qt's German translation is not installed (qttranslations5-l10n)");
    QVERIFY(m_loaded.contains(qtGerman));
    QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Yes | QDialogButtonBox::No);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(buttons.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Ja"));
    QCOMPARE(buttons.button(QDialogButtonBox::No)->text(), QStringLiteral("&Nein"));
}

QTEST_MAIN(TestGermanWindow)
#include "tst_germanwindow.moc"
