// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Build tool: draws the program's icon at the sizes of the hicolor theme.
//   kestrion-scale-icon SOURCE.png OUTPUT_DIR NAME SIZE...  writes OUTPUT_DIR/<S>x<S>/apps/NAME.png
#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

namespace {
constexpr int firstSizeArgument = 4;

bool writeScaled(const QImage& source, int size, const QString& outputDir, const QString& name)
{
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(outputDir).arg(size);
    if (!QDir().mkpath(folder))
        return false;
    const QImage scaled = source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return scaled.save(QStringLiteral("%1/%2.png").arg(folder, name), "PNG");
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc <= firstSizeArgument) {
        std::fprintf(stderr, "usage: %s SOURCE.png OUTPUT_DIR NAME SIZE...\n", argv[0]);
        return 2;
    }
    const QImage source(QString::fromLocal8Bit(argv[1]));
    if (source.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    for (int i = firstSizeArgument; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLatin1(argv[i]).toInt(&ok);
        if (!ok || size <= 0 || size > source.width() || size > source.height()) {
            std::fprintf(stderr, "%s: %s is no size the %dx%d source can give\n", argv[0], argv[i], source.width(),
                         source.height());
            return 1;
        }
        if (!writeScaled(source, size, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]))) {
            std::fprintf(stderr, "%s: cannot write the %d pixel icon\n", argv[0], size);
            return 1;
        }
    }
    return 0;
}
