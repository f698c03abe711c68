// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/buttonkeyfilter.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>

void ButtonKeyFilter::watchButtons(QWidget* window)
{
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->installEventFilter(window);
}

bool ButtonKeyFilter::filter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QPushButton*>(watched);
    const bool keyEvent = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (!button || !keyEvent)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (event->type() == QEvent::KeyPress)
            button->click();
        return true;
    }
    // The release is taken too, so that a press that went elsewhere cannot end in a click here.
    return key == Qt::Key_Space;
}

bool ButtonKeyFilter::letSpaceTickCheckBox(QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier)
        return false;
    const auto* box = qobject_cast<QCheckBox*>(QApplication::focusWidget());
    if (!box || !box->isEnabled())
        return false;
    // An accepted override reaches the box as a key press instead of triggering the shortcut.
    event->accept();
    return true;
}
