// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// The beamline upgrade (also taken by Vesk supplies) against a scripted instrument on 127.0.0.1, on a port
// that the system picks.
#include "fakecommandport.h"
#include "firmware/firmwareupgrade.h"
#include "srecordimage.h"
#include "workerevents.h"

#include <QTemporaryDir>
#include <QtTest>

using srecordimage::Record;
using upgradetest::device;

Q_DECLARE_METATYPE(Record)

namespace {
const QString instrumentAddress = QStringLiteral("127.0.0.1");
const QString afterIdentification = QStringLiteral("Device name: #VER:Lumen 3.0\r\n");
constexpr int answerDelayMs = 2;

QStringList logEvents(const QStringList& lines)
{
    QStringList events;
    for (const QString& line : lines)
        events << QStringLiteral("log:") + line;
    return events;
}

// The lines of an image as the instrument should receive them, each with its own ending.
QList<QByteArray> imageLines(const QByteArray& image)
{
    QList<QByteArray> lines;
    int start = 0;
    while (start < image.size()) {
        const int end = image.indexOf('\n', start);
        const int next = end < 0 ? image.size() : end + 1;
        lines << image.mid(start, next - start);
        start = next;
    }
    return lines;
}

QList<QByteArray> erasures(const QList<int>& sectors)
{
    QList<QByteArray> commands;
    for (const int sector : sectors)
        commands << "EPCSER:" + QByteArray::number(sector) + "\r";
    return commands;
}

// Records in the sectors given, in that order, count records each.
QList<Record> recordsIn(const QList<int>& sectors, int count)
{
    QList<Record> records;
    for (const int sector : sectors) {
        for (int i = 0; i < count; ++i)
            records << Record{'2', quint32(sector * 65536 + i * 16), srecordimage::filler(16, quint8(i))};
    }
    return records;
}

// An instrument that answers every command after a short delay, so that a line sent before the answer
// to the previous one would be seen.
struct Instrument
{
    Instrument() : port(instrumentAddress, 0)
    {
        port.answer("VER\r\n", "#VER:Lumen 3.0\r\n");
        port.answerOthers("#AK\r\n");
        port.setAnswerDelayMs(answerDelayMs);
    }
    UpgradePorts ports() const
    {
        UpgradePorts ports;
        ports.command = port.listeningPort();
        return ports;
    }
    FakeCommandPort port;
};
} // namespace

class TestBeamlineUpgrade : public QObject
{
    Q_OBJECT

private:
    // The file is read whole before the first byte goes out: not even the identification is sent.
    static void expectRefusedBeforeSending(const UpgradeRun& run, const Instrument& instrument, const QString& reason)
    {
        const QStringList logs = run.events.logs;
        QCOMPARE(logs.size(), 5);
        QVERIFY2(logs.at(3).startsWith(QStringLiteral("ERROR: ")) && logs.at(3).contains(reason),
                 qPrintable(logs.at(3)));
        QCOMPARE(logs.at(4),
                 QStringLiteral("ERROR: The firmware file was refused before anything was sent to the unit."));
        QCOMPARE(run.events.events.last(), QStringLiteral("error"));
        QCOMPARE(run.events.finalSignals(), 1);
        QCOMPARE(instrument.port.connections(), 0);
    }

