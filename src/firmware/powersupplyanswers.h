// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// How the power-supply upgrade reads what a supply answers: the status and DC-link answers on the
// command port, and the installation report on the upload port.
class PowerSupplyAnswers
{
public:
    enum class DcLink { Within, Unreadable, AboveLimit };
    struct DcLinkCheck
    {
        DcLink verdict = DcLink::Within;
        QString message; // the log line when the check fails
    };

    // Bit 0 of the hexadecimal "#MST:" value; nothing when the answer is not "#MST:" and a hexadecimal value.
    static std::optional<bool> outputOn(const QString& statusAnswer);
    // Field index of an answer split at every ':' with "\r\n" removed; empty when there is no such field.
    static QString field(const QString& answer, int index);
    // The "MRP" voltage (field 1) against the "MRG:83" limit (field 2); equal to the limit passes.
    static DcLinkCheck checkDcLink(const QString& voltageAnswer, const QString& limitAnswer);

    // The percentage of the "$:" progress lines of one read: the last one when the read holds nothing else;
    // nothing when it holds no progress line or does not read as a number.
    static std::optional<int> progress(const QString& reply);
    static QString withoutProgressLines(const QString& reply);
    // The installation report ends with the first read that holds a '#'.
    static bool isFinal(const QString& reply);
    // The line that holds the final mark has its line end: a report cut short is not read as final.
    static bool finalLineEnded(const QString& reply);
    // The report from its final mark on, without the progress lines that came in the same read.
    static QString finalLine(const QString& reply);
    static bool isAccepted(const QString& reply);
    static bool isRefused(const QString& reply);
    static QString refusalReason(const QString& reply);
    static bool rebootAcknowledged(const QString& answer);
};
