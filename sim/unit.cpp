// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit.h"

#include "labconfig.h"

#include <QJsonDocument>
#include <QtEndian>

namespace {
constexpr char kLegacyTag[] = "Ostravi Dev:";
constexpr char kJsonTag[] = "Ostravi QV3:";
constexpr int kCodeAt = 12;
constexpr int kMacAt = 14;
constexpr int kIpAt = 20;
constexpr int kMaskAt = 24;
constexpr int kGatewayAt = 28;
constexpr int kPsInfoAt = 44;
constexpr int kFirmwareAt = 44;
constexpr int kFirmwareCharacters = 4;
constexpr int kLantronixAnswerLength = 30;
constexpr int kLantronixMacAt = 24;
const QByteArray kLantronixAnswerHead = QByteArray::fromHex("000000f7");
const QString kCrLf = QStringLiteral("\r\n");
const QString kFirmwareMember = QStringLiteral("FW");

void place(QByteArray& buffer, int at, const QByteArray& bytes)
{
    if (buffer.size() < at + bytes.size())
        buffer.resize(at + bytes.size());
    buffer.replace(at, bytes.size(), bytes);
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}
QByteArray fourCharacterVersion(QString version)
{
    return version.remove(QLatin1Char('.')).leftJustified(kFirmwareCharacters, QLatin1Char('0'), true).toLatin1();
}
} // namespace

Unit::Unit(const UnitConfig& config)
    : m_config(config), m_ip(config.ip), m_mask(config.mask), m_gateway(config.gateway), m_dhcp(config.dhcp)
{}

void Unit::applySettings(quint32 ip, quint32 mask, quint32 gateway, const QString& dhcp)
{
    m_ip = ip;
    m_mask = mask;
    m_gateway = gateway;
    m_dhcp = dhcp;
}

bool Unit::answersBroadcast() const
{
    return !m_rebooting && (m_config.answer == AnswerMode::Both || m_config.answer == AnswerMode::Broadcast);
}

bool Unit::answersUnicast() const
{
    return !m_rebooting && (m_config.answer == AnswerMode::Both || m_config.answer == AnswerMode::Unicast);
}

QByteArray Unit::discoveryAnswer() const
{
    return m_config.kind == UnitKind::Json ? jsonAnswer() : legacyAnswer();
}

QByteArray Unit::lantronixAnswer() const
{
    QByteArray answer(kLantronixAnswerLength, '\0');
    answer.replace(0, kLantronixAnswerHead.size(), kLantronixAnswerHead);
    answer.replace(kLantronixMacAt, m_config.mac.size(), m_config.mac);
    return answer;
}

QByteArray Unit::legacyAnswer() const
{
    QByteArray answer(m_config.length, '\0');
    place(answer, 0, QByteArray(kLegacyTag));
    place(answer, kCodeAt, m_config.code);
    place(answer, kMacAt, m_config.mac);
    place(answer, kIpAt, bigEndian(m_ip));
    place(answer, kMaskAt, bigEndian(m_mask));
    place(answer, kGatewayAt, bigEndian(m_gateway));
    if (m_config.psInfo.present)
        place(answer, kPsInfoAt, powerSupplyLines());
    for (const BytePlacement& bytes : m_config.bytes)
        place(answer, bytes.at, bytes.bytes);
    // Without power-supply lines the version is four characters, shown as "a.b.cd": "2.1.07" is "2107".
    if (!m_installedFirmware.isEmpty() && !m_config.psInfo.present)
        place(answer, kFirmwareAt, fourCharacterVersion(m_installedFirmware));
    // The declared length wins: a short answer is cut, whatever was placed beyond it.
    answer.truncate(m_config.length);
    return answer;
}

QByteArray Unit::powerSupplyLines() const
{
    const PsInfo& info = m_config.psInfo;
    return (firmwareVersion() + kCrLf + info.sn + kCrLf + info.id + kCrLf + info.line3 + kCrLf + m_dhcp + kCrLf)
        .toLatin1();
}

QByteArray Unit::jsonAnswer() const
{
    if (m_config.hasRawText)
        return QByteArray(kJsonTag) + m_config.rawText;
    QJsonObject object = m_config.object;
    keepMember(object, QStringLiteral("MAC"), LabConfig::macText(m_config.mac));
    keepMember(object, QStringLiteral("IP"), LabConfig::ipText(m_ip));
    keepMember(object, QStringLiteral("NETMASK"), LabConfig::ipText(m_mask));
    keepMember(object, QStringLiteral("GATEWAY"), LabConfig::ipText(m_gateway));
    keepMember(object, QStringLiteral("DHCP"), m_dhcp);
    if (!m_installedFirmware.isEmpty())
        object.insert(kFirmwareMember, m_installedFirmware);
    return QByteArray(kJsonTag) + QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void Unit::keepMember(QJsonObject& object, const QString& key, const QString& value) const
{
    if (!object.contains(key))
        return;
    const QJsonValue given = object.value(key);
    // A member already equal to the present value stays as the lab file wrote it (case, type).
    if (given.toVariant().toString().compare(value, Qt::CaseInsensitive) == 0)
        return;
    if (given.isDouble())
        object.insert(key, value.toDouble());
    else
        object.insert(key, value);
}

QString Unit::firmwareVersion() const
{
    return m_installedFirmware.isEmpty() ? configuredFirmware() : m_installedFirmware;
}

QString Unit::configuredFirmware() const
{
    if (m_config.kind == UnitKind::Json)
        return m_config.object.value(kFirmwareMember).toString();
    if (m_config.psInfo.present)
        return m_config.psInfo.fw;
    const QByteArray digits = legacyAnswer().mid(kFirmwareAt, kFirmwareCharacters);
    if (digits.size() < kFirmwareCharacters || digits.count('\0') == kFirmwareCharacters)
        return QString();
    return QString::fromLatin1(digits.left(1) + '.' + digits.mid(1, 1) + '.' + digits.mid(2));
}
