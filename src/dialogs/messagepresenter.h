// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// Shows the application's message boxes. Dialogs take one from outside so that tests can answer
// and record the boxes instead of blocking on a modal window.
class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;

    virtual void critical(QWidget* parent, const QString& title, const QString& text,
                          Qt::TextFormat format = Qt::PlainText);
    virtual void information(QWidget* parent, const QString& title, const QString& text);
    virtual QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton);
};
