#include "schematestsupport.h"

#include <dorvellxsd/exchange/xsdschemaaccess.h>
#include <dorvellxsd/schema/xsdrelatedtables.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pelmak;

namespace {

const QString Shared = DORVELLXSD_SHARED_DATA_DIR;

XsdSchemaAccess offline()
{
    return XsdSchemaAccess{{Shared + "/realworld/catalog.xml", Shared + "/catalog.xml"}};
}

// A column in one line: name, role, type, path of local names and attribute.
QString describe(const XsdRelatedTable &table, const QString &column)
{
    const QList<XsdAttribute> &attributes = table.element.complexType.attributes;
    for (int i = 0; i < attributes.size(); ++i) {
        if (attributes.at(i).name != column)
            continue;
        QStringList path;
        for (const QString &step : table.columns.at(i).path)
            path.append(step.mid(step.indexOf('}') + 1));
        const XsdRelatedColumn &where = table.columns.at(i);
        return QStringList{column, QString::number(where.role),
            attributes.at(i).valueType + attributes.at(i).geometryType, path.join('/'),
            where.attribute.mid(where.attribute.indexOf('}') + 1)}
            .join(' ')
            .trimmed();
    }
    return "no column " + column;
}

} // namespace

// Every kind of content of a small cadastral schema, in the tables, columns and paths it gives.
TEST(RelatedMapping, MapsEachKindOfContent)
{
    if (!QFileInfo::exists(Shared))
        GTEST_SKIP() << "GML schemas not found at " << Shared.toStdString();
    const XsdRelatedTables schema = offline().readRelatedTables(DORVELLXSD_TEST_DATA_DIR "/xsd/related/parcels.xsd");
    QStringList tables;
    for (const XsdRelatedTable &table : schema.tables)
        tables.append(table.element.name + "<" + table.parent);
    EXPECT_EQ(tables,
        QStringList({"Parcel<", "Parcel_unit<Parcel", "Parcel_owner<Parcel", "Parcel_owner_contact<Parcel_owner",
            "Parcel_referencePoint<Parcel", "Zone<"}));
    EXPECT_EQ(schema.gmlVersion, XsdTables::GmlVersion::Gml32);

    const XsdRelatedTable &parcel = schema.tables.at(0);
    const QString longName = "aPropertyWhoseNameIsLongerThanAnyDatabaseTakesForOneColumnNameOfItsTables";
    const QString bounded = "aPropertyWhoseNameIsLongerThanAnyDatabaseTakesForOneCo_";
    const struct
    {
        const XsdRelatedTable &table;
        QString column;
        QString expected;
    } columns[] = {
        {parcel, "gml_id", "gml_id 3 string  id"},
        {parcel, "gml_name", "gml_name 2 string name"},
        {parcel, "inspireId_localId", "inspireId_localId 0 string inspireId/Identifier/localId"},
        {parcel, "area", "area 0 double area"},
        {parcel, "area_uom", "area_uom 0 string area uom"},
        {parcel, "kind_codespace", "kind_codespace 0 anyURI kind codeSpace"},
        {parcel, "validTo_nil", "validTo_nil 0 boolean validTo nil"},
        {parcel, "validTo_nilreason", "validTo_nilreason 0 string validTo nilReason"},
        {parcel, "geometry", "geometry 1 MultiSurface geometry"},
        {parcel, "extension_any", "extension_any 2 string extension/*"},
        {parcel, "partOf_code", "partOf_code 0 string partOf/Section/code"},
        {parcel, "partOf_within", "partOf_within 2 string partOf/Section/within/Section/*"},
        {parcel, "zone", "zone 6 string zone/Zone"},
        {schema.tables.at(1), "unit_href", "unit_href 0 anyURI  href"},
        {schema.tables.at(2), "id", "id 3 string"},
        {schema.tables.at(2), "share", "share 0 decimal Owner/share"},
        {schema.tables.at(3), "parent_id", "parent_id 4 string"},
        {schema.tables.at(3), "position", "position 5 int"},
        {schema.tables.at(3), "contact", "contact 0 string"},
        {schema.tables.at(4), "referencePoint", "referencePoint 1 Point"},
        {schema.tables.at(4), "referencePoint_href", "referencePoint_href 0 anyURI  href"},
    };
    for (const auto &column : columns)
        EXPECT_EQ(describe(column.table, column.column), column.expected);
    EXPECT_EQ(schema.tables.at(3).parentPath.join('|'), "{urn:test:parcels}Owner|{urn:test:parcels}contact");
    // Where tables take several geometry columns, the second stays in its feature's table.
    const XsdRelatedTables several = offline().readRelatedTables(
        DORVELLXSD_TEST_DATA_DIR "/xsd/related/parcels.xsd", XsdRelatedTables::GeometryColumns::OnePerProperty);
    EXPECT_EQ(several.table("Parcel_referencePoint"), nullptr);
    EXPECT_EQ(describe(several.tables.at(0), "referencePoint"), "referencePoint 1 Point referencePoint");
    EXPECT_EQ(schema.tables.at(1).columnOf(XsdRelatedColumn::Key), -1) << "a key without children to use it";

    QStringList names;
    for (const XsdAttribute &attribute : parcel.element.complexType.attributes)
        names.append(attribute.name);
    const QStringList longOnes = names.filter(bounded);
    ASSERT_EQ(longOnes.size(), 1) << names.join(' ').toStdString();
    EXPECT_EQ(longOnes.first().toUtf8().size(), 63);
    EXPECT_FALSE(names.contains(longName));
    EXPECT_EQ(schema.fragments,
        QStringList({"Parcel.extension_any хранит XML как есть: схема допускает здесь любые элементы",
            "Parcel.partOf_within хранит XML как есть: тип содержит сам себя"}));

    // A redefinition changes the types the tables would be read from.
    QTemporaryDir folder;
    QFile redefining(folder.filePath("redefining.xsd"));
    ASSERT_TRUE(redefining.open(QIODevice::WriteOnly));
    redefining.write(
        "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" targetNamespace=\"urn:test:parcels\">"
        "<xs:redefine schemaLocation=\"" DORVELLXSD_TEST_DATA_DIR "/xsd/related/parcels.xsd\"/></xs:schema>");
    redefining.close();
    try {
        offline().readRelatedTables(redefining.fileName());
        ADD_FAILURE() << "a redefinition read";
    } catch (const std::logic_error &refusal) {
        EXPECT_EQ(std::string(refusal.what()),
            "Схема " + redefining.fileName().toStdString()
                + " переопределяет схему " DORVELLXSD_TEST_DATA_DIR
                  "/xsd/related/parcels.xsd (xs:redefine): её типы не читаются в связанные таблицы");
    }
}

