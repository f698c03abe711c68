// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/clicheckcommand.h"

#include "cli/cliarguments.h"
#include "cli/clicontext.h"
#include "cli/cliexit.h"
#include "cli/cliscanner.h"
#include "firmware/upgradeselection.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {
constexpr auto macOption = "mac";
constexpr auto codeOption = "code";
constexpr auto jsonOption = "json";

QString option(const char* name)
{
    return QString::fromLatin1(name);
}

// Names for scripts, never translated.
QString kindKey(FirmwareImageKind kind)
{
    switch (kind) {
    case FirmwareImageKind::SRecord:
        return QStringLiteral("srecord");
    case FirmwareImageKind::IntelHex:
        return QStringLiteral("intelhex");
    case FirmwareImageKind::PowerSupplyImage:
        break;
    }
    return QStringLiteral("updt");
}

// A power-supply image is sent unchanged and has no addresses of its own.
QString rangeUnitKey(FirmwareImageKind kind)
{
    switch (kind) {
    case FirmwareImageKind::SRecord:
        return QStringLiteral("bytes");
    case FirmwareImageKind::IntelHex:
        return QStringLiteral("words");
    case FirmwareImageKind::PowerSupplyImage:
        break;
    }
    return QString();
}

QJsonArray rangesJson(const FirmwareImage& image)
{
    QJsonArray ranges;
    for (const FirmwareImage::Range& range : image.ranges)
        ranges.append(QJsonObject{{QStringLiteral("first"), QString::number(range.first, 16).toUpper()},
                                  {QStringLiteral("last"), QString::number(range.last, 16).toUpper()}});
    return ranges;
}
} // namespace

QString CliCheckCommand::name() const
{
    return QStringLiteral("check");
}

QString CliCheckCommand::synopsis() const
{
    return QStringLiteral("[options] [--mac MAC | --code CODE] FILE");
}

QString CliCheckCommand::summary() const
{
    return tr("Check a firmware file and show what an upgrade would send, sending nothing");
}

QString CliCheckCommand::description() const
{
    return tr("Reads FILE whole, as upgrade does before anything is sent, and prints what an upgrade would send: "
              "the kind of image, the address ranges its data covers (in bytes for S-records, in 16-bit words for "
              "Intel HEX), the data bytes, the file's size and its SHA-256. With --mac the instrument is found by "
              "a scan and the file is checked for its catalog code; with --code it is checked for that catalog "
              "code; with neither it is checked as what its content looks like. A file whose content is not of the "
              "kind the instrument takes, or that is damaged or does not fit, is refused with the reason and exit "
              "code 2. Nothing is sent to any instrument and nothing is written.");
}

CliCommand::ScanOptions CliCheckCommand::scanOptions() const
{
    return ScanOptions::All;
}

void CliCheckCommand::addOptions(QCommandLineParser& parser)
{
    parser.addOption({option(macOption),
                      tr("Check the file for this instrument, found by a scan (the scan options apply only here)."),
                      tr("MAC")});
    parser.addOption(
        {option(codeOption), tr("Check the file for instruments of this catalog code, e.g. 2100."), tr("CODE")});
    parser.addOption({option(jsonOption), tr("Print one JSON object instead of the lines.")});
    parser.addPositionalArgument(QStringLiteral("FILE"), tr("The firmware file (.updt, .flash or .hex)."));
}

QString CliCheckCommand::takeArguments(const QCommandLineParser& parser)
{
    m_json = parser.isSet(option(jsonOption));
    const QString problem = takeTarget(parser);
    return problem.isEmpty() ? takeFile(parser.positionalArguments()) : problem;
}

QString CliCheckCommand::takeFile(const QStringList& positionals)
{
    const QString problem = cliArguments::checkPositionals(positionals, {QStringLiteral("FILE")});
    if (!problem.isEmpty())
        return problem;
    const QFileInfo info(positionals.first());
    if (!info.exists())
        return tr("\"%1\" does not exist").arg(positionals.first());
    if (!info.isFile())
        return tr("\"%1\" is not a file").arg(positionals.first());
    m_file = info.absoluteFilePath();
    return {};
}

QString CliCheckCommand::takeTarget(const QCommandLineParser& parser)
{
    if (parser.isSet(option(macOption)) && parser.isSet(option(codeOption)))
        return tr("--mac and --code do not go together");
    if (parser.isSet(option(macOption)))
        return cliArguments::checkMac(QStringLiteral("--mac"), parser.value(option(macOption)), m_mac);
    if (!parser.isSet(option(codeOption)))
        return {};
    m_code = parser.value(option(codeOption)).trimmed().toUpper();
    if (!UpgradeSelection::imageKindFor(m_code))
        return tr("--code: %1 names no instruments with a firmware upgrade procedure").arg(m_code);
    return {};
}

