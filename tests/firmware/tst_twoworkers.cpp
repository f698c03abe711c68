// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Two upgrade workers running at the same time, each against a scripted unit of its own on 127.0.0.1 and on
// ports the system picked: each unit must receive exactly what it receives when its upgrade runs alone.
#include "common/heximages.h"
#include "fakecommandport.h"
#include "fakeuploadport.h"
#include "fakexport.h"
#include "firmware/dspprogmode.h"
#include "firmware/firmwareupgrade.h"
#include "motorpacing.h"
#include "srecordimage.h"
#include "workerevents.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <memory>

using upgradetest::device;

namespace {
const QString loopback = QStringLiteral("127.0.0.1");
constexpr int answerDelayMs = 2;
constexpr int runTimeoutMs = 60000;

enum class Family { beamline, powerSupply };

// What a unit was sent: its command lines in order, and the bytes of its upload port.
struct Received
{
    QList<QByteArray> commands;
    QByteArray upload;
};

// One scripted unit of the family, listening on ports the system picks. It answers every command after a
// short delay, so that the two runs interleave.
class Unit
{
public:
    Unit(Family family, qint64 uploadBytes) : m_command(loopback, 0), m_upload(loopback, 0)
    {
        m_command.setAnswerDelayMs(answerDelayMs);
        if (family == Family::beamline) {
            m_command.answer("VER\r\n", "#VER:Lumen 3.0\r\n");
            m_command.answerOthers("#AK\r\n");
            return;
        }
        m_command.answer("VER\r\n", "#VER:Aurel 2.1\r\n");
        m_command.answer("MST\r\n", "#MST:0\r\n");
        m_command.answer("MREBOOT\r\n", "#AK\r\n");
        m_upload.expectBytes(uploadBytes);
        m_upload.replyWith({"$:40\n", "Checking image\n", "#ACK\r\n"}, answerDelayMs);
    }

    bool listening() const { return m_command.isListening() && m_upload.isListening(); }
    UpgradePorts ports() const
    {
        UpgradePorts ports;
        ports.command = m_command.listeningPort();
        ports.upload = m_upload.listeningPort();
        return ports;
    }
    Received received() const { return {m_command.commands(), m_upload.received()}; }

private:
    FakeCommandPort m_command;
    FakeUploadPort m_upload;
};

// One unit to upgrade: its family, the file it gets, and the pacing its worker is handed.
struct Job
{
    Family family;
    QString firmwarePath;
    qint64 fileBytes;
    FirmwarePacing pacing;
};

QString deviceCode(Family family)
{
    return family == Family::beamline ? QStringLiteral("2100") : QStringLiteral("1100");
}

// Runs only the motor-driver procedure, for the driver behind one fake XPort.
class MotorDriverWorker : public firmwareUpgrade
{
public:
    MotorDriverWorker(const QString& firmwarePath, int dsp, const FakeXport& fake)
        : firmwareUpgrade(nullptr, firmwarePath, 0, {}, {}, QString())
    {
        m_deviceIp = loopback;
        setMotorDriverDsp(dsp);
        setPacing(shortMotorPacing());
        setPorts(fake.ports());
    }

protected:
    void run() override { firmwareKolvexUpdate(); }
};

// Everything a fake XPort was sent, in a form that compares whole.
QList<QByteArray> transcript(const FakeXport::Record& seen)
{
    QList<QByteArray> parts{seen.menuReceived, seen.autobaudReceived, seen.loaderReceived,
                            QByteArray::number(seen.pinStates), QByteArray::number(seen.baudRate)};
    return parts + seen.pinCommands + seen.frames;
}

FakeXport::Options motorDriver()
{
    FakeXport::Options options;
    options.autobaudNeedsBootMode = true;
    return options;
}

// Waits in an event loop rather than QTest::qWait, which sleeps between rounds and would slow the fakes'
// answers down.
bool waitUntilFinished(const QList<UpgradeRun*>& runs)
{
    const auto allFinished = [&runs] {
        return std::all_of(runs.cbegin(), runs.cend(), [](const UpgradeRun* run) { return run->events.finished; });
    };
    const QDeadlineTimer deadline(runTimeoutMs);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(20);
    while (!allFinished() && !deadline.hasExpired())
        loop.exec();
    QCoreApplication::processEvents();
    return allFinished();
}
} // namespace

class TestTwoWorkers : public QObject
{
    Q_OBJECT

private:
    QString writeFile(const QByteArray& content)
    {
        const QString path = m_dir.filePath(QStringLiteral("firmware-%1.bin").arg(++m_files));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return path;
    }

    Job beamlineJob(const QList<int>& sectors, int recordsPerSector, quint8 seed)
    {
        QList<srecordimage::Record> records;
        for (const int sector : sectors) {
            for (int i = 0; i < recordsPerSector; ++i)
                records << srecordimage::Record{'2', quint32(sector * 65536 + i * 16),
                                                srecordimage::filler(16, quint8(seed + i))};
        }
        const QByteArray image = srecordimage::image(records, '2');
        return {Family::beamline, writeFile(image), image.size(), quickPacing()};
    }

    Job supplyJob(int bytes, quint32 seed)
    {
        QByteArray content(bytes, '\0');
        QRandomGenerator random(seed);
        for (char& byte : content)
            byte = char(random.bounded(256));
        return {Family::powerSupply, writeFile(content), content.size(), quickPacing()};
    }

    static FirmwarePacing quickPacing()
    {
        FirmwarePacing pacing = upgradetest::shortPacing();
        pacing.connectWaitMs = 2000;
        pacing.commandWaitMs = 2000;
        pacing.commandTotalMs = 5000;
        pacing.installWaitMs = 2000;
        pacing.answerWaitMs = 2000;
        return pacing;
    }

