/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLNAMESPACES_P_H
#define DORVELLXSD_XMLNAMESPACES_P_H

#include "latin1_p.h"

#include <QString>
#include <QStringView>

/*
 * The namespaces that the schema reader, the document readers and writers, the validator and the
 * geometry conversions tell names by.
 */
namespace pelmak {

// The namespace that the prefix "xml" is bound to in every document, without a declaration.
inline constexpr QLatin1String XmlPrefix = latin1("xml");
inline constexpr QLatin1String XmlNamespaceUri = latin1("http://www.w3.org/XML/1998/namespace");
inline constexpr QLatin1String XmlSchemaNamespaceUri = latin1("http://www.w3.org/2001/XMLSchema");
inline constexpr QLatin1String XsiNamespaceUri = latin1("http://www.w3.org/2001/XMLSchema-instance");
inline constexpr QLatin1String XlinkNamespaceUri = latin1("http://www.w3.org/1999/xlink");
inline constexpr QLatin1String Gml311NamespaceUri = latin1("http://www.opengis.net/gml");
inline constexpr QLatin1String Gml32NamespaceUri = latin1("http://www.opengis.net/gml/3.2");
inline constexpr QLatin1String WfsNamespaceUri = latin1("http://www.opengis.net/wfs");
inline constexpr QLatin1String Wfs20NamespaceUri = latin1("http://www.opengis.net/wfs/2.0");

// The namespace of the library's own exchange schema, the documents' default one (the default of
// XsdDocumentIdentity::targetNamespace, which its public header spells out), and that of the schema
// attribute pelmak:username. It names this exchange format and nothing else, so it stays the same
// from version to version of the library.
inline constexpr QLatin1String ExchangeNamespaceUri = latin1("urn:pelmak:exchange");

inline bool isGmlNamespace(QStringView uri)
{
    return uri == Gml311NamespaceUri || uri == Gml32NamespaceUri;
}

inline bool isWfsNamespace(QStringView uri)
{
    return uri == WfsNamespaceUri || uri == Wfs20NamespaceUri;
}

// For NamespaceScopes' answers, null for a prefix that no declaration binds.
inline bool isGmlNamespace(const QString *uri)
{
    return uri != nullptr && isGmlNamespace(QStringView(*uri));
}

inline bool isWfsNamespace(const QString *uri)
{
    return uri != nullptr && isWfsNamespace(QStringView(*uri));
}

} // namespace pelmak

#endif
