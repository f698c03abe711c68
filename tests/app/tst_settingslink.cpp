// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settingslink.h"
#include "common/testhome.h"
#include "dialogs/settings.h"
#include "discovery/client.h"
#include "model/appsettings.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>
#include <QtTest>

#include <memory>

// Between the settings dialog and what it edits: the engine, the window's working copies and the store.
class TestSettingsLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void copiesTheStoreIntoTheEngine();
    void fillsFromTheWorkingValues();
    void changesReachCopiesAndStore();
    void upgradeRunLimitsGoToTheStore();
    void closeDeletesTheDialog();

private:
    template <typename T> T* control(const char* name) const { return m_dialog->findChild<T*>(name); }

    QTemporaryDir m_home;
    std::unique_ptr<AppSettings> m_store;
    std::unique_ptr<Client> m_client;
    std::unique_ptr<QFrame> m_manualIpFrame;
    std::unique_ptr<SettingsLink> m_link;
    QPointer<Settings> m_dialog;
    int m_updateTimeout = 120000;
    bool m_flagManualIP = false;
};

void TestSettingsLink::initTestCase()
{
    QVERIFY(m_home.isValid());
    useTestHome(m_home);
}

void TestSettingsLink::init()
{
    QFile::remove(m_home.filePath(QStringLiteral(".config/Ostravi/Kestrion/kestrionConfig.ini")));
    m_store = std::make_unique<AppSettings>();
    m_client = std::make_unique<Client>();
    m_manualIpFrame = std::make_unique<QFrame>();
    m_manualIpFrame->hide();
    m_updateTimeout = 120000;
    m_flagManualIP = false;
    m_link =
        std::make_unique<SettingsLink>(*m_client, *m_store, m_updateTimeout, m_flagManualIP, m_manualIpFrame.get());
    m_dialog = new Settings;
}

void TestSettingsLink::cleanup()
{
    delete m_dialog;
    m_link.reset();
}

void TestSettingsLink::copiesTheStoreIntoTheEngine()
{
    m_store->setScanTime(1500);
    m_store->setFlagSendUnicastMessage(true);
    m_store->setStartIP(QHostAddress(QStringLiteral("192.168.0.20")));
    m_store->setEndIP(QHostAddress(QStringLiteral("192.168.0.40")));
    m_store->setNumbeOfThreads(4);
    m_store->setWaitForBytesWritten(600);
    m_store->setWaitForReadyRead(700);
    m_store->setWaitForConnected(800);
    m_link->copyToEngine();
    QCOMPARE(m_client->scanTime, 1500);
    QVERIFY(m_client->flagSendUnicast);
    QCOMPARE(m_client->startIp, QHostAddress(QStringLiteral("192.168.0.20")));
    QCOMPARE(m_client->endIp, QHostAddress(QStringLiteral("192.168.0.40")));
    QCOMPARE(m_client->nThreads, 4);
    QCOMPARE(m_client->waitWritten, 600);
    QCOMPARE(m_client->waitRead, 700);
    QCOMPARE(m_client->waitConnected, 800);
}

void TestSettingsLink::fillsFromTheWorkingValues()
{
    // Values that hold for this run only are shown, not the stored ones.
    m_client->scanTime = 99500;
    m_client->flagSendUnicast = true;
    m_client->startIp = QHostAddress(QStringLiteral("10.1.0.1"));
    m_client->endIp = QHostAddress(QStringLiteral("10.1.0.9"));
    m_client->nThreads = 0;
    m_client->waitConnected = 2500;
    m_updateTimeout = 300000;
    m_flagManualIP = true;
    m_link->fill(*m_dialog);
    QCOMPARE(control<QDoubleSpinBox>("doubleSpinBoxBroadcastTime")->value(), 99.5);
    QCOMPARE(control<QDoubleSpinBox>("doubleSpinBoxTimeout")->value(), 300.0);
    QVERIFY(control<QCheckBox>("checkBoxEnable")->isChecked());
    QVERIFY(control<QCheckBox>("checkBoxEnableUnicast")->isChecked());
    QCOMPARE(control<QLineEdit>("lineEditStart")->text(), QStringLiteral("10.1.0.1"));
    QCOMPARE(control<QLineEdit>("lineEditStop")->text(), QStringLiteral("10.1.0.9"));
    QCOMPARE(control<QDoubleSpinBox>("doubleSpinBoxThreadsNumber")->value(), 0.0);
    QCOMPARE(control<QDoubleSpinBox>("doubleSpinBoxWaitForConnected")->value(), 2500.0);
}

void TestSettingsLink::upgradeRunLimitsGoToTheStore()
{
    m_store->setParallelUpgrades(8);
    m_store->setMaxFailures(5);
    m_link->fill(*m_dialog);
    QCOMPARE(control<QSpinBox>("spinBoxParallel")->value(), 8);
    QCOMPARE(control<QSpinBox>("spinBoxMaxFailures")->value(), 5);
    m_link->follow(*m_dialog);
    control<QSpinBox>("spinBoxParallel")->setValue(1);
    control<QSpinBox>("spinBoxMaxFailures")->setValue(12);
    m_dialog->onApply();
    QCOMPARE(m_store->getParallelUpgrades(), 1);
    QCOMPARE(m_store->getMaxFailures(), 12);
    QSettings raw(m_store->fileName(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("update/parallel")).toInt(), 1);
    QCOMPARE(raw.value(QStringLiteral("update/maxFailures")).toInt(), 12);
}

void TestSettingsLink::changesReachCopiesAndStore()
{
    m_link->follow(*m_dialog);
    emit m_dialog->signalChangeTimeout(300000);
    QCOMPARE(m_updateTimeout, 300000);
    QCOMPARE(m_store->getTimeout(), 300000);
    emit m_dialog->signalChangeFlagManualIP(true);
    QVERIFY(m_flagManualIP);
    QVERIFY(!m_manualIpFrame->isHidden());
    QVERIFY(m_store->getFlagManualIP());
    emit m_dialog->signalChangeFlagManualIP(false);
    QVERIFY(m_manualIpFrame->isHidden());
    emit m_dialog->signalChangeFlagUnicast(true);
    emit m_dialog->signalChangeEndIp(QHostAddress(QStringLiteral("192.168.0.99")));
    QVERIFY(m_client->flagSendUnicast);
    QCOMPARE(m_client->endIp, QHostAddress(QStringLiteral("192.168.0.99")));
    QCOMPARE(m_store->getEndIP(), QHostAddress(QStringLiteral("192.168.0.99")));
    emit m_dialog->signalChangeWaitForBytesWritten(300);
    emit m_dialog->signalChangeWaitForReadyRead(400);
    QCOMPARE(m_client->waitWritten, 300);
    QCOMPARE(m_client->waitRead, 400);
    QCOMPARE(m_store->getWaitForBytesWritten(), 300);
    QCOMPARE(m_store->getWaitForReadyRead(), 400);
    // A value the store refuses still holds for this run.
    emit m_dialog->signalChangeNumbeOfThreads(0);
    QCOMPARE(m_client->nThreads, 0);
    QCOMPARE(m_store->getNumbeOfThreads(), 10);
}

void TestSettingsLink::closeDeletesTheDialog()
{
    m_link->follow(*m_dialog);
    m_dialog->onClose();
    QTRY_VERIFY(m_dialog.isNull());
}

QTEST_MAIN(TestSettingsLink)
#include "tst_settingslink.moc"
