// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/journalunit.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <optional>

// One change sent to an instrument. The journal stores it as two lines: a "begun" line written before
// anything is sent (id, time, user, kind, unit, old and new values) and a "completed" line written when
// the outcome is known (outcome, message and what only the end tells, e.g. the firmware version after
// the upgrade or the run's log file). A change whose completion never came stays Unfinished: the
// program was ended, or the computer went down, while it was being sent.
struct JournalRecord
{
    enum class Kind { NetworkSettings, FirmwareUpgrade, Undo };
    // NotConfirmed: sent, but the rescan does not show every field that was sent. Sent: sent and not
    // checked (no rescan was asked for, or the unit takes the settings only when it restarts).
    enum class Outcome { Unfinished, Succeeded, Failed, Cancelled, NotConfirmed, Sent };

    QString id;
    QDateTime begun;
    QString user;
    Kind kind = Kind::NetworkSettings;
    // For an undo: the id of the change it takes back.
    QString undoes;
    JournalUnit unit;
    // Network: ip, mask, gateway, dhcp (see JournalValues). Firmware: the version before, and the file
    // sent (path, size, SHA-256).
    QJsonObject before;
    QJsonObject after;

    Outcome outcome = Outcome::Unfinished;
    QDateTime completed;
    QString message;
    // Set on completion, e.g. {"firmwareVersion": after the upgrade, "logFile": the run's log}.
    QJsonObject result;

    // The line written before the change is sent.
    QJsonObject begunJson() const;
    // The line written when the change has ended.
    static QJsonObject completionJson(const QString& id, const QDateTime& time, Outcome outcome, const QString& message,
                                      const QJsonObject& result);
    // The whole change, begun and completed, as one object (kestrion-cli history --json).
    QJsonObject toJson() const;

    static constexpr char begunLine[] = "begun";
    static constexpr char completedLine[] = "completed";
    // Which of the two lines an object is (begunLine, completedLine); empty for neither.
    static QString lineType(const QJsonObject& object);
    static QString idOf(const QJsonObject& line);
    static std::optional<JournalRecord> fromBegunJson(const QJsonObject& object);
    // Takes outcome, time, message and result from a completion line.
    void complete(const QJsonObject& completion);
    void complete(Outcome ended, const QDateTime& time, const QString& text, const QJsonObject& endResult);
    // A time as the journal writes it (UTC with milliseconds), or in any other ISO 8601 form; in UTC.
    static QDateTime utcFromText(const QString& text);

    static QString kindName(Kind kind);
    static std::optional<Kind> kindFromName(const QString& name);
    static QString outcomeName(Outcome outcome);
    static Outcome outcomeFromName(const QString& name);
};

// Changes held side by side, not one allocation each: a journal may hold a hundred thousand.
using JournalRecords = QVector<JournalRecord>;
