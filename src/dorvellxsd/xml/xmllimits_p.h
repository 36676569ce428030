/*
 * This file is not part of the dorvellxsd API. It may change from version to version
 * without notice, or even be removed.
 */
#ifndef DORVELLXSD_XMLLIMITS_P_H
#define DORVELLXSD_XMLLIMITS_P_H

#include <QtGlobal>

namespace pelmak {

/*
 * The deepest element nesting any reader or the validator accepts. Exchange documents nest
 * about ten levels and schemas a few more; a document far deeper than this limit is hostile,
 * and the XML parsers beneath the library exhaust the stack or spend minutes on one.
 */
inline constexpr int MaxXmlDepth = 1000;

/*
 * The most attributes, and the most namespace declarations among them, that one element may
 * carry, in every reader and in the validator. Exchange documents and schemas need a handful;
 * Qt's parser spends time quadratic in their number on one element (minutes for a few hundred
 * thousand), so the readers count them in the raw text before the parser sees the start tag,
 * and Xerces-C's validator spends time in proportion to their number for every element below.
 */
inline constexpr int MaxXmlAttributes = 256;
inline constexpr int MaxXmlNamespaceDeclarations = 64;

/*
 * The largest schema or catalog file any reader or the validator reads or fetches, counted as it
 * is read (a file of /proc says it is empty and never ends). The official schemas are a few
 * hundred KB at most; documents have no such limit.
 */
inline constexpr qint64 MaxSchemaFileBytes = 16 * 1024 * 1024;

} // namespace pelmak

#endif
