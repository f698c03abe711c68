// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// "kestrion-cli upgrade" running units side by side, on the tool side of the lab tests/labs/cli-fleet.json,
// with the real pacing. The simulator logs each upgrade's begin and end per supply and per XPort module; from
// those lines the tests read that no unit and no module had two upgrades at once. Every test upgrades units of
// its own.
#include "clirunner.h"
#include "common/firmwareimages.h"
#include "common/heximages.h"
#include "common/simlog.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {
const QString newVersion = QStringLiteral("2.0.00");
constexpr int fleetBoundMs = 240000;

QStringList lines(const QByteArray& output)
{
    return QString::fromUtf8(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList names(const QString& stem, int count)
{
    QStringList units;
    for (int i = 1; i <= count; ++i)
        units << stem + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
    return units;
}

struct Window
{
    double begin = 0;
    double end = -1;
};

// Each unit's upgrade windows, from the simulator's begin and end lines, in the order they began.
QMap<QString, QList<Window>> windows(const SimLog::Lines& heard)
{
    QMap<QString, QList<Window>> byUnit;
    for (const QJsonObject& line : SimLog::events(heard, QStringLiteral("upgrade"))) {
        QList<Window>& unit = byUnit[line.value("unit").toString()];
        const double t = line.value("t").toDouble();
        if (line.value("phase").toString() == QLatin1String("begin"))
            unit.append({t, -1});
        else if (!unit.isEmpty() && unit.last().end < 0)
            unit.last().end = t;
    }
    return byUnit;
}

// The most windows open at one time, across units.
int peakAtOnce(const QMap<QString, QList<Window>>& byUnit)
{
    QList<QPair<double, int>> edges;
    for (const QList<Window>& unit : byUnit) {
        for (const Window& window : unit) {
            edges.append({window.begin, 1});
            edges.append({window.end, -1});
        }
    }
    std::sort(edges.begin(), edges.end(), [](const auto& a, const auto& b) {
        return a.first < b.first || (a.first == b.first && a.second < b.second);
    });
    int open = 0;
    int peak = 0;
    for (const auto& edge : edges)
        peak = qMax(peak, open += edge.second);
    return peak;
}

bool noneOverlaps(const QMap<QString, QList<Window>>& byUnit)
{
    for (const QList<Window>& unit : byUnit) {
        for (int i = 0; i < unit.size(); ++i) {
            if (unit.at(i).end < unit.at(i).begin)
                return false;
            if (i > 0 && unit.at(i).begin < unit.at(i - 1).end)
                return false;
        }
    }
    return true;
}
} // namespace

class TestCliFleet : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void twelveSuppliesFourAtOnce();
    void oneFailureLeavesTheOthersUpgraded();
    void failureLimitStartsNoNewUnit();
    void failingCanaryLeavesTheOthersAlone();
    void canaryShowingItsNewVersionLetsTheOthersRun();
    void cancelStopsUnitsInFlight();
    void twoMotorDriversAtOnce();

private:
    QStringList upgradeArguments(const QStringList& units, const QString& file) const;
    std::unique_ptr<QProcess> start(const QStringList& arguments) const;
    CliRunner::Result finish(QProcess& process, int boundMs) const;
    static int mark() { return SimLog::lines().size(); }
    static SimLog::Lines since(int mark) { return SimLog::lines().mid(mark); }
    QString supplyImage() const;

    QTemporaryDir m_files;
    std::unique_ptr<QTemporaryDir> m_home;
    QByteArray m_image;
    QMap<QString, QString> m_macs;
};

void TestCliFleet::initTestCase()
{
    if (!SimLog::available())
        QSKIP("runs only inside the namespace harness (scripts/netns-lab.sh)");
    QVERIFY(m_files.isValid());
    m_image = FirmwareImages::updt(100000, newVersion);
    QFile lab(QStringLiteral(KESTRION_TESTS_DIR "/labs/cli-fleet.json"));
    QVERIFY(lab.open(QIODevice::ReadOnly));
    for (const QJsonValue& unit : QJsonDocument::fromJson(lab.readAll()).object().value("units").toArray())
        m_macs.insert(unit.toObject().value("name").toString(), unit.toObject().value("mac").toString());
}

void TestCliFleet::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
}

QString TestCliFleet::supplyImage() const
{
    const QString path = m_files.filePath(QStringLiteral("supply.updt"));
    return FirmwareImages::write(path, m_image) ? path : QString();
}

QStringList TestCliFleet::upgradeArguments(const QStringList& units, const QString& file) const
{
    QStringList arguments{QStringLiteral("upgrade"), QStringLiteral("--file"), file};
    for (const QString& unit : units)
        arguments << QStringLiteral("--mac") << m_macs.value(unit);
    return arguments;
}

