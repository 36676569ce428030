// Documents of complex schemas published by others, imported into related tables: every value a
// document holds is in a cell afterwards, or the document is refused saying where.

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
