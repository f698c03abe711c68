// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/historydialog.h"

#include "dialogs/historydetails.h"
#include "dialogs/historytablemodel.h"
#include "dialogs/userprompts.h"
#include "journal/journalfilter.h"
#include "journal/journalreader.h"
#include "journal/journaltext.h"
#include "model/appsettings.h"
#include "netconf/addressconflicts.h"
#include "netconf/networkundo.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// The earliest time the span fields offer; at it a field shows "any" and bounds nothing.
const QDateTime openEnd(QDate(2000, 1, 1), QTime(0, 0));
constexpr auto geometryKey = "history/geometry";
// No column but the last may take more of the width than this: the outcome stays in view.
constexpr int widestColumn = 320;

QDateTime bound(const QDateTimeEdit* edit)
{
    return edit->dateTime() == edit->minimumDateTime() ? QDateTime() : edit->dateTime();
}

QString csvField(QString text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}
} // namespace

HistoryDialog::HistoryDialog(QWidget* parent, UserPrompts* prompts, const QString& directory)
    : QDialog(parent), m_prompts(prompts), m_directory(directory)
{
    setWindowTitle(tr("History"));
    buildLayout();
    reload();
}

void HistoryDialog::buildLayout()
{
    m_model = new HistoryTableModel(this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("historyTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_details = new QPlainTextEdit(this);
    m_details->setObjectName(QStringLiteral("historyDetails"));
    m_details->setReadOnly(true);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("historyStatus"));
    m_status->setWordWrap(true);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_table);
    splitter->addWidget(m_details);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildFilterRow());
    layout->addWidget(splitter, 1);
    layout->addWidget(m_status);
    layout->addWidget(buildButtonRow());
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &HistoryDialog::showSelected);
    resize(900, 600);
    const QByteArray geometry =
        AppSettings(AppSettings::MissingKeys::LeaveFileAlone).value(QLatin1String(geometryKey)).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
}

void HistoryDialog::hideEvent(QHideEvent* event)
{
    AppSettings(AppSettings::MissingKeys::LeaveFileAlone).setValue(QLatin1String(geometryKey), saveGeometry());
    QDialog::hideEvent(event);
}

bool HistoryDialog::eventFilter(QObject* watched, QEvent* event)
{
    for (QDateTimeEdit* edit : {m_since, m_until}) {
        if (edit->dateTime() != openEnd)
            continue;
        if (watched == edit->calendarWidget() && event->type() == QEvent::Show)
            edit->calendarWidget()->setCurrentPage(QDate::currentDate().year(), QDate::currentDate().month());
        // "any" is no date to type into: a digit starts from today, and types over its first part.
        if (watched == edit && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->text().contains(QRegularExpression(QStringLiteral("^[0-9]$")))) {
            edit->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
            edit->setSelectedSection(edit->sectionAt(0));
        }
    }
    return QDialog::eventFilter(watched, event);
}

QWidget* HistoryDialog::buildFilterRow()
{
    auto* row = new QWidget(this);
    m_filter = new QLineEdit(row);
    m_filter->setObjectName(QStringLiteral("historyFilter"));
    m_filter->setPlaceholderText(tr("MAC, serial, IP or file"));
    m_filter->setClearButtonEnabled(true);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* filterLabel = new QLabel(tr("&Filter:"), row);
    filterLabel->setBuddy(m_filter);
    layout->addWidget(filterLabel);
    layout->addWidget(m_filter, 1);
    for (QDateTimeEdit** edit : {&m_since, &m_until}) {
        *edit = new QDateTimeEdit(row);
        (*edit)->setMinimumDateTime(openEnd);
        (*edit)->setSpecialValueText(tr("any"));
        (*edit)->setCalendarPopup(true);
        (*edit)->setDateTime(openEnd);
        connect(*edit, &QDateTimeEdit::dateTimeChanged, this, &HistoryDialog::reload);
        (*edit)->calendarWidget()->installEventFilter(this);
        (*edit)->installEventFilter(this);
    }
    m_since->setObjectName(QStringLiteral("historySince"));
    m_until->setObjectName(QStringLiteral("historyUntil"));
    auto* sinceLabel = new QLabel(tr("S&ince:"), row);
    sinceLabel->setBuddy(m_since);
    auto* untilLabel = new QLabel(tr("U&ntil:"), row);
    untilLabel->setBuddy(m_until);
    for (QWidget* widget : {static_cast<QWidget*>(sinceLabel), static_cast<QWidget*>(m_since),
                            static_cast<QWidget*>(untilLabel), static_cast<QWidget*>(m_until)})
        layout->addWidget(widget);
    connect(m_filter, &QLineEdit::textChanged, this, &HistoryDialog::reload);
    return row;
}

QWidget* HistoryDialog::buildButtonRow()
{
    auto* row = new QWidget(this);
    m_export = new QPushButton(tr("&Export CSV…"), row);
    m_export->setObjectName(QStringLiteral("historyExport"));
    m_undo = new QPushButton(tr("&Undo"), row);
    m_undo->setObjectName(QStringLiteral("historyUndo"));
    auto* close = new QPushButton(tr("&Close"), row);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_export);
    layout->addWidget(m_undo);
    layout->addStretch(1);
    layout->addWidget(close);
    connect(m_export, &QPushButton::clicked, this, &HistoryDialog::exportCsv);
    connect(m_undo, &QPushButton::clicked, this, &HistoryDialog::undoSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    return row;
}

