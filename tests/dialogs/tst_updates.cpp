// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include "common/fakeprompts.h"
#include "updates/checkupdatesthread.h"
#include "updates/updates.h"

namespace {

constexpr int resultWaitMs = 10000;
constexpr int shortFinishBoundMs = 400;
const QString noUpdates = QStringLiteral("No updates available.");
const QString offerText =
    QStringLiteral("There are updates, would you like to upgrade (the application will be closed)?");

} // namespace

// Plays the installer's maintenance tool with a shell script put where the program looks for it:
// two levels above the test executable, i.e. in the build folder.
class TestUpdates : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void missingToolPointsToThePackageManager();
    void toolIsCalledWithCheckUpdates();
    void toolOutputDecidesTheOffer_data();
    void toolOutputDecidesTheOffer();
    void toolFailuresAreReported_data();
    void toolFailuresAreReported();
    void otherErrorCodesAreDescribed_data();
    void otherErrorCodesAreDescribed();
    void finishBoundIsThirtySeconds();
    void declinedOfferStartsNothing();
    void acceptedOfferStartsUpdaterAndQuits();
    void updaterThatCannotStartShowsRepositoryLink();
    void twoChecksRunIndependently();

private:
    void writeTool(const QString& checkBody, QFile::Permissions permissions = executable());
    static QFile::Permissions executable();
    QString recordedUpdaterArguments() const;
    QString recordedCheckArguments() const;

    QString m_toolPath;
    QTemporaryDir m_records;
    QWidget m_window;
    FakePrompts m_prompts;
};

QFile::Permissions TestUpdates::executable()
{
    return QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup;
}

void TestUpdates::initTestCase()
{
    m_toolPath = QCoreApplication::applicationDirPath() + QStringLiteral("/../../maintenancetool");
    QVERIFY(m_records.isValid());
    // Only this test puts a tool there; one left behind by an interrupted run goes first.
    QFile::remove(m_toolPath);
    QVERIFY(!QFile::exists(m_toolPath));
}

void TestUpdates::init()
{
    m_prompts.boxes.clear();
    m_prompts.answer = QMessageBox::No;
    QFile::remove(m_records.filePath(QStringLiteral("updater")));
    QFile::remove(m_records.filePath(QStringLiteral("check")));
}

void TestUpdates::cleanup()
{
    QFile::remove(m_toolPath);
}

void TestUpdates::cleanupTestCase()
{
    QFile::remove(m_toolPath);
}

