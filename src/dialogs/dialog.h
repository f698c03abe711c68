// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class Dialog;
}

// Read-only viewer for the compiled-in texts (changelog, about, supported devices).
class Dialog : public QDialog
{
    Q_OBJECT

public:
    explicit Dialog(QWidget* parent = nullptr);
    ~Dialog() override;

    void setText(const QString& text);
    // Headings, lists and emphasis shown as such (the changelog).
    void setMarkdown(const QString& text);
    void setTitle(const QString& title);

private:
    std::unique_ptr<Ui::Dialog> ui;
};
