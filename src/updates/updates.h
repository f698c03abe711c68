// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "dialogs/userprompts.h"

class QWidget;

// Asks the installer's maintenance tool for a newer version and, if the user agrees, hands over to it.
class Updates : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* toolName = "maintenancetool";
    static constexpr const char* checkArgument = "--checkupdates";
    static constexpr const char* updaterArgument = "--updater";
    static constexpr const char* updatesTag = "<updates>";
    static constexpr const char* repositoryUrl = "https://updates.ostravi.example/kestrion/repository";

    // Without prompts the check shows real message boxes.
    explicit Updates(QWidget* parent, UserPrompts* prompts = nullptr);
    ~Updates() override;

    void checkUpdates();
    void updateSoftware(QByteArray data);

    QString toolPath() const { return m_toolPath; }
    // Tests shorten the wait for the tool and replace ending the application.
    void setFinishTimeout(int ms) { m_finishTimeoutMs = ms; }
    void setQuitAction(std::function<void()> quit) { m_quit = std::move(quit); }

    static QString errorDescription(int error);

public slots:
    void onCheckResult(int error, QByteArray data);

private:
    static QString locateTool();

    QWidget* m_parent;
    QString m_toolPath;
    std::unique_ptr<UserPrompts> m_ownPrompts;
    UserPrompts* m_prompts;
    int m_finishTimeoutMs;
    std::function<void()> m_quit;
};
