// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

// The namespace harness scripts/netns-lab.sh, run as a black box: exit status, environment, refusal and,
// above all, that nothing is left behind.
class TestNetnsLab : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void runsCommandAndCleansUp_data();
    void runsCommandAndCleansUp();
    void keepsLogOnlyWhenCommandFails_data();
    void keepsLogOnlyWhenCommandFails();
    void cleansUpWhenTerminated();
    void refusesToSetUp_data();
    void refusesToSetUp();

private:
    struct Run
    {
        int status = -1;
        QString standardError;
    };
    Run runHarness(const QStringList& arguments, const QString& workingDir = QString(), int timeoutMs = 30000);
    QString writeScript(const QString& name, const QString& body);
    static QStringList namespaces();
    QStringList recorded() const;

    QTemporaryDir m_dir;
    QString m_record;
};

namespace {
const QString kHarness = QStringLiteral(KESTRION_HARNESS);
const QString kSim = QStringLiteral(KESTRION_SIM_BIN);
const QString kLab = QStringLiteral(KESTRION_TESTS_DIR "/labs/sim-basic.json");
constexpr int kSetupFailure = 2;
} // namespace

void TestNetnsLab::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_record = m_dir.filePath(QStringLiteral("record"));
}

TestNetnsLab::Run TestNetnsLab::runHarness(const QStringList& arguments, const QString& workingDir, int timeoutMs)
{
    QProcess harness;
    if (!workingDir.isEmpty())
        harness.setWorkingDirectory(workingDir);
    harness.start(kHarness, arguments);
    Run run;
    if (!harness.waitForFinished(timeoutMs)) {
        harness.kill();
        harness.waitForFinished();
        return run;
    }
    run.status = harness.exitStatus() == QProcess::NormalExit ? harness.exitCode() : -1;
    run.standardError = QString::fromLocal8Bit(harness.readAllStandardError());
    return run;
}

QString TestNetnsLab::writeScript(const QString& name, const QString& body)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(("#!/bin/sh\n" + body + "\n").toLocal8Bit());
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return path;
}

QStringList TestNetnsLab::namespaces()
{
    QProcess ip;
    ip.start(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("list")});
    ip.waitForFinished(5000);
    QStringList names;
    for (const QString& line : QString::fromLocal8Bit(ip.readAllStandardOutput()).split(QLatin1Char('\n')))
        names.append(line.section(QLatin1Char(' '), 0, 0));
    return names;
}

// What the command wrote about itself: tool namespace, lab namespace, the namespace it ran in, lab, log.
QStringList TestNetnsLab::recorded() const
{
    QFile file(m_record);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

void TestNetnsLab::runsCommandAndCleansUp_data()
{
    QTest::addColumn<QString>("lab");
    QTest::addColumn<QString>("workingDir");
    QTest::addColumn<QString>("exitWith");

    QTest::newRow("absolute lab, success") << kLab << QString() << "0";
    QTest::newRow("relative lab, success") << "labs/sim-basic.json" << KESTRION_TESTS_DIR << "0";
    QTest::newRow("command fails") << kLab << QString() << "3";
}

void TestNetnsLab::runsCommandAndCleansUp()
{
    QFETCH(QString, lab);
    QFETCH(QString, workingDir);
    QFETCH(QString, exitWith);

    QFile::remove(m_record);
    const QString script = writeScript(
        QStringLiteral("record.sh"),
        QStringLiteral(
            "echo \"$KESTRION_TOOL_NS $KESTRION_LAB_NS $(ip netns identify) $KESTRION_LAB $KESTRION_SIM_LOG\""
            " > '%1'\nexit %2")
            .arg(m_record, exitWith));
    const QString log = m_dir.filePath(QStringLiteral("given.log"));
    const Run run = runHarness({"--sim", kSim, "--lab", lab, "--log", log, "--", script}, workingDir);

    QCOMPARE(run.status, exitWith.toInt());
    const QStringList record = recorded();
    QCOMPARE(record.size(), 5);
    QCOMPARE(record.at(2), record.at(0)); // ran inside the tool namespace
    QCOMPARE(record.at(3), kLab);
    QCOMPARE(record.at(4), log);
    QVERIFY(QFile::exists(log));
    const QStringList left = namespaces();
    QVERIFY2(!left.contains(record.at(0)), qPrintable(record.at(0)));
    QVERIFY2(!left.contains(record.at(1)), qPrintable(record.at(1)));
}

void TestNetnsLab::keepsLogOnlyWhenCommandFails_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("kept");

    QTest::newRow("success") << "true" << false;
    QTest::newRow("failure") << "false" << true;
}

