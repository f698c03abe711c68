// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs/userprompts.h"

#include <QList>
#include <QStringList>

// Records every box instead of showing it and answers questions and file dialogs from preset values.
//
//     auto prompts = std::make_shared<FakePrompts>();
//     prompts->answer = QMessageBox::Yes;          // for the next questions
//     prompts->fileName = "/tmp/x.hex";            // for the next file dialogs; empty = cancelled
//     MainWindow window(nullptr, prompts);
//     ... QCOMPARE(prompts->boxes.last().text, ...);
class FakePrompts : public UserPrompts
{
public:
    struct Box
    {
        QString kind; // "information", "critical", "warning" or "question"
        QString title;
        QString text;
        Qt::TextFormat format = Qt::PlainText;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };
    struct FileDialog
    {
        QString caption;
        QString path; // start directory, or the proposed file of a save dialog
        QString filter;
    };

    void information(QWidget*, const QString& title, const QString& text) override
    {
        boxes.append({QStringLiteral("information"), title, text});
    }
    void critical(QWidget*, const QString& title, const QString& text, Qt::TextFormat format) override
    {
        boxes.append({QStringLiteral("critical"), title, text, format});
    }
    void warning(QWidget*, const QString& title, const QString& text) override
    {
        boxes.append({QStringLiteral("warning"), title, text});
    }
    QMessageBox::StandardButton question(QWidget*, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override
    {
        boxes.append({QStringLiteral("question"), title, text, Qt::PlainText, buttons, defaultButton});
        return answer;
    }
    QString openFileName(QWidget*, const QString& caption, const QString& dir, const QString& filter) override
    {
        openDialogs.append({caption, dir, filter});
        return fileName;
    }
    QString saveFileName(QWidget*, const QString& caption, const QString& path, const QString& filter) override
    {
        saveDialogs.append({caption, path, filter});
        proposedPaths.append(path);
        return fileName;
    }
    bool openUrl(const QUrl& url) override
    {
        urls.append(url);
        return urlOpens;
    }

    QList<Box> boxes;
    QList<FileDialog> openDialogs;
    QList<FileDialog> saveDialogs;
    QStringList proposedPaths;
    QList<QUrl> urls;
    QMessageBox::StandardButton answer = QMessageBox::No;
    QString fileName;
    bool urlOpens = true;
};
