// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/fleetresultstable.h"

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int progressMaximum = 100;
constexpr int msPerSecond = 1000;
constexpr int secondsPerMinute = 60;
constexpr int secondsPerHour = 3600;
constexpr int columnCount = 5;

bool isFinal(FleetRun::Step step)
{
    return step == FleetRun::Step::Done || step == FleetRun::Step::Failed || step == FleetRun::Step::Cancelled;
}
} // namespace

FleetResultsTable::FleetResultsTable(QWidget* parent)
    : QWidget(parent), m_table(new QTableWidget(this)), m_unitLog(new QPlainTextEdit(this)),
      m_elapsedTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("fleetResultsTable"));
    m_table->setObjectName(QStringLiteral("tableWidgetFleetResults"));
    m_unitLog->setObjectName(QStringLiteral("plainTextEditUnitLog"));
    m_table->setColumnCount(columnCount);
    m_table->setHorizontalHeaderLabels({tr("Unit"), tr("Step"), tr("Progress"), tr("Elapsed"), tr("Last message")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_unitLog->setReadOnly(true);
    m_unitLog->setPlaceholderText(tr("Choose a unit to see its log."));

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_table);
    splitter->addWidget(m_unitLog);
    // The rows are what a run is watched by; a unit's log is looked into now and then.
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    m_elapsedTimer->setInterval(elapsedTickMs);
    connect(m_elapsedTimer, &QTimer::timeout, this, &FleetResultsTable::tickElapsed);
    connect(m_table, &QTableWidget::currentCellChanged, this, [this](int row) {
        showChosenLog();
        emit unitChosen(isValid(row) ? row : -1);
    });
}

void FleetResultsTable::clear()
{
    m_elapsedTimer->stop();
    m_rows.clear();
    m_table->setRowCount(0);
    m_unitLog->clear();
}

void FleetResultsTable::setUnits(const QList<Device_t>& units)
{
    clear();
    m_table->setUpdatesEnabled(false);
    m_table->setRowCount(units.size());
    for (int i = 0; i < units.size(); ++i) {
        Row row;
        row.bar = new QProgressBar(m_table);
        row.bar->setRange(0, progressMaximum);
        row.bar->setValue(0);
        m_table->setItem(i, columnUnit, new QTableWidgetItem(unitText(units.at(i))));
        m_table->setItem(i, columnStep, new QTableWidgetItem(stepText(FleetRun::Step::Waiting)));
        m_table->setCellWidget(i, columnProgress, row.bar);
        m_table->setItem(i, columnElapsed, new QTableWidgetItem(QString()));
        m_table->setItem(i, columnMessage, new QTableWidgetItem(QString()));
        m_rows << row;
    }
    m_table->setUpdatesEnabled(true);
    m_table->resizeColumnToContents(columnUnit);
}

void FleetResultsTable::setStep(int index, FleetRun::Step step)
{
    if (!isValid(index))
        return;
    Row& row = m_rows[index];
    if (row.step == step)
        return;
    if (!row.clock.isValid() && step != FleetRun::Step::Waiting && !isFinal(step))
        row.clock.start();
    if (isFinal(step) && row.frozenMs < 0)
        row.frozenMs = row.clock.isValid() ? row.clock.elapsed() : 0;
    row.step = step;
    // The run marks the units it never started as cancelled; the end box calls them not started.
    const bool neverStarted = step == FleetRun::Step::Cancelled && !row.clock.isValid();
    m_table->item(index, columnStep)->setText(neverStarted ? tr("not started") : stepText(step));
    if (step == FleetRun::Step::Done)
        row.bar->setValue(progressMaximum);
    showElapsed(index);
    if (row.clock.isValid() && !isFinal(step) && !m_elapsedTimer->isActive())
        m_elapsedTimer->start();
}

void FleetResultsTable::setProgress(int index, int value)
{
    if (isValid(index))
        m_rows[index].bar->setValue(qBound(0, value, progressMaximum));
}

void FleetResultsTable::appendMessages(int index, const QStringList& lines)
{
    if (!isValid(index) || lines.isEmpty())
        return;
    Row& row = m_rows[index];
    row.log << lines;
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QString text = line->trimmed();
        if (!text.isEmpty()) {
            // A multi-line message shows its first line: the row stays one line high.
            m_table->item(index, columnMessage)->setText(text.section(QLatin1Char('\n'), 0, 0).trimmed());
            break;
        }
    }
    if (chosenUnit() == index)
        m_unitLog->appendPlainText(lines.join(QLatin1Char('\n')));
}

FleetRun::Step FleetResultsTable::step(int index) const
{
    return isValid(index) ? m_rows.at(index).step : FleetRun::Step::Waiting;
}

QString FleetResultsTable::unitLog(int index) const
{
    return isValid(index) ? m_rows.at(index).log.join(QLatin1Char('\n')) : QString();
}

int FleetResultsTable::chosenUnit() const
{
    const int row = m_table->currentRow();
    return isValid(row) ? row : -1;
}

void FleetResultsTable::chooseUnit(int index)
{
    if (isValid(index))
        m_table->setCurrentCell(index, columnUnit);
}

void FleetResultsTable::showChosenLog()
{
    const int index = chosenUnit();
    m_unitLog->setPlainText(index < 0 ? QString() : unitLog(index));
}

void FleetResultsTable::tickElapsed()
{
    bool running = false;
    for (int i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows.at(i);
        if (row.clock.isValid() && row.frozenMs < 0) {
            showElapsed(i);
            running = true;
        }
    }
    if (!running)
        m_elapsedTimer->stop();
}

void FleetResultsTable::showElapsed(int index)
{
    const Row& row = m_rows.at(index);
    if (!row.clock.isValid())
        return;
    const qint64 ms = row.frozenMs >= 0 ? row.frozenMs : row.clock.elapsed();
    QTableWidgetItem* item = m_table->item(index, columnElapsed);
    const QString text = elapsedText(ms);
    if (item->text() != text)
        item->setText(text);
}

QString FleetResultsTable::stepText(FleetRun::Step step)
{
    switch (step) {
    case FleetRun::Step::Waiting:
        return tr("waiting");
    case FleetRun::Step::Identifying:
        return tr("identifying");
    case FleetRun::Step::Uploading:
        return tr("uploading");
    case FleetRun::Step::Installing:
        return tr("installing");
    case FleetRun::Step::Erasing:
        return tr("erasing");
    case FleetRun::Step::Writing:
        return tr("writing");
    case FleetRun::Step::Restoring:
        return tr("restoring");
    case FleetRun::Step::Done:
        return tr("done");
    case FleetRun::Step::Failed:
        return tr("failed");
    case FleetRun::Step::Cancelled:
        return tr("cancelled");
    }
    return QString();
}

QString FleetResultsTable::unitText(const Device_t& unit)
{
    QStringList parts;
    for (const QString& part : {unit.group, unit.moduleId, unit.ip}) {
        if (!part.trimmed().isEmpty())
            parts << part.trimmed();
    }
    return parts.join(QLatin1String(", "));
}

QString FleetResultsTable::elapsedText(qint64 ms)
{
    const qint64 seconds = ms / msPerSecond;
    const qint64 hours = seconds / secondsPerHour;
    const qint64 minutes = (seconds % secondsPerHour) / secondsPerMinute;
    const qint64 rest = seconds % secondsPerMinute;
    if (hours > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(rest, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(minutes).arg(rest, 2, 10, QLatin1Char('0'));
}
