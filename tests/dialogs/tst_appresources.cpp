// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDirIterator>
#include <QDomDocument>
#include <QSet>
#include <QWidget>
#include <QtTest>

#include "resources/appresources.h"

namespace {

constexpr qint64 maxPictureBytes = 512 * 1024;

QDomDocument readCatalog()
{
    QFile file(QStringLiteral(KESTRION_SOURCE_DIR "/src/resources/devices.xml"));
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file))
        qFatal("catalog unreadable");
    return doc;
}

QStringList catalogTexts(const QString& tag)
{
    QStringList texts;
    const QDomNodeList nodes = readCatalog().elementsByTagName(tag);
    for (int i = 0; i < nodes.count(); ++i)
        if (!texts.contains(nodes.at(i).toElement().text()))
            texts << nodes.at(i).toElement().text();
    return texts;
}

QString readResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.readAll());
}

QStringList styleWarnings;

void captureStyleWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtWarningMsg)
        styleWarnings << message;
}

} // namespace

class TestAppResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { initAppResources(); }

    void picturesLoad_data();
    void picturesLoad();
    void buttonIconsLoad_data();
    void buttonIconsLoad();
    void picturesStaySmall();

    void styleSheetsParseAndSelectByName_data();
    void styleSheetsParseAndSelectByName();

    void textsDescribeTheRelease_data();
    void textsDescribeTheRelease();
    void supportedDevicesListsEveryModel();
};

void TestAppResources::picturesLoad_data()
{
    QTest::addColumn<QString>("path");
    for (const QString& path : catalogTexts(QStringLiteral("image")))
        QTest::newRow(qPrintable(path)) << path;
    for (const char* brand : {"_no", "_va", "_pe", "_to"})
        QTest::newRow(brand) << QStringLiteral(":/images/resources/images/halvo%1.png").arg(QLatin1String(brand));
    for (const char* name : {"icon", "kestrion_logo", "ostravi_logo"})
        QTest::newRow(name) << QStringLiteral(":/images/resources/images/%1.png").arg(QLatin1String(name));
}

void TestAppResources::picturesLoad()
{
    QFETCH(QString, path);
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QVERIFY(image.width() >= 48 && image.height() >= 48);
}

void TestAppResources::buttonIconsLoad_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"x", "check", "scan", "info", "update", "config", "filter", "web", "folder", "save", "download"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestAppResources::buttonIconsLoad()
{
    QFETCH(QString, name);
    const QImage icon(QStringLiteral(":/iconsPng/resources/icons/%1.png").arg(name));
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.width(), icon.height());
    QVERIFY(icon.hasAlphaChannel());
}

void TestAppResources::picturesStaySmall()
{
    qint64 total = 0;
    for (const char* dir : {":/images/resources/images", ":/iconsPng/resources/icons"}) {
        QDirIterator it{QString::fromLatin1(dir)};
        while (it.hasNext()) {
            it.next();
            total += it.fileInfo().size();
        }
    }
    QVERIFY2(total > 0 && total < maxPictureBytes, qPrintable(QString::number(total)));
}

void TestAppResources::styleSheetsParseAndSelectByName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("mustContain");
    QTest::newRow("application") << ":/files/resources/styleSheet.qss"
                                 << QStringList{"#centralwidget",
                                                "#devicePageBody",
                                                "#devicePageHeader",
                                                "#devicePageLeft",
                                                "#devicePageRight",
                                                "#updateContainer",
                                                "#pageConfigureContainer",
                                                "#pageConfigureTitle",
                                                "#frameUpdateTitle",
                                                "#tableWidgetDeviceFirstTable",
                                                "font-size: 15px",
                                                "font-size: 14px",
                                                "#d7d7d7",
                                                "#fafafa",
                                                "#f8f8f8",
                                                "2px dotted #BaBaBa",
                                                "#414141",
                                                "#cecece",
                                                "#cccbcb",
                                                "#4785ff",
                                                "padding: 6px",
                                                "padding: 10px",
                                                "#d6d6d6"};
    QTest::newRow("selected button") << ":/files/resources/btnSelected.qss"
                                     << QStringList{"QPushButton",
                                                    "x2: 0, y2: 1, stop: 0 #d6d6d6, stop: 1 transparent",
                                                    "x2: 1, y2: 0, stop: 0 transparent, stop: 1 #d6d6d6",
                                                    "#4785ff",
                                                    ":hover:pressed",
                                                    "#d7d7d7"};
}

void TestAppResources::styleSheetsParseAndSelectByName()
{
    QFETCH(QString, path);
    QFETCH(QStringList, mustContain);
    const QString sheet = readResource(path);
    QVERIFY(!sheet.isEmpty());
    for (const QString& part : mustContain)
        QVERIFY2(sheet.contains(part), qPrintable(part));

    styleWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureStyleWarnings);
    QWidget widget;
    widget.setStyleSheet(sheet);
    widget.ensurePolished();
    widget.show();
    QCoreApplication::processEvents();
    qInstallMessageHandler(previous);
    QVERIFY2(styleWarnings.isEmpty(), qPrintable(styleWarnings.join(QLatin1Char('\n'))));
}

void TestAppResources::textsDescribeTheRelease_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("mustContain");
    QTest::newRow("about") << ":/files/resources/about" << QStringList{"Kestrion", "1.0.0", "Ostravi", "GPL-3.0"};
    QTest::newRow("changelog") << ":/otherFiles/changelogNEW.md" << QStringList{"Kestrion", "1.0.0"};
}

void TestAppResources::textsDescribeTheRelease()
{
    QFETCH(QString, path);
    QFETCH(QStringList, mustContain);
    const QString text = readResource(path);
    for (const QString& part : mustContain)
        QVERIFY2(text.contains(part), qPrintable(part));
    QVERIFY(!text.contains(QChar(0)));
}

void TestAppResources::supportedDevicesListsEveryModel()
{
    const QString text = readResource(QStringLiteral(":/files/resources/supportedDevices"));
    QVERIFY(!text.isEmpty());
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QDomNodeList devices = readCatalog().elementsByTagName(QStringLiteral("device"));
    for (int i = 0; i < devices.count(); ++i) {
        const QDomElement d = devices.at(i).toElement();
        const QString code = d.firstChildElement(QStringLiteral("id")).text();
        const QString desc = d.firstChildElement(QStringLiteral("desc")).text();
        const bool listed = std::any_of(lines.cbegin(), lines.cend(), [&](const QString& line) {
            return line.startsWith(code + QLatin1Char(' ')) && line.endsWith(desc);
        });
        QVERIFY2(listed, qPrintable(code));
    }
    for (const QString& family : catalogTexts(QStringLiteral("family")))
        QVERIFY2(lines.contains(family), qPrintable(family));
}

QTEST_MAIN(TestAppResources)
#include "tst_appresources.moc"
