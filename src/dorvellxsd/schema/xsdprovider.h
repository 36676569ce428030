#ifndef DORVELLXSD_XSDPROVIDER_H
#define DORVELLXSD_XSDPROVIDER_H

#include <dorvellxsd/schema/xsdtables.h>

#include <QStringList>

#include <memory>

namespace pelmak {

class XmlCatalog;

/**
 * Reads an exchange schema, a GML 3.1.1 or 3.2 application schema, into the table model.
 *
 * Names are read by their namespace, whatever prefix spells them. Each global element of the
 * schema's target namespace whose substitution group leads, directly or through heads of the
 * schema's own, to gml:_Feature (GML 3.1.1) or gml:AbstractFeature (GML 3.2) is a table, in
 * document order, included files in the place of their xs:include; an abstract element is not,
 * nor is a collection: a feature whose type holds a property extending
 * gml:AbstractFeatureMemberType, as GML 3.2 has no collection group of its own.
 * An unprefixed name that no default namespace qualifies is also looked for in the target
 * namespace, as exchange schemas have always been read. Its type, named or
 * anonymous, must extend gml:AbstractFeatureType or another feature type of the schema
 * (xs:complexContent/xs:extension); the columns are the base type's first, then the elements of
 * the type's content, through nested xs:sequence and xs:all, xs:group references and element
 * references:
 * - an element of a simple type is a plain attribute named after it, whose
 *   XsdAttribute::valueType is the XML Schema built-in type that simple type is or derives from
 *   by restriction, named or anonymous, in any file of the schema ("string" for a list or a
 *   union, "anyType" for an element without a type; a restriction of one of GML's simple types
 *   is "string", as GML's schemas are not read);
 * - an element of one of GML's geometry property types (gml:PointPropertyType,
 *   gml:GeometryPropertyType, ...) is an attribute of kind XsdAttribute::GeometryProperty named
 *   after it;
 * - an xs:choice among GML geometry elements is the attribute "Geometry" of kind
 *   XsdAttribute::Geometry, minOccurs 1;
 *   the alternatives of any other choice are attributes of their own, each with minOccurs 0.
 * A column inside an optional group has minOccurs 0. Attributes (xs:attribute) of a feature are
 * not columns. The type of an element with an anonymous type is the element's name.
 *
 * xs:include and xs:import are followed, relative to the schema that names them, through the
 * catalogs given with setCatalogFiles() as XsdXmlChecker resolves them: a location a catalog
 * maps is read from the mapped file, and a file read so resolves its own relative locations
 * against the mapped address. GML's own schemas are never read, and nothing on the network or
 * that is not a regular file is ever opened: an xs:include of a remote location no catalog maps
 * is refused. An include that comes round again is read once.
 *
 * A schema is refused as a whole when one of its feature declarations cannot be mapped exactly:
 * a type that is not declared (a restriction's base included), a simple type that restricts
 * itself, a property that may repeat or whose value is neither text nor a
 * geometry (feature references, complex values, GML's other types), xs:any, a choice that mixes
 * geometry with other elements, xs:redefine. A schema without feature declarations gives an
 * empty model; skippedDeclarations() says why each global element is not a table.
 *
 * An object is used by one thread at a time.
 */
class DORVELLXSD_EXPORT XsdProvider
{
public:
    /**
     * Loads the schema at @p path and replaces the model with its tables.
     * @throws std::logic_error when the file or one it includes cannot be opened, is not a
     *         regular file, is larger than 16 MiB or is not well-formed XML, also when it has a DOCTYPE declaration (no
     *         entity is ever expanded and no DTD fetched) or nests elements deeper than 1,000
     *         levels, when its document element is not xs:schema, when it refers to both GML
     *         3.1.1 and 3.2, and when a feature declaration cannot be mapped (the message names
     *         the file, the line, the table and what was expected). The model loaded before is
     *         kept.
     */
    void initFromXsd(const QString &path);

    /**
     * OASIS XML catalog files through which the locations of xs:include and xs:import are
     * resolved, in order, for the next initFromXsd(); as XsdXmlChecker::setCatalogFiles() reads
     * them. Replaces the catalogs set before; an empty list sets none. A catalog named by
     * nextCatalog that cannot be read is skipped, with a line in catalogWarnings().
     * @throws std::logic_error when a catalog of @p paths is missing or not well-formed, when
     *         catalogs loop, or when there are too many; the catalogs set before then stay.
     */
    void setCatalogFiles(const QStringList &paths);

    /// As XsdXmlChecker::catalogWarnings(): why each catalog named by nextCatalog was skipped.
    QStringList catalogWarnings() const;

    /// A copy of the model; later loads do not change it.
    XsdTables tables() const;

    /**
     * One line per global element of the last schema loaded that is not a table, in document
     * order, each naming the element and its line and saying why: it belongs to no
     * substitution group, its group leads to no GML feature, it is abstract (a feature head),
     * or it is a feature collection. Empty before the first load.
     */
    QStringList skippedDeclarations() const;

private:
    XsdTables currentTables;
    QStringList skipped;
    std::shared_ptr<const XmlCatalog> catalog; // immutable, so copies of the provider share it
};

} // namespace pelmak

#endif
