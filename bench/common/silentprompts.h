// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs/userprompts.h"

// Never answers by blocking: a benchmark has nobody to click.
class SilentPrompts : public UserPrompts
{
public:
    void information(QWidget*, const QString&, const QString&) override {}
    void critical(QWidget*, const QString&, const QString&, Qt::TextFormat) override {}
    void warning(QWidget*, const QString&, const QString&) override {}
    QMessageBox::StandardButton question(QWidget*, const QString&, const QString&, QMessageBox::StandardButtons,
                                         QMessageBox::StandardButton) override
    {
        return QMessageBox::No;
    }
};