    static std::unique_ptr<UpgradeRun> prepare(const Job& job, const Unit& unit)
    {
        auto run = std::make_unique<UpgradeRun>(QList<Device_t>{device(deviceCode(job.family), loopback)},
                                                QList<bool>{true}, job.firmwarePath);
        run->worker.setPacing(job.pacing);
        run->worker.setPorts(unit.ports());
        return run;
    }

    static void verifyCompleted(const UpgradeRun& run)
    {
        QVERIFY2(run.events.completions == 1, qPrintable(run.events.logs.join(QLatin1Char('\n'))));
        QCOMPARE(run.events.finalSignals(), 1);
    }

    // What the unit of the job receives when its upgrade runs alone.
    Received runAlone(const Job& job)
    {
        Unit unit(job.family, job.fileBytes);
        if (!unit.listening())
            return {};
        std::unique_ptr<UpgradeRun> run = prepare(job, unit);
        run->worker.start();
        if (!waitUntilFinished({run.get()}) || run->events.completions != 1)
            return {};
        return unit.received();
    }

    QString writeMotorImage(const QString& version)
    {
        const QString path = m_dir.filePath(QStringLiteral("motor-%1.hex").arg(++m_files));
        if (!HexImages::writeFile(path, HexImages::toHex(HexImages::versionedImage(version, 1500))))
            return QString();
        return path;
    }

    // What the fake XPort receives when the motor-driver procedure runs alone; empty unless the image reached
    // the flash.
    static QList<QByteArray> motorDriverAlone(const QString& path, int dsp)
    {
        FakeXport fake(motorDriver());
        MotorDriverWorker worker(path, dsp, fake);
        worker.start();
        if (!worker.wait(runTimeoutMs))
            qFatal("the motor-driver procedure did not end");
        const FakeXport::Record seen = fake.record();
        return seen.blocks.isEmpty() ? QList<QByteArray>() : transcript(seen);
    }

    void sideBySideMatchesAlone(const Job& first, const Job& second)
    {
        const Received firstAlone = runAlone(first);
        const Received secondAlone = runAlone(second);
        QVERIFY(!firstAlone.commands.isEmpty());
        QVERIFY(!secondAlone.commands.isEmpty());

        Unit firstUnit(first.family, first.fileBytes);
        Unit secondUnit(second.family, second.fileBytes);
        QVERIFY(firstUnit.listening() && secondUnit.listening());
        std::unique_ptr<UpgradeRun> firstRun = prepare(first, firstUnit);
        std::unique_ptr<UpgradeRun> secondRun = prepare(second, secondUnit);
        // What is set for workers made later must not reach the two made already: with no answer awaited
        // and no connection waited for, neither could complete.
        FirmwarePacing unusable;
        unusable.connectWaitMs = 0;
        unusable.answerTries = 0;
        unusable.commandTotalMs = 0;
        FirmwarePacing::setCurrent(unusable);
        firstRun->worker.start();
        secondRun->worker.start();
        QVERIFY(waitUntilFinished({firstRun.get(), secondRun.get()}));
        FirmwarePacing::setCurrent(FirmwarePacing());

        verifyCompleted(*firstRun);
        verifyCompleted(*secondRun);
        QCOMPARE(firstUnit.received().commands, firstAlone.commands);
        QCOMPARE(firstUnit.received().upload, firstAlone.upload);
        QCOMPARE(secondUnit.received().commands, secondAlone.commands);
        QCOMPARE(secondUnit.received().upload, secondAlone.upload);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { FirmwarePacing::setCurrent(FirmwarePacing()); }

    void twoBeamlinesAtOnce() { sideBySideMatchesAlone(beamlineJob({2, 0, 1}, 40, 0), beamlineJob({5, 3}, 55, 100)); }

    void twoPowerSuppliesAtOnce() { sideBySideMatchesAlone(supplyJob(70000, 1), supplyJob(45000, 2)); }

    void beamlineBesideAPowerSupply() { sideBySideMatchesAlone(beamlineJob({1, 4}, 60, 7), supplyJob(60000, 3)); }

    // One DSP of each kind: each worker drives its own pins to its own boot pattern.
    void twoMotorDriversAtOnce()
    {
        const QString communicationImage = writeMotorImage(QStringLiteral("2.31"));
        const QString controlImage = writeMotorImage(QStringLiteral("1.07"));
        QVERIFY(!communicationImage.isEmpty() && !controlImage.isEmpty());
        const QList<QByteArray> communicationAlone =
            motorDriverAlone(communicationImage, dspProgMode::programCommunication);
        const QList<QByteArray> controlAlone = motorDriverAlone(controlImage, dspProgMode::programControl);
        QVERIFY(!communicationAlone.isEmpty() && !controlAlone.isEmpty());
        QVERIFY(communicationAlone != controlAlone);

        FakeXport communicationFake(motorDriver());
        FakeXport controlFake(motorDriver());
        QVERIFY(communicationFake.listening() && controlFake.listening());
        MotorDriverWorker communication(communicationImage, dspProgMode::programCommunication, communicationFake);
        MotorDriverWorker control(controlImage, dspProgMode::programControl, controlFake);
        communication.start();
        control.start();
        QVERIFY(communication.wait(runTimeoutMs));
        QVERIFY(control.wait(runTimeoutMs));
        QCOMPARE(transcript(communicationFake.record()), communicationAlone);
        QCOMPARE(transcript(controlFake.record()), controlAlone);
    }

private:
    QTemporaryDir m_dir;
    int m_files = 0;
};

QTEST_GUILESS_MAIN(TestTwoWorkers)

#include "tst_twoworkers.moc"
