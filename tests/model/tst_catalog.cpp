// SPDX-FileCopyrightText: 2026 Kestrion developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/device.h"
#include "model/fieldtables.h"

#include <QDomDocument>
#include <QFile>
#include <QMap>
#include <QtTest>

class TestCatalog : public QObject
{
    Q_OBJECT

private:
    QDomDocument catalogDocument()
    {
        QDomDocument document;
        QFile file(QStringLiteral(":/files/resources/devices.xml"));
        if (file.open(QIODevice::ReadOnly))
            document.setContent(&file);
        return document;
    }

private slots:
    void catalogHoldsTheModelsOfEveryFamily()
    {
        device::getFamily(QStringLiteral("1100")); // loads the resource
        const QDomElement root = catalogDocument().firstChild().toElement();
        QCOMPARE(root.tagName(), QStringLiteral("devices"));
        QMap<QString, int> perFamily;
        QSet<QString> codes;
        const QRegularExpression codeForm(QStringLiteral("^[0-9A-F]{4}$"));
        for (QDomElement model = root.firstChildElement(); !model.isNull(); model = model.nextSiblingElement()) {
            QCOMPARE(model.tagName(), QStringLiteral("device"));
            const QDomNodeList fields = model.childNodes();
            QCOMPARE(fields.count(), 5);
            const QStringList names{"id", "family", "group", "image", "desc"};
            for (int i = 0; i < 5; ++i)
                QCOMPARE(fields.item(i).toElement().tagName(), names.at(i));
            const QString code = fields.item(0).toElement().text();
            QVERIFY2(codeForm.match(code).hasMatch(), qPrintable(code));
            QVERIFY2(!codes.contains(code), qPrintable(code));
            codes.insert(code);
            QVERIFY(fields.item(3).toElement().text().startsWith(QStringLiteral(":/images/resources/images/")));
            QVERIFY(fields.item(3).toElement().text().endsWith(QStringLiteral(".png")));
            QVERIFY(!fields.item(2).toElement().text().isEmpty());
            QVERIFY(!fields.item(4).toElement().text().isEmpty());
            ++perFamily[fields.item(1).toElement().text()];
        }
        QCOMPARE(codes.size(), 51);
        QCOMPARE(perFamily.value(QStringLiteral("Power Supply Systems")), 17);
        QCOMPARE(perFamily.value(QStringLiteral("Beamline")), 30);
        QCOMPARE(perFamily.value(QStringLiteral("MicroTCA")), 2);
        QCOMPARE(perFamily.value(QStringLiteral("Current Transducers")), 1);
        QCOMPARE(perFamily.value(QStringLiteral("Ostravi Tools")), 1);
        for (const char* code :
             {"1100", "1400", "1600", "1900", "1F80", "4100", "4200", "2100", "2180", "3100", "6100"})
            QVERIFY2(codes.contains(QLatin1String(code)), code);
    }

