// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "firmwareconfig.h"

#include <QHash>
#include <QJsonValue>
#include <QStringList>

#include <limits>

namespace {
constexpr int kMaxDelayMs = 600000;
constexpr int kMaxReportSteps = 1000;
constexpr qint64 kMaxBytes = std::numeric_limits<qint64>::max();

// Typed reads of one object of the lab file; the first mistake is kept with the key's full name.
class KeyReader
{
public:
    KeyReader(const QJsonObject& object, const QString& path, QString* error)
        : m_object(object), m_path(path), m_error(error)
    {}

    bool onlyKnown(const QStringList& keys) const
    {
        for (auto it = m_object.begin(); it != m_object.end(); ++it) {
            if (!keys.contains(it.key()))
                return fail(it.key(), QStringLiteral("is not a known key"));
        }
        return true;
    }

    bool boolean(const QString& key, bool& value) const
    {
        if (!m_object.contains(key))
            return true;
        if (!m_object.value(key).isBool())
            return fail(key, QStringLiteral("must be true or false"));
        value = m_object.value(key).toBool();
        return true;
    }

    bool number(const QString& key, double& value) const
    {
        if (!m_object.contains(key))
            return true;
        if (!m_object.value(key).isDouble())
            return fail(key, QStringLiteral("must be a number"));
        value = m_object.value(key).toDouble();
        return true;
    }

    template <typename Integer> bool integer(const QString& key, Integer minimum, Integer maximum, Integer& value) const
    {
        if (!m_object.contains(key))
            return true;
        const double given = m_object.value(key).toDouble(-1);
        if (!m_object.value(key).isDouble() || given != double(qint64(given)) || given < double(minimum) ||
            given > double(maximum))
            return fail(key, QStringLiteral("must be a whole number from %1 to %2").arg(minimum).arg(maximum));
        value = Integer(given);
        return true;
    }

    bool text(const QString& key, QString& value) const
    {
        if (!m_object.contains(key))
            return true;
        if (!m_object.value(key).isString())
            return fail(key, QStringLiteral("must be a text"));
        value = m_object.value(key).toString();
        return true;
    }

    template <typename Choice>
    bool choice(const QString& key, const QHash<QString, Choice>& choices, Choice& value) const
    {
        if (!m_object.contains(key))
            return true;
        const QString given = m_object.value(key).toString();
        if (!choices.contains(given)) {
            QStringList names = choices.keys();
            names.sort();
            return fail(key, QStringLiteral("must be one of %1").arg(names.join(QStringLiteral(", "))));
        }
        value = choices.value(given);
        return true;
    }

    bool object(const QString& key, QJsonObject& value) const
    {
        if (!m_object.contains(key))
            return true;
        if (!m_object.value(key).isObject())
            return fail(key, QStringLiteral("must be an object"));
        value = m_object.value(key).toObject();
        return true;
    }

    QString path(const QString& key) const { return m_path + QLatin1Char('.') + key; }

private:
    bool fail(const QString& key, const QString& what) const
    {
        *m_error = QStringLiteral("\"%1\" %2").arg(path(key), what);
        return false;
    }

