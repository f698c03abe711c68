// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/devicesearch.h"

#include "app/devicetable.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QStatusBar>
#include <QTableWidget>

DeviceSearch::DeviceSearch(DeviceTable& table, QWidget* neighbour, QStatusBar* bar, QObject* parent)
    : QObject(parent), m_table(table), m_field(new QLineEdit), m_count(new QLabel)
{
    m_field->setObjectName(QStringLiteral("lineEditSearch"));
    m_field->setClearButtonEnabled(true);
    m_field->setPlaceholderText(tr("Find a unit by serial number, MAC, IP, group, module ID or description (Ctrl+F)"));
    m_field->setToolTip(m_field->placeholderText());
    // In the strip above the table rather than over it, so the table keeps its height for the rows.
    if (auto* layout = qobject_cast<QBoxLayout*>(neighbour->parentWidget()->layout()))
        layout->insertWidget(layout->indexOf(neighbour), m_field, 1);
    m_count->setObjectName(QStringLiteral("labelUnitsShown"));
    bar->addPermanentWidget(m_count);
    connect(m_field, &QLineEdit::textChanged, this, &DeviceSearch::onTextChanged);
    // Esc empties the field while it has the focus, as its clear button does.
    auto* clear = new QShortcut(QKeySequence(Qt::Key_Escape), m_field, nullptr, nullptr, Qt::WidgetShortcut);
    connect(clear, &QShortcut::activated, m_field, &QLineEdit::clear);
    connect(&m_table, &DeviceTable::signalRowsShown, this, &DeviceSearch::showCount);
}

bool DeviceSearch::matches(const Device_t& device, const QString& text)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return true;
    for (const QString& field :
         {device.serialNumber, device.mac, device.ip, device.group, device.moduleId, device.description}) {
        if (field.contains(wanted, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void DeviceSearch::focusField()
{
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void DeviceSearch::onTextChanged(const QString& text)
{
    if (text.trimmed().isEmpty())
        m_table.setRowFilter({});
    else
        m_table.setRowFilter([text](const Device_t& device) { return matches(device, text); });
}

// Units that did not answer the last scan are no units found: they are counted apart.
void DeviceSearch::showCount(int shown, int total, int missingShown)
{
    QString text = total == 0 ? QString() : tr("%1 of %2 units shown").arg(shown).arg(total);
    if (missingShown > 0)
        text = (text.isEmpty() ? QString() : text + QStringLiteral(", ")) + tr("%n missing", nullptr, missingShown);
    m_count->setText(text);
}