    void familyPredicates_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("powerSupply");
        QTest::addColumn<bool>("beamline");
        QTest::addColumn<bool>("currentTransducer");
        QTest::newRow("power supply") << "1100" << true << false << false;
        QTest::newRow("motor driver behind XPort") << "4100" << true << false << false;
        QTest::newRow("motor driver") << "4200" << true << false << false;
        QTest::newRow("power supply recovery") << "1F80" << true << false << false;
        QTest::newRow("beamline") << "2100" << false << true << false;
        QTest::newRow("beamline recovery") << "2180" << false << true << false;
        QTest::newRow("current transducer") << "3100" << false << false << true;
        QTest::newRow("MicroTCA") << "5100" << false << false << false;
        QTest::newRow("tool") << "6100" << false << false << false;
        QTest::newRow("unknown code") << "9999" << false << false << false;
        QTest::newRow("lower-case code") << "1f80" << true << false << false;
        QTest::newRow("empty") << "" << false << false << false;
    }

    void familyPredicates()
    {
        QFETCH(QString, code);
        QTEST(device::isPowerSupply(code), "powerSupply");
        QTEST(device::isBeamline(code), "beamline");
        QTEST(device::isCurrentTr(code), "currentTransducer");
    }

    void codePredicatesTakeHexLettersOfEitherCase()
    {
        QVERIFY(device::isKolvex(QStringLiteral("4100")));
        QVERIFY(device::isKolvex(QStringLiteral("4200")));
        QVERIFY(!device::isKolvex(QStringLiteral("4300")));
        QVERIFY(device::isXport(QStringLiteral("4100")));
        QVERIFY(!device::isXport(QStringLiteral("4200")));
        QVERIFY(device::isPsRecovery(QStringLiteral("1F80")));
        QVERIFY(device::isPsRecovery(QStringLiteral("1f80")));
        QVERIFY(device::isBlRecovery(QStringLiteral("2180")));
        QVERIFY(device::isZarn(QStringLiteral("1400")));
        QVERIFY(device::isVeskPowerSupply(QStringLiteral("1600")));
        QVERIFY(device::isDravoTester(QStringLiteral("6100")));
        QVERIFY(device::isHalvo(QStringLiteral("1900")));
        QVERIFY(!device::isHalvo(QStringLiteral(" 1900")));
    }

    void lookupsByCode()
    {
        QCOMPARE(device::getFamily(QStringLiteral("4200")), QStringLiteral("Power Supply Systems"));
        QCOMPARE(device::getFamily(QStringLiteral("5200")), QStringLiteral("MicroTCA"));
        QCOMPARE(device::getId(QStringLiteral("2100")), QStringLiteral("2100"));
        QVERIFY(device::getImage(QStringLiteral("1900")).endsWith(QStringLiteral(".png")));
        QVERIFY(device::getFamily(QStringLiteral("9999")).isEmpty());
        QVERIFY(device::getGroup(QStringLiteral("")).isEmpty());
        // Units and older files give hexadecimal letters in lower case.
        QCOMPARE(device::getGroup(QStringLiteral("1f80")), QStringLiteral("Power Supply Recovery"));
        QCOMPARE(device::getId(QStringLiteral("1f80")), QStringLiteral("1F80"));
        QCOMPARE(device::canonicalCode(QStringLiteral("1f80")), QStringLiteral("1F80"));
        QCOMPARE(device::canonicalCode(QStringLiteral("Aurel")), QStringLiteral("Aurel"));
        Device_t read;
        setDeviceField(read, CODE, QStringLiteral("1f80"));
        QCOMPARE(read.code, QStringLiteral("1F80"));
    }

    void outOfRangeIndexGivesEmptyText()
    {
        QVERIFY(!device::getParameter(QStringLiteral("1100"), 4).isEmpty());
        QVERIFY(device::getParameter(QStringLiteral("1100"), 5).isEmpty());
        QVERIFY(device::getParameter(QStringLiteral("1100"), 99).isEmpty());
        QVERIFY(device::getParameter(QStringLiteral("1100"), -1).isEmpty());
    }

    void firstMatchInDocumentOrderWins()
    {
        // A group name is held by several models: the first one answers.
        QCOMPARE(device::getId(QStringLiteral("Aurel")), QStringLiteral("1100"));
        QCOMPARE(device::getId(QStringLiteral("Power Supply Systems")), QStringLiteral("1100"));
        QCOMPARE(device::getId(QStringLiteral("Beamline")), QStringLiteral("2100"));
        QCOMPARE(device::getId(QStringLiteral("MicroTCA")), QStringLiteral("5100"));
        // A whole model's text matches its device element, whose parent's
        // children are elements without a text node of their own.
        const QDomElement root = catalogDocument().firstChild().toElement();
        const QString wholeModel = root.firstChildElement().text();
        QVERIFY(device::getParameter(wholeModel, 0).isEmpty());
    }

    void findElementSearchesDepthFirst()
    {
        QDomDocument document;
        QVERIFY(document.setContent(QStringLiteral("<r><a><x>7</x><y>8</y></a><b>7</b><c><d><e>9</e></d></c></r>")));
        const QDomElement root = document.documentElement();
        QCOMPARE(findElement(root, QStringLiteral("7")).tagName(), QStringLiteral("x"));
        QCOMPARE(findElement(root, QStringLiteral("78")).tagName(), QStringLiteral("a"));
        QCOMPARE(findElement(root, QStringLiteral("9")).tagName(), QStringLiteral("c"));
        QVERIFY(findElement(root, QStringLiteral("nothing")).isNull());
    }

    void lookupsAgreeWithAFreshParse()
    {
        // The cached index must answer like a search of the document would.
        const QDomElement root = catalogDocument().firstChild().toElement();
        for (QDomElement model = root.firstChildElement(); !model.isNull(); model = model.nextSiblingElement()) {
            for (QDomElement field = model.firstChildElement(); !field.isNull(); field = field.nextSiblingElement()) {
                const QDomElement found = findElement(root, field.text());
                const QDomNodeList siblings = found.parentNode().childNodes();
                for (int index = 0; index < 6; ++index) {
                    QCOMPARE(device::getParameter(field.text(), index), siblings.item(index).firstChild().nodeValue());
                }
            }
        }
    }

    void recordAndTables()
    {
        const Device_t empty;
        for (int field = CODE; field <= DHCP; ++field)
            QVERIFY(deviceField(empty, EnumFieldMandatory(field)).isEmpty());
        QVERIFY(empty.additionalInfo.isEmpty());

        Device_t record;
        for (int field = CODE; field <= DHCP; ++field)
            setDeviceField(record, EnumFieldMandatory(field), FieldMandatoryMap.value(EnumFieldMandatory(field)));
        QCOMPARE(record.code, QStringLiteral("CODE"));
        QCOMPARE(record.serialNumber, QStringLiteral("SN"));
        QCOMPARE(record.dhcp, QStringLiteral("DHCP"));
        const Device_t copy = record;
        QCOMPARE(copy.netmask, QStringLiteral("NETMASK"));
        QCOMPARE(copy.mac, record.mac);

        QCOMPARE(FamilyIDMap.value(EnumFamilyID(4)), QString());
        QCOMPARE(FamilyIDMap.value(EnumFamilyID(-1)), QString());
        QVERIFY(!FamilyIDMap.values().contains(QStringLiteral("MicroTCA")));
        QCOMPARE(DescriptionMandatoryMap.value(NETMASK), QStringLiteral("SubnetMask:"));
        QCOMPARE(BrandExtensionMap.value(TORQUIL), QStringLiteral("_to.png"));
        QVERIFY(!BrandsMap.values().contains(QStringLiteral("valdis")));
        QVERIFY(deviceField(record, EnumFieldMandatory(12)).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCatalog)
#include "tst_catalog.moc"
