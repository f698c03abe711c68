// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
//
// Prints three figures: milliseconds from process start to the first shown
// window, milliseconds to fill the device table with 1,000 devices, and the
// resident memory with those devices shown. Runs offscreen unless a platform
// is given; the window is never asked to scan.
#include "app/mainwindow.h"
#include "common/silentprompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWindow>

#include <cstdio>

namespace {
constexpr int deviceCount = 1000;
constexpr int startupRuns = 5;
constexpr int childTimeoutMs = 30000;
constexpr auto childFlag = "--child";
constexpr auto shownLine = "shown";
constexpr int targetFirstWindowMs = 400;
constexpr int targetFillMs = 300;
constexpr int targetResidentMb = 80;

const char* const codes[] = {"1100", "2100", "3100", "4200", "5100", "6100", "1600", "1900", "2105", "1F80"};

QList<Device_t> manyDevices()
{
    QList<Device_t> devices;
    for (int i = 0; i < deviceCount; ++i) {
        Device_t device;
        device.code = QString::fromLatin1(codes[i % 10]);
        device.moduleId = QStringLiteral("MOD-%1").arg(i);
        device.group = QStringLiteral("Group %1").arg(i % 10);
        device.brand = i % 3 ? QString() : QStringLiteral("VALDIS");
        device.serialNumber = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));
        device.firmwareVersion = QStringLiteral("1.%1").arg(i % 7);
        device.mac = QStringLiteral("02:00:00:00:%1:%2")
                         .arg(i / 256, 2, 16, QLatin1Char('0'))
                         .arg(i % 256, 2, 16, QLatin1Char('0'));
        device.ip = QStringLiteral("10.1.%1.%2").arg(i / 250).arg(i % 250 + 1);
        device.netmask = QStringLiteral("255.255.0.0");
        device.gateway = QStringLiteral("10.1.0.254");
        device.dhcp = QStringLiteral("0");
        devices.append(device);
    }
    return devices;
}

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void prepareApplication()
{
    QApplication::setOrganizationName(QStringLiteral("Ostravi"));
    QApplication::setApplicationName(QStringLiteral("Kestrion"));
}

void waitForExposure(QWidget& window)
{
    QElapsedTimer guard;
    guard.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && guard.elapsed() < childTimeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

int runChild(int argc, char* argv[])
{
    QApplication app(argc, argv);
    prepareApplication();
    MainWindow window(nullptr, std::make_shared<SilentPrompts>());
    window.show();
    waitForExposure(window);
    std::printf("%s\n", shownLine);
    std::fflush(stdout);
    return 0;
}

// Wall time from starting a fresh process to its first exposed window; the best of a few runs.
qint64 firstWindowMs(const QString& program, const QString& home)
{
    qint64 best = -1;
    for (int run = 0; run < startupRuns; ++run) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        child.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        child.start(program, {QString::fromLatin1(childFlag)});
        while (child.waitForReadyRead(childTimeoutMs)) {
            if (child.readAll().contains(shownLine))
                break;
        }
        const qint64 elapsed = timer.elapsed();
        child.waitForFinished(childTimeoutMs);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            return -1;
        best = best < 0 ? elapsed : qMin(best, elapsed);
    }
    return best;
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && qstrcmp(argv[1], childFlag) == 0)
        return runChild(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toLocal8Bit());
    QApplication app(argc, argv);
    prepareApplication();

    const qint64 startMs = firstWindowMs(QCoreApplication::applicationFilePath(), home.path());

    MainWindow window(nullptr, std::make_shared<SilentPrompts>());
    window.show();
    waitForExposure(window);
    const QList<Device_t> devices = manyDevices();
    QElapsedTimer fill;
    fill.start();
    window.showDevices(devices);
    QApplication::processEvents();
    const qint64 fillMs = fill.elapsed();
    const long rssKb = residentKb();

    QTextStream out(stdout);
    out << "first window after start: " << startMs << " ms (target <= " << targetFirstWindowMs << ")\n";
    out << "fill table with " << deviceCount << " devices: " << fillMs << " ms (target <= " << targetFillMs << ")\n";
    out << "resident memory with " << deviceCount << " devices: " << rssKb / 1024
        << " MB (target <= " << targetResidentMb << ")\n";
    return startMs < 0 ? 1 : 0;
}
