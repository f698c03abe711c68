// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "netconf/addresstext.h"

#include <QStyledItemDelegate>

#include <functional>
#include <optional>

class QLineEdit;

// Edits the address cells of a table: the editor takes digits and dots only and turns red, with the
// reason as its tool tip, while its text is no valid address of its kind; a committed invalid text
// stays red in the cell. Cells of no address kind are edited as usual.
class AddressDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using KindOf = std::function<std::optional<AddressText::Kind>(const QModelIndex&)>;

    static constexpr const char* invalidColour = "#c62828";

    AddressDelegate(KindOf kindOf, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Red text and the reason as tool tip while `text` is no valid address of `kind`.
    static void markEditor(QLineEdit* editor, AddressText::Kind kind, const QString& text);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    KindOf m_kindOf;
};
