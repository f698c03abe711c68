// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/terminationsignal.h"
#include "app/translations.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QLabel>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostravi"));
    QApplication::setApplicationName(QStringLiteral("Kestrion"));
    Translations::install(app);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Finds, configures and upgrades Ostravi networked instruments."));
    parser.addHelpOption();
    const QCommandLineOption scan(QStringLiteral("scan"),
                                  QStringLiteral("Scans as soon as the window is up, as the Scan button does, and "
                                                 "prints the status bar's summary of the scan."));
    parser.addOption(scan);
    parser.process(app);

    MainWindow window;
    TerminationSignal termination;
    QObject::connect(&termination, &TerminationSignal::received, &window, &MainWindow::onTerminate);
    window.show();
    // Queued: the scan lets events in while it runs, so the window is shown and drawn before it starts.
    if (parser.isSet(scan)) {
        QTimer::singleShot(0, &window, [&window] {
            window.onScanDevices();
            if (const auto* summary = window.findChild<QLabel*>(QStringLiteral("labelScanSummary")))
                qInfo("%s", qUtf8Printable(summary->text()));
        });
    }
    return app.exec();
}
