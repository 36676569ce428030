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
#include <unordered_map>
#include <utility>
#include <vector>

class QFileDevice;
class QTextEncoder;

/*
 * What the document writers share: the checks of table data, the empty collection, the tree of
 * one feature member, and the file the text goes to.
 */
namespace pelmak::gml {

// Whether every code point of @p text is an XML character; a surrogate without its partner is none.
bool isXmlText(const QString &text);

// Refuses, before anything is written, a table data whose names or values would make the
// document ill-formed or unreadable to the library's own reader. @throws std::logic_error
void checkWritable(const XsdElement &table, const QList<XsdFeatureData> &features);

/*
 * A set of ids in two to four bytes per id, however they spread over the 32 bits, and a small
 * record per range of 65,536 ids that holds any: a range keeps its ids as a sorted array of their
 * low halves, and as a bitmap of 8 KiB once it holds 4,096. Consecutive ids, as data sources give
 * them, cost one comparison each.
 */
class IdSet
{
public:
    // Adds @p id; false when it was there already.
    bool insert(int id);
    void remove(int id);

private:
    static constexpr int BitmapWords = 65536 / 64;
    static constexpr size_t ArrayLimit = 4096; ///< where the bitmap takes no more room than the array

    struct Range
    {
        std::vector<quint16> sorted; ///< until the bitmap replaces it
        std::unique_ptr<quint64[]> bitmap;
    };

    std::pair<Range &, quint16> placeOf(int id);

    std::unordered_map<quint32, Range> ranges;
    Range *lastRange = nullptr; ///< consecutive ids fall into the same range
    quint32 lastHigh = 0;
};

/*
 * The gml:ids a document holds, table by table: a feature is written once. A writer of tens of
 * millions of features keeps them in an IdSet per table, not in a hash of every id.
 */
class WrittenIds
{
public:
    /*
     * Takes the ids of @p features as written into the table @p table, or, when one is written
     * already or comes twice among them, refuses them all and takes none. @throws std::logic_error
     */
    void take(const QString &table, const QList<XsdFeatureData> &features);
    void clear() { tables.clear(); }

private:
    std::unordered_map<QString, IdSet> tables;
};

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
