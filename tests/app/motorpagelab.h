// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/heximages.h"
#include "common/simlog.h"
#include "firmwarepagelab.h"

#include <QCryptographicHash>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

// What the motor-driver page tests share: the procedure's steps, the module's state as the simulator
// logged it, DSP images named for their DSP, and a run of one DSP from its row of the page.
namespace motorpage {
inline constexpr int runBoundMs = 60000;
inline constexpr int normalBaud = 921600;
inline constexpr int normalPins = 7;
inline const QString failureText = QStringLiteral("ERROR: Updating failed!");
inline const QString successText = QStringLiteral("Device succesfuly updated!");
inline const QString restored =
    QStringLiteral("Restoring the module: done, pins at normal operation and the serial speed at 921600.");
inline const QString notRestored = QStringLiteral(
    "WARNING: The module could not be restored: check its pins and serial speed before using the motor driver!");

// The procedure's own steps, in the order they must appear among the programming objects' lines.
inline QStringList procedureSteps(const QString& dspLine)
{
    return {QStringLiteral("Update Kolvex Firmware:"),
            dspLine,
            QStringLiteral("Set Baudrate to 38400..."),
            QStringLiteral("Done!"),
            QStringLiteral("Set GPIO..."),
            QStringLiteral("Done!"),
            QStringLiteral("Load Bootloader..."),
            QStringLiteral("Done!"),
            QStringLiteral("Program..."),
            QStringLiteral("Memory erased!"),
            QStringLiteral("Writing completed!"),
            QStringLiteral("Done!"),
            QStringLiteral("Set Baudrate to 921600..."),
            QStringLiteral("Done!"),
            QStringLiteral("Lantronix Ready!"),
            QStringLiteral("Reset DSP..."),
            QStringLiteral("Process completed! wait for restart...")};
}

// The speeds the setup menu was given, in order.
inline QStringList menuSpeeds(const SimLog::Lines& lines, const QString& unit)
{
    QStringList speeds;
    for (const QJsonObject& line : SimLog::events(lines, QStringLiteral("menu"), unit)) {
        if (line.value(QLatin1String("question")).toString() == QLatin1String("Baudrate"))
            speeds << line.value(QLatin1String("answer")).toString();
    }
    return speeds;
}

inline bool isSubsequence(const QStringList& wanted, const QStringList& lines)
{
    int next = 0;
    for (const QString& line : lines) {
        if (next < wanted.size() && line == wanted.at(next))
            ++next;
    }
    return next == wanted.size();
}

// Where the unit stands now, from everything the simulator logged of it.
struct ModuleState
{
    int baud = normalBaud;
    int pinLevels = -1;
    QMap<QString, QString> dsps;
};

inline ModuleState moduleState(const QString& unit)
{
    ModuleState state;
    for (const QJsonObject& line : SimLog::lines()) {
        if (line.value(QLatin1String("unit")).toString() != unit)
            continue;
        const QString event = line.value(QLatin1String("event")).toString();
        if (event == QLatin1String("restart") && line.value(QLatin1String("phase")).toString() == QLatin1String("up"))
            state.baud = line.value(QLatin1String("baud")).toInt();
        else if (event == QLatin1String("pins"))
            state.pinLevels = line.value(QLatin1String("levels")).toInt();
        else if (event == QLatin1String("dsp"))
            state.dsps[line.value(QLatin1String("dsp")).toString()] = line.value(QLatin1String("state")).toString();
    }
    return state;
}
} // namespace motorpage

class MotorPageLab : public FirmwarePageLab
{
public:
    // The marker in the file name tells the procedure which DSP the image is for.
    QString image(const QString& name, const QString& version)
    {
        const QList<HexImages::Section> sections = HexImages::versionedImage(version, 1024);
        m_sections[version] = sections.first().data;
        const QString path = m_images.filePath(name + QLatin1Char('_') + version + QStringLiteral(".hex"));
        return HexImages::writeFile(path, HexImages::toHex(sections)) ? path : QString();
    }

    // The run of one DSP from its row of the page: the driver ticked and current, so that the second row shows.
    void upgradeDsp(const QString& ip, int firmwareRow, const QString& path, int boundMs)
    {
        QVERIFY(tick({ip}));
        QVERIFY(child<QWidget>("widgetFirmware2")->isVisible());
        choose(firmwareRow, path);
        QCOMPARE(child<QLineEdit>(firmwareRow == 1 ? "lineEditFirmware1" : "lineEditFirmware2")->text(), path);
        markSimLog();
        QVERIFY(upgrade(firmwareRow, boundMs));
        QVERIFY(windowEnabled());
    }

    // The DSP left reset running what was written: exactly the image, with the image's version.
    void expectFlashed(const QString& unit, const QString& dsp, const QString& version)
    {
        const SimLog::Lines flashes =
            SimLog::filter(SimLog::events(simLog(), QStringLiteral("flash"), unit), [&dsp](const QJsonObject& line) {
                return line.value(QLatin1String("dsp")).toString() == dsp &&
                       !line.value(QLatin1String("factory")).toBool();
            });
        QVERIFY(!flashes.isEmpty());
        const QJsonObject flash = flashes.last();
        const QByteArray digest = QCryptographicHash::hash(m_sections.value(version), QCryptographicHash::Sha256);
        QCOMPARE(flash.value(QLatin1String("sha256")).toString(), QString::fromLatin1(digest.toHex()));
        QCOMPARE(flash.value(QLatin1String("version")).toString(), version);
    }

private:
    QTemporaryDir m_images;
    QMap<QString, QByteArray> m_sections;
};
