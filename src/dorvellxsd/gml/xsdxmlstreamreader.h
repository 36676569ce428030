#ifndef DORVELLXSD_XSDXMLSTREAMREADER_H
#define DORVELLXSD_XSDXMLSTREAMREADER_H

#include <dorvellxsd/data/xsdtabledata.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace pelmak {

class XsdXmlStreamReaderPrivate;

/**
 * Reads an exchange document from a file in batches of features, never holding more of it than
 * the batch at hand. The decoding (the encoding the document declares), the features, their
 * descriptions, ids and values, and the refusals are those of XsdXmlTables::initFromFile and
 * getDataFromLayers on the same file; only the grouping into table data differs, and, as the
 * reader maps while it parses, a document that cannot be mapped and is not well-formed further on
 * is refused for whichever comes first.
 *
 * A reader is used from one thread at a time; distinct readers share nothing.
 *
 * Errors: a refusal of the document is a std::logic_error, a file that cannot be opened a
 * std::runtime_error (see dorvellxsd.h).
 */
class DORVELLXSD_EXPORT XsdXmlStreamReader
{
public:
    /// Opens the exchange document at @p path. @throws std::runtime_error "Не могу открыть файл %1".
    explicit XsdXmlStreamReader(const QString &path);
    virtual ~XsdXmlStreamReader();

    /**
     * The next features in document order, at most @p maxFeatures of them, of the tables named
     * in @p tableNames (ignoring case; all when empty). Consecutive features of one table with
     * the same description share one XsdTableData. An empty list at the end of the document.
     * @throws std::logic_error "Размер пакета объектов должен быть положительным, а не %1" when
     *         @p maxFeatures is below 1, as XsdGdalLayerReader::readBatch; and
     *         "Ошибка разбора файла: %1" with the reasons of
     *         XsdXmlTables::initFromFile (the encoding, a DOCTYPE, too deep a nesting, too many
     *         attributes, names, processing instruction targets, parse errors with their line);
     *         the reader is then at its end, and every later call throws the same; and, with the
     *         line, the refusals of XsdXmlTables::getDataFromLayers when the document cannot be
     *         mapped (a member without feature, nested or repeated properties, ...). Features of
     *         earlier batches were read before the error.
     */
    QList<XsdTableData> readBatch(int maxFeatures, const QStringList &tableNames = {});

    /// Whether the whole document was read, or its reading refused.
    bool atEnd() const;

    /// Every table met so far (filtered out or not), each once, in order of first appearance.
    QStringList tablesSeen() const;

private:
    Q_DISABLE_COPY(XsdXmlStreamReader)
    std::unique_ptr<XsdXmlStreamReaderPrivate> const d;
};

} // namespace pelmak

#endif
