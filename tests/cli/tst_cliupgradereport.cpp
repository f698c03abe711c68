// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// What "upgrade" prints for the events of a worker: the bar position by the page's rule, the JSON
// events, and a progress bar that steps aside for every log line.
#include "cli/cliupgradereport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QtTest>

namespace {
const QString mac = QStringLiteral("02:C3:00:01:00:10");
const QString eraseLine = QStringLiteral("\r\x1b[K");
} // namespace

class TestCliUpgradeReport : public QObject
{
    Q_OBJECT

private slots:
    void progressFollowsThePagesRule_data();
    void progressFollowsThePagesRule();
    void jsonEventsCarryTheBarPosition();
    void barStepsAsideForEveryLine();
    void noBarWithoutATerminal();
};

void TestCliUpgradeReport::progressFollowsThePagesRule_data()
{
    QTest::addColumn<int>("bar");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("next");
    QTest::newRow("0 places") << 37 << 0 << 0;
    QTest::newRow("50 places") << 10 << 50 << 50;
    QTest::newRow("70 places, also downwards") << 90 << 70 << 70;
    QTest::newRow("80 places") << 3 << 80 << 80;
    QTest::newRow("95 places") << 3 << 95 << 95;
    QTest::newRow("100 places") << 3 << 100 << 100;
    QTest::newRow("1 adds") << 3 << 1 << 4;
    QTest::newRow("2 adds") << 3 << 2 << 5;
    QTest::newRow("1 at 100 wraps to 0") << 100 << 1 << 0;
    QTest::newRow("2 at 99 wraps to 0") << 99 << 2 << 0;
    QTest::newRow("60 at 60 wraps to 19") << 60 << 60 << 19;
}

void TestCliUpgradeReport::progressFollowsThePagesRule()
{
    QFETCH(int, bar);
    QFETCH(int, value);
    QFETCH(int, next);
    QCOMPARE(CliUpgradeReport::nextProgress(bar, value), next);
}

void TestCliUpgradeReport::jsonEventsCarryTheBarPosition()
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    CliUpgradeReport report(outStream, errStream, true, false);
    report.start(mac, QStringLiteral("10.0.0.5"), 1, 2, QStringLiteral("/fw/a.updt"));
    report.progress(mac, 0);
    report.progress(mac, 1);
    report.progress(mac, 2);
    report.log(mac, QStringLiteral("\nFIRMWARE UPDATE..."));
    report.progress(mac, 100);
    report.progress(mac, 1);
    report.failed(mac, QStringLiteral("the upgrade failed (see the log)"));
    QList<QJsonObject> events;
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        events << QJsonDocument::fromJson(line.toUtf8()).object();
    QCOMPARE(events.size(), 8);
    QCOMPARE(events.at(0).value("event").toString(), QStringLiteral("start"));
    QCOMPARE(events.at(0).value("count").toInt(), 2);
    QList<int> positions;
    for (const QJsonObject& event : events) {
        if (event.value("event") == "progress")
            positions << event.value("value").toInt();
    }
    QCOMPARE(positions, (QList<int>{0, 1, 3, 100, 0}));
    QCOMPARE(events.at(4).value("text").toString(), QStringLiteral("\nFIRMWARE UPDATE..."));
    QCOMPARE(events.last(),
             (QJsonObject{{"event", "failed"}, {"device", mac}, {"reason", "the upgrade failed (see the log)"}}));
    // The failure is also one line on standard error.
    QCOMPARE(err, "kestrion-cli upgrade: " + mac + ": the upgrade failed (see the log)\n");
}

void TestCliUpgradeReport::barStepsAsideForEveryLine()
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    CliUpgradeReport report(outStream, errStream, false, true);
    report.start(mac, QStringLiteral("10.0.0.5"), 1, 1, QStringLiteral("/fw/a.updt"));
    report.progress(mac, 50);
    report.log(mac, QStringLiteral("Fiwmware uploaded!"));
    report.done(mac);
    QCOMPARE(out, "== " + mac + " (10.0.0.5): 1 of 1 ==\nFiwmware uploaded!\n" + mac + ": upgraded\n");
    const QString empty = QStringLiteral("[........................................]   0% ") + mac;
    const QString half = QStringLiteral("[####################....................]  50% ") + mac;
    // Drawn, redrawn in place, erased for the log line and drawn again, erased at the end.
    QCOMPARE(err, eraseLine + empty + eraseLine + half + eraseLine + eraseLine + half + eraseLine);
}

void TestCliUpgradeReport::noBarWithoutATerminal()
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    CliUpgradeReport report(outStream, errStream, false, false);
    report.start(mac, QStringLiteral("10.0.0.5"), 1, 1, QStringLiteral("/fw/a.updt"));
    report.progress(mac, 50);
    report.done(mac);
    QCOMPARE(err, QString());
}

QTEST_GUILESS_MAIN(TestCliUpgradeReport)
#include "tst_cliupgradereport.moc"
