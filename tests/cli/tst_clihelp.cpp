// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The help texts of kestrion-cli against its manual page. Only help and version
// are asked for here, so nothing touches a network.
#include "clirunner.h"

#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QStringList commands{"interfaces", "scan", "set", "export", "import", "check", "upgrade", "history", "undo"};
const QString manualPath = QStringLiteral(KESTRION_SOURCE_DIR "/docs/kestrion-cli.1");

// The long options listed in a help text's Options section.
QStringList longOptions(const QString& help)
{
    QStringList names;
    const QString options = help.section(QStringLiteral("Options:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
    static const QRegularExpression option(QStringLiteral("^  (?:-[a-z], )?--([a-z][a-z-]*)"),
                                           QRegularExpression::MultilineOption);
    auto it = option.globalMatch(options);
    while (it.hasNext()) {
        const QString name = it.next().captured(1);
        if (!names.contains(name))
            names << name;
    }
    return names;
}

// The lines "  N  text" of the help's exit-code section.
QStringList exitCodeLines(const QString& help)
{
    const QString section = help.section(QStringLiteral("Exit codes:\n"), 1).section(QStringLiteral("\n\n"), 0, 0);
    return section.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Roff writes a minus sign as "\-".
QString roff(QString text)
{
    return text.replace(QLatin1Char('-'), QStringLiteral("\\-"));
}
} // namespace

class TestCliHelp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void generalHelpListsCommandsAndExitCodes();
    void commandHelp_data();
    void commandHelp();
    void manualPageHasEveryOptionAndExitCode_data();
    void manualPageHasEveryOptionAndExitCode();
    void manualPageRendersWithoutWarnings();
    void versionIsTheProjects();

private:
    QString helpOf(const QStringList& arguments);

    QTemporaryDir m_home;
    QString m_manual;
};

void TestCliHelp::initTestCase()
{
    QVERIFY(m_home.isValid());
    QFile manual(manualPath);
    QVERIFY2(manual.open(QIODevice::ReadOnly), qPrintable(manualPath));
    m_manual = QString::fromUtf8(manual.readAll());
}

QString TestCliHelp::helpOf(const QStringList& arguments)
{
    const CliRunner::Result result = CliRunner::run(arguments, m_home.path());
    if (!result.finished || result.exitCode != 0 || !result.err.isEmpty())
        return QString();
    return QString::fromUtf8(result.out);
}

void TestCliHelp::generalHelpListsCommandsAndExitCodes()
{
    const QString help = helpOf({"--help"});
    QVERIFY(help.startsWith("Usage: kestrion-cli COMMAND [options]\n"));
    QCOMPARE(helpOf({"-h"}), help);
    for (const QString& command : commands)
        QVERIFY2(help.contains(QRegularExpression("\n +" + command + " +[A-Z]")), qPrintable(command));
    const QStringList codes = exitCodeLines(help);
    QCOMPARE(codes.size(), 4);
    for (int code = 0; code < 4; ++code)
        QVERIFY2(codes.at(code).startsWith(QStringLiteral("  %1  ").arg(code)), qPrintable(codes.at(code)));
    // Nothing is set up or written for a help text.
    QVERIFY(!QFile::exists(CliRunner::configDirectory(m_home.path())));
}

void TestCliHelp::commandHelp_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("interfaces") << "interfaces" << QStringList{"help", "interface"};
    QTest::newRow("scan") << "scan" << QStringList{"help", "json", "csv", "diff", "interface", "range", "time"};
    QTest::newRow("set") << "set"
                         << QStringList{"help",      "ip",    "mask", "gateway", "dhcp", "no-verify", "allow-duplicate",
                                        "interface", "range", "time"};
    QTest::newRow("export") << "export" << QStringList{"help", "interface", "range", "time"};
    QTest::newRow("import") << "import"
                            << QStringList{"help", "dry-run", "allow-duplicate", "interface", "range", "time"};
    QTest::newRow("check") << "check" << QStringList{"help", "mac", "code", "json", "interface", "range", "time"};
    QTest::newRow("upgrade") << "upgrade"
                             << QStringList{"help",      "mac",          "ip",        "file",     "timeout",
                                            "json",      "force",        "dsp",       "parallel", "canary",
                                            "no-canary", "max-failures", "interface", "range",    "time"};
    QTest::newRow("history") << "history" << QStringList{"help", "device", "since", "search", "json"};
    QTest::newRow("undo") << "undo" << QStringList{"help", "yes", "allow-duplicate", "interface", "range", "time"};
}

void TestCliHelp::commandHelp()
{
    QFETCH(QString, command);
    QFETCH(QStringList, options);
    const QString help = helpOf({command, "--help"});
    QVERIFY2(help.startsWith("Usage: kestrion-cli " + command + " "), qPrintable(help.left(80)));
    QCOMPARE(longOptions(help), options);
    QCOMPARE(exitCodeLines(help), exitCodeLines(helpOf({"--help"})));
    QCOMPARE(helpOf({command, "-h"}), help);
}

void TestCliHelp::manualPageHasEveryOptionAndExitCode_data()
{
    QTest::addColumn<QString>("command");
    for (const QString& command : commands)
        QTest::newRow(qPrintable(command)) << command;
}

void TestCliHelp::manualPageHasEveryOptionAndExitCode()
{
    QFETCH(QString, command);
    const QString help = helpOf({command, "--help"});
    QVERIFY(!help.isEmpty());
    QVERIFY2(m_manual.contains(QStringLiteral("\n.B kestrion-cli %1\n").arg(roff(command))) ||
                 m_manual.contains(QStringLiteral("\n.B kestrion-cli %1\n.I").arg(roff(command))),
             qPrintable(command + " is not in the synopsis"));
    QVERIFY2(m_manual.contains(QRegularExpression("\n\\.BI? " + command + "( |\n)")),
             qPrintable(command + " is not among the commands"));
    for (const QString& option : longOptions(help))
        QVERIFY2(m_manual.contains(roff("--" + option)), qPrintable("--" + option));
    for (const QString& line : exitCodeLines(help)) {
        const QString code = line.trimmed().section(QLatin1Char(' '), 0, 0);
        const QString text = line.trimmed().section(QLatin1Char(' '), 1).trimmed();
        QVERIFY2(m_manual.contains(QStringLiteral(".B %1\n%2\n").arg(code, text)), qPrintable(line));
    }
}

void TestCliHelp::manualPageRendersWithoutWarnings()
{
    const QString groff = QStandardPaths::findExecutable(QStringLiteral("groff"));
    if (groff.isEmpty())
        QSKIP("groff is not installed (Debian package groff-base)");
    QProcess process;
    process.start(groff, {"-man", "-Tutf8", "-ww", "-z", manualPath});
    QVERIFY(process.waitForFinished(CliRunner::timeoutMs));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()), QString());
}

void TestCliHelp::versionIsTheProjects()
{
    const CliRunner::Result result = CliRunner::run({"--version"}, m_home.path());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out), QStringLiteral("kestrion-cli " KESTRION_VERSION "\n"));
    QVERIFY(m_manual.contains(QStringLiteral("\"Kestrion " KESTRION_VERSION "\"")));
}

QTEST_GUILESS_MAIN(TestCliHelp)
#include "tst_clihelp.moc"
