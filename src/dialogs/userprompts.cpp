// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/userprompts.h"

#include <QDesktopServices>
#include <QFileDialog>

void UserPrompts::information(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void UserPrompts::critical(QWidget* parent, const QString& title, const QString& text, Qt::TextFormat format)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(format);
    if (format == Qt::RichText)
        box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    box.exec();
}

void UserPrompts::warning(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QMessageBox::StandardButton UserPrompts::question(QWidget* parent, const QString& title, const QString& text,
                                                  QMessageBox::StandardButtons buttons,
                                                  QMessageBox::StandardButton defaultButton)
{
    return QMessageBox::question(parent, title, text, buttons, defaultButton);
}

QString UserPrompts::openFileName(QWidget* parent, const QString& caption, const QString& dir, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString UserPrompts::saveFileName(QWidget* parent, const QString& caption, const QString& path, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, path, filter);
}

bool UserPrompts::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
