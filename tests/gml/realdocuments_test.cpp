// Documents other organisations wrote import as GDAL's own GML driver reads them, or are refused for a
// reason the message names.

#include "gdalcomparison.h"

#include <QFileInfo>
#include <QTemporaryDir>

namespace {
using namespace comparison;
using pelmak::XsdTableData;

const QString RealWorld = DORVELLXSD_SHARED_DATA_DIR "/realworld/";

/*
 * A layer for each of GDAL's, in its coordinate system, with a text field for each of its fields,
 * as an import that creates its layers makes them; the values are compared by GDAL's types below.
 */
void createLayersLike(GDALDataset &model, const QString &path)
{
    const GDALDatasetUniquePtr target = testsupport::createDataSource(path);
    ASSERT_TRUE(target);
    for (OGRLayer *layer : model.GetLayers()) {
        OGRLayer *created = target->CreateLayer(layer->GetName(), layer->GetSpatialRef(), wkbUnknown, nullptr);
        ASSERT_TRUE(created) << CPLGetLastErrorMsg();
        OGRFeatureDefn *definition = layer->GetLayerDefn();
        for (int i = 0; i < definition->GetFieldCount(); ++i) {
            OGRFieldDefn field(definition->GetFieldDefn(i)->GetNameRef(), OFTString);
            if (field.GetNameRef() != std::string("gml_id")) {
                ASSERT_EQ(created->CreateField(&field), OGRERR_NONE);
            }
        }
    }
}

// The imported texts, each read as GDAL's driver types its field; a text GDAL would not take stays as it is.
Layers typedAs(const Layers &imported, GDALDataset &model)
{
    Layers typed = imported;
    for (auto &[name, features] : typed) {
        OGRFeatureDefn *definition = model.GetLayerByName(name.c_str())->GetLayerDefn();
        for (Feature &feature : features) {
            for (auto &[field, value] : feature.values) {
                OGRFeature typing(definition);
                const int index = typing.GetFieldIndex(field.c_str());
                if (index < 0)
                    continue;
                // GDAL's driver drops the whitespace a text begins with; ours keeps the text as written.
                const size_t start = value.find_first_not_of(" \t\r\n");
                if (start != std::string::npos)
                    typing.SetField(index, value.c_str() + start);
                value = valueOf(typing, index);
            }
        }
    }
    return typed;
}

struct Document
{
    const char *path;
    const char *counts;     ///< features per table, as GDAL's driver and ours count them; or
    const char *refusal;    ///< the end of the message that refuses the document
    const char *references; ///< a field whose xlink:href ours keeps and GDAL's driver drops
};

/*
 * Refused, each for a form no column can hold:
 * - the CITE level 1 and 2 data hold an event list in a property (auditTrail/Event), and
 *   CustomProperties application elements (custom2/A, B, C): a column holds text or one geometry;
 * - the deegree export gives gml:name twice in one feature (it also nests features:
 *   Philosopher/isAuthorOf/Book); GDAL's driver keeps the first name and drops the others;
 * - the billion laughs declare entities, which no reader here expands.
 */
const Document Documents[] = {
    {"deegree-cite/feature/dataset-sf0.xml", "AggregateGeoFeature:4 EntitéGénérique:3 PrimitiveGeoFeature:9", "",
        "relatedFeature"},
    {"deegree-cite/feature/dataset-sf1.xml", "",
        "строка 44: таблица ComplexGeoFeature, объект f101: свойство auditTrail содержит элемент sf:Event, а "
        "ожидались текст, ссылка xlink:href или одна геометрия GML",
        ""},
    {"deegree-cite/feature/dataset-sf2.xml", "",
        "строка 391: таблица ComplexGeoFeature, объект f101: свойство auditTrail содержит элемент sf:Event, а "
        "ожидались текст, ссылка xlink:href или одна геометрия GML",
        ""},
    {"deegree-custom/feature/CustomProperties.xml", "",
        "строка 9: таблица ComplexFeature, объект 0: свойство custom2 содержит элемент app:A, а ожидались текст, "
        "ссылка xlink:href или одна геометрия GML",
        ""},
    {"deegree-export/expectedExport-gml31.xml", "",
        "строка 7: таблица Philosopher, объект PHILOSOPHER_1: свойство name повторяется, а столбец хранит одно "
        "значение",
        ""},
    {"deegree-simple/SimpleFeatureCollectionExample1.gml", "Country:2", "", ""},
    {"gdal/archsites.gml", "archsites:1", "", ""}, // its srsName is the URN without a version
    {"gdal/expected_gml_gml3degree.gml", "firstlayer:2", "", ""},
    {"gdal/billionlaugh.gml", "",
        "объявление DOCTYPE в строке 13 не допускается: документ не может объявлять сущности и ссылаться на DTD", ""},
};

Layers without(Layers layers, const std::string &field)
{
    for (auto &entry : layers)
        for (Feature &feature : entry.second)
            feature.values.erase(field);
    return layers;
}

TEST(RealDocuments, ImportAsGdalReadsThemOrAreRefusedWithTheReason)
{
    if (!QFileInfo::exists(RealWorld))
        GTEST_SKIP() << "documents of other organisations not found at " << RealWorld.toStdString();
    QTemporaryDir folder;
    for (const Document &document : Documents) {
        SCOPED_TRACE(document.path);
        const QString path = RealWorld + document.path;
        std::string refusal;
        const QList<XsdTableData> tables = gmltest::readInBatches(path, 3, {}, &refusal);
        if (*document.refusal) {
            EXPECT_TRUE(QString::fromStdString(refusal).endsWith(QString::fromUtf8(document.refusal))) << refusal;
            continue;
        }
        if (!refusal.empty() || tables.isEmpty()) {
            ADD_FAILURE() << "refused or empty: " << refusal;
            continue;
        }
        // GDAL's driver would take the field list of a .gfs file left beside the document over its schema.
        const QString gfs = QFileInfo(path).path() + '/' + QFileInfo(path).completeBaseName() + ".gfs";
        ASSERT_FALSE(QFileInfo::exists(gfs)) << "remove " << gfs.toStdString();
        const GDALDatasetUniquePtr byGdal = openWithGmlDriver(path);
        ASSERT_TRUE(byGdal);
        const Layers expected = featuresOf(*byGdal);
        EXPECT_EQ(counts(expected), document.counts);

        const QString target = folder.filePath(QFileInfo(path).completeBaseName() + ".gpkg");
        createLayersLike(*byGdal, target);
        ASSERT_EQ(logicErrorOf([&] { pelmak::XsdGdalDataProvider(target, false).insertData(tables); }),
            "(no std::logic_error thrown)");
        const GDALDatasetUniquePtr imported = testsupport::openWithGdal(target);
        ASSERT_TRUE(imported);
        expectSameFeatures(without(typedAs(featuresOf(*imported), *byGdal), document.references),
            without(expected, document.references));
    }
}

} // namespace
