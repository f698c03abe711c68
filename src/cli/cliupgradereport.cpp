// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliupgradereport.h"

#include "cli/cliapplication.h"
#include "firmware/firmwareupgrade.h"
#include "firmware/upgradeverification.h"

#include <QJsonDocument>
#include <QTextStream>

namespace {
constexpr int fullBar = 100;
constexpr int barWidth = 40;
constexpr char barDone = '#';
constexpr char barToDo = '.';
// Back to the start of the line and erase it, so that the bar is redrawn in place.
constexpr auto eraseLine = "\r\x1b[K";
} // namespace

CliUpgradeReport::CliUpgradeReport(QTextStream& out, QTextStream& err, bool json, bool progressBar)
    : m_out(out), m_err(err), m_json(json), m_progressBar(progressBar)
{}

int CliUpgradeReport::nextProgress(int bar, int value)
{
    return firmwareUpgrade::nextProgress(bar, value);
}

void CliUpgradeReport::start(const QString& device, const QString& ip, int index, int count, const QString& file)
{
    m_device = device;
    m_bar = 0;
    if (m_json) {
        event(QStringLiteral("start"), device,
              {{QStringLiteral("ip"), ip},
               {QStringLiteral("index"), index},
               {QStringLiteral("count"), count},
               {QStringLiteral("file"), file}});
    } else {
        line(tr("== %1 (%2): %3 of %4 ==").arg(device, ip).arg(index).arg(count));
    }
    drawBar();
}

void CliUpgradeReport::log(const QString& device, const QString& text)
{
    if (m_json)
        event(QStringLiteral("log"), device, {{QStringLiteral("text"), text}});
    else
        line(text);
}

void CliUpgradeReport::progress(const QString& device, int value)
{
    progressAt(device, nextProgress(m_bar, value));
}

void CliUpgradeReport::progressAt(const QString& device, int position)
{
    m_bar = position;
    m_device = device;
    if (m_json)
        event(QStringLiteral("progress"), device, {{QStringLiteral("value"), m_bar}});
    drawBar();
}

void CliUpgradeReport::done(const QString& device)
{
    clearBar();
    if (m_json)
        event(QStringLiteral("done"), device);
    else
        line(tr("%1: upgraded").arg(device));
}

void CliUpgradeReport::failed(const QString& device, const QString& reason)
{
    clearBar();
    if (m_json)
        event(QStringLiteral("failed"), device, {{QStringLiteral("reason"), reason}});
    m_err << CliApplication::programName << " upgrade: " << device << ": " << reason << '\n';
    m_err.flush();
}

void CliUpgradeReport::skipped(const QString& device, const QString& reason)
{
    if (m_json)
        event(QStringLiteral("skipped"), device, {{QStringLiteral("reason"), reason}});
}

void CliUpgradeReport::verified(const UpgradeVerification& verification)
{
    clearBar();
    if (m_json)
        event(QStringLiteral("verified"), verification.mac(),
              {{QStringLiteral("versionBefore"), verification.versionBefore()},
               {QStringLiteral("versionAfter"),
                verification.answered() ? QJsonValue(verification.versionAfter()) : QJsonValue(QJsonValue::Null)},
               {QStringLiteral("verified"), verification.verified()}});
    else
        line(verification.logLine());
}

void CliUpgradeReport::event(const QString& name, const QString& device, QJsonObject members)
{
    members.insert(QStringLiteral("event"), name);
    members.insert(QStringLiteral("device"), device);
    line(QString::fromUtf8(QJsonDocument(members).toJson(QJsonDocument::Compact)));
}

// Standard output and the bar may share one terminal: the bar steps aside for every line.
void CliUpgradeReport::line(const QString& text)
{
    const bool hadBar = m_barShown;
    clearBar();
    m_out << text << '\n';
    m_out.flush();
    if (hadBar)
        drawBar();
}

void CliUpgradeReport::drawBar()
{
    if (!m_progressBar)
        return;
    const int filled = m_bar * barWidth / fullBar;
    m_err << eraseLine << '[' << QString(filled, QLatin1Char(barDone))
          << QString(barWidth - filled, QLatin1Char(barToDo)) << "] " << QString::number(m_bar).rightJustified(3)
          << "% " << m_device;
    m_err.flush();
    m_barShown = true;
}

void CliUpgradeReport::clearBar()
{
    if (!m_barShown)
        return;
    m_err << eraseLine;
    m_err.flush();
    m_barShown = false;
}
