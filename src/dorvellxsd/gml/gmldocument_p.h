/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_GMLDOCUMENT_P_H
#define DORVELLXSD_GMLDOCUMENT_P_H

#include "../xml/gmlnames_p.h"
#include "../xml/xmlnamespaces_p.h"

/*
 * The names and values that make up an exchange document: a GML feature collection whose
 * feature elements live in the namespace of their schema (XsdDocumentIdentity). The writer builds
 * names as literal qualified names; the readers tell them by namespace and local name.
 */
namespace pelmak::gml {

inline constexpr QLatin1String XmlDeclarationTarget = latin1("xml");
inline constexpr QLatin1String XmlDeclarationContent = latin1("version=\"1.0\" encoding=\"UTF-8\"");

inline constexpr QLatin1String FeatureCollectionTag = latin1("gml:FeatureCollection");
inline constexpr QLatin1String FeatureMemberTag = latin1("gml:featureMember");
inline constexpr QLatin1String IdAttribute = latin1("gml:id");
inline constexpr QLatin1String XsiNamespaceAttribute = latin1("xmlns:xsi");
inline constexpr QLatin1String SchemaLocationAttribute = latin1("xsi:schemaLocation");
inline constexpr QLatin1String NoNamespaceSchemaLocationAttribute = latin1("xsi:noNamespaceSchemaLocation");
inline constexpr QLatin1String GmlNamespaceAttribute = latin1("xmlns:gml");
inline constexpr QLatin1String DefaultNamespaceAttribute = latin1("xmlns");

// GML 3.2 requires a gml:id on the collection too. Every feature's identifier holds a full stop,
// and so does every geometry's (see GeometryToGml), so one without can be no other element's.
inline constexpr QLatin1String CollectionId = latin1("collection");

// The prefix the writer gives GML, and the readers GML's names in the geometries they read.
inline constexpr QLatin1String GmlPrefix = latin1("gml:");

// The local names the readers look for, whatever their prefix, beside those of xml/gmlnames_p.h.
inline constexpr QLatin1String BoundedByLocalName = latin1("boundedBy");
inline constexpr QLatin1String HrefLocalName = latin1("href");
// How the names of collections and of their members end, in any namespace (gml:FeatureCollection,
// wfs:FeatureCollection, ogr:featureMember, base:member, core:cityObjectMember, gml:featureMembers).
inline constexpr QLatin1String CollectionSuffix = latin1("Collection");
inline constexpr QLatin1String MemberSuffix = latin1("member");
inline constexpr QLatin1String MembersSuffix = latin1("members");
// Attributes of the XML Schema instance namespace that steer validation and hold no value.
inline constexpr QLatin1String XsiSchemaLocationLocalName = latin1("schemaLocation");
inline constexpr QLatin1String XsiNoNamespaceSchemaLocationLocalName = latin1("noNamespaceSchemaLocation");
inline constexpr QLatin1String XsiTypeLocalName = latin1("type");
// A geometry's coordinate system, an attribute of no namespace; the envelope of a collection gives
// the one of the geometries that name none.
inline constexpr QLatin1String SrsNameAttribute = latin1("srsName");
// Every geometry that names none gets the collection's srsName, so a long one would multiply a
// small document into a large table data; real ones are a few dozen characters.
inline constexpr int MaxCollectionSrsNameLength = 256;
// Names the column of a property of GML's own (gml:name) whose local name the application's has too.
inline constexpr QLatin1String GmlColumnPrefix = latin1("gml_");
// Identifiers that do not end in ".<id>" still give the first number after a word.
inline constexpr QLatin1String LooseIdentifierPattern = latin1("\\w+.(\\d+)");

} // namespace pelmak::gml

#endif