std::unique_ptr<QProcess> TestCliFleet::start(const QStringList& arguments) const
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_home->path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), CliRunner::configDirectory(m_home->path()));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), CliRunner::dataHome(m_home->path()));
    process->setProcessEnvironment(environment);
    process->start(CliRunner::program(), arguments);
    process->closeWriteChannel();
    return process;
}

CliRunner::Result TestCliFleet::finish(QProcess& process, int boundMs) const
{
    CliRunner::Result result;
    result.finished = process.waitForFinished(boundMs);
    if (!result.finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestCliFleet::twelveSuppliesFourAtOnce()
{
    const QStringList units = names(QStringLiteral("fs"), 12);
    const int before = mark();
    auto process = start(upgradeArguments(units, supplyImage()) << "--parallel"
                                                                << "4"
                                                                << "--no-canary");
    const CliRunner::Result result = finish(*process, fleetBoundMs);
    QVERIFY(result.finished);
    QVERIFY2(result.exitCode == 0, result.err.constData());
    const QStringList out = lines(result.out);
    const SimLog::Lines heard = since(before);
    const QString digest = FirmwareImages::sha256Hex(m_image);
    for (const QString& unit : units) {
        const SimLog::Lines uploads = SimLog::events(heard, "upload", unit);
        QCOMPARE(uploads.size(), 1);
        QCOMPARE(uploads.first().value("sha256").toString(), digest);
        QVERIFY2(out.contains(m_macs.value(unit) + ": upgraded"), qPrintable(unit));
        // Several at once: every line says whose it is.
        QVERIFY(out.contains(m_macs.value(unit) + ": FIRMWARE SUCCESSFULLY UPDATED!"));
        QVERIFY(std::any_of(out.cbegin(), out.cend(), [&](const QString& line) {
            return line.endsWith("(" + m_macs.value(unit) + "): 1.0.00 \u2192 " + newVersion);
        }));
    }
    const auto byUnit = windows(heard);
    QCOMPARE(byUnit.size(), 12);
    QVERIFY(noneOverlaps(byUnit));
    const int peak = peakAtOnce(byUnit);
    QVERIFY2(peak > 1 && peak <= 4, qPrintable(QString::number(peak)));
}

void TestCliFleet::oneFailureLeavesTheOthersUpgraded()
{
    const QStringList units = QStringList{QStringLiteral("fnak")} + names(QStringLiteral("gs"), 5);
    const int before = mark();
    auto process = start(upgradeArguments(units, supplyImage()) << "--parallel"
                                                                << "3"
                                                                << "--no-canary");
    const CliRunner::Result result = finish(*process, fleetBoundMs);
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(lines(result.err),
             QStringList{"kestrion-cli upgrade: " + m_macs.value("fnak") + ": update error: wrong model"});
    QVERIFY(lines(result.out).contains(m_macs.value("fnak") + ": CRITICAL: update error: wrong model\r"));
    const SimLog::Lines heard = since(before);
    for (const QString& unit : units.mid(1)) {
        QCOMPARE(SimLog::events(heard, "upload", unit).size(), 1);
        QVERIFY(lines(result.out).contains(m_macs.value(unit) + ": upgraded"));
    }
    QVERIFY(noneOverlaps(windows(heard)));
}

void TestCliFleet::failureLimitStartsNoNewUnit()
{
    // Both failing supplies start first; once both have failed no further unit starts.
    const QStringList units = QStringList{QStringLiteral("lnak1"), QStringLiteral("lnak2")} + names("ls", 4);
    const int before = mark();
    auto process = start(upgradeArguments(units, supplyImage()) << "--parallel"
                                                                << "2"
                                                                << "--max-failures"
                                                                << "2"
                                                                << "--no-canary");
    const CliRunner::Result result = finish(*process, fleetBoundMs);
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 1);
    const QStringList err = lines(result.err);
    QVERIFY2(err.contains("kestrion-cli upgrade: the failure limit (2) was reached: no further unit was started"),
             result.err.constData());
    QVERIFY(err.last().startsWith("kestrion-cli upgrade: not upgraded: "));
    QVERIFY(err.last().endsWith(m_macs.value("ls03") + ", " + m_macs.value("ls04")));
    const SimLog::Lines heard = since(before);
    QCOMPARE(SimLog::tcp(heard, "ls03").size(), 0);
    QCOMPARE(SimLog::tcp(heard, "ls04").size(), 0);
}

void TestCliFleet::failingCanaryLeavesTheOthersAlone()
{
    const QStringList units = QStringList{QStringLiteral("cnak")} + names(QStringLiteral("cs"), 4);
    const int before = mark();
    auto process = start(upgradeArguments(units, supplyImage()) << "--parallel"
                                                                << "4"
                                                                << "--canary");
    const CliRunner::Result result = finish(*process, fleetBoundMs);
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 1);
    const QStringList err = lines(result.err);
    QVERIFY2(err.contains("kestrion-cli upgrade: the first unit, " + m_macs.value("cnak") +
                          ", was not upgraded: the others were left alone"),
             result.err.constData());
    const SimLog::Lines heard = since(before);
    QCOMPARE(SimLog::events(heard, "upload", "cnak").size(), 1);
    for (const QString& unit : units.mid(1))
        QCOMPARE(SimLog::tcp(heard, unit).size(), 0);
}

