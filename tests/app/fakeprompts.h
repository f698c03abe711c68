// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "userprompts.h"

#include <QStringList>

// Records what the window tells the user and answers its questions from preset values.
class FakePrompts : public UserPrompts
{
public:
    struct Box
    {
        QString kind;
        QString title;
        QString text;
    };

    void information(QWidget*, const QString& title, const QString& text) override
    {
        boxes.append({"information", title, text});
    }
    void critical(QWidget*, const QString& title, const QString& text, Qt::TextFormat) override
    {
        boxes.append({"critical", title, text});
    }
    void warning(QWidget*, const QString& title, const QString& text) override
    {
        boxes.append({"warning", title, text});
    }
    bool question(QWidget*, const QString& title, const QString& text, QMessageBox::StandardButton) override
    {
        boxes.append({"question", title, text});
        return answerYes;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return fileName; }
    QString saveFileName(QWidget*, const QString&, const QString& path, const QString&) override
    {
        proposedPaths.append(path);
        return fileName;
    }
    bool openUrl(const QUrl& url) override
    {
        urls.append(url);
        return true;
    }

    QList<Box> boxes;
    QList<QUrl> urls;
    QStringList proposedPaths;
    bool answerYes = false;
    QString fileName;
};
