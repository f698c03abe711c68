// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/terminationsignal.h"
#include "common/firmwareimages.h"
#include "common/simlog.h"
#include "common/testhome.h"
#include "firmwarepagelab.h"
#include "model/appsettings.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>

namespace {
constexpr int runBoundMs = 30000;
constexpr int quitBoundMs = 10000;
constexpr qint64 smallImage = 64 * 1024;
const QString silentSupply = QStringLiteral("10.77.2.18");
const QString laterSupply = QStringLiteral("10.77.2.20");
} // namespace

// A run against simulated supplies, held by the user: Cancel and Quit while a supply that reports
// nothing installs, with every sending action of the window held meanwhile.
class TestUpgradeControlLab : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void cancelWhileInstallingStartsNoOtherUnit();
    void quitAnsweredYesEndsWithTheLogSaved();
    void sigtermEndsWithTheLogSavedAndAsksNothing();

private:
    void startOnSilentSupply(const QStringList& ips);
    bool sendingHeld() const;

    QTemporaryDir m_home;
    QTemporaryDir m_images;
    std::unique_ptr<FirmwarePageLab> m_lab;
};

void TestUpgradeControlLab::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(m_images.isValid());
    useTestHome(m_home);
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path() + QStringLiteral("/.local/share")));
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS") || !SimLog::available())
        QSKIP("runs only inside the namespace harness");
    // Cancel of one unit after another; units at once are tst_firmwarepage_fleet's.
    AppSettings().setParallelUpgrades(1);
}

void TestUpgradeControlLab::init()
{
    FirmwarePacing::setCurrent(quickPacing());
    m_lab = std::make_unique<FirmwarePageLab>();
    m_lab->scan();
    QVERIFY(m_lab->rowOf(silentSupply) >= 0);
}

void TestUpgradeControlLab::cleanup()
{
    m_lab.reset();
    FirmwarePacing::setCurrent(FirmwarePacing());
}

bool TestUpgradeControlLab::sendingHeld() const
{
    const QList<QObject*> controls = {m_lab->child<QPushButton>("scanBtn"),
                                      m_lab->child<QPushButton>("saveConfBtn"),
                                      m_lab->child<QPushButton>("updateFwBtn"),
                                      m_lab->child<QAction>("actionNew_Scan"),
                                      m_lab->child<QAction>("actionAdvanced_network_config"),
                                      m_lab->child<QAction>("actionImport_network_configuration"),
                                      m_lab->child<QAction>("actionSelect_network_interfaces")};
    return std::none_of(controls.cbegin(), controls.cend(),
                        [](QObject* control) { return control->property("enabled").toBool(); });
}

// The upgrade pressed, and the silent supply's upload over: the bar is busy while it installs.
void TestUpgradeControlLab::startOnSilentSupply(const QStringList& ips)
{
    const QString path = m_images.filePath(QStringLiteral("silent.updt"));
    QVERIFY(FirmwareImages::writeUpdt(path, smallImage, QStringLiteral("9.9.99")));
    QVERIFY(m_lab->tick(ips));
    m_lab->choose(1, path);
    QTest::mouseClick(m_lab->child<QPushButton>("updateFwBtn"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_lab->log().contains(QStringLiteral("Install new firmware:")), runBoundMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_lab->bar()->maximum(), 0, runBoundMs);
    QVERIFY(m_lab->window->firmwarePage().upgradeRunning());
}

void TestUpgradeControlLab::cancelWhileInstallingStartsNoOtherUnit()
{
    startOnSilentSupply({silentSupply, laterSupply});
    QVERIFY(sendingHeld());
    // Asked to quit, the user says No: the run goes on, still held.
    m_lab->prompts->answer = QMessageBox::No;
    QTest::keyClick(m_lab->window.get(), Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(m_lab->window->isVisible());
    QVERIFY(m_lab->window->firmwarePage().upgradeRunning());
    QVERIFY(sendingHeld());
    QTest::mouseClick(m_lab->child<QPushButton>("cancelFwBtn"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!m_lab->window->firmwarePage().upgradeRunning(), runBoundMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_lab->windowEnabled(), runBoundMs);
    QCOMPARE(m_lab->recorder.runs().size(), 1);
    QVERIFY2(m_lab->log().contains(QStringLiteral("is installing the uploaded firmware and cannot be stopped")),
             qPrintable(m_lab->log()));
    const FakePrompts::Box box = m_lab->lastBox();
    QVERIFY2(box.text.startsWith(QStringLiteral("WARNING: The upgrade was cancelled.")), qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral(" 10.77.2.20: not started")), qPrintable(box.text));
    QCOMPARE(m_lab->bar()->maximum(), 100);
}

void TestUpgradeControlLab::quitAnsweredYesEndsWithTheLogSaved()
{
    startOnSilentSupply({silentSupply});
    m_lab->window->firmwarePage().setQuitWaitMs(quitBoundMs);
    m_lab->prompts->answer = QMessageBox::Yes;
    QElapsedTimer clock;
    clock.start();
    m_lab->window->close();
    QTRY_VERIFY_WITH_TIMEOUT(!m_lab->window->isVisible(), quitBoundMs + 2000);
    QVERIFY(clock.elapsed() < quitBoundMs + 2000);
    QFile file(m_lab->window->firmwarePage().logFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(file.readAll());
    QVERIFY2(saved.contains(QStringLiteral("Install new firmware:")), qPrintable(saved));
    QVERIFY2(saved.contains(QStringLiteral("The upgrade was stopped for quitting")), qPrintable(saved));
}

// A real SIGTERM to this process, as a session manager or `kill` sends it: nobody is there to answer a
// question, so the run is stopped at its safe point without one, the log is saved and the window closes.
void TestUpgradeControlLab::sigtermEndsWithTheLogSavedAndAsksNothing()
{
    TerminationSignal termination;
    QObject::connect(&termination, &TerminationSignal::received, m_lab->window.get(), &MainWindow::onTerminate);
    startOnSilentSupply({silentSupply});
    m_lab->window->firmwarePage().setQuitWaitMs(quitBoundMs);
    const auto questions = [this]() {
        return std::count_if(m_lab->prompts->boxes.cbegin(), m_lab->prompts->boxes.cend(),
                             [](const FakePrompts::Box& box) { return box.kind == QLatin1String("question"); });
    };
    const auto questionsBefore = questions();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(::kill(::getpid(), SIGTERM), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!m_lab->window->isVisible(), quitBoundMs + 2000);
    QVERIFY(clock.elapsed() < quitBoundMs + 2000);
    QCOMPARE(questions(), questionsBefore);
    QVERIFY(!m_lab->window->firmwarePage().upgradeRunning());
    QFile file(m_lab->window->firmwarePage().logFilePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString saved = QString::fromUtf8(file.readAll());
    QVERIFY2(saved.contains(QStringLiteral("Install new firmware:")), qPrintable(saved));
    QVERIFY2(saved.contains(QStringLiteral("The upgrade was stopped for quitting")), qPrintable(saved));
}

QTEST_MAIN(TestUpgradeControlLab)
#include "tst_upgradecontrollab.moc"