void TestUpdates::writeTool(const QString& checkBody, QFile::Permissions permissions)
{
    QFile tool(m_toolPath);
    QVERIFY(tool.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QString script =
        QStringLiteral("#!/bin/sh\n"
                       "if [ \"$1\" = \"--updater\" ]; then printf '%s\\n' \"$@\" > '%1'; exit 0; fi\n"
                       "printf '%s\\n' \"$@\" > '%2'\n"
                       "%3\n")
            .arg(m_records.filePath(QStringLiteral("updater")), m_records.filePath(QStringLiteral("check")), checkBody);
    tool.write(script.toUtf8());
    tool.close();
    QVERIFY(tool.setPermissions(permissions));
}

QString TestUpdates::recordedUpdaterArguments() const
{
    QFile file(m_records.filePath(QStringLiteral("updater")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString TestUpdates::recordedCheckArguments() const
{
    QFile file(m_records.filePath(QStringLiteral("check")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void TestUpdates::missingToolPointsToThePackageManager()
{
    Updates updates(&m_window, &m_prompts);
    QVERIFY(updates.toolPath().isEmpty());
    updates.checkUpdates();
    QCOMPARE(m_prompts.boxes.size(), 1);
    const FakePrompts::Box box = m_prompts.boxes.first();
    // A system package or a build tree has no maintenance tool: the answer points to the package
    // manager and does not ask for a reinstallation.
    QCOMPARE(box.kind, QStringLiteral("information"));
    QCOMPARE(box.title, QStringLiteral("Updates"));
    QVERIFY2(box.text.contains(QStringLiteral("Updates come through the system's package manager.")),
             qPrintable(box.text));
    QVERIFY2(!box.text.contains(QStringLiteral("reinstall")), qPrintable(box.text));
    QVERIFY(updates.findChildren<CheckUpdatesThread*>().isEmpty());
}

void TestUpdates::toolIsCalledWithCheckUpdates()
{
    writeTool(QStringLiteral("exit 0"));
    Updates updates(&m_window, &m_prompts);
    QCOMPARE(updates.toolPath(), QFileInfo(m_toolPath).canonicalFilePath());
    updates.checkUpdates();
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts.boxes.size(), 1, resultWaitMs);
    QCOMPARE(recordedCheckArguments(), QStringLiteral("--checkupdates\n"));
}

void TestUpdates::toolOutputDecidesTheOffer_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("offered");
    QTest::newRow("tag present") << R"(printf '<updates><update name="kestrion" version="1.1.0"/></updates>\n')"
                                 << true;
    QTest::newRow("tag inside other text") << "printf 'Fetching...xx<updates>yy'" << true;
    QTest::newRow("NUL after the tag") << "printf '<updates>\\000tail'" << true;
    QTest::newRow("non-zero exit still read") << "printf '<updates>'; exit 3" << true;
    QTest::newRow("no tag") << "printf 'Fetching meta information from remote repositories...\\n'" << false;
    QTest::newRow("tag in upper case") << "printf '<UPDATES></UPDATES>'" << false;
    QTest::newRow("tag in mixed case") << "printf '<Updates>'" << false;
    QTest::newRow("NUL before the tag") << "printf 'abc\\000<updates>'" << false;
    QTest::newRow("no output") << "exit 0" << false;
}

void TestUpdates::toolOutputDecidesTheOffer()
{
    QFETCH(QString, body);
    QFETCH(bool, offered);
    writeTool(body);
    Updates updates(&m_window, &m_prompts);
    updates.checkUpdates();
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts.boxes.size(), 1, resultWaitMs);
    const FakePrompts::Box box = m_prompts.boxes.first();
    QCOMPARE(box.title, QStringLiteral("Updates"));
    if (offered) {
        QCOMPARE(box.kind, QStringLiteral("question"));
        QCOMPARE(box.text, offerText);
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.defaultButton, QMessageBox::No);
    } else {
        QCOMPARE(box.kind, QStringLiteral("information"));
        QCOMPARE(box.text, noUpdates);
    }
}

void TestUpdates::toolFailuresAreReported_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("runnable");
    QTest::addColumn<QString>("description");
    QTest::newRow("not executable")
        << "exit 0" << false
        << "The process failed to start. Either the invoked program is missing, or you may have insufficient "
           "permissions to invoke the program.";
    QTest::newRow("killed by a signal") << "kill -KILL $$" << true
                                        << "The process crashed some time after starting successfully.";
    QTest::newRow("never finishes") << "exec sleep 20" << true << "Timeout.";
}

void TestUpdates::toolFailuresAreReported()
{
    QFETCH(QString, body);
    QFETCH(bool, runnable);
    QFETCH(QString, description);
    writeTool(body, runnable ? executable() : QFile::ReadOwner | QFile::WriteOwner);
    Updates updates(&m_window, &m_prompts);
    updates.setFinishTimeout(shortFinishBoundMs);
    updates.checkUpdates();
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts.boxes.size(), 1, resultWaitMs);
    const FakePrompts::Box box = m_prompts.boxes.first();
    QCOMPARE(box.kind, QStringLiteral("critical"));
    QCOMPARE(box.title, QStringLiteral("Updates"));
    QCOMPARE(box.text, QStringLiteral("Error calling maintenancetool %1. %2").arg(updates.toolPath(), description));
}

void TestUpdates::otherErrorCodesAreDescribed_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("description");
    QTest::newRow("read error") << int(QProcess::ReadError)
                                << "An error occurred when attempting to read from the process. For example, the "
                                   "process may not be running.";
    QTest::newRow("write error") << int(QProcess::WriteError)
                                 << "An error occurred when attempting to write to the process. For example, the "
                                    "process may not be running, or it may have closed its input channel.";
    QTest::newRow("unknown 7") << 7 << "Unknown error, code error 7";
    QTest::newRow("unknown -1") << -1 << "Unknown error, code error -1";
}

