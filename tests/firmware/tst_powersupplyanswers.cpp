// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/powersupplyanswers.h"

#include <QtTest>

using DcLink = PowerSupplyAnswers::DcLink;
Q_DECLARE_METATYPE(DcLink)

class TestPowerSupplyAnswers : public QObject
{
    Q_OBJECT

private slots:
    void outputBit_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("on");
        QTest::newRow("bit 0 set") << "#MST:1\r\n" << true << true;
        QTest::newRow("bit 0 set among others") << "#MST:0003\r\n" << true << true;
        QTest::newRow("bit 0 clear") << "#MST:2\r\n" << true << false;
        QTest::newRow("upper-case hex, clear") << "#MST:FFFE\r\n" << true << false;
        QTest::newRow("answer ended by a carriage return alone") << "#MST:1\r" << true << true;
        QTest::newRow("not hexadecimal") << "#MST:zz\r\n" << false << false;
        QTest::newRow("no value") << "#MST:\r\n" << false << false;
        QTest::newRow("no answer") << "" << false << false;
        QTest::newRow("a refusal") << "#NAK\r\n" << false << false;
        QTest::newRow("hexadecimal without the status tag") << "ab\r\n" << false << false;
        QTest::newRow("chatter") << "#INFO:busy\r\n" << false << false;
    }
    void outputBit()
    {
        QFETCH(QString, answer);
        QFETCH(bool, readable);
        QFETCH(bool, on);
        const std::optional<bool> outputOn = PowerSupplyAnswers::outputOn(answer);
        QCOMPARE(outputOn.has_value(), readable);
        if (readable)
            QCOMPARE(*outputOn, on);
    }

    void fields()
    {
        QCOMPARE(PowerSupplyAnswers::field(QStringLiteral("#MRP:612.5\r\n"), 1), QStringLiteral("612.5"));
        QCOMPARE(PowerSupplyAnswers::field(QStringLiteral("#MRG:83:700\r\n"), 2), QStringLiteral("700"));
        QCOMPARE(PowerSupplyAnswers::field(QStringLiteral("#MRG:83::\r\n"), 2), QString());
        QCOMPARE(PowerSupplyAnswers::field(QStringLiteral("#MRG\r\n"), 2), QString());
        QCOMPARE(PowerSupplyAnswers::field(QString(), 1), QString());
    }

    void dcLink_data()
    {
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<DcLink>("verdict");
        QTest::addColumn<QString>("message");
        QTest::newRow("below") << "#MRP:540\r\n"
                               << "#MRG:83:600\r\n"
                               << DcLink::Within << QString();
        QTest::newRow("equal passes") << "#MRP:600.5\r\n"
                                      << "#MRG:83:600.5\r\n"
                                      << DcLink::Within << QString();
        QTest::newRow("above by a little")
            << "#MRP:600.51\r\n"
            << "#MRG:83:600.5\r\n"
            << DcLink::AboveLimit << "CRITICAL: the DC link voltage 600.51V should be less than 600.5V";
        QTest::newRow("six significant digits") << "#MRP:1234567.8\r\n"
                                                << "#MRG:83:0.000012345678\r\n"
                                                << DcLink::AboveLimit
                                                << "CRITICAL: the DC link voltage 1.23457e+06V should be less than "
                                                   "1.23457e-05V";
        QTest::newRow("voltage unreadable")
            << "#MRP:abc\r\n"
            << "#MRG:83:600\r\n"
            << DcLink::Unreadable << "WARNING: there are some errors reading DC link voltage. abc, 600";
        QTest::newRow("limit field missing")
            << "#MRP:540\r\n"
            << "#MRG\r\n"
            << DcLink::Unreadable << "WARNING: there are some errors reading DC link voltage. 540, ";
        QTest::newRow("no answers") << ""
                                    << "" << DcLink::Unreadable
                                    << "WARNING: there are some errors reading DC link voltage. , ";
        QTest::newRow("not a number") << "#MRP:nan\r\n"
                                      << "#MRG:83:600\r\n"
                                      << DcLink::Unreadable
                                      << "WARNING: there are some errors reading DC link voltage. nan, 600";
        QTest::newRow("carriage return alone") << "#MRP:540\r"
                                               << "#MRG:83:600\r" << DcLink::Within << QString();
    }
    void dcLink()
    {
        QFETCH(QString, voltage);
        QFETCH(QString, limit);
        QFETCH(DcLink, verdict);
        QFETCH(QString, message);
        const PowerSupplyAnswers::DcLinkCheck check = PowerSupplyAnswers::checkDcLink(voltage, limit);
        QCOMPARE(check.verdict, verdict);
        QCOMPARE(check.message, message);
    }

    void progress_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("percentage"); // -1: none
        QTest::newRow("one line") << "$:42\n" << 42;
        QTest::newRow("line ended by CRLF") << "$:42\r\n" << 42;
        QTest::newRow("several lines: the last, not the digits run together") << "$:10\n$:20\n$:35\n" << 35;
        QTest::newRow("several lines and empty lines") << "$:10\n\n$:20\n" << 20;
        QTest::newRow("a progress line with other text does not read") << "$:40\nChecking\n" << -1;
        QTest::newRow("not a number") << "$:ab\n" << -1;
        QTest::newRow("without its newline") << "$:40" << -1;
        QTest::newRow("empty after the tag") << "$:\n" << -1;
        QTest::newRow("no progress") << "Checking\n" << -1;
        QTest::newRow("nothing") << "" << -1;
    }
    void progress()
    {
        QFETCH(QString, reply);
        QFETCH(int, percentage);
        const std::optional<int> read = PowerSupplyAnswers::progress(reply);
        QCOMPARE(read.value_or(-1), percentage);
    }

    void progressLinesAreNotLogged()
    {
        QCOMPARE(PowerSupplyAnswers::withoutProgressLines(QStringLiteral("$:40\nChecking\n$:50\n")),
                 QStringLiteral("Checking\n"));
        QCOMPARE(PowerSupplyAnswers::withoutProgressLines(QStringLiteral("$:40\n")), QString());
        QCOMPARE(PowerSupplyAnswers::withoutProgressLines(QStringLiteral("$:\nrest")), QStringLiteral("$:\nrest"));
    }

    void finalReply()
    {
        QVERIFY(PowerSupplyAnswers::isFinal(QStringLiteral("#ACK")));
        QVERIFY(PowerSupplyAnswers::isFinal(QStringLiteral("$:90\n#NAK:bad\r\n")));
        QVERIFY(!PowerSupplyAnswers::isFinal(QStringLiteral("$:90\n")));
        QVERIFY(PowerSupplyAnswers::isAccepted(QStringLiteral("done #ACK and more")));
        QVERIFY(!PowerSupplyAnswers::isAccepted(QStringLiteral("#NAK:ACK\r\n")));
        QCOMPARE(PowerSupplyAnswers::refusalReason(QStringLiteral("#NAK:bad checksum\r\n")),
                 QStringLiteral("bad checksum\r\n"));
        QCOMPARE(PowerSupplyAnswers::refusalReason(QStringLiteral("#what")), QStringLiteral("#what"));
        // A loaded machine reads the last progress line and the final answer at once: the reason and the
        // quoted final line are the supply's last words only.
        QCOMPARE(PowerSupplyAnswers::refusalReason(QStringLiteral("$:100\n#NAK:bad checksum\r\n")),
                 QStringLiteral("bad checksum\r\n"));
        QCOMPARE(PowerSupplyAnswers::finalLine(QStringLiteral("$:100\n#\r\n")), QStringLiteral("#\r\n"));
        QCOMPARE(PowerSupplyAnswers::finalLine(QStringLiteral("$:100\n")), QStringLiteral("$:100\n"));
        QVERIFY(PowerSupplyAnswers::isRefused(QStringLiteral("$:90\n#NAK:bad\r\n")));
        QVERIFY(!PowerSupplyAnswers::isRefused(QStringLiteral("#\r\n")));
        QVERIFY(PowerSupplyAnswers::finalLineEnded(QStringLiteral("$:90\n#ACK\r\n")));
        QVERIFY(!PowerSupplyAnswers::finalLineEnded(QStringLiteral("$:90\n#AC")));
        QVERIFY(!PowerSupplyAnswers::finalLineEnded(QStringLiteral("$:90\n")));
        QVERIFY(PowerSupplyAnswers::rebootAcknowledged(QStringLiteral("#AK\r\n")));
        QVERIFY(!PowerSupplyAnswers::rebootAcknowledged(QStringLiteral("#AK\r")));
        QVERIFY(!PowerSupplyAnswers::rebootAcknowledged(QStringLiteral("#NAK\r\n")));
    }
};

QTEST_GUILESS_MAIN(TestPowerSupplyAnswers)
#include "tst_powersupplyanswers.moc"
