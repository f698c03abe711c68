// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/scanchanges.h"

#include "journal/journaltext.h"
#include "journal/scansnapshot.h"
#include "model/fieldtables.h"
#include "model/unittext.h"

#include <QStringList>

namespace {
constexpr auto arrow = " \u2192 ";
constexpr auto fieldLabelContext = "InformationPage";
constexpr auto noLabel = "---";

QString shown(const QString& value)
{
    return value.isEmpty() ? QStringLiteral("-") : value;
}
} // namespace

ScanChanges::ScanChanges(const std::optional<ScanDifference>& difference)
{
    if (!difference)
        return;
    m_previous = difference->previousScan;
    for (const Device_t& device : difference->added)
        m_marks.insert(ScanDifference::matchKey(device), Mark::New);
    for (const ScanDifference::Changed& changed : difference->changed) {
        const QString key = ScanDifference::matchKey(changed.device);
        m_marks.insert(key, Mark::Changed);
        m_fields.insert(key, changed.fields);
    }
    m_missing = difference->removed;
}

ScanChanges ScanChanges::afterScan(const QList<Device_t>& found, QString* problem, const QString& directory)
{
    const ScanSnapshot snapshot(directory);
    QStringList problems;
    QString readProblem;
    const std::optional<ScanSnapshot::Scan> last = snapshot.load(&readProblem);
    if (!readProblem.isEmpty())
        problems << readProblem;
    if (!found.isEmpty()) {
        const QString saveProblem = snapshot.save(found);
        if (!saveProblem.isEmpty())
            problems << saveProblem;
    }
    if (problem)
        *problem = problems.join(QStringLiteral("; "));
    return ScanChanges(last ? std::optional<ScanDifference>(ScanDifference::between(*last, found)) : std::nullopt);
}

ScanChanges::Mark ScanChanges::mark(const Device_t& device) const
{
    return m_marks.value(ScanDifference::matchKey(UnitText::cleaned(device)), Mark::None);
}

QString ScanChanges::description(const Device_t& device) const
{
    const QString key = ScanDifference::matchKey(UnitText::cleaned(device));
    const QString when = JournalText::time(m_previous);
    switch (m_marks.value(key, Mark::None)) {
    case Mark::None:
        return QString();
    case Mark::New:
        return tr("New since the last scan (%1)").arg(when);
    case Mark::Changed:
        break;
    }
    QStringList lines{tr("Changed since the last scan (%1):").arg(when)};
    for (const ScanDifference::FieldChange& change : m_fields.value(key))
        lines << fieldText(change);
    return lines.join(QLatin1Char('\n'));
}

QString ScanChanges::notSeenSince(const QDateTime& lastSeen)
{
    return tr("not seen since %1").arg(JournalText::time(lastSeen));
}

QString ScanChanges::missingDescription(const ScanDifference::Removed& unit)
{
    return tr("Did not answer this scan; the scan of %1 found it. It cannot be configured or upgraded until it "
              "answers again.")
        .arg(JournalText::time(unit.lastSeen));
}

QString ScanChanges::fieldText(const ScanDifference::FieldChange& change)
{
    // The information page's names of the fields, which the user knows from there.
    const QString label = DescriptionMandatoryMap.value(FieldMandatoryMap.key(change.field));
    const QString name = label.isEmpty() || label == QLatin1String(noLabel)
                             ? change.field
                             : QCoreApplication::translate(fieldLabelContext, label.toUtf8().constData());
    return name + QLatin1Char(' ') + shown(change.before) + QString::fromUtf8(arrow) + shown(change.after);
}