int CliCheckCommand::run(CliContext& context)
{
    if (!m_mac.isEmpty()) {
        const int found = findCode(context);
        if (found != cliExit::success)
            return found;
    }
    const FirmwareImageKind content = FirmwareImageCheck::detectKind(m_file);
    FirmwareImageKind wanted = content;
    if (!m_code.isEmpty()) {
        wanted = *UpgradeSelection::imageKindFor(m_code);
        const QString mismatch = UpgradeSelection::mismatch(m_file, content, m_code);
        if (!mismatch.isEmpty())
            return refuse(context, mismatch);
    }
    const FirmwareImageCheck::Result result = UpgradeSelection::checkImage(m_file, wanted, false);
    if (!result.ok)
        return refuse(context, result.reason, &result);
    if (m_json)
        printJson(context, result.image);
    else
        print(context, result.image);
    return cliExit::success;
}

// The catalog code of the unit named by --mac, as upgrade finds it.
int CliCheckCommand::findCode(CliContext& context)
{
    const QList<Device_t> found = context.scanner().scan();
    const int index = CliScanner::indexOfMac(found, m_mac);
    if (index < 0) {
        refuse(context, tr("no instrument with the MAC address %1 answered").arg(m_mac));
        return cliExit::nothingFound;
    }
    const Device_t& unit = found.at(index);
    const QString problem = UpgradeSelection::selectionProblem(QList<Device_t>{unit});
    if (!problem.isEmpty())
        return refuse(context, problem);
    m_code = unit.code;
    return cliExit::success;
}

// A refusal goes to standard error as upgrade words it; with --json the object says it as well.
int CliCheckCommand::refuse(CliContext& context, const QString& reason, const FirmwareImageCheck::Result* result) const
{
    // A fault in the file is told after the file's name, as upgrade tells it.
    context.error((result ? m_file + QStringLiteral(": ") : QString()) + reason + tr("; nothing would be sent"));
    if (m_json) {
        QJsonObject object{
            {QStringLiteral("file"), m_file}, {QStringLiteral("ok"), false}, {QStringLiteral("reason"), reason}};
        if (result && result->line > 0) {
            object.insert(QStringLiteral("line"), result->line);
            object.insert(QStringLiteral("column"), result->column);
        }
        if (!m_mac.isEmpty())
            object.insert(QStringLiteral("mac"), m_mac);
        if (!m_code.isEmpty())
            object.insert(QStringLiteral("code"), m_code);
        context.out() << QJsonDocument(object).toJson(QJsonDocument::Indented);
    }
    return cliExit::badUsage;
}

QString CliCheckCommand::targetDescription() const
{
    if (m_code.isEmpty())
        return tr("what its content looks like");
    const QString units = UpgradeSelection::unitsDescription(m_code);
    if (m_mac.isEmpty())
        return tr("%1 of catalog code %2").arg(units, m_code);
    return tr("%1 (%2 of catalog code %3)").arg(m_mac, units, m_code);
}

void CliCheckCommand::print(CliContext& context, const FirmwareImage& image) const
{
    QTextStream& out = context.out();
    const QString unit = rangeUnitKey(image.kind);
    // The unit words are translated where they are shown; the keys above stay for scripts.
    const QString ranges = image.ranges.isEmpty()           ? tr("none: the file is sent as it is")
                           : unit == QLatin1String("words") ? tr("%1 (16-bit words)").arg(image.rangesText())
                                                            : tr("%1 (bytes)").arg(image.rangesText());
    out << tr("File: %1").arg(m_file) << '\n'
        << tr("Checked for: %1").arg(targetDescription()) << '\n'
        << tr("Kind: %1").arg(FirmwareImageCheck::kindDescription(image.kind)) << '\n'
        << tr("Address ranges: %1").arg(ranges) << '\n'
        << tr("Data bytes: %1").arg(image.dataBytes) << '\n'
        << tr("File bytes: %1").arg(image.fileBytes) << '\n'
        << tr("SHA-256: %1").arg(image.sha256Hex()) << '\n'
        << tr("The file is sound; nothing was sent.") << '\n';
}

void CliCheckCommand::printJson(CliContext& context, const FirmwareImage& image) const
{
    QJsonObject object{{QStringLiteral("file"), m_file},
                       {QStringLiteral("ok"), true},
                       {QStringLiteral("kind"), kindKey(image.kind)},
                       {QStringLiteral("ranges"), rangesJson(image)},
                       {QStringLiteral("rangeUnit"), rangeUnitKey(image.kind)},
                       {QStringLiteral("dataBytes"), double(image.dataBytes)},
                       {QStringLiteral("fileBytes"), double(image.fileBytes)},
                       {QStringLiteral("sha256"), image.sha256Hex()}};
    if (!m_mac.isEmpty())
        object.insert(QStringLiteral("mac"), m_mac);
    if (!m_code.isEmpty())
        object.insert(QStringLiteral("code"), m_code);
    context.out() << QJsonDocument(object).toJson(QJsonDocument::Indented);
}
