// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/messagepresenter.h"

void MessagePresenter::critical(QWidget* parent, const QString& title, const QString& text, Qt::TextFormat format)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(format);
    if (format == Qt::RichText)
        box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    box.exec();
}

void MessagePresenter::information(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QMessageBox::StandardButton MessagePresenter::question(QWidget* parent, const QString& title, const QString& text,
                                                       QMessageBox::StandardButtons buttons,
                                                       QMessageBox::StandardButton defaultButton)
{
    return QMessageBox::question(parent, title, text, buttons, defaultButton);
}
