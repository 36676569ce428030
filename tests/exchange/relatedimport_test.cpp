// Documents of complex schemas published by others, imported into related tables: every value a
// document holds is in a cell afterwards, or the document is refused saying where; and written
// back, the same features and values again.

#include "relatedimportsupport.h"

#include <dorvellxsd/exchange/xsdimport.h>

#include <QTemporaryDir>

using namespace testsupport;
using namespace pelmak;

TEST(RelatedImport, StoresEveryValueOfPublishedDocuments)
{
    if (!QFileInfo::exists(sharedData()))
        GTEST_SKIP() << "published documents not found at " << sharedData().toStdString();
    QTemporaryDir folder;
    int n = 0;
    for (const RelatedSample &sample : relatedSamples())
        expectStoredOrRefused(sample, folder.filePath(QString::number(++n) + ".gpkg"));
}

// Tables edited into what the schema forbids are refused, and the earlier document stays.
TEST(RelatedExport, RefusesTablesTheSchemaDoesNotTake)
{
    if (!QFileInfo::exists(sharedData()))
        GTEST_SKIP() << "GML schemas not found at " << sharedData().toStdString();
    QTemporaryDir folder;
    const RelatedSample parcels{
        DORVELLXSD_TEST_DATA_DIR "/xsd/related/two-parcels.gml", DORVELLXSD_TEST_DATA_DIR "/xsd/related/parcels.xsd"};
    const QString target = folder.filePath("parcels.gpkg");
    importRelated(parcels, target, XsdRelatedTables::GeometryColumns::OnePerTable);
    const XsdExportRequest request = relatedExport(parcels, target, folder.filePath("parcels.gml"));
    QFile earlier(request.documentPath);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
    earlier.close();

    const struct
    {
        const char *edit;
        const char *refusal;
    } cases[] = {
        {"UPDATE Parcel SET area = NULL WHERE gml_id = 'P2'", "объект P2 таблицы Parcel"},
        {"INSERT INTO Parcel_owner (parent_id, position, id, name, share) VALUES ('P9', 1, 'P9.1', 'X', 1)",
            "Строка 3 таблицы Parcel_owner принадлежит строке P9 таблицы Parcel"},
        {"UPDATE Parcel SET extension_any = '</gml:featureMember><x>' WHERE gml_id = 'P2'",
            "Таблица Parcel, строка 2, столбец extension_any"},
    }; // each refused before the edits above it are found
    for (const auto &edit : cases) {
        SCOPED_TRACE(edit.edit);
        execute(*openWithGdal(target, GDAL_OF_VECTOR | GDAL_OF_UPDATE), edit.edit);
        try {
            XsdExport(request).run();
            ADD_FAILURE() << "exported";
        } catch (const std::logic_error &error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(edit.refusal)) << error.what();
        }
        ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
        EXPECT_EQ(earlier.readAll(), "earlier");
        earlier.close();
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2) << "a document left aside";
    }
}
