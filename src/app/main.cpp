// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/terminationsignal.h"
#include "app/translations.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostravi"));
    QApplication::setApplicationName(QStringLiteral("Kestrion"));
    Translations::install(app);
    MainWindow window;
    TerminationSignal termination;
    QObject::connect(&termination, &TerminationSignal::received, &window, &MainWindow::onTerminate);
    window.show();
    return app.exec();
}
