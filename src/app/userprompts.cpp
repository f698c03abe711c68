// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "userprompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

void UserPrompts::information(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

void UserPrompts::critical(QWidget* parent, const QString& title, const QString& text, Qt::TextFormat format)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(format);
    box.exec();
}

void UserPrompts::warning(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

bool UserPrompts::question(QWidget* parent, const QString& title, const QString& text,
                           QMessageBox::StandardButton defaultButton)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, defaultButton) ==
           QMessageBox::Yes;
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
