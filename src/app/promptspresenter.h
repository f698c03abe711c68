// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs/messagepresenter.h"

#include <memory>

class UserPrompts;

// Lets the settings dialog and the update check show their boxes through the
// window's own prompts, so that one test double answers all of them.
class PromptsPresenter : public MessagePresenter
{
public:
    explicit PromptsPresenter(std::shared_ptr<UserPrompts> prompts);

    void critical(QWidget* parent, const QString& title, const QString& text, Qt::TextFormat format) override;
    void information(QWidget* parent, const QString& title, const QString& text) override;
    QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override;

private:
    std::shared_ptr<UserPrompts> m_prompts;
};
