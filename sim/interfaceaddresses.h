// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

// The unit addresses held by the lab-side interfaces. An address stays while any unit on that link
// still uses it, so two units sharing an address (a real lab mistake) keep it alive.
class InterfaceAddresses
{
public:
    void keep(const QString& device, quint32 ip) { m_protected.insert(key(device, ip)); }
    void addAll(const QList<QPair<QString, quint32>>& addresses);
    void add(const QString& device, quint32 ip);
    void remove(const QString& device, quint32 ip);
    bool apply(QString* error);

private:
    static QString key(const QString& device, quint32 ip);
    static QString command(const char* verb, const QString& device, quint32 ip);

    QHash<QString, int> m_users;
    QSet<QString> m_protected;
    QStringList m_pending;
};
