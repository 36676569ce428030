// Documents that GDAL writes, in each of its GML forms, import with the values and coordinates that
// GDAL's own GML driver reads from them; the schemas it writes beside them read as far as they can.

#include "gdalcomparison.h"

#include <dorvellxsd/gml/xsdxmltables.h>
#include <dorvellxsd/schema/xsdprovider.h>

#include <gdal_utils.h>

#include <QTemporaryDir>

namespace {
using namespace comparison;
using namespace testsupport;
using pelmak::XsdTableData;

const std::vector<Field> PointFields = {{"name"}, {"count", OFTInteger}, {"ratio", OFTReal}, {"day", OFTDate}};
const std::vector<Field> PolygonFields = {{"label"}};
constexpr int Geographic = 4326; // latitude first in GML 3 urn srsNames
constexpr int Projected = 32637; // easting first

// Points with text, integer, real and date values, XML's special characters, Cyrillic, an empty
// text, a null date and an unset one; polygons with a hole, in a projected system.
void createSource(const QString &path)
{
    const GDALDatasetUniquePtr source = createDataSource(path);
    ASSERT_TRUE(source);
    OGRLayer *points = createLayer(*source, "points", wkbPoint, PointFields, Geographic);
    addFeature(points, {"Москва & <b>\"ёлка\"</b> ]]> 'x'", "5", "1.5", "2024-01-15"}, "POINT (37.6 55.7)");
    addFeature(points, {"", "-2147483648", "0.1", ""}, "POINT (-179.5 -89.25)");
    addFeature(points, {"  два  пробела ", "2147483647", "-1234567.125", "1900-02-28"}, "POINT (30.3 59.9)");
    OGRFeatureUniquePtr nullDate(OGRFeature::CreateFeature(points->GetLayerDefn()));
    nullDate->SetField("name", "null date");
    nullDate->SetFieldNull(nullDate->GetFieldIndex("day"));
    ASSERT_EQ(points->CreateFeature(nullDate.get()), OGRERR_NONE);
    OGRLayer *polygons = createLayer(*source, "polygons", wkbPolygon, PolygonFields, Projected);
    addFeature(polygons, {"hole"},
        "POLYGON ((400000 6000000, 401000 6000000, 401000 6001000, 400000 6001000, 400000 6000000), "
        "(400100 6000100, 400200 6000100, 400200 6000200, 400100 6000100))");
    addFeature(polygons, {"без дыры"},
        "POLYGON ((400000.5 6000000.25, 400010 6000000, 400000 6000010, "
        "400000.5 6000000.25))");
}

// ogr2ogr -f GML with the given dataset creation options.
void writeWithGdal(const QString &source, const QString &document, const std::vector<std::string> &options)
{
    CPLStringList arguments;
    arguments.AddString("-f");
    arguments.AddString("GML");
    for (const std::string &option : options) {
        arguments.AddString("-dsco");
        arguments.AddString(option.c_str());
    }
    const std::unique_ptr<GDALVectorTranslateOptions, void (*)(GDALVectorTranslateOptions *)> translation(
        GDALVectorTranslateOptionsNew(arguments.List(), nullptr), GDALVectorTranslateOptionsFree);
    ASSERT_TRUE(translation);
    const GDALDatasetUniquePtr input = openWithGdal(source);
    ASSERT_TRUE(input);
    GDALDatasetH inputs[] = {GDALDataset::ToHandle(input.get())};
    int usageError = 0;
    const GDALDatasetUniquePtr written(GDALDataset::FromHandle(
        GDALVectorTranslate(document.toUtf8().constData(), nullptr, 1, inputs, translation.get(), &usageError)));
    ASSERT_TRUE(written) << CPLGetLastErrorMsg();
}

// The ids our reader gives, per table in document order, and GDAL's feature identifiers.
std::map<std::string, std::vector<GIntBig>> idsOf(const QList<XsdTableData> &tables)
{
    std::map<std::string, std::vector<GIntBig>> ids;
    for (const XsdTableData &data : tables)
        for (const pelmak::XsdFeatureData &feature : data.featureData())
            ids[data.tableInfo().name.toStdString()].push_back(feature.id);
    return ids;
}

std::map<std::string, std::vector<GIntBig>> idsOf(GDALDataset &dataset)
{
    std::map<std::string, std::vector<GIntBig>> ids;
    for (OGRLayer *layer : dataset.GetLayers())
        for (const auto &feature : *layer)
            ids[layer->GetName()].push_back(feature->GetFID());
    return ids;
}

// The tables and columns (kind, name) the schema GDAL writes beside a document gives, and why its other
// declarations are none; or why it gives none.
std::string schemaRead(const QString &path)
{
    pelmak::XsdProvider provider;
    const std::string refusal = logicErrorOf([&] { provider.initFromXsd(path); });
    if (refusal.rfind("(no ", 0) != 0)
        return refusal.substr(refusal.find(", строка") + 2);
    std::string text;
    const pelmak::XsdTables tables = provider.tables();
    for (const QString &table : tables.tableNameList()) {
        text += (text.empty() ? "" : " | ") + table.toStdString() + ':';
        for (const pelmak::XsdAttribute &attribute : tables.tableByName(table).complexType.attributes)
            text += ' ' + std::to_string(attribute.kind) + attribute.name.toStdString();
    }
    for (const QString &skipped : provider.skippedDeclarations())
        text += " | " + skipped.toStdString();
    return text;
}

const std::string TablesRead = "points: 2geom 0name 0count 0ratio 0day | polygons: 2geom 0label | FeatureCollection ";
const std::string Gml3Tables = TablesRead + "(строка 18) не таблица: группа замены gml:_GML не ведёт к "
                                            "gml:_Feature или gml:AbstractFeature";
const std::string DeegreeTables = TablesRead + "(строка 10) не таблица: элемент — коллекция объектов (группа "
                                               "замены gml:_FeatureCollection)";
const std::string Gml2Tables = TablesRead + "(строка 4) не таблица: элемент — коллекция объектов (группа "
                                            "замены gml:_FeatureCollection)";
// GML 3.2 has no collection group: GDAL declares its collection a feature holding members.
const std::string Gml32Tables = TablesRead + "(строка 17) не таблица: элемент — коллекция объектов (члены "
                                             "коллекции в свойстве featureMember)";

struct Form
{
    const char *name;
    std::vector<std::string> options;
    std::string schema; ///< what the schema reader makes of GDAL's schema
};

TEST(DocumentsFromGdal, ImportWithTheValuesAndCoordinatesGdalReads)
{
    QTemporaryDir folder;
    const QString source = folder.filePath("source.gpkg");
    createSource(source);
    const std::string prefixed[] = {"PREFIX=app", "TARGET_NAMESPACE=urn:example:app"};
    const Form forms[] = {
        {"GML3", {"FORMAT=GML3"}, Gml3Tables},
        {"GML3Deegree", {"FORMAT=GML3Deegree"}, DeegreeTables},
        {"GML3.2", {"FORMAT=GML3.2"}, Gml32Tables},
        {"GML3 app", {"FORMAT=GML3", prefixed[0], prefixed[1]}, Gml3Tables},
        {"GML3Deegree app", {"FORMAT=GML3Deegree", prefixed[0], prefixed[1]}, DeegreeTables},
        {"GML3.2 app", {"FORMAT=GML3.2", prefixed[0], prefixed[1]}, Gml32Tables},
        // srsNames of other forms, which give other axis orders, and GDAL's GML 2.
        {"GML3.2 short", {"FORMAT=GML3.2", "SRSNAME_FORMAT=SHORT"}, Gml32Tables},
        {"GML3 url", {"FORMAT=GML3", "SRSNAME_FORMAT=OGC_URL"}, Gml3Tables},
        {"GML2", {"FORMAT=GML2"}, Gml2Tables},
    };
    for (const Form &form : forms) {
        SCOPED_TRACE(form.name);
        const QString stem = folder.filePath(QString(form.name).replace(' ', '-'));
        const QString document = stem + ".gml";
        writeWithGdal(source, document, form.options);
        const GDALDatasetUniquePtr byGdal = openWithGmlDriver(document);
        ASSERT_TRUE(byGdal);
        const Layers expected = featuresOf(*byGdal);
        ASSERT_EQ(counts(expected), "points:4 polygons:2");
        EXPECT_EQ(schemaRead(stem + ".xsd"), form.schema);

        pelmak::XsdXmlTables tree;
        tree.initFromFile(document);
        const QList<XsdTableData> tables = tree.getDataFromLayers({});
        EXPECT_EQ(gmltest::describeFeatures(gmltest::readInBatches(document, 3)), gmltest::describeFeatures(tables));
        EXPECT_EQ(idsOf(tables), idsOf(*byGdal));

        const QString target = stem + ".gpkg";
        {
            const GDALDatasetUniquePtr created = createDataSource(target);
            ASSERT_TRUE(created);
            createLayer(*created, "points", wkbPoint, PointFields, Geographic);
            createLayer(*created, "polygons", wkbPolygon, PolygonFields, Projected);
        }
        pelmak::XsdGdalDataProvider provider(target, false);
        EXPECT_EQ(provider.insertData(tables), (QMap<QString, int>{{"points", 4}, {"polygons", 2}}));
        const GDALDatasetUniquePtr imported = openWithGdal(target);
        ASSERT_TRUE(imported);
        expectSameFeatures(featuresOf(*imported), expected);
    }
}

} // namespace
