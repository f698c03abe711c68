// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/updates.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QWidget>

#include "updates/checkupdatesthread.h"

namespace {
const char* const titleUpdates = QT_TRANSLATE_NOOP("Updates", "Updates");
}

Updates::Updates(QWidget* parent, UserPrompts* prompts)
    : QObject(parent), m_parent(parent), m_toolPath(locateTool()),
      m_ownPrompts(prompts ? nullptr : std::make_unique<UserPrompts>()),
      m_prompts(prompts ? prompts : m_ownPrompts.get()), m_finishTimeoutMs(CheckUpdatesThread::defaultFinishTimeoutMs),
      m_quit([] { QCoreApplication::quit(); })
{}

Updates::~Updates()
{
    // A thread object must not die while it runs; the tool is killed at the latest after the finish bound.
    for (CheckUpdatesThread* thread : findChildren<CheckUpdatesThread*>())
        thread->wait();
}

QString Updates::locateTool()
{
    // The installer puts its maintenance tool two levels above the program's own directory.
    const QString candidate =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../../") + QLatin1String(toolName);
    return QFileInfo(candidate).canonicalFilePath();
}

void Updates::checkUpdates()
{
    // Without the installer's tool the program came from a system package or runs from its build tree:
    // reinstalling would be wrong advice there, the package manager brings the new versions.
    if (m_toolPath.isEmpty()) {
        m_prompts->information(m_parent, tr(titleUpdates),
                               tr("This copy of Kestrion was not installed with the Kestrion installer (it comes from "
                                  "a system package or runs from its build directory), so it cannot update itself. "
                                  "Updates come through the system's package manager."));
        return;
    }
    auto* thread = new CheckUpdatesThread(this, m_toolPath, {QString::fromLatin1(checkArgument)}, m_finishTimeoutMs);
    connect(thread, &CheckUpdatesThread::signalResultReady, this, &Updates::onCheckResult);
    thread->start(QThread::InheritPriority);
}

QString Updates::errorDescription(int error)
{
    switch (error) {
    case QProcess::FailedToStart:
        return tr("The process failed to start. Either the invoked program is missing, or you may have insufficient "
                  "permissions to invoke the program.");
    case QProcess::Crashed:
        return tr("The process crashed some time after starting successfully.");
    case QProcess::Timedout:
        return tr("Timeout.");
    case QProcess::ReadError:
        return tr("An error occurred when attempting to read from the process. For example, the process may not be "
                  "running.");
    case QProcess::WriteError:
        return tr("An error occurred when attempting to write to the process. For example, the process may not be "
                  "running, or it may have closed its input channel.");
    default:
        return tr("Unknown error, code error ") + QString::number(error);
    }
}

void Updates::onCheckResult(int error, QByteArray data)
{
    if (error == QProcess::UnknownError) {
        updateSoftware(data);
        return;
    }
    m_prompts->critical(m_parent, tr(titleUpdates),
                        tr("Error calling maintenancetool ") + m_toolPath + QStringLiteral(". ") +
                            errorDescription(error));
}

void Updates::updateSoftware(QByteArray data)
{
    // The tool's output is read as a C string: anything after a NUL is not looked at.
    const QString output =
        QString::fromLatin1(data.constData(), static_cast<int>(qstrnlen(data.constData(), data.size())));
    if (!output.contains(QLatin1String(updatesTag), Qt::CaseSensitive)) {
        m_prompts->information(m_parent, tr(titleUpdates), tr("No updates available."));
        return;
    }
    const QMessageBox::StandardButton answer =
        m_prompts->question(m_parent, tr(titleUpdates),
                            tr("There are updates, would you like to upgrade (the application will be closed)?"),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    if (QProcess::startDetached(m_toolPath, {QString::fromLatin1(updaterArgument)})) {
        m_quit();
        return;
    }
    m_prompts->critical(
        m_parent, tr(titleUpdates),
        tr("The maintancetool is installed properly but an error occurs, check if you have access permission and if ") +
            QStringLiteral("<a href=\"%1\">").arg(QLatin1String(repositoryUrl)) + tr("Ostravi repository") +
            QStringLiteral("</a>") +
            tr(" is reachable (i.e. firewall or proxy is blocking it) and try again later; if the issue persists "
               "contact "
               "the support."),
        Qt::RichText);
}
