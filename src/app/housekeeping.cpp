// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/housekeeping.h"

#include "app/resourcetext.h"
#include "dialogs/dialog.h"
#include "dialogs/userprompts.h"

#include <QCoreApplication>
#include <QDir>

Housekeeping::Housekeeping(UserPrompts& prompts, QWidget* window) : m_prompts(prompts), m_window(window) {}

void Housekeeping::showTextDialog(const QString& resource, const QString& title)
{
    auto* dialog = new Dialog(m_window);
    dialog->setText(readResourceText(resource));
    dialog->setTitle(title);
    dialog->show();
}

void Housekeeping::checkForPreviousInstallations()
{
    const QDir previous(QDir::homePath() + QLatin1Char('/') + QLatin1String(previousInstallationDir));
    const QString path = previous.absolutePath();
    if (!previous.exists() || path == QDir(QCoreApplication::applicationDirPath()).absolutePath())
        return;
    if (m_prompts.question(m_window, tr("Previous Installation Found"),
                           tr("A previous installation was found in:\n%1\n\nDo you want to remove it?").arg(path)) !=
        QMessageBox::Yes)
        return;
    if (!QDir(path).removeRecursively())
        m_prompts.warning(m_window, tr("Error"), tr("Unable to remove old installation at:\n%1").arg(path));
}
