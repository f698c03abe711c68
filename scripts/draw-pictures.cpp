// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws the compiled-in pictures and writes the supported-devices text from the catalog.
// Run through scripts/draw-pictures.sh; the results are committed, so a normal build never runs this.

#include <QCoreApplication>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <QtMath>

namespace {

constexpr int productWidth = 256;
constexpr int productHeight = 160;
constexpr int iconSize = 48;
const QColor ink(0x41, 0x41, 0x41);
const QColor accent(0x47, 0x85, 0xff);

struct ProductLine
{
    const char* file;
    const char* name;
    QRgb colour;
};

// One colour per product line, so the table tells families apart at a glance.
const ProductLine productLines[] = {
    {"aurel", "AUREL", 0x2f6db5},     {"brisk", "BRISK", 0xd2691e},   {"corvix", "CORVIX", 0x6a4c93},
    {"dravo", "DRAVO", 0x3c8d2f},     {"fenn", "FENN", 0x1b998b},     {"garrow", "GARROW", 0xb23a48},
    {"halvo", "HALVO", 0x55606e},     {"hollis", "HOLLIS", 0x8a6d3b}, {"kolvex", "KOLVEX", 0x264653},
    {"lumen", "LUMEN", 0xe9a800},     {"nexa", "NEXA", 0x5b5f97},     {"orvo", "ORVO", 0x2a9d8f},
    {"pelgrin", "PELGRIN", 0x7b2cbf}, {"quill", "QUILL", 0x1d3557},   {"recovery", "RECOVERY", 0xc1121f},
    {"sable", "SABLE", 0x343a40},     {"sorrel", "SORREL", 0xa0522d}, {"tamsin", "TAMSIN", 0x0077b6},
    {"tarn", "TARN", 0x588157},       {"vesk", "VESK", 0xef476f},     {"wren", "WREN", 0x6c757d},
    {"xport", "XPORT", 0x8d99ae},     {"ysolde", "YSOLDE", 0x9d4edd}, {"zarn", "ZARN", 0xbc4749},
};

struct Brand
{
    const char* suffix;
    const char* name;
    QRgb colour;
};

const Brand brands[] = {
    {"_no", "NORRETH", 0x0b6e4f},
    {"_va", "VALDIS", 0x9e2a2b},
    {"_pe", "PEMBRY", 0x3a0ca3},
    {"_to", "TORQUIL", 0xe36414},
};

QImage transparentImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void save(const QImage& image, const QString& path)
{
    if (!image.save(path, "PNG", 9))
        qFatal("cannot write %s", qPrintable(path));
}

QFont boldFont(int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

void drawFrontPanel(QPainter& p, const QColor& colour, const QString& name)
{
    const QRectF body(8, 22, productWidth - 16, productHeight - 44);
    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0, colour.lighter(125));
    shade.setColorAt(1, colour.darker(130));
    p.setPen(QPen(colour.darker(170), 2));
    p.setBrush(shade);
    p.drawRoundedRect(body, 8, 8);

    // Rack ears with their screw holes.
    p.setBrush(QColor(0xd0, 0xd0, 0xd0));
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    for (qreal x : {2.0, productWidth - 14.0}) {
        p.drawRoundedRect(QRectF(x, 30, 12, body.height() - 16), 3, 3);
        p.setBrush(QColor(0x60, 0x60, 0x60));
        p.drawEllipse(QPointF(x + 6, 40), 2.5, 2.5);
        p.drawEllipse(QPointF(x + 6, body.bottom() - 18), 2.5, 2.5);
        p.setBrush(QColor(0xd0, 0xd0, 0xd0));
    }

    // Display with a green readout.
    const QRectF display(30, 36, 110, 40);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0x10, 0x18, 0x14));
    p.drawRoundedRect(display, 4, 4);
    p.setPen(QColor(0x6c, 0xff, 0x9c));
    p.setFont(boldFont(18));
    p.drawText(display, Qt::AlignCenter, QStringLiteral("00.000"));

    // Knob and status lamps.
    p.setPen(QPen(Qt::black, 1));
    QRadialGradient knob(QPointF(196, 52), 20);
    knob.setColorAt(0, QColor(0xf0, 0xf0, 0xf0));
    knob.setColorAt(1, QColor(0x70, 0x70, 0x70));
    p.setBrush(knob);
    p.drawEllipse(QPointF(200, 56), 18, 18);
    const QColor lamps[] = {QColor(0x3c, 0xd0, 0x50), QColor(0xff, 0xc1, 0x07), QColor(0xe0, 0x30, 0x30)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lamps[i]);
        p.drawEllipse(QPointF(160 + i * 14, 94), 4, 4);
    }

    p.setPen(Qt::white);
    p.setFont(boldFont(20));
    p.drawText(QRectF(24, 82, 130, 30), Qt::AlignLeft | Qt::AlignVCenter, name);
}

