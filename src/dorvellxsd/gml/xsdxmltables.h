#ifndef DORVELLXSD_XSDXMLTABLES_H
#define DORVELLXSD_XSDXMLTABLES_H

#include <dorvellxsd/data/xsdtabledata.h>

#include <QDomDocument>
#include <QList>
#include <QStringList>

namespace pelmak {

/**
 * An exchange document read from a file, handed out as table names and table data.
 *
 * No schema is consulted: each feature gives a table data of its own, whose description is
 * built from the feature element alone. Names are told by their namespace, whatever the prefix,
 * and tables and attributes are named by local names. The root is the collection, unless it is a
 * single feature, as a WFS's GetFeatureById gives one: an element with gml:id (or GML 2's fid),
 * outside the GML and WFS namespaces, whose name does not end in "Collection" and none of whose
 * children's names ends in "member" or "members". Each child of a collection is a member holding
 * one feature or several (gml:featureMember, gml:featureMembers, a WFS member, ...), or a
 * FeatureCollection of WFS or GML, as WFS 2.0 gives the features of each type, whose members
 * follow; GML's other properties of a collection and boundedBy hold none, and so does a member
 * holding no feature (empty, a reference to a feature of the document, text or a GML object, as a
 * property of the collection such as base:metadata shows). Each child of a feature is an
 * attribute: a GML geometry standing in the feature is the geometry with an empty name; a
 * property holding one GML geometry is a geometry of kind GeometryProperty named after the
 * property; any other property a plain attribute, whose value is its text, or the xlink:href of
 * an empty one. A property of GML's own (gml:name, gml:description, ...) is named by its local
 * name too, except in a feature that also has a property of the application with that local
 * name: GML's is then named "gml_" and its local name (gml_name), whichever comes first, and the
 * writer and the data source take that name as any other. gml:boundedBy is left out. Geometries
 * are given with GML's names under the prefix "gml"; one without srsName gets the srsName of its
 * collection's boundedBy envelope, if it has one, as GDAL's GML driver reads it. The type names
 * stay empty.
 *
 * A document the mapping cannot take whole is refused (std::logic_error naming the line): a GML
 * or WFS member referring to a feature outside the document, a feature in the GML namespace,
 * text or a GML object beside a feature, text beside members or properties, a property holding
 * other elements than one geometry, a property given twice, a second geometry in one feature, an
 * undeclared prefix, or an srsName of the collection's boundedBy longer than 256 characters.
 */
class DORVELLXSD_EXPORT XsdXmlTables : public QDomDocument
{
public:
    XsdXmlTables() = default;

    /**
     * Replaces the document by the content of the file at @p path, decoded as XML reads it:
     * UTF-8 or UTF-16 after a byte order mark, otherwise in the encoding its XML declaration
     * names (any Qt knows: UTF-8, windows-1251, KOI8-R, ISO-8859-x...), UTF-8 when there is no
     * declaration. Line ends follow XML's rule: a raw carriage return, alone or before a line
     * feed, becomes a line feed, while a "&#13;" reference stays a carriage return.
     * @throws std::logic_error when the file cannot be opened or is not well-formed XML, and
     *         also when it declares an encoding Qt does not know or one that contradicts its
     *         byte order mark or the declaration's own bytes (UTF-16 without a mark), holds
     *         bytes that are no text in its encoding, has a DOCTYPE declaration (no entity is
     *         ever expanded and no DTD fetched), nests elements deeper than 1,000 levels, or has
     *         an element with more than 256 attributes or 64 namespace declarations; the
     *         document loaded before is kept then.
     */
    void initFromFile(const QString &path);

    /// The tables that have at least one feature, each once, in order of first appearance.
    /// @throws std::logic_error when the document's members cannot be mapped (see above).
    QStringList listTables() const;

    /**
     * One table data per feature member of the tables named in @p tableNames (compared
     * ignoring letter case; all tables when the list is empty), in document order.
     *
     * The id of a feature is the number after the last full stop of its gml:id, sign
     * included (Parcel.-5 gives -5); failing that, the first number that follows a word and
     * one more character (fid-123 gives 123); failing that, 0. A feature without gml:id is
     * identified by its GML 2 fid in the same way.
     * @throws std::logic_error when the document cannot be mapped (see above), and when the
     *         number of an identifier does not fit an int (32 bits), naming table, identifier
     *         and line: it is not read as another id.
     */
    QList<XsdTableData> getDataFromLayers(const QStringList &tableNames) const;

private:
    Q_DISABLE_COPY(XsdXmlTables)

    QString sourcePath;     ///< of the file the tree was read from
    QDomElement sourceRoot; ///< the root read from it, which the tree may no longer have
};

} // namespace pelmak

#endif
