// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmware/powersupplyanswers.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace {
constexpr auto statusTag = "#MST:";
constexpr auto lineEnd = "\r\n";
constexpr int voltageField = 1;
constexpr int limitField = 2;
constexpr int significantDigits = 6;
constexpr auto acceptedTag = "#ACK";
constexpr auto refusedTag = "#NAK:";
constexpr auto rebootAcknowledgement = "#AK\r\n";
constexpr char finalMark = '#';
constexpr auto progressTag = "$:";

const QRegularExpression& progressLine()
{
    static const QRegularExpression pattern(QStringLiteral("\\$\\:([^\\n]+)\\n"));
    return pattern;
}

bool readVolts(const QString& text, float& volts)
{
    bool ok = false;
    volts = text.toFloat(&ok);
    return ok && std::isfinite(volts);
}

QString volts(float value)
{
    return QString::number(value, 'g', significantDigits);
}
} // namespace

std::optional<bool> PowerSupplyAnswers::outputOn(const QString& statusAnswer)
{
    // Only an answer to the status request can say that the output is off.
    if (!statusAnswer.trimmed().startsWith(QLatin1String(statusTag)))
        return std::nullopt;
    QString value = statusAnswer;
    value.remove(QLatin1String(statusTag)).remove(QLatin1String(lineEnd));
    bool ok = false;
    const uint status = value.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return (status & 1u) != 0;
}

QString PowerSupplyAnswers::field(const QString& answer, int index)
{
    return answer.split(QLatin1Char(':')).value(index).remove(QLatin1String(lineEnd));
}

// The verdicts go into the worker's log and are translated with the worker's texts.
PowerSupplyAnswers::DcLinkCheck PowerSupplyAnswers::checkDcLink(const QString& voltageAnswer,
                                                                const QString& limitAnswer)
{
    const QString voltageText = field(voltageAnswer, voltageField);
    const QString limitText = field(limitAnswer, limitField);
    float voltage = 0;
    float limit = 0;
    if (!readVolts(voltageText, voltage) || !readVolts(limitText, limit))
        return {DcLink::Unreadable,
                QCoreApplication::translate("firmwareUpgrade",
                                            "WARNING: there are some errors reading DC link voltage. %1, %2")
                    .arg(voltageText, limitText)};
    if (voltage > limit)
        return {DcLink::AboveLimit, QCoreApplication::translate(
                                        "firmwareUpgrade", "CRITICAL: the DC link voltage %1V should be less than %2V")
                                        .arg(volts(voltage), volts(limit))};
    return {};
}

std::optional<int> PowerSupplyAnswers::progress(const QString& reply)
{
    if (!progressLine().match(reply).hasMatch())
        return std::nullopt;
    bool ok = false;
    int value = 0;
    // Several progress lines in one read would otherwise run together into one number.
    if (withoutProgressLines(reply).remove(QLatin1Char('\n')).trimmed().isEmpty()) {
        QRegularExpressionMatchIterator lines = progressLine().globalMatch(reply);
        while (lines.hasNext())
            value = lines.next().captured(1).toInt(&ok, 10);
    } else {
        value = QString(reply).remove(QLatin1String(progressTag)).remove(QLatin1Char('\n')).toInt(&ok, 10);
    }
    return ok ? std::optional<int>(value) : std::nullopt;
}

QString PowerSupplyAnswers::withoutProgressLines(const QString& reply)
{
    return QString(reply).remove(progressLine());
}

bool PowerSupplyAnswers::isFinal(const QString& reply)
{
    return reply.contains(QLatin1Char(finalMark));
}

bool PowerSupplyAnswers::isAccepted(const QString& reply)
{
    return reply.contains(QLatin1String(acceptedTag));
}

bool PowerSupplyAnswers::isRefused(const QString& reply)
{
    return reply.contains(QLatin1String(refusedTag));
}

bool PowerSupplyAnswers::finalLineEnded(const QString& reply)
{
    const int mark = reply.indexOf(QLatin1Char(finalMark));
    return mark >= 0 && (reply.indexOf(QLatin1Char('\r'), mark) >= 0 || reply.indexOf(QLatin1Char('\n'), mark) >= 0);
}

QString PowerSupplyAnswers::finalLine(const QString& reply)
{
    const int mark = reply.indexOf(QLatin1Char(finalMark));
    return mark < 0 ? reply : reply.mid(mark);
}

// Progress lines that came in the same read as the final answer are no part of the reason.
QString PowerSupplyAnswers::refusalReason(const QString& reply)
{
    return finalLine(reply).remove(QLatin1String(refusedTag));
}

bool PowerSupplyAnswers::rebootAcknowledged(const QString& answer)
{
    return answer.contains(QLatin1String(rebootAcknowledgement));
}
