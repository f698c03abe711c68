// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
// Claims on units between processes: a child of the test plays the other Kestrion.
#include "model/unitlock.h"

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const QString mac = QStringLiteral("02:AA:00:00:00:01");
const QString other = QStringLiteral("02:AA:00:00:00:02");

// Whether another process could claim `unit` now. The lock file is opened afresh: a forked child shares
// this process's claims and their handles, and a Kestrion process never forks without exec.
bool freeForAnotherProcess(const QString& unit)
{
    const QString path = UnitLock::directory() + QLatin1Char('/') + QString(unit).remove(QLatin1Char(':')).toUpper() +
                         QStringLiteral(".lock");
    const pid_t child = ::fork();
    if (child == 0) {
        const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        ::_exit(handle < 0 || ::flock(handle, LOCK_EX | LOCK_NB) == 0 ? 0 : 1);
    }
    int status = -1;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
} // namespace

class TestUnitLock : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("KESTRION_LOCK_DIR", QFile::encodeName(m_dir->filePath(QStringLiteral("locks"))));
    }

    void claimsOfOneProcessAreCountedAndEndWithTheLast()
    {
        auto first = std::make_unique<UnitLock>(mac.toLower(), UnitLock::Purpose::Upgrade);
        const UnitLock second(mac, UnitLock::Purpose::Configuration);
        QVERIFY(first->isHeld() && second.isHeld());
        QVERIFY(!freeForAnotherProcess(mac));
        first.reset();
        QVERIFY(!freeForAnotherProcess(mac));
        QVERIFY(freeForAnotherProcess(other));
    }

    void claimAllTakesNoneWhenOneIsRefused()
    {
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t holder = ::fork();
        if (holder == 0) {
            const UnitLock claim(other, UnitLock::Purpose::Configuration);
            if (::write(ready[1], claim.isHeld() ? "y" : "n", 1) == 1)
                ::pause();
            ::_exit(0);
        }
        char state = 0;
        QVERIFY(::read(ready[0], &state, 1) == 1 && state == 'y');
        UnitLock::Held held;
        const QString refusal = UnitLock::claimAll(QStringList{mac, other}, UnitLock::Purpose::Upgrade, held);
        const bool firstLeftFree = freeForAnotherProcess(mac);
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
        QVERIFY2(refusal.startsWith(other + QStringLiteral(" is being configured by tst_unitlock, process ") +
                                    QString::number(holder) + QStringLiteral(", since ")),
                 qPrintable(refusal));
        QVERIFY(held.empty());
        QVERIFY(firstLeftFree);
        // The holder was killed: its claim went with it.
        QVERIFY(UnitLock(other, UnitLock::Purpose::Upgrade).isHeld());
    }

    void unusableFolderIsARefusal()
    {
        qputenv("KESTRION_LOCK_DIR", "/proc/kestrion-locks");
        const UnitLock claim(mac, UnitLock::Purpose::Upgrade);
        QVERIFY(!claim.isHeld());
        QVERIFY2(
            claim.refusal().startsWith(mac + QStringLiteral(" cannot be claimed for sending: /proc/kestrion-locks/")),
            qPrintable(claim.refusal()));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestUnitLock)
#include "tst_unitlock.moc"
