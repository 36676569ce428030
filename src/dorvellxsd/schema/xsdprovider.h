#ifndef DORVELLXSD_XSDPROVIDER_H
#define DORVELLXSD_XSDPROVIDER_H

#include <dorvellxsd/schema/xsdtables.h>

namespace pelmak {

/**
 * Reads an exchange schema into the table model.
 *
 * Only one pattern of top-level declarations is understood, written with the prefixes "xs"
 * and "gml": an xs:element with name, type and substitutionGroup="gml:_Feature" is a table;
 * a named xs:complexType whose xs:complexContent/xs:extension/xs:sequence lists the columns
 * (each xs:element with a name is a plain attribute, each xs:choice the geometry) is its type.
 * Everything else in the file is ignored without a word.
 */
class DORVELLXSD_EXPORT XsdProvider
{
public:
    /**
     * Loads the schema at @p path and replaces the model with its tables.
     * @throws std::logic_error when the file cannot be opened or is not well-formed XML, and
     *         also when it has a DOCTYPE declaration (no entity is ever expanded and no DTD
     *         fetched) or nests elements deeper than 1,000 levels; the model loaded before is
     *         kept.
     */
    void initFromXsd(const QString &path);

    /// A copy of the model; later loads do not change it.
    XsdTables tables() const;

private:
    XsdTables currentTables;
};

} // namespace pelmak

#endif
