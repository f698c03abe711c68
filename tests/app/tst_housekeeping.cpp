// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/housekeeping.h"
#include "common/fakeprompts.h"
#include "common/testhome.h"
#include "dialogs/dialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextEdit>
#include <QtTest>

#include <cstdio>

namespace {
// The test runs a copy of itself with this argument to look at the check from the copy's place.
constexpr auto checkArgument = "--check-previous-installation";
constexpr int childTimeoutMs = 30000;
} // namespace

// The text viewers and the clean-up of an installation left in an older place.
class TestHousekeeping : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void viewerShowsTheTextUpToNul();
    void missingTextGivesAnEmptyViewer();
    void runningFromTheOldPlaceAsksNothing_data();
    void runningFromTheOldPlaceAsksNothing();
    void holdsInstallation_data();
    void holdsInstallation();

private:
    QTemporaryDir m_home;
    QWidget m_window;
};

void TestHousekeeping::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
}

void TestHousekeeping::viewerShowsTheTextUpToNul()
{
    FakePrompts prompts;
    Housekeeping housekeeping(prompts, &m_window);
    QFile text(m_home.filePath(QStringLiteral("text")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write(QByteArray("Caf\xe9 first\nsecond", 17) + QByteArray(1, '\0') + "after the end");
    text.close();
    housekeeping.showTextDialog(text.fileName(), QStringLiteral("Title"));
    housekeeping.showTextDialog(text.fileName(), QStringLiteral("Title"));
    const QList<Dialog*> viewers = m_window.findChildren<Dialog*>();
    QCOMPARE(viewers.size(), 2);
    QCOMPARE(viewers.first()->windowTitle(), QStringLiteral("Title"));
    QVERIFY(!viewers.first()->isModal());
    QCOMPARE(viewers.first()->findChild<QTextEdit*>(QStringLiteral("textEdit"))->toPlainText(),
             QString::fromLatin1("Caf\xe9 first\nsecond"));
    qDeleteAll(viewers);
}

void TestHousekeeping::missingTextGivesAnEmptyViewer()
{
    FakePrompts prompts;
    Housekeeping housekeeping(prompts, &m_window);
    housekeeping.showTextDialog(QStringLiteral(":/no/such/resource"), QStringLiteral("Empty"));
    Dialog* viewer = m_window.findChild<Dialog*>();
    QVERIFY(viewer);
    QVERIFY(viewer->findChild<QTextEdit*>(QStringLiteral("textEdit"))->toPlainText().isEmpty());
    QVERIFY(prompts.boxes.isEmpty());
    delete viewer;
}

void TestHousekeeping::runningFromTheOldPlaceAsksNothing_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("the folder itself") << "";
    QTest::newRow("a folder inside it") << "/bin";
}

void TestHousekeeping::runningFromTheOldPlaceAsksNothing()
{
    QFETCH(QString, folder);
    // A copy of this test in <home>/Ostravi/Kestrion is the program running from the old place.
    const QString oldPlace = m_home.filePath(QString::fromLatin1(Housekeeping::previousInstallationDir));
    QVERIFY(QDir().mkpath(oldPlace + folder));
    const QString copy = oldPlace + folder + QStringLiteral("/kestrion");
    QFile::remove(copy);
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    QProcess child;
    child.start(copy, {QString::fromLatin1(checkArgument)});
    QVERIFY(child.waitForFinished(childTimeoutMs));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(QString::fromLatin1(child.readAllStandardOutput()).trimmed(), QStringLiteral("questions: 0"));
    QVERIFY(QDir(oldPlace).exists());
    // The same directory seen from anywhere else is offered for removal, with No as the default answer.
    FakePrompts prompts;
    Housekeeping(prompts, &m_window).checkForPreviousInstallations();
    QCOMPARE(prompts.boxes.size(), 1);
    QCOMPARE(prompts.boxes.first().kind, QStringLiteral("question"));
    QCOMPARE(prompts.boxes.first().buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(prompts.boxes.first().defaultButton, QMessageBox::No);
    QVERIFY(QDir(oldPlace).exists());
    QDir(m_home.filePath(QStringLiteral("Ostravi"))).removeRecursively();
}

void TestHousekeeping::holdsInstallation_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("holds");
    QTest::newRow("program at the top") << QStringList{"kestrion"} << true << true;
    QTest::newRow("maintenance tool") << QStringList{"maintenancetool", "components.xml"} << true << true;
    QTest::newRow("program two levels down") << QStringList{"lib/bin/Kestrion"} << true << true;
    QTest::newRow("three levels down") << QStringList{"a/b/c/kestrion"} << true << false;
    QTest::newRow("not executable") << QStringList{"kestrion"} << false << false;
    QTest::newRow("user files") << QStringList{"report.odt", "photos/kestrion.png"} << true << false;
    QTest::newRow("empty") << QStringList{} << true << false;
}

void TestHousekeeping::holdsInstallation()
{
    QFETCH(QStringList, files);
    QFETCH(bool, executable);
    QFETCH(bool, holds);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const QString& name : files) {
        QVERIFY(QDir().mkpath(QFileInfo(folder.filePath(name)).absolutePath()));
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        if (executable)
            QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
    }
    QCOMPARE(Housekeeping::holdsInstallation(folder.path()), holds);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], checkArgument) == 0) {
        FakePrompts prompts;
        QWidget window;
        Housekeeping(prompts, &window).checkForPreviousInstallations();
        std::printf("questions: %d\n", int(prompts.boxes.size()));
        return 0;
    }
    TestHousekeeping test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_housekeeping.moc"
