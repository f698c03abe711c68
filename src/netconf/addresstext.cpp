// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "netconf/addresstext.h"

#include "netconf/changedeviceconfigurations.h"

namespace {
constexpr quint32 allOnes = 0xFFFFFFFFu;

// A subnet mask is a run of ones followed by zeros only.
bool isContiguousMask(quint32 mask)
{
    const quint32 inverted = ~mask;
    return (inverted & (inverted + 1)) == 0;
}
} // namespace

quint32 AddressText::parse(const QString& text)
{
    return changeNetworkConfiguration::parseAddress(text);
}

bool AddressText::isAcceptable(Kind kind, const QString& text)
{
    const quint32 value = parse(text);
    if (value == 0 || value == allOnes)
        return false;
    return kind != Kind::Mask || isContiguousMask(value);
}

QString AddressText::refusal(Kind kind, const QString& text)
{
    if (isAcceptable(kind, text))
        return QString();
    return tr("the %1 \"%2\" is not valid").arg(name(kind), text);
}

QString AddressText::name(Kind kind)
{
    switch (kind) {
    case Kind::Address:
        return tr("IP address");
    case Kind::Mask:
        return tr("subnet mask");
    case Kind::Gateway:
        return tr("gateway");
    }
    return QString();
}
