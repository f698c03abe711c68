// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/addressdelegate.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace {
// Room for "255.255.255.255" and a stray character or two, which then show red rather than vanish.
const QRegularExpression typedAddress(QStringLiteral("[0-9.]{0,17}"));
} // namespace

AddressDelegate::AddressDelegate(KindOf kindOf, QObject* parent)
    : QStyledItemDelegate(parent), m_kindOf(std::move(kindOf))
{}

QWidget* AddressDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    auto* line = qobject_cast<QLineEdit*>(editor);
    const std::optional<AddressText::Kind> kind = m_kindOf(index);
    if (!line || !kind)
        return editor;
    line->setValidator(new QRegularExpressionValidator(typedAddress, line));
    const AddressText::Kind addressKind = *kind;
    connect(line, &QLineEdit::textChanged, line,
            [line, addressKind](const QString& text) { markEditor(line, addressKind, text); });
    return editor;
}

void AddressDelegate::markEditor(QLineEdit* editor, AddressText::Kind kind, const QString& text)
{
    const QString refusal = AddressText::refusal(kind, text);
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Text, refusal.isEmpty() ? QColor(Qt::black) : QColor(QLatin1String(invalidColour)));
    editor->setPalette(palette);
    editor->setToolTip(refusal);
}

void AddressDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const std::optional<AddressText::Kind> kind = m_kindOf(index);
    if (!kind || !(index.flags() & Qt::ItemIsEditable))
        return;
    if (!AddressText::isAcceptable(*kind, index.data(Qt::DisplayRole).toString())) {
        const QColor red{QLatin1String(invalidColour)};
        option->palette.setColor(QPalette::Text, red);
        option->palette.setColor(QPalette::HighlightedText, red);
    }
}
