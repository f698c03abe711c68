// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cliundocommand.h"

#include "cli/cliarguments.h"
#include "cli/clicontext.h"
#include "cli/cliexit.h"
#include "cli/cliscanner.h"
#include "journal/journaltext.h"
#include "model/unitlock.h"
#include "netconf/networkundo.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <cstdio>

namespace {
constexpr auto yesOption = "yes";
constexpr auto allowDuplicateOption = "allow-duplicate";

QString option(const char* name)
{
    return QString::fromLatin1(name);
}
} // namespace

QString CliUndoCommand::name() const
{
    return QStringLiteral("undo");
}

QString CliUndoCommand::synopsis() const
{
    return QStringLiteral("[options] ID");
}

QString CliUndoCommand::summary() const
{
    return tr("Give a unit back the network settings it had before a change of the journal");
}

QString CliUndoCommand::description() const
{
    return tr("Looks up the change ID in the journal (see history --json for the ids), shows its settings new and "
              "old, and after confirmation sends the unit its old settings by MAC, then rescans until it answers "
              "from them. The undo is journalled and can be undone itself. Firmware upgrades are not undone: "
              "upgrade with the old image instead.");
}

CliCommand::ScanOptions CliUndoCommand::scanOptions() const
{
    return ScanOptions::All;
}

void CliUndoCommand::addOptions(QCommandLineParser& parser)
{
    parser.addPositionalArgument(QStringLiteral("ID"), tr("The id of the change in the journal."));
    parser.addOption({option(yesOption), tr("Send without asking for confirmation.")});
    parser.addOption(
        {option(allowDuplicateOption), tr("Send even an old address another instrument or this computer now uses.")});
}

QString CliUndoCommand::takeArguments(const QCommandLineParser& parser)
{
    const QStringList positionals = parser.positionalArguments();
    QString problem = cliArguments::checkPositionals(positionals, {QStringLiteral("ID")});
    if (problem.isEmpty())
        m_id = positionals.first().trimmed();
    if (problem.isEmpty() && m_id.isEmpty())
        problem = tr("the change id is empty (see history --json for the ids)");
    m_yes = parser.isSet(option(yesOption));
    m_allowDuplicate = parser.isSet(option(allowDuplicateOption));
    return problem;
}

int CliUndoCommand::run(CliContext& context)
{
    NetworkUndo undo;
    if (!undo.load(m_id)) {
        context.error(undo.error());
        return refusalExit(undo);
    }
    context.out() << tr("%1: undo %2").arg(JournalText::unit(undo.record().unit), undo.changeText()) << '\n';
    const QString later = undo.laterChangeText();
    if (!later.isEmpty())
        context.out() << tr("Note: %1; the undo takes that change back as well.").arg(later) << '\n';
    context.out().flush();
    if (!m_yes && !confirmed(context)) {
        context.error(tr("not confirmed; nothing was sent"));
        return cliExit::failed;
    }
    const QList<Device_t> devices = context.scanner().scan();
    if (!m_allowDuplicate && refusedAsDuplicate(context, undo, devices))
        return cliExit::badUsage;
    // Held until the rescan has seen the unit: no other Kestrion process may send to it meanwhile.
    const UnitLock claim(undo.record().unit.mac, UnitLock::Purpose::Configuration);
    if (!claim.isHeld()) {
        context.error(claim.refusal() + tr("; nothing was sent"));
        return cliExit::badUsage;
    }
    return sendAndVerify(context, undo, devices);
}

int CliUndoCommand::refusalExit(const NetworkUndo& undo)
{
    switch (undo.refusal()) {
    case NetworkUndo::Refusal::NotFound:
        return cliExit::nothingFound;
    case NetworkUndo::Refusal::Ambiguous:
        return cliExit::failed;
    default:
        return cliExit::badUsage;
    }
}

bool CliUndoCommand::confirmed(CliContext& context) const
{
    context.out() << tr("Send the old settings? [y/N] ");
    context.out().flush();
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    return answer.startsWith(QLatin1Char('y')) || answer.startsWith(tr("y"));
}

bool CliUndoCommand::refusedAsDuplicate(CliContext& context, const NetworkUndo& undo,
                                        const QList<Device_t>& devices) const
{
    const QList<AddressConflicts::Conflict> conflicts = undo.conflicts(devices, context.scanner().interfaces());
    if (conflicts.isEmpty())
        return false;
    context.error(tr("%1; nothing was sent (--allow-duplicate sends it anyway)")
                      .arg(AddressConflicts::texts(conflicts).join(QStringLiteral("; "))));
    return true;
}

int CliUndoCommand::sendAndVerify(CliContext& context, NetworkUndo& undo, const QList<Device_t>& devices) const
{
    const bool sent = undo.send(devices, context.scanner().interfaces());
    reportJournal(context, undo);
    if (!sent) {
        context.error(tr("nothing was sent: %1").arg(undo.error()));
        return cliExit::failed;
    }
    const QString mac = undo.record().unit.mac;
    const QString where = undo.restoredAddress().isEmpty() ? tr("with DHCP on") : undo.restoredAddress();
    context.out() << tr("%1: sent the old settings").arg(mac) << '\n';
    bool answered = false;
    for (int scan = 0; scan < verifyScans && !answered; ++scan)
        answered = undo.answers(context.scanner().scan());
    undo.complete(answered);
    reportJournal(context, undo);
    if (!answered) {
        context.error(tr("%1 does not answer %2 after the undo").arg(mac, where));
        return cliExit::failed;
    }
    context.out() << tr("%1: answers %2 again").arg(mac, where) << '\n';
    return cliExit::success;
}

// The undo is sent whether or not the journal takes it; the user hears of what it missed.
void CliUndoCommand::reportJournal(CliContext& context, NetworkUndo& undo)
{
    for (const QString& warning : undo.takeJournalWarnings())
        context.error(tr("warning: %1").arg(warning));
}
