#ifndef DORVELLXSD_XSDEXCHANGEWRITER_H
#define DORVELLXSD_XSDEXCHANGEWRITER_H

#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/exchange/xsdschemaaccess.h>

#include <QList>
#include <QMap>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

namespace pelmak {

class XsdExchangeWriterPrivate;

/// One feature as a host hands it over: its id, its plain values by attribute name, its geometry.
struct DORVELLXSD_EXPORT XsdFeatureValues
{
    int id = 0;
    QMap<QString, QString> values;   ///< an attribute left out has no value
    std::optional<QString> geometry; ///< one GML geometry element as text, or none
};

/**
 * Writes features of a schema's tables into one exchange document as a host hands them over,
 * each checked against its table before any byte of it is written: every value names a plain
 * attribute of the table, every required attribute has a value, a geometry goes only to a table
 * with one. The document is in the schema's GML version and namespace, goes to a file beside its
 * path as it is written, and replaces the file at the path only in commit(): a writer destroyed
 * without commit() leaves that file as it was.
 *
 * A writer is used by one thread at a time.
 *
 * Errors, as for every exchange service (see dorvellxsd.h): an input refused is a
 * std::logic_error; a file that cannot be opened, read or written is a std::runtime_error.
 */
class DORVELLXSD_EXPORT XsdExchangeWriter
{
public:
    /**
     * Reads the schema at @p schemaPath through @p access and opens the document at @p documentPath.
     * @throws std::logic_error when the schema is refused or declares no table, or the document
     *         would replace the schema; std::runtime_error when the schema cannot be opened or read,
     *         or the document cannot be opened for writing.
     */
    XsdExchangeWriter(const QString &documentPath, const QString &schemaPath, const XsdSchemaAccess &access = {});
    virtual ~XsdExchangeWriter();

    XsdTables tables() const;

    /**
     * Writes @p features of the table named @p table (ignoring letter case), in their order.
     * @throws std::logic_error for a table the schema lacks, a feature refused as above (naming
     *         table, feature and attribute; none of @p features is then written), the refusals of
     *         XsdXmlStreamWriter::writeTableData, and after commit(); std::runtime_error when the
     *         document cannot be written.
     */
    void write(const QString &table, const QList<XsdFeatureValues> &features);

    /// Ends the document and puts it in place of the file at the path, and throws, as
    /// XsdXmlStreamWriter::commit.
    void commit();

    /// Features written so far.
    qint64 featureCount() const;

private:
    Q_DISABLE_COPY(XsdExchangeWriter)
    std::unique_ptr<XsdExchangeWriterPrivate> const d;
};

} // namespace pelmak

#endif
