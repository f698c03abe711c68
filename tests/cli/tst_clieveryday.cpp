// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/clirunner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

// What scripts get from kestrion-cli scan for the lab of tests/labs/app-everyday.json: eighteen units,
// one with a module ID of NUL bytes, motor drivers whose queries run in parallel and a plain XPort module.
class TestCliEveryday : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void outputIsCleanAndStderrQuiet_data();
    void outputIsCleanAndStderrQuiet();

private:
    QTemporaryDir m_home;
};

void TestCliEveryday::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("KESTRION_TOOL_NS"))
        QSKIP("runs only inside the namespace harness");
    QVERIFY(m_home.isValid());
}

void TestCliEveryday::outputIsCleanAndStderrQuiet_data()
{
    QTest::addColumn<QString>("format");
    // Several runs: the race that once printed Qt's own warning showed only now and then.
    for (int run = 1; run <= 3; ++run) {
        QTest::newRow(qPrintable(QStringLiteral("json %1").arg(run))) << QStringLiteral("--json");
        QTest::newRow(qPrintable(QStringLiteral("csv %1").arg(run))) << QStringLiteral("--csv");
    }
    QTest::newRow("table") << QString();
}

void TestCliEveryday::outputIsCleanAndStderrQuiet()
{
    QFETCH(QString, format);
    QStringList arguments{QStringLiteral("scan")};
    if (!format.isEmpty())
        arguments << format;
    const CliRunner::Result result = CliRunner::run(arguments, m_home.path());
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.isEmpty(), result.err.constData());
    for (char byte : result.out)
        QVERIFY2(byte == '\n' || byte == '\r' || static_cast<unsigned char>(byte) >= 0x20,
                 "a control byte in the output");
    QVERIFY(!result.out.contains("\\u0000"));
    const QSet<QString> words{"on", "off", "unknown"};
    if (format == QLatin1String("--json")) {
        const QJsonArray units = QJsonDocument::fromJson(result.out).array();
        QCOMPARE(units.size(), 18);
        for (const QJsonValue& unit : units)
            QVERIFY2(words.contains(unit.toObject().value("DHCP").toString()),
                     qPrintable(unit.toObject().value("MAC").toString()));
    } else if (format == QLatin1String("--csv")) {
        const QStringList lines = QString::fromUtf8(result.out).split('\n', Qt::SkipEmptyParts);
        const int columns = lines.indexOf(QRegularExpression("^Key,.*"));
        QVERIFY(columns >= 0);
        QVERIFY(lines.at(columns).endsWith(",DHCP"));
        QCOMPARE(lines.size() - columns - 1, 18);
        for (int i = columns + 1; i < lines.size(); ++i)
            QVERIFY2(words.contains(lines.at(i).section(',', -1)), qPrintable(lines.at(i)));
    } else {
        QVERIFY(result.out.contains("XPort module \xe2\x80\x94 no motor driver answered"));
    }
}

QTEST_GUILESS_MAIN(TestCliEveryday)
#include "tst_clieveryday.moc"
