// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations.h"
#include "model/qtcompat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {
struct Entry
{
    QString context;
    QString source;
    bool numerus = false;
    QString type; // of the translation: empty when finished
    QStringList forms;
};

struct TsFile
{
    QString path;
    QString language;
    QList<Entry> entries;
    QString error;
};

QString readTranslation(QXmlStreamReader& xml, Entry& entry)
{
    entry.type = xml.attributes().value(QLatin1String("type")).toString();
    if (!entry.numerus)
        return xml.readElementText();
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("numerusform"))
            entry.forms << xml.readElementText();
        else
            xml.skipCurrentElement();
    }
    return QString();
}

void readMessage(QXmlStreamReader& xml, const QString& context, TsFile& file)
{
    Entry entry;
    entry.context = context;
    entry.numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("source")) {
            entry.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString text = readTranslation(xml, entry);
            if (!entry.numerus)
                entry.forms << text;
        } else {
            xml.skipCurrentElement();
        }
    }
    file.entries << entry;
}

void readContext(QXmlStreamReader& xml, TsFile& file)
{
    QString name;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("name"))
            name = xml.readElementText();
        else if (xml.name() == QLatin1String("message"))
            readMessage(xml, name, file);
        else
            xml.skipCurrentElement();
    }
}

TsFile readTs(const QString& path)
{
    TsFile file;
    file.path = path;
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) {
        file.error = input.errorString();
        return file;
    }
    QXmlStreamReader xml(&input);
    if (xml.readNextStartElement() && xml.name() == QLatin1String("TS")) {
        file.language = xml.attributes().value(QLatin1String("language")).toString();
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("context"))
                readContext(xml, file);
            else
                xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        file.error = xml.errorString();
    return file;
}

QStringList placeholders(const QString& text)
{
    static const QRegularExpression marker(QStringLiteral("%(n|[1-9][0-9]?)"));
    QStringList found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

int accelerators(const QString& text)
{
    QString rest = text;
    rest.remove(QLatin1String("&&"));
    return rest.count(QLatin1Char('&'));
}

// The log's level words stay as they are in every language, so a saved log reads the same.
QString levelWord(const QString& text)
{
    static const QRegularExpression level(QStringLiteral("^\\s*(ERROR|WARNING|CRITICAL):"));
    return level.match(text).captured(1);
}

// Plural forms Qt expects per language; languages not listed here need an entry first.
int pluralForms(const QString& language)
{
    const QString base = language.section(QLatin1Char('_'), 0, 0);
    if (base == QLatin1String("de"))
        return 2;
    return -1;
}

QString where(const Entry& entry)
{
    return entry.context + QLatin1String(": \"") + entry.source + QLatin1Char('"');
}
} // namespace

class TestTranslationFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyEntryIsFinished();
    void translationsKeepTheSourceMarkers();
    void filesAreInStepWithTheSources();
    void compiledTranslationIsBuiltIn();
    void localeChoosesTheFiles();

private:
    QList<TsFile> m_files;
};

void TestTranslationFiles::initTestCase()
{
    const QDir folder(QStringLiteral(KESTRION_SOURCE_DIR "/translations"));
    for (const QString& name : folder.entryList({QStringLiteral("kestrion_*.ts")}, QDir::Files))
        m_files << readTs(folder.filePath(name));
    QVERIFY2(!m_files.isEmpty(), "no translations/kestrion_*.ts");
    for (const TsFile& file : m_files) {
        QVERIFY2(file.error.isEmpty(), qPrintable(file.path + QLatin1String(": ") + file.error));
        QVERIFY2(file.entries.size() > 300, qPrintable(file.path));
    }
}

