// Documents of complex schemas published by others, imported into related tables of a real
// PostGIS server, each into a schema of its own: every value a document holds is in a cell, every
// geometry property that occurs once in a geometry column of its feature's table.

#include "../gdal/postgissupport.h"
#include "relatedimportsupport.h"

using namespace testsupport;
using namespace pelmak;

using RelatedImportPostgis = PostgisTest;

TEST_F(RelatedImportPostgis, StoresEveryValueOfPublishedDocuments)
{
    if (!QFileInfo::exists(sharedData()))
        GTEST_SKIP() << "published documents not found at " << sharedData().toStdString();
    // GDAL writes a real into PostgreSQL with 15 significant digits, and a date and time into a
    // column of instants, which a time without a zone is not.
    const QHash<QString, QString> targetRefusals{{"inspire.gml", "«4.573170731707317»"},
        {"inspire2.gml", "«4.573170731707317»"}, {"AD.Spain_full.gml", "«2002-01-22T00:00:00»"},
        {"AD.Spain_v4.0.two.geom.gml", "«2002-01-22T00:00:00»"}, {"011-cz-passed.xml", "«2008-04-07T00:00:00»"}};
    int n = 0;
    for (const RelatedSample &sample : relatedSamples()) {
        const std::string schema = "related" + std::to_string(++n);
        execute(*openWithGdal(connection, GDAL_OF_VECTOR | GDAL_OF_UPDATE),
            "DROP SCHEMA IF EXISTS " + schema + " CASCADE; CREATE SCHEMA " + schema);
        expectStoredOrRefused(sample, connection + " active_schema=" + QString::fromStdString(schema), targetRefusals,
            XsdRelatedTables::GeometryColumns::OnePerProperty);
    }
}
