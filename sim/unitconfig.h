// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "firmwareconfig.h"
#include "xportmoduleconfig.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

enum class UnitKind { Legacy, Json, Xport, Flooder };
enum class AnswerMode { Both, Broadcast, Unicast, None };
enum class TcpMode { Normal, Refuse, Silent, NoCr, Stream, Drop };
enum class FloodMacs { Random, One };
enum class FloodTcp { Silent, Drip, Refuse };
enum class FloodForm { Answer, Garbage };

// A flooder: forged answers by the thousand to every query it hears, from modules that never answer.
struct FloodConfig
{
    int jsonAnswers = 0;
    int lantronixAnswers = 0;
    FloodMacs macs = FloodMacs::Random;
    FloodTcp tcp = FloodTcp::Silent;
    // What the Lantronix flood sends: forged module answers, or datagrams no module would send.
    FloodForm lantronixForm = FloodForm::Answer;
};

struct BytePlacement
{
    int at = 0;
    QByteArray bytes;
};

struct PsInfo
{
    bool present = false;
    QString fw;
    QString sn;
    QString id;
    QString line3;
};

// One simulated unit as the lab file describes it at start-up.
struct UnitConfig
{
    QString name;
    QString link;
    UnitKind kind = UnitKind::Legacy;
    quint32 ip = 0;
    quint32 mask = 0;
    quint32 gateway = 0;
    QByteArray mac;
    QString dhcp = QStringLiteral("0");
    AnswerMode answer = AnswerMode::Both;
    int delayMs = 0;
    bool acceptSet = true;
    // Takes new addresses but leaves its DHCP switch as it was, as a unit whose firmware ignores it.
    bool keepDhcp = false;

    QByteArray code;
    QList<BytePlacement> bytes;
    PsInfo psInfo;
    int length = 248;

    QJsonObject object;
    bool hasRawText = false;
    QByteArray rawText;

    bool lantronixAnswers = true;
    bool hasDriver = false;
    QByteArray mver;
    QByteArray serial;
    TcpMode tcp = TcpMode::Refuse;
    XportModuleConfig module;

    FirmwareConfig firmware;

    FloodConfig flood;
};