void TestUpdates::otherErrorCodesAreDescribed()
{
    QFETCH(int, code);
    QFETCH(QString, description);
    writeTool(QStringLiteral("exit 0"));
    Updates updates(&m_window, &m_prompts);
    updates.onCheckResult(code, QByteArray("<updates>"));
    QCOMPARE(m_prompts.boxes.size(), 1);
    QCOMPARE(m_prompts.boxes.first().kind, QStringLiteral("critical"));
    QCOMPARE(m_prompts.boxes.first().text,
             QStringLiteral("Error calling maintenancetool %1. %2").arg(updates.toolPath(), description));
}

void TestUpdates::finishBoundIsThirtySeconds()
{
    QCOMPARE(CheckUpdatesThread::defaultFinishTimeoutMs, 30000);
}

void TestUpdates::declinedOfferStartsNothing()
{
    writeTool(QStringLiteral("printf '<updates>'"));
    Updates updates(&m_window, &m_prompts);
    bool quit = false;
    updates.setQuitAction([&quit] { quit = true; });
    updates.updateSoftware(QByteArray("<updates>"));
    QCOMPARE(m_prompts.boxes.size(), 1);
    QCOMPARE(m_prompts.boxes.first().kind, QStringLiteral("question"));
    QTest::qWait(300);
    QVERIFY(recordedUpdaterArguments().isEmpty());
    QVERIFY(!quit);
}

void TestUpdates::acceptedOfferStartsUpdaterAndQuits()
{
    writeTool(QStringLiteral("printf 'version info\\n<updates>\\n'"));
    m_prompts.answer = QMessageBox::Yes;
    Updates updates(&m_window, &m_prompts);
    QEventLoop loop;
    bool quit = false;
    updates.setQuitAction([&] {
        quit = true;
        loop.quit();
    });
    QTimer::singleShot(0, &updates, &Updates::checkUpdates);
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    guard.start(resultWaitMs);
    loop.exec();
    QVERIFY2(quit, "the event loop was not quit by the update check");
    QCOMPARE(m_prompts.boxes.size(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(recordedUpdaterArguments(), QStringLiteral("--updater\n"), resultWaitMs);
}

void TestUpdates::updaterThatCannotStartShowsRepositoryLink()
{
    writeTool(QStringLiteral("printf '<updates>'"));
    m_prompts.answer = QMessageBox::Yes;
    Updates updates(&m_window, &m_prompts);
    bool quit = false;
    updates.setQuitAction([&quit] { quit = true; });
    // The tool was found, then loses its permission: the detached start fails.
    QVERIFY(QFile::setPermissions(m_toolPath, QFile::ReadOwner | QFile::WriteOwner));
    updates.updateSoftware(QByteArray("<updates>"));
    QVERIFY(!quit);
    QCOMPARE(m_prompts.boxes.size(), 2);
    const FakePrompts::Box box = m_prompts.boxes.last();
    QCOMPARE(box.kind, QStringLiteral("critical"));
    QCOMPARE(box.title, QStringLiteral("Updates"));
    QCOMPARE(box.format, Qt::RichText);
    QCOMPARE(box.text,
             QStringLiteral("The maintancetool is installed properly but an error occurs, check if you have access "
                            "permission and if <a href=\"%1\">Ostravi repository</a> is reachable (i.e. firewall or "
                            "proxy is blocking it) and try again later; if the issue persists contact the support.")
                 .arg(QLatin1String(Updates::repositoryUrl)));
    QVERIFY(QUrl(QLatin1String(Updates::repositoryUrl)).isValid());
    QCOMPARE(QUrl(QLatin1String(Updates::repositoryUrl)).scheme(), QStringLiteral("https"));
}

void TestUpdates::twoChecksRunIndependently()
{
    writeTool(QStringLiteral("sleep 0.2; printf 'nothing new'"));
    Updates updates(&m_window, &m_prompts);
    updates.checkUpdates();
    updates.checkUpdates();
    QCOMPARE(updates.findChildren<CheckUpdatesThread*>().size(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(m_prompts.boxes.size(), 2, resultWaitMs);
    for (const FakePrompts::Box& box : m_prompts.boxes)
        QCOMPARE(box.text, noUpdates);
}

QTEST_MAIN(TestUpdates)
#include "tst_updates.moc"