QImage productPicture(const ProductLine& line)
{
    QImage image = transparentImage(productWidth, productHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawFrontPanel(p, QColor(line.colour), QString::fromLatin1(line.name));
    return image;
}

QImage brandPicture(const ProductLine& line, const Brand& brand)
{
    QImage image = productPicture(line);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF band(8, productHeight - 34, productWidth - 16, 26);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(brand.colour));
    p.drawRoundedRect(band, 6, 6);
    p.setPen(Qt::white);
    p.setFont(boldFont(16));
    p.drawText(band, Qt::AlignCenter, QString::fromLatin1(brand.name));
    return image;
}

QPainterPath kestrelWing(const QRectF& r)
{
    // A stylised falcon's wing and body, swept to the right.
    QPainterPath path;
    path.moveTo(r.left() + r.width() * 0.10, r.top() + r.height() * 0.70);
    path.cubicTo(r.left() + r.width() * 0.35, r.top() + r.height() * 0.20, r.left() + r.width() * 0.70,
                 r.top() + r.height() * 0.10, r.left() + r.width() * 0.92, r.top() + r.height() * 0.18);
    path.cubicTo(r.left() + r.width() * 0.70, r.top() + r.height() * 0.30, r.left() + r.width() * 0.60,
                 r.top() + r.height() * 0.45, r.left() + r.width() * 0.62, r.top() + r.height() * 0.58);
    path.cubicTo(r.left() + r.width() * 0.50, r.top() + r.height() * 0.55, r.left() + r.width() * 0.30,
                 r.top() + r.height() * 0.62, r.left() + r.width() * 0.10, r.top() + r.height() * 0.70);
    path.closeSubpath();
    return path;
}

QImage appIcon()
{
    constexpr int size = 256;
    QImage image = transparentImage(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, size);
    bg.setColorAt(0, QColor(0x5a, 0x95, 0xff));
    bg.setColorAt(1, QColor(0x23, 0x4e, 0xa8));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(8, 8, size - 16, size - 16), 48, 48);
    p.setBrush(QColor(0xff, 0xff, 0xff, 235));
    p.drawPath(kestrelWing(QRectF(24, 40, 208, 200)));
    p.setBrush(QColor(0xff, 0xb7, 0x03));
    p.drawEllipse(QPointF(186, 78), 9, 9);
    return image;
}

