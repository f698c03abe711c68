// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/appsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

// Every test gets a configuration directory and a home of its own.
class TestAppSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_root;

    QString configDir() const { return m_root->path() + QStringLiteral("/config"); }
    QString homeDir() const { return m_root->path() + QStringLiteral("/home"); }
    QString iniPath() const { return configDir() + QStringLiteral("/Ostravi/Kestrion/kestrionConfig.ini"); }

    QString iniText() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    void writeIni(const QString& text)
    {
        QDir().mkpath(QFileInfo(iniPath()).absolutePath());
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(QStringLiteral("Ostravi"));
        QCoreApplication::setApplicationName(QStringLiteral("Kestrion"));
    }

    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        QDir().mkpath(homeDir());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir()));
        qputenv("HOME", QFile::encodeName(homeDir()));
    }

    void firstStartWritesEveryKey()
    {
        {
            AppSettings settings;
            QCOMPARE(settings.fileName(), iniPath());
        }
        QVERIFY(QFile::exists(iniPath()));
        QSettings raw(iniPath(), QSettings::IniFormat);
        QCOMPARE(raw.allKeys().size(), 13);
        QCOMPARE(raw.value("scan/scanTime").toInt(), 200);
        QCOMPARE(raw.value("update/timeout").toInt(), 120000);
        QCOMPARE(raw.value("update/manualIp").toBool(), false);
        QCOMPARE(raw.value("scan/sendUnicast").toBool(), false);
        QCOMPARE(raw.value("scan/startIp").toString(), QStringLiteral("192.168.0.1"));
        QCOMPARE(raw.value("scan/endIp").toString(), QStringLiteral("192.168.0.254"));
        QCOMPARE(raw.value("update/fwDefaultDir").toString(), QDir::homePath());
        QCOMPARE(raw.value("tcp/nThreads").toInt(), 10);
        QCOMPARE(raw.value("tcp/waitWritten").toInt(), 1000);
        QCOMPARE(raw.value("tcp/waitRead").toInt(), 1000);
        QCOMPARE(raw.value("tcp/waitConnected").toInt(), 1000);
        QCOMPARE(raw.value("update/parallel").toInt(), 4);
        QCOMPARE(raw.value("update/maxFailures").toInt(), 3);
    }

    void fileIsWrittenAtConstructionNotOnlyAtExit()
    {
        AppSettings settings;
        QVERIFY(iniText().contains(QStringLiteral("scanTime=200")));
    }

    void missingKeysAreAddedAndPresentOnesKept()
    {
        writeIni(QStringLiteral("[scan]\nscanTime=banana\n"));
        {
            AppSettings settings;
            QCOMPARE(settings.getScanTime(), 200);
            QCOMPARE(settings.getNumbeOfThreads(), 10);
        }
        QSettings raw(iniPath(), QSettings::IniFormat);
        QCOMPARE(raw.value("scan/scanTime").toString(), QStringLiteral("banana"));
        QCOMPARE(raw.allKeys().size(), 13);
    }

    void readerLeavesAMissingFileMissing()
    {
        {
            AppSettings settings(AppSettings::MissingKeys::LeaveFileAlone);
            QCOMPARE(settings.getScanTime(), 200);
            QCOMPARE(settings.getWaitForConnected(), 1000);
            QCOMPARE(settings.getStartIP(), QHostAddress(QStringLiteral("192.168.0.1")));
        }
        QVERIFY(!QFile::exists(iniPath()));
        QVERIFY(!QFileInfo::exists(QFileInfo(iniPath()).absolutePath()));
    }

    void readerLeavesAPartialFileAsItIs()
    {
        const QString text = QStringLiteral("[scan]\nscanTime=150\nsendUnicast=true\n");
        writeIni(text);
        {
            AppSettings settings(AppSettings::MissingKeys::LeaveFileAlone);
            QCOMPARE(settings.getScanTime(), 150);
            QCOMPARE(settings.getFlagSendUnicastMessage(), true);
            QCOMPARE(settings.getNumbeOfThreads(), 10);
        }
        QCOMPARE(iniText(), text);
    }

    void unreadableValuesFallBack()
    {
        QDir().mkpath(homeDir() + QStringLiteral("/gone"));
        writeIni(QStringLiteral("[scan]\nstartIp=300.1.1.1\nendIp=x\nsendUnicast=perhaps\n"
                                "[update]\ntimeout=12s\nfwDefaultDir=%1\nmanualIp=maybe\n"
                                "[tcp]\nnThreads=\nwaitRead=5e3\nwaitWritten=77\nwaitConnected=2500000\n")
                     .arg(homeDir() + QStringLiteral("/gone")));
        QDir(homeDir() + QStringLiteral("/gone")).removeRecursively();
        AppSettings settings;
        QCOMPARE(settings.getStartIP(), QHostAddress(QStringLiteral("192.168.0.1")));
        QCOMPARE(settings.getEndIP(), QHostAddress(QStringLiteral("192.168.0.254")));
        QCOMPARE(settings.getFlagSendUnicastMessage(), false);
        QCOMPARE(settings.getFlagManualIP(), false);
        QCOMPARE(settings.getTimeout(), 120000);
        QCOMPARE(settings.getFwDefaultDir(), QDir::homePath());
        QCOMPARE(settings.getNumbeOfThreads(), 10);
        QCOMPARE(settings.getWaitForReadyRead(), 1000);
        QCOMPARE(settings.getWaitForBytesWritten(), 77);
        QCOMPARE(settings.getWaitForConnected(), 1000);
    }

    // A hand-edited file must not freeze a scan for weeks or turn a wait into "for ever":
    // what a getter returns always lies where its setter would have let it.
    void handEditedValuesStayInTheSettersRanges_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("huge scan time") << "scan/scanTime"
                                        << "999999999"
                                        << "200";
        QTest::newRow("zero scan time") << "scan/scanTime"
                                        << "0"
                                        << "200";
        QTest::newRow("longest scan time") << "scan/scanTime"
                                           << "99000"
                                           << "99000";
        QTest::newRow("negative upgrade time-out") << "update/timeout"
                                                   << "-1"
                                                   << "120000";
        QTest::newRow("upgrade time-out past the limit") << "update/timeout"
                                                         << "999001"
                                                         << "120000";
        QTest::newRow("longest upgrade time-out") << "update/timeout"
                                                  << "999000"
                                                  << "999000";
        QTest::newRow("no threads") << "tcp/nThreads"
                                    << "0"
                                    << "10";
        QTest::newRow("too many threads") << "tcp/nThreads"
                                          << "51"
                                          << "10";
        QTest::newRow("most threads") << "tcp/nThreads"
                                      << "50"
                                      << "50";
        QTest::newRow("negative read wait") << "tcp/waitRead"
                                            << "-5"
                                            << "1000";
        QTest::newRow("write wait past the limit") << "tcp/waitWritten"
                                                   << "999001"
                                                   << "1000";
        QTest::newRow("shortest connect wait") << "tcp/waitConnected"
                                               << "1"
                                               << "1";
        QTest::newRow("integer overflow") << "tcp/waitConnected"
                                          << "4294967297"
                                          << "1000";
        QTest::newRow("no unit at once") << "update/parallel"
                                         << "0"
                                         << "4";
        QTest::newRow("too many units at once") << "update/parallel"
                                                << "33"
                                                << "4";
        QTest::newRow("most units at once") << "update/parallel"
                                            << "32"
                                            << "32";
        QTest::newRow("no failure allowed") << "update/maxFailures"
                                            << "0"
                                            << "3";
        QTest::newRow("failure limit") << "update/maxFailures"
                                       << "10"
                                       << "10";
        QTest::newRow("broadcast start") << "scan/startIp"
                                         << "255.255.255.255"
                                         << "192.168.0.1";
        QTest::newRow("loopback end") << "scan/endIp"
                                      << "127.0.0.1"
                                      << "192.168.0.254";
        QTest::newRow("usable start") << "scan/startIp"
                                      << "10.1.2.3"
                                      << "10.1.2.3";
    }

    void handEditedValuesStayInTheSettersRanges()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        const QStringList parts = key.split(QLatin1Char('/'));
        writeIni(QStringLiteral("[%1]\n%2=%3\n").arg(parts.at(0), parts.at(1), stored));
        AppSettings settings;
        const QMap<QString, std::function<QString()>> getters{
            {"scan/scanTime", [&] { return QString::number(settings.getScanTime()); }},
            {"update/timeout", [&] { return QString::number(settings.getTimeout()); }},
            {"tcp/nThreads", [&] { return QString::number(settings.getNumbeOfThreads()); }},
            {"tcp/waitRead", [&] { return QString::number(settings.getWaitForReadyRead()); }},
            {"tcp/waitWritten", [&] { return QString::number(settings.getWaitForBytesWritten()); }},
            {"tcp/waitConnected", [&] { return QString::number(settings.getWaitForConnected()); }},
            {"update/parallel", [&] { return QString::number(settings.getParallelUpgrades()); }},
            {"update/maxFailures", [&] { return QString::number(settings.getMaxFailures()); }},
            {"scan/startIp", [&] { return settings.getStartIP().toString(); }},
            {"scan/endIp", [&] { return settings.getEndIP().toString(); }},
        };
        QVERIFY(getters.contains(key));
        QCOMPARE(getters.value(key)(), expected);
        // The file keeps what the user wrote; only the program ignores it.
        QCOMPARE(QSettings(iniPath(), QSettings::IniFormat).value(key).toString(), stored);
    }

    void integerSetterLimits_data()
    {
        QTest::addColumn<QString>("setter");
        QTest::addColumn<int>("highest");
        QTest::newRow("scan time") << "scanTime" << 99000;
        QTest::newRow("update time-out") << "timeout" << 999000;
        QTest::newRow("threads") << "threads" << 50;
        QTest::newRow("wait written") << "written" << 999000;
        QTest::newRow("wait read") << "read" << 999000;
        QTest::newRow("wait connected") << "connected" << 999000;
        QTest::newRow("units at once") << "parallel" << 32;
        QTest::newRow("failure limit") << "maxFailures" << 999;
    }

    void integerSetterLimits()
    {
        QFETCH(QString, setter);
        QFETCH(int, highest);
        AppSettings settings;
        using Set = void (AppSettings::*)(int);
        using Get = int (AppSettings::*)();
        const QMap<QString, QPair<Set, Get>> calls{
            {"scanTime", {&AppSettings::setScanTime, &AppSettings::getScanTime}},
            {"timeout", {&AppSettings::setResponseTimeout, &AppSettings::getTimeout}},
            {"threads", {&AppSettings::setNumbeOfThreads, &AppSettings::getNumbeOfThreads}},
            {"written", {&AppSettings::setWaitForBytesWritten, &AppSettings::getWaitForBytesWritten}},
            {"read", {&AppSettings::setWaitForReadyRead, &AppSettings::getWaitForReadyRead}},
            {"connected", {&AppSettings::setWaitForConnected, &AppSettings::getWaitForConnected}},
            {"parallel", {&AppSettings::setParallelUpgrades, &AppSettings::getParallelUpgrades}},
            {"maxFailures", {&AppSettings::setMaxFailures, &AppSettings::getMaxFailures}},
        };
        const auto call = calls.value(setter);
        const int before = (settings.*call.second)();
        (settings.*call.first)(0);
        QCOMPARE((settings.*call.second)(), before);
        (settings.*call.first)(-5);
        QCOMPARE((settings.*call.second)(), before);
        (settings.*call.first)(highest + 1);
        QCOMPARE((settings.*call.second)(), before);
        (settings.*call.first)(highest);
        QCOMPARE((settings.*call.second)(), highest);
        (settings.*call.first)(1);
        QCOMPARE((settings.*call.second)(), 1);
        settings.save();
        QSettings raw(iniPath(), QSettings::IniFormat);
        QVERIFY(raw.allKeys().size() == 13);
    }

    void addressSetters()
    {
        AppSettings settings;
        settings.setStartIP(QHostAddress(QStringLiteral("255.255.255.255")));
        settings.setStartIP(QHostAddress(QStringLiteral("127.0.0.1")));
        settings.setEndIP(QHostAddress(QStringLiteral("127.8.0.1")));
        settings.setEndIP(QHostAddress());
        QCOMPARE(settings.getStartIP(), QHostAddress(QStringLiteral("192.168.0.1")));
        QCOMPARE(settings.getEndIP(), QHostAddress(QStringLiteral("192.168.0.254")));
        settings.setStartIP(QHostAddress(QStringLiteral("10.0.0.5")));
        settings.setEndIP(QHostAddress(QStringLiteral("10.0.1.7")));
        settings.save();
        QSettings raw(iniPath(), QSettings::IniFormat);
        QCOMPARE(raw.value("scan/startIp").toString(), QStringLiteral("10.0.0.5"));
        QCOMPARE(raw.value("scan/endIp").toString(), QStringLiteral("10.0.1.7"));
    }

    void flagSetters()
    {
        AppSettings settings;
        settings.setFlagManualIP(true);
        settings.setFlagSendUnicastMessage(true);
        QCOMPARE(settings.getFlagManualIP(), true);
        QCOMPARE(settings.getFlagSendUnicastMessage(), true);
        settings.setFlagSendUnicastMessage(false);
        QCOMPARE(settings.getFlagSendUnicastMessage(), false);
    }

    void firmwareDirectoryKeepsTheFolderOfTheChosenFile()
    {
        const QString folder = homeDir() + QStringLiteral("/firmware");
        QDir().mkpath(folder);
        AppSettings settings;
        settings.setFwDefaultDir(folder + QStringLiteral("/image.updt"));
        QCOMPARE(settings.getFwDefaultDir(), folder);
        settings.setFwDefaultDir(homeDir() + QStringLiteral("/missing/image.updt"));
        QCOMPARE(settings.getFwDefaultDir(), folder);
        QDir(folder).removeRecursively();
        QCOMPARE(settings.getFwDefaultDir(), QDir::homePath());
    }

    void equalValueWritesNothing()
    {
        writeIni(QStringLiteral("[scan]\nscanTime=0200\n"));
        {
            AppSettings settings;
            QCOMPARE(settings.getScanTime(), 200);
            settings.setScanTime(200);
            settings.setStartIP(QHostAddress(QStringLiteral("192.168.0.1")));
            settings.save();
        }
        QVERIFY(iniText().contains(QStringLiteral("scanTime=0200")));
    }
};

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_appsettings.moc"
