// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/dialog.h"

#include "resources/appresources.h"
#include "ui_dialog.h"

Dialog::Dialog(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Dialog>())
{
    initAppResources();
    ui->setupUi(this);
}

Dialog::~Dialog() = default;

void Dialog::setText(const QString& text)
{
    ui->textEdit->setPlainText(text);
}

void Dialog::setMarkdown(const QString& text)
{
    ui->textEdit->setMarkdown(text);
}

void Dialog::setTitle(const QString& title)
{
    setWindowTitle(title);
}