void TestTranslationFiles::everyEntryIsFinished()
{
    for (const TsFile& file : m_files) {
        const int forms = pluralForms(file.language);
        QVERIFY2(forms > 0, qPrintable(file.path + QLatin1String(": unknown language ") + file.language));
        for (const Entry& entry : file.entries) {
            QVERIFY2(entry.type.isEmpty(), qPrintable(entry.type + QLatin1String(": ") + where(entry)));
            QCOMPARE(entry.forms.size(), entry.numerus ? forms : 1);
            for (const QString& form : entry.forms)
                QVERIFY2(!form.trimmed().isEmpty(), qPrintable(QLatin1String("empty: ") + where(entry)));
        }
    }
}

void TestTranslationFiles::translationsKeepTheSourceMarkers()
{
    for (const TsFile& file : m_files) {
        for (const Entry& entry : file.entries) {
            const QByteArray place = where(entry).toUtf8();
            for (const QString& form : entry.forms) {
                QVERIFY2(placeholders(form) == placeholders(entry.source), place.constData());
                QVERIFY2(accelerators(form) == accelerators(entry.source), place.constData());
                QVERIFY2(levelWord(form) == levelWord(entry.source), place.constData());
                // Log lines are joined by their leading and trailing line breaks.
                QVERIFY2(form.startsWith(QLatin1Char('\n')) == entry.source.startsWith(QLatin1Char('\n')),
                         place.constData());
                QVERIFY2(form.endsWith(QLatin1Char('\n')) == entry.source.endsWith(QLatin1Char('\n')),
                         place.constData());
            }
        }
    }
}

void TestTranslationFiles::filesAreInStepWithTheSources()
{
    if (QStandardPaths::findExecutable(QStringLiteral("lupdate")).isEmpty())
        QSKIP("lupdate is not installed (qttools5-dev-tools)");
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(QStringLiteral(KESTRION_SOURCE_DIR "/scripts/update-translations.sh"), {QStringLiteral("--check")});
    QVERIFY(check.waitForFinished(120000));
    QVERIFY2(check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0, check.readAll().constData());
}

void TestTranslationFiles::compiledTranslationIsBuiltIn()
{
    QVERIFY(Translations::available().contains(QStringLiteral("de")));
    QTranslator german;
    QVERIFY(german.load(QStringLiteral(":/i18n/kestrion_de.qm")));
    QCOMPARE(german.translate("MainWindow", "&File").remove(QLatin1Char('&')), QStringLiteral("Datei"));
    QCOMPARE(german.translate("FirmwarePage", "ERROR: Please select a valid firmware!"),
             QStringLiteral("ERROR: Bitte wählen Sie eine gültige Firmware!"));
    QCOMPARE(german.translate("ConfigurationDiff", "Send new network settings to %n device(s)?", nullptr, 3),
             QStringLiteral("Neue Netzwerkeinstellungen an %n Geräte senden?"));
}

void TestTranslationFiles::localeChoosesTheFiles()
{
    QCoreApplication* app = QCoreApplication::instance();
    QVERIFY(Translations::install(*app, QLocale(QLocale::English, QLocale::UnitedStates)).isEmpty());
    // Without a translation of the program, Qt's own is not loaded either: no mixed windows.
    QVERIFY(Translations::install(*app, QLocale(QLocale::Japanese, QLocale::Japan)).isEmpty());

    const QStringList german = Translations::install(*app, QLocale(QLocale::German, QLocale::Austria));
    QVERIFY2(german.contains(QStringLiteral(":/i18n/kestrion_de.qm")), qPrintable(german.join(QLatin1Char(' '))));
    const QString qtGerman = qtcompat::qtTranslationsPath() + QLatin1String("/qtbase_de.qm");
    if (QFile::exists(qtGerman))
        QVERIFY(german.contains(qtGerman));
    // The field labels are marked in the model and translated where the page shows them.
    QCOMPARE(QCoreApplication::translate("InformationPage", "Serial Number:"), QStringLiteral("Seriennummer:"));
}

QTEST_GUILESS_MAIN(TestTranslationFiles)
#include "tst_translationfiles.moc"