// More than four units: the canary is on by default. The others start only after the rescan of the first.
void TestCliFleet::canaryShowingItsNewVersionLetsTheOthersRun()
{
    const QStringList units = names(QStringLiteral("cv"), 5);
    const int before = mark();
    auto process = start(upgradeArguments(units, supplyImage()) << "--parallel"
                                                                << "4");
    const CliRunner::Result result = finish(*process, fleetBoundMs);
    QVERIFY(result.finished);
    QVERIFY2(result.exitCode == 0, result.err.constData());
    const SimLog::Lines heard = since(before);
    const double canaryRebooted = SimLog::events(heard, "reboot", "cv01").first().value("t").toDouble();
    for (const QString& unit : units.mid(1)) {
        QCOMPARE(SimLog::events(heard, "upload", unit).size(), 1);
        QVERIFY(SimLog::tcp(heard, unit, "connect").first().value("t").toDouble() > canaryRebooted);
    }
    const QStringList out = lines(result.out);
    for (const QString& unit : units)
        QVERIFY(std::any_of(out.cbegin(), out.cend(), [&](const QString& line) {
            return line.endsWith("(" + m_macs.value(unit) + "): 1.0.00 \u2192 " + newVersion);
        }));
}

void TestCliFleet::cancelStopsUnitsInFlight()
{
    // The slow supplies install for eight seconds: SIGTERM comes while two of them do.
    const QStringList units = names(QStringLiteral("ks"), 4);
    const int before = mark();
    auto process = start(upgradeArguments(units, supplyImage()) << "--parallel"
                                                                << "2"
                                                                << "--no-canary");
    QVERIFY(QTest::qWaitFor([&] { return SimLog::events(since(before), "upgrade").size() >= 2; }, 60000));
    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(process->processId()), SIGTERM);
    const CliRunner::Result result = finish(*process, 60000);
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains("stopping: the units in flight are asked to stop"), result.err.constData());
    // Each unit in flight names who stopped it, in its failure as in its log.
    for (const QString& unit : units.mid(0, 2))
        QVERIFY2(result.err.contains(m_macs.value(unit).toUtf8() + ": cancelled by SIGTERM: "), result.err.constData());
    QCOMPARE(result.out.count("The upgrade ended, cancelled by SIGTERM: "), 2);
    QVERIFY(
        result.err.contains("not upgraded: " + m_macs.value("ks03").toUtf8() + ", " + m_macs.value("ks04").toUtf8()));
    const SimLog::Lines heard = since(before);
    QCOMPARE(SimLog::tcp(heard, "ks03").size(), 0);
    QCOMPARE(SimLog::tcp(heard, "ks04").size(), 0);
    QVERIFY(noneOverlaps(windows(heard)));
}

void TestCliFleet::twoMotorDriversAtOnce()
{
    const QString path = m_files.filePath(QStringLiteral("Kolvex_Communication_DSP_3.00.hex"));
    QVERIFY(HexImages::writeFile(path, HexImages::toHex(HexImages::versionedImage(QStringLiteral("3.00"), 1024))));
    const QStringList units{QStringLiteral("mot1"), QStringLiteral("mot2")};
    const int before = mark();
    auto process = start(upgradeArguments(units, path) << "--parallel"
                                                       << "2");
    const CliRunner::Result result = finish(*process, fleetBoundMs);
    QVERIFY(result.finished);
    QVERIFY2(result.exitCode == 0, result.err.constData() + result.out.right(3000));
    const SimLog::Lines heard = since(before);
    const auto byModule = windows(heard);
    // Each module was taken once and given back at its normal speed (its window ended), both at the same time.
    QCOMPARE(byModule.value("mot1").size(), 1);
    QCOMPARE(byModule.value("mot2").size(), 1);
    QVERIFY(noneOverlaps(byModule));
    QCOMPARE(peakAtOnce(byModule), 2);
    for (const QString& unit : units)
        QVERIFY(
            QString::fromUtf8(result.out).contains(m_macs.value(unit) + ": Process completed! wait for restart..."));
}

QTEST_GUILESS_MAIN(TestCliFleet)
#include "tst_clifleet.moc"
