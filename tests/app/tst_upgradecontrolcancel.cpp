// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/firmwareimages.h"
#include "common/simlog.h"
#include "common/testhome.h"
#include "model/appsettings.h"
#include "motorpagelab.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace motorpage;

namespace {
constexpr int cancelBoundMs = 20000;
const QString firstBeamline = QStringLiteral("10.77.6.30");
const QString secondBeamline = QStringLiteral("10.77.6.31");
const QString motorDriver = QStringLiteral("10.77.6.10");
} // namespace

// Cancel pressed in the middle of a beamline flash and of a motor-driver transfer, against the simulated
// units of tests/labs/firmware-page-cancel.json: the run stops at its next safe point, says where, starts
// no further unit, and a motor driver's module is put back to normal operation.
class TestUpgradeControlCancel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void cancelBetweenBeamlineLinesStartsNoOtherUnit();
    void cancelDuringMotorTransferRestoresTheModule();

private:
    void pressCancelWhenLogShows(const QString& line);

    QTemporaryDir m_home;
    QTemporaryDir m_images;
    std::unique_ptr<MotorPageLab> m_lab;
};

void TestUpgradeControlCancel::initTestCase()
{
    QVERIFY(m_home.isValid());
    QVERIFY(m_images.isValid());
    useTestHome(m_home);
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path() + QStringLiteral("/.local/share")));
    // Cancel of one unit after another; the fleet's cancel has its own test.
    AppSettings().setParallelUpgrades(1);
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS") || !SimLog::available())
        QSKIP("runs only inside the namespace harness");
}

void TestUpgradeControlCancel::init()
{
    FirmwarePacing pacing = quickPacing();
    // Lines slow enough for the press to land in the middle of the image.
    pacing.linePauseMs = 20;
    FirmwarePacing::setCurrent(pacing);
    m_lab = std::make_unique<MotorPageLab>();
    m_lab->scan();
    QVERIFY(m_lab->rowOf(firstBeamline) >= 0);
    QVERIFY(m_lab->rowOf(motorDriver) >= 0);
    m_lab->markSimLog();
}

void TestUpgradeControlCancel::cleanup()
{
    m_lab.reset();
    FirmwarePacing::setCurrent(FirmwarePacing());
}

void TestUpgradeControlCancel::pressCancelWhenLogShows(const QString& line)
{
    QTRY_VERIFY_WITH_TIMEOUT(m_lab->log().contains(line), cancelBoundMs);
    QPushButton* cancel = m_lab->child<QPushButton>("cancelFwBtn");
    QVERIFY(cancel->isEnabled());
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!m_lab->window->firmwarePage().upgradeRunning(), cancelBoundMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_lab->windowEnabled(), cancelBoundMs);
}

void TestUpgradeControlCancel::cancelBetweenBeamlineLinesStartsNoOtherUnit()
{
    FirmwareImages::Flash spec;
    spec.version = QStringLiteral("2.2.00");
    spec.lines = 400;
    const QString path = m_images.filePath(QStringLiteral("lumen.flash"));
    QVERIFY(FirmwareImages::write(path, FirmwareImages::flash(spec)));
    QVERIFY(m_lab->tick({firstBeamline, secondBeamline}));
    m_lab->choose(1, path);
    QTest::mouseClick(m_lab->child<QPushButton>("updateFwBtn"), Qt::LeftButton);
    pressCancelWhenLogShows(QStringLiteral("Programming Device memory..."));
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(m_lab->recorder.runs().size(), 1);
    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.finalSignals(), 1);
    QCOMPARE(run.errors, 1);
    const QString log = m_lab->log();
    QVERIFY2(
        log.contains(QRegularExpression(QStringLiteral("ERROR: The upgrade was stopped before image line \\d+\\."))),
        qPrintable(log));
    QVERIFY2(log.contains(QStringLiteral("The unit's flash is incomplete")), qPrintable(log));
    // Stopped between lines: the restart that would boot a half-written image was never sent, and the
    // second unit was never reached.
    const SimLog::Lines first = m_lab->simLog();
    QVERIFY(SimLog::events(first, QStringLiteral("reboot"), QStringLiteral("blfirst")).isEmpty());
    QVERIFY(SimLog::events(first, QStringLiteral("connect"), QStringLiteral("blsecond")).isEmpty());
    const FakePrompts::Box box = m_lab->lastBox();
    QVERIFY2(box.text.contains(QStringLiteral(" 10.77.6.30: cancelled")), qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral(" 10.77.6.31: not started")), qPrintable(box.text));
}

void TestUpgradeControlCancel::cancelDuringMotorTransferRestoresTheModule()
{
    const QString image = m_lab->image(QStringLiteral("Kolvex_Communication_DSP"), QStringLiteral("2.40"));
    QVERIFY(m_lab->tick({motorDriver}));
    m_lab->choose(1, image);
    QTest::mouseClick(m_lab->child<QPushButton>("updateFwBtn"), Qt::LeftButton);
    // The simulated loader takes seconds to erase: the press lands while the transfer waits for it.
    pressCancelWhenLogShows(QStringLiteral("Program..."));
    if (QTest::currentTestFailed())
        return;

    const WorkerRecorder::Run run = m_lab->recorder.last();
    QCOMPARE(run.finalSignals(), 1);
    QCOMPARE(run.errors, 1);
    const QString log = m_lab->log();
    QVERIFY2(log.contains(QStringLiteral("ERROR: The upgrade was stopped before ")), qPrintable(log));
    QVERIFY2(log.contains(restored), qPrintable(log));
    QVERIFY2(!log.contains(notRestored), qPrintable(log));
    const ModuleState state = moduleState(QStringLiteral("mot"));
    QCOMPARE(state.baud, normalBaud);
    QCOMPARE(state.pinLevels, normalPins);
    QVERIFY2(m_lab->lastBox().text.contains(QStringLiteral(" 10.77.6.10: cancelled")),
             qPrintable(m_lab->lastBox().text));
}

QTEST_MAIN(TestUpgradeControlCancel)
#include "tst_upgradecontrolcancel.moc"
