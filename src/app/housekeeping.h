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

    // Viewers are children of `window`, which also parents the boxes.
    Housekeeping(UserPrompts& prompts, QWidget* window);

    // A new modeless viewer per call.
    void showTextDialog(const QString& resource, const QString& title);
    // Offers to remove "Ostravi/Kestrion" under the home directory unless the program runs from there.
    void checkForPreviousInstallations();

private:
    UserPrompts& m_prompts;
    QWidget* m_window;
};