QImage kestrionLogo()
{
    QImage image = transparentImage(680, 220);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(10, 10, 200, 200), appIcon());
    p.setPen(ink);
    p.setFont(boldFont(84));
    p.drawText(QRectF(228, 20, 440, 120), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Kestrion"));
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(24);
    p.setFont(small);
    p.setPen(QColor(0x6a, 0x6a, 0x6a));
    p.drawText(QRectF(230, 135, 410, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("find \u00b7 configure \u00b7 upgrade"));
    return image;
}

QImage ostraviLogo()
{
    QImage image = transparentImage(240, 60);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // The maker's mark: three rising bars.
    p.setPen(Qt::NoPen);
    const QColor bars[] = {QColor(0x1d, 0x35, 0x57), QColor(0x45, 0x7b, 0x9d), QColor(0xe6, 0x39, 0x46)};
    for (int i = 0; i < 3; ++i)
        p.setBrush(bars[i]), p.drawRoundedRect(QRectF(6 + i * 14, 42 - i * 12, 10, 12 + i * 12), 2, 2);
    p.setPen(QColor(0x1d, 0x35, 0x57));
    p.setFont(boldFont(32));
    p.drawText(QRectF(54, 0, 186, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("OSTRAVI"));
    return image;
}

// Button glyphs: one pen, drawn on a 48 px grid.
QPen glyphPen(const QColor& colour = ink)
{
    return QPen(colour, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawX(QPainter& p)
{
    p.setPen(glyphPen(QColor(0xc6, 0x28, 0x28)));
    p.drawLine(QPointF(12, 12), QPointF(36, 36));
    p.drawLine(QPointF(36, 12), QPointF(12, 36));
}

void drawCheck(QPainter& p)
{
    p.setPen(glyphPen(QColor(0x2e, 0x9d, 0x3c)));
    p.drawPolyline(QPolygonF({QPointF(10, 25), QPointF(20, 35), QPointF(38, 13)}));
}

void drawScan(QPainter& p)
{
    p.setPen(glyphPen());
    p.drawEllipse(QPointF(21, 21), 12, 12);
    p.drawLine(QPointF(30, 30), QPointF(40, 40));
    p.setPen(glyphPen(accent));
    p.drawArc(QRectF(14, 14, 14, 14), 60 * 16, 90 * 16);
}

void drawInfo(QPainter& p)
{
    p.setPen(glyphPen());
    p.drawEllipse(QPointF(24, 24), 18, 18);
    p.drawLine(QPointF(24, 21), QPointF(24, 34));
    p.setBrush(ink);
    p.drawEllipse(QPointF(24, 14), 1.5, 1.5);
}

void drawUpdate(QPainter& p)
{
    p.setPen(glyphPen());
    p.drawArc(QRectF(8, 8, 32, 32), 100 * 16, 290 * 16);
    p.setBrush(ink);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(20, 2), QPointF(28, 9), QPointF(19, 15)}));
}

void drawConfig(QPainter& p)
{
    p.setPen(glyphPen());
    p.setBrush(Qt::NoBrush);
    const QPointF centre(24, 24);
    for (int i = 0; i < 8; ++i) {
        const qreal angle = qDegreesToRadians(i * 45.0);
        p.drawLine(centre + QPointF(qCos(angle), qSin(angle)) * 13, centre + QPointF(qCos(angle), qSin(angle)) * 19);
    }
    p.drawEllipse(centre, 12, 12);
    p.drawEllipse(centre, 4, 4);
}

void drawFilter(QPainter& p)
{
    p.setPen(glyphPen());
    p.drawPolygon(QPolygonF(
        {QPointF(8, 10), QPointF(40, 10), QPointF(27, 25), QPointF(27, 38), QPointF(21, 34), QPointF(21, 25)}));
}

void drawWeb(QPainter& p)
{
    p.setPen(QPen(ink, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawEllipse(QPointF(24, 24), 18, 18);
    p.drawEllipse(QPointF(24, 24), 8, 18);
    p.drawLine(QPointF(6, 24), QPointF(42, 24));
    p.drawLine(QPointF(24, 6), QPointF(24, 42));
}

void drawFolder(QPainter& p)
{
    p.setPen(glyphPen());
    p.setBrush(QColor(0xff, 0xd5, 0x6b));
    p.drawPolygon(QPolygonF(
        {QPointF(6, 12), QPointF(18, 12), QPointF(22, 16), QPointF(42, 16), QPointF(42, 38), QPointF(6, 38)}));
}

void drawSave(QPainter& p)
{
    p.setPen(glyphPen());
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(QPolygonF({QPointF(8, 8), QPointF(34, 8), QPointF(40, 14), QPointF(40, 40), QPointF(8, 40)}));
    p.drawRect(QRectF(15, 8, 16, 10));
    p.drawRect(QRectF(14, 27, 20, 13));
}

void drawDownload(QPainter& p)
{
    p.setPen(glyphPen());
    p.drawLine(QPointF(24, 6), QPointF(24, 30));
    p.drawPolyline(QPolygonF({QPointF(14, 21), QPointF(24, 31), QPointF(34, 21)}));
    p.drawPolyline(QPolygonF({QPointF(8, 32), QPointF(8, 40), QPointF(40, 40), QPointF(40, 32)}));
}

QImage glyph(void (*draw)(QPainter&))
{
    QImage image = transparentImage(iconSize, iconSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return image;
}

struct CatalogEntry
{
    QString code;
    QString group;
    QString description;
};

void writeSupportedDevices(const QString& catalogPath, const QString& outPath)
{
    QFile file(catalogPath);
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file))
        qFatal("cannot read the catalog %s", qPrintable(catalogPath));
    QStringList familyOrder;
    QMap<QString, QList<CatalogEntry>> byFamily;
    const QDomNodeList devices = doc.documentElement().elementsByTagName(QStringLiteral("device"));
    for (int i = 0; i < devices.count(); ++i) {
        const QDomElement d = devices.at(i).toElement();
        const QString family = d.firstChildElement(QStringLiteral("family")).text();
        if (!familyOrder.contains(family))
            familyOrder << family;
        byFamily[family] << CatalogEntry{d.firstChildElement(QStringLiteral("id")).text(),
                                         d.firstChildElement(QStringLiteral("group")).text(),
                                         d.firstChildElement(QStringLiteral("desc")).text()};
    }
    QFile out(outPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(outPath));
    QTextStream s(&out);
    s << "Devices supported by Kestrion 1.0.0\n";
    s << "===================================\n\n";
    s << "Each line: catalog code, product line, description.\n";
    for (const QString& family : familyOrder) {
        s << "\n" << family << "\n" << QString(family.size(), QLatin1Char('-')) << "\n";
        for (const CatalogEntry& e : byFamily.value(family))
            s << e.code << "  " << e.group << " - " << e.description << "\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString resources = app.arguments().value(1);
    if (resources.isEmpty() || !QDir(resources).exists())
        qFatal("usage: draw-pictures <src/resources folder>");
    const QDir dir(resources);
    dir.mkpath(QStringLiteral("images"));
    dir.mkpath(QStringLiteral("icons"));

    for (const ProductLine& line : productLines)
        save(productPicture(line), dir.filePath(QStringLiteral("images/%1.png").arg(QLatin1String(line.file))));
    const ProductLine& halvo = productLines[6];
    for (const Brand& brand : brands)
        save(brandPicture(halvo, brand),
             dir.filePath(QStringLiteral("images/halvo%1.png").arg(QLatin1String(brand.suffix))));

    save(appIcon(), dir.filePath(QStringLiteral("images/icon.png")));
    save(kestrionLogo(), dir.filePath(QStringLiteral("images/kestrion_logo.png")));
    save(ostraviLogo(), dir.filePath(QStringLiteral("images/ostravi_logo.png")));

    const QMap<QString, void (*)(QPainter&)> glyphs{
        {QStringLiteral("x"), drawX},
        {QStringLiteral("check"), drawCheck},
        {QStringLiteral("scan"), drawScan},
        {QStringLiteral("info"), drawInfo},
        {QStringLiteral("update"), drawUpdate},
        {QStringLiteral("config"), drawConfig},
        {QStringLiteral("filter"), drawFilter},
        {QStringLiteral("web"), drawWeb},
        {QStringLiteral("folder"), drawFolder},
        {QStringLiteral("save"), drawSave},
        {QStringLiteral("download"), drawDownload},
    };
    for (auto it = glyphs.cbegin(); it != glyphs.cend(); ++it)
        save(glyph(it.value()), dir.filePath(QStringLiteral("icons/%1.png").arg(it.key())));

    writeSupportedDevices(dir.filePath(QStringLiteral("devices.xml")),
                          dir.filePath(QStringLiteral("supportedDevices")));
    return 0;
}
