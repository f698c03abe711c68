// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/housekeeping.h"

#include "app/resourcetext.h"
#include "dialogs/dialog.h"
#include "dialogs/userprompts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

Housekeeping::Housekeeping(UserPrompts& prompts, QWidget* window) : m_prompts(prompts), m_window(window) {}

namespace {
const QStringList installationFiles = {QStringLiteral("kestrion"), QStringLiteral("Kestrion"),
                                       QStringLiteral("maintenancetool")};

bool holdsInstallationFile(const QDir& directory, int depthLeft)
{
    if (!directory.entryInfoList(installationFiles, QDir::Files | QDir::Executable).isEmpty())
        return true;
    if (depthLeft == 0)
        return false;
    for (const QFileInfo& sub : directory.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        if (holdsInstallationFile(QDir(sub.absoluteFilePath()), depthLeft - 1))
            return true;
    }
    return false;
}
} // namespace

void Housekeeping::showTextDialog(const QString& resource, const QString& title, Qt::TextFormat format)
{
    auto* dialog = new Dialog(m_window);
    if (format == Qt::MarkdownText)
        dialog->setMarkdown(readResourceText(resource));
    else
        dialog->setText(readResourceText(resource));
    dialog->setTitle(title);
    dialog->show();
}

void Housekeeping::checkForPreviousInstallations()
{
    const QDir previous(QDir::homePath() + QLatin1Char('/') + QLatin1String(previousInstallationDir));
    const QString path = previous.absolutePath();
    const QString running = QDir(QCoreApplication::applicationDirPath()).absolutePath();
    // The program running from there, or from a folder inside it, is no previous installation.
    if (!previous.exists() || running == path || running.startsWith(path + QLatin1Char('/')))
        return;
    // A folder of that name without the program in it holds someone's files, not an old installation.
    if (!holdsInstallation(path))
        return;
    if (m_prompts.question(m_window, tr("Previous Installation Found"),
                           tr("A previous installation was found in:\n%1\n\nDo you want to remove it?").arg(path),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    if (!QDir(path).removeRecursively())
        m_prompts.warning(m_window, tr("Error"), tr("Unable to remove old installation at:\n%1").arg(path));
}

bool Housekeeping::holdsInstallation(const QString& directory)
{
    return holdsInstallationFile(QDir(directory), installationSearchDepth);
}
