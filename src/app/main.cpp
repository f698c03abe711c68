// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Ostravi"));
    QApplication::setApplicationName(QStringLiteral("Kestrion"));
    QMainWindow window;
    window.show();
    return app.exec();
}
