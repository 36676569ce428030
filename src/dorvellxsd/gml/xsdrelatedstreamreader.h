#ifndef DORVELLXSD_XSDRELATEDSTREAMREADER_H
#define DORVELLXSD_XSDRELATEDSTREAMREADER_H

#include <dorvellxsd/data/xsdtabledata.h>
#include <dorvellxsd/schema/xsdrelatedtables.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace pelmak {

class XsdRelatedStreamReaderPrivate;

/**
 * Reads a GML document of a complex schema into the rows of its related tables, in one pass and a
 * batch of features at a time: each feature gives a row of its table and the rows of the child
 * tables below it. The decoding and the refusals of a document that is not well-formed are those
 * of XsdXmlStreamReader.
 *
 * A reader is used from one thread at a time; distinct readers share nothing.
 *
 * Errors: a refusal of the document is a std::logic_error, a file that cannot be opened a
 * std::runtime_error (see dorvellxsd.h).
 */
class DORVELLXSD_EXPORT XsdRelatedStreamReader
{
public:
    /// Opens the document at @p path, to be read into @p tables.
    XsdRelatedStreamReader(const QString &path, const XsdRelatedTables &tables);
    virtual ~XsdRelatedStreamReader();

    /**
     * The rows of the next features, at most @p maxFeatures features with everything below them,
     * one XsdTableData per table that has rows in the batch, parents before children, each
     * row's values in the order of its table's columns. An empty list at the end of the document.
     * Every row of one feature carries the feature's position in the document, from 1, as its id.
     */
    QList<XsdTableData> readBatch(int maxFeatures);
    /// Whether the whole document was read, or its reading refused.
    bool atEnd() const;
    /// Every feature table met so far, each once, in order of first appearance.
    QStringList tablesSeen() const;

private:
    Q_DISABLE_COPY(XsdRelatedStreamReader)
    std::unique_ptr<XsdRelatedStreamReaderPrivate> const d;
};

} // namespace pelmak

#endif
