/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_FEATUREWRITER_P_H
#define DORVELLXSD_FEATUREWRITER_P_H

#include "xsddocumentidentity.h"

#include "../data/xsdtabledata.h"
#include "../schema/xsdtables.h"
#include "../xml/xmlnames_p.h"

#include <QDomDocument>
#include <QString>
#include <QXmlStreamReader>

#include <memory>

class QFileDevice;
class QTextEncoder;

/*
 * What the document writers share: the checks of table data, the empty collection, the tree of
 * one feature member, and the file the text goes to.
 */
namespace pelmak::gml {

// Refuses, before anything is written, a table data whose names or values would make the
// document ill-formed or unreadable to the library's own reader. @throws std::logic_error
void checkWritable(const XsdElement &table, const QList<XsdFeatureData> &features);

// Refuses an identity whose namespace or location XML cannot carry. @throws std::logic_error
void checkWritable(const XsdDocumentIdentity &identity);

// The declaration and the feature collection of @p identity, without members.
QDomDocument newExchangeDocument(const XsdDocumentIdentity &identity);

// Builds the feature members of one table; what its features share is made once.
class FeatureMemberBuilder
{
public:
    explicit FeatureMemberBuilder(const XsdElement &featureTable);

    // The gml:featureMember of @p feature, created by @p owner and not yet appended anywhere.
    QDomElement member(const XsdFeatureData &feature, QDomDocument &owner);
    /*
     * Appends to @p out the text saveXmlNode writes for member() one level below the root with an
     * indentation of one, without building the tree.
     */
    void appendMemberText(const XsdFeatureData &feature, QString &out);

private:
    void appendGeometry(const QString &gml, int depth, QDomDocument &owner, QDomElement &parent);
    void appendGeometryProperty(const QString &name, const QString &gml, QString &out);
    bool formatGeometry(const QString &gml, int depth);

    const XsdElement &table;
    const QString memberTag;
    const QString idName;
    const QString idPrefix;          ///< "<table>."
    QXmlStreamReader geometryReader; ///< one parser serves all the features of a table
    XmlNameCache geometryNames;
    QString geometryText; ///< the last fragment formatted
};

/*
 * The file a document goes to, as UTF-8 without a byte order mark. A regular file is replaced
 * only by commit(), so that a failure or a destruction without it leaves an earlier file as it
 * was; a device or a named pipe cannot be replaced by a rename (that would put a regular file
 * where the node was), so the text goes straight to it.
 */
class DocumentFile
{
public:
    // @throws std::logic_error when @p path cannot be opened for writing.
    explicit DocumentFile(const QString &path);
    ~DocumentFile();
    DocumentFile(const DocumentFile &) = delete;
    DocumentFile &operator=(const DocumentFile &) = delete;

    // Writes @p text and empties it. @throws std::logic_error on a write failure.
    void write(QString &text);
    // @throws std::logic_error when the file cannot be completed or replaced.
    void commit();

private:
    [[noreturn]] void throwWriteError() const;

    const QString path;
    std::unique_ptr<QFileDevice> file;
    std::unique_ptr<QTextEncoder> encoder;
};

} // namespace pelmak::gml

#endif
