// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/compactview.h"

#include "app/devicetable.h"
#include "model/appsettings.h"

#include <QAction>
#include <QMenu>

CompactView::CompactView(QMenu& viewMenu, DeviceTable& table, AppSettings& settings, QObject* parent)
    : QObject(parent), m_table(table), m_settings(settings), m_action(new QAction(tr("&Compact View"), &viewMenu))
{
    m_action->setObjectName(QStringLiteral("actionCompact_View"));
    m_action->setCheckable(true);
    m_action->setToolTip(tr("Rows at text height with small pictures, to see many units at once"));
    viewMenu.addAction(m_action);
    const bool compact = m_settings.value(QLatin1String(settingsKey), false).toBool();
    m_action->setChecked(compact);
    m_table.setCompact(compact);
    connect(m_action, &QAction::toggled, this, &CompactView::apply);
}

void CompactView::apply(bool compact)
{
    m_table.setCompact(compact);
    m_settings.setValue(QLatin1String(settingsKey), compact);
}
