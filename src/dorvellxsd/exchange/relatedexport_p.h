/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_RELATEDEXPORT_P_H
#define DORVELLXSD_RELATEDEXPORT_P_H

#include "xsdexport.h"

#include <dorvellxsd/gdal/xsddatasourceoptions.h>

namespace pelmak {

class XsdGdalDataProvider;

// Rows per batch read from a data source: large enough that fetching a batch, or handing it
// between threads, costs nothing; small enough that the batches waiting take a few megabytes.
inline constexpr int ExportBatchSize = 1024;

/*
 * Writes the features of the related tables of @p request's schema from @p source, opened with
 * @p sourceOptions, into the request's document (XsdExportRequest::related), reporting to
 * @p progress. With XsdExportRequest::concurrent, a thread of its own reads the rows from the
 * source opened once more.
 */
XsdExportResult exportRelated(const XsdExportRequest &request, XsdGdalDataProvider &source,
    const XsdDataSourceOptions &sourceOptions, const XsdProgressHandler &progress);

} // namespace pelmak

#endif