void TestNetnsLab::keepsLogOnlyWhenCommandFails()
{
    QFETCH(QString, command);
    QFETCH(bool, kept);

    const QString path = QStandardPaths::findExecutable(command);
    const Run run = runHarness({"--sim", kSim, "--lab", kLab, "--", path});
    QCOMPARE(run.status, kept ? 1 : 0);
    const QRegularExpression keptLine(QStringLiteral("log kept in (\\S+)"));
    const QRegularExpressionMatch match = keptLine.match(run.standardError);
    QCOMPARE(match.hasMatch(), kept);
    if (kept) {
        QVERIFY(QFile::exists(match.captured(1)));
        QFile::remove(match.captured(1));
    }
}

void TestNetnsLab::cleansUpWhenTerminated()
{
    QFile::remove(m_record);
    const QString script =
        writeScript(QStringLiteral("linger.sh"),
                    QStringLiteral("echo \"$KESTRION_TOOL_NS $KESTRION_LAB_NS\" > '%1'\nsleep 30").arg(m_record));
    QProcess harness;
    harness.start(kHarness, {"--sim", kSim, "--lab", kLab, "--", script});
    QTRY_COMPARE_WITH_TIMEOUT(recorded().size(), 2, 15000);
    const QStringList record = recorded();
    QVERIFY(namespaces().contains(record.at(0)));
    ::kill(pid_t(harness.processId()), SIGTERM);
    QVERIFY(harness.waitForFinished(10000));
    QVERIFY(harness.exitCode() != 0);
    const QStringList left = namespaces();
    QVERIFY(!left.contains(record.at(0)));
    QVERIFY(!left.contains(record.at(1)));
}

void TestNetnsLab::refusesToSetUp_data()
{
    QTest::addColumn<QStringList>("prefix");
    QTest::addColumn<QString>("sim");
    QTest::addColumn<QString>("lab");
    QTest::addColumn<QString>("message");

    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (!setpriv.isEmpty())
        QTest::newRow("not root") << QStringList{setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"} << kSim
                                  << kLab << "root";
    QTest::newRow("missing lab") << QStringList() << kSim << m_dir.filePath(QStringLiteral("none.json"))
                                 << "cannot be read";
    QFile bad(m_dir.filePath(QStringLiteral("bad.json")));
    if (bad.open(QIODevice::WriteOnly))
        bad.write(R"({"links": [{"name": "kl0", "toolIp": "10.77.1.1", "labIp": "nonsense"}], "units": []})");
    bad.close();
    QTest::newRow("invalid lab") << QStringList() << kSim << bad.fileName() << "not valid";
    const QString links = QStringLiteral("[ \"$3\" = --links ] && echo 'kl0 10.77.1.1 10.77.1.254 24' && exit 0\n");
    QTest::newRow("simulator dies") << QStringList() << writeScript(QStringLiteral("dies.sh"), links + "exit 1") << kLab
                                    << "stopped before it was ready";
    QTest::newRow("simulator never ready")
        << QStringList() << writeScript(QStringLiteral("stuck.sh"), links + "exec sleep 60") << kLab
        << "not ready within 10 s";
}

void TestNetnsLab::refusesToSetUp()
{
    QFETCH(QStringList, prefix);
    QFETCH(QString, sim);
    QFETCH(QString, lab);
    QFETCH(QString, message);

    QStringList arguments = prefix;
    arguments << kHarness << "--sim" << sim << "--lab" << lab << "--"
              << "true";
    QProcess harness;
    harness.start(arguments.takeFirst(), arguments);
    const QString pidPart = QStringLiteral("-%1-").arg(harness.processId());
    QVERIFY(harness.waitForFinished(20000));
    QCOMPARE(harness.exitCode(), kSetupFailure);
    const QString standardError = QString::fromLocal8Bit(harness.readAllStandardError());
    QVERIFY2(standardError.contains(message), qPrintable(standardError));
    // setpriv executes the harness in place, so the namespaces would carry this process id.
    for (const QString& name : namespaces())
        QVERIFY2(!name.contains(pidPart), qPrintable(name));
}

QTEST_GUILESS_MAIN(TestNetnsLab)
#include "tst_netnslab.moc"
