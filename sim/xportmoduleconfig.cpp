// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "xportmoduleconfig.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kMaxDelayMs = 600000;
constexpr int kSerialSpeeds[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
constexpr int kMaxSpeed = 921600;

const QMap<QString, bool XportModuleConfig::*>& faultFlags()
{
    static const QMap<QString, bool XportModuleConfig::*> flags = {
        {QStringLiteral("pinsUnreachable"), &XportModuleConfig::pinsUnreachable},
        {QStringLiteral("pinsWrongReply"), &XportModuleConfig::pinsWrongReply},
        {QStringLiteral("menuSilent"), &XportModuleConfig::menuSilent},
        {QStringLiteral("menuNoPrompt"), &XportModuleConfig::menuNoPrompt},
        {QStringLiteral("tunnelUnreachable"), &XportModuleConfig::tunnelUnreachable},
        {QStringLiteral("noAutobaudEcho"), &XportModuleConfig::noAutobaudEcho},
        {QStringLiteral("eraseRefused"), &XportModuleConfig::eraseRefused},
        {QStringLiteral("verifyMismatch"), &XportModuleConfig::verifyMismatch},
        {QStringLiteral("loaderSilent"), &XportModuleConfig::loaderSilent},
        {QStringLiteral("loaderReset"), &XportModuleConfig::loaderReset},
        {QStringLiteral("loaderRandom"), &XportModuleConfig::loaderRandom},
        {QStringLiteral("tunnelChatter"), &XportModuleConfig::tunnelChatter},
        {QStringLiteral("menuChatter"), &XportModuleConfig::menuChatter},
        {QStringLiteral("menuEndless"), &XportModuleConfig::menuEndless},
        {QStringLiteral("menuFlood"), &XportModuleConfig::menuFlood},
        {QStringLiteral("writeChatter"), &XportModuleConfig::writeChatter},
        {QStringLiteral("writeFlood"), &XportModuleConfig::writeFlood}};
    return flags;
}

struct IntegerKey
{
    const char* name;
    int XportModuleConfig::*member;
    int least;
    bool serialSpeed;
};

const IntegerKey kIntegerKeys[] = {{"restartMs", &XportModuleConfig::restartMs, 0, false},
                                   {"bannerWindowMs", &XportModuleConfig::bannerWindowMs, 1, false},
                                   {"eraseDelayMs", &XportModuleConfig::eraseDelayMs, 0, false},
                                   {"initialBaud", &XportModuleConfig::initialBaud, 0, true},
                                   {"programmingBaud", &XportModuleConfig::programmingBaud, 0, true},
                                   {"normalBaud", &XportModuleConfig::normalBaud, 0, true}};

bool readInteger(const QJsonValue& value, int& result)
{
    const double number = value.toDouble(-1.0);
    if (!value.isDouble() || number < 0 || number > kMaxSpeed || std::floor(number) != number)
        return false;
    result = int(number);
    return true;
}

QString speedList()
{
    QStringList speeds;
    for (int speed : kSerialSpeeds)
        speeds.append(QString::number(speed));
    return speeds.join(QStringLiteral(", "));
}

QStringList knownKeys()
{
    QStringList keys{QStringLiteral("faults")};
    for (const IntegerKey& key : kIntegerKeys)
        keys.append(QLatin1String(key.name));
    return keys;
}
} // namespace

bool XportModuleConfig::isSerialSpeed(int baud)
{
    return std::find(std::begin(kSerialSpeeds), std::end(kSerialSpeeds), baud) != std::end(kSerialSpeeds);
}

bool XportModuleConfig::parse(const QJsonValue& value, QString* error)
{
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isObject()) {
        *error = QStringLiteral("module must be an object");
        return false;
    }
    const QJsonObject object = value.toObject();
    for (const QString& key : object.keys()) {
        if (!knownKeys().contains(key)) {
            *error = QStringLiteral("module: unknown key \"%1\"").arg(key);
            return false;
        }
    }
    for (const IntegerKey& key : kIntegerKeys) {
        const QString name = QLatin1String(key.name);
        if (!object.contains(name))
            continue;
        int number = 0;
        const bool read = readInteger(object.value(name), number);
        if (key.serialSpeed && !(read && isSerialSpeed(number))) {
            *error = QStringLiteral("module: %1 must be one of the serial speeds %2").arg(name, speedList());
            return false;
        }
        if (!key.serialSpeed && !(read && number >= key.least && number <= kMaxDelayMs)) {
            *error = QStringLiteral("module: %1 must be a whole number from %2 to %3 (ms)")
                         .arg(name)
                         .arg(key.least)
                         .arg(kMaxDelayMs);
            return false;
        }
        this->*key.member = number;
    }
    return parseFaults(object.value(QLatin1String("faults")), error);
}

bool XportModuleConfig::parseFaults(const QJsonValue& value, QString* error)
{
    if (value.isUndefined())
        return true;
    if (!value.isArray()) {
        *error = QStringLiteral("module: faults must be a list of names");
        return false;
    }
    for (const QJsonValue& fault : value.toArray()) {
        const QString name = fault.toString();
        if (!faultFlags().contains(name)) {
            *error = QStringLiteral("module: unknown fault \"%1\" (known: %2)")
                         .arg(name, QStringList(faultFlags().keys()).join(QStringLiteral(", ")));
            return false;
        }
        this->*faultFlags().value(name) = true;
    }
    return true;
}