// Published application schemas: each gives its tables, named within the limit, the same on
// every reading; a schema whose feature types are all abstract gives none and says so.
TEST(RelatedMapping, ReadsPublishedSchemas)
{
    if (!QFileInfo::exists(Shared + "/inspire"))
        GTEST_SKIP() << "INSPIRE schemas not found at " << Shared.toStdString();
    QStringList schemas{"/realworld/deegree-cite/schema/cite-gmlsf2.xsd",
        "/realworld/deegree-custom/schema/CustomProperties.xsd",
        "/realworld/deegree-export/testdata/schema/Philosopher.xsd"};
    for (const QString &folder : QDir(Shared + "/inspire-examples").entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        schemas.append("/inspire-examples/" + folder + "/validate.xsd");
    for (const QString &schema : schemas) {
        SCOPED_TRACE(schema.toStdString());
        const XsdRelatedTables first = offline().readRelatedTables(Shared + schema);
        const XsdRelatedTables second = offline().readRelatedTables(Shared + schema);
        ASSERT_EQ(first.tables.size(), second.tables.size());
        EXPECT_FALSE(first.tables.isEmpty());
        for (int i = 0; i < first.tables.size(); ++i) {
            EXPECT_EQ(first.tables.at(i).element.name, second.tables.at(i).element.name);
            EXPECT_LE(first.tables.at(i).element.name.toUtf8().size(), 63);
            for (const XsdAttribute &column : first.tables.at(i).element.complexType.attributes) {
                EXPECT_LE(column.name.toUtf8().size(), 63);
                EXPECT_FALSE(column.name.isEmpty()) << first.tables.at(i).element.name.toStdString();
            }
        }
    }
    try {
        offline().readRelatedTables(Shared + "/inspire/hy/5.0/HydroBase.xsd");
        ADD_FAILURE() << "a schema of abstract feature types only";
    } catch (const std::logic_error &refusal) {
        EXPECT_STREQ(refusal.what(),
            "Схема не объявляет ни одного конкретного типа объектов в пространстве имён "
            "http://inspire.ec.europa.eu/schemas/hy/5.0");
    }
}
