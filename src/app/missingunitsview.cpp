// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/missingunitsview.h"

#include "app/devicetable.h"
#include "model/appsettings.h"

#include <QAction>
#include <QMenu>

MissingUnitsView::MissingUnitsView(QMenu& viewMenu, DeviceTable& table, AppSettings& settings, QObject* parent)
    : QObject(parent), m_table(table), m_settings(settings), m_action(new QAction(tr("Show &Missing Units"), &viewMenu))
{
    m_action->setObjectName(QStringLiteral("actionShow_Missing_Units"));
    m_action->setCheckable(true);
    m_action->setToolTip(
        tr("Units that answered the scan before and not the last one, greyed at the end of the table"));
    viewMenu.addAction(m_action);
    const bool shown = m_settings.value(QLatin1String(settingsKey), true).toBool();
    m_action->setChecked(shown);
    m_table.setMissingShown(shown);
    connect(m_action, &QAction::toggled, this, &MissingUnitsView::apply);
}

void MissingUnitsView::apply(bool shown)
{
    m_table.setMissingShown(shown);
    m_settings.setValue(QLatin1String(settingsKey), shown);
}
