// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/device.h"

#include <QDomDocument>
#include <QFile>
#include <QHash>
#include <QStringList>

#include <algorithm>

static void initCatalogResource()
{
    // The resource lives in a static library: make sure it is linked in.
    Q_INIT_RESOURCE(catalog);
}

namespace {

constexpr auto catalogPath = ":/files/resources/devices.xml";

// For every text that some element of the catalog holds, the texts of the
// children of that element's parent: what a lookup by that text answers.
// The first element in document order wins, as in findElement().
using CatalogIndex = QHash<QString, QStringList>;

QStringList childTexts(const QDomNode& parent)
{
    QStringList texts;
    const QDomNodeList children = parent.childNodes();
    for (int i = 0; i < children.count(); ++i)
        texts.append(children.item(i).firstChild().nodeValue());
    return texts;
}

void indexSubtree(const QDomElement& parent, CatalogIndex& index)
{
    for (QDomElement child = parent.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        const QString text = child.text();
        if (!index.contains(text))
            index.insert(text, childTexts(child.parentNode()));
        indexSubtree(child, index);
    }
}

CatalogIndex buildIndex()
{
    initCatalogResource();
    QDomDocument document;
    QFile file(QString::fromLatin1(catalogPath));
    if (file.open(QIODevice::ReadOnly))
        document.setContent(&file);
    CatalogIndex index;
    indexSubtree(document.firstChild().toElement(), index);
    return index;
}

// The catalog never changes at run time, so it is parsed once; the static
// local makes the first use safe from any thread.
const CatalogIndex& catalogIndex()
{
    static const CatalogIndex index = buildIndex();
    return index;
}

} // namespace

namespace device {

QString canonicalCode(const QString& code)
{
    const auto hexDigit = [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    };
    return std::all_of(code.cbegin(), code.cend(), hexDigit) ? code.toUpper() : code;
}

QString getParameter(QString value, int index)
{
    const auto found = catalogIndex().constFind(canonicalCode(value));
    if (found == catalogIndex().constEnd())
        return QString();
    return found->value(index);
}

QString getId(QString value)
{
    return getParameter(value, 0);
}
QString getFamily(QString value)
{
    return getParameter(value, 1);
}
QString getGroup(QString value)
{
    return getParameter(value, 2);
}
QString getImage(QString value)
{
    return getParameter(value, 3);
}
QString getDesc(QString value)
{
    return getParameter(value, 4);
}

bool isPowerSupply(QString code)
{
    return getFamily(code) == getFamily(QStringLiteral("1100"));
}
bool isBeamline(QString code)
{
    return getFamily(code) == getFamily(QStringLiteral("2100"));
}
bool isCurrentTr(QString code)
{
    return getFamily(code) == getFamily(QStringLiteral("3100"));
}
bool isKolvex(QString code)
{
    const QString canonical = canonicalCode(code);
    return canonical == QLatin1String("4200") || canonical == QLatin1String("4100");
}
bool isXport(QString code)
{
    return canonicalCode(code) == QLatin1String("4100");
}
bool isPsRecovery(QString code)
{
    return canonicalCode(code) == QLatin1String("1F80");
}
bool isZarn(QString code)
{
    return canonicalCode(code) == QLatin1String("1400");
}
bool isBlRecovery(QString code)
{
    return canonicalCode(code) == QLatin1String("2180");
}
bool isVeskPowerSupply(QString code)
{
    return canonicalCode(code) == QLatin1String("1600");
}
bool isDravoTester(QString code)
{
    return canonicalCode(code) == QLatin1String("6100");
}
bool isHalvo(QString code)
{
    return canonicalCode(code) == QLatin1String("1900");
}

} // namespace device

QDomElement findElement(QDomElement parent, const QString& value)
{
    for (QDomElement child = parent.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (child.text() == value)
            return child;
        const QDomElement below = findElement(child, value);
        if (!below.isNull())
            return below;
    }
    return QDomElement();
}
