#ifndef DORVELLXSD_XSDXMLSTREAMWRITER_H
#define DORVELLXSD_XSDXMLSTREAMWRITER_H

#include <dorvellxsd/dorvellxsd_export.h>
#include <dorvellxsd/gml/xsddocumentidentity.h>
#include <dorvellxsd/schema/xsdtables.h>

#include <QString>
#include <QtGlobal>

#include <memory>

namespace pelmak {

class XsdTableData;
class XsdXmlStreamWriterPrivate;

/**
 * Writes one exchange document straight to a file, table data after table data, holding no
 * more than the table data at hand: the text is the one XsdXmlWriter and its writeToFile give
 * for the same table data and document identity, byte for byte.
 *
 * A writer is used from one thread at a time; distinct writers share nothing.
 *
 * Errors: a refusal is a std::logic_error, a file that cannot be opened or written a
 * std::runtime_error (see dorvellxsd.h).
 */
class DORVELLXSD_EXPORT XsdXmlStreamWriter
{
public:
    /**
     * Opens @p path for writing. A regular file is written beside the path and replaces it only
     * in commit(); a device or a named pipe is written to directly.
     * @throws std::runtime_error "Не могу открыть файл %1 на запись" when it cannot.
     */
    explicit XsdXmlStreamWriter(const QString &path);
    /**
     * As the constructor above, for a document in the GML of @p gmlVersion: GML 3.2 for
     * XsdTables::GmlVersion::Gml32, GML 3.1.1 for any other value (see XsdXmlWriter::setGmlVersion).
     */
    XsdXmlStreamWriter(const QString &path, XsdTables::GmlVersion gmlVersion);
    /**
     * As the first constructor, for a document of the schema @p identity names (see
     * XsdXmlWriter::setDocumentIdentity()).
     * @throws std::logic_error also when the namespace or the location holds a character XML
     *         cannot carry; nothing is opened then.
     */
    XsdXmlStreamWriter(const QString &path, const XsdDocumentIdentity &identity);
    /// Without a commit() the earlier file at the path is left untouched.
    virtual ~XsdXmlStreamWriter();

    /**
     * Writes one feature member per feature of @p tableData to the file.
     * @throws std::logic_error with the refusals of XsdXmlWriter::writeTableData (names,
     *         characters, a gml:id written before), made before any byte of @p tableData is
     *         written, and the document stays usable; and "Документ не инициализирован" after
     *         commit() or after a failure; std::runtime_error "Не могу записать файл %1\n%2" on a
     *         write failure, after which the document is lost. The ids written take two to four
     *         bytes each, however they spread.
     */
    void writeTableData(const XsdTableData &tableData);

    /**
     * Ends the document and replaces the file at the path.
     * @throws std::runtime_error "Не могу записать файл %1\n%2" on failure (the earlier file
     *         stays); std::logic_error "Документ не инициализирован" after commit(), or after a
     *         failure.
     */
    void commit();

    /// Features written so far.
    qint64 featureCount() const;

private:
    Q_DISABLE_COPY(XsdXmlStreamWriter)
    std::unique_ptr<XsdXmlStreamWriterPrivate> const d;
};

} // namespace pelmak

#endif