    const QJsonObject& m_object;
    QString m_path;
    QString* m_error;
};

bool parseStatus(const KeyReader& keys, FirmwareConfig& config, QString* error)
{
    QString status;
    if (!keys.text(QStringLiteral("status"), status))
        return false;
    if (status.isEmpty())
        return true;
    bool ok = false;
    const uint value = status.toUInt(&ok, 16);
    if (!ok || status.size() > 4) {
        *error =
            QStringLiteral("\"%1\" must be one to four hexadecimal digits").arg(keys.path(QStringLiteral("status")));
        return false;
    }
    config.status = quint16(value);
    return true;
}

bool parseUpload(const QJsonObject& object, UploadConfig& upload, QString* error)
{
    const KeyReader keys(object, QStringLiteral("firmware.upload"), error);
    static const QHash<QString, UploadMode> modes = {
        {QStringLiteral("normal"), UploadMode::Normal},   {QStringLiteral("refuse"), UploadMode::Refuse},
        {QStringLiteral("drop"), UploadMode::Drop},       {QStringLiteral("silent"), UploadMode::Silent},
        {QStringLiteral("nak"), UploadMode::Nak},         {QStringLiteral("hash"), UploadMode::Hash},
        {QStringLiteral("chatter"), UploadMode::Chatter}, {QStringLiteral("flood"), UploadMode::Flood}};
    static const QHash<QString, bool> digests = {{QStringLiteral("sha256"), true}, {QStringLiteral("none"), false}};
    return keys.onlyKnown({QStringLiteral("mode"), QStringLiteral("dropAfter"), QStringLiteral("nakReason"),
                           QStringLiteral("length"), QStringLiteral("quietMs"), QStringLiteral("reportMs"),
                           QStringLiteral("reportSteps"), QStringLiteral("digest"), QStringLiteral("floodBytes")}) &&
           keys.choice(QStringLiteral("mode"), modes, upload.mode) &&
           keys.integer<qint64>(QStringLiteral("dropAfter"), 1, kMaxBytes, upload.dropAfter) &&
           keys.text(QStringLiteral("nakReason"), upload.nakReason) &&
           keys.integer<qint64>(QStringLiteral("length"), 0, kMaxBytes, upload.length) &&
           keys.integer(QStringLiteral("quietMs"), 1, kMaxDelayMs, upload.quietMs) &&
           keys.integer(QStringLiteral("reportMs"), 0, kMaxDelayMs, upload.reportMs) &&
           keys.integer(QStringLiteral("reportSteps"), 0, kMaxReportSteps, upload.reportSteps) &&
           keys.choice(QStringLiteral("digest"), digests, upload.digest) &&
           keys.integer<qint64>(QStringLiteral("floodBytes"), 1, kMaxBytes, upload.floodBytes);
}

bool parseFlash(const QJsonObject& object, FlashConfig& flash, QString* error)
{
    const KeyReader keys(object, QStringLiteral("firmware.flash"), error);
    static const QHash<QString, QByteArray> endings = {{QStringLiteral("crlf"), QByteArrayLiteral("\r\n")},
                                                       {QStringLiteral("cr"), QByteArrayLiteral("\r")},
                                                       {QStringLiteral("none"), QByteArray()}};
    return keys.onlyKnown({QStringLiteral("eraseMs"), QStringLiteral("silentAtLine"), QStringLiteral("refuseLine"),
                           QStringLiteral("answerEnd")}) &&
           keys.integer(QStringLiteral("eraseMs"), 0, kMaxDelayMs, flash.eraseMs) &&
           keys.integer(QStringLiteral("silentAtLine"), 0, std::numeric_limits<int>::max(), flash.silentAtLine) &&
           keys.integer(QStringLiteral("refuseLine"), 0, std::numeric_limits<int>::max(), flash.refuseLine) &&
           keys.choice(QStringLiteral("answerEnd"), endings, flash.answerEnd);
}

// The misbehaviours of the command port: answers that never confirm anything.
bool parseHostile(const KeyReader& keys, FirmwareConfig& config)
{
    static const QHash<QString, AnswerStyle> answers = {
        {QStringLiteral("normal"), AnswerStyle::Normal}, {QStringLiteral("chatter"), AnswerStyle::Chatter},
        {QStringLiteral("random"), AnswerStyle::Random}, {QStringLiteral("endless"), AnswerStyle::Endless},
        {QStringLiteral("drip"), AnswerStyle::Drip},     {QStringLiteral("flood"), AnswerStyle::Flood}};
    static const QHash<QString, StatusStyle> statusAnswers = {{QStringLiteral("normal"), StatusStyle::Normal},
                                                              {QStringLiteral("garbage"), StatusStyle::Garbage},
                                                              {QStringLiteral("silent"), StatusStyle::Silent}};
    return keys.choice(QStringLiteral("answers"), answers, config.answers) &&
           keys.integer(QStringLiteral("hostileAfter"), 0, std::numeric_limits<int>::max(), config.hostileAfter) &&
           keys.integer<qint64>(QStringLiteral("floodBytes"), 1, kMaxBytes, config.floodBytes) &&
           keys.choice(QStringLiteral("statusAnswer"), statusAnswers, config.statusAnswer);
}

bool parseTop(const QJsonObject& object, FirmwareConfig& config, QString* error)
{
    const KeyReader keys(object, QStringLiteral("firmware"), error);
    static const QHash<QString, bool> identify = {{QStringLiteral("answer"), true}, {QStringLiteral("nak"), false}};
    static const QHash<QString, bool> readings = {{QStringLiteral("ok"), true}, {QStringLiteral("unreadable"), false}};
    static const QHash<QString, RebootMode> reboots = {{QStringLiteral("ack"), RebootMode::Ack},
                                                       {QStringLiteral("refuse"), RebootMode::Refuse},
                                                       {QStringLiteral("silent"), RebootMode::Silent}};
    QJsonObject upload;
    QJsonObject flash;
    return keys.onlyKnown({QStringLiteral("model"), QStringLiteral("commandPort"), QStringLiteral("identify"),
                           QStringLiteral("outputOn"), QStringLiteral("status"), QStringLiteral("dcLink"),
                           QStringLiteral("dcLinkLimit"), QStringLiteral("readings"), QStringLiteral("reboot"),
                           QStringLiteral("rebootMs"), QStringLiteral("answers"), QStringLiteral("hostileAfter"),
                           QStringLiteral("floodBytes"), QStringLiteral("statusAnswer"), QStringLiteral("upload"),
                           QStringLiteral("flash")}) &&
           keys.text(QStringLiteral("model"), config.model) &&
           keys.boolean(QStringLiteral("commandPort"), config.commandPort) &&
           keys.choice(QStringLiteral("identify"), identify, config.identifies) &&
           keys.boolean(QStringLiteral("outputOn"), config.outputOn) && parseStatus(keys, config, error) &&
           keys.number(QStringLiteral("dcLink"), config.dcLink) &&
           keys.number(QStringLiteral("dcLinkLimit"), config.dcLinkLimit) &&
           keys.choice(QStringLiteral("readings"), readings, config.readable) &&
           keys.choice(QStringLiteral("reboot"), reboots, config.reboot) &&
           keys.integer(QStringLiteral("rebootMs"), 0, kMaxDelayMs, config.rebootMs) && parseHostile(keys, config) &&
           keys.object(QStringLiteral("upload"), upload) && parseUpload(upload, config.upload, error) &&
           keys.object(QStringLiteral("flash"), flash) && parseFlash(flash, config.flash, error);
}
} // namespace

bool FirmwareConfig::parse(const QJsonObject& unitObject, const QString& unitName, FirmwareConfig& config,
                           QString* error)
{
    const QJsonValue value = unitObject.value(QLatin1String("firmware"));
    if (value.isUndefined())
        return true;
    if (!value.isObject()) {
        *error = QStringLiteral("\"firmware\" must be an object");
        return false;
    }
    config = FirmwareConfig();
    config.present = true;
    config.model = unitName;
    return parseTop(value.toObject(), config, error);
}
