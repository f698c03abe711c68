// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakexport.h"
#include "firmware/firmwarepacing.h"
#include "firmware/xportconfiguration.h"
#include "motorpacing.h"

#include <QtTest>

namespace {
constexpr char loopback[] = "127.0.0.1";

struct Transcript
{
    explicit Transcript(xPortConfiguration& configuration)
    {
        QObject::connect(&configuration, &xPortConfiguration::signalError,
                         [this](const QString& text) { errors << text; });
        QObject::connect(&configuration, &xPortConfiguration::signalIncreaseProgressBar, [this] { ++progress; });
    }
    QStringList errors;
    int progress = 0;
};
} // namespace

class TestXportConfiguration : public QObject
{
    Q_OBJECT

private slots:
    void init() { FirmwarePacing::setCurrent(shortMotorPacing()); }

    void serialSpeedDialogue_data();
    void serialSpeedDialogue();
    void menuRefused();
    void promptNeverComes_data();
    void promptNeverComes();
};

void TestXportConfiguration::serialSpeedDialogue_data()
{
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("baudRate");
    QTest::newRow("every prompt at once") << 0 << 38400;
    QTest::newRow("two more questions") << 2 << 38400;
    QTest::newRow("four more questions, back to normal") << 4 << 921600;
}

void TestXportConfiguration::serialSpeedDialogue()
{
    QFETCH(int, questions);
    QFETCH(int, baudRate);
    FakeXport::Options options;
    options.questionsAfterBaud = questions;
    FakeXport fake(options);
    QVERIFY(fake.listening());
    fake.setBaudRate(9600);
    FirmwarePacing pacing = shortMotorPacing();
    pacing.menuPromptAttempts = questions + 2;
    FirmwarePacing::setCurrent(pacing);
    xPortConfiguration configuration(FirmwarePacing::current(), fake.ports());
    Transcript transcript(configuration);

    configuration.connectAndConfigure(QString::fromLatin1(loopback), baudRate);
    QVERIFY2(transcript.errors.isEmpty(), qPrintable(transcript.errors.join('\n')));
    // One Enter for the banner, the menu choice and the speed, one Enter per further question, save.
    QByteArray expected = "\r\n1\r\n" + QByteArray::number(baudRate) + "\r\n";
    for (int i = 0; i < questions; ++i)
        expected += "\r\n";
    expected += "9\r\n";
    QTRY_COMPARE(fake.record().menuReceived, expected);
    QCOMPARE(transcript.progress, 5 + questions);
    QCOMPARE(fake.record().storedBaudRates, QList<int>{baudRate});
    QCOMPARE(fake.record().menuConnections, 1);
}

void TestXportConfiguration::menuRefused()
{
    FakeXport::Options options;
    options.menuService = false;
    FakeXport fake(options);
    xPortConfiguration configuration(FirmwarePacing::current(), fake.ports());
    Transcript transcript(configuration);

    configuration.connectAndConfigure(QString::fromLatin1(loopback), 38400);
    QCOMPARE(transcript.errors, QStringList{QStringLiteral("ERROR: Connection to port 9999 failed!")});
    QCOMPARE(transcript.progress, 0);
}

void TestXportConfiguration::promptNeverComes_data()
{
    QTest::addColumn<bool>("banner");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QString>("error");
    const int attempts = shortMotorPacing().menuPromptAttempts;
    // Waiting for the banner sends nothing; waiting for the menu presses Enter before every read but the first.
    QTest::newRow("no banner") << false << QByteArray()
                               << QStringLiteral(
                                      "ERROR: XPort setup menu did not show \"Press Enter for Setup Mode\"!");
    QTest::newRow("menu never back") << true << "\r\n1\r\n38400\r\n" + QByteArray("\r\n").repeated(attempts - 1)
                                     << QStringLiteral("ERROR: XPort setup menu did not show \"Your choice ?\"!");
}

void TestXportConfiguration::promptNeverComes()
{
    QFETCH(bool, banner);
    QFETCH(QByteArray, sent);
    QFETCH(QString, error);
    FakeXport::Options options;
    options.banner = banner;
    options.menuReturns = false;
    options.questionsAfterBaud = 0;
    FakeXport fake(options);
    xPortConfiguration configuration(FirmwarePacing::current(), fake.ports());
    Transcript transcript(configuration);

    configuration.connectAndConfigure(QString::fromLatin1(loopback), 38400);
    QCOMPARE(transcript.errors, QStringList{error});
    QTest::qWait(100);
    QCOMPARE(fake.record().menuReceived, sent);
    QVERIFY(fake.record().storedBaudRates.isEmpty());
}

QTEST_GUILESS_MAIN(TestXportConfiguration)

#include "tst_xportconfiguration.moc"
