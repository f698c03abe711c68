// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "labconfig.h"

#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QSet>

namespace {
constexpr int kMaxInterfaceName = 15;
constexpr int kMacLength = 6;
constexpr int kCodeLength = 2;
constexpr int kMaxDatagram = 65507;
constexpr int kDefaultMask = 24;
// A flood stays bounded: a million forged answers is far beyond what any test needs.
constexpr int kMaxFloodAnswers = 1000000;
const QString kDefaultMver = QStringLiteral("#MVER:KOLVEX:B:2.10");
const QString kDefaultSerial = QStringLiteral("KV0042");

bool toIp(const QString& text, quint32& ip)
{
    QHostAddress address;
    if (!address.setAddress(text) || address.protocol() != QAbstractSocket::IPv4Protocol)
        return false;
    ip = address.toIPv4Address();
    return true;
}

bool toMac(const QString& text, QByteArray& mac)
{
    const QStringList groups = text.split(QLatin1Char(':'));
    if (groups.size() != kMacLength)
        return false;
    mac.clear();
    for (const QString& group : groups) {
        bool ok = false;
        const uint value = group.toUInt(&ok, 16);
        if (!ok || group.size() != 2)
            return false;
        mac.append(char(value));
    }
    return true;
}
} // namespace

bool LabConfig::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read the lab file %1: %2").arg(path, file.errorString()));
    return parse(file.readAll());
}

bool LabConfig::parse(const QByteArray& json)
{
    m_links.clear();
    m_units.clear();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (!document.isObject())
        return fail(QStringLiteral("the lab file is not a JSON object: %1").arg(error.errorString()));
    const QJsonObject root = document.object();
    return parseLinks(root.value(QLatin1String("links")).toArray()) &&
           parseUnits(root.value(QLatin1String("units")).toArray());
}

const LinkConfig* LabConfig::link(const QString& name) const
{
    for (const LinkConfig& link : m_links) {
        if (link.name == name)
            return &link;
    }
    return nullptr;
}

QString LabConfig::ipText(quint32 ip)
{
    return QHostAddress(ip).toString();
}

QString LabConfig::macText(const QByteArray& mac)
{
    return QString::fromLatin1(mac.toHex(':')).toUpper();
}

bool LabConfig::fail(const QString& message)
{
    m_error = m_context.isEmpty() ? message : m_context + QStringLiteral(": ") + message;
    return false;
}

bool LabConfig::parseLinks(const QJsonArray& links)
{
    if (links.isEmpty())
        return fail(QStringLiteral("the lab file has no links"));
    QSet<QString> names;
    for (const QJsonValue& value : links) {
        const QJsonObject object = value.toObject();
        LinkConfig link;
        link.name = object.value(QLatin1String("name")).toString();
        m_context = QStringLiteral("link \"%1\"").arg(link.name);
        if (link.name.isEmpty() || link.name.size() > kMaxInterfaceName)
            return fail(QStringLiteral("the name must have 1 to %1 characters").arg(kMaxInterfaceName));
        if (names.contains(link.name))
            return fail(QStringLiteral("the name is used twice"));
        names.insert(link.name);
        link.prefix = object.value(QLatin1String("prefix")).toInt(kDefaultMask);
        if (link.prefix < 1 || link.prefix > 30)
            return fail(QStringLiteral("prefix must lie between 1 and 30"));
        if (!parseIp(object, QStringLiteral("toolIp"), 0, true, link.toolIp) ||
            !parseIp(object, QStringLiteral("labIp"), 0, true, link.labIp))
            return false;
        m_links.append(link);
    }
    m_context.clear();
    return true;
}

bool LabConfig::parseUnits(const QJsonArray& units)
{
    QSet<QString> names;
    for (const QJsonValue& value : units) {
        UnitConfig unit;
        if (!parseUnit(value.toObject(), unit))
            return false;
        // Tests find units in the log by name, and the tool's own address must stay the tool's.
        if (names.contains(unit.name))
            return fail(QStringLiteral("the name is used twice"));
        if (unit.ip == link(unit.link)->toolIp || unit.ip == link(unit.link)->labIp)
            return fail(QStringLiteral("the address belongs to the link itself"));
        names.insert(unit.name);
        m_units.append(unit);
    }
    m_context.clear();
    return true;
}

bool LabConfig::parseUnit(const QJsonObject& object, UnitConfig& unit)
{
    unit.name = object.value(QLatin1String("name")).toString();
    m_context = QStringLiteral("unit \"%1\"").arg(unit.name);
    if (unit.name.isEmpty())
        return fail(QStringLiteral("a unit has no name"));
    if (!parseCommon(object, unit) || !parseFirmware(object, unit))
        return false;
    switch (unit.kind) {
    case UnitKind::Legacy:
        return parseLegacy(object, unit);
    case UnitKind::Json:
        return parseJson(object, unit);
    case UnitKind::Xport:
        return parseXport(object, unit);
    case UnitKind::Flooder:
        return parseFlooder(object, unit);
    }
    return false;
}

