// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "jsonanswerguard.h"

#include <QSet>
#include <QString>
#include <QVector>

namespace {

constexpr int unicodeEscapeDigits = 4;

struct OpenContainer
{
    bool isObject = false;
    bool expectingKey = false;
    QSet<QString> keys;
};

char unescaped(char escaped)
{
    switch (escaped) {
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    default:
        return escaped;
    }
}

// Decodes the string whose opening quote is at 'quote'; returns the index after its closing
// quote, or -1 when the string does not end.
int readString(const QByteArray& text, int quote, QString* decoded)
{
    QByteArray raw;
    for (int i = quote + 1; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '"') {
            *decoded += QString::fromUtf8(raw);
            return i + 1;
        }
        if (c != '\\') {
            raw += c;
            continue;
        }
        if (++i >= text.size())
            return -1;
        if (text.at(i) != 'u') {
            raw += unescaped(text.at(i));
            continue;
        }
        bool ok = false;
        const ushort unit = text.mid(i + 1, unicodeEscapeDigits).toUShort(&ok, 16);
        if (!ok)
            return -1;
        *decoded += QString::fromUtf8(raw) + QChar(unit);
        raw.clear();
        i += unicodeEscapeDigits;
    }
    return -1;
}

} // namespace

bool jsonanswer::isAcceptable(const QByteArray& utf8)
{
    if (utf8.size() > maxBytes)
        return false;
    QVector<OpenContainer> open;
    for (int i = 0; i < utf8.size();) {
        const char c = utf8.at(i);
        if (c == '{' || c == '[') {
            if (open.size() >= maxDepth)
                return false;
            open.append(OpenContainer{c == '{', c == '{', {}});
        } else if (c == '}' || c == ']') {
            if (open.isEmpty())
                return false;
            open.removeLast();
        } else if (c == ',' && !open.isEmpty() && open.last().isObject) {
            open.last().expectingKey = true;
        } else if (c == '"') {
            QString text;
            const int next = readString(utf8, i, &text);
            if (next < 0)
                return false;
            if (!open.isEmpty() && open.last().expectingKey) {
                if (open.last().keys.contains(text))
                    return false;
                open.last().keys.insert(text);
                open.last().expectingKey = false;
            }
            i = next;
            continue;
        }
        ++i;
    }
    return true;
}
