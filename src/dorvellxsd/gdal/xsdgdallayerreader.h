#ifndef DORVELLXSD_XSDGDALLAYERREADER_H
#define DORVELLXSD_XSDGDALLAYERREADER_H

#include <dorvellxsd/data/xsdtabledata.h>
#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/gdal/xsdgdaldataprovider.h>
#include <dorvellxsd/schema/xsdelement.h>

#include <QString>

#include <memory>

namespace pelmak {

class XsdGdalLayerReaderPrivate;

/**
 * Reads one layer of a provider's data source a batch of features at a time, so that memory
 * holds one batch rather than the whole layer. The batches together are exactly what
 * XsdGdalDataProvider::getDataFromLayer returns for the same element and filter: the same
 * records, values, identifiers and order. Geometries are written in the GML version the provider
 * had when the reader began (XsdGdalDataProvider::setGmlVersion()).
 *
 * Threads: a reader belongs to its provider's thread. A provider and its readers are used by one
 * thread at a time, as GDAL requires of one data source; readers of distinct providers may run on
 * distinct threads. Every GDAL call runs on the calling thread; the reader starts no thread and
 * leaves the thread's GDAL error handler and last error as it found them.
 *
 * Errors: a refusal is a std::logic_error, a failure of the data source while it reads a
 * std::runtime_error (see dorvellxsd.h).
 */
class DORVELLXSD_EXPORT XsdGdalLayerReader
{
public:
    /**
     * Starts reading the layer named like @p element from @p provider's data source, narrowed by
     * the attribute @p filter (none when empty). The filter is handed to the driver as it is: it
     * is the driver's SQL, for a database the server's own, so it runs whatever functions the
     * server offers; it must come from someone trusted with the data source.
     *
     * The provider must outlive the reader, and nothing else may read that layer of the provider
     * meanwhile (getDataFromLayer or a second reader would move its read position). A reader whose
     * provider opened another source, or failed to, throws on its next batch.
     * @throws std::logic_error as getDataFromLayer does: an element without name or type, a
     *         closed source, a missing layer or field of a required attribute, a filter GDAL refuses;
     *         std::runtime_error "Ошибка чтения слоя %1\n%2" when GDAL fails to read the first
     *         feature.
     */
    XsdGdalLayerReader(const XsdGdalDataProvider &provider, const XsdElement &element, const QString &filter);
    virtual ~XsdGdalLayerReader();

    /**
     * The next features, at most @p maxFeatures, as one table data with the element as its
     * description; an empty feature list once the layer is exhausted.
     * @throws std::logic_error when @p maxFeatures is not positive, the provider opened another
     *         source, a feature identifier is beyond 32 bits or a geometry GDAL cannot write as
     *         GML; std::runtime_error on a read failure ("Ошибка чтения слоя %1\n%2"). The reader
     *         is then at its end.
     */
    XsdTableData readBatch(int maxFeatures);

    /// True when no feature is left: the next batch would be empty.
    bool atEnd() const;

private:
    Q_DISABLE_COPY(XsdGdalLayerReader)
    std::unique_ptr<XsdGdalLayerReaderPrivate> const d;
};

} // namespace pelmak

#endif