bool LabConfig::parseCommon(const QJsonObject& object, UnitConfig& unit)
{
    unit.link = object.value(QLatin1String("link")).toString();
    const LinkConfig* ownLink = link(unit.link);
    if (!ownLink)
        return fail(QStringLiteral("unknown link \"%1\"").arg(unit.link));
    const QString kind = object.value(QLatin1String("kind")).toString();
    if (kind == QLatin1String("legacy"))
        unit.kind = UnitKind::Legacy;
    else if (kind == QLatin1String("json"))
        unit.kind = UnitKind::Json;
    else if (kind == QLatin1String("xport"))
        unit.kind = UnitKind::Xport;
    else if (kind == QLatin1String("flooder"))
        unit.kind = UnitKind::Flooder;
    else
        return fail(QStringLiteral("unknown kind \"%1\"").arg(kind));
    if (!parseIp(object, QStringLiteral("ip"), 0, true, unit.ip) ||
        !parseIp(object, QStringLiteral("mask"), 0xFFFFFF00u, false, unit.mask) ||
        !parseIp(object, QStringLiteral("gateway"), ownLink->toolIp, false, unit.gateway))
        return false;
    if (!toMac(object.value(QLatin1String("mac")).toString(), unit.mac))
        return fail(QStringLiteral("mac must be six hexadecimal pairs separated by \":\""));
    unit.dhcp = object.value(QLatin1String("dhcp")).toString(QStringLiteral("0"));
    const QString answer = object.value(QLatin1String("answer")).toString(QStringLiteral("both"));
    static const QHash<QString, AnswerMode> answers = {{QStringLiteral("both"), AnswerMode::Both},
                                                       {QStringLiteral("broadcast"), AnswerMode::Broadcast},
                                                       {QStringLiteral("unicast"), AnswerMode::Unicast},
                                                       {QStringLiteral("none"), AnswerMode::None}};
    if (!answers.contains(answer))
        return fail(QStringLiteral("unknown answer \"%1\"").arg(answer));
    unit.answer = answers.value(answer);
    unit.delayMs = object.value(QLatin1String("delayMs")).toInt(0);
    if (unit.delayMs < 0)
        return fail(QStringLiteral("delayMs must not be negative"));
    unit.acceptSet = object.value(QLatin1String("acceptSet")).toBool(true);
    unit.keepDhcp = object.value(QLatin1String("keepDhcp")).toBool(false);
    return true;
}

bool LabConfig::parseLegacy(const QJsonObject& object, UnitConfig& unit)
{
    const QString code = object.value(QLatin1String("code")).toString(QStringLiteral("0000"));
    unit.code = QByteArray::fromHex(code.toLatin1());
    if (code.size() != 2 * kCodeLength || unit.code.size() != kCodeLength)
        return fail(QStringLiteral("code must be four hexadecimal digits"));
    unit.length = object.value(QLatin1String("length")).toInt(unit.length);
    if (unit.length < 0 || unit.length > kMaxDatagram)
        return fail(QStringLiteral("length must lie between 0 and %1").arg(kMaxDatagram));
    if (object.contains(QLatin1String("psInfo"))) {
        const QJsonObject ps = object.value(QLatin1String("psInfo")).toObject();
        unit.psInfo.present = true;
        unit.psInfo.fw = ps.value(QLatin1String("fw")).toString();
        unit.psInfo.sn = ps.value(QLatin1String("sn")).toString();
        unit.psInfo.id = ps.value(QLatin1String("id")).toString();
        unit.psInfo.line3 = ps.value(QLatin1String("line3")).toString();
    }
    for (const QJsonValue& value : object.value(QLatin1String("bytes")).toArray()) {
        const QJsonObject placement = value.toObject();
        BytePlacement bytes;
        bytes.at = placement.value(QLatin1String("at")).toInt(-1);
        if (bytes.at < 0 || bytes.at >= kMaxDatagram)
            return fail(QStringLiteral("a byte placement has no valid \"at\""));
        if (placement.contains(QLatin1String("ascii")))
            bytes.bytes = placement.value(QLatin1String("ascii")).toString().toLatin1();
        else
            bytes.bytes = QByteArray::fromHex(placement.value(QLatin1String("hex")).toString().toLatin1());
        unit.bytes.append(bytes);
    }
    return true;
}

bool LabConfig::parseJson(const QJsonObject& object, UnitConfig& unit)
{
    unit.hasRawText = object.contains(QLatin1String("rawText"));
    unit.rawText = object.value(QLatin1String("rawText")).toString().toUtf8();
    unit.object = object.value(QLatin1String("object")).toObject();
    if (!unit.hasRawText && !object.value(QLatin1String("object")).isObject())
        return fail(QStringLiteral("a json unit needs \"object\" or \"rawText\""));
    return true;
}