    QString writeImage(const QByteArray& content)
    {
        const QString path = m_dir.filePath(QStringLiteral("image-%1.flash").arg(++m_files));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init() { FirmwarePacing::setCurrent(upgradetest::shortPacing()); }
    void cleanupTestCase() { FirmwarePacing::setCurrent(FirmwarePacing()); }

    // With the instrument's own pacing, every step in the order the user sees it.
    void upgradeErasesThenWritesLineByLine()
    {
        FirmwarePacing::setCurrent(FirmwarePacing());
        Instrument instrument;
        const QByteArray image = srecordimage::image(recordsIn({2, 0, 1}, 49), '2');
        QCOMPARE(imageLines(image).size(), 150);
        const QString path = writeImage(image);

        UpgradeRun run({device("2100", instrumentAddress)}, {true}, path);

        run.worker.setPorts(instrument.ports());
        QVERIFY(run.runToEnd(60000));

        QList<QByteArray> expectedCommands{"VER\r\n"};
        expectedCommands << erasures({2, 0, 1}) << "EPCSWR\r" << imageLines(image) << "E\r\n";
        QCOMPARE(instrument.port.commands(), expectedCommands);
        QVERIFY(!instrument.port.overlapped());

        QStringList expected = logEvents({"Device connected, continue...", "Reading file..."});
        expected << "progress:1" << logEvents({"Done!\n", "Erasing Lumeno memory..."}) << "progress:1"
                 << "progress:1"
                 << "progress:1" << logEvents({"Erased!\n", "Programming Device memory..."});
        // 150 lines, 2 lines per step.
        for (int step = 0; step < 75; ++step)
            expected << "progress:1";
        expected << "progress:100"
                 << logEvents({"Device succesfuly updated!\n", "Wait restart...", "Remote update succesful!",
                               "Kestrion has finished to update the device with success."})
                 << "completed";
        QCOMPARE(run.events.eventsFrom("log:Device connected, continue..."), expected);
        QCOMPARE(run.events.logs.indexOf(afterIdentification) + 1,
                 run.events.logs.indexOf("Device connected, continue..."));
        QCOMPARE(instrument.port.connections(), 2);
    }

    void veskSupplyTakesTheBeamlineProcedure()
    {
        Instrument instrument;
        const QByteArray image = srecordimage::image(recordsIn({4}, 3), '2');
        UpgradeRun run({device("1600", instrumentAddress)}, {true}, writeImage(image));
        run.worker.setPorts(instrument.ports());
        QVERIFY(run.runToEnd());
        QList<QByteArray> expectedCommands{"VER\r\n"};
        expectedCommands << erasures({4}) << "EPCSWR\r" << imageLines(image) << "E\r\n";
        QCOMPARE(instrument.port.commands(), expectedCommands);
        QVERIFY(!instrument.port.overlapped());
        QCOMPARE(run.events.events.last(), QStringLiteral("completed"));
        QCOMPARE(run.events.finalSignals(), 1);
    }

    void sectorsAreErasedInOrderOfFirstAppearance_data()
    {
        QTest::addColumn<QList<Record>>("records");
        QTest::addColumn<QList<int>>("sectors");
        const QByteArray data = srecordimage::filler(16);
        QTest::newRow("all below 10000: sector 0 only")
            << QList<Record>{{'1', 0x0000, data}, {'1', 0x4000, data}, {'1', 0xFFE0, data}} << QList<int>{0};
        QTest::newRow("FFF0 then 10000, then sector 0 again")
            << QList<Record>{{'2', 0xFFF0, data}, {'2', 0x10000, data}, {'2', 0x0200, data}} << QList<int>{0, 1};
        QTest::newRow("a record across a boundary erases both sectors")
            << QList<Record>{{'3', 0x2FFF8, data}, {'3', 0x50000, data}} << QList<int>{2, 3, 5};
        QTest::newRow("sector 127, the last one the instrument's signed byte names")
            << QList<Record>{{'3', 0x7F0000, data}, {'3', 0x10000, data}} << QList<int>{127, 1};
    }
    void sectorsAreErasedInOrderOfFirstAppearance()
    {
        QFETCH(QList<Record>, records);
        QFETCH(QList<int>, sectors);
        Instrument instrument;
        const QByteArray image = srecordimage::image(records, '3');
        UpgradeRun run({device("2100", instrumentAddress)}, {true}, writeImage(image));
        run.worker.setPorts(instrument.ports());
        QVERIFY(run.runToEnd());
        QList<QByteArray> expectedCommands{"VER\r\n"};
        expectedCommands << erasures(sectors) << "EPCSWR\r" << imageLines(image) << "E\r\n";
        QCOMPARE(instrument.port.commands(), expectedCommands);
        QVERIFY(!instrument.port.overlapped());
        QCOMPARE(run.events.completions, 1);
        QCOMPARE(run.events.finalSignals(), 1);
    }

    void linesAreSentAsRead()
    {
        Instrument instrument;
        const QByteArray data = srecordimage::filler(16);
        // Windows line endings, and a line longer than the first pass reads at once.
        const QByteArray image =
            srecordimage::line('0', 0, "HDR", "\r\n") + srecordimage::line('2', 0x30000, data, "\r\n") +
            srecordimage::line('3', 0x30100, srecordimage::filler(120), "\n") + srecordimage::line('8', 0, {}, "\r\n");
        UpgradeRun run({device("2100", instrumentAddress)}, {true}, writeImage(image));
        run.worker.setPorts(instrument.ports());
        QVERIFY(run.runToEnd());
        QList<QByteArray> expectedCommands{"VER\r\n"};
        expectedCommands << erasures({3}) << "EPCSWR\r" << imageLines(image) << "E\r\n";
        QCOMPARE(instrument.port.commands(), expectedCommands);
        QVERIFY(!instrument.port.overlapped());
        QCOMPARE(run.events.completions, 1);
    }

    void missingAnswerEndsTheRun_data()
    {
        QTest::addColumn<int>("silentFrom");
        // Commands: 0 identification, 1 and 2 erasures, 3 writing mode, 4 to 10 the image, 11 the end.
        QTest::newRow("first erasure") << 1;
        QTest::newRow("second erasure") << 2;
        QTest::newRow("writing mode") << 3;
        QTest::newRow("first line") << 4;
        QTest::newRow("fourth line") << 7;
        QTest::newRow("last line") << 10;
        QTest::newRow("end of programming") << 11;
    }
    void missingAnswerEndsTheRun()
    {
        QFETCH(int, silentFrom);
        Instrument instrument;
        instrument.port.silenceFrom(silentFrom);
        const QByteArray image = srecordimage::image(recordsIn({1, 6}, 2), '2');
        QCOMPARE(imageLines(image).size(), 7);
        UpgradeRun run({device("2100", instrumentAddress)}, {true}, writeImage(image));
        run.worker.setPorts(instrument.ports());
        QVERIFY(run.runToEnd());
        QCOMPARE(instrument.port.commands().size(), silentFrom + 1);
        // Every silence comes after the first erase: the unit is told to be upgraded again, not restarted.
        QCOMPARE(run.events.logs.value(run.events.logs.size() - 2),
                 QStringLiteral("ERROR: No response from the device!"));
        QVERIFY(run.events.logs.last().startsWith(QStringLiteral("ERROR: The unit's flash is incomplete")));
        QCOMPARE(run.events.events.last(), QStringLiteral("error"));
        QCOMPARE(run.events.finalSignals(), 1);
        QVERIFY(!instrument.port.overlapped());
    }

    // Only "#AK" confirms an erase, the write mode and the end; an image line also takes a bare line end.
    void onlyAConfirmationCounts_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("lineAnswer");
        QTest::addColumn<QString>("error");
        QTest::newRow("acknowledged, ended by a carriage return") << QByteArray("#AK\r") << QByteArray("#AK\r") << "";
        QTest::newRow("acknowledged, never ended") << QByteArray("#AK") << QByteArray("#AK") << "";
        QTest::newRow("lines taken by a bare line end") << QByteArray("#AK\r\n") << QByteArray("\r\n") << "";
        QTest::newRow("a bare line end confirms no erase")
            << QByteArray("\r") << QByteArray("\r")
            << "ERROR: the unit did not confirm the erase of sector 0; it answered \"\\r\"";
        QTest::newRow("chatter") << QByteArray("OK") << QByteArray("OK")
                                 << "ERROR: the unit did not confirm the erase of sector 0; it answered \"OK\"";
        QTest::newRow("a refused line") << QByteArray("#AK\r\n") << QByteArray("#NAK:checksum\r\n")
                                        << "ERROR: the unit refused image line 1: \"#NAK:checksum\\r\\n\"";
    }
    void onlyAConfirmationCounts()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, lineAnswer);
        QFETCH(QString, error);
        Instrument instrument;
        instrument.port.answerOthers(answer);
        const QByteArray image = srecordimage::image(recordsIn({0}, 1), '2');
        for (const QByteArray& line : imageLines(image))
            instrument.port.answer(line, lineAnswer);
        UpgradeRun run({device("2100", instrumentAddress)}, {true}, writeImage(image));
        run.worker.setPorts(instrument.ports());
        QVERIFY(run.runToEnd());
        QCOMPARE(run.events.finalSignals(), 1);
        QCOMPARE(run.events.completions, error.isEmpty() ? 1 : 0);
        QCOMPARE(instrument.port.commands().contains("E\r\n"), error.isEmpty());
        if (!error.isEmpty())
            QVERIFY2(run.events.logs.contains(error), qPrintable(run.events.logs.join(QLatin1Char('\n'))));
    }

    // A stop takes effect between two lines: the unit is told nothing more, not even to restart.
    void stopBetweenTwoLines()
    {
        Instrument instrument;
        instrument.port.setAnswerDelayMs(10);
        const QByteArray image = srecordimage::image(recordsIn({0}, 200), '2');
        UpgradeRun run({device("2100", instrumentAddress)}, {true}, writeImage(image));
        run.worker.setPorts(instrument.ports());
        run.worker.start();
        QTRY_VERIFY_WITH_TIMEOUT(instrument.port.commands().size() > 20, 10000);
        run.worker.requestInterruption();
        QTRY_VERIFY_WITH_TIMEOUT(run.events.finished, 10000);
        const QStringList logs = run.events.logs;
        QVERIFY2(
            logs.value(logs.size() - 2).startsWith(QStringLiteral("ERROR: The upgrade was stopped before image line ")),
            qPrintable(logs.join(QLatin1Char('\n'))));
        QVERIFY(logs.last().startsWith(QStringLiteral("ERROR: The unit's flash is incomplete")));
        QCOMPARE(run.events.errors, 1);
        QCOMPARE(run.events.completions, 0);
        QVERIFY(!instrument.port.commands().contains("E\r\n"));
        QVERIFY(instrument.port.commands().size() < 150);
        QVERIFY(!instrument.port.overlapped());
    }

    void imageWithoutDataRecordsIsRefused()
    {
        Instrument instrument;
        const QByteArray image = srecordimage::header() + srecordimage::trailer('1', 0);
        UpgradeRun run({device("2100", instrumentAddress)}, {true}, writeImage(image));
        run.worker.setPorts(instrument.ports());
        QVERIFY(run.runToEnd());
        expectRefusedBeforeSending(run, instrument, QStringLiteral("no S1, S2 or S3 data record"));
    }

    // Sector numbers of 128 and up do not fit the instrument's signed byte: nothing is erased.
    void imageBeyondTheSectorRangeIsRefused()
    {
        Instrument instrument;
        const QByteArray data = srecordimage::filler(16);
        const QByteArray image = srecordimage::image({{'3', 0x7F0000, data}, {'3', 0x800000, data}}, '3');
        UpgradeRun run({device("2100", instrumentAddress)}, {true}, writeImage(image));
        run.worker.setPorts(instrument.ports());
        QVERIFY(run.runToEnd());
        expectRefusedBeforeSending(run, instrument, QStringLiteral("800000"));
    }

    void unreadableImageIsRefused()
    {
        Instrument instrument;
        UpgradeRun run({device("2100", instrumentAddress)}, {true}, m_dir.filePath("missing.flash"));
        run.worker.setPorts(instrument.ports());
        QVERIFY(run.runToEnd());
        expectRefusedBeforeSending(run, instrument, m_dir.filePath("missing.flash"));
    }

    void instrumentGoneAfterIdentification()
    {
        Instrument instrument;
        instrument.port.acceptOnly(1);
        const QByteArray image = srecordimage::image(recordsIn({0}, 1), '2');
        UpgradeRun run({device("2100", instrumentAddress)}, {true}, writeImage(image));
        run.worker.setPorts(instrument.ports());
        QVERIFY(run.runToEnd());
        QStringList expected = logEvents({"ERROR: Device unconnected", "Reading file..."});
        expected << "progress:1" << logEvents({"Done!\n", "Erasing Lumeno memory..."}) << "progress:1"
                 << logEvents({"ERROR: No response from the device!"}) << "error";
        QCOMPARE(run.events.eventsFrom("log:ERROR: Device unconnected"), expected);
        QCOMPARE(instrument.port.commands(), QList<QByteArray>{"VER\r\n"});
    }

    void barMovesAlikeOnEveryRun()
    {
        // 141 lines: 2 lines per step, 70 steps on every run.
        const QByteArray image = srecordimage::image(recordsIn({0}, 138), '2');
        QCOMPARE(imageLines(image).size(), 141);
        const QString path = writeImage(image);
        QList<QStringList> runs;
        for (int i = 0; i < 2; ++i) {
            Instrument instrument;
            UpgradeRun run({device("2100", instrumentAddress)}, {true}, path);
            run.worker.setPorts(instrument.ports());
            QVERIFY(run.runToEnd());
            QCOMPARE(run.events.completions, 1);
            QStringList writing = run.events.eventsFrom("log:Programming Device memory...");
            writing = writing.mid(1, writing.indexOf("progress:100") - 1);
            QCOMPARE(writing.size(), 70);
            QCOMPARE(writing.filter("progress:1").size(), 70);
            runs << run.events.events;
        }
        QCOMPARE(runs.at(1), runs.at(0));
    }

    void shortImageLeavesTheBarStillWhileWriting()
    {
        Instrument instrument;
        const QByteArray image = srecordimage::image(recordsIn({0}, 20), '2');
        UpgradeRun run({device("2100", instrumentAddress)}, {true}, writeImage(image));
        run.worker.setPorts(instrument.ports());
        QVERIFY(run.runToEnd());
        const QStringList writing = run.events.eventsFrom("log:Programming Device memory...");
        QCOMPARE(writing.at(1), QStringLiteral("progress:100"));
        QCOMPARE(run.events.completions, 1);
    }

private:
    QTemporaryDir m_dir;
    int m_files = 0;
};

QTEST_GUILESS_MAIN(TestBeamlineUpgrade)

#include "tst_beamlineupgrade.moc"
