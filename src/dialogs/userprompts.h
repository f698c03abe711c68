// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QString>
#include <QUrl>

class QWidget;

// Everything the program asks of the user or of the desktop: message boxes, file names and the
// browser. The window, its pages and the dialogs all ask through one of these, so that tests hand
// in their own answers instead of blocking on modal dialogs or starting a browser.
class UserPrompts
{
public:
    virtual ~UserPrompts() = default;

    virtual void information(QWidget* parent, const QString& title, const QString& text);
    // Rich text keeps its links usable.
    virtual void critical(QWidget* parent, const QString& title, const QString& text,
                          Qt::TextFormat format = Qt::PlainText);
    virtual void warning(QWidget* parent, const QString& title, const QString& text);
    virtual QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons = QMessageBox::Yes |
                                                                                        QMessageBox::No,
                                                 QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    // An empty text when the user cancels.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter);
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& path, const QString& filter);
    virtual bool openUrl(const QUrl& url);
};