bool LabConfig::parseXport(const QJsonObject& object, UnitConfig& unit)
{
    const QString lantronix = object.value(QLatin1String("lantronix")).toString(QStringLiteral("answer"));
    if (lantronix != QLatin1String("answer") && lantronix != QLatin1String("silent"))
        return fail(QStringLiteral("lantronix must be \"answer\" or \"silent\""));
    unit.lantronixAnswers = lantronix == QLatin1String("answer");
    const QJsonValue driver = object.value(QLatin1String("driver"));
    unit.hasDriver = driver.isObject();
    if (unit.hasDriver) {
        unit.mver = driver.toObject().value(QLatin1String("mver")).toString(kDefaultMver).toLatin1();
        unit.serial = driver.toObject().value(QLatin1String("serial")).toString(kDefaultSerial).toLatin1();
    }
    static const QHash<QString, TcpMode> modes = {
        {QStringLiteral("normal"), TcpMode::Normal}, {QStringLiteral("refuse"), TcpMode::Refuse},
        {QStringLiteral("silent"), TcpMode::Silent}, {QStringLiteral("nocr"), TcpMode::NoCr},
        {QStringLiteral("stream"), TcpMode::Stream}, {QStringLiteral("drop"), TcpMode::Drop}};
    const QString tcp = object.value(QLatin1String("tcp"))
                            .toString(unit.hasDriver ? QStringLiteral("normal") : QStringLiteral("refuse"));
    if (!modes.contains(tcp))
        return fail(QStringLiteral("unknown tcp behaviour \"%1\"").arg(tcp));
    unit.tcp = modes.value(tcp);
    QString why;
    if (!unit.module.parse(object.value(QLatin1String("module")), &why))
        return fail(why);
    return true;
}

bool LabConfig::parseFlooder(const QJsonObject& object, UnitConfig& unit)
{
    FloodConfig& flood = unit.flood;
    const auto count = [&object](const QString& key, int& value) {
        const QJsonValue given = object.value(key);
        if (given.isUndefined())
            return true;
        value = given.toInt(-1);
        return given.isDouble() && value >= 0 && value <= kMaxFloodAnswers;
    };
    if (!count(QStringLiteral("jsonAnswers"), flood.jsonAnswers) ||
        !count(QStringLiteral("lantronixAnswers"), flood.lantronixAnswers))
        return fail(QStringLiteral("jsonAnswers and lantronixAnswers must be whole numbers from 0 to %1")
                        .arg(kMaxFloodAnswers));
    const QString macs = object.value(QLatin1String("macs")).toString(QStringLiteral("random"));
    if (macs != QLatin1String("random") && macs != QLatin1String("one"))
        return fail(QStringLiteral("macs must be \"random\" or \"one\""));
    flood.macs = macs == QLatin1String("one") ? FloodMacs::One : FloodMacs::Random;
    static const QHash<QString, FloodTcp> modes = {{QStringLiteral("silent"), FloodTcp::Silent},
                                                   {QStringLiteral("drip"), FloodTcp::Drip},
                                                   {QStringLiteral("refuse"), FloodTcp::Refuse}};
    const QString tcp = object.value(QLatin1String("tcp")).toString(QStringLiteral("silent"));
    if (!modes.contains(tcp))
        return fail(QStringLiteral("a flooder's tcp must be \"silent\", \"drip\" or \"refuse\""));
    flood.tcp = modes.value(tcp);
    const QString form = object.value(QLatin1String("lantronixForm")).toString(QStringLiteral("answer"));
    if (form != QLatin1String("answer") && form != QLatin1String("garbage"))
        return fail(QStringLiteral("lantronixForm must be \"answer\" or \"garbage\""));
    flood.lantronixForm = form == QLatin1String("garbage") ? FloodForm::Garbage : FloodForm::Answer;
    return true;
}

bool LabConfig::parseFirmware(const QJsonObject& object, UnitConfig& unit)
{
    QString error;
    if (!FirmwareConfig::parse(object, unit.name, unit.firmware, &error))
        return fail(error);
    if (unit.firmware.present && (unit.kind == UnitKind::Xport || unit.kind == UnitKind::Flooder))
        return fail(QStringLiteral("\"firmware\" is for legacy and json units only"));
    return true;
}

bool LabConfig::parseIp(const QJsonObject& object, const QString& key, quint32 fallback, bool required, quint32& ip)
{
    if (!object.contains(key)) {
        ip = fallback;
        return required ? fail(QStringLiteral("\"%1\" is missing").arg(key)) : true;
    }
    if (!toIp(object.value(key).toString(), ip))
        return fail(QStringLiteral("\"%1\" is not an IPv4 address").arg(key));
    return true;
}
