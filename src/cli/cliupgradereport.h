// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QJsonObject>
#include <QString>

class QTextStream;
class UpgradeVerification;

// What "upgrade" prints while it runs: the workers' log lines on standard output, as text or as one
// JSON object per event, and a progress bar on standard error when that is a terminal.
class CliUpgradeReport
{
    Q_DECLARE_TR_FUNCTIONS(CliUpgradeReport)

public:
    CliUpgradeReport(QTextStream& out, QTextStream& err, bool json, bool progressBar);

    // The bar position after a worker's progress value: 0, 50, 70, 80, 95 and 100 place it, any other
    // value is added, the sum taken modulo 101 (as the window's bar does).
    static int nextProgress(int bar, int value);

    void start(const QString& device, const QString& ip, int index, int count, const QString& file);
    void log(const QString& device, const QString& text);
    void progress(const QString& device, int value);
    // The bar at a position already worked out by nextProgress() (a fleet run's batched progress).
    void progressAt(const QString& device, int position);
    void done(const QString& device);
    void failed(const QString& device, const QString& reason);
    // A unit that was never started, and why.
    void skipped(const QString& device, const QString& reason);
    // What the rescan after the run says of an upgraded unit's version.
    void verified(const UpgradeVerification& verification);

private:
    void event(const QString& name, const QString& device, QJsonObject members = {});
    void line(const QString& text);
    void drawBar();
    void clearBar();

    QTextStream& m_out;
    QTextStream& m_err;
    bool m_json;
    bool m_progressBar;
    bool m_barShown = false;
    int m_bar = 0;
    QString m_device;
};
