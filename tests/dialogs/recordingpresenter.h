// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>

#include "dialogs/messagepresenter.h"

// Records every message box instead of showing it; questions get a preset answer.
class RecordingPresenter : public MessagePresenter
{
public:
    enum Kind { Critical, Information, Question };

    struct Box
    {
        Kind kind;
        QString title;
        QString text;
        Qt::TextFormat format;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };

    void critical(QWidget*, const QString& title, const QString& text, Qt::TextFormat format) override
    {
        boxes.append({Critical, title, text, format, QMessageBox::Ok, QMessageBox::NoButton});
    }

    void information(QWidget*, const QString& title, const QString& text) override
    {
        boxes.append({Information, title, text, Qt::PlainText, QMessageBox::Ok, QMessageBox::NoButton});
    }

    QMessageBox::StandardButton question(QWidget*, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override
    {
        boxes.append({Question, title, text, Qt::PlainText, buttons, defaultButton});
        return answer;
    }

    QList<Box> boxes;
    QMessageBox::StandardButton answer = QMessageBox::No;
};
