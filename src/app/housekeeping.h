// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QWidget;
class UserPrompts;

// The window's smaller duties: the read-only viewers of the compiled-in texts and the clean-up of an
// installation left in an older place.
class Housekeeping : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* changelogResource = ":/otherFiles/changelogNEW.md";
    static constexpr const char* aboutResource = ":/files/resources/about";
    static constexpr const char* supportedDevicesResource = ":/files/resources/supportedDevices";
    static constexpr const char* previousInstallationDir = "Ostravi/Kestrion";
    static constexpr int installationSearchDepth = 2;

    // Viewers are children of `window`, which also parents the boxes.
    Housekeeping(UserPrompts& prompts, QWidget* window);

    // A new modeless viewer per call; Markdown text is shown rendered.
    void showTextDialog(const QString& resource, const QString& title, Qt::TextFormat format = Qt::PlainText);
    // Offers to remove "Ostravi/Kestrion" under the home directory when it holds an installation of the
    // program and the program does not run from there. No is the default answer.
    void checkForPreviousInstallations();
    // The program's executable or the installer's maintenance tool lies in `directory` or at most two
    // levels below it (where the installer puts the program).
    static bool holdsInstallation(const QString& directory);

private:
    UserPrompts& m_prompts;
    QWidget* m_window;
};