void HistoryDialog::setScanner(Scanner scanner)
{
    m_scanner = std::move(scanner);
    updateUndoButton();
}

const JournalRecords& HistoryDialog::records() const
{
    return m_model->records();
}

void HistoryDialog::setSendingAllowed(bool allowed)
{
    m_sendingAllowed = allowed;
    updateUndoButton();
}

void HistoryDialog::reload()
{
    JournalFilter filter;
    filter.text = m_filter->text().trimmed();
    filter.since = bound(m_since);
    filter.until = bound(m_until);
    JournalReader::Result result = JournalReader(m_directory).read(filter);
    m_model->setRecords(std::move(result.records));
    m_status->setText(result.warnings.join(QLatin1Char('\n')));
    m_status->setVisible(!result.warnings.isEmpty());
    fillTable();
}

void HistoryDialog::fillTable()
{
    // The header measures the rows near the top only (its resize precision), however long the journal.
    m_table->resizeColumnsToContents();
    for (int column = 0; column + 1 < m_table->horizontalHeader()->count(); ++column)
        m_table->setColumnWidth(column, qMin(m_table->columnWidth(column), widestColumn));
    m_export->setEnabled(!records().isEmpty());
    showSelected();
}

const JournalRecord* HistoryDialog::selectedRecord() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= records().size())
        return nullptr;
    return &records().at(rows.first().row());
}

void HistoryDialog::showSelected()
{
    const JournalRecord* record = selectedRecord();
    m_details->setPlainText(record ? HistoryDetails::text(*record) : QString());
    updateUndoButton();
}

// Only a network change that was sent can be taken back; firmware comes back only by upgrading again.
void HistoryDialog::updateUndoButton()
{
    const JournalRecord* record = selectedRecord();
    const bool sent = record && record->kind != JournalRecord::Kind::FirmwareUpgrade &&
                      record->outcome != JournalRecord::Outcome::Unfinished &&
                      record->outcome != JournalRecord::Outcome::Cancelled;
    m_undo->setEnabled(sent && m_sendingAllowed && m_scanner.scan && m_scanner.interfaces);
}

QString HistoryDialog::csvText() const
{
    QStringList header;
    for (int column = 0; column < HistoryTableModel::columns; ++column)
        header << csvField(m_model->headerData(column, Qt::Horizontal).toString());
    QStringList lines{header.join(QLatin1Char(','))};
    for (const JournalRecord& record : records()) {
        QStringList fields;
        for (int column = 0; column < HistoryTableModel::columns; ++column)
            fields << csvField(HistoryTableModel::text(record, column));
        lines << fields.join(QLatin1Char(','));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void HistoryDialog::exportCsv()
{
    const QString path =
        m_prompts->saveFileName(this, tr("Export history"),
                                QDir::home().filePath(QStringLiteral("kestrion-history.csv")), tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(csvText().toUtf8()) < 0 || !file.flush()) {
        m_prompts->critical(this, tr("Export history"),
                            tr("Could not write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

void HistoryDialog::undoSelected()
{
    const JournalRecord* record = selectedRecord();
    if (!record || !m_undo->isEnabled())
        return;
    NetworkUndo undo(m_directory);
    if (!undo.load(record->id)) {
        m_prompts->warning(this, tr("Undo"), undo.error());
        return;
    }
    QString question =
        tr("Send %1 its old network settings?\n\n%2").arg(JournalText::unit(undo.record().unit), undo.changeText());
    if (!undo.laterChangeText().isEmpty())
        question += QStringLiteral("\n\n") +
                    tr("Note: %1; the undo takes that change back as well.").arg(undo.laterChangeText());
    if (m_prompts->question(this, tr("Undo"), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) !=
        QMessageBox::Yes)
        return;
    m_undo->setEnabled(false);
    const QList<Device_t> devices = m_scanner.scan();
    const QList<AddressConflicts::Conflict> conflicts = undo.conflicts(devices, m_scanner.interfaces());
    if (!conflicts.isEmpty()) {
        m_prompts->warning(
            this, tr("Undo"),
            tr("%1; nothing was sent.").arg(AddressConflicts::texts(conflicts).join(QStringLiteral("; "))));
    } else if (!undo.send(devices, m_scanner.interfaces())) {
        m_prompts->warning(this, tr("Undo"), tr("Nothing was sent: %1").arg(undo.error()));
    } else {
        reportUndo(undo, verifyAnswer(undo));
        emit undoSent();
    }
    reload();
}

bool HistoryDialog::verifyAnswer(NetworkUndo& undo) const
{
    bool answered = false;
    for (int scan = 0; scan < verifyScans && !answered; ++scan)
        answered = undo.answers(m_scanner.scan());
    undo.complete(answered);
    return answered;
}

// The undo was sent whether or not the journal took it; what the journal missed is told with the result.
void HistoryDialog::reportUndo(NetworkUndo& undo, bool answered)
{
    const QString mac = undo.record().unit.mac;
    const QString where = undo.restoredAddress().isEmpty() ? tr("with DHCP on") : undo.restoredAddress();
    QStringList lines{answered ? tr("%1 answers %2 again.").arg(mac, where)
                               : tr("%1 does not answer %2 after the undo.").arg(mac, where)};
    lines << undo.takeJournalWarnings();
    if (answered)
        m_prompts->information(this, tr("Undo"), lines.join(QLatin1Char('\n')));
    else
        m_prompts->warning(this, tr("Undo"), lines.join(QLatin1Char('\n')));
}
