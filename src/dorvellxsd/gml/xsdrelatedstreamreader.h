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
 * The features are the elements a feature table's rowElement names, wherever a collection holds
 * them: in GML's and WFS's members (also within a WFS collection in a member, and in WFS's
 * additionalObjects), or as the document's root. The collection's other properties are passed by.
 * Names match as written in Clark notation, or else by a local name that only one name at that
 * place has, as a document of an older version of the schema writes them. Each value is taken as
 * the document writes it; nothing in a feature is passed by but namespace declarations,
 * xsi:schemaLocation, xsi:noNamespaceSchemaLocation and xsi:type that no column takes, and
 * whitespace between elements. A geometry is the GML text the flat readers give, with the
 * namespace declarations it needs; a fragment the very text of its element, with those it needs.
 *
 * A reader is used from one thread at a time; distinct readers share nothing.
 *
 * Errors: a refusal of the document is a std::logic_error, a file that cannot be opened a
 * std::runtime_error (see dorvellxsd.h).
 */
class DORVELLXSD_EXPORT XsdRelatedStreamReader
{
public:
    /**
     * Opens the document at @p path, to be read into @p tables.
     * @throws std::logic_error "Связанная таблица %1 описана неверно: %2" when the tables contradict
     *         themselves (a table whose columns are not its type's attributes, a child table whose
     *         parent does not come before it, two columns that read one place), before any file is
     *         opened; std::runtime_error "Не могу открыть файл %1".
     */
    XsdRelatedStreamReader(const QString &path, const XsdRelatedTables &tables);
    virtual ~XsdRelatedStreamReader();

    /**
     * The rows of the next features, at most @p maxFeatures features with everything below them,
     * one XsdTableData per table that has rows in the batch, parents before children, each
     * row's values in the order of its table's columns. An empty list at the end of the document.
     * Every row of one feature carries the feature's position in the document, from 1, as its id.
     * @throws std::logic_error for @p maxFeatures below 1 and for the document's refusals as
     *         XsdXmlStreamReader::readBatch, the reader then at its end; and, with the line, for
     *         what the tables do not map: an element or attribute of a feature that no column
     *         and no child table takes, an element met twice in a row that holds one value, text
     *         where no value is, an element in a member that is no feature of the tables, a root
     *         that is neither a collection nor such a feature.
     */
    QList<XsdTableData> readBatch(int maxFeatures);
    /// Whether the whole document was read, or its reading refused.
    bool atEnd() const;
    /// Every feature table met so far, each once, in order of first appearance, inline features'
    /// tables too.
    QStringList tablesSeen() const;

private:
    Q_DISABLE_COPY(XsdRelatedStreamReader)
    std::unique_ptr<XsdRelatedStreamReaderPrivate> const d;
};

} // namespace pelmak

#endif
