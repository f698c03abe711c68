// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

enum class UploadMode { Normal, Refuse, Drop, Silent, Nak, Hash, Chatter, Flood };
enum class RebootMode { Ack, Refuse, Silent };
enum class AnswerStyle { Normal, Chatter, Random, Endless, Drip, Flood };
enum class StatusStyle { Normal, Garbage, Silent };

// How the unit takes an image on its upload port and reports the installation.
struct UploadConfig
{
    UploadMode mode = UploadMode::Normal;
    qint64 dropAfter = 65536;
    QString nakReason = QStringLiteral("image rejected");
    // A declared image length ends the image at that byte; 0 ends it after quietMs without data.
    qint64 length = 0;
    int quietMs = 250;
    int reportMs = 100;
    int reportSteps = 4;
    bool digest = true;
    // Mode flood: the installation report's text, in all, before its #ACK.
    qint64 floodBytes = 40 * 1024 * 1024;
};

// How the unit answers the flash programming commands on its command port.
struct FlashConfig
{
    int eraseMs = 2;
    int silentAtLine = 0;
    int refuseLine = 0;
    QByteArray answerEnd = QByteArrayLiteral("\r\n");
};

// The "firmware" object of a legacy or json unit: its command port, upload port and flash services.
struct FirmwareConfig
{
    bool present = false;
    QString model;
    bool commandPort = true;
    bool identifies = true;
    bool outputOn = false;
    quint16 status = 0;
    double dcLink = 540;
    double dcLinkLimit = 600;
    bool readable = true;
    RebootMode reboot = RebootMode::Ack;
    int rebootMs = 100;
    // How the command port answers once `hostileAfter` commands of a connection had their real answer.
    AnswerStyle answers = AnswerStyle::Normal;
    int hostileAfter = 0;
    qint64 floodBytes = 200000000;
    StatusStyle statusAnswer = StatusStyle::Normal;
    UploadConfig upload;
    FlashConfig flash;

    // Reads unitObject's "firmware" member, if any; the error names the key at fault.
    static bool parse(const QJsonObject& unitObject, const QString& unitName, FirmwareConfig& config, QString* error);
};
