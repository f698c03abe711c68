// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "promptspresenter.h"

#include "userprompts.h"

PromptsPresenter::PromptsPresenter(std::shared_ptr<UserPrompts> prompts) : m_prompts(std::move(prompts)) {}

void PromptsPresenter::critical(QWidget* parent, const QString& title, const QString& text, Qt::TextFormat format)
{
    m_prompts->critical(parent, title, text, format);
}

void PromptsPresenter::information(QWidget* parent, const QString& title, const QString& text)
{
    m_prompts->information(parent, title, text);
}

QMessageBox::StandardButton PromptsPresenter::question(QWidget* parent, const QString& title, const QString& text,
                                                       QMessageBox::StandardButtons buttons,
                                                       QMessageBox::StandardButton defaultButton)
{
    Q_UNUSED(buttons)
    return m_prompts->question(parent, title, text, defaultButton) ? QMessageBox::Yes : QMessageBox::No;
}
